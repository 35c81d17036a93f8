// Command lines the saver refuses: the process ends at once with exit code -1
// (the full 32-bit value) and shows no window.
#include "saver_driver.h"

#include "gtest/gtest.h"

namespace {

DWORD ExitCodeFor(const char* tail)
{
    SaverProcess saver;
    if (!StartSaver(saver, tail))
        return 0xDEADBEEF;
    return saver.WaitExit(5000);
}

TEST(SaverCommandLine, RefusedTailsExitWithMinusOne)
{
    // Which tails are refused switches is the parser's and is tested with
    // it; here, that a refused switch and a preview without a window both
    // end the process with -1.
    const char* tails[] = {
        "/x", "/p 0", "/p 4294967295",
        "/p 99999999999999999999",  // wraps modulo 2^32, then names no window
    };
    for (const char* tail : tails)
        EXPECT_EQ(0xFFFFFFFFu, ExitCodeFor(tail)) << "tail \"" << tail << "\"";
}

TEST(SaverCommandLine, ProgramNameWithBlanksIsSkippedWhole)
{
    std::string folder = TestDir("name with blanks");
    ASSERT_TRUE(CopyInto(DistFile("morvella.scr"), folder, "my saver.scr"));
    SaverProcess saver;
    // Were the name cut at its blank, "saver.scr" would be read as the switch
    // 's' and start the saver instead of refusing "/x".
    ASSERT_TRUE(StartSaver(saver, "/x", folder + "\\my saver.scr"));
    EXPECT_EQ(0xFFFFFFFFu, saver.WaitExit(5000));
}

}  // namespace
