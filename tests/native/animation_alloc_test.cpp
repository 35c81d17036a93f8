// A frame step allocates nothing: every heap allocation of the process (C and
// C++ alike end in malloc here) is counted while frame steps of every mode run.
#include "anim/animation.h"
#include "assets/model_data.h"
#include "engine/matrix.h"
#include "model_fixture.h"
#include "tools/default_model.h"

#include <gtest/gtest.h>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define MORVELLA_COUNT_ALLOCATIONS 1
namespace {
bool countingOn = false;
long allocations = 0;
}  // namespace

// glibc lets a program replace malloc; these forward to its own allocator.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* malloc(size_t size) { allocations += countingOn; return __libc_malloc(size); }
void* calloc(size_t n, size_t size) { allocations += countingOn; return __libc_calloc(n, size); }
void* realloc(void* p, size_t size) { allocations += countingOn; return __libc_realloc(p, size); }
void free(void* p) { __libc_free(p); }
}
#endif

namespace {

TEST(AnimationAllocation, FrameStepsAllocateNothing)
{
#ifndef MORVELLA_COUNT_ALLOCATIONS
    GTEST_SKIP() << "allocation counting needs glibc without a sanitizer";
#else
    ModelData model;
    ASSERT_TRUE(fixture::LoadBytes(&model, BuildDefaultModelFile(8)));
    ASSERT_TRUE(SaveModelSnapshot(&model));
    countingOn = true;
    void* probe = malloc(16);  // the counter itself works
    countingOn = false;
    free(probe);
    ASSERT_EQ(allocations, 1);
    for (int32_t animation = 0; animation <= 6; ++animation) {
        AnimationState state = AnimationState();
        Matrix4 view, world;
        allocations = 0;
        countingOn = true;  // every stage change of every mode, the first tick included
        for (int tick = 0; tick < 1500; ++tick)
            AdvanceAnimationFrame(&state, animation, &model, &view, &world);
        countingOn = false;
        EXPECT_EQ(allocations, 0) << "animation " << animation;
    }
    FreeModelData(&model);
#endif
}

}  // namespace
