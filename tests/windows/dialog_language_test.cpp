// The settings dialog's two templates side by side: the English one has the
// Japanese one's controls, and every English text fits its control in the
// font this display and code page give it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/modes.h"
#include "resources/resource.h"

namespace {

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The controls of a template in their order, in a dialog made but not shown.
struct Dialog {
    HWND window;
    std::vector<HWND> controls;
    explicit Dialog(int resource)
        : window(CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(resource), NULL, Inert, 0))
    {
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            controls.push_back(child);
    }
    ~Dialog() { DestroyWindow(window); }
};

std::wstring Text(HWND window)
{
    WCHAR text[128];
    GetWindowTextW(window, text, 128);
    return text;
}

std::wstring Kind(HWND window)
{
    WCHAR kind[64];
    GetClassNameW(window, kind, 64);
    return kind;
}

bool IsStatic(HWND window)
{
    return lstrcmpiW(Kind(window).c_str(), L"Static") == 0;
}

TEST(SettingsDialogTemplates, EnglishHasTheJapaneseControlsInTheirOrder)
{
    Dialog japanese(IDD_SETTINGS), english(IDD_SETTINGS_ENGLISH);
    ASSERT_EQ(japanese.controls.size(), english.controls.size());
    for (size_t i = 0; i < english.controls.size(); ++i) {
        HWND j = japanese.controls[i], e = english.controls[i];
        std::wstring text = Text(e);
        // Unnumbered statics are 0xFFFF among the 16-bit numbers of the
        // Japanese template, -1 among the 32-bit ones of the English one.
        EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(j)), static_cast<WORD>(GetDlgCtrlID(e))) << "control " << i;
        // Labels at the right end of a bar are right-aligned in English.
        DWORD alignment = IsStatic(e) ? SS_TYPEMASK : 0;
        EXPECT_EQ(GetWindowLongW(j, GWL_STYLE) & ~alignment, GetWindowLongW(e, GWL_STYLE) & ~alignment) << "control " << i;
        EXPECT_TRUE(Kind(j) == Kind(e)) << "control " << i;
        EXPECT_EQ(Text(j).empty(), text.empty()) << "control " << i;
        for (wchar_t c : text)
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "control " << i << ": a character that is not English";
    }
    EXPECT_EQ(L"Settings", Text(english.window));
}

TEST(SettingsDialogTemplates, EnglishTextsFitTheirControls)
{
    Dialog english(IDD_SETTINGS_ENGLISH);
    int measured = 0;
    for (HWND control : english.controls) {
        std::wstring text = Text(control);
        if (text.empty())
            continue;
        RECT client;
        GetClientRect(control, &client);
        HDC dc = GetDC(control);
        const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE extent;
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(control, dc);
        // What the control's own drawing takes of its width: a check box's or
        // radio button's box and gap, a group box's frame and gaps, a push
        // button's border; a static text takes nothing.
        int taken = 0;
        if (!IsStatic(control)) {
            DWORD type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
            taken = type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON ? 13 + 4 : type == BS_GROUPBOX ? 16 : 8;
        }
        int room = client.right - MulDiv(taken, dpi, 96);
        EXPECT_LE(extent.cx, room) << std::string(text.begin(), text.end()) << ": " << extent.cx << " pixels wide, room "
                                   << room << " (code page " << GetACP() << ", " << dpi << " DPI)";
        EXPECT_LE(extent.cy, client.bottom) << std::string(text.begin(), text.end()) << ": " << extent.cy << " pixels high";
        ++measured;
    }
    EXPECT_EQ(39, measured) << "controls with a text";
}

}  // namespace
