#pragma once
#include <windows.h>

// Paints the error page for `flags` into `dc`, white on black, in the user's
// language (UserUiLanguage), its lines as high as the DPI of the monitor the
// page is on asks for. Always returns 1.
int PaintErrorScreen(HDC dc, UINT flags, const char* fileName);
