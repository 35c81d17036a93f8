#include <windows.h>

#include "saver/error_page.h"
#include "saver/error_page_text.h"
#include "platform/display_dpi.h"
#include "platform/ui_language.h"

// The page is drawn in Unicode, so it reads correctly whatever the system's
// ANSI code page, in a font whose cell is exactly one line high. The font
// follows the line height; the one made last is kept for the next paint,
// which comes after nearly every message.
static HFONT ErrorPageFont(UiLanguage language, int height)
{
    static HFONT font;
    static int fontHeight;
    if (font && fontHeight == height)
        return font;
    if (font)
        DeleteObject(font);
    // Japanese: the Shift-JIS character set makes the font mapper choose a
    // Japanese font even where no font of this name exists. English: a font
    // every Windows has, for plain ASCII text.
    bool japanese = language == UiJapanese;
    font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, japanese ? SHIFTJIS_CHARSET : ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       japanese ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS,
                       japanese ? "MS Gothic" : "Arial");
    fontHeight = height;
    return font;
}

// The DPI of the monitor the page starts on (the window's top-left corner);
// where Windows cannot say, the window's, else the context's.
static UINT PageDpi(HDC dc)
{
    HWND window = WindowFromDC(dc);
    if (window) {
        POINT origin = { 0, 0 };
        MapWindowPoints(window, NULL, &origin, 1);
        UINT dpi = MonitorDpiAt(origin);
        if (!dpi)
            dpi = WindowDpi(window);
        if (dpi)
            return dpi;
    }
    return static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
}

static void DrawLine(const ErrorPageLine& line, void* dc)
{
    const WCHAR* text = reinterpret_cast<const WCHAR*>(line.text);
    TextOutW(static_cast<HDC>(dc), line.x, line.y, text, lstrlenW(text));
}

int PaintErrorScreen(HDC dc, UINT flags, const char* fileName)
{
    WCHAR name[kErrorLineChars];
    if (!MultiByteToWideChar(CP_ACP, 0, fileName, -1, name, kErrorLineChars))
        name[0] = 0;

    UiLanguage language = UserUiLanguage();
    int lineHeight = ErrorLineHeightForDpi(PageDpi(dc));
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    HGDIOBJ previous = SelectObject(dc, ErrorPageFont(language, lineHeight));
    LayoutErrorPage(flags, reinterpret_cast<const char16_t*>(name), language, lineHeight, DrawLine, dc);
    if (previous)
        SelectObject(dc, previous);
    return 1;
}
