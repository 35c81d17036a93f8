#include "convert/place.h"

#include <algorithm>
#include <utility>

namespace {

// The file's axes to the saver's: the chosen up axis becomes y by a
// rotation (never a mirror), then z is turned round into the left-handed
// system.
Vec3 SaverAxes(Vec3 p, UpAxis up)
{
    if (up == UpAxis::Z)
        p = {p.x, p.z, -p.y};
    return {p.x, p.y, -p.z};
}

// Through memory: GCC 12's vectorizer drops the narrowing of a pair of
// doubles when it makes one vector operation of them (x and y here), so
// that one point could come out rounded in one triangle and not in the
// next, opening cracks between triangles that share it.
double Round(double v)
{
    volatile float narrowed = (float)v;
    return (double)narrowed;
}

}  // namespace

void ToSaverAxes(Scene* scene, UpAxis up, PlaceReport* report)
{
    const BoundingBox file = BoundsOf(*scene);
    for (Part& part : scene->parts) {
        for (Corner& c : part.corners) {
            c.position = SaverAxes(c.position, up);
            c.normal = SaverAxes(c.normal, up);
        }
        for (size_t t = 0; t + 2 < part.corners.size(); t += 3)
            std::swap(part.corners[t + 1], part.corners[t + 2]);
    }
    report->fileExtent = file.Empty() ? Vec3{0, 0, 0} : file.Extent();
}

bool FitScene(Scene* scene, double size, PlaceReport* report)
{
    const BoundingBox b = BoundsOf(*scene);
    if (b.Empty())
        return false;
    const Vec3 extent = b.Extent();
    const double largest = std::max({extent.x, extent.y, extent.z});
    // Differences of finite values may still overflow.
    if (!(largest > 0) || !IsFinite(extent))
        return false;
    const double scale = size / largest;
    const Vec3 anchor{(b.lo.x + b.hi.x) / 2, b.hi.y, (b.lo.z + b.hi.z) / 2};
    for (Part& part : scene->parts)
        for (Corner& c : part.corners) {
            const Vec3 p = (c.position - anchor) * scale;
            c.position = {Round(p.x), Round(p.y), Round(p.z)};
        }
    report->scale = report->scale > 0 ? report->scale * scale : scale;
    report->extent = extent * scale;
    return true;
}
