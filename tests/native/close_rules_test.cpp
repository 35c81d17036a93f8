// The arithmetic and tables behind closing the saver: mouse distance, the
// pause between two password checks, the power broadcasts that end it.
#include "framework/input_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(MouseMoveRule, ClosesOnlyBeyondFourPixelsOfManhattanDistance)
{
    EXPECT_FALSE(MovedBeyondThreshold(100, 100, 103, 101));
    EXPECT_TRUE(MovedBeyondThreshold(100, 100, 103, 102));
    EXPECT_FALSE(MovedBeyondThreshold(100, 100, 96, 100));
    EXPECT_TRUE(MovedBeyondThreshold(100, 100, 98, 97));
    EXPECT_FALSE(MovedBeyondThreshold(-5, -5, -5, -1));
    EXPECT_TRUE(MovedBeyondThreshold(0, 0, -3, 2));
}

TEST(PasswordRecheck, WaitsTwoHundredMillisecondsModulo2To32)
{
    EXPECT_FALSE(TooSoonForPasswordCheck(5000, kNoPasswordCheckYet)) << "no check yet";
    EXPECT_TRUE(TooSoonForPasswordCheck(1199, 1000));
    EXPECT_FALSE(TooSoonForPasswordCheck(1200, 1000));
    // The tick count wrapped between the two checks.
    EXPECT_TRUE(TooSoonForPasswordCheck(100, 0xFFFFFFF0u));
    EXPECT_FALSE(TooSoonForPasswordCheck(200, 0xFFFFFFF0u));
    EXPECT_FALSE(TooSoonForPasswordCheck(0, 0xFFFFFF38u));  // exactly 200 across the wrap
}

// Suspend, standby and resume close the saver, and so does any event it does
// not know; a laptop's news while nobody touches it does not.
TEST(PowerBroadcastRule, ClosesForSuspendStandbyResumeAndUnknownEventsOnly)
{
    const struct {
        uint32_t event;
        bool closes;
        const char* name;
    } events[] = {
        { 0x0000, true, "PBT_APMQUERYSUSPEND" },
        { 0x0001, true, "PBT_APMQUERYSTANDBY" },
        { 0x0002, false, "PBT_APMQUERYSUSPENDFAILED" },
        { 0x0003, false, "PBT_APMQUERYSTANDBYFAILED" },
        { 0x0004, true, "PBT_APMSUSPEND" },
        { 0x0005, true, "PBT_APMSTANDBY" },
        { 0x0006, true, "PBT_APMRESUMECRITICAL" },
        { 0x0007, true, "PBT_APMRESUMESUSPEND" },
        { 0x0008, true, "PBT_APMRESUMESTANDBY" },
        { 0x0009, false, "PBT_APMBATTERYLOW" },
        { 0x000A, false, "PBT_APMPOWERSTATUSCHANGE" },
        { 0x000B, false, "PBT_APMOEMEVENT" },
        { 0x0012, false, "PBT_APMRESUMEAUTOMATIC" },
        { 0x8013, false, "PBT_POWERSETTINGCHANGE" },
        { 0x000C, true, "unknown 0x0C" },
        { 0x8012, true, "unknown 0x8012" },
        { 0x0001000A, true, "status change with high bits set: unknown" },
    };
    for (const auto& e : events)
        EXPECT_EQ(e.closes, PowerBroadcastEndsSaver(e.event)) << e.name;
}

}  // namespace
