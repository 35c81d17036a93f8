// The saver drawing into a preview host window (/p HWND).
#include "saver_driver.h"

#include <string>

#include "gtest/gtest.h"

namespace {

struct PreviewHost {
    HWND window;
    PreviewHost()
    {
        window = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 160,
                                 NULL, NULL, GetModuleHandleA(NULL), NULL);
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

    // System commands are passed on in preview, not swallowed.
    EXPECT_TRUE(IsWindow(child));

    DestroyWindow(host.window);
    EXPECT_EQ(0u, saver.WaitExit(5000));
}

TEST(PreviewSaver, ContextMenuRequestIsForwardedToTheHost)
{
    PreviewHost host;
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/p" + host.Decimal()));  // no blank: same as "/p HWND"
    HWND child = WaitForPreviewWindow(host.window);
    ASSERT_TRUE(child != NULL);
    EXPECT_EQ(1, SendMessageA(child, WM_CONTEXTMENU, 0, MAKELPARAM(10, 20)));
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
}

TEST(PreviewSaver, LowerCaseLIsTheSameAsP)
{
    PreviewHost host;
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/l " + host.Decimal()));
    EXPECT_TRUE(WaitForPreviewWindow(host.window) != NULL);
}

}  // namespace
