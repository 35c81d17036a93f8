// The error page drawn into a memory picture: which bands of 16 pixels carry
// text, and that the Japanese texts arrive as Japanese glyphs whatever the
// ANSI code page.
#include <windows.h>

#include <stdlib.h>

#include <vector>

#include "saver/error_page.h"

#include "gtest/gtest.h"

namespace {

struct Canvas {
    static const int kWidth = 1024;
    static const int kHeight = 320;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    DWORD* pixels;

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

    // Bands of 16 rows that hold white text pixels.
    std::vector<int> InkedBands() const
    {
        GdiFlush();
        std::vector<int> bands;
        for (int band = 0; band < kHeight / 16; ++band) {
            bool inked = false;
            for (int y = band * 16; y < band * 16 + 16 && !inked; ++y)
                for (int x = 0; x < kWidth && !inked; ++x)
                    inked = At(x, y) == 0xFFFFFF;
            if (inked)
                bands.push_back(band * 16);
        }
        return bands;
    }
    // Rightmost white pixel in the band starting at y.
    int InkRight(int y) const
    {
        int right = -1;
        for (int row = y; row < y + 16; ++row)
            for (int x = 0; x < kWidth; ++x)
                if (At(x, row) == 0xFFFFFF && x > right)
                    right = x;
        return right;
    }
};

std::vector<int> Rows(int first, int last)
{
    std::vector<int> rows;
    for (int y = first; y <= last; y += 16)
        rows.push_back(y);
    return rows;
}

std::vector<int> BandsFor(UINT flags)
{
    Canvas canvas;
    EXPECT_EQ(1, PaintErrorScreen(canvas.dc, flags, "morvella.dat"));
    return canvas.InkedBands();
}

// Which lines each set of bits brings, and where, is the layout's and is
// tested with it; here, that the painter puts every laid-out line in its
// band: the heading alone, one block, and two blocks one after the other.
TEST(ErrorPage, EachFlagPutsItsLinesWhereThePageSays)
{
    EXPECT_EQ(Rows(0, 0), BandsFor(0x80000000u)) << "snapshot failure: heading only";
    EXPECT_EQ(Rows(0, 32), BandsFor(4));
    EXPECT_EQ(Rows(0, 192), BandsFor(3)) << "the Direct3D block follows at 128";
}

TEST(ErrorPage, TextIsWhiteOnBlackCellsAndNothingElseIsErased)
{
    Canvas canvas;
    PaintErrorScreen(canvas.dc, 4, "morvella.dat");
    GdiFlush();
    bool black = false;
    for (int x = 0; x < 100 && !black; ++x)
        black = canvas.At(x, 8) == 0;
    EXPECT_TRUE(black) << "cells of a line are painted black";
    EXPECT_EQ(0x404040u, canvas.At(1000, 100)) << "the page erases nothing outside its lines";
    EXPECT_EQ(0x404040u, canvas.At(5, 60));
}

TEST(ErrorPage, JapaneseTextIsDrawnAsFullWidthGlyphsInAnyCodePage)
{
    Canvas canvas;
    PaintErrorScreen(canvas.dc, 4, "morvella.dat");
    // The heading is twelve full-width characters: at a 16-pixel cell that is
    // far wider than twelve half-width replacement marks would be.
    int heading = canvas.InkRight(0);
    EXPECT_GT(heading, 150) << "ANSI code page " << GetACP();
    EXPECT_LT(heading, 220);
    // The remedy line carries the file name and runs much further.
    EXPECT_GT(canvas.InkRight(32), heading + 300);
    const char* expected = getenv("MORVELLA_EXPECT_ACP");
    if (expected)
        EXPECT_EQ(static_cast<UINT>(atoi(expected)), GetACP());
}

}  // namespace
