#include <windows.h>

#include "framework/password.h"
#include "framework/input_rules.h"
#include "framework/modes.h"

HMODULE PasswordModule;
VerifyScreenSavePwdFn VerifyPasswordFn;
BOOL CloseAllowed;
BOOL PasswordCheckActive;
DWORD LastPasswordCheckTick = kNoPasswordCheckYet;

typedef DWORD (WINAPI* PwdChangePasswordFn)(LPCSTR provider, HWND owner, DWORD, DWORD);

void SetSaverRunningFlag(UINT value)
{
    if (!IsWindows9x)
        return;
    UINT previous = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, value, &previous, 0);
}

void UnloadPasswordVerifier()
{
    if (!IsWindows9x || !PasswordModule)
        return;
    FreeLibrary(PasswordModule);
    PasswordModule = NULL;
    if (VerifyPasswordFn) {
        VerifyPasswordFn = NULL;
        SetSaverRunningFlag(0);
    }
}

void LoadPasswordVerifier()
{
    if (!IsWindows9x)
        return;
    if (PasswordModule)
        UnloadPasswordVerifier();

    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS)
        return;
    DWORD usePassword = 0;
    DWORD size = sizeof usePassword;
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", NULL, NULL,
                         reinterpret_cast<BYTE*>(&usePassword), &size) == ERROR_SUCCESS
        && usePassword != 0) {
        PasswordModule = LoadLibraryA("PASSWORD.CPL");
        if (PasswordModule) {
            VerifyPasswordFn = reinterpret_cast<VerifyScreenSavePwdFn>(reinterpret_cast<void*>(
                GetProcAddress(PasswordModule, "VerifyScreenSavePwd")));
            if (VerifyPasswordFn)
                SetSaverRunningFlag(1);
            else
                UnloadPasswordVerifier();
        }
    }
    RegCloseKey(key);
}

BOOL MaySaverClose(HWND window)
{
    if (PasswordCheckActive || CloseAllowed)
        return FALSE;
    if (!VerifyPasswordFn) {
        CloseAllowed = TRUE;
        return TRUE;
    }
    if (TooSoonForPasswordCheck(GetTickCount(), LastPasswordCheckTick))
        return FALSE;

    PasswordCheckActive = TRUE;
    // At most two pending animation ticks are dropped so that the verifier's
    // dialog is not held up by a backlog of frames.
    MSG dropped;
    PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    CloseAllowed = static_cast<BOOL>(SendMessageA(window, WM_APP, 0, 0));
    PasswordCheckActive = FALSE;
    if (!CloseAllowed)
        SetCursor(NULL);
    LastPasswordCheckTick = GetTickCount();
    return CloseAllowed;
}

void ChangeSaverPassword(HWND window)
{
    HMODULE mpr = LoadLibraryA("MPR.DLL");
    if (!mpr)
        return;
    PwdChangePasswordFn change = reinterpret_cast<PwdChangePasswordFn>(reinterpret_cast<void*>(
        GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change)
        change("SCRSAVE", window, 0, 0);
    FreeLibrary(mpr);
}
