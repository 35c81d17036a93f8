// Texture names for the objects after the first. The saver makes a texture
// for every object that names a bitmap and refuses to start when one cannot
// be loaded, so a name is written only for a Windows bitmap that lies beside
// the output and that the saver's loading can take.
#ifndef MORVELLA_CONVERT_TEXTURES_H
#define MORVELLA_CONVERT_TEXTURES_H

#include <string>

// The name to store for a texture the model names (any path, any image
// format): the file name with a .bmp extension, when that bitmap exists in
// outputDir and passes BitmapIsUsable; otherwise "" with the reason in why.
std::string UsableTextureName(const std::string& named, const std::string& outputDir, std::string* why);

// An uncompressed Windows bitmap the saver's texture step takes: a
// BITMAPINFOHEADER (or later) header, 1 to 32 bits a pixel, power-of-two
// sides of 1 to 1024 pixels (old devices make textures of no other sizes),
// and pixel data inside the file.
bool BitmapIsUsable(const std::string& path, std::string* why);

#endif
