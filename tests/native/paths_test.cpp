// Saver directory and model path in their fixed 256-character buffers.
#include "platform/paths.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ExtractDirectory, KeepsEverythingUpToTheLastBackslash)
{
    char dir[kSaverPathChars];
    EXPECT_TRUE(ExtractDirectory(dir, sizeof dir, "C:\\WINDOWS\\SYSTEM\\morvella.scr", StepOneByte));
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM\\", dir);
    EXPECT_TRUE(ExtractDirectory(dir, sizeof dir, "morvella.scr", StepOneByte));
    EXPECT_STREQ("", dir) << "no backslash: the current directory";
    EXPECT_TRUE(ExtractDirectory(dir, sizeof dir, "C:\\", StepOneByte));
    EXPECT_STREQ("C:\\", dir);
}

TEST(ExtractDirectory, SecondByteOfADoubleByteCharacterIsNoBackslash)
{
    // In code page 932 the second byte of 0x95 0x5C is 0x5C, the backslash.
    CharStepFn sjis = [](const char* at) -> const char* {
        unsigned char c = static_cast<unsigned char>(*at);
        if (!c)
            return at;
        return ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && at[1] ? at + 2 : at + 1;
    };
    char dir[kSaverPathChars];
    EXPECT_TRUE(ExtractDirectory(dir, sizeof dir, "C:\\dir\\\x95\x5C.scr", sjis));
    EXPECT_STREQ("C:\\dir\\", dir);
}

TEST(ExtractDirectory, ADirectoryThatDoesNotFitIsRefusedNotCut)
{
    char dir[kSaverPathChars];
    std::string fits = "C:\\" + std::string(251, 'd') + "\\";   // 255 characters
    EXPECT_TRUE(ExtractDirectory(dir, sizeof dir, (fits + "m.scr").c_str(), StepOneByte));
    EXPECT_EQ(fits, dir);
    std::string tooLong = "C:\\" + std::string(252, 'd') + "\\";  // 256 characters
    EXPECT_FALSE(ExtractDirectory(dir, sizeof dir, (tooLong + "m.scr").c_str(), StepOneByte));
    EXPECT_STREQ("", dir);
}

TEST(JoinPath, JoinsOnlyWhenTheWholePathFits)
{
    char path[kSaverPathChars];
    EXPECT_TRUE(JoinPath(path, sizeof path, "C:\\S\\", "morvella.dat"));
    EXPECT_STREQ("C:\\S\\morvella.dat", path);
    std::string dir(243, 'd');  // 243 + 12 = 255 fits
    EXPECT_TRUE(JoinPath(path, sizeof path, dir.c_str(), "morvella.dat"));
    EXPECT_EQ(dir + "morvella.dat", path);
    dir += 'd';
    EXPECT_FALSE(JoinPath(path, sizeof path, dir.c_str(), "morvella.dat"));
    EXPECT_STREQ("", path) << "never a cut path that names another file";
}

}  // namespace
