#pragma once
// Files and processes for the tests of the Windows programs that take model
// files: wide and UTF-8 names, whole files, a model of any size, and the
// second process a program starts.
#include <windows.h>

#include <cstdint>
#include <string>

std::string Utf8Of(const std::wstring& wide);
std::wstring Wide(const std::string& utf8);
bool Exists(const std::wstring& path);
void WriteWhole(const std::wstring& path, const std::string& bytes);
// The file's first `most` bytes ("" when it cannot be read).
std::string ReadWhole(const std::wstring& path, size_t most = 1 << 20);

// A closed sphere of about 2 x rings x segments triangles as a binary STL,
// written as it is made: the largest is 150 MB.
void WriteSphereStl(const std::wstring& path, int rings, int segments, uint32_t* triangles);

// A process that `parent` started, or 0.
DWORD ChildOf(DWORD parent);
