#include <windows.h>

#include "platform/ui_language.h"

UiLanguage UserUiLanguage()
{
    // Looked up: Windows 95, 98, Me and NT 4 lack the function, and a
    // program that imported it would not start there.
    static bool asked;
    static UiLanguage language;
    if (!asked) {
        typedef LANGID (WINAPI* UiLanguageFn)(void);
        UiLanguageFn uiLanguage = reinterpret_cast<UiLanguageFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("KERNEL32"), "GetUserDefaultUILanguage")));
        language = ChooseUiLanguage(uiLanguage != NULL, uiLanguage ? uiLanguage() : 0, GetACP());
        asked = true;
    }
    return language;
}
