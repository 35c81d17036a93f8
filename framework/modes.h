#pragma once
// Process entry and start-up modes of the saver.
#include <windows.h>

#include "platform/ui_language.h"

extern HINSTANCE ModuleInstance;  // the saver file's own module
extern BOOL IsWindows9x;          // the platform reports the Windows 9x family

// Runs the mode chosen by the command-line tail; the result is the exit code.
int RunSaverMode(HINSTANCE instance, const char* tail);

// The saver's hook before its settings dialog is shown; 0 skips the dialog.
BOOL SettingsDialogHook(HINSTANCE instance);

// Shows the modal settings dialog in the user's language (UserUiLanguage);
// returns 1 after OK, 0 after Cancel.
INT_PTR ShowSettingsDialog(HWND owner);

// The number of the settings dialog's template in `language`.
int SettingsDialogResource(UiLanguage language);
