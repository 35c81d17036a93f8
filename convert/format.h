// Text filled in the way printf fills it, into a string, and counts as
// people read them; for the tool's summary, its console and the object
// window.
#ifndef MORVELLA_CONVERT_FORMAT_H
#define MORVELLA_CONVERT_FORMAT_H

#include <cstdarg>
#include <cstddef>
#include <string>

// A printf format filled in: "" when it comes to nothing or cannot be filled.
std::string Formatted(const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string FormattedList(const char* format, va_list args);

// 21845 as "21,845".
std::string Thousands(size_t n);

#endif
