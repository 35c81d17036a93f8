#include "convert/partial_file.h"

#include "convert/utf8_path.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// SetFileInformationByHandle and its FileDispositionInfo (Windows Vista and
// later); older systems leave the file where a killed program left it.
typedef BOOL(WINAPI* SetFileInformationByHandleFn)(HANDLE, int, LPVOID, DWORD);
const int kFileDispositionInfo = 4;

SetFileInformationByHandleFn SetInformation()
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? (SetFileInformationByHandleFn)(void*)GetProcAddress(kernel, "SetFileInformationByHandle") : NULL;
}

// The file marked for removal: the converter writes one at a time.
HANDLE markedFile = NULL;

// Marks the open file to be removed when its last handle closes, or not.
bool RemoveOnClose(HANDLE file, bool remove)
{
    const SetFileInformationByHandleFn set = SetInformation();
    BOOLEAN disposition = remove ? TRUE : FALSE;
    return !set || set(file, kFileDispositionInfo, &disposition, sizeof disposition);
}

std::string Reason(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return strerror(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return strerror(ENOSPC);
    default:
        return "Windows error " + std::to_string(code);
    }
}

// Whether Windows reads a plain file name as a device: "con", "nul.dat",
// "com1.dat.partial" become \\.\CON, \\.\NUL, \\.\COM1.
bool NamesDevice(const std::wstring& path)
{
    if (path.compare(0, 2, L"\\\\") == 0)
        return false;   // \\?\, \\.\ or a share: written as the user meant
    std::vector<wchar_t> full(32768);
    const DWORD length = GetFullPathNameW(path.c_str(), (DWORD)full.size(), full.data(), NULL);
    return length > 0 && length < full.size() && wcsncmp(full.data(), L"\\\\.\\", 4) == 0;
}

}  // namespace

FILE* CreatePartial(const std::string& path, std::string* error)
{
    const std::wstring wide = Utf8Path(path).wstring();
    const char* const device = "cannot be written: it names a device, not a file";
    if (NamesDevice(wide)) {
        *error = device;
        return NULL;
    }
    const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, NULL,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = "cannot be written: " + Reason(GetLastError());
        return NULL;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        *error = device;
        return NULL;
    }
    // A file system that cannot mark it still takes the file, unguarded.
    markedFile = RemoveOnClose(handle, true) ? handle : NULL;
    const int descriptor = _open_osfhandle((intptr_t)handle, _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(handle);
        *error = "cannot be written: no file descriptor is left";
        return NULL;
    }
    FILE* file = _fdopen(descriptor, "w+b");
    if (!file) {
        _close(descriptor);
        *error = "cannot be written: no stream is left";
    }
    return file;
}

bool KeepPartial(FILE* file)
{
    if (fflush(file) != 0)
        return false;
    const HANDLE handle = (HANDLE)_get_osfhandle(_fileno(file));
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    return handle != markedFile || RemoveOnClose(handle, false);
}

void RemovePartial(const std::string& path)
{
    DeleteFileW(Utf8Path(path).wstring().c_str());
}
