#include "platform/paths.h"

#include <cstring>

bool ExtractDirectory(char* directory, size_t size, const char* path, CharStepFn step)
{
    size_t length = 0;
    for (const char* p = path; *p; p = step(p)) {
        if (*p == '\\')
            length = static_cast<size_t>(p - path) + 1;
    }
    directory[0] = 0;
    if (length >= size)
        return false;
    memcpy(directory, path, length);
    directory[length] = 0;
    return true;
}

bool JoinPath(char* out, size_t size, const char* directory, const char* name)
{
    size_t first = strlen(directory);
    size_t second = strlen(name);
    out[0] = 0;
    if (first + second >= size)
        return false;
    memcpy(out, directory, first);
    memcpy(out + first, name, second + 1);
    return true;
}
