// Copying the finished picture from the back buffer to the screen, once per
// monitor: the picture is rendered once and copied as often as needed.
#include <windows.h>
#include <ddraw.h>

#include "anim/frame.h"
#include "anim/placement.h"
#include "engine/render_engine.h"

// Monitors in screen coordinates, as last read; fewer than two means the
// window is treated as one screen, exactly as on a single-monitor system.
// More monitors than any PC drives; each costs 16 bytes of memory, no file size.
enum { kMaxMonitors = 64 };
static PixelRect Monitors[kMaxMonitors];
static int MonitorCount;

static BOOL CALLBACK AddMonitor(HANDLE, HDC, LPRECT rect, LPARAM)
{
    if (MonitorCount < kMaxMonitors)
        Monitors[MonitorCount++] = *reinterpret_cast<PixelRect*>(rect);
    return TRUE;
}

void ReadMonitorList()
{
    // Windows 95 and NT 4 know no monitors; the function is looked up so
    // that the saver still starts there.
    typedef BOOL (WINAPI* EnumMonitorsFn)(HDC, LPCRECT, BOOL (CALLBACK*)(HANDLE, HDC, LPRECT, LPARAM), LPARAM);
    EnumMonitorsFn enumMonitors = reinterpret_cast<EnumMonitorsFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("USER32"), "EnumDisplayMonitors")));
    MonitorCount = 0;
    if (enumMonitors)
        enumMonitors(NULL, NULL, AddMonitor, 0);
}

int PresentFrame(CRenderEngine& engine, int display)
{
    // The primary surface is addressed in screen coordinates. The saver
    // window usually starts at the screen's top-left, but on a desktop whose
    // origin lies elsewhere (a monitor left of or above the primary one) the
    // client area must be moved to where the window really is.
    PixelRect window;
    GetClientRect(engine.hwnd, reinterpret_cast<RECT*>(&window));
    MapWindowPoints(engine.hwnd, NULL, reinterpret_cast<POINT*>(&window), 2);

    // Tiling takes longer than one copy; a second wait keeps the tiles of
    // one frame from tearing across two refreshes.
    int waits = display == DisplayTiled ? 2 : 1;
    do
        engine.ddraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, 0);
    while (--waits);

    // With several monitors the window spans the whole desktop: each
    // monitor gets the picture, its copies cut to that monitor. A monitor
    // whose copy fails does not cost the others theirs.
    const PixelRect* areas = Monitors;
    int count = MonitorCount;
    if (count < 2) {
        areas = &window;
        count = 1;
    }
    int presented = 1;
    // Compiled in place: one copy is one Blt, with no call in between.
    auto copy = [&engine](const PixelRect& dest, const PixelRect& source) __attribute__((always_inline)) {
        return engine.primary->Blt(reinterpret_cast<RECT*>(const_cast<PixelRect*>(&dest)), engine.backBuffer,
                                   reinterpret_cast<RECT*>(const_cast<PixelRect*>(&source)), DDBLT_WAIT, 0) == DD_OK;
    };
    for (int i = 0; i < count; ++i)
        presented &= PlacePicture(display, areas[i], count > 1, copy);
    return presented;
}
