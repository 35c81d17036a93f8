// Where the 640 x 480 picture goes on one area of the screen (the saver
// window, or one monitor of it) in each display mode. Portable: the Windows
// side only turns each placement into a copy to the screen.
#pragma once

#include <stdint.h>

#include "settings/modes.h"

// Left, top, right, bottom in pixels, right and bottom exclusive; laid out
// like the platform's RECT so that it can be handed on unchanged.
struct PixelRect {
    int32_t left, top, right, bottom;
};

enum { kPictureWidth = 640, kPictureHeight = 480 };

// Calls copy(dest, source) for every copy of the picture that `display` (a
// DisplayMode) asks for on `area`, `source` being the part of the picture
// that goes to `dest`: centred at its own size, stretched over the area, or
// tiled from the area's top-left corner; any other value asks for none. With
// `clip`, each copy is cut to the area (and its source with it) and copies
// left empty are dropped, so that nothing spills onto a neighbouring
// monitor; without it, copies may reach past the area's edges. Stops at the
// first copy that returns 0 and returns 0; otherwise returns 1. A template,
// so that the saver's copy is compiled in place rather than called through a
// pointer.
template <class Copy>
int PlacePicture(int display, const PixelRect& area, bool clip, Copy copy)
{
    if (display < 0 || display >= kDisplayModeCount)
        return 1;
    // Tiles start at the area's corner and fill it; the centred picture is
    // the one tile that starts half a picture before the area's centre, and
    // the stretched one the one tile that is the area itself.
    int32_t left = area.left, top = area.top, right = area.right, bottom = area.bottom;
    if (display != DisplayTiled) {
        if (display == DisplayCentred) {
            left += (right - left) / 2 - kPictureWidth / 2;
            top += (bottom - top) / 2 - kPictureHeight / 2;
        }
        right = left + 1;
        bottom = top + 1;
    }
    for (int32_t y = top; y < bottom; y += kPictureHeight) {
        for (int32_t x = left; x < right; x += kPictureWidth) {
            PixelRect dest = {x, y, x + kPictureWidth, y + kPictureHeight};
            if (clip && display != DisplayStretched) {
                if (dest.left < area.left) dest.left = area.left;
                if (dest.top < area.top) dest.top = area.top;
                if (dest.right > area.right) dest.right = area.right;
                if (dest.bottom > area.bottom) dest.bottom = area.bottom;
                if (dest.left >= dest.right || dest.top >= dest.bottom)
                    continue;
            }
            // The source is the destination seen from the tile's own corner,
            // so cutting one cuts the other; the stretched copy takes this
            // whole picture onto the whole area.
            PixelRect source = {dest.left - x, dest.top - y, dest.right - x, dest.bottom - y};
            if (display == DisplayStretched)
                dest = area;
            if (!copy(dest, source))
                return 0;
        }
    }
    return 1;
}
