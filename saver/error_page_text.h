#pragma once
// The Japanese error page: which lines a set of start-up failure bits shows,
// and where. Portable, so the layout is tested natively; the Windows side
// only draws the lines.
#include <cstdint>

// Start-up failure bits.
constexpr uint32_t ErrDirectDraw = 1;
constexpr uint32_t ErrDirect3D = 2;
constexpr uint32_t ErrModelFile = 4;
constexpr uint32_t ErrBitmapFile = 8;
constexpr uint32_t ErrTextureLoad = 16;
constexpr uint32_t ErrModelSnapshot = 0x80000000u;

constexpr int kErrorLineHeight = 16;   // pixels from one line to the next
constexpr int kErrorLineChars = 256;   // room of one line, terminator included
constexpr int kMaxErrorLines = 1 + 7 + 5 + 2 + 7 + 7;

struct ErrorPageLine {
    int x;
    int y;
    char16_t text[kErrorLineChars];
};

typedef void (*ErrorLineSink)(const ErrorPageLine& line, void* context);

// Hands `sink` the heading and the lines of every known bit set in `flags`,
// in the fixed order 1, 2, 4, 8, 16, one line at a time, and returns how many
// lines it produced. `fileName` fills the placeholder of the model-file
// remedy; a name too long for the line is cut at the line's end, never past.
int LayoutErrorPage(uint32_t flags, const char16_t* fileName, ErrorLineSink sink, void* context);
