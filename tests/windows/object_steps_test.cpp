// The steps the object window's elevated second run does beside the saver,
// run as that second run is: morvella-object.exe with the step's switch, in a
// folder of the test's own. Each step either completes or leaves every file
// as it was, and a file the saver would refuse is never put in place.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "object/step_command.h"
#include "saver_driver.h"
#include "test_files.h"

namespace {

// Runs morvella-object.exe with the arguments and gives its exit code.
DWORD RunObjectProgram(const std::wstring& arguments)
{
    return RunProgram(Wide(DistFile("morvella-object.exe")), arguments, 60000);
}

// A file as a case leaves or expects it: its bytes, "" for none, "<folder>"
// for a folder in its place.
const std::string kNone = "", kFolder = "<folder>";

// A write that fails ends either way: refused outright, or refused for want
// of rights (a folder in a file's place is the latter on Windows).
const DWORD kWriteFailed = 0xFFFF;

void Put(const std::wstring& path, const std::string& content)
{
    if (content == kFolder) {
        CreateDirectoryW(path.c_str(), NULL);
        WriteWhole(path + L"\\inside", "x");
    } else if (!content.empty()) {
        WriteWhole(path, content);
    }
}

std::string Found(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return kNone;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? kFolder : ReadWhole(path, 64 << 20);
}

}  // namespace

TEST(ObjectSteps, EachStepCompletesOrLeavesEveryFileAsItWas)
{
    // Two objects the saver takes (they differ in the header's free text)
    // and one it refuses.
    const std::string a = ReadWhole(Wide(DistFile("morvella.dat")), 64 << 20);
    ASSERT_GT(a.size(), 140u);
    std::string b = a;
    b[20] = b[20] == 'Z' ? 'Y' : 'Z';
    const std::string bad = "CONVLWO but not a model of the saver's";
    const std::wstring folder = Wide(TestDir("ObjectSteps")), source = Wide(TestDir("ObjectStepsSource")) + L"\\in.dat";
    enum Kind { kInstall, kPutBack };
    const struct {
        const char* name;
        Kind step;
        std::string saver, source, current, previous, newFile;   // before
        DWORD code;
        std::string currentAfter, previousAfter;
    } cases[] = {
        {"install: the object it replaces is kept", kInstall, "scr", b, a, kNone, kNone, StepDone, b, a},
        {"install over an earlier kept object", kInstall, "scr", b, a, "older", kNone, StepDone, b, a},
        {"install into a folder without an object", kInstall, "scr", b, kNone, kNone, kNone, StepDone, b, kNone},
        {"install the object shown already: the kept one stays", kInstall, "scr", b, b, a, kNone, StepSame, b, a},
        {"install a file the saver refuses", kInstall, "scr", bad, a, "older", kNone, StepRefused, a, "older"},
        {"install a file that is not there", kInstall, "scr", kNone, a, kNone, kNone, StepRefused, a, kNone},
        {"install where no saver lies", kInstall, kNone, b, a, kNone, kNone, StepNoSaver, a, kNone},
        {"install, the new file cannot be written", kInstall, "scr", b, a, "older", kFolder, kWriteFailed, a,
         "older"},
        {"install, the replaced object cannot be kept", kInstall, "scr", b, a, kFolder, kNone, kWriteFailed, a,
         kFolder},
        {"put back: the two change places", kPutBack, "scr", kNone, b, a, kNone, StepDone, a, b},
        {"put back where no object is shown", kPutBack, "scr", kNone, kNone, a, kNone, StepDone, a, kNone},
        {"put back with nothing kept", kPutBack, "scr", kNone, b, kNone, kNone, StepNoPrevious, b, kNone},
        {"put back a kept file damaged since", kPutBack, "scr", kNone, b, bad, kNone, StepRefused, b, bad},
        {"put back, the new file cannot be written", kPutBack, "scr", kNone, b, a, kFolder, kWriteFailed, b, a},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir("ObjectSteps");
        DeleteFileW(source.c_str());
        for (const wchar_t* left : {L"\\morvella.dat", L"\\morvella-previous.dat", L"\\morvella.dat.new"}) {
            DeleteFileW((folder + left + std::wstring(L"\\inside")).c_str());
            RemoveDirectoryW((folder + left).c_str());
        }
        Put(folder + L"\\morvella.scr", c.saver);
        Put(source, c.source);
        Put(folder + L"\\morvella.dat", c.current);
        Put(folder + L"\\morvella-previous.dat", c.previous);
        Put(folder + L"\\morvella.dat.new", c.newFile);
        const DWORD code = RunObjectProgram(c.step == kInstall ? StepArguments(Step::Install, folder, source)
                                                               : StepArguments(Step::PutBack, folder, L""));
        if (c.code == kWriteFailed) {
            EXPECT_TRUE(code == StepWriteFailed || code == StepAccessDenied) << code;
        } else {
            EXPECT_EQ(c.code, code);
        }
        EXPECT_TRUE(Found(folder + L"\\morvella.dat") == c.currentAfter) << "morvella.dat is not as expected";
        EXPECT_TRUE(Found(folder + L"\\morvella-previous.dat") == c.previousAfter)
            << "morvella-previous.dat is not as expected";
        EXPECT_EQ(kNone, Found(folder + L"\\morvella-previous.dat.new"));
        if (c.newFile.empty()) {
            EXPECT_EQ(kNone, Found(folder + L"\\morvella.dat.new"));
        }
    }
    EXPECT_EQ((DWORD)StepUsage, RunObjectProgram(kInstallSwitch));
}

// A read-only morvella.dat (copied by hand from a read-only medium, say) is
// kept, and put back, as a file the steps can replace and remove again:
// Windows refuses both on a read-only file.
TEST(ObjectSteps, NoStepLeavesAReadOnlyObject)
{
    const std::string a = ReadWhole(Wide(DistFile("morvella.dat")), 64 << 20);
    ASSERT_GT(a.size(), 140u);
    std::string b = a;
    b[20] = b[20] == 'Z' ? 'Y' : 'Z';
    const std::wstring folder = Wide(TestDir("ObjectStepsReadOnly")),
                       source = Wide(TestDir("ObjectStepsReadOnlySource")) + L"\\in.dat";
    const std::wstring shown = folder + L"\\morvella.dat", kept = folder + L"\\morvella-previous.dat";
    auto readOnly = [](const std::wstring& path) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    };
    WriteWhole(folder + L"\\morvella.scr", "scr");
    WriteWhole(source, b);
    WriteWhole(shown, a);
    ASSERT_TRUE(SetFileAttributesW(shown.c_str(), FILE_ATTRIBUTE_READONLY));

    // Where Windows refuses to replace the read-only file, nothing changes and nothing is left.
    const DWORD installed = RunObjectProgram(StepArguments(Step::Install, folder, source));
    EXPECT_TRUE(installed == StepDone || installed == StepAccessDenied) << installed;
    EXPECT_FALSE(Exists(folder + L"\\morvella-previous.dat.new"));
    EXPECT_FALSE(Exists(folder + L"\\morvella.dat.new"));
    if (installed == StepDone) {
        EXPECT_TRUE(ReadWhole(kept, 64 << 20) == a);
        EXPECT_FALSE(readOnly(kept)) << "the kept object is read-only";
    }
    SetFileAttributesW(shown.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteWhole(shown, b);
    WriteWhole(kept, a);
    ASSERT_TRUE(SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY));
    const DWORD putBack = RunObjectProgram(StepArguments(Step::PutBack, folder, L""));
    EXPECT_TRUE(putBack == StepDone || putBack == StepAccessDenied) << putBack;
    EXPECT_FALSE(readOnly(shown)) << "the object put back is read-only";
    EXPECT_FALSE(Exists(folder + L"\\morvella.dat.new"));
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The second run is told its folder and file on a command line: names with
// blanks, quotes and backslashes come back whole.
TEST(ObjectSteps, QuotedArgumentsComeBackWhole)
{
    const std::wstring names[] = {L"C:\\Program Files (x86)\\Morvella", L"C:\\Windows\\SysWOW64\\",
                                  L"D:\\a \"quoted\" name\\x.dat", L"\\\\server\\share\\", L"", L"C:\\ends\\\\"};
    for (const std::wstring& name : names) {
        const std::wstring line = L"program.exe " + QuoteArgument(name);
        int count = 0;
        wchar_t** arguments = CommandLineToArgvW(line.c_str(), &count);
        ASSERT_TRUE(arguments != NULL);
        EXPECT_EQ(2, count) << Utf8Of(line);
        if (count == 2) {
            EXPECT_EQ(Utf8Of(name), Utf8Of(arguments[1])) << Utf8Of(line);
        }
        LocalFree(arguments);
    }
}
