#include <windows.h>

#include "platform/display_dpi.h"
#include "platform/dpi_awareness.h"

namespace {

// Not in this build's headers: the values Windows documents.
HANDLE const kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const int kProcessPerMonitorAware = 2;
const HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005L);
const int kEffectiveDpi = 0;
const DWORD kNearestMonitor = 2;

FARPROC User32Function(const char* name)
{
    return GetProcAddress(GetModuleHandleA("USER32"), name);
}

// shcore.dll comes with Windows 8.1; loaded once, when first needed, and
// only from the system folder: on older Windows a file of that name beside
// the saver or in the current folder would otherwise be loaded and run. The
// search flag is understood wherever shcore.dll exists; older systems refuse
// it, which is the same as not finding the library.
const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

FARPROC ShcoreFunction(const char* name)
{
    static HMODULE shcore;
    static bool loaded;
    if (!loaded) {
        shcore = LoadLibraryExA("SHCORE.DLL", NULL, kSearchSystem32);
        loaded = true;
    }
    return shcore ? GetProcAddress(shcore, name) : NULL;
}

template <class Fn>
Fn Function(FARPROC address)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

DpiCallResult PerMonitorV2(void*)
{
    typedef BOOL (WINAPI* SetContextFn)(HANDLE);
    SetContextFn set = Function<SetContextFn>(User32Function("SetProcessDpiAwarenessContext"));
    if (!set)
        return DpiCallMissing;
    if (set(kPerMonitorAwareV2))
        return DpiCallDone;
    // Windows 10 1607 has the call but not version 2 (invalid parameter).
    return GetLastError() == ERROR_ACCESS_DENIED ? DpiCallRefused : DpiCallFailed;
}

DpiCallResult PerMonitor(void*)
{
    typedef HRESULT (WINAPI* SetAwarenessFn)(int);
    SetAwarenessFn set = Function<SetAwarenessFn>(ShcoreFunction("SetProcessDpiAwareness"));
    if (!set)
        return DpiCallMissing;
    HRESULT result = set(kProcessPerMonitorAware);
    if (result == S_OK)
        return DpiCallDone;
    return result == kAccessDenied ? DpiCallRefused : DpiCallFailed;
}

DpiCallResult SystemWide(void*)
{
    typedef BOOL (WINAPI* SetAwareFn)(void);
    SetAwareFn set = Function<SetAwareFn>(User32Function("SetProcessDPIAware"));
    if (!set)
        return DpiCallMissing;
    return set() ? DpiCallDone : DpiCallFailed;
}

}  // namespace

void MakeProcessDpiAware()
{
    const DpiCall calls[kDpiCalls] = { PerMonitorV2, PerMonitor, SystemWide };
    BecomeDpiAware(calls, NULL);
}

UINT WindowDpi(HWND window)
{
    typedef UINT (WINAPI* DpiForWindowFn)(HWND);
    static DpiForWindowFn dpiForWindow = Function<DpiForWindowFn>(User32Function("GetDpiForWindow"));
    return dpiForWindow && window ? dpiForWindow(window) : 0;
}

UINT MonitorDpiAt(POINT point)
{
    typedef HANDLE (WINAPI* MonitorFromPointFn)(POINT, DWORD);
    typedef HRESULT (WINAPI* DpiForMonitorFn)(HANDLE, int, UINT*, UINT*);
    static DpiForMonitorFn dpiForMonitor = Function<DpiForMonitorFn>(ShcoreFunction("GetDpiForMonitor"));
    static MonitorFromPointFn monitorFromPoint =
        Function<MonitorFromPointFn>(User32Function("MonitorFromPoint"));
    if (!dpiForMonitor || !monitorFromPoint)
        return 0;
    HANDLE monitor = monitorFromPoint(point, kNearestMonitor);
    UINT x = 0, y = 0;
    if (!monitor || dpiForMonitor(monitor, kEffectiveDpi, &x, &y) != S_OK)
        return 0;
    return y;
}
