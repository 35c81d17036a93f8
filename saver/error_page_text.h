#pragma once
// The error page, in Japanese or English: which lines a set of start-up
// failure bits shows, and where. Portable, so the layout is tested natively;
// the Windows side only draws the lines.
#include <cstdint>

#include "platform/ui_language.h"

// Start-up failure bits.
constexpr uint32_t ErrDirectDraw = 1;
constexpr uint32_t ErrDirect3D = 2;
constexpr uint32_t ErrModelFile = 4;
constexpr uint32_t ErrBitmapFile = 8;
constexpr uint32_t ErrTextureLoad = 16;
constexpr uint32_t ErrModelSnapshot = 0x80000000u;

constexpr int kErrorLineHeight = 16;   // pixels from one line to the next, at 96 DPI
constexpr int kErrorLineChars = 256;   // room of one line, terminator included
constexpr int kMaxErrorLines = 1 + 7 + 5 + 2 + 7 + 7;

struct ErrorPageLine {
    int x;
    int y;
    char16_t text[kErrorLineChars];
};

typedef void (*ErrorLineSink)(const ErrorPageLine& line, void* context);

// Hands `sink` the heading and the lines of every known bit set in `flags`,
// in the fixed order 1, 2, 4, 8, 16, one line at a time, `lineHeight` pixels
// apart, and returns how many lines it produced. Both languages have the same
// lines in the same places. `fileName` fills the placeholder of the
// model-file remedy; a name too long for the line is cut at the line's end,
// never past.
int LayoutErrorPage(uint32_t flags, const char16_t* fileName, UiLanguage language, int lineHeight,
                    ErrorLineSink sink, void* context);

// The page's line height (and font height) on a monitor of `dpi`: 16 pixels
// at 96 DPI, in proportion elsewhere (24 at 144, 32 at 192). A DPI of 0 (not
// known) gives 16.
int ErrorLineHeightForDpi(unsigned dpi);
