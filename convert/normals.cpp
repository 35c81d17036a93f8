#include "convert/normals.h"

#include "convert/positions.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const double kCreaseCos = 0.5;  // cos 60 degrees
// Points shared by more triangles than this are smoothed in crease groups
// rather than triangle by triangle, which would cost the square of their
// number.
const size_t kPairwiseLimit = 64;
// Groups a point may have; normals around one point rarely spread so far
// that more than a few are needed.
const size_t kMaxGroups = 32;

Vec3 Unit(Vec3 v, Vec3 fallback)
{
    const double length = Length(v);
    return length > 0 && std::isfinite(length) ? v * (1.0 / length) : fallback;
}

Vec3 FaceNormal(const Corner* c)
{
    return FrontNormal(c[0].position, c[1].position, c[2].position);
}

// Groups of triangles around one point whose normals agree to within the
// crease angle, for points shared by many triangles: each triangle joins the
// group whose first normal is nearest, so that the work grows with the
// number of triangles times the few groups there are, never with its
// square. The sums are area-weighted normals.
struct CreaseGroups {
    std::vector<Vec3> first, sum;
    std::vector<size_t> of;   // the group of each triangle around the point
    std::vector<size_t> order;

    void Build(const std::vector<size_t>& around, size_t from, size_t to, const std::vector<Vec3>& units,
               const std::vector<Vec3>& faces)
    {
        first.clear();
        sum.clear();
        of.assign(to - from, 0);
        // The largest triangles found the groups: a sliver's normal points
        // anywhere and would split the surface around it at random.
        order.resize(to - from);
        for (size_t j = from; j < to; ++j)
            order[j - from] = j;
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return Dot(faces[around[a]], faces[around[a]]) > Dot(faces[around[b]], faces[around[b]]); });
        for (size_t j : order) {
            const size_t t = around[j];
            size_t best = first.size();
            double bestDot = kCreaseCos;
            for (size_t g = 0; g < first.size(); ++g) {
                const double d = Dot(first[g], units[t]);
                if (d >= bestDot) {
                    bestDot = d;
                    best = g;
                }
            }
            if (best == first.size()) {
                if (first.size() < kMaxGroups) {
                    first.push_back(units[t]);
                    sum.push_back({0, 0, 0});
                } else {
                    // Normals in every direction: the nearest group takes it.
                    bestDot = -2;
                    for (size_t g = 0; g < first.size(); ++g)
                        if (Dot(first[g], units[t]) > bestDot) {
                            bestDot = Dot(first[g], units[t]);
                            best = g;
                        }
                }
            }
            sum[best] = sum[best] + faces[t];
            of[j - from] = best;
        }
    }
};

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
    // The corners at each point, as one flat list with offsets.
    std::vector<size_t> start(distinct + 1, 0);
    for (unsigned id : ids)
        ++start[id + 1];
    for (unsigned i = 0; i < distinct; ++i)
        start[i + 1] += start[i];
    std::vector<size_t> around(ids.size()), corner(ids.size()), fill(start.begin(), start.end() - 1);
    for (size_t i = 0; i < ids.size(); ++i) {
        corner[fill[ids[i]]] = i;
        around[fill[ids[i]]++] = i / 3;
    }
    CreaseGroups groups;
    for (unsigned p = 0; p < distinct; ++p) {
        const size_t from = start[p], to = start[p + 1];
        if (to - from > kPairwiseLimit) {
            groups.Build(around, from, to, units, faces);
            for (size_t j = from; j < to; ++j)
                part.corners[corner[j]].normal = Unit(groups.sum[groups.of[j - from]], units[around[j]]);
            continue;
        }
        // Few triangles: each corner sums the triangles that meet its own
        // at less than the crease angle, so a cone's tip shades round.
        for (size_t j = from; j < to; ++j) {
            const size_t own = around[j];
            Vec3 sum{0, 0, 0};
            for (size_t k = from; k < to; ++k)
                if (Dot(units[around[k]], units[own]) >= kCreaseCos)
                    sum = sum + faces[around[k]];
            part.corners[corner[j]].normal = Unit(sum, units[own]);
        }
    }
}

// A file that gives every corner of a triangle the triangle's own normal
// (STL always does) says nothing about how the surface curves.
bool FacetNormalsOnly(const Part& part)
{
    for (size_t t = 0; t + 2 < part.corners.size(); t += 3) {
        const Corner* c = &part.corners[t];
        for (int k = 1; k < 3; ++k) {
            const Vec3 d = c[k].normal - c[0].normal;
            if (Dot(d, d) > 1e-12 * std::max(Dot(c[0].normal, c[0].normal), 1e-300))
                return false;
        }
    }
    return true;
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
        } else if (part.hasNormals && !FacetNormalsOnly(part)) {
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
