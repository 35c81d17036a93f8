// The default model: a flat square of side 24 centred on the origin in the
// x-z plane (x and z from -12 to 12, y = 0, normals +y), as one triangle list.
//
// Why a 32 x 32 grid (squares of 0.75, 2048 triangles, 6144 vertices):
//  - The travelling wave has a phase of x + z, so one step of the grid along
//    x or z moves its phase by 0.75 radian: 8.4 straight segments per period,
//    enough that the crests read as round in motion. At 24 x 24 (one radian a
//    step, 6.3 segments) the crests turn visibly into ridges of facets; the
//    flag's wave (phase (z + 2x) / 3) and the vortex's twist (0.2 radian per
//    unit at most, 0.15 per square) are gentler still.
//  - Every triangle costs: measured under Wine with Mesa's software renderer
//    at 640 x 480, a 32 x 32 grid renders in about 9 ms a frame, which still
//    fits the shortest timer period the settings offer (10 ms); 48 x 48
//    (13 ms) and finer would slow the fastest setting down for no visible gain.
//  - One triangle list per object is one draw call, where squares stored as
//    four-vertex polygons would cost one fan, one call, each.
//  - Each square is split along its x + z = constant diagonal, the direction
//    of the wave's crests, so a crest that crosses a square is not broken by
//    the split.
//  - Triangles are wound clockwise seen from above (+y, the side every view
//    looks from), which is the front side for the device's default
//    counter-clockwise culling.
#include "tools/default_model.h"

#include "assets/model_data.h"

#include <cstdio>
#include <cstring>

namespace {

void Put(std::vector<unsigned char>& out, size_t at, const void* data, size_t size)
{
    memcpy(out.data() + at, data, size);
}

ModelVertex GridVertex(double x, double z)
{
    ModelVertex v;
    v.x = (float)x;
    v.y = 0.0f;
    v.z = (float)z;
    v.nx = 0.0f;
    v.ny = 1.0f;
    v.nz = 0.0f;
    // The texture coordinates the scene set-up would give with one repeat;
    // the saver recomputes them from its settings.
    v.tu = (float)((x + 12.0) / 24.0);
    v.tv = (float)(-(z + 12.0) / 24.0);
    return v;
}

}  // namespace

std::vector<unsigned char> BuildDefaultModelFile(int grid)
{
    const size_t triangles = (size_t)grid * grid * 2;
    const size_t vertexOffset = 2 * ModelRecordSize;  // after the object and the ending record
    std::vector<unsigned char> file(ModelHeaderSize + vertexOffset + triangles * 3 * ModelVertexSize, 0);

    char header[ModelHeaderSize];
    memset(header, 0, sizeof(header));
    memcpy(header, "CONVLWO", ModelMagicSize);
    snprintf(header + ModelMagicSize, sizeof(header) - ModelMagicSize,
             "\r\nMorvella default model: flat square of side 24, "
             "%d x %d squares, %d triangles in one list.\r\n\x1a",
             grid, grid, (int)triangles);
    Put(file, 0, header, sizeof(header));

    ModelObject object;
    memset(&object, 0, sizeof(object));
    object.vertsPerPolygon = 3;
    object.polygonCount = (int32_t)triangles;
    strcpy(object.textureName, "sample.bmp");
    object.shadeMode = 2;         // Gouraud
    object.alphaBlendEnable = 0;  // opaque
    object.srcBlend = 2;          // one
    object.destBlend = 1;         // zero
    object.vertexOffset = (uint32_t)vertexOffset;
    object.nextOffset = ModelRecordSize;
    const ModelColor white = {1.0f, 1.0f, 1.0f, 1.0f};
    const ModelColor dim = {0.25f, 0.25f, 0.25f, 1.0f};
    const ModelColor none = {0.0f, 0.0f, 0.0f, 1.0f};
    object.material.diffuse = white;
    object.material.ambient = white;
    object.material.specular = dim;
    object.material.emissive = none;
    object.material.power = 20.0f;
    Put(file, ModelHeaderSize, &object, sizeof(object));
    // The ending record stays all zero: nextOffset 0.

    const double step = 24.0 / grid;
    size_t at = ModelHeaderSize + vertexOffset;
    for (int j = 0; j < grid; ++j) {
        for (int i = 0; i < grid; ++i) {
            const double x0 = -12.0 + i * step, x1 = -12.0 + (i + 1) * step;
            const double z0 = -12.0 + j * step, z1 = -12.0 + (j + 1) * step;
            const ModelVertex a = GridVertex(x0, z0), b = GridVertex(x1, z0);
            const ModelVertex c = GridVertex(x0, z1), d = GridVertex(x1, z1);
            const ModelVertex list[6] = {a, c, b, b, c, d};
            Put(file, at, list, sizeof(list));
            at += sizeof(list);
        }
    }
    return file;
}
