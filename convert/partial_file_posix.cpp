#include "convert/partial_file.h"

#include <cerrno>
#include <cstring>

FILE* CreatePartial(const std::string& path, std::string* error)
{
    FILE* file = fopen(path.c_str(), "w+b");
    if (!file)
        *error = std::string("cannot be written: ") + strerror(errno);
    return file;
}

bool KeepPartial(FILE*)
{
    return true;
}

void RemovePartial(const std::string& path)
{
    remove(path.c_str());
}
