#include "convert/mesh.h"

#include <cmath>

double Length(Vec3 a)
{
    return std::sqrt(Dot(a, a));
}

bool IsFinite(Vec3 a)
{
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}
