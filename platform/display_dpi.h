#pragma once
// DPI on Windows: the process's awareness, and the DPI a window or a monitor
// is drawn at. Every function used here is looked up at run time: Windows
// before 8.1 or 10 lacks them, and the saver still starts there.
#include <windows.h>

// Makes the process DPI-aware (per monitor v2, else per monitor, else
// system-wide), so that sizes, monitor rectangles and window positions are
// real pixels. Called first thing in full-screen and settings mode, before
// any call that depends on it. A refused call does no harm.
void MakeProcessDpiAware();

// The DPI of `window` (GetDpiForWindow), or 0 where Windows cannot say.
UINT WindowDpi(HWND window);

// The DPI of the monitor under `point` (screen coordinates), or 0 where
// Windows cannot say.
UINT MonitorDpiAt(POINT point);

// `length` pixels at 96 DPI, at `dpi`.
inline int ScaleForDpi(int length, UINT dpi)
{
    return MulDiv(length, static_cast<int>(dpi), 96);
}
