// The Windows build's reader: Wavefront OBJ with its MTL materials, through
// the header-only tinyobjloader.
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

#include "tools/convert/import.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

namespace {

bool EndsWithObj(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end)
        c = (char)tolower((unsigned char)c);
    return end == ".obj";
}

Vec3 Triple(const std::vector<tinyobj::real_t>& values, int index)
{
    const size_t at = (size_t)index * 3;
    return {values[at], values[at + 1], values[at + 2]};
}

}  // namespace

std::string ImportFormats()
{
    return "*.obj (Wavefront OBJ with its MTL colours); the Linux build reads every common format";
}

ImportResult ImportModel(const std::string& path, Scene* scene)
{
    ImportResult result;
    if (!EndsWithObj(path)) {
        result.error = "this build reads Wavefront OBJ (.obj) only; the Linux build of morvella-convert "
                       "reads the other formats";
        return result;
    }
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    config.vertex_color = false;
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(path, config)) {
        result.error = reader.Error().empty() ? "the file could not be read" : reader.Error();
        while (!result.error.empty() && isspace((unsigned char)result.error.back()))
            result.error.pop_back();
        return result;
    }
    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    const std::vector<tinyobj::material_t>& materials = reader.GetMaterials();
    const size_t positions = attrib.vertices.size() / 3;
    const size_t normals = attrib.normals.size() / 3;
    const size_t uvs = attrib.texcoords.size() / 2;

    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        // One part per material used by the shape, in order of first use.
        std::map<int, size_t> partOf;
        const auto& indices = shape.mesh.indices;
        const auto& faceSizes = shape.mesh.num_face_vertices;
        size_t at = 0;
        for (size_t f = 0; f < faceSizes.size(); ++f) {
            const size_t n = faceSizes[f];
            if (at + n > indices.size())
                break;
            const tinyobj::index_t* corner = &indices[at];
            at += n;
            if (n != 3) {
                ++result.skippedPrimitives;
                continue;
            }
            bool inside = true;
            for (int k = 0; k < 3; ++k)
                inside = inside && corner[k].vertex_index >= 0 && (size_t)corner[k].vertex_index < positions;
            if (!inside) {
                ++result.skippedPrimitives;
                continue;
            }
            const int material = f < shape.mesh.material_ids.size() ? shape.mesh.material_ids[f] : -1;
            auto found = partOf.find(material);
            if (found == partOf.end()) {
                Part part;
                part.name = shape.name.empty() ? "mesh " + std::to_string(scene->parts.size() + 1) : shape.name;
                if (material >= 0 && (size_t)material < materials.size()) {
                    const tinyobj::material_t& m = materials[material];
                    for (int i = 0; i < 3; ++i)
                        part.diffuse[i] = std::isfinite(m.diffuse[i]) ? std::min(std::max((float)m.diffuse[i], 0.0f), 1.0f) : 1.0f;
                    part.texture = m.diffuse_texname;
                    if (partOf.size() > 0 || shape.name.empty())
                        part.name += " " + m.name;
                }
                part.hasNormals = true;
                part.hasUV = true;
                found = partOf.emplace(material, scene->parts.size()).first;
                scene->parts.push_back(part);
            }
            Part& part = scene->parts[found->second];
            for (int k = 0; k < 3; ++k) {
                Corner c;
                c.position = Triple(attrib.vertices, corner[k].vertex_index);
                const int ni = corner[k].normal_index;
                const bool hasNormal = ni >= 0 && (size_t)ni < normals;
                c.normal = hasNormal ? Triple(attrib.normals, ni) : Vec3{0, 0, 0};
                part.hasNormals = part.hasNormals && hasNormal;
                const int ti = corner[k].texcoord_index;
                const bool hasUV = ti >= 0 && (size_t)ti < uvs;
                // OBJ counts v from the bottom of the picture, the device
                // from the top.
                c.u = hasUV ? attrib.texcoords[2 * (size_t)ti] : 0.0;
                c.v = hasUV ? 1.0 - attrib.texcoords[2 * (size_t)ti + 1] : 0.0;
                part.hasUV = part.hasUV && hasUV;
                part.corners.push_back(c);
            }
        }
    }
    scene->parts.erase(std::remove_if(scene->parts.begin(), scene->parts.end(),
                                      [](const Part& p) { return p.corners.empty(); }),
                       scene->parts.end());
    if (scene->parts.empty() && result.skippedPrimitives == 0 && positions == 0) {
        result.error = "the file holds no geometry";
        return result;
    }
    result.ok = true;
    return result;
}
