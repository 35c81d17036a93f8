// The functions mingw-w64's thread library (under the C++ runtime's threads)
// imports that Windows 2000 and XP lack: GetTickCount64 (Vista) and the
// vectored exception handlers (XP). An import Windows lacks stops the whole
// program before its first line with "entry point not found", so the
// programs on the converter import none of them: the thread library's
// import slots are filled here instead, with Windows' own function where it
// has one and a stand-in where it has none. Linked into each program, not
// the library, so that the linker meets these slots before kernel32's.
// Only the shipped 32-bit programs need it (64-bit Windows has them all).
#if defined(_WIN32) && defined(__i386__)

#include <windows.h>

namespace {

typedef ULONGLONG(WINAPI* TickCount64Fn)(void);
typedef PVOID(WINAPI* AddHandlerFn)(ULONG, PVECTORED_EXCEPTION_HANDLER);
typedef ULONG(WINAPI* RemoveHandlerFn)(PVOID);

// Looked up at each call, with no static of a function's own: the thread
// library calls in from its start-up callback, before the C++ runtime's.
FARPROC Kernel(const char* name)
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : NULL;
}

volatile LONG tickLock = 0;
DWORD lastTick = 0;
ULONGLONG tickWraps = 0;

// Before Vista: the 32-bit count, widened by the wraps seen (every 49.7
// days); the thread library only measures waits with it.
ULONGLONG WINAPI TickCount64()
{
    const TickCount64Fn windows = (TickCount64Fn)(void*)Kernel("GetTickCount64");
    if (windows)
        return windows();
    while (InterlockedExchange(&tickLock, 1) != 0)
        Sleep(0);
    const DWORD now = GetTickCount();
    if (now < lastTick)
        tickWraps += (ULONGLONG)1 << 32;
    lastTick = now;
    const ULONGLONG ticks = tickWraps + now;
    InterlockedExchange(&tickLock, 0);
    return ticks;
}

// Before XP: no handler is added. The thread library adds one only to name
// a thread for a debugger, and raises nothing without it.
PVOID WINAPI AddHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler)
{
    const AddHandlerFn windows = (AddHandlerFn)(void*)Kernel("AddVectoredExceptionHandler");
    return windows ? windows(first, handler) : NULL;
}

ULONG WINAPI RemoveHandler(PVOID handle)
{
    const RemoveHandlerFn windows = (RemoveHandlerFn)(void*)Kernel("RemoveVectoredExceptionHandler");
    return windows && handle ? windows(handle) : 0;
}

}  // namespace

// The import slots, by the names the thread library's calls go through.
extern "C" {
TickCount64Fn morvellaTickCount64Slot __asm__("__imp__GetTickCount64@0") = TickCount64;
AddHandlerFn morvellaAddHandlerSlot __asm__("__imp__AddVectoredExceptionHandler@8") = AddHandler;
RemoveHandlerFn morvellaRemoveHandlerSlot __asm__("__imp__RemoveVectoredExceptionHandler@4") = RemoveHandler;
}

#endif
