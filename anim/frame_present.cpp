// Copying the finished picture from the back buffer to the screen.
#include <windows.h>
#include <ddraw.h>

#include "anim/frame.h"
#include "engine/render_engine.h"

enum { kPictureWidth = 640, kPictureHeight = 480 };

static int CopyToScreen(CRenderEngine& engine, RECT& dest, RECT& source)
{
    return engine.primary->Blt(&dest, engine.backBuffer, &source, DDBLT_WAIT, 0) == DD_OK;
}

int PresentFrame(CRenderEngine& engine, int display)
{
    RECT client;
    GetClientRect(engine.hwnd, &client);
    RECT source = {0, 0, kPictureWidth, kPictureHeight};

    // The primary surface is addressed in screen coordinates. The saver
    // window usually starts at the screen's top-left, but on a desktop whose
    // origin lies elsewhere (a monitor left of or above the primary one) the
    // client area must be moved to where the window really is.
    POINT origin = {0, 0};
    ClientToScreen(engine.hwnd, &origin);

    engine.ddraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, 0);

    RECT dest;
    switch (display) {
    case 0: {
        LONG cx = client.right / 2;
        LONG cy = client.bottom / 2;
        dest.left = origin.x + cx - kPictureWidth / 2;
        dest.top = origin.y + cy - kPictureHeight / 2;
        dest.right = origin.x + cx + kPictureWidth / 2;
        dest.bottom = origin.y + cy + kPictureHeight / 2;
        return CopyToScreen(engine, dest, source);
    }
    case 1:
        dest.left = origin.x + client.left;
        dest.top = origin.y + client.top;
        dest.right = origin.x + client.right;
        dest.bottom = origin.y + client.bottom;
        return CopyToScreen(engine, dest, source);
    case 2:
        // Tiling takes longer than one copy; the second wait keeps the
        // tiles of one frame from tearing across two refreshes.
        engine.ddraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, 0);
        for (LONG y = 0; y < client.bottom; y += kPictureHeight) {
            for (LONG x = 0; x < client.right; x += kPictureWidth) {
                // Edge tiles reach past the window; the clipper cuts them.
                dest.left = origin.x + x;
                dest.top = origin.y + y;
                dest.right = origin.x + x + kPictureWidth;
                dest.bottom = origin.y + y + kPictureHeight;
                if (!CopyToScreen(engine, dest, source))
                    return 0;
            }
        }
        return 1;
    default:
        return 1;
    }
}
