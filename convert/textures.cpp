#include "convert/textures.h"

#include "convert/utf8_path.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace {

// The saver builds "its folder + name" in 256 characters; a short name
// leaves room for any likely folder.
const size_t kLongestName = 64;

uint32_t Le32(const unsigned char* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

uint16_t Le16(const unsigned char* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

bool PowerOfTwo(int64_t v)
{
    return v >= 1 && v <= 1024 && (v & (v - 1)) == 0;
}

// Windows opens a device, not a file, for these names whatever the folder
// and the extension ("con.bmp" is the console: reading it waits for the
// user to type), so neither this tool nor the saver may open one.
bool IsDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = (char)toupper((unsigned char)c);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           isdigit((unsigned char)stem[3]);
}

}  // namespace

bool BitmapIsUsable(const std::string& path, std::string* why)
{
    FILE* file = OpenUtf8(path, "rb");
    if (!file) {
        *why = "is missing or cannot be opened";
        return false;
    }
    unsigned char h[54];
    const size_t got = fread(h, 1, sizeof(h), file);
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    fclose(file);
    if (got != sizeof(h) || h[0] != 'B' || h[1] != 'M' || Le32(h + 14) < 40) {
        *why = "is not a Windows bitmap";
        return false;
    }
    const int64_t width = (int32_t)Le32(h + 18);
    const int64_t height = (int32_t)Le32(h + 22);
    const unsigned bits = Le16(h + 28);
    const uint32_t compression = Le32(h + 30);
    const uint32_t pixelsAt = Le32(h + 10);
    if (Le16(h + 26) != 1 || !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) ||
        !(compression == 0 || compression == 3)) {
        *why = "is a compressed or unusual bitmap";
        return false;
    }
    const int64_t rows = height < 0 ? -height : height;
    if (!PowerOfTwo(width) || !PowerOfTwo(rows)) {
        *why = "has a side that is not a power of two from 1 to 1024";
        return false;
    }
    const int64_t stride = (width * bits + 31) / 32 * 4;
    if (size < 0 || (int64_t)pixelsAt + stride * rows > size) {
        *why = "is cut short";
        return false;
    }
    return true;
}

std::string UsableTextureName(const std::string& named, const std::string& outputDir, std::string* why)
{
    // Only the file name counts: the saver looks beside the model file.
    std::string name = named;
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    if (name.empty() || name[0] == '*') {
        *why = "is embedded in the model file";
        return "";
    }
    name += ".bmp";
    if (name.size() > kLongestName) {
        *why = "has a name longer than " + std::to_string(kLongestName) + " characters";
        return "";
    }
    for (char c : name) {
        if ((unsigned char)c < 32 || (unsigned char)c >= 127) {
            *why = "has a name with characters other than printable ASCII";
            return "";
        }
    }
    if (IsDeviceName(name)) {
        *why = name + " is the name of a Windows device, not of a file";
        return "";
    }
    const std::string path = (outputDir.empty() ? std::string(".") : outputDir) + "/" + name;
    std::string reason;
    if (!BitmapIsUsable(path, &reason)) {
        *why = name + " beside the output " + reason;
        return "";
    }
    return name;
}
