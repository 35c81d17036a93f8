#include "convert/layout.h"

#include "convert/textures.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

const uint32_t kShadeFlat = 1;
const uint32_t kShadeGouraud = 2;
// The saver replaces the first object's texture by its Bitmap setting;
// this is the bitmap that setting names by default.
const char kFirstTexture[] = "sample.bmp";

double Area(const Part& part)
{
    double area = 0;
    for (size_t t = 0; t + 2 < part.corners.size(); t += 3)
        area += Length(FrontNormal(part.corners[t].position, part.corners[t + 1].position,
                                   part.corners[t + 2].position));
    return area / 2;
}

ModelMaterial Material(const Part& part)
{
    ModelMaterial m;
    const float* d = part.diffuse;
    m.diffuse = {d[0], d[1], d[2], 1.0f};
    // The saver's ambient light is mid grey: lit by it, the sides that face
    // away from the light keep the object's colour, darker.
    m.ambient = m.diffuse;
    m.specular = {0.25f, 0.25f, 0.25f, 1.0f};
    m.emissive = {0.0f, 0.0f, 0.0f, 1.0f};
    m.power = 20.0f;
    return m;
}

ModelVertex Vertex(const Corner& c, bool fileUV, const BoundingBox& b)
{
    ModelVertex v;
    v.x = (float)c.position.x;
    v.y = (float)c.position.y;
    v.z = (float)c.position.z;
    v.nx = (float)c.normal.x;
    v.ny = (float)c.normal.y;
    v.nz = (float)c.normal.z;
    if (fileUV) {
        v.tu = (float)c.u;
        v.tv = (float)c.v;
    } else {
        // The projection the saver gives its first object, one repeat.
        const double w = std::max(b.hi.x - b.lo.x, 1e-30), d = std::max(b.hi.z - b.lo.z, 1e-30);
        v.tu = (float)((c.position.x - b.lo.x) / w);
        v.tv = (float)(-(c.position.z - b.lo.z) / d);
    }
    return v;
}

// Triangle order for splitting: by the centre's coordinate along the
// part's longer horizontal axis.
std::vector<size_t> SlabOrder(const Part& part)
{
    const size_t n = part.Triangles();
    const BoundingBox b = BoundsOf(part);
    const bool alongX = b.hi.x - b.lo.x >= b.hi.z - b.lo.z;
    std::vector<double> key(n);
    for (size_t t = 0; t < n; ++t) {
        const Corner* c = &part.corners[3 * t];
        key[t] = alongX ? c[0].position.x + c[1].position.x + c[2].position.x
                        : c[0].position.z + c[1].position.z + c[2].position.z;
    }
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t c) { return key[a] < key[c]; });
    return order;
}

}  // namespace

void MergeIntoOnePart(Scene* scene)
{
    // The saver gives the first object its own bitmap and texture
    // coordinates: the file's are of no use to it, and need not hold the
    // simplification back at their seams.
    if (scene->parts.size() == 1)
        scene->parts[0].hasUV = false;
    if (scene->parts.size() < 2)
        return;
    size_t largest = 0, corners = 0;
    double largestArea = -1;
    for (size_t i = 0; i < scene->parts.size(); ++i) {
        const double area = Area(scene->parts[i]);
        if (area > largestArea) {
            largestArea = area;
            largest = i;
        }
        corners += scene->parts[i].corners.size();
    }
    Part one;
    one.name = scene->parts[largest].name;
    std::copy(scene->parts[largest].diffuse, scene->parts[largest].diffuse + 4, one.diffuse);
    one.hasNormals = true;
    one.hasUV = false;
    one.corners.reserve(corners);
    for (Part& part : scene->parts) {
        one.hasNormals = one.hasNormals && part.hasNormals;
        one.corners.insert(one.corners.end(), part.corners.begin(), part.corners.end());
        std::vector<Corner>().swap(part.corners);
    }
    scene->parts.assign(1, std::move(one));
}

std::vector<PlannedObject> LayOutObjects(Scene* scene, bool flat, const std::string& outputDir,
                                         LayoutReport* report)
{
    std::vector<double> areas;
    for (const Part& part : scene->parts)
        areas.push_back(Area(part));
    std::vector<size_t> order(scene->parts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return areas[a] > areas[b]; });

    const BoundingBox all = BoundsOf(*scene);

    std::vector<PlannedObject> objects;
    for (size_t rank = 0; rank < order.size(); ++rank) {
        const Part& part = scene->parts[order[rank]];
        std::string texture;
        if (rank == 0) {
            texture = kFirstTexture;
        } else if (!part.texture.empty()) {
            std::string why;
            texture = UsableTextureName(part.texture, outputDir, &why);
            const std::string note = part.texture + ": " + why;
            auto& left = report->texturesLeftOut;
            if (texture.empty() && std::find(left.begin(), left.end(), note) == left.end())
                left.push_back(note);
        }
        const bool fileUV = rank > 0 && !texture.empty() && part.hasUV;
        const size_t triangles = part.Triangles();
        const int pieces = (int)((triangles + kMaxObjectTriangles - 1) / kMaxObjectTriangles);
        std::vector<size_t> sequence;
        if (pieces > 1) {
            sequence = SlabOrder(part);
            ++report->partsSplit;
        } else {
            sequence.resize(triangles);
            std::iota(sequence.begin(), sequence.end(), 0);
        }
        for (int piece = 0; piece < pieces; ++piece) {
            PlannedObject object;
            object.name = part.name;
            object.piece = piece + 1;
            object.pieces = pieces;
            object.material = Material(part);
            // The saver names its bitmap for the first object alone; the
            // other pieces of the first part are left untextured rather
            // than name a bitmap that may not be there.
            object.textureName = rank == 0 && piece > 0 ? std::string() : texture;
            object.shadeMode = flat ? kShadeFlat : kShadeGouraud;
            const size_t from = (size_t)piece * kMaxObjectTriangles;
            const size_t to = std::min(triangles, from + kMaxObjectTriangles);
            object.vertices.reserve((to - from) * 3);
            for (size_t i = from; i < to; ++i)
                for (int k = 0; k < 3; ++k)
                    object.vertices.push_back(Vertex(part.corners[3 * sequence[i] + k], fileUV, all));
            objects.push_back(std::move(object));
        }
    }
    return objects;
}
