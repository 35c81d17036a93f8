#pragma once
// The fourteen keys of morvella.ini, each once: its type, its default and
// the range the settings dialog offers. The saver's settings store reads the
// file by this table; the dialog shows, resets and writes it by the same
// rows, so the two cannot differ on a key, a default or a range. Portable.
#include <cstdint>

#include "settings/settings.h"

enum SettingType : uint8_t {
    SettingInteger,  // read and written as decimal text ("%ld")
    SettingText,     // the bitmap's file name, as it is
};

struct SettingRow {
    const char* key;
    int32_t SaverSettings::*field;  // where the store puts an integer (null for the text)
    int16_t fallback;               // the default of a missing key (the text's: kDefaultBitmap)
    int16_t minimum;                // the range the dialog offers; the store clamps nothing
    int16_t maximum;                // (the text: the most characters it holds)
    uint8_t type;                   // SettingType
};

// The rows, in the order the store reads them.
enum SettingIndex : uint8_t {
    SettingSpeed, SettingRed, SettingGreen, SettingBlue, SettingTexSize, SettingBitmap,
    SettingSmooth, SettingRGBDevice, SettingDisplay, SettingAnimation, SettingSpotLight,
    SettingLightRed, SettingLightGreen, SettingLightBlue,
    kSettingCount
};

extern const SettingRow kSettings[kSettingCount];
extern const char kDefaultBitmap[];
