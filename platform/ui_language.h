#pragma once
// The language the program speaks to its user: Japanese on a Japanese
// Windows, English everywhere else. Self-contained (no program state), so
// any of the project's programs can ask the same question the same way.
#include <cstdint>

enum UiLanguage {
    UiEnglish,
    UiJapanese,
};

// The decision, given what Windows reports. Windows 2000 and later report the
// user's UI language (a LANGID: primary language in its low ten bits, 0x11
// for Japanese); there, Japanese follows it alone, whatever the code page.
// Windows 95, 98, Me and NT 4 have no such call (`haveUiLanguage` false): a
// Japanese system is one whose ANSI code page is 932, through which Windows
// 9x also draws every dialog text.
inline UiLanguage ChooseUiLanguage(bool haveUiLanguage, uint16_t uiLanguage, unsigned ansiCodePage)
{
    const uint16_t kPrimaryJapanese = 0x11;
    if (haveUiLanguage)
        return (uiLanguage & 0x3FF) == kPrimaryJapanese ? UiJapanese : UiEnglish;
    return ansiCodePage == 932 ? UiJapanese : UiEnglish;
}

// The choice for this process, asked of Windows once (Windows only).
UiLanguage UserUiLanguage();
