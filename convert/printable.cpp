#include "convert/printable.h"

namespace {

// Length of the well-formed UTF-8 sequence at s[i], or 0.
size_t SequenceLength(const std::string& s, size_t i)
{
    const unsigned char c = (unsigned char)s[i];
    size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (c >= 0xF5 || n == 0 || i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k)
        if (((unsigned char)s[i + k] & 0xC0) != 0x80)
            return 0;
    const unsigned char d = (unsigned char)s[i + 1];
    // Overlong forms, UTF-16 surrogates and code points above U+10FFFF.
    if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0) || (c == 0xF0 && d < 0x90) || (c == 0xF4 && d >= 0x90))
        return 0;
    // U+0080 to U+009F: the C1 controls, which some terminals obey.
    if (c == 0xC2 && d < 0xA0)
        return 0;
    return n;
}

}  // namespace

std::string Printable(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = (unsigned char)text[i];
        if (c < 0x80) {
            out += c < 0x20 || c == 0x7F ? '?' : (char)c;
            ++i;
            continue;
        }
        const size_t n = SequenceLength(text, i);
        if (n == 0) {
            out += '?';
            ++i;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}
