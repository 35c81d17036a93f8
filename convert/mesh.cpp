#include "convert/mesh.h"

#include <algorithm>
#include <cmath>

double Length(Vec3 a)
{
    return std::sqrt(Dot(a, a));
}

bool IsFinite(Vec3 a)
{
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

void BoundingBox::Add(const Vec3& p)
{
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
}

BoundingBox BoundsOf(const Part& part)
{
    BoundingBox b;
    for (const Corner& c : part.corners)
        b.Add(c.position);
    return b;
}

BoundingBox BoundsOf(const Scene& scene)
{
    BoundingBox b;
    for (const Part& part : scene.parts)
        for (const Corner& c : part.corners)
            b.Add(c.position);
    return b;
}
