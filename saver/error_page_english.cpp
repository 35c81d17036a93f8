// The error page in English: the same rows in the same order as the Japanese
// page, saying what it says, with the same indents.
#include "saver/error_page_texts.h"

namespace {

const char* const kDirectDrawBlock[] = {
    "Error: DirectDraw could not be initialized.",
    "Cause: probably one of the following.",
    "   (1) DirectX 7 is not installed.",
    "   (2) There is not enough video memory.",
    "Remedy: do the following.",
    "   (1) Install DirectX 7.",
    "   (2) Lower the screen resolution.",
    nullptr,
};

const char* const kDirect3DBlock[] = {
    "Error: Direct3D could not be initialized.",
    "Cause: the Direct3D device probably does not support the current display mode.",
    "Remedy: try one of the following.",
    "      (1) Change the number of screen colors (16-bit is recommended).",
    "      (2) Turn on RGB device in the settings dialog.",
    nullptr,
};

const char* const kBitmapFileBlock[] = {
    "Error: the bitmap file cannot be used.",
    "Cause: there is a problem with the chosen bitmap file.",
    "Remedy: check the following.",
    "   (1) The file name chosen in the settings dialog is correct.",
    "   (2) The chosen bitmap file is in the same folder as the .scr file.",
    "   (3) The bitmap is as wide as it is high.",
    "   (4) The bitmap's size is a power of two (for example 32x32, 64x64, ...).",
    nullptr,
};

const char* const kTextureLoadBlock[] = {
    "Error: initialization failed.",
    "Cause: the bitmap file probably could not be loaded.",
    "Remedy: check the following.",
    "   (1) The file name chosen in the settings dialog is correct.",
    "   (2) The chosen bitmap file is in the same folder as the .scr file.",
    "   (3) The bitmap's width and height are the same size.",
    "   (4) The bitmap's size is a power of two (for example 32x32, 64x64, ...).",
    nullptr,
};

}  // namespace

extern const ErrorPageTexts<char> kEnglishErrorPage = {
    "An error has occurred.",
    kDirectDrawBlock,
    kDirect3DBlock,
    "Error: a file could not be loaded.",
    "Remedy: copy the file ",
    " into the same folder as the .scr file.",
    kBitmapFileBlock,
    kTextureLoadBlock,
};
