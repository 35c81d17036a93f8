#pragma once
// Resource numbers the program looks its resources up by.
#define IDS_INI_FILE_NAME     1001  // "morvella.ini"
#define IDS_INI_SECTION       1007  // "morvella.scr"
#define IDD_SETTINGS          2003  // the settings dialog, in Japanese
#define IDD_SETTINGS_ENGLISH  2004  // the same dialog in English
#define IDI_SAVER_ICON        100   // asked for by the window class; the file carries none
