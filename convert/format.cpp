#include "convert/format.h"

#include <cstdio>

std::string FormattedList(const char* format, va_list args)
{
    va_list again;
    va_copy(again, args);
    const int length = vsnprintf(nullptr, 0, format, args);
    std::string text;
    if (length > 0) {
        text.assign((size_t)length + 1, '\0');
        vsnprintf(&text[0], text.size(), format, again);
        text.resize((size_t)length);
    }
    va_end(again);
    return text;
}

std::string Formatted(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormattedList(format, args);
    va_end(args);
    return text;
}

std::string Thousands(size_t n)
{
    const std::string digits = std::to_string(n);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}
