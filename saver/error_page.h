#pragma once
#include <windows.h>

// Paints the Japanese error page for `flags` into `dc`, white on black.
// Always returns 1.
int PaintErrorScreen(HDC dc, UINT flags, const char* fileName);
