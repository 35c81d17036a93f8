// The user's settings applied to the scene: the first object's colour,
// texture name and texture coordinates, the magnification filter and light 0.
#pragma once

struct ModelData;
struct SaverSettings;

// Needs the engine's device. The bitmap named by the settings is looked for
// beside the loaded model file, which is the saver's folder. On a rejected
// bitmap it returns false and leaves 8 (the bitmap-file error bit) as the
// thread's last-error value, for the start-up to OR into its error flags.
bool SetupScene(ModelData* model, const SaverSettings& settings);

// True when the file's BMP width (byte 18) equals its height (byte 22) and is
// a power of two. A missing or short file gives false.
bool CheckBitmapSize(const char* path);
