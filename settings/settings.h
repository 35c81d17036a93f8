#pragma once
// The user's settings, one section of morvella.ini. Portable declaration: the
// animation and scene code read the record without any Windows header.
#include <cstdint>

struct SaverSettings {
    int32_t Speed;       // animation timer period in milliseconds (10..500 in the dialog)
    int32_t Red;         // object colour, 0..255 each
    int32_t Green;
    int32_t Blue;
    int32_t TexSize;     // texture repeat factor, 1..15
    int32_t Smooth;      // non-zero: linear texture magnification
    int32_t RGBDevice;   // non-zero: software RGB device instead of the hardware one
    int32_t Display;     // 0 centred, 1 stretched, 2 tiled
    int32_t Animation;   // 0 random, 1 jump, 2 wave, 3 rotation, 4 vortex, 5 flag
    int32_t SpotLight;   // non-zero: spot light, else directional
    int32_t LightRed;    // light colour, 0..255 each
    int32_t LightGreen;
    int32_t LightBlue;
    char Bitmap[256];    // texture bitmap, relative to the saver's directory
};

// Defaults of every key, shared by the loader and the settings dialog.
constexpr int32_t kDefaultSpeed = 100;
constexpr int32_t kDefaultColour = 200;
constexpr int32_t kDefaultTexSize = 10;
constexpr int32_t kDefaultLight = 255;
constexpr char kDefaultBitmap[] = "sample.bmp";
