#pragma once
// The settings dialog: reads morvella.ini into the controls of template
// IDD_SETTINGS when it opens and writes every key back on OK.
#include <windows.h>

// Dialog procedure of IDD_SETTINGS, exported under its platform name. Ends the
// dialog with 1 after a successful save (OK), 0 on Cancel. When the settings
// cannot be written the user is told so and the dialog stays open.
extern "C" __declspec(dllexport) INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM);
