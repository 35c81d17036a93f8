#pragma once
// The arithmetic and the tables of the close rules, kept apart from the
// window code so they can be tested natively.
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

// Power broadcasts (the wParam of WM_POWERBROADCAST), as Windows numbers them.
constexpr uint32_t kPbtQuerySuspend = 0x0000;
constexpr uint32_t kPbtQueryStandby = 0x0001;
constexpr uint32_t kPbtQuerySuspendFailed = 0x0002;
constexpr uint32_t kPbtQueryStandbyFailed = 0x0003;
constexpr uint32_t kPbtSuspend = 0x0004;
constexpr uint32_t kPbtStandby = 0x0005;
constexpr uint32_t kPbtResumeCritical = 0x0006;
constexpr uint32_t kPbtResumeSuspend = 0x0007;
constexpr uint32_t kPbtResumeStandby = 0x0008;
constexpr uint32_t kPbtBatteryLow = 0x0009;
constexpr uint32_t kPbtPowerStatusChange = 0x000A;
constexpr uint32_t kPbtOemEvent = 0x000B;
constexpr uint32_t kPbtResumeAutomatic = 0x0012;
constexpr uint32_t kPbtPowerSettingChange = 0x8013;

// Whether a power broadcast ends the saver. It does for a suspend or standby
// (asked or done), a resume, and any event it does not know; it does not for
// the news a laptop sends while nobody touches it: the charger plugged in or
// out, the battery level (every few percent, or low), a maker's own event, a
// suspend that did not happen, a timer wake with no user present, a power
// setting. The saver never refuses a suspend: the answer to the query is the
// default one, whatever this says.
inline bool PowerBroadcastEndsSaver(uint32_t event)
{
    switch (event) {
    case kPbtQuerySuspendFailed:
    case kPbtQueryStandbyFailed:
    case kPbtBatteryLow:
    case kPbtPowerStatusChange:
    case kPbtOemEvent:
    case kPbtResumeAutomatic:
    case kPbtPowerSettingChange:
        return false;
    default:
        return true;
    }
}
