// The Windows 9x password handshake, with fixtures standing in for the
// system's PASSWORD.CPL and MPR.DLL. The Windows 98 copy of the saver runs
// under the name saver98.scr, for which the test prefix reports Windows 98.
#include "saver_driver.h"

#include <stdio.h>

#include <string>

#include "gtest/gtest.h"

namespace {

std::string ReadFileText(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return text;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    fclose(file);
    return text;
}

int CountOf(const std::string& text, const char* word)
{
    int count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++count;
    return count;
}

struct PasswordScene {
    std::string folder;
    std::string saver;
    std::string log;

    PasswordScene(const char* name, const char* saverName, bool withVerifier)
    {
        folder = TestDir(name);
        saver = folder + "\\" + saverName;
        log = folder + "\\fixture.log";
        // Without its fixtures a scene would test nothing: a verifier that is
        // not there is never asked, whatever the saver does.
        if (!CopyInto(DistFile("morvella.scr"), folder, saverName))
            ADD_FAILURE() << "the saver was not copied into " << folder;
        if (withVerifier && !CopyInto(std::string(MORVELLA_TESTS_WIN) + "\\PASSWORD.CPL", folder, "PASSWORD.CPL"))
            ADD_FAILURE() << "the verifier fixture was not copied into " << folder;
        if (!CopyInto(std::string(MORVELLA_TESTS_WIN) + "\\mpr.dll", folder, "mpr.dll"))
            ADD_FAILURE() << "the password changer fixture was not copied into " << folder;
        SetEnvironmentVariableA("MORVELLA_FIXTURE_LOG", log.c_str());
    }
    ~PasswordScene()
    {
        ClearUsePassword();
        SetEnvironmentVariableA("MORVELLA_FIXTURE_LOG", NULL);
        SetEnvironmentVariableA("MORVELLA_FIXTURE_VERIFY", NULL);
    }
    void Answer(const char* verdict) { SetEnvironmentVariableA("MORVELLA_FIXTURE_VERIFY", verdict); }
    std::string Log() const { return ReadFileText(log); }
};

// Waits up to 10 s (a loaded machine is slow) until the log holds `count`
// lines with `word`; returns the count then.
int WaitForCount(const PasswordScene& scene, const char* word, int count)
{
    int seen = 0;
    WaitUntil(10000, [&] { return (seen = CountOf(scene.Log(), word)) >= count; }, 50);
    return seen;
}

HWND StartAndWait(SaverProcess& process, const std::string& exe)
{
    SetCursorPos(500, 400);
    Pump(100);
    if (!StartSaver(process, "/s", exe))
        return NULL;
    return WaitForSaverWindow(process.pid());
}

TEST(PasswordOnWindows98, RefusingVerifierKeepsTheSaverRunning)
{
    PasswordScene scene("pwd_refuse", "saver98.scr", true);
    SetUsePassword(1);
    scene.Answer("0");
    SaverProcess saver;
    ASSERT_TRUE(StartAndWait(saver, scene.saver) != NULL);
    EXPECT_EQ("1", ScreenSaverRunningValue()) << "the system must know a saver runs";

    PressKey(VK_SPACE);
    EXPECT_EQ(1, WaitForCount(scene, "verify refuse", 1)) << scene.Log();
    Pump(500);  // well past the 200 ms in which no input asks again
    EXPECT_TRUE(saver.Running());
    EXPECT_EQ(1, CountOf(scene.Log(), "verify refuse")) << scene.Log();

    // A move from where the check left the cursor asks again.
    MoveMouseBy(5, 0);
    EXPECT_EQ(2, WaitForCount(scene, "verify refuse", 2)) << scene.Log();
    Pump(300);
    EXPECT_TRUE(saver.Running());
    EXPECT_EQ(2, CountOf(scene.Log(), "verify refuse")) << scene.Log();
}

TEST(PasswordOnWindows98, AcceptingVerifierLetsItCloseAndClearsTheRunningState)
{
    PasswordScene scene("pwd_accept", "saver98.scr", true);
    SetUsePassword(1);
    scene.Answer("1");
    SaverProcess saver;
    ASSERT_TRUE(StartAndWait(saver, scene.saver) != NULL);
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, saver.WaitExit(5000));
    EXPECT_EQ(1, CountOf(scene.Log(), "verify accept")) << scene.Log();
    EXPECT_EQ("0", ScreenSaverRunningValue());
}

// With a refusing verifier beside it, the saver still closes on the first
// key: the verifier is never asked.
void ExpectFirstKeyClosesWithoutVerifier(PasswordScene& scene)
{
    scene.Answer("0");
    SaverProcess saver;
    ASSERT_TRUE(StartAndWait(saver, scene.saver) != NULL);
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, saver.WaitExit(5000));
    EXPECT_EQ("", scene.Log());
}

TEST(PasswordOnWindows98, WithoutThePasswordSettingNoVerifierIsAsked)
{
    PasswordScene scene("pwd_off", "saver98.scr", true);
    ClearUsePassword();
    ExpectFirstKeyClosesWithoutVerifier(scene);
}

TEST(PasswordOnWindowsNT, PasswordSettingIsIgnoredAndFirstInputCloses)
{
    PasswordScene scene("pwd_nt", "morvella.scr", true);
    SetUsePassword(1);
    ExpectFirstKeyClosesWithoutVerifier(scene);
}

TEST(ChangePassword, Windows98CallsTheSystemChangerForTheSaverProvider)
{
    PasswordScene scene("pwd_change", "saver98.scr", false);
    // The test prefix tells Wine to prefer an mpr.dll beside saver98.scr.
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/a " + std::to_string(reinterpret_cast<UINT_PTR>(owner)), scene.saver));
    EXPECT_EQ(0u, saver.WaitExit(5000));
    EXPECT_EQ("change SCRSAVE window=1 0 0\n", scene.Log());
    DestroyWindow(owner);
}

TEST(ChangePassword, RefusedOutsideWindows98)
{
    PasswordScene scene("pwd_change_nt", "morvella.scr", false);
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/a 0", scene.saver));
    EXPECT_EQ(0xFFFFFFFFu, saver.WaitExit(5000));
    EXPECT_EQ("", scene.Log());
}

TEST(FaultGuard, FaultOnTheSaverThreadClearsTheRunningStateAndEndsTheProcess)
{
    PasswordScene scene("fault", "saver98.scr", true);
    SetUsePassword(1);
    scene.Answer("0");
    SaverProcess saver;
    HWND window = StartAndWait(saver, scene.saver);
    ASSERT_TRUE(window != NULL);
    ASSERT_EQ("1", ScreenSaverRunningValue());

    // Send the saver's own thread to address 0: an access violation on the
    // thread that runs the message loop.
    ASSERT_NE(static_cast<DWORD>(-1), SuspendThread(saver.info.hThread));
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    ASSERT_TRUE(GetThreadContext(saver.info.hThread, &context));
#if defined(__i386__)
    context.Eip = 0;
#else
    context.Rip = 0;
#endif
    ASSERT_TRUE(SetThreadContext(saver.info.hThread, &context));
    ResumeThread(saver.info.hThread);
    // A thread waiting for messages takes its new context when it wakes.
    PostMessageA(window, WM_NULL, 0, 0);

    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), saver.WaitExit(10000));
    EXPECT_EQ("0", ScreenSaverRunningValue());
}

}  // namespace
