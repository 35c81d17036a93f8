#pragma once
// The arithmetic of the close rules, kept apart from the window code so it
// can be tested natively.
#include <cstdint>
#include <cstdlib>

// A mouse move closes the saver when the cursor lies more than this many
// pixels (horizontal plus vertical distance) from the anchor.
constexpr long kMouseMoveThreshold = 4;

inline bool MovedBeyondThreshold(long anchorX, long anchorY, long x, long y)
{
    return std::labs(x - anchorX) + std::labs(y - anchorY) > kMouseMoveThreshold;
}

// The password verifier is not asked again until this long after the last
// check ended, so a burst of input does not stack dialogs.
constexpr uint32_t kPasswordRecheckMs = 200;
constexpr uint32_t kNoPasswordCheckYet = 0xFFFFFFFFu;

// The tick count wraps after 49.7 days; the difference is taken modulo 2^32.
inline bool TooSoonForPasswordCheck(uint32_t now, uint32_t lastCheckEnded)
{
    return lastCheckEnded != kNoPasswordCheckYet && now - lastCheckEnded < kPasswordRecheckMs;
}
