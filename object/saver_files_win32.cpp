#include "object/saver_files_win32.h"

#include <shellapi.h>

namespace {

typedef BOOL(WINAPI* DisableRedirectionFn)(PVOID* previous);
typedef BOOL(WINAPI* RevertRedirectionFn)(PVOID previous);
typedef UINT(WINAPI* SystemWow64DirectoryFn)(LPWSTR buffer, UINT size);

// Looked up: Windows 2000 and 32-bit XP lack them.
FARPROC Kernel(const char* name)
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : NULL;
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring RegistryText(HKEY root, const wchar_t* key, const wchar_t* name)
{
    HKEY opened;
    if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring value;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(opened, name, NULL, &type, NULL, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0 && bytes < 65536) {
        // Zeroed and a character longer: a stored value need not end in one.
        std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 2, L'\0');
        if (RegQueryValueExW(opened, name, NULL, &type, (BYTE*)data.data(), &bytes) == ERROR_SUCCESS)
            value = data.data();
    }
    RegCloseKey(opened);
    if (type == REG_EXPAND_SZ && !value.empty()) {
        std::vector<wchar_t> expanded(32768);
        const DWORD length = ExpandEnvironmentStringsW(value.c_str(), expanded.data(), (DWORD)expanded.size());
        if (length > 0 && length <= expanded.size())
            value = expanded.data();
    }
    return value;
}

// The long form of a path the settings may hold in its short form
// (C:\WINDOWS\SYSTEM32\MORVEL~1.SCR), looked for in both views.
std::wstring LongName(const std::wstring& path)
{
    std::vector<wchar_t> buffer(32768);
    for (bool real : {true, false}) {
        FolderView view(real);
        const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), (DWORD)buffer.size());
        if (length > 0 && length < buffer.size())
            return buffer.data();
    }
    return path;
}

// Where 32-bit screen savers are listed: SysWOW64 on 64-bit Windows,
// System32 elsewhere (as setup decides it).
std::wstring SystemSaverFolder()
{
    wchar_t folder[MAX_PATH];
    const SystemWow64DirectoryFn wow64 = (SystemWow64DirectoryFn)(void*)Kernel("GetSystemWow64DirectoryW");
    UINT length = wow64 ? wow64(folder, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH)
        length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace

FolderView::FolderView(bool realView)
{
    if (!realView)
        return;
    const DisableRedirectionFn disable = (DisableRedirectionFn)(void*)Kernel("Wow64DisableWow64FsRedirection");
    // Fails where nothing is redirected (32-bit Windows).
    off_ = disable && disable(&previous_);
}

FolderView::~FolderView()
{
    if (!off_)
        return;
    const RevertRedirectionFn revert = (RevertRedirectionFn)(void*)Kernel("Wow64RevertWow64FsRedirection");
    if (revert)
        revert(previous_);
}

bool SaverInFolder(const std::wstring& folder, bool* realView)
{
    const std::wstring path = JoinFolder(folder, kSaverFile);
    {
        FolderView view(true);
        if (view.Off() && IsFile(path)) {
            *realView = true;
            return true;
        }
    }
    *realView = false;
    return IsFile(path);
}

InstalledSaver FindInstalledSaver()
{
    std::wstring settings = RegistryText(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"SCRNSAVE.EXE");
    if (!settings.empty())
        settings = LongName(settings);
    const std::wstring setup = RegistryText(HKEY_LOCAL_MACHINE, L"Software\\Morvella", L"SaverFolder");
    InstalledSaver saver;
    saver.place = FindSaverPlace(settings, setup, SystemSaverFolder(), [](const std::wstring& folder) {
        bool realView = false;
        return SaverInFolder(folder, &realView);
    });
    if (saver.place.source != SaverSource::None)
        SaverInFolder(saver.place.folder, &saver.realView);
    return saver;
}

bool FileIn(const InstalledSaver& saver, const wchar_t* name)
{
    FolderView view(saver.realView);
    return IsFile(JoinFolder(saver.place.folder, name));
}

std::vector<std::wstring> HiddenCopies(const InstalledSaver& saver)
{
    std::vector<std::wstring> found;
    if (saver.place.source == SaverSource::None)
        return found;
    // Only Windows Vista and later keep a VirtualStore, and only they name it.
    wchar_t localAppData[MAX_PATH], windows[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", localAppData, MAX_PATH);
    const UINT windowsLength = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || windowsLength == 0 || windowsLength >= MAX_PATH)
        return found;
    for (const std::wstring& folder : VirtualStoreFolders(localAppData, saver.place.folder, windows)) {
        const std::wstring path = JoinFolder(folder, kObjectFile);
        if (IsFile(path))
            found.push_back(path);
    }
    return found;
}

bool RemoveHiddenCopy(const std::wstring& path)
{
    // Two terminators end the list of one name.
    std::wstring from = path;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted && !IsFile(path);
}

bool StartSaverFullScreen(const InstalledSaver& saver, DWORD* error)
{
    const std::wstring path = JoinFolder(saver.place.folder, kSaverFile);
    std::wstring line = L"\"" + path + L"\" /s";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    BOOL ok;
    {
        FolderView view(saver.realView);
        ok = CreateProcessW(path.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, saver.place.folder.c_str(), &startup,
                            &started);
    }
    if (!ok) {
        *error = GetLastError();
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

std::wstring ErrorText(DWORD error)
{
    wchar_t* text = NULL;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                       error, 0, (LPWSTR)&text, 0, NULL);
    std::wstring said = length > 0 && text ? std::wstring(text, length) : std::wstring();
    if (text)
        LocalFree(text);
    while (!said.empty() && (said.back() == L'\r' || said.back() == L'\n' || said.back() == L' ' || said.back() == L'.' ||
                             said.back() == L'\x3002'))
        said.pop_back();
    return said.empty() ? L"error " + std::to_wstring(error) : said;
}
