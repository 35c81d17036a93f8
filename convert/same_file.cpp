#include "convert/same_file.h"

#include <filesystem>
#include <system_error>

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    const bool same = std::filesystem::equivalent(std::filesystem::u8path(a), std::filesystem::u8path(b), ec);
    return same && !ec;
}
