// The order of the DPI-awareness calls and where the chain stops, with
// stand-ins for the three system calls.
#include "platform/dpi_awareness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What each stand-in answers, and the order the calls came in.
struct Calls {
    DpiCallResult answers[kDpiCalls];
    std::string made;
};

template <int I>
DpiCallResult StandIn(void* context)
{
    Calls* calls = static_cast<Calls*>(context);
    calls->made += static_cast<char>('0' + I);
    return calls->answers[I];
}

TEST(DpiAwareness, TriesBestFirstAndStopsWhenDoneOrRefused)
{
    const DpiCallResult M = DpiCallMissing, D = DpiCallDone, R = DpiCallRefused, F = DpiCallFailed;
    const struct {
        DpiCallResult answers[kDpiCalls];
        int ended;
        const char* made;
        const char* what;
    } cases[] = {
        { { D, D, D }, 0, "0", "Windows 10 1703 and later: per monitor v2" },
        { { R, D, D }, 0, "0", "awareness already set (Wine, a manifest): nothing more is tried" },
        { { F, D, D }, 1, "01", "Windows 10 1607, which knows no version 2: per monitor" },
        { { M, D, D }, 1, "01", "Windows 8.1: per monitor" },
        { { M, R, D }, 1, "01", "refused per monitor: the system-wide call is not made" },
        { { M, F, D }, 2, "012", "per monitor failed: system-wide" },
        { { M, M, D }, 2, "012", "Windows Vista and 7: system-wide" },
        { { M, M, R }, 2, "012", "system-wide refused" },
        { { M, M, M }, -1, "012", "Windows 95 to XP: none of them" },
        { { F, F, F }, -1, "012", "every call failed" },
    };
    const DpiCall standIns[kDpiCalls] = { StandIn<0>, StandIn<1>, StandIn<2> };
    for (const auto& c : cases) {
        Calls calls = { { c.answers[0], c.answers[1], c.answers[2] }, "" };
        EXPECT_EQ(c.ended, BecomeDpiAware(standIns, &calls)) << c.what;
        EXPECT_EQ(c.made, calls.made) << c.what;
    }
}

}  // namespace
