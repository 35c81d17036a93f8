// The saver started with /s under Wine: its window and the input that closes it.
#include "saver_driver.h"

#include <algorithm>

#include "gtest/gtest.h"

namespace {

const DWORD kExitWait = 5000;

struct RunningSaver {
    SaverProcess process;
    HWND window = NULL;
};

void StartFullScreen(RunningSaver& saver)
{
    SetCursorPos(500, 400);
    Pump(100);
    ASSERT_TRUE(StartSaver(saver.process, "/s"));
    saver.window = WaitForSaverWindow(saver.process.pid());
    ASSERT_TRUE(saver.window != NULL) << "no saver window appeared";
}

TEST(FullScreenSaver, IsBlackTopmostPopupCoveringTheScreen)
{
    RunningSaver saver;
    StartFullScreen(saver);

    char title[64] = {};
    GetWindowTextA(saver.window, title, sizeof title);
    EXPECT_STREQ("Screen Saver", title);
    EXPECT_EQ(0x96000000u, GetWindowLongA(saver.window, GWL_STYLE) & 0xFFFF0000u);
    EXPECT_EQ(static_cast<LONG>(WS_EX_TOPMOST), GetWindowLongA(saver.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect;
    GetWindowRect(saver.window, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), rect.right);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), rect.bottom);
    EXPECT_EQ(CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
              static_cast<UINT>(GetClassLongA(saver.window, GCL_STYLE)));

    // The screen outside the centred 640 x 480 picture is black.
    HDC screen = GetDC(NULL);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(screen, 20, GetSystemMetrics(SM_CYSCREEN) - 20));
    ReleaseDC(NULL, screen);
    EXPECT_TRUE(saver.process.Running());
}

TEST(FullScreenSaver, KeyPressClosesWithExitCodeZero)
{
    RunningSaver saver;
    StartFullScreen(saver);
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, saver.process.WaitExit(kExitWait));
}

TEST(FullScreenSaver, MouseButtonClosesWithExitCodeZero)
{
    RunningSaver saver;
    StartFullScreen(saver);
    ClickLeft();
    EXPECT_EQ(0u, saver.process.WaitExit(kExitWait));
}

TEST(FullScreenSaver, MoveOfFourPixelsKeepsItAndTheFifthCloses)
{
    RunningSaver saver;
    StartFullScreen(saver);
    MoveMouseBy(3, 1);
    Pump(300);
    POINT at;
    GetCursorPos(&at);
    EXPECT_EQ(503, at.x);
    EXPECT_EQ(401, at.y);
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), saver.process.WaitExit(700)) << "a move of 4 closed it";
    MoveMouseBy(0, 1);
    EXPECT_EQ(0u, saver.process.WaitExit(kExitWait));
}

TEST(FullScreenSaver, SmallMovesAddUpFromTheAnchor)
{
    RunningSaver saver;
    StartFullScreen(saver);
    MoveMouseBy(2, 0);
    Pump(200);
    MoveMouseBy(2, 0);
    Pump(200);
    EXPECT_TRUE(saver.process.Running());
    MoveMouseBy(0, 1);
    EXPECT_EQ(0u, saver.process.WaitExit(kExitWait));
}

TEST(FullScreenSaver, LosingActivationToAnotherApplicationCloses)
{
    RunningSaver saver;
    StartFullScreen(saver);
    HWND other = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 NULL, NULL, GetModuleHandleA(NULL), NULL);
    SetForegroundWindow(other);
    Pump(100);
    EXPECT_EQ(0u, saver.process.WaitExit(kExitWait));
    DestroyWindow(other);
}

TEST(FullScreenSaver, KeepsRunningThroughTaskSwitchCommandsAndTheCloseCommandEndsIt)
{
    RunningSaver saver;
    StartFullScreen(saver);
    // The three commands stop at the saver: it keeps running, on top, as
    // it was. (Under Wine their default handling changes nothing visible
    // either: a saver that passed them on passes this test too. The close
    // command below shows that other commands do reach the default.)
    RECT before, after;
    GetWindowRect(saver.window, &before);
    for (WPARAM command : { SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW })
        SendMessageA(saver.window, WM_SYSCOMMAND, command, 0);
    Pump(200);
    EXPECT_TRUE(saver.process.Running());
    GetWindowRect(saver.window, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(IsWindowVisible(saver.window));
    // The title never changes.
    SendMessageA(saver.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"));
    char title[64] = {};
    GetWindowTextA(saver.window, title, sizeof title);
    EXPECT_STREQ("Screen Saver", title);

    // Any other system command takes the default way: the close command
    // closes it.
    SendMessageA(saver.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, saver.process.WaitExit(kExitWait));
}

// One power broadcast of each kind (the whole table is tested natively): a
// laptop's battery news leaves the saver running; a suspend query is granted
// and closes it.
TEST(FullScreenSaver, PowerStatusChangeKeepsItRunningAndASuspendQueryClosesIt)
{
    RunningSaver saver;
    StartFullScreen(saver);
    const WPARAM kPowerStatusChange = 0x000A, kQuerySuspend = 0x0000;
    PostMessageA(saver.window, WM_POWERBROADCAST, kPowerStatusChange, 0);
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), saver.process.WaitExit(700)) << "the battery news closed it";
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(saver.window, WM_POWERBROADCAST, kQuerySuspend, 0, SMTO_NORMAL, 2000, &answer));
    EXPECT_NE(static_cast<DWORD_PTR>(0x424D5144), answer) << "the suspend was refused (BROADCAST_QUERY_DENY)";
    EXPECT_EQ(0u, saver.process.WaitExit(kExitWait));
}

TEST(FullScreenSaver, SecondStartExitsAtOnceAndLeavesTheFirstRunning)
{
    RunningSaver first;
    StartFullScreen(first);
    SaverProcess second;
    ASSERT_TRUE(StartSaver(second, "/s"));
    EXPECT_EQ(0u, second.WaitExit(kExitWait));
    EXPECT_TRUE(first.process.Running());
    EXPECT_TRUE(IsWindow(first.window));
}

}  // namespace

namespace {

// Rows of the screen's top-left 800 x 160 pixels that hold white text,
// grouped into the error page's 16-pixel lines.
int ErrorPageLinesOnScreen()
{
    HDC screen = GetDC(NULL);
    int lines = 0;
    for (int top = 0; top < 160; top += 16) {
        bool white = false;
        for (int y = top; y < top + 16 && !white; y += 1)
            for (int x = 0; x < 800 && !white; x += 1)
                white = (GetPixel(screen, x, y) & 0xFFFFFF) == 0xFFFFFF;
        if (!white)
            break;
        ++lines;
    }
    ReleaseDC(NULL, screen);
    return lines;
}

// The error page of the full-screen saver without its model file: three
// lines, a line height apart at the display's DPI (16 pixels at 96, 24 at
// 144). Each line has ink, none below the third; the third line's glyphs
// reach below the middle of its line, which they do not when the lines are
// closer than their font is high.
TEST(ErrorPageOnScreen, LinesAreTheDisplaysLineHeightApart)
{
    HDC screen = GetDC(NULL);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    const int line = dpi * 16 / 96;
    ASSERT_TRUE(dpi == 96 || dpi == 144 || dpi == 192) << dpi << " DPI";
    std::string folder = TestDir("no-model");
    ASSERT_TRUE(CopyInto(DistFile("morvella.scr"), folder, "morvella.scr"));
    SaverProcess saver;
    SetCursorPos(900, 700);
    ASSERT_TRUE(StartSaver(saver, "/s", folder + "\\morvella.scr"));
    ASSERT_TRUE(WaitForSaverWindow(saver.pid()) != NULL);
    // The page is painted once the window shows, later on a busy machine.
    std::vector<int> inkRows;
    WaitUntil(10000, [&] {
        Screen shot = Capture(RECT{ 0, 0, 800, 8 * line });
        inkRows.clear();
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                if (shot.at(x, y) == 0xFFFFFF) {
                    inkRows.push_back(y);
                    break;
                }
        return inkRows.size() > 0 && inkRows.back() >= 2 * line;
    });
    ASSERT_FALSE(inkRows.empty()) << "no page on the screen";
    for (int top : { 0, line, 2 * line })
        EXPECT_TRUE(std::any_of(inkRows.begin(), inkRows.end(), [&](int y) { return y >= top && y < top + line; }))
            << "no ink in the line at " << top;
    EXPECT_LT(inkRows.back(), 3 * line) << "ink below the third line";
    EXPECT_GE(inkRows.back(), 2 * line + line / 2) << "the third line ends above its middle (" << dpi << " DPI)";
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, saver.WaitExit(5000));
}

// A saver folder whose path leaves no room for "morvella.dat" in the
// 255-character model path: the start-up reports the model file instead of
// opening a cut path that names some other file.
TEST(SaverPaths, ModelPathTooLongForItsBufferShowsTheModelFilePage)
{
    std::string folder = TestDir("deep");
    while (folder.size() < 244) {
        folder += "\\" + std::string(std::min<size_t>(40, 243 - folder.size()), 'd');
        CreateDirectoryA(folder.c_str(), NULL);
    }
    ASSERT_EQ(244u, folder.size());
    ASSERT_TRUE(CopySaverInto(folder));
    RemoveIni();
    SaverProcess saver;
    SetCursorPos(900, 700);
    ASSERT_TRUE(StartSaver(saver, "/s", folder + "\\morvella.scr"));
    ASSERT_TRUE(WaitForSaverWindow(saver.pid()) != NULL);
    Pump(1500);
    // The directory with its backslash is 245 characters; with the model
    // file's 12 that is 257, two more than the buffer holds.
    EXPECT_EQ(3, ErrorPageLinesOnScreen()) << "heading and the two lines of the model-file page";
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, saver.WaitExit(5000));
}

}  // namespace
