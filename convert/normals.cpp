#include "convert/normals.h"

#include "convert/orient.h"

#include <cmath>

namespace {

const double kCreaseCos = 0.5;  // cos 60 degrees
// Points shared by more triangles than this are smoothed without the crease
// test, which costs the square of their number.
const size_t kCreaseTestLimit = 64;

Vec3 Unit(Vec3 v, Vec3 fallback)
{
    const double length = Length(v);
    return length > 0 && std::isfinite(length) ? v * (1.0 / length) : fallback;
}

Vec3 FaceNormal(const Corner* c)
{
    return FrontNormal(c[0].position, c[1].position, c[2].position);
}

void SmoothNormals(Part& part)
{
    unsigned distinct = 0;
    const std::vector<unsigned> ids = PositionIds(part, &distinct);
    const size_t triangles = part.Triangles();
    std::vector<Vec3> faces(triangles), units(triangles);
    for (size_t t = 0; t < triangles; ++t) {
        faces[t] = FaceNormal(&part.corners[3 * t]);
        units[t] = Unit(faces[t], {0, 1, 0});
    }
    // Triangles around each point, as one flat list with offsets.
    std::vector<size_t> start(distinct + 1, 0);
    for (unsigned id : ids)
        ++start[id + 1];
    for (unsigned i = 0; i < distinct; ++i)
        start[i + 1] += start[i];
    std::vector<size_t> around(ids.size()), fill(start.begin(), start.end() - 1);
    for (size_t i = 0; i < ids.size(); ++i)
        around[fill[ids[i]]++] = i / 3;
    for (size_t i = 0; i < ids.size(); ++i) {
        const size_t own = i / 3;
        const size_t from = start[ids[i]], to = start[ids[i] + 1];
        const bool creases = to - from <= kCreaseTestLimit;
        Vec3 sum{0, 0, 0};
        for (size_t j = from; j < to; ++j) {
            const size_t other = around[j];
            if (!creases || Dot(units[other], units[own]) >= kCreaseCos)
                sum = sum + faces[other];
        }
        part.corners[i].normal = Unit(sum, units[own]);
    }
}

}  // namespace

size_t MakeNormals(Scene* scene, bool flat)
{
    size_t generated = 0;
    for (Part& part : scene->parts) {
        if (flat) {
            for (size_t t = 0; t + 2 < part.corners.size(); t += 3) {
                const Vec3 n = Unit(FaceNormal(&part.corners[t]), {0, 1, 0});
                for (int k = 0; k < 3; ++k)
                    part.corners[t + k].normal = n;
            }
        } else if (part.hasNormals) {
            for (size_t t = 0; t + 2 < part.corners.size(); t += 3) {
                const Vec3 face = Unit(FaceNormal(&part.corners[t]), {0, 1, 0});
                for (int k = 0; k < 3; ++k)
                    part.corners[t + k].normal = Unit(part.corners[t + k].normal, face);
            }
        } else {
            SmoothNormals(part);
            part.hasNormals = true;
            ++generated;
        }
    }
    return generated;
}
