#include <windows.h>

#include "saver/error_page.h"
#include "saver/error_page_text.h"

// The page is drawn in Unicode with a font that has Japanese glyphs, so it
// reads correctly whatever the system's ANSI code page; the cell height of
// 16 pixels matches the line spacing of the page.
static HFONT ErrorPageFont()
{
    static HFONT font;
    if (!font) {
        // The Shift-JIS character set makes the font mapper choose a Japanese
        // font even where no font of this name exists.
        font = CreateFontA(kErrorLineHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           FIXED_PITCH | FF_MODERN, "MS Gothic");
    }
    return font;
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

    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    HGDIOBJ previous = SelectObject(dc, ErrorPageFont());
    LayoutErrorPage(flags, reinterpret_cast<const char16_t*>(name), DrawLine, dc);
    if (previous)
        SelectObject(dc, previous);
    return 1;
}
