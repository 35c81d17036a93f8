// Text from a model file (mesh, material and texture names) and from the
// import library's messages may hold anything, terminal escape sequences
// among it. What the tool prints passes through here first.
#ifndef MORVELLA_CONVERT_PRINTABLE_H
#define MORVELLA_CONVERT_PRINTABLE_H

#include <string>

// text with every control character (C0, DEL, and C1 written in UTF-8) and
// every byte that is not part of well-formed UTF-8 replaced by '?'; other
// UTF-8 letters, Japanese ones among them, are kept.
std::string Printable(const std::string& text);

#endif
