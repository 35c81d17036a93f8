// The converter's working data: a model read from any file, as parts of
// plain triangles in double precision, before it becomes morvella.dat.
#ifndef MORVELLA_CONVERT_MESH_H
#define MORVELLA_CONVERT_MESH_H

#include <cfloat>
#include <string>
#include <vector>

struct Vec3 {
    double x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(Vec3 a);
bool IsFinite(Vec3 a);

// The smallest box around points: empty (lo above hi) until one is added.
struct BoundingBox {
    Vec3 lo{DBL_MAX, DBL_MAX, DBL_MAX}, hi{-DBL_MAX, -DBL_MAX, -DBL_MAX};

    void Add(const Vec3& p);
    bool Empty() const { return lo.x > hi.x; }
    Vec3 Extent() const { return hi - lo; }
};

// One corner of a triangle. The normal and the texture coordinates mean
// something only when the part says it has them.
struct Corner {
    Vec3 position;
    Vec3 normal;
    double u, v;
};

// One mesh with one material: every triangle is three consecutive corners.
struct Part {
    std::string name;
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    std::string texture;       // the texture file the model names, may be empty
    bool hasNormals = false;
    bool hasUV = false;
    std::vector<Corner> corners;

    size_t Triangles() const { return corners.size() / 3; }
};

struct Scene {
    std::vector<Part> parts;
};

BoundingBox BoundsOf(const Part& part);
BoundingBox BoundsOf(const Scene& scene);

// The front of triangle a, b, c as the saver's device sees it: the side from
// which the corners run clockwise on the screen. In the saver's coordinates
// (x right, y up, z away from the viewer) that is the side this vector
// points to.
inline Vec3 FrontNormal(Vec3 a, Vec3 b, Vec3 c) { return Cross(b - a, c - a); }

#endif
