#include "anim/deformers.h"

#include "assets/model_data.h"

#include <math.h>
#include <stdint.h>
#include <string.h>

int DeformWave(ModelData* model, double amplitude, double phase, bool apply)
{
    if (!apply) {
        RestoreModelSnapshot(model);
        return 1;
    }
    int32_t count;
    ModelVertex* v = ModelFirstObjectVertices(model, &count);
    for (int32_t i = 0; i < count; ++i) {
        const double arg = (double)v[i].z + (double)v[i].x + phase;
        v[i].y = (float)(amplitude * sin(arg));
    }
    return 1;
}

namespace {

// The turn of a vertex depends only on its distance from the axis, and a
// model's vertices share few distances (every corner is stored once per
// triangle, and a grid repeats distances all round the axis). Remembering
// cos and sin per exact x*x + z*z within one call saves most of the
// trigonometry and gives bit-for-bit the same results.
struct TurnCacheEntry {
    uint64_t key;        // bits of x*x + z*z
    uint32_t generation; // the call that filled the entry
    double c, s;
};

const int TurnCacheSize = 256;
TurnCacheEntry turnCache[TurnCacheSize];
uint32_t turnGeneration;

void NextTurnGeneration()
{
    if (++turnGeneration == 0) {
        // After 2^32 calls old entries could look current again.
        memset(turnCache, 0, sizeof(turnCache));
        turnGeneration = 1;
    }
}

void Turn(double squared, double twist, double* c, double* s)
{
    uint64_t key;
    memcpy(&key, &squared, sizeof(key));
    const uint64_t mixed = key * 0x9E3779B97F4A7C15ull;
    TurnCacheEntry* entry = &turnCache[mixed >> 56];
    if (entry->generation != turnGeneration || entry->key != key) {
        // The square root is the exact value of the sum to the power 0.5 for
        // every non-negative sum, at a fraction of the cost. The angle is
        // (r * 0.1) * twist, in that order: folding 0.1 * twist first can
        // round differently.
        const double theta = sqrt(squared) * 0.1 * twist;
        entry->key = key;
        entry->generation = turnGeneration;
        entry->c = cos(theta);
        entry->s = sin(theta);
    }
    *c = entry->c;
    *s = entry->s;
}

}  // namespace

int DeformVortex(ModelData* model, double scale, double twist, bool apply)
{
    RestoreModelSnapshot(model);
    if (!apply)
        return 1;
    int32_t count;
    ModelVertex* v = ModelFirstObjectVertices(model, &count);
    NextTurnGeneration();
    for (int32_t i = 0; i < count; ++i) {
        const double x = v[i].x;
        const double z = v[i].z;
        double c, s;
        Turn(z * z + x * x, twist, &c, &s);
        v[i].x = (float)(scale * (x * c - z * s));
        v[i].z = (float)(scale * (x * s + z * c));
    }
    return 1;
}

int DeformFlagWave(ModelData* model, double amplitude, double phase, bool apply)
{
    if (!apply) {
        RestoreModelSnapshot(model);
        return 1;
    }
    int32_t count;
    ModelVertex* v = ModelFirstObjectVertices(model, &count);
    // Multiplied by the double nearest one third rather than divided by 3,
    // which can differ in the last bit.
    const double third = 0.3333333333333333;
    for (int32_t i = 0; i < count; ++i) {
        const double x = v[i].x;
        const double arg = ((double)v[i].z + 2.0 * x) * third - phase;
        v[i].y = (float)(amplitude * (x + 12.0) * sin(arg));
    }
    return 1;
}

int DeformFlagFurl(ModelData* model, double reach, bool apply)
{
    RestoreModelSnapshot(model);
    if (!apply)
        return 1;
    int32_t count;
    ModelVertex* v = ModelFirstObjectVertices(model, &count);
    const double edge = 24.0 * reach - 12.0;
    const float edgeStored = (float)edge;
    for (int32_t i = 0; i < count; ++i) {
        if ((double)v[i].x > edge)
            v[i].x = edgeStored;
    }
    return 1;
}
