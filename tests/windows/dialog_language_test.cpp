// The settings dialog's two templates side by side: the English one has the
// Japanese one's controls, and every English text fits its control in the
// fonts this display and code page give it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/modes.h"
#include "resources/resource.h"

namespace {

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

struct Control {
    HWND window;
    int id;
    std::wstring kind;
    DWORD style;
    std::wstring text;
};

// The template's controls in their order, in a dialog that is made but not
// shown (and destroyed by the caller).
std::vector<Control> Controls(HWND dialog)
{
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR kind[64], text[128];
        GetClassNameW(child, kind, 64);
        GetWindowTextW(child, text, 128);
        controls.push_back({ child, GetDlgCtrlID(child), kind, static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)), text });
    }
    return controls;
}

HWND MakeDialog(int resource)
{
    return CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(resource), NULL, Inert, 0);
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

bool IsKind(const Control& control, const wchar_t* kind)
{
    return lstrcmpiW(control.kind.c_str(), kind) == 0;
}

TEST(SettingsDialogTemplates, EnglishHasTheJapaneseControlsInTheirOrder)
{
    HWND japaneseDialog = MakeDialog(IDD_SETTINGS);
    HWND englishDialog = MakeDialog(IDD_SETTINGS_ENGLISH);
    ASSERT_TRUE(japaneseDialog && englishDialog);
    std::vector<Control> japanese = Controls(japaneseDialog), english = Controls(englishDialog);
    ASSERT_EQ(japanese.size(), english.size());
    for (size_t i = 0; i < english.size(); ++i) {
        const Control &j = japanese[i], &e = english[i];
        std::string which = "control " + std::to_string(i) + " (" + Narrow(e.text) + ")";
        // Unnumbered statics are 0xFFFF in the 16-bit ids of the Japanese
        // template and -1 in the 32-bit ids of the English one.
        EXPECT_EQ(static_cast<WORD>(j.id), static_cast<WORD>(e.id)) << which;
        EXPECT_TRUE(j.kind == e.kind) << which;
        // Labels at the right end of a bar are right-aligned in English.
        DWORD alignment = IsKind(e, L"Static") ? SS_TYPEMASK : 0;
        EXPECT_EQ(j.style & ~alignment, e.style & ~alignment) << which;
        EXPECT_EQ(j.text.empty(), e.text.empty()) << which;
        for (wchar_t c : e.text)
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << which << ": a character that is not English";
    }
    WCHAR title[64];
    GetWindowTextW(englishDialog, title, 64);
    EXPECT_STREQ(L"Settings", title);
    DestroyWindow(japaneseDialog);
    DestroyWindow(englishDialog);
}

// How wide a control's own drawing leaves its text: check boxes and radio
// buttons draw their box left of it, group boxes a frame and a gap on both
// sides, push buttons a border.
int TextRoom(const Control& control, int width, int dpi)
{
    if (!IsKind(control, L"Button"))
        return width;
    switch (control.style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
    case BS_AUTORADIOBUTTON:
        return width - MulDiv(13 + 4, dpi, 96);
    case BS_GROUPBOX:
        return width - MulDiv(2 * 8, dpi, 96);
    default:
        return width - MulDiv(2 * 4, dpi, 96);
    }
}

TEST(SettingsDialogTemplates, EnglishTextsFitTheirControls)
{
    HWND dialog = MakeDialog(IDD_SETTINGS_ENGLISH);
    ASSERT_TRUE(dialog);
    int measured = 0;
    for (const Control& control : Controls(dialog)) {
        if (control.text.empty())
            continue;
        RECT client;
        GetClientRect(control.window, &client);
        HDC dc = GetDC(control.window);
        int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control.window, WM_GETFONT, 0, 0)));
        SIZE extent;
        GetTextExtentPoint32W(dc, control.text.c_str(), static_cast<int>(control.text.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(control.window, dc);
        int room = TextRoom(control, client.right, dpi);
        EXPECT_LE(extent.cx, room) << Narrow(control.text) << ": text " << extent.cx << " pixels wide, room "
                                   << room << " (code page " << GetACP() << ", " << dpi << " DPI)";
        EXPECT_LE(extent.cy, client.bottom) << Narrow(control.text) << ": text " << extent.cy << " pixels high";
        ++measured;
    }
    EXPECT_EQ(39, measured) << "controls with a text";
    DestroyWindow(dialog);
}

}  // namespace
