#include "tools/convert/place.h"

#include <algorithm>
#include <cfloat>
#include <utility>

namespace {

// The file's axes to the saver's: the chosen up axis becomes y by a
// rotation (never a mirror), then z is turned round into the left-handed
// system.
Vec3 ToSaverAxes(Vec3 p, UpAxis up)
{
    if (up == UpAxis::Z)
        p = {p.x, p.z, -p.y};
    return {p.x, p.y, -p.z};
}

double Round(double v)
{
    return (double)(float)v;
}

}  // namespace

bool PlaceScene(Scene* scene, const Placement& placement, PlaceReport* report)
{
    Vec3 lo{DBL_MAX, DBL_MAX, DBL_MAX}, hi{-DBL_MAX, -DBL_MAX, -DBL_MAX};
    Vec3 fileLo = lo, fileHi = hi;
    for (Part& part : scene->parts) {
        for (size_t i = 0; i < part.corners.size(); ++i) {
            Corner& c = part.corners[i];
            fileLo = {std::min(fileLo.x, c.position.x), std::min(fileLo.y, c.position.y), std::min(fileLo.z, c.position.z)};
            fileHi = {std::max(fileHi.x, c.position.x), std::max(fileHi.y, c.position.y), std::max(fileHi.z, c.position.z)};
            c.position = ToSaverAxes(c.position, placement.up);
            c.normal = ToSaverAxes(c.normal, placement.up);
            const Vec3& p = c.position;
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        for (size_t t = 0; t + 2 < part.corners.size(); t += 3)
            std::swap(part.corners[t + 1], part.corners[t + 2]);
    }
    if (lo.x > hi.x)
        return false;
    report->fileExtent = fileHi - fileLo;
    const Vec3 extent = hi - lo;
    const double largest = std::max({extent.x, extent.y, extent.z});
    // Differences of finite values may still overflow.
    if (!(largest > 0) || !IsFinite(extent))
        return false;
    const double scale = placement.size / largest;
    const Vec3 anchor{(lo.x + hi.x) / 2, hi.y, (lo.z + hi.z) / 2};
    for (Part& part : scene->parts)
        for (Corner& c : part.corners) {
            const Vec3 p = (c.position - anchor) * scale;
            c.position = {Round(p.x), Round(p.y), Round(p.z)};
        }
    report->scale = scale;
    report->extent = extent * scale;
    return true;
}
