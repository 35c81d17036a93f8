// The saver drawing into a preview host window (/p HWND).
#include "saver_driver.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "gtest/gtest.h"

namespace {

// The last help request the host was sent, copied while it was handled.
HELPINFO HostHelp;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP && lParam) {
        memcpy(&HostHelp, reinterpret_cast<const HELPINFO*>(lParam), sizeof HostHelp);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A stand-in for the Display Properties page: a plain black window that
// leaves its children's area to them.
const char* HostClass()
{
    static ATOM atom;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "MorvellaPreviewHost";
        atom = RegisterClassA(&wc);
    }
    return "MorvellaPreviewHost";
}

struct PreviewHost {
    HWND window;
    explicit PreviewHost(int clientWidth = 184, int clientHeight = 120)
    {
        RECT rect = { 0, 0, clientWidth, clientHeight };
        AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
        window = CreateWindowExA(0, HostClass(), "host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 10, 10,
                                 rect.right - rect.left, rect.bottom - rect.top, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
    }
    ~PreviewHost()
    {
        if (IsWindow(window))
            DestroyWindow(window);
    }
    std::string Decimal() const
    {
        return std::to_string(reinterpret_cast<UINT_PTR>(window));
    }
};

TEST(PreviewSaver, ChildNamedPreviewFillsTheHostAndEndsWithIt)
{
    PreviewHost host;
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/p " + host.Decimal()));
    HWND child = WaitForPreviewWindow(host.window);
    ASSERT_TRUE(child != NULL);

    char title[64] = {};
    GetWindowTextA(child, title, sizeof title);
    EXPECT_STREQ("Preview", title);
    EXPECT_EQ(0x52000000u, GetWindowLongA(child, GWL_STYLE) & 0xFFFF0000u);
    RECT hostClient, childRect;
    GetClientRect(host.window, &hostClient);
    GetClientRect(child, &childRect);
    EXPECT_EQ(hostClient.right, childRect.right);
    EXPECT_EQ(hostClient.bottom, childRect.bottom);

    // Keys and mouse moves do not close a preview.
    PostMessageA(child, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(child, WM_MOUSEMOVE, 0, MAKELPARAM(60, 60));
    PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 60));
    Pump(500);
    EXPECT_TRUE(saver.Running());

    DestroyWindow(host.window);
    EXPECT_EQ(0u, saver.WaitExit(5000));
}

// In preview every system command reaches the default handling. Under Wine
// that handling does nothing visible for the task-switch and screen-save
// commands (a preview that swallowed them, as full screen does, passes
// this test too), so the close command shows the path: it ends the preview,
// where nothing else but the host's end does.
TEST(PreviewSaver, TaskSwitchCommandsLeaveItRunningAndTheCloseCommandEndsIt)
{
    PreviewHost host;
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/p " + host.Decimal()));
    HWND child = WaitForPreviewWindow(host.window);
    ASSERT_TRUE(child != NULL);
    DWORD_PTR result = 1;
    for (WPARAM command : { SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE }) {
        EXPECT_NE(0, SendMessageTimeoutA(child, WM_SYSCOMMAND, command, 0, SMTO_ABORTIFHUNG, 3000, &result));
        EXPECT_EQ(0u, result) << std::hex << command;
    }
    Pump(200);
    EXPECT_TRUE(saver.Running());
    EXPECT_EQ(child, WaitForPreviewWindow(host.window, 1000));

    SendMessageTimeoutA(child, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, 3000, &result);
    EXPECT_EQ(0u, saver.WaitExit(5000)) << "the close command was not passed on";
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(IsWindow(host.window));
}

TEST(PreviewSaver, HelpAndContextMenuRequestsAreForwardedToTheHost)
{
    PreviewHost host;
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/p" + host.Decimal()));  // no blank: same as "/p HWND"
    HWND child = WaitForPreviewWindow(host.window);
    ASSERT_TRUE(child != NULL);
    EXPECT_EQ(1, SendMessageA(child, WM_CONTEXTMENU, 0, MAKELPARAM(10, 20)));
    // Read from the queue as it comes: pumping would dispatch it unseen.
    MSG forwarded;
    DWORD start = GetTickCount();
    bool seen = false;
    while (!seen && GetTickCount() - start < 3000) {
        if (PeekMessageA(&forwarded, host.window, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE))
            seen = true;
        else
            Sleep(10);
    }
    ASSERT_TRUE(seen);
    EXPECT_EQ(reinterpret_cast<WPARAM>(host.window), forwarded.wParam);
    EXPECT_EQ(MAKELPARAM(10, 20), forwarded.lParam);

    // Help carries a pointer to a record of the sender's: the host must get
    // it while it is still there, readable.
    memset(&HostHelp, 0, sizeof HostHelp);
    HELPINFO help = { sizeof help, HELPINFO_WINDOW, 7, NULL, 0x1234, { 30, 40 } };
    EXPECT_EQ(1, SendMessageA(child, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)));
    Pump(300);
    EXPECT_EQ(sizeof(HELPINFO), HostHelp.cbSize);
    EXPECT_EQ(7, HostHelp.iCtrlId);
    EXPECT_EQ(0x1234u, HostHelp.dwContextId);
    EXPECT_EQ(30, HostHelp.MousePos.x);
    EXPECT_EQ(40, HostHelp.MousePos.y);
}

// The animation only starts in a window at least 640 pixels wide. Frames
// are counted by the saver's own statistics file (MORVELLA_STATS), written
// after every 64 frames: 640 wide waits for it as long as a busy machine
// needs; 639 wide waits twice as long as that took (up to 30 s) and must
// see none.
TEST(PreviewSaver, AnimatesFromExactly640PixelsWideAndNotBelow)
{
    std::string folder = TestDir("preview640");
    DWORD firstFile = 0;
    for (int width : { 640, 639 }) {
        SCOPED_TRACE(width);
        RemoveIni();
        std::string stats = folder + "\\stats" + std::to_string(width) + ".txt";
        DeleteFileA(stats.c_str());
        SetEnvironmentVariableA("MORVELLA_STATS", stats.c_str());
        WriteIni("Speed", "10");
        PreviewHost host(width, 480);
        SaverProcess saver;
        ASSERT_TRUE(StartSaver(saver, "/p " + host.Decimal()));
        SetEnvironmentVariableA("MORVELLA_STATS", NULL);
        ASSERT_TRUE(WaitForPreviewWindow(host.window) != NULL);
        const DWORD start = GetTickCount();
        const DWORD limit = width == 640 ? 30000 : std::min<DWORD>(30000, std::max<DWORD>(2500, firstFile * 2));
        const bool animated =
            WaitUntil(limit, [&] { return GetFileAttributesA(stats.c_str()) != INVALID_FILE_ATTRIBUTES; });
        if (width == 640)
            firstFile = GetTickCount() - start;
        EXPECT_EQ(width == 640, animated) << "frames are drawn from 640 pixels on, none below";
        DestroyWindow(host.window);
        EXPECT_EQ(0u, saver.WaitExit(5000));
    }
    RemoveIni();
}

}  // namespace
