// The meshes the converter's tests write, the same for the Linux tool and
// for morvella-convert.exe under Wine: a closed sphere and a grid, handed
// out triangle by triangle (nine numbers, three corners), so that the
// largest need not be held whole; and the OBJ text of a list of them.
#ifndef MORVELLA_TESTS_CONVERT_TEST_MESHES_H
#define MORVELLA_TESTS_CONVERT_TEST_MESHES_H

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace test_meshes {

// A closed unit sphere of `rings` bands of `segments` quads, the bands at
// the poles triangles: 2 x segments x (rings - 1) triangles, every point
// where its neighbours put it (the poles and the seam exactly).
template <class Triangle>
void Sphere(int rings, int segments, Triangle triangle)
{
    const double pi = 3.14159265358979323846;
    auto point = [&](int r, int s, float* out) {
        const double theta = pi * r / rings, phi = 2 * pi * (s % segments) / segments;
        const double ring = (r == 0 || r == rings) ? 0.0 : std::sin(theta);
        out[0] = (float)(ring * std::cos(phi));
        out[1] = r == 0 ? 1.0f : r == rings ? -1.0f : (float)std::cos(theta);
        out[2] = (float)(-ring * std::sin(phi));
    };
    auto add = [&](int r0, int s0, int r1, int s1, int r2, int s2) {
        float p[9];
        point(r0, s0, p);
        point(r1, s1, p + 3);
        point(r2, s2, p + 6);
        triangle(p);
    };
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            if (r > 0)
                add(r, s, r + 1, s, r, s + 1);
            if (r < rings - 1)
                add(r, s + 1, r + 1, s, r + 1, s + 1);
        }
}

// A grid of across x down unit squares from (0, 0) towards +x and -z, each
// corner (i, j) at the height height(i, j): two triangles a square,
// counter-clockwise seen from above.
template <class Height, class Triangle>
void Grid(int across, int down, Height height, Triangle triangle)
{
    auto point = [&](int i, int j, float* out) {
        out[0] = (float)i;
        out[1] = (float)height(i, j);
        out[2] = (float)-j;
    };
    for (int j = 0; j < down; ++j)
        for (int i = 0; i < across; ++i) {
            float p[9];
            point(i, j, p);
            point(i + 1, j, p + 3);
            point(i, j + 1, p + 6);
            triangle(p);
            point(i + 1, j, p);
            point(i + 1, j + 1, p + 3);
            point(i, j + 1, p + 6);
            triangle(p);
        }
}

inline double Flat(int, int) { return 0; }

// The meshes above as one list of corners.
inline std::vector<float> SphereCorners(int rings, int segments)
{
    std::vector<float> corners;
    Sphere(rings, segments, [&](const float* p) { corners.insert(corners.end(), p, p + 9); });
    return corners;
}

template <class Height>
std::vector<float> GridCorners(int across, int down, Height height)
{
    std::vector<float> corners;
    Grid(across, down, height, [&](const float* p) { corners.insert(corners.end(), p, p + 9); });
    return corners;
}

// The triangles as OBJ text, a "v" line for every corner; `corner` follows
// every index of a face ("//1" names the first normal).
inline std::string Obj(const std::vector<float>& corners, const std::string& corner = "")
{
    std::string obj;
    char line[100];
    for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", corners[i], corners[i + 1], corners[i + 2]);
        obj += line;
    }
    for (size_t v = 1; v + 2 <= corners.size() / 3; v += 3) {
        const std::string a = std::to_string(v) + corner, b = std::to_string(v + 1) + corner,
                          c = std::to_string(v + 2) + corner;
        obj += "f " + a + " " + b + " " + c + "\n";
    }
    return obj;
}

}  // namespace test_meshes

#endif
