// The error page drawn into a memory picture: which lines of the page's line
// height carry text, that the Japanese texts arrive as Japanese glyphs
// whatever the ANSI code page, and that the English page fits the smallest
// screen it is shown on. The page is in the language the run expects
// (Said); its line height follows the display's DPI (16 pixels at 96, 24 at
// 144).
#include <windows.h>

#include <stdlib.h>

#include <vector>

#include "saver/error_page.h"
#include "tests/windows/saver_driver.h"

#include "gtest/gtest.h"

namespace {

// The page's line height at this display's DPI, as the page is to have it.
int ExpectedLineHeight()
{
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    switch (dpi) {
    case 96: return 16;
    case 144: return 24;
    case 192: return 32;
    }
    ADD_FAILURE() << "no line height known for " << dpi << " DPI";
    return 16;
}

struct Canvas {
    static const int kWidth = 1024;
    static const int kHeight = 1024;  // the English page whole at 192 DPI: 29 lines of 32 pixels
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    DWORD* pixels;
    int line = ExpectedLineHeight();

    Canvas()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(NULL);
        void* bits = NULL;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
        pixels = static_cast<DWORD*>(bits);
        previous = SelectObject(dc, bitmap);
        // A grey background shows what the page paints and what it leaves.
        for (int i = 0; i < kWidth * kHeight; ++i)
            pixels[i] = 0x404040;
    }
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    DWORD At(int x, int y) const { return pixels[y * kWidth + x] & 0xFFFFFF; }

    // Tops of the lines that hold white text pixels.
    std::vector<int> InkedLines() const
    {
        GdiFlush();
        std::vector<int> lines;
        for (int top = 0; top + line <= kHeight; top += line) {
            bool inked = false;
            for (int y = top; y < top + line && !inked; ++y)
                for (int x = 0; x < kWidth && !inked; ++x)
                    inked = At(x, y) == 0xFFFFFF;
            if (inked)
                lines.push_back(top);
        }
        return lines;
    }
    // Rightmost white pixel in the line starting at y.
    int InkRight(int y) const
    {
        int right = -1;
        for (int row = y; row < y + line; ++row)
            for (int x = 0; x < kWidth; ++x)
                if (At(x, row) == 0xFFFFFF && x > right)
                    right = x;
        return right;
    }
};

std::vector<int> Lines(int first, int last)
{
    std::vector<int> tops;
    int line = ExpectedLineHeight();
    for (int index = first; index <= last; ++index)
        tops.push_back(index * line);
    return tops;
}

std::vector<int> LinesFor(UINT flags)
{
    Canvas canvas;
    EXPECT_EQ(1, PaintErrorScreen(canvas.dc, flags, "morvella.dat"));
    return canvas.InkedLines();
}

// Which lines each set of bits brings is the layout's and is tested with it;
// here, that the painter puts every laid-out line in its place: the heading
// alone, one block, and two blocks one after the other.
TEST(ErrorPage, EachFlagPutsItsLinesWhereThePageSays)
{
    EXPECT_EQ(Lines(0, 0), LinesFor(0x80000000u)) << "snapshot failure: heading only";
    EXPECT_EQ(Lines(0, 2), LinesFor(4));
    EXPECT_EQ(Lines(0, 12), LinesFor(3)) << "the Direct3D block follows the DirectDraw block";
}

// Each line's cells are black from the top of its line and one line high: the
// font fills the line (the font mapper may round a large font's cell a pixel
// short).
TEST(ErrorPage, TextIsWhiteOnBlackCellsOneLineHighAndNothingElseIsErased)
{
    Canvas canvas;
    PaintErrorScreen(canvas.dc, 4, "morvella.dat");
    GdiFlush();
    int cellRows = 0;
    bool black = false;
    for (int y = 0; y < 200; ++y) {
        cellRows += canvas.At(1, y) != 0x404040;
        black = black || canvas.At(1, y) == 0;
    }
    EXPECT_TRUE(black) << "cells of a line are painted black";
    for (int index = 0; index < 3; ++index)
        EXPECT_NE(0x404040u, canvas.At(1, index * canvas.line)) << "no cell at the top of line " << index;
    EXPECT_LE(3 * (canvas.line - 1), cellRows) << "rows painted at the left edge, three lines";
    EXPECT_GE(3 * canvas.line, cellRows) << "rows painted at the left edge, three lines";
    EXPECT_EQ(0x404040u, canvas.At(1000, 3 * canvas.line + 20)) << "the page erases nothing outside its lines";
    EXPECT_EQ(0x404040u, canvas.At(1, 3 * canvas.line));
}

TEST(ErrorPage, TextIsInTheUserLanguageInAnyCodePage)
{
    const char* expected = getenv("MORVELLA_EXPECT_ACP");
    if (expected)
        EXPECT_EQ(static_cast<UINT>(atoi(expected)), GetACP());
    Canvas canvas;
    if (!ExpectEnglish()) {
        PaintErrorScreen(canvas.dc, 4, "morvella.dat");
        // The heading is twelve full-width characters: far wider than twelve
        // half-width replacement marks, or the English heading, would be.
        int heading = canvas.InkRight(0);
        EXPECT_GT(heading, 150 * canvas.line / 16) << "ANSI code page " << GetACP();
        EXPECT_LT(heading, 220 * canvas.line / 16);
        // The remedy line carries the file name and runs much further.
        EXPECT_GT(canvas.InkRight(2 * canvas.line), heading + 300 * canvas.line / 16);
        return;
    }
    // Every line of every block fits a 640-pixel screen; the Japanese page,
    // in full-width characters, does not.
    PaintErrorScreen(canvas.dc, 0xFFFFFFFFu, "morvella.dat");
    std::vector<int> lines = canvas.InkedLines();
    EXPECT_EQ(Lines(0, 28), lines);
    for (int top : lines)
        EXPECT_LT(canvas.InkRight(top), 640 * canvas.line / 16) << "line at " << top << ", code page " << GetACP();
}

}  // namespace
