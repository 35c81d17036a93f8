#pragma once
// The lines of the error page in one language, block by block, for the
// layout in error_page_text.cpp. Each block is a list of lines ending with a
// null pointer; the model-file block's remedy line is the one line with a
// placeholder, the file name between its two halves.

template <class Char>
struct ErrorPageTexts {
    const Char* heading;
    const Char* const* directDraw;
    const Char* const* direct3D;
    const Char* modelFileError;
    const Char* modelFileRemedyBefore;
    const Char* modelFileRemedyAfter;
    const Char* const* bitmapFile;
    const Char* const* textureLoad;
};

extern const ErrorPageTexts<char16_t> kJapaneseErrorPage;
// Plain ASCII, stored as bytes: half the room of wide text.
extern const ErrorPageTexts<char> kEnglishErrorPage;
