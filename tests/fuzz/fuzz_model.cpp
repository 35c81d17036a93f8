// Loads arbitrary bytes as a model file; on success prepares the model the
// way start-up does, takes the snapshot, runs every deformer and a few frame
// steps, and reads every vertex a draw would hand to the device.
#include "anim/animation.h"
#include "anim/deformers.h"
#include "assets/model_data.h"
#include "engine/matrix.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const char* ScratchPath()
{
    static char path[96];
    if (!path[0]) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        snprintf(path, sizeof(path), "%s/morvella_fuzz_%d.dat", dir, (int)getpid());
    }
    return path;
}

uint32_t ClockForFuzzing()
{
    return 1;
}

volatile float sink;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The content checks alone, on the bytes as they come.
    if (size <= 0x7FFFFFFF) {
        ModelCheck check;
        CheckModelImage(data, (int32_t)size, &check);
    }

    FILE* f = fopen(ScratchPath(), "wb");
    if (!f)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);

    ModelData model;
    ClearModelData(&model);
    if (!LoadModelFile(&model, ScratchPath()))
        return 0;

    // What the scene set-up and the texture step do to the image.
    ModelObject* first = ModelFirstRecord(&model);
    first->material.diffuse.r = 0.5f;
    strcpy(first->textureName, "sample.bmp");
    int32_t count = 0;
    ModelVertex* v = ModelFirstObjectVertices(&model, &count);
    for (int32_t i = 0; i < count; ++i) {
        v[i].tu = v[i].x;
        v[i].tv = -v[i].z;
    }
    for (int32_t i = 0; i < model.objectCount; ++i) {
        sink = (float)ModelTextureNameLength(model.objects[i].record);
        ResolveModelObject(&model, i, nullptr);
    }
    if (!SaveModelSnapshot(&model)) {
        FreeModelData(&model);
        return 0;
    }

    DeformWave(&model, 2.0, 0.5, true);
    DeformVortex(&model, 0.7, 1.5, true);
    DeformFlagWave(&model, 0.1, 0.5, true);
    DeformFlagFurl(&model, 0.3, true);
    DeformFlagFurl(&model, 0.3, false);

    // A draw reads every vertex of every object.
    float total = 0.0f;
    for (int32_t i = 0; i < model.objectCount; ++i) {
        const ModelObjectRef& ref = model.objects[i];
        const unsigned char* bytes = (const unsigned char*)ref.vertices;
        for (int32_t b = 0; b < ref.vertexCount * (int32_t)sizeof(ModelVertex); ++b)
            total += bytes[b];
        total += (float)ref.record->shadeMode;
    }
    sink = total;

    AnimationClock = ClockForFuzzing;
    AnimationState state = AnimationState();
    Matrix4 view, world;
    for (int32_t mode = 2; mode <= 5; mode += 2) {  // wave and flag, then vortex below
        state = AnimationState();
        for (int tick = 0; tick < 3; ++tick)
            AdvanceAnimationFrame(&state, mode, &model, &view, &world);
    }
    state = AnimationState();
    AdvanceAnimationFrame(&state, 4, &model, &view, &world);

    RestoreModelSnapshot(&model);
    FreeModelData(&model);
    return 0;
}
