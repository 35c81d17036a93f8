#include "convert/orient.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

struct PositionKey {
    double x, y, z;
    bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct PositionHash {
    size_t operator()(const PositionKey& k) const
    {
        uint64_t bits[3];
        memcpy(&bits[0], &k.x, 8);
        memcpy(&bits[1], &k.y, 8);
        memcpy(&bits[2], &k.z, 8);
        uint64_t h = 1469598103934665603ull;
        for (uint64_t b : bits)
            h = (h ^ b) * 1099511628211ull;
        return (size_t)(h ^ (h >> 29));
    }
};

void TurnOver(Corner* triangle)
{
    std::swap(triangle[1], triangle[2]);
}

// Share of the edges used by exactly two triangles: 1 for a closed surface.
double ClosedShare(const Part& part, const std::vector<unsigned>& ids)
{
    std::unordered_map<uint64_t, unsigned> uses;
    uses.reserve(part.corners.size());
    for (size_t t = 0; t + 2 < ids.size(); t += 3) {
        for (int k = 0; k < 3; ++k) {
            uint64_t a = ids[t + k], b = ids[t + (k + 1) % 3];
            if (a > b)
                std::swap(a, b);
            ++uses[(a << 32) | b];
        }
    }
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
    if (ClosedShare(part, ids) < 0.9 || HasLargeOpening(part))
        return;
    Vec3 lo = part.corners[0].position, hi = lo;
    for (const Corner& c : part.corners) {
        lo = {std::min(lo.x, c.position.x), std::min(lo.y, c.position.y), std::min(lo.z, c.position.z)};
        hi = {std::max(hi.x, c.position.x), std::max(hi.y, c.position.y), std::max(hi.z, c.position.z)};
    }
    const Vec3 centre = (lo + hi) * 0.5;
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

std::vector<unsigned> PositionIds(const Part& part, unsigned* distinct)
{
    std::unordered_map<PositionKey, unsigned, PositionHash> seen;
    seen.reserve(part.corners.size());
    std::vector<unsigned> ids(part.corners.size());
    for (size_t i = 0; i < part.corners.size(); ++i) {
        const Vec3& p = part.corners[i].position;
        // +0 and -0 are one point.
        const PositionKey key{p.x + 0.0, p.y + 0.0, p.z + 0.0};
        ids[i] = seen.emplace(key, (unsigned)seen.size()).first->second;
    }
    *distinct = (unsigned)seen.size();
    return ids;
}

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
