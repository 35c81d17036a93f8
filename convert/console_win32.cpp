#include "convert/console.h"

#include "convert/format.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdarg>

namespace {

std::string Utf8(const wchar_t* wide)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, NULL, 0, NULL, NULL);
    if (bytes <= 1)
        return std::string();
    std::string text((size_t)bytes - 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], bytes, NULL, NULL);
    return text;
}

std::wstring Wide(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring wide((size_t)(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &wide[0], length);
    return wide;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    // The same rules as the C runtime's, on the line the guard also hands
    // on to its copy, so both read the same arguments.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

void Print(FILE* stream, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = FormattedList(format, args);
    va_end(args);

    const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if ((stream == stdout || stream == stderr) && handle != NULL && handle != INVALID_HANDLE_VALUE &&
        GetConsoleMode(handle, &mode)) {
        fflush(stream);
        const std::wstring wide = Wide(text);
        // Old consoles take at most some 64 KB in one call.
        for (size_t at = 0; at < wide.size();) {
            const DWORD part = (DWORD)std::min<size_t>(wide.size() - at, 8192);
            DWORD written = 0;
            if (!WriteConsoleW(handle, wide.data() + at, part, &written, NULL) || written == 0)
                break;
            at += written;
        }
        return;
    }
    fwrite(text.data(), 1, text.size(), stream);
}
