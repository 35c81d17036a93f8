#include "convert/clean.h"

#include <algorithm>
#include <cmath>

namespace {

template <typename Keep>
void FilterTriangles(Part& part, Keep keep)
{
    size_t out = 0;
    for (size_t t = 0; t + 2 < part.corners.size(); t += 3) {
        if (!keep(&part.corners[t]))
            continue;
        for (int k = 0; k < 3; ++k)
            part.corners[out + k] = part.corners[t + k];
        out += 3;
    }
    part.corners.resize(out);
}

}  // namespace

void DropNonFinite(Scene* scene, CleanCounts* counts)
{
    for (Part& part : scene->parts) {
        FilterTriangles(part, [&](Corner* c) {
            for (int k = 0; k < 3; ++k) {
                if (!IsFinite(c[k].position)) {
                    ++counts->nonFinite;
                    return false;
                }
            }
            for (int k = 0; k < 3; ++k) {
                if (part.hasNormals && !IsFinite(c[k].normal)) {
                    c[k].normal = {0, 0, 0};
                    ++counts->badNormals;
                }
                if (part.hasUV && !(std::isfinite(c[k].u) && std::isfinite(c[k].v))) {
                    c[k].u = c[k].v = 0;
                    ++counts->badUV;
                }
            }
            return true;
        });
    }
}

void DropDegenerate(Scene* scene, CleanCounts* counts)
{
    for (Part& part : scene->parts) {
        FilterTriangles(part, [&](Corner* c) {
            const Vec3 n = FrontNormal(c[0].position, c[1].position, c[2].position);
            // Relative to the longest edge, so that the test means the same
            // at any size: sin of the smallest angle below about 1e-6.
            const double e = std::max({Dot(c[1].position - c[0].position, c[1].position - c[0].position),
                                       Dot(c[2].position - c[1].position, c[2].position - c[1].position),
                                       Dot(c[0].position - c[2].position, c[0].position - c[2].position)});
            const double area2 = Length(n);
            if (!(e > 0) || !(area2 > 1e-6 * e) || !std::isfinite(area2)) {
                ++counts->degenerate;
                return false;
            }
            return true;
        });
    }
}

void DropEmptyParts(Scene* scene)
{
    auto& parts = scene->parts;
    parts.erase(std::remove_if(parts.begin(), parts.end(), [](const Part& p) { return p.corners.empty(); }),
                parts.end());
}
