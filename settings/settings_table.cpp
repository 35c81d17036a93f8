#include "settings/settings_table.h"

#include "settings/modes.h"

const char kDefaultBitmap[] = "sample.bmp";

const SettingRow kSettings[kSettingCount] = {
    // key          field                        default  range
    { "Speed",      &SaverSettings::Speed,       100,     10, 500,                     SettingInteger },
    { "Red",        &SaverSettings::Red,         200,     0, 255,                      SettingInteger },
    { "Green",      &SaverSettings::Green,       200,     0, 255,                      SettingInteger },
    { "Blue",       &SaverSettings::Blue,        200,     0, 255,                      SettingInteger },
    { "TexSize",    &SaverSettings::TexSize,     10,      1, 15,                       SettingInteger },
    { "Bitmap",     nullptr,                     0,       0, kBitmapNameChars - 1,     SettingText },
    { "Smooth",     &SaverSettings::Smooth,      0,       0, 1,                        SettingInteger },
    { "RGBDevice",  &SaverSettings::RGBDevice,   0,       0, 1,                        SettingInteger },
    { "Display",    &SaverSettings::Display,     DisplayCentred, 0, kDisplayModeCount - 1, SettingInteger },
    { "Animation",  &SaverSettings::Animation,   static_cast<int16_t>(AnimationMode::Random), 0,
                                                          kAnimationModeCount - 1, SettingInteger },
    { "SpotLight",  &SaverSettings::SpotLight,   0,       0, 1,                        SettingInteger },
    { "LightRed",   &SaverSettings::LightRed,    255,     0, 255,                      SettingInteger },
    { "LightGreen", &SaverSettings::LightGreen,  255,     0, 255,                      SettingInteger },
    { "LightBlue",  &SaverSettings::LightBlue,   255,     0, 255,                      SettingInteger },
};
