#pragma once
// The saver window: class, full-screen or preview creation, message loop and
// the rules by which input and system events close it.
#include <windows.h>

extern BOOL PreviewMode;            // the window is a child of a preview window
extern HWND SaverWindow;
extern UINT AutoPlayQueryMessage;   // "QueryCancelAutoPlay" on Windows 9x, else 0
extern POINT CursorAnchor;          // where the mouse-move rule measures from

// Creates the saver window (full screen when parent is NULL) and runs the
// message loop; returns the process exit code.
int RunSaverWindow(HWND parent);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The framework's default handling, called by the saver's own window
// procedure as its last step for every message.
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
