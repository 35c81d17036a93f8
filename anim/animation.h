// The animation stage machine: everything a frame step decides, without
// touching the device.
//
// Each timer tick the saver's frame step calls AdvanceAnimationFrame once:
//
//     Matrix4 view, world;
//     AdvanceAnimationFrame(&CurrentAnimation, settings.Animation, &model,
//                           &view, &world);
//     device->SetTransform(D3DTRANSFORMSTATE_VIEW, (D3DMATRIX*)&view);    // first
//     device->SetTransform(D3DTRANSFORMSTATE_WORLD, (D3DMATRIX*)&world);  // second
//     engine.ClearFrame(); engine.DrawModel(model); return PresentFrame(...);
//
// AdvanceAnimationFrame advances the stage of the chosen mode, rewrites the
// first model object's vertices for the wave, vortex and flag modes, and
// fills the view and world matrices; the caller sets them, view before world,
// ignores the results of SetTransform, and renders. Matrix4 has the D3DMATRIX
// layout, so the pointers go to the device as they are. Nothing here
// allocates, and nothing reports failure.
#ifndef MORVELLA_ANIM_ANIMATION_H
#define MORVELLA_ANIM_ANIMATION_H

#include <stdint.h>

#include "settings/modes.h"

struct Matrix4;
struct ModelData;

enum AnimationStage : int32_t {
    JumpSetup = 0,
    JumpBounce = 1,
    JumpSway = 2,
    WaveSetup = 3,
    WaveFar = 4,
    WaveNear = 5,
    WaveApproach = 6,
    WaveRecede = 7,
    RotationSetup = 8,
    RotationOrbit = 9,
    VortexSetup = 10,
    VortexGrow = 11,
    VortexHold = 12,
    VortexShrink = 13,
    FlagSetup = 14,
    FlagUnfurl = 15,
    FlagWaveRise = 16,
    FlagWaveHold = 17,
    FlagWaveFall = 18,
    FlagFurl = 19,
};

// Phases wrap at this literal, not at full-precision 2 pi; the others are the
// matching quarter and half turns and the end of the first bounce.
constexpr double TwoPi = 6.283185307;
constexpr double Pi = 3.1415926535;
constexpr double HalfPi = 1.57079632675;
constexpr double JumpPeriod = 6.28;

// One per process, all zero before the first tick. Angles in radians.
struct AnimationState {
    bool seeded;             // the first tick has seeded and chosen the stage
    int32_t stage;           // AnimationStage
    uint32_t tickCount;      // hold counters and the bounce/orbit tick
    double phaseA;           // zoom, growth or furl progress, sway
    double phaseB;           // sway about Y (jump), twist swing (vortex)
    double deformPhase;      // wave travel, or twist strength (vortex)
    double cameraAngleX, cameraAngleY, cameraAngleZ;
    float cameraX, cameraY, cameraZ;
    double objectAngleX, objectAngleY, objectAngleZ;
    float objectX, objectY, objectZ;
    uint32_t randomState;    // the run's pseudo-random generator
};

extern AnimationState CurrentAnimation;

// Seconds of calendar time that seed the generator on the first tick.
// Defaults to the C library's clock; tests put their own here.
extern uint32_t (*AnimationClock)();

void SeedAnimationRandom(AnimationState* state, uint32_t seed);
// 0..32767: state = state * 214013 + 2531011, then bits 16..30.
int32_t DrawAnimationRandom(AnimationState* state);

// Runs one tick of the stage machine: on the first tick seeds the generator
// and picks the starting stage from animation, an AnimationMode (an unknown
// value runs Jump); later ticks ignore animation. Deforms the model where the
// stage says so.
void AdvanceAnimation(AnimationState* state, int32_t animation, ModelData* model);

// The view matrix from the camera fields and the world matrix from the
// object fields.
void AnimationTransforms(const AnimationState* state, Matrix4* view, Matrix4* world);

// AdvanceAnimation, then AnimationTransforms.
void AdvanceAnimationFrame(AnimationState* state, int32_t animation, ModelData* model,
                           Matrix4* view, Matrix4* world);

#endif
