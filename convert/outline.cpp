#include "convert/outline.h"

#include "convert/positions.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

struct Segment {
    Vec3 a, b;
};

// The edges used by exactly one triangle.
std::vector<Segment> OpenEdges(const std::vector<Vec3>& corners)
{
    unsigned distinct = 0;
    const std::vector<unsigned> id = PositionIds(corners, &distinct);
    // Each point as it first appears (ids count up in that order).
    std::vector<Vec3> points;
    points.reserve(distinct);
    for (size_t i = 0; i < corners.size(); ++i)
        if (id[i] == points.size())
            points.push_back(corners[i]);
    std::vector<Segment> open;
    for (const auto& e : EdgeUses(id))
        if (e.second == 1)
            open.push_back({points[EdgeStart(e.first)], points[EdgeEnd(e.first)]});
    return open;
}

// Nearest-point search over points sampled densely along segments: a k-d
// tree kept in one array, each range split at its median along its longest
// side (outlines often lie in a plane, where a split across the plane
// would divide nothing).
struct SampleTree {
    std::vector<Vec3> points;
    std::vector<unsigned char> axes;   // the split axis of the range whose median is here

    static double Axis(const Vec3& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

    void Build(size_t from, size_t to)
    {
        if (to - from < 2)
            return;
        BoundingBox b;
        for (size_t i = from; i < to; ++i)
            b.Add(points[i]);
        const Vec3 e = b.Extent();
        const int axis = e.x >= e.y && e.x >= e.z ? 0 : e.y >= e.z ? 1 : 2;
        const size_t mid = (from + to) / 2;
        std::nth_element(points.begin() + from, points.begin() + mid, points.begin() + to,
                         [axis](const Vec3& a, const Vec3& b) { return Axis(a, axis) < Axis(b, axis); });
        axes[mid] = (unsigned char)axis;
        Build(from, mid);
        Build(mid + 1, to);
    }

    void Build()
    {
        axes.assign(points.size(), 0);
        Build(0, points.size());
    }

    void Nearest(const Vec3& q, size_t from, size_t to, double* best) const
    {
        if (from >= to)
            return;
        const size_t mid = (from + to) / 2;
        const Vec3 d = points[mid] - q;
        *best = std::min(*best, Dot(d, d));
        const double side = Axis(q, axes[mid]) - Axis(points[mid], axes[mid]);
        if (side < 0) {
            Nearest(q, from, mid, best);
            if (side * side < *best)
                Nearest(q, mid + 1, to, best);
        } else {
            Nearest(q, mid + 1, to, best);
            if (side * side < *best)
                Nearest(q, from, mid, best);
        }
    }
};

// The farthest any end of an edge of `from` lies from the edges of `to`,
// within the sampling step.
double Farthest(const std::vector<Segment>& from, const std::vector<Segment>& to, double step)
{
    SampleTree tree;
    for (const Segment& s : to) {
        const double length = Length(s.b - s.a);
        const size_t n = (size_t)std::ceil(length / step);
        for (size_t i = 0; i <= n; ++i)
            tree.points.push_back(s.a + (s.b - s.a) * (n ? (double)i / (double)n : 0.0));
    }
    tree.Build();
    double farthest = 0;
    for (const Segment& s : from)
        for (const Vec3& q : {s.a, s.b}) {
            double best = DBL_MAX;
            tree.Nearest(q, 0, tree.points.size(), &best);
            farthest = std::max(farthest, std::sqrt(best));
        }
    return farthest;
}

double TotalLength(const std::vector<Segment>& segments)
{
    double sum = 0;
    for (const Segment& s : segments)
        sum += Length(s.b - s.a);
    return sum;
}

}  // namespace

OutlineShift CompareOutlines(const std::vector<Vec3>& before, const std::vector<Vec3>& after, double step)
{
    OutlineShift shift;
    const std::vector<Segment> old = OpenEdges(before), now = OpenEdges(after);
    shift.opened = old.empty() && !now.empty();
    shift.closed = !old.empty() && now.empty();
    if (old.empty() || now.empty())
        return shift;
    // A few million samples at most, however long the outlines.
    step = std::max(step, std::max(TotalLength(old), TotalLength(now)) / 4e6);
    if (!(step > 0) || !std::isfinite(step))
        return shift;
    shift.moved = std::max(Farthest(old, now, step), Farthest(now, old, step));
    // Within the sampling, nothing moved.
    if (shift.moved <= step)
        shift.moved = 0;
    return shift;
}
