#include <windows.h>

#include "platform/file_view.h"

// Looked up at run time: Windows 9x and the first NT versions lack them.
typedef BOOL(WINAPI* DisableRedirectionFn)(PVOID* previous);
typedef BOOL(WINAPI* RevertRedirectionFn)(PVOID previous);

static DisableRedirectionFn DisableRedirection;
static RevertRedirectionFn RevertRedirection;
static bool NativeView;
static bool ViewOpen;
static PVOID SavedRedirection;  // opaque, and may well be null

void ChooseSaverFileView(const char* saverPath)
{
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    DisableRedirection = reinterpret_cast<DisableRedirectionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    RevertRedirection = reinterpret_cast<RevertRedirectionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    NativeView = false;
    if (!DisableRedirection || !RevertRedirection)
        return;
    // Fails where the process is not redirected (32-bit Windows).
    PVOID previous;
    if (!DisableRedirection(&previous))
        return;
    // Started by a 32-bit program through the system folder's name, the
    // saver came from SysWOW64 and is not found in the real folder: its
    // files are then where the redirection leads.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(saverPath, &found);
    RevertRedirection(previous);
    NativeView = search != INVALID_HANDLE_VALUE;
    if (NativeView)
        FindClose(search);
}

void OpenSaverFileView()
{
    ViewOpen = NativeView && DisableRedirection(&SavedRedirection);
}

void CloseSaverFileView()
{
    if (ViewOpen)
        RevertRedirection(SavedRedirection);
    ViewOpen = false;
}
