// The arithmetic behind closing the saver: mouse distance and the pause
// between two password checks.
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

}  // namespace
