// What the tool reads from its command line and prints: UTF-8 text inside
// the program on every system.
#ifndef MORVELLA_CONVERT_CONSOLE_H
#define MORVELLA_CONVERT_CONSOLE_H

#include <cstdio>
#include <string>
#include <vector>

#if defined(__MINGW32__)
#define MORVELLA_PRINTF_FORMAT __attribute__((format(gnu_printf, 2, 3)))
#elif defined(__GNUC__)
#define MORVELLA_PRINTF_FORMAT __attribute__((format(printf, 2, 3)))
#else
#define MORVELLA_PRINTF_FORMAT
#endif

// The program's arguments, its own name first, as UTF-8. Windows gives
// main() the arguments in the ANSI code page, where a name may lose its
// letters; there they are taken from the wide command line instead.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// printf of UTF-8 text to stream (stdout or stderr). On Windows a console
// shows narrow text in its own code page, so a console is written in wide
// characters; a file or a pipe gets the UTF-8 bytes, which lose no name.
void Print(FILE* stream, const char* format, ...) MORVELLA_PRINTF_FORMAT;

#endif
