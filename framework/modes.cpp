#include <windows.h>

#include "framework/modes.h"
#include "framework/command_line.h"
#include "platform/display_dpi.h"
#include "framework/password.h"
#include "framework/saver_window.h"
#include "platform/ui_language.h"
#include "config/settings_dialog.h"
#include "resources/resource.h"

HINSTANCE ModuleInstance;
BOOL IsWindows9x;

BOOL SettingsDialogHook(HINSTANCE)
{
    return TRUE;
}

int SettingsDialogResource(UiLanguage language)
{
    return language == UiJapanese ? IDD_SETTINGS : IDD_SETTINGS_ENGLISH;
}

// The saver's manifest asks for version 6 of the common controls, whose
// dialog controls are registered by comctl32.dll itself: on Windows XP a
// dialog opens only once that library is loaded. The saver imports from
// nothing beyond the system's core DLLs and DirectDraw, so the library is
// loaded here, before the first dialog.
static void LoadCommonControls()
{
    HMODULE controls = LoadLibraryA("COMCTL32.DLL");
    typedef void (WINAPI* InitFn)(void);
    InitFn init = controls ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(
                                 GetProcAddress(controls, "InitCommonControls"))) : NULL;
    if (init)
        init();
}

INT_PTR ShowSettingsDialog(HWND owner)
{
    if (!SettingsDialogHook(ModuleInstance))
        return 0;
    LoadCommonControls();
    // Each language's dialog has a template of its own number, so the one
    // shown is the one chosen, whatever Windows' own rules for picking
    // among a resource's languages would say.
    int dialog = SettingsDialogResource(UserUiLanguage());
    // The wide call keeps the template's Unicode captions intact on systems
    // whose ANSI code page cannot hold Japanese. Windows 9x has only a stub
    // of it; there the ANSI call shows the template in the system's code
    // page, which on a Japanese system holds the captions (and on any other
    // holds the English ones).
    if (IsWindows9x)
        return DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(dialog), owner,
                               ScreenSaverConfigureDialog, 0);
    return DialogBoxParamW(ModuleInstance, MAKEINTRESOURCEW(dialog), owner,
                           ScreenSaverConfigureDialog, 0);
}

static HWND ExistingWindowOr(HWND candidate, HWND fallback)
{
    return (candidate && IsWindow(candidate)) ? candidate : fallback;
}

static int RunChosenMode(const char* tail)
{
    SaverSwitch sw = ParseSaverSwitch(tail);
    // Full screen and the settings dialog draw in real pixels at any display
    // scaling. The preview is a child of another process's window and keeps
    // that process's scaling.
    if (sw.kind == ModeRun || sw.kind == ModeSettings || sw.kind == ModeConfigure)
        MakeProcessDpiAware();
    HWND given = reinterpret_cast<HWND>(static_cast<UINT_PTR>(sw.window));
    switch (sw.kind) {
    case ModeSettings:
        return static_cast<int>(ShowSettingsDialog(NULL));
    case ModeRun:
        return RunSaverWindow(NULL);
    case ModePreview:
        if (!given || !IsWindow(given))
            return -1;
        return RunSaverWindow(given);
    case ModeConfigure:
        return static_cast<int>(ShowSettingsDialog(ExistingWindowOr(given, GetForegroundWindow())));
    case ModeChangePassword:
        if (!IsWindows9x)
            return -1;
        ChangeSaverPassword(ExistingWindowOr(given, GetForegroundWindow()));
        return 0;
    case ModeInvalid:
        break;
    }
    return -1;
}

// Top-level fault guard. mingw's GCC has no __try/__except, so the guard is a
// structured-exception frame registered by hand on the i386 chain at fs:0.
// Its filter is the platform's UnhandledExceptionFilter; when that chooses
// to run the handler, the system is told that no screen saver runs any more
// (otherwise Windows 9x keeps Ctrl+Alt+Del and task switching disabled) and
// the process ends with the fault's code, as for any other crashed program.
struct FaultGuardFrame {
    FaultGuardFrame* previous;
    void* handler;
};

extern "C" EXCEPTION_DISPOSITION __cdecl TopLevelFaultHandler(EXCEPTION_RECORD* record, void*,
                                                             CONTEXT* context, void*)
{
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers = { record, context };
    LONG verdict = UnhandledExceptionFilter(&pointers);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION)
        return ExceptionContinueExecution;
    if (verdict == EXCEPTION_CONTINUE_SEARCH)
        return ExceptionContinueSearch;
    SetSaverRunningFlag(0);
    ExitProcess(record->ExceptionCode);
    return ExceptionContinueSearch;
}

#if !defined(__i386__)
static LONG WINAPI TopLevelFaultFilter(EXCEPTION_POINTERS* pointers)
{
    SetSaverRunningFlag(0);
    ExitProcess(pointers->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}
#endif

int RunSaverMode(HINSTANCE instance, const char* tail)
{
    ModuleInstance = instance;
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;  // 148
    IsWindows9x = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

#if defined(__i386__)
    volatile FaultGuardFrame guard;
    guard.handler = reinterpret_cast<void*>(&TopLevelFaultHandler);
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(guard.previous));
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(&guard) : "memory");

    int result = RunChosenMode(tail);

    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(guard.previous) : "memory");
    return result;
#else
    // The 64-bit test build: exception frames there are tables, not a chain
    // at fs:0, so the same guard is the process's top-level filter.
    SetUnhandledExceptionFilter(TopLevelFaultFilter);
    return RunChosenMode(tail);
#endif
}
