#pragma once
// The values of the Display and Animation settings. Everything that
// compares, counts, offers or chooses a mode does so by these names, so a
// new mode is added here and then where its own behaviour lives.
#include <cstdint>

// How the 640 x 480 picture is put on the screen (Display).
enum DisplayMode : int32_t {
    DisplayCentred = 0,    // at its own size, in the middle
    DisplayStretched = 1,  // over the whole area
    DisplayTiled = 2,      // repeated from the area's top-left corner
};
constexpr int32_t kDisplayModeCount = DisplayTiled + 1;

// Which animation runs (Animation): one of five, or Random, which picks one
// of the five for each run.
enum class AnimationMode : int32_t {
    Random = 0,
    Jump = 1,
    Wave = 2,
    Rotation = 3,
    Vortex = 4,
    Flag = 5,
};
constexpr int32_t kAnimationModeCount = static_cast<int32_t>(AnimationMode::Flag) + 1;

// The animations Random picks from: Jump to the last.
constexpr int32_t kFirstAnimation = static_cast<int32_t>(AnimationMode::Jump);
constexpr int32_t kAnimationCount = kAnimationModeCount - kFirstAnimation;
