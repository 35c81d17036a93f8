#pragma once
// The user's settings, one section of morvella.ini. Portable declaration: the
// animation and scene code read the record without any Windows header.
#include <cstdint>

constexpr int kBitmapNameChars = 256;  // 255 characters and the terminator

// The fields, in the record's order; their keys, defaults and ranges are the
// rows of settings/settings_table.h.
struct SaverSettings {
    int32_t Speed;       // animation timer period in milliseconds
    int32_t Red;         // object colour, each component 0..255 scaled to 0..1
    int32_t Green;
    int32_t Blue;
    int32_t TexSize;     // how often the texture repeats across the object
    int32_t Smooth;      // non-zero: linear texture magnification
    int32_t RGBDevice;   // non-zero: software RGB device instead of the hardware one
    int32_t Display;     // DisplayMode (settings/modes.h)
    int32_t Animation;   // AnimationMode (settings/modes.h)
    int32_t SpotLight;   // non-zero: spot light, else directional
    int32_t LightRed;    // light colour, as the object colour
    int32_t LightGreen;
    int32_t LightBlue;
    char Bitmap[kBitmapNameChars];  // texture bitmap, relative to the saver's directory
};
