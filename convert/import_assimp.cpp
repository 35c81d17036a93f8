// The reader: every format the model-import library reads in this build
// (all of them natively; the common formats in the Windows build).
#include "convert/import.h"

#include "convert/utf8_path.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

struct Transform {
    aiMatrix4x4 point;
    aiMatrix3x3 normal;    // inverse transpose of the point transform's 3 x 3
    bool mirrors;          // a negative determinant turns the winding over
};

Vec3 ToVec(const aiVector3D& v)
{
    return {(double)v.x, (double)v.y, (double)v.z};
}

void ReadMaterial(const aiScene* ai, unsigned index, Part* part)
{
    if (index >= ai->mNumMaterials || !ai->mMaterials[index])
        return;
    const aiMaterial* material = ai->mMaterials[index];
    aiColor4D colour;
    if (material->Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS ||
        material->Get(AI_MATKEY_BASE_COLOR, colour) == AI_SUCCESS) {
        const float c[4] = {colour.r, colour.g, colour.b, colour.a};
        for (int i = 0; i < 4; ++i)
            part->diffuse[i] = std::isfinite(c[i]) ? std::fmin(std::fmax(c[i], 0.0f), 1.0f) : 1.0f;
    }
    aiString name;
    if (material->GetTexture(aiTextureType_DIFFUSE, 0, &name) == AI_SUCCESS)
        part->texture = name.C_Str();
    if (part->name.empty()) {
        aiString materialName;
        if (material->Get(AI_MATKEY_NAME, materialName) == AI_SUCCESS)
            part->name = materialName.C_Str();
    }
}

void AddInstance(const aiMesh* mesh, const Transform& t, Part* part, ImportResult* result)
{
    const bool normals = mesh->HasNormals();
    const bool uv = mesh->HasTextureCoords(0);
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices != 3) {
            ++result->skippedPrimitives;
            continue;
        }
        bool inside = true;
        for (unsigned k = 0; k < 3; ++k)
            inside = inside && face.mIndices[k] < mesh->mNumVertices;
        if (!inside) {
            ++result->skippedPrimitives;
            continue;
        }
        Corner corners[3];
        for (unsigned k = 0; k < 3; ++k) {
            const unsigned i = face.mIndices[k];
            Corner& c = corners[k];
            c.position = ToVec(t.point * mesh->mVertices[i]);
            c.normal = normals ? ToVec(t.normal * mesh->mNormals[i]) : Vec3{0, 0, 0};
            c.u = uv ? mesh->mTextureCoords[0][i].x : 0.0;
            c.v = uv ? mesh->mTextureCoords[0][i].y : 0.0;
        }
        if (t.mirrors)
            std::swap(corners[1], corners[2]);
        part->corners.insert(part->corners.end(), corners, corners + 3);
    }
}

void Walk(const aiScene* ai, const aiNode* node, const aiMatrix4x4& parent, std::vector<Part>& parts,
          ImportResult* result, int depth)
{
    // Node trees are shallow; a deeper one is a damaged or hostile file.
    if (!node || depth > 1000)
        return;
    const aiMatrix4x4 point = parent * node->mTransformation;
    Transform t;
    t.point = point;
    aiMatrix3x3 linear(point);
    t.mirrors = linear.Determinant() < 0;
    t.normal = linear.Inverse().Transpose();
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const unsigned index = node->mMeshes[m];
        if (index < parts.size() && ai->mMeshes[index])
            AddInstance(ai->mMeshes[index], t, &parts[index], result);
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        Walk(ai, node->mChildren[c], point, parts, result, depth + 1);
}

// LightWave's first object format (before version 6), which the library
// this build uses no longer reads.
bool IsOldLightWave(const std::string& path)
{
    FILE* file = OpenUtf8(path, "rb");
    if (!file)
        return false;
    char head[12] = {};
    const size_t got = fread(head, 1, sizeof(head), file);
    fclose(file);
    return got == sizeof(head) && memcmp(head, "FORM", 4) == 0 && memcmp(head + 8, "LWOB", 4) == 0;
}

// A PLY file whose header never ends (cut short, or damaged before its
// end_header line) sends the library's PLY reader round the same last line
// for ever. Such a file is refused before it is read.
bool IsPlyWithoutHeaderEnd(const std::string& path)
{
    FILE* file = OpenUtf8(path, "rb");
    if (!file)
        return false;
    char magic[4] = {};
    auto lineEnd = [](int c) { return c == '\n' || c == '\r' || c == '\0'; };
    const bool ply = fread(magic, 1, sizeof(magic), file) == sizeof(magic) && memcmp(magic, "ply", 3) == 0 &&
                     (lineEnd(magic[3]) || magic[3] == ' ' || magic[3] == '\t');
    static const char kEnd[] = "end_header";
    const size_t kEndLength = sizeof(kEnd) - 1;
    bool lineStart = lineEnd(magic[3]), ended = false;
    size_t matched = 0;
    char buffer[4096];
    for (size_t got; ply && !ended && (got = fread(buffer, 1, sizeof(buffer), file)) > 0;) {
        for (size_t i = 0; i < got && !ended; ++i) {
            const char c = buffer[i];
            if (matched == kEndLength && (lineEnd(c) || c == ' ' || c == '\t')) {
                ended = true;
            } else if (matched < kEndLength && (matched > 0 || lineStart) && c == kEnd[matched]) {
                ++matched;
                lineStart = false;
            } else {
                matched = 0;
                lineStart = lineEnd(c);
            }
        }
    }
    fclose(file);
    return ply && !ended && matched != kEndLength;
}

// Whether the library reads the file as PLY: by its extension, or by its
// first bytes when no reader claims the extension.
bool ReadAsPly(const std::string& path, const std::string& formats)
{
    std::string extension = PathUtf8(Utf8Path(path).extension());
    for (char& c : extension)
        c = (char)tolower((unsigned char)c);
    return extension == ".ply" || (";" + formats + ";").find(";*" + extension + ";") == std::string::npos;
}

// What the C++ library says when a size read from the file is more than
// memory can hold: on a 32-bit system often a length error rather than
// bad_alloc.
bool IsAllocationFailure(const std::string& error)
{
    return error.find("bad_alloc") != std::string::npos || error.find("bad_array_new_length") != std::string::npos ||
           error.rfind("vector::", 0) == 0 || error.rfind("basic_string::", 0) == 0 ||
           error.find("max_size()") != std::string::npos;
}

}  // namespace

std::string ImportFormats()
{
    Assimp::Importer importer;
    std::string list;
    importer.GetExtensionList(list);
    return list;
}

ImportResult ImportModel(const std::string& path, Scene* scene)
{
    ImportResult result;
    Assimp::Importer importer;
    // Points and lines have no surface to show.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    const std::string formats = ImportFormats();
    if (ReadAsPly(path, formats) && IsPlyWithoutHeaderEnd(path)) {
        result.error = "a PLY file whose header has no end (no end_header line): it is cut short or damaged";
        return result;
    }
    // The library's own file access takes UTF-8 paths: on Windows it opens
    // them with wide-character calls, the model's material files too.
    // It looks for the files a model names (a glTF's buffers, an OBJ's
    // materials) in the model's folder, but given a bare file name it has
    // no folder and first opens the name as the file gives it: a name like
    // \\host\share\x.bin would make Windows connect to that host and offer
    // it the user's credentials. Given the whole path, every name the file
    // gives is looked for below the model's own folder.
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(Utf8Path(path), ec);
    const std::string readPath = ec ? path : PathUtf8(whole);
    const aiScene* ai = importer.ReadFile(readPath, aiProcess_Triangulate | aiProcess_SortByPType |
                                                        aiProcess_FlipUVs | aiProcess_ValidateDataStructure);
    if (!ai) {
        if (IsOldLightWave(path) && formats.find("*.lwo") != std::string::npos) {
            result.error = "an LWOB file (LightWave before version 6), which this build cannot read; "
                           "save it again as LWO2";
            return result;
        }
        result.error = importer.GetErrorString();
        // Some of its messages name the file: as the user gave it.
        for (size_t at = 0; readPath != path && (at = result.error.find(readPath, at)) != std::string::npos;
             at += path.size())
            result.error.replace(at, readPath.size(), path);
        if (result.error.rfind("No suitable reader", 0) == 0) {
            result.error = "not a kind of model file this build reads";
#ifdef _WIN32
            result.error += " (it reads " + formats + "; the Linux build reads many more)";
#endif
        }
        if (IsAllocationFailure(result.error))
            result.error = "reading it needs more memory than a conversion may take; the file is damaged or too large";
        if (result.error.empty())
            result.error = "the file could not be read";
        return result;
    }
    return ImportScene(*ai, scene);
}

ImportResult ImportScene(const aiScene& read, Scene* scene)
{
    ImportResult result;
    const aiScene* ai = &read;
    if (!ai->mRootNode || (ai->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
        result.error = "the file holds no meshes";
        return result;
    }
    // A mesh list without its array is a list of nothing.
    const unsigned meshes = ai->mMeshes ? ai->mNumMeshes : 0;
    std::vector<Part> parts(meshes);
    for (unsigned m = 0; m < meshes; ++m) {
        const aiMesh* mesh = ai->mMeshes[m];
        if (!mesh)
            continue;
        parts[m].name = mesh->mName.C_Str();
        parts[m].hasNormals = mesh->HasNormals();
        parts[m].hasUV = mesh->HasTextureCoords(0);
        ReadMaterial(ai, mesh->mMaterialIndex, &parts[m]);
        if (parts[m].name.empty())
            parts[m].name = "mesh " + std::to_string(m + 1);
    }
    Walk(ai, ai->mRootNode, aiMatrix4x4(), parts, &result, 0);
    for (Part& part : parts)
        if (!part.corners.empty())
            scene->parts.push_back(std::move(part));
    result.ok = true;
    return result;
}
