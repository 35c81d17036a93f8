// Simplification by edge collapse with meshoptimizer: the collapses that
// move the surface least go first, and the borders of open surfaces (a
// flat logo's outline) and seams of texture coordinates move only along
// themselves. How far the outline moved all the same is measured.
#include "convert/simplify.h"

#include "convert/outline.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

struct WeldVertex {
    float p[3];
    float uv[2];
};

void Weld(const Part& part, std::vector<WeldVertex>* vertices, std::vector<unsigned>* indices)
{
    std::vector<WeldVertex> corners(part.corners.size());
    for (size_t i = 0; i < part.corners.size(); ++i) {
        const Corner& c = part.corners[i];
        WeldVertex& w = corners[i];
        memset(&w, 0, sizeof(w));
        w.p[0] = (float)c.position.x;
        w.p[1] = (float)c.position.y;
        w.p[2] = (float)c.position.z;
        if (part.hasUV && !part.texture.empty()) {
            w.uv[0] = (float)c.u;
            w.uv[1] = (float)c.v;
        }
    }
    std::vector<unsigned> remap(corners.size());
    const size_t unique = meshopt_generateVertexRemap(remap.data(), nullptr, corners.size(), corners.data(),
                                                      corners.size(), sizeof(WeldVertex));
    vertices->resize(unique);
    meshopt_remapVertexBuffer(vertices->data(), corners.data(), corners.size(), sizeof(WeldVertex), remap.data());
    *indices = remap;
}

Vec3 Position(const WeldVertex& w)
{
    return {w.p[0], w.p[1], w.p[2]};
}

// Collapses can leave a triangle facing the other way (a few in a thousand
// on a finely divided sphere), and the device's culling would show a hole
// there. Each kept triangle is turned to face the way the original surface
// faced around its corners. Returns how many were turned.
size_t TurnBackOver(const std::vector<WeldVertex>& vertices, const std::vector<unsigned>& original,
                    std::vector<unsigned>* kept)
{
    std::vector<Vec3> facing(vertices.size(), Vec3{0, 0, 0});
    for (size_t t = 0; t + 2 < original.size(); t += 3) {
        const unsigned* i = &original[t];
        const Vec3 n = FrontNormal(Position(vertices[i[0]]), Position(vertices[i[1]]), Position(vertices[i[2]]));
        for (int k = 0; k < 3; ++k)
            facing[i[k]] = facing[i[k]] + n;
    }
    size_t turned = 0;
    for (size_t t = 0; t + 2 < kept->size(); t += 3) {
        unsigned* i = &(*kept)[t];
        const Vec3 n = FrontNormal(Position(vertices[i[0]]), Position(vertices[i[1]]), Position(vertices[i[2]]));
        if (Dot(n, facing[i[0]] + facing[i[1]] + facing[i[2]]) < 0) {
            std::swap(i[1], i[2]);
            ++turned;
        }
    }
    return turned;
}

}  // namespace

void SimplifyScene(Scene* scene, size_t maxTriangles, SimplifyReport* report)
{
    size_t total = 0;
    for (const Part& part : scene->parts)
        total += part.Triangles();
    const size_t parts = scene->parts.size();
    report->before = total;
    report->after = total;
    report->budget = maxTriangles;
    report->parts = parts;
    if (total <= maxTriangles)
        return;
    // Shares that add up to the budget at most: one triangle a part, and
    // the rest in proportion to what each part has beyond its one.
    report->tooManyParts = parts > maxTriangles;
    const size_t spare = report->tooManyParts ? 0 : maxTriangles - parts;

    const Vec3 extent = BoundsOf(*scene).Extent();
    const double size = std::max({extent.x, extent.y, extent.z});

    report->after = 0;
    double moved = 0;
    for (Part& part : scene->parts) {
        const size_t own = part.Triangles();
        // Parts of one triangle each leave nothing to share (and 0 / 0).
        const size_t target =
            total > parts ? 1 + (size_t)((double)spare * (double)(own - 1) / (double)(total - parts)) : 1;
        if (own <= target) {
            report->after += own;
            continue;
        }
        std::vector<WeldVertex> vertices;
        std::vector<unsigned> indices;
        Weld(part, &vertices, &indices);
        std::vector<unsigned> kept(indices.size());
        float error = 0;
        size_t count = meshopt_simplify(kept.data(), indices.data(), indices.size(), vertices[0].p,
                                        vertices.size(), sizeof(WeldVertex), target * 3, 1.0f, 0, &error);
        if (count > target * 3) {
            // Collapses that keep the topology ran out; only clustering
            // gets further, at the cost of the outline. Clustering a small
            // part into nothing would lose it: a larger target is tried
            // then, the fewest it keeps being closer to the budget than
            // what the collapses left; failing that, the part stays so.
            std::vector<unsigned> coarse(count);
            float sloppyError = 0;
            size_t coarseCount = 0;
            for (size_t tried = target; coarseCount == 0 && tried * 3 < count; tried *= 2)
                coarseCount = meshopt_simplifySloppy(coarse.data(), kept.data(), count, vertices[0].p,
                                                     vertices.size(), sizeof(WeldVertex), tried * 3, 1.0f,
                                                     &sloppyError);
            if (coarseCount > 0 && coarseCount < count) {
                kept.assign(coarse.begin(), coarse.begin() + coarseCount);
                count = coarseCount;
                error = std::max(error, sloppyError);
                report->outlineKept = false;
            } else {
                report->partsAtTheirFewest = true;
            }
        }
        kept.resize(count);
        report->turnedBack += TurnBackOver(vertices, indices, &kept);
        report->error = std::max(report->error, (double)error);
        std::vector<Corner> corners(count);
        for (size_t i = 0; i < count; ++i) {
            const WeldVertex& w = vertices[kept[i]];
            corners[i].position = {w.p[0], w.p[1], w.p[2]};
            corners[i].normal = {0, 0, 0};
            corners[i].u = w.uv[0];
            corners[i].v = w.uv[1];
        }
        std::vector<Vec3> old(part.corners.size()), now(corners.size());
        for (size_t i = 0; i < old.size(); ++i)
            old[i] = part.corners[i].position;
        for (size_t i = 0; i < now.size(); ++i)
            now[i] = corners[i].position;
        // Measured to a ten-thousandth of the object's size.
        const OutlineShift shift = CompareOutlines(old, now, size * 1e-4);
        moved = std::max(moved, shift.moved);
        report->holesOpened = report->holesOpened || shift.opened;
        report->outlineClosed = report->outlineClosed || shift.closed;
        part.corners.swap(corners);
        part.hasNormals = false;
        report->after += part.Triangles();
    }
    report->outlineMoved = size > 0 ? moved / size : 0;
}
