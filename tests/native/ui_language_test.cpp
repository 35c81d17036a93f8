// Which language the program speaks: Japanese exactly where Windows is
// Japanese.
#include "platform/ui_language.h"

#include <gtest/gtest.h>

namespace {

TEST(UiLanguageChoice, FollowsTheUiLanguageWhereWindowsHasOneElseCodePage932)
{
    const struct {
        bool haveUiLanguage;
        uint16_t uiLanguage;
        unsigned codePage;
        UiLanguage expected;
        const char* what;
    } cases[] = {
        { true, 0x0411, 932, UiJapanese, "Japanese Windows 2000 and later" },
        { true, 0x0411, 1252, UiJapanese, "Japanese UI language, Western code page" },
        { true, 0x0409, 932, UiEnglish, "English UI language, Japanese code page" },
        { true, 0x0409, 1252, UiEnglish, "English Windows" },
        { true, 0x0407, 1252, UiEnglish, "German Windows" },
        { true, 0x040C, 1252, UiEnglish, "French Windows" },
        { true, 0x0804, 936, UiEnglish, "Chinese Windows" },
        { true, 0x0412, 949, UiEnglish, "Korean Windows" },
        { true, 0x0011, 1252, UiJapanese, "Japanese without a sublanguage" },
        { true, 0x0811, 1252, UiJapanese, "Japanese, another sublanguage" },
        { true, 0x0000, 932, UiEnglish, "neutral UI language" },
        { false, 0, 932, UiJapanese, "Japanese Windows 98 or NT 4" },
        { false, 0, 1252, UiEnglish, "Western Windows 98" },
        { false, 0, 1250, UiEnglish, "Central European Windows 98" },
        { false, 0x0411, 1252, UiEnglish, "no call: its value is not looked at" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ChooseUiLanguage(c.haveUiLanguage, c.uiLanguage, c.codePage)) << c.what;
}

}  // namespace
