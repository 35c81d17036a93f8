// Deformers and frame steps over the default model, in ns per vertex, beside
// the floor: a loop that does nothing but one sine per vertex.
#include "anim/animation.h"
#include "anim/deformers.h"
#include "assets/model_data.h"
#include "engine/matrix.h"
#include "tools/default_model.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

ModelData* DefaultModel()
{
    static ModelData model;
    static bool loaded = false;
    if (!loaded) {
        ClearModelData(&model);
        const std::string path = "/tmp/morvella_bench_" + std::to_string(getpid()) + ".dat";
        const std::vector<unsigned char> file = BuildDefaultModelFile();
        FILE* f = fopen(path.c_str(), "wb");
        if (!f || fwrite(file.data(), 1, file.size(), f) != file.size() || fclose(f) != 0 ||
            !LoadModelFile(&model, path.c_str()) || !SaveModelSnapshot(&model)) {
            fprintf(stderr, "cannot prepare the default model\n");
            exit(1);
        }
        remove(path.c_str());
        loaded = true;
    }
    return &model;
}

int32_t VertexCount()
{
    int32_t count = 0;
    ModelFirstObjectVertices(DefaultModel(), &count);
    return count;
}

void PerVertex(benchmark::State& state)
{
    // Printed in seconds per vertex with an SI prefix: "12.3n" is 12.3 ns.
    state.counters["per_vertex"] = benchmark::Counter(
        (double)VertexCount(), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["vertices"] = VertexCount();
}

void SineFloor(benchmark::State& state)
{
    int32_t count = 0;
    const ModelVertex* v = ModelFirstObjectVertices(DefaultModel(), &count);
    double phase = 0.0;
    for (auto _ : state) {
        double sum = 0.0;
        for (int32_t i = 0; i < count; ++i)
            sum += sin((double)v[i].x + phase);
        benchmark::DoNotOptimize(sum);
        phase += 0.5;
    }
    PerVertex(state);
}
BENCHMARK(SineFloor);

void Wave(benchmark::State& state)
{
    ModelData* model = DefaultModel();
    double phase = 0.0;
    for (auto _ : state) {
        DeformWave(model, 2.0, phase, true);
        benchmark::ClobberMemory();
        phase += 0.5;
    }
    PerVertex(state);
}
BENCHMARK(Wave);

void Vortex(benchmark::State& state)
{
    ModelData* model = DefaultModel();
    double twist = 0.1;
    for (auto _ : state) {
        DeformVortex(model, 0.9, twist, true);
        benchmark::ClobberMemory();
        twist = twist > 2.0 ? -2.0 : twist + 0.01;
    }
    PerVertex(state);
}
BENCHMARK(Vortex);

void FlagWave(benchmark::State& state)
{
    ModelData* model = DefaultModel();
    double phase = 0.0;
    for (auto _ : state) {
        DeformFlagWave(model, 0.1, phase, true);
        benchmark::ClobberMemory();
        phase += 0.5;
    }
    PerVertex(state);
}
BENCHMARK(FlagWave);

void FlagFurl(benchmark::State& state)
{
    ModelData* model = DefaultModel();
    double reach = 0.0;
    for (auto _ : state) {
        DeformFlagFurl(model, sin(reach), true);
        benchmark::ClobberMemory();
        reach += 0.1;
    }
    PerVertex(state);
}
BENCHMARK(FlagFurl);

// A whole frame step (stage machine, deformer and both matrices), held in
// the stage given.
void FrameStep(benchmark::State& state, int32_t mode, int32_t stage)
{
    ModelData* model = DefaultModel();
    AnimationState anim = AnimationState();
    Matrix4 view, world;
    while (anim.stage != stage || !anim.seeded)
        AdvanceAnimationFrame(&anim, mode, model, &view, &world);
    const AnimationState start = anim;
    for (auto _ : state) {
        AdvanceAnimationFrame(&anim, mode, model, &view, &world);
        benchmark::DoNotOptimize(view);
        benchmark::DoNotOptimize(world);
        if (anim.stage != stage)
            anim = start;
    }
    PerVertex(state);
}
BENCHMARK_CAPTURE(FrameStep, wave_far, 2, WaveFar);
BENCHMARK_CAPTURE(FrameStep, vortex_hold, 4, VortexHold);
BENCHMARK_CAPTURE(FrameStep, flag_wave_hold, 5, FlagWaveHold);

}  // namespace

BENCHMARK_MAIN();
