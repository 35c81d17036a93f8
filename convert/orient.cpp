#include "convert/orient.h"

#include "convert/positions.h"

#include <algorithm>

namespace {

void TurnOver(Corner* triangle)
{
    std::swap(triangle[1], triangle[2]);
}

// Share of the edges used by exactly two triangles: 1 for a closed surface.
double ClosedShare(const std::vector<unsigned>& ids)
{
    const std::unordered_map<uint64_t, unsigned> uses = EdgeUses(ids);
    size_t paired = 0;
    for (const auto& e : uses)
        paired += e.second == 2;
    return uses.empty() ? 0.0 : (double)paired / (double)uses.size();
}

void OrientByNormals(Part& part, OrientCounts* counts)
{
    size_t informed = 0;
    for (size_t t = 0; t + 2 < part.corners.size(); t += 3) {
        Corner* c = &part.corners[t];
        const Vec3 stated = c[0].normal + c[1].normal + c[2].normal;
        if (!(Length(stated) > 1e-6))
            continue;
        ++informed;
        if (Dot(FrontNormal(c[0].position, c[1].position, c[2].position), stated) < 0) {
            TurnOver(c);
            ++counts->trianglesTurned;
        }
    }
    // Normals that say nothing (all zero) are no normals.
    if (informed == 0)
        part.hasNormals = false;
}

// The triangles' areas as vectors add up to nothing on a closed surface and
// to the area of the opening on an open one: a terrain or a logo sheet has
// almost every edge shared by two triangles, yet its summed area is about
// its whole area. Such a surface has no inside to tell the front by.
bool HasLargeOpening(const Part& part)
{
    Vec3 sum = {0, 0, 0};
    double total = 0;
    for (size_t t = 0; t + 2 < part.corners.size(); t += 3) {
        const Vec3 n = FrontNormal(part.corners[t].position, part.corners[t + 1].position,
                                   part.corners[t + 2].position);
        sum = sum + n;
        total += Length(n);
    }
    return Length(sum) > 0.1 * total;
}

void OrientByVolume(Part& part, OrientCounts* counts)
{
    unsigned distinct = 0;
    const std::vector<unsigned> ids = PositionIds(part, &distinct);
    if (ClosedShare(ids) < 0.9 || HasLargeOpening(part))
        return;
    const BoundingBox b = BoundsOf(part);
    const Vec3 centre = (b.lo + b.hi) * 0.5;
    double volume = 0;
    for (size_t t = 0; t + 2 < part.corners.size(); t += 3) {
        const Vec3 a = part.corners[t].position - centre;
        const Vec3 b = part.corners[t + 1].position - centre;
        const Vec3 c = part.corners[t + 2].position - centre;
        volume += Dot(a, Cross(b, c));
    }
    if (volume < 0) {
        for (size_t t = 0; t + 2 < part.corners.size(); t += 3)
            TurnOver(&part.corners[t]);
        ++counts->partsTurned;
    }
}

}  // namespace

void OrientScene(Scene* scene, OrientCounts* counts)
{
    for (Part& part : scene->parts) {
        if (part.corners.empty())
            continue;
        if (part.hasNormals)
            OrientByNormals(part, counts);
        if (!part.hasNormals)
            OrientByVolume(part, counts);
    }
}
