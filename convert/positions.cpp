#include "convert/positions.h"

#include <algorithm>
#include <cstring>

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

template <typename PositionOf>
std::vector<unsigned> Ids(size_t count, PositionOf position, unsigned* distinct)
{
    std::unordered_map<PositionKey, unsigned, PositionHash> seen;
    seen.reserve(count);
    std::vector<unsigned> ids(count);
    for (size_t i = 0; i < count; ++i) {
        const Vec3& p = position(i);
        // +0 and -0 are one point.
        const PositionKey key{p.x + 0.0, p.y + 0.0, p.z + 0.0};
        ids[i] = seen.emplace(key, (unsigned)seen.size()).first->second;
    }
    *distinct = (unsigned)seen.size();
    return ids;
}

}  // namespace

std::vector<unsigned> PositionIds(const std::vector<Vec3>& points, unsigned* distinct)
{
    return Ids(points.size(), [&](size_t i) -> const Vec3& { return points[i]; }, distinct);
}

std::vector<unsigned> PositionIds(const Part& part, unsigned* distinct)
{
    return Ids(part.corners.size(), [&](size_t i) -> const Vec3& { return part.corners[i].position; }, distinct);
}

std::unordered_map<uint64_t, unsigned> EdgeUses(const std::vector<unsigned>& ids)
{
    std::unordered_map<uint64_t, unsigned> uses;
    for (size_t t = 0; t + 2 < ids.size(); t += 3)
        for (int k = 0; k < 3; ++k) {
            const uint64_t a = ids[t + k], b = ids[t + (k + 1) % 3];
            if (a != b)
                ++uses[std::min(a, b) << 32 | std::max(a, b)];
        }
    return uses;
}
