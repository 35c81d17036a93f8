#pragma once
// The settings store: reads the user's settings from morvella.ini into the
// record the rest of the saver reads. Only the settings dialog writes the
// file. Portable declarations.
#include "settings/settings.h"

// Where the settings live: the section and the bare file name, from the
// string resources (the saver and its dialog both use them).
struct SettingsFileNames {
    char section[40];
    char file[13];
};
void LoadSettingsFileNames(SettingsFileNames& names);

// Reads every key (missing ones get their default; nothing is clamped).
// Always returns 1.
int LoadSettings(SaverSettings& settings);
