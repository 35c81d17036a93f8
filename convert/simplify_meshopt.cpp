// Simplification by edge collapse with meshoptimizer: the collapses that
// move the surface least go first, and the borders of open surfaces (a
// flat logo's outline) and seams of texture coordinates stay in place.
#include "convert/simplify.h"

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

}  // namespace

void SimplifyScene(Scene* scene, size_t maxTriangles, SimplifyReport* report)
{
    size_t total = 0;
    for (const Part& part : scene->parts)
        total += part.Triangles();
    report->before = total;
    report->after = total;
    if (total <= maxTriangles)
        return;
    report->after = 0;
    for (Part& part : scene->parts) {
        const size_t own = part.Triangles();
        const size_t target = std::max<size_t>(1, (size_t)((double)maxTriangles * own / total));
        std::vector<WeldVertex> vertices;
        std::vector<unsigned> indices;
        Weld(part, &vertices, &indices);
        std::vector<unsigned> kept(indices.size());
        float error = 0;
        size_t count = meshopt_simplify(kept.data(), indices.data(), indices.size(), vertices[0].p,
                                        vertices.size(), sizeof(WeldVertex), target * 3, 1.0f, 0, &error);
        if (count > target * 3) {
            // Collapses that keep the topology ran out; only clustering
            // gets further, at the cost of the outline.
            std::vector<unsigned> coarse(count);
            float sloppyError = 0;
            count = meshopt_simplifySloppy(coarse.data(), kept.data(), count, vertices[0].p, vertices.size(),
                                           sizeof(WeldVertex), target * 3, 1.0f, &sloppyError);
            kept.assign(coarse.begin(), coarse.begin() + count);
            error = std::max(error, sloppyError);
            report->outlineKept = false;
        }
        kept.resize(count);
        report->error = std::max(report->error, (double)error);
        std::vector<Corner> corners(count);
        for (size_t i = 0; i < count; ++i) {
            const WeldVertex& w = vertices[kept[i]];
            corners[i].position = {w.p[0], w.p[1], w.p[2]};
            corners[i].normal = {0, 0, 0};
            corners[i].u = w.uv[0];
            corners[i].v = w.uv[1];
        }
        part.corners.swap(corners);
        part.hasNormals = false;
        report->after += part.Triangles();
    }
}
