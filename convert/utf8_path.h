// Paths inside the converter are UTF-8 strings on every system. Windows
// reads a narrow path given to the C runtime or to std::filesystem in the
// ANSI code page, which has no letter for most names (a Japanese folder on
// an English Windows, an accented one on a Japanese Windows); these reach
// files there through wide-character calls instead.
#ifndef MORVELLA_CONVERT_UTF8_PATH_H
#define MORVELLA_CONVERT_UTF8_PATH_H

#include <cstdio>
#include <filesystem>
#include <string>

inline std::filesystem::path Utf8Path(const std::string& utf8)
{
    return std::filesystem::u8path(utf8);
}

inline std::string PathUtf8(const std::filesystem::path& path)
{
    return path.u8string();
}

// fopen for a UTF-8 path.
inline FILE* OpenUtf8(const std::string& path, const char* mode)
{
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(Utf8Path(path).c_str(), wideMode.c_str());
#else
    return fopen(path.c_str(), mode);
#endif
}

#endif
