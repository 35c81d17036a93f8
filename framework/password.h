#pragma once
// Password verification and change on the Windows 9x family. Elsewhere every
// operation here does nothing and closing is never held up.
#include <windows.h>

typedef BOOL (WINAPI* VerifyScreenSavePwdFn)(HWND window);

extern HMODULE PasswordModule;              // the loaded "PASSWORD.CPL"
extern VerifyScreenSavePwdFn VerifyPasswordFn;
extern BOOL CloseAllowed;                   // closing approved; never cleared
extern BOOL PasswordCheckActive;            // the verifier is being asked now
extern DWORD LastPasswordCheckTick;         // when the last check ended

void LoadPasswordVerifier();
void UnloadPasswordVerifier();
BOOL MaySaverClose(HWND window);
void SetSaverRunningFlag(UINT value);
void ChangeSaverPassword(HWND window);
