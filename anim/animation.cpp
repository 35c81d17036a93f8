#include "anim/animation.h"

#include "anim/deformers.h"
#include "engine/matrix.h"

#include <math.h>
#include <time.h>

namespace {

uint32_t CalendarSeconds()
{
    return (uint32_t)time(nullptr);
}

double Wrap(double phase)
{
    return phase > TwoPi ? phase - TwoPi : phase;
}

int32_t FirstStageOf(int32_t mode, int32_t current)
{
    switch (mode) {
    case (int32_t)AnimationMode::Jump: return JumpSetup;
    case (int32_t)AnimationMode::Wave: return WaveSetup;
    case (int32_t)AnimationMode::Rotation: return RotationSetup;
    case (int32_t)AnimationMode::Vortex: return VortexSetup;
    case (int32_t)AnimationMode::Flag: return FlagSetup;
    default: return current;
    }
}

// Object unturned at the origin, as every set-up leaves it.
void ObjectAtRest(AnimationState* s)
{
    s->objectAngleX = 0.0;
    s->objectAngleY = 0.0;
    s->objectAngleZ = 0.0;
    s->objectX = 0.0f;
    s->objectY = 0.0f;
    s->objectZ = 0.0f;
}

// Camera straight above the origin looking down -Y; object at rest.
void TopView(AnimationState* s)
{
    s->cameraAngleX = HalfPi;
    s->cameraAngleY = 0.0;
    s->cameraAngleZ = 0.0;
    s->cameraX = 0.0f;
    s->cameraZ = 0.0f;
    ObjectAtRest(s);
}

// Top view from a random height with the object tilted at random; the three
// draws are taken in this order.
void RandomView(AnimationState* s)
{
    TopView(s);
    s->cameraY = (float)(0.7 * (DrawAnimationRandom(s) % 100) + 30.0);
    s->objectAngleX = 0.02 * (DrawAnimationRandom(s) % 100) - 1.0;
    s->objectAngleZ = 0.02 * (DrawAnimationRandom(s) % 100) - 1.0;
    s->tickCount = 0;
}

float BounceHeight(uint32_t n)
{
    return (float)(fabs(45.0 * cos(0.05 * (double)n)) + 5.0);
}

void StepJump(AnimationState* s)
{
    switch (s->stage) {
    case JumpSetup:
        TopView(s);
        s->cameraY = 50.0f;
        s->phaseA = 0.0;
        s->phaseB = 0.0;
        s->tickCount = 0;
        s->stage = JumpBounce;
        break;
    case JumpBounce: {
        const uint32_t n = s->tickCount;
        s->tickCount = n + 1;
        s->cameraY = BounceHeight(n);
        if (0.05 * ((double)n + 1.0) > JumpPeriod) {
            s->tickCount = 0;
            s->stage = JumpSway;
        }
        break;
    }
    case JumpSway: {
        const uint32_t n = s->tickCount;
        s->tickCount = n + 1;
        s->cameraY = BounceHeight(n);
        s->objectAngleX = sin(s->phaseA);
        s->objectAngleY = 5.0 * sin(s->phaseB);
        s->phaseA = Wrap(s->phaseA + 0.05);
        s->phaseB = Wrap(s->phaseB + 0.005);
        break;
    }
    }
}

void StepWave(AnimationState* s, ModelData* model)
{
    if (s->stage == WaveSetup) {
        TopView(s);
        s->cameraY = 50.0f;
        s->tickCount = 0;
        s->phaseA = 0.0;
        s->deformPhase = 0.0;
        s->stage = WaveFar;
        return;
    }
    DeformWave(model, 2.0, s->deformPhase, true);
    s->deformPhase = Wrap(s->deformPhase + 0.5);
    switch (s->stage) {
    case WaveFar:
    case WaveNear:
        s->tickCount += 1;
        if (s->tickCount > 500) {
            s->phaseA = 0.0;
            s->stage = s->stage == WaveFar ? WaveApproach : WaveRecede;
        }
        break;
    case WaveApproach:
    case WaveRecede:
        // The height comes from the phase before its step.
        s->cameraY = s->stage == WaveApproach ? (float)(15.0 * cos(s->phaseA) + 35.0)
                                              : (float)(35.0 - 15.0 * cos(s->phaseA));
        s->phaseA = Wrap(s->phaseA + 0.025);
        if (s->phaseA > Pi) {
            s->tickCount = 0;
            s->stage = s->stage == WaveApproach ? WaveNear : WaveFar;
        }
        break;
    }
}

void OrbitStep(AnimationState* s)
{
    s->cameraAngleY = Wrap(s->cameraAngleY + (double)0.02f);
    const uint32_t n = s->tickCount;
    s->tickCount = n + 1;
    s->cameraX = (float)(5.0 * sin(0.05 * (double)n));
    s->cameraZ = (float)(5.0 * cos(0.05 * (double)n));
}

void StepRotation(AnimationState* s)
{
    if (s->stage == RotationSetup) {
        s->cameraAngleX = (double)0.4f;
        s->cameraAngleZ = 0.0;
        s->cameraY = 2.0f;
        ObjectAtRest(s);
        s->stage = RotationOrbit;
        // The set-up tick already orbits, from heading 0 and tick 0.
        s->cameraAngleY = 0.0;
        s->tickCount = 0;
    }
    OrbitStep(s);
}

// The twist swings with phaseB in every moving vortex stage.
void SwingTwist(AnimationState* s)
{
    s->deformPhase = 2.0 * sin(s->phaseB);
    s->phaseB = Wrap(s->phaseB + 0.02);
}

void StepVortex(AnimationState* s, ModelData* model)
{
    if (s->stage == VortexSetup) {
        RandomView(s);
        s->stage = VortexGrow;
        s->phaseA = 0.0;
        s->phaseB = 0.0;
    }
    SwingTwist(s);
    switch (s->stage) {
    case VortexGrow:
        s->phaseA = Wrap(s->phaseA + 0.03);
        DeformVortex(model, sin(s->phaseA), s->deformPhase, true);
        if (s->phaseA > HalfPi)
            s->stage = VortexHold;
        break;
    case VortexHold:
        DeformVortex(model, 1.0, s->deformPhase, true);
        s->tickCount += 1;
        if (s->tickCount > 500) {
            s->phaseA = HalfPi;
            s->stage = VortexShrink;
        }
        break;
    case VortexShrink:
        s->phaseA = Wrap(s->phaseA + 0.03);
        DeformVortex(model, sin(s->phaseA), s->deformPhase, true);
        if (s->phaseA > Pi)
            s->stage = VortexSetup;
        break;
    }
}

void StepFlag(AnimationState* s, ModelData* model)
{
    if (s->stage == FlagSetup) {
        RandomView(s);
        s->deformPhase = 0.0;
        s->stage = FlagUnfurl;
        s->phaseA = 0.0;
    }
    switch (s->stage) {
    case FlagUnfurl:
    case FlagFurl:
        s->phaseA += 0.1;
        DeformFlagFurl(model, sin(s->phaseA), true);
        if (s->stage == FlagUnfurl && s->phaseA > HalfPi) {
            s->phaseA = 0.0;
            s->deformPhase = 0.0;
            s->stage = FlagWaveRise;
        } else if (s->stage == FlagFurl && s->phaseA > Pi) {
            s->stage = FlagSetup;
        }
        break;
    case FlagWaveRise:
    case FlagWaveFall:
        DeformFlagWave(model, 0.1 * sin(s->phaseA), s->deformPhase, true);
        s->deformPhase = Wrap(s->deformPhase + 0.5);
        s->phaseA += 0.02;
        if (s->stage == FlagWaveRise && s->phaseA > HalfPi) {
            s->tickCount = 0;
            s->stage = FlagWaveHold;
        } else if (s->stage == FlagWaveFall && s->phaseA > Pi) {
            s->phaseA = HalfPi;
            s->stage = FlagFurl;
        }
        break;
    case FlagWaveHold:
        DeformFlagWave(model, 0.1, s->deformPhase, true);
        s->deformPhase = Wrap(s->deformPhase + 0.5);
        s->tickCount += 1;
        if (s->tickCount > 100) {
            s->phaseA = HalfPi;
            s->stage = FlagWaveFall;
        }
        break;
    }
}

}  // namespace

AnimationState CurrentAnimation;
uint32_t (*AnimationClock)() = CalendarSeconds;

void SeedAnimationRandom(AnimationState* state, uint32_t seed)
{
    state->randomState = seed;
}

int32_t DrawAnimationRandom(AnimationState* state)
{
    state->randomState = state->randomState * 214013u + 2531011u;
    return (int32_t)((state->randomState >> 16) & 0x7FFF);
}

void AdvanceAnimation(AnimationState* state, int32_t animation, ModelData* model)
{
    if (!state->seeded) {
        SeedAnimationRandom(state, AnimationClock());
        int32_t mode = animation;
        if (mode == (int32_t)AnimationMode::Random)
            mode = DrawAnimationRandom(state) % kAnimationCount + kFirstAnimation;
        state->stage = FirstStageOf(mode, state->stage);
        state->seeded = true;
    }
    switch (state->stage) {
    case JumpSetup:
    case JumpBounce:
    case JumpSway:
        StepJump(state);
        break;
    case WaveSetup:
    case WaveFar:
    case WaveNear:
    case WaveApproach:
    case WaveRecede:
        StepWave(state, model);
        break;
    case RotationSetup:
    case RotationOrbit:
        StepRotation(state);
        break;
    case VortexSetup:
    case VortexGrow:
    case VortexHold:
    case VortexShrink:
        StepVortex(state, model);
        break;
    case FlagSetup:
    case FlagUnfurl:
    case FlagWaveRise:
    case FlagWaveHold:
    case FlagWaveFall:
    case FlagFurl:
        StepFlag(state, model);
        break;
    }
}

void AnimationTransforms(const AnimationState* state, Matrix4* view, Matrix4* world)
{
    MatrixView(view, state->cameraAngleX, state->cameraAngleY, state->cameraAngleZ,
               state->cameraX, state->cameraY, state->cameraZ);
    MatrixWorld(world, state->objectAngleX, state->objectAngleY, state->objectAngleZ,
                state->objectX, state->objectY, state->objectZ);
}

void AdvanceAnimationFrame(AnimationState* state, int32_t animation, ModelData* model,
                           Matrix4* view, Matrix4* world)
{
    AdvanceAnimation(state, animation, model);
    AnimationTransforms(state, view, world);
}
