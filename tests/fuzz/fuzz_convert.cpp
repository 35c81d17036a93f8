// The converter's own stages on arbitrary meshes: the bytes become a scene
// as the import library hands one over (meshes of vertices and faces,
// materials, a node tree of transforms) and a command line; the scene then
// goes through the import's walk and every stage after it — clean, place,
// orient, simplify, normals, lay out, write, check — and the summary.
//
// What the bytes can say: coordinates as raw floats (NaN, infinities,
// huge, tiny) or on a small grid (repeated points, degenerate and repeated
// triangles); faces of 1 to 4 corners with indices in or out of range;
// material and node mesh indices out of range; transforms that mirror,
// flatten or overflow; empty meshes, many parts, and grids large enough to
// need simplifying and splitting.
#include "convert/convert.h"
#include "convert/import.h"
#include "convert/options.h"
#include "convert/summary.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

// The output goes into a folder of this process's own, beside two bitmaps:
// one the saver takes (2 x 2 pixels, 24 bits) and one cut short.
const std::string& OutputPath()
{
    static std::string path;
    if (path.empty()) {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        const std::string dir = std::string(base) + "/morvella_fuzz_convert_" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        std::vector<uint8_t> bmp(54 + 16, 0);
        const uint32_t fields[] = {(uint32_t)bmp.size(), 0, 54, 40, 2, 2};
        bmp[0] = 'B';
        bmp[1] = 'M';
        memcpy(&bmp[2], fields, sizeof fields);
        bmp[26] = 1;    // planes
        bmp[28] = 24;   // bits a pixel
        WriteFile(dir + "/t.bmp", bmp);
        bmp.resize(40);
        WriteFile(dir + "/u.bmp", bmp);
        path = dir + "/morvella.dat";
    }
    return path;
}

float Coordinate(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: {   // any bits: NaN, infinities and denormals too
        const uint32_t bits = in.ConsumeIntegral<uint32_t>();
        float f;
        memcpy(&f, &bits, sizeof f);
        return f;
    }
    case 1: return (float)in.ConsumeIntegralInRange(-4, 4);
    case 2: return (float)in.ConsumeIntegralInRange(-4, 4) * 1e30f;
    default: return (float)in.ConsumeIntegralInRange(-4, 4) * 1e-30f;
    }
}

aiVector3D Point(FuzzedDataProvider& in)
{
    const float x = Coordinate(in), y = Coordinate(in), z = Coordinate(in);
    return aiVector3D(x, y, z);
}

unsigned Index(FuzzedDataProvider& in, unsigned vertices)
{
    // Mostly inside the mesh, sometimes just past it or anywhere.
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: return vertices + in.ConsumeIntegralInRange<unsigned>(0, 2);
    case 1: return in.ConsumeIntegral<unsigned>();
    default: return vertices ? in.ConsumeIntegralInRange<unsigned>(0, vertices - 1) : 0;
    }
}

void SetFace(aiFace* face, std::vector<unsigned> indices)
{
    face->mNumIndices = (unsigned)indices.size();
    face->mIndices = new unsigned[indices.size()];
    std::copy(indices.begin(), indices.end(), face->mIndices);
}

// A mesh of a few vertices and faces given one by one.
aiMesh* SmallMesh(FuzzedDataProvider& in)
{
    aiMesh* mesh = new aiMesh();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    const unsigned vertices = in.ConsumeIntegralInRange<unsigned>(0, 48);
    mesh->mNumVertices = vertices;
    mesh->mVertices = new aiVector3D[vertices];
    const bool normals = in.ConsumeBool(), uv = in.ConsumeBool();
    if (normals)
        mesh->mNormals = new aiVector3D[vertices];
    if (uv) {
        mesh->mTextureCoords[0] = new aiVector3D[vertices];
        mesh->mNumUVComponents[0] = 2;
    }
    for (unsigned v = 0; v < vertices; ++v) {
        mesh->mVertices[v] = Point(in);
        if (normals)
            mesh->mNormals[v] = Point(in);
        if (uv)
            mesh->mTextureCoords[0][v] = aiVector3D(Coordinate(in), Coordinate(in), 0);
    }
    const unsigned faces = in.ConsumeIntegralInRange<unsigned>(0, 96);
    mesh->mNumFaces = faces;
    mesh->mFaces = new aiFace[faces];
    for (unsigned f = 0; f < faces; ++f) {
        const unsigned corners = in.ConsumeIntegralInRange(0, 15) == 0 ? in.ConsumeIntegralInRange(1, 4) : 3;
        std::vector<unsigned> indices(corners);
        for (unsigned& i : indices)
            i = Index(in, vertices);
        SetFace(&mesh->mFaces[f], indices);
    }
    return mesh;
}

// A grid of up to 150 x 150 squares (45,000 triangles) with heights from
// the bytes: enough to be simplified to one draw, or split with --parts.
aiMesh* GridMesh(FuzzedDataProvider& in)
{
    const unsigned across = in.ConsumeIntegralInRange(1, 150), down = in.ConsumeIntegralInRange(1, 150);
    const bool closedRows = in.ConsumeBool();   // the rows wrap round, a tube
    // Small heights: huge ones zigzag the rim, and comparing an outline
    // hundreds of times longer than the object takes the simplifier's
    // check its most samples (seconds a run); the fans and the small
    // meshes bring the extreme values.
    std::vector<float> heights(in.ConsumeIntegralInRange(1, 16));
    for (float& h : heights)
        h = (float)in.ConsumeIntegralInRange(-4, 4);
    aiMesh* mesh = new aiMesh();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    const unsigned row = across + 1;
    mesh->mNumVertices = row * (down + 1);
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    for (unsigned j = 0; j <= down; ++j)
        for (unsigned i = 0; i <= across; ++i)
            mesh->mVertices[j * row + i] =
                aiVector3D((float)i, heights[(i * 7 + j * 3) % heights.size()], -(float)j);
    mesh->mNumFaces = 2 * across * down;
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    unsigned f = 0;
    for (unsigned j = 0; j < down; ++j)
        for (unsigned i = 0; i < across; ++i) {
            const unsigned a = j * row + i, c = a + row;
            const unsigned b = closedRows && i + 1 == across ? j * row : a + 1, d = b + row;
            SetFace(&mesh->mFaces[f++], {a, b, c});
            SetFace(&mesh->mFaces[f++], {b, d, c});
        }
    return mesh;
}

// Up to 3,000 triangles round one point, their rims at heights from the
// bytes: a point far more triangles share than most, whose normals may
// point every way.
aiMesh* FanMesh(FuzzedDataProvider& in)
{
    const unsigned around = in.ConsumeIntegralInRange(3, 3000);
    std::vector<float> heights(in.ConsumeIntegralInRange(1, 64));
    for (float& h : heights)
        h = Coordinate(in);
    aiMesh* mesh = new aiMesh();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = around + 1;
    mesh->mVertices = new aiVector3D[around + 1];
    mesh->mVertices[0] = aiVector3D(0, Coordinate(in), 0);
    for (unsigned i = 0; i < around; ++i) {
        const float angle = 6.2831853f * (float)i / (float)around;
        mesh->mVertices[i + 1] = aiVector3D(std::cos(angle), heights[i % heights.size()], std::sin(angle));
    }
    mesh->mNumFaces = around;
    mesh->mFaces = new aiFace[around];
    for (unsigned i = 0; i < around; ++i)
        SetFace(&mesh->mFaces[i], {0, i + 1, (i + 1) % around + 1});
    return mesh;
}

aiMesh* Mesh(FuzzedDataProvider& in, unsigned* large)
{
    // Two large meshes at most: a run stays well under a second.
    const unsigned kind = *large < 2 ? in.ConsumeIntegralInRange(0, 15) : 2;
    if (kind == 0) {
        ++*large;
        return GridMesh(in);
    }
    if (kind == 1) {
        ++*large;
        return FanMesh(in);
    }
    return SmallMesh(in);
}

// Texture names the model may give: bitmaps beside the output that the
// saver can take (t.bmp) or not (u.bmp), none, or anything.
std::string TextureName(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0: return "textures/t.png";
    case 1: return "t.bmp";
    case 2: return "C:\\models\\u.jpg";
    case 3: return "";
    default: return in.ConsumeRandomLengthString(64);
    }
}

// With the bytes used up (every value then its least) a material has a
// colour, a texture and a name.
aiMaterial* Material(FuzzedDataProvider& in)
{
    aiMaterial* material = new aiMaterial();
    if (!in.ConsumeBool()) {
        const aiColor4D colour(Coordinate(in), Coordinate(in), Coordinate(in), Coordinate(in));
        material->AddProperty(&colour, 1, AI_MATKEY_COLOR_DIFFUSE);
    }
    if (!in.ConsumeBool()) {
        const aiString texture(TextureName(in));
        material->AddProperty(&texture, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    if (!in.ConsumeBool()) {
        const aiString name(in.ConsumeRandomLengthString(64));
        material->AddProperty(&name, AI_MATKEY_NAME);
    }
    return material;
}

aiMatrix4x4 Transform(FuzzedDataProvider& in)
{
    aiMatrix4x4 m;
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: break;
    case 1:   // a scale, perhaps negative (a mirror), zero or huge, and a move
        m.a1 = Coordinate(in);
        m.b2 = Coordinate(in);
        m.c3 = Coordinate(in);
        m.a4 = Coordinate(in);
        m.b4 = Coordinate(in);
        m.c4 = Coordinate(in);
        break;
    default:  // any matrix
        for (unsigned r = 0; r < 4; ++r)
            for (unsigned c = 0; c < 4; ++c)
                m[r][c] = Coordinate(in);
    }
    return m;
}

// The root names every mesh once, as most files' trees come to; any node
// may name more (a mesh placed twice) and some that are not there.
aiNode* Node(FuzzedDataProvider& in, unsigned meshes, int depth)
{
    aiNode* node = new aiNode();
    node->mTransformation = Transform(in);
    std::vector<unsigned> named;
    if (depth == 0)
        for (unsigned m = 0; m < meshes; ++m)
            named.push_back(m);
    for (unsigned more = in.ConsumeIntegralInRange(0, 4); more > 0; --more)
        named.push_back(Index(in, meshes));
    node->mNumMeshes = (unsigned)named.size();
    node->mMeshes = new unsigned[named.size()];
    std::copy(named.begin(), named.end(), node->mMeshes);
    const unsigned children = depth < 6 ? in.ConsumeIntegralInRange(0, 3) : 0;
    if (children) {
        node->mNumChildren = children;
        node->mChildren = new aiNode*[children];
        for (unsigned c = 0; c < children; ++c) {
            node->mChildren[c] = Node(in, meshes, depth + 1);
            node->mChildren[c]->mParent = node;
        }
    }
    return node;
}

// The command line, as the user could have typed it.
bool Options(FuzzedDataProvider& in, ConvertOptions* options)
{
    std::vector<std::string> args = {"morvella-convert", "model.obj", OutputPath()};
    const unsigned flags = in.ConsumeIntegral<uint8_t>();
    if (flags & 1)
        args.push_back("--flat");
    if (flags & 2)
        args.push_back("--parts");
    if (flags & 4)
        args.insert(args.end(), {"--up", "z"});
    if (flags & 8)
        args.insert(args.end(), {"--size", in.ConsumeRandomLengthString(24)});
    // One run in eight: simplifying a scene of triangles strewn anywhere
    // compares outlines of millions of samples, and would take most of the
    // fuzzer's time. The large meshes are simplified to one draw anyway.
    if ((flags & 0x70) == 0x10)
        args.insert(args.end(), {"--max-triangles", std::to_string(in.ConsumeIntegralInRange(1, 30000))});
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    std::string error;
    return ParseOptions((int)argv.size(), argv.data(), options, &error) && !options->help;
}

volatile size_t sink;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    ConvertOptions options;
    if (!Options(in, &options))
        return 0;

    // The few bytes of the materials and the tree first: short inputs reach
    // them too.
    aiScene ai;
    const unsigned materials = 4 - in.ConsumeIntegralInRange(0, 4);
    ai.mNumMaterials = materials;
    ai.mMaterials = new aiMaterial*[materials];
    for (unsigned m = 0; m < materials; ++m)
        ai.mMaterials[m] = Material(in);
    const unsigned meshes = in.ConsumeIntegralInRange(0, 40);
    ai.mNumMeshes = meshes;
    ai.mMeshes = new aiMesh*[meshes];
    ai.mRootNode = Node(in, meshes, 0);
    unsigned large = 0;
    for (unsigned m = 0; m < meshes; ++m) {
        const unsigned material = Index(in, materials);
        ai.mMeshes[m] = Mesh(in, &large);
        ai.mMeshes[m]->mMaterialIndex = material;
    }

    Scene scene;
    const ImportResult imported = ImportScene(ai, &scene);
    if (!imported.ok)
        return 0;
    const ConvertReport report = ConvertScene(&scene, options);
    if (report.ok)
        sink = SummaryText(options, report).size();
    else
        sink = report.error.size();
    remove(OutputPath().c_str());
    return 0;
}
