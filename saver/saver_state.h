#pragma once
// Program-wide state of the saver core. Portable declarations.
#include <cstdint>

#include "settings/settings.h"

extern char SaverDirectory[256];    // the saver file's directory, with its trailing backslash
extern bool SaverDirectoryFits;     // false when the directory was too long to keep
extern SaverSettings CurrentSettings;
extern uint32_t SaverErrorFlags;    // start-up failure bits (saver/error_page_text.h)

constexpr char kModelFileName[] = "morvella.dat";

// Fills SaverDirectory from the path the saver was started by, and chooses
// how the files beside it are reached (platform/file_view.h). Windows only:
// the saver's window and its settings dialog both call it as they open.
void FindSaverDirectory();
