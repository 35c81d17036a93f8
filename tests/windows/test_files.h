#pragma once
// Files and processes for the Windows tests: wide, UTF-8 and ANSI names,
// whole files, a model of any size, programs started and run to their end
// (the converter's exe among them), and the second process a program starts.
#include <windows.h>

#include <cstdint>
#include <string>

std::string Utf8Of(const std::wstring& wide);
std::wstring Wide(const std::string& utf8);
bool Exists(const std::wstring& path);
bool Exists(const std::string& ansiPath);
void WriteWhole(const std::wstring& path, const std::string& bytes);
// The file's first `most` bytes ("" when it cannot be read).
std::string ReadWhole(const std::wstring& path, size_t most = 1 << 20);
// A text file (named in the ANSI code page) with its line ends as "\n".
std::string ReadText(const std::string& path);
// Whether a folder lists a name matching `pattern` (wildcards allowed): a
// file the system is to remove when its writer ends is still listed, though
// it can no longer be opened.
bool Listed(const std::wstring& pattern);

// A closed sphere of about 2 x rings x segments triangles as a binary STL,
// written as it is made: the largest is 150 MB.
void WriteSphereStl(const std::wstring& path, int rings, int segments, uint32_t* triangles);

// A process that `parent` started, or 0.
DWORD ChildOf(DWORD parent);

// How a program is started: its standard output and errors into the file
// `log` (and its errors apart into `errors` when given; neither when both
// are empty), in `folder` when given, with CreateProcess `flags`.
struct Launch {
    std::wstring log, errors, folder;
    DWORD flags = 0;
};

// Starts `exe` with the command-line tail `args`.
bool StartProgram(PROCESS_INFORMATION* run, const std::wstring& exe, const std::wstring& args,
                  const Launch& how = Launch());
// Waits for the run to end, ending it after timeoutMs: its exit code, or
// STILL_ACTIVE when it had to be ended.
DWORD FinishProgram(PROCESS_INFORMATION* run, DWORD timeoutMs);
// Both; 0xFFFFFFFF when it does not start. Narrow names are in the ANSI
// code page, as CreateProcessA takes them.
DWORD RunProgram(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs, const Launch& how = Launch());
DWORD RunProgram(const std::string& exe, const std::string& args, DWORD timeoutMs, const Launch& how = Launch());
std::wstring FromAnsi(const std::string& ansi);

// morvella-convert.exe of the dist folder, and a run of it as above.
std::wstring ConverterExe();
DWORD RunConverter(const std::wstring& args, DWORD timeoutMs, const Launch& how = Launch());
