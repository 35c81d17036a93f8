// Reading the screen-saver command line.
#include "framework/command_line.h"

#include <gtest/gtest.h>

namespace {

const char* Tail(const char* line)
{
    return SkipProgramName(line, StepOneByte);
}

TEST(SkipProgramName, SkipsPlainAndQuotedNamesAndTheBlanksAfterThem)
{
    EXPECT_STREQ("/s", Tail("morvella.scr /s"));
    EXPECT_STREQ("/s", Tail("\"C:\\My Savers\\morvella.scr\" /s"));
    EXPECT_STREQ("/s", Tail("\"C:\\My Savers\\morvella.scr\"/s"));
    EXPECT_STREQ("/p 12", Tail("morvella.scr \t /p 12"));
    EXPECT_STREQ("", Tail("morvella.scr"));
    EXPECT_STREQ("", Tail(""));
    EXPECT_STREQ("", Tail("\"unterminated name /s"));
    EXPECT_STREQ("/s", Tail("   /s")) << "no name at all: only the blanks go";
}

TEST(SkipProgramName, StepsWithTheGivenCharacterStepper)
{
    // A stepper that moves two bytes for a lead byte 0x81, as a double-byte
    // code page does: the second byte is never looked at on its own.
    CharStepFn dbcs = [](const char* at) -> const char* {
        if (!*at)
            return at;
        return (static_cast<unsigned char>(*at) == 0x81 && at[1]) ? at + 2 : at + 1;
    };
    EXPECT_STREQ("/c", SkipProgramName("\"a\x81\"b\" /c", dbcs));
}

TEST(ParseWindowHandle, ReadsLeadingDigitsAndWrapsModulo2To32)
{
    EXPECT_EQ(1234u, ParseWindowHandle("1234"));
    EXPECT_EQ(12u, ParseWindowHandle("12x34"));
    EXPECT_EQ(0u, ParseWindowHandle(" 12"));
    EXPECT_EQ(0u, ParseWindowHandle("-12"));
    EXPECT_EQ(0u, ParseWindowHandle("0x10"));
    EXPECT_EQ(0u, ParseWindowHandle(""));
    EXPECT_EQ(4294967295u, ParseWindowHandle("4294967295"));
    EXPECT_EQ(0u, ParseWindowHandle("4294967296"));
    EXPECT_EQ(1u, ParseWindowHandle("4294967297"));
    EXPECT_EQ(static_cast<uint32_t>(12345678901234567890ull % 4294967296ull),
              ParseWindowHandle("12345678901234567890"));
}

struct SwitchCase {
    const char* tail;
    SaverModeKind kind;
    uint32_t window;
};

TEST(ParseSaverSwitch, EveryModeOfTheTable)
{
    const SwitchCase cases[] = {
        { "", ModeSettings, 0 },
        { "  -/ ", ModeSettings, 0 },
        { "/s", ModeRun, 0 },
        { "-S", ModeRun, 0 },
        { "//s", ModeRun, 0 },
        { " s", ModeRun, 0 },
        { "/s 123", ModeRun, 0 },
        { "/p 1234", ModePreview, 1234 },
        { "/p1234", ModePreview, 1234 },
        { "/P   1234", ModePreview, 1234 },
        { "/p:1234", ModePreview, 0 },
        { "/p", ModePreview, 0 },
        { "/l 1234", ModePreview, 1234 },
        { "/L1234", ModePreview, 1234 },
        { "/c:1234", ModeConfigure, 1234 },
        { "/C:1234", ModeConfigure, 1234 },
        { "/c 1234", ModeConfigure, 0 },
        { "/c", ModeConfigure, 0 },
        { "/a 77", ModeChangePassword, 77 },
        { "/A77", ModeChangePassword, 77 },
        { "/x", ModeInvalid, 0 },
        { "/5", ModeInvalid, 0 },
        { "\t/s", ModeInvalid, 0 },
        { "/\ts", ModeInvalid, 0 },
        { "/\x82s", ModeInvalid, 0 },
    };
    for (const SwitchCase& c : cases) {
        SaverSwitch sw = ParseSaverSwitch(c.tail);
        EXPECT_EQ(c.kind, sw.kind) << "tail \"" << c.tail << "\"";
        EXPECT_EQ(c.window, sw.window) << "tail \"" << c.tail << "\"";
    }
}

}  // namespace
