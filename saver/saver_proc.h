#pragma once
// The saver's own window procedure, exported under its platform name.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message,
                                                                 WPARAM wParam, LPARAM lParam);
