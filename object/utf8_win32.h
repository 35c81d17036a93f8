#pragma once
// The object window speaks UTF-16 to Windows and UTF-8 to the converter
// library (paths, summaries) and to its worker's pipe.

#include <string>

std::string Utf8(const std::wstring& wide);
std::wstring Wide(const std::string& utf8);
