// The saver's own process entry, in a fixture program that has it around a
// recording mode: what the runtime's start-up code used to do for the saver
// still happens, in the order the saver relies on.
#include "saver_driver.h"

#include "gtest/gtest.h"

#include <fstream>

namespace {

TEST(ProcessEntry, ObjectsAreMadeBeforeTheModeAndTornDownAfterItLastFirst)
{
    std::string log = TestDir("process entry") + "\\events.txt";
    SetEnvironmentVariableA("MORVELLA_ENTRY_LOG", log.c_str());
    SaverProcess entry;
    bool started = StartSaver(entry, "  /s 12", std::string(MORVELLA_TESTS_WIN) + "\\fixture_process_entry.exe");
    SetEnvironmentVariableA("MORVELLA_ENTRY_LOG", NULL);
    ASSERT_TRUE(started);
    // The mode's result is the exit code, all 32 bits of it.
    EXPECT_EQ(0xFFFFFFF9u, entry.WaitExit(5000));

    std::ifstream in(log);
    std::string events, line;
    while (std::getline(in, line))
        events += line + "\n";
    // The model is freed while the engine that made its textures still
    // exists; functions marked as destructors run first, as the compiler's
    // own runtime runs them. The mode computes with 64-bit precision,
    // rounding to nearest, every exception masked, whatever Windows started
    // the process with.
    EXPECT_EQ("engine made\n"
              "model made\n"
              "mode \"/s 12\"\n"
              "x87 control word 037F\n"
              "destructor function\n"
              "model freed\n"
              "engine torn down\n",
              events);
}

}  // namespace
