// Real model files nobody here wrote (Debian's assimp-testmodels), one of
// each common format, converted and read back with the saver's loader:
// what the saver relies on holds for every one of them.
#include "convert_fixture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <algorithm>
#include <sys/stat.h>

using namespace convert_test;

namespace {

struct Sample {
    const char* file;
    std::vector<std::string> options;
    size_t minimumObjects;
    bool split;            // large enough to need several draw calls
    size_t maxTriangles;   // 0: every triangle kept
};

void PrintTo(const Sample& s, std::ostream* os) { *os << s.file; }

// By default every model is one object of one draw; kept apart with
// --parts, the meshes and materials become objects of their own.
const Sample kSamples[] = {
    {"OBJ/spider.obj", {}, 1, false, 0},
    {"OBJ/spider.obj", {"--parts"}, 19, false, 0},               // several materials
    {"LWO/LWO2/hierarchy.lwo", {"--parts"}, 4, false, 0},        // layers with pivots
    {"3DS/fels.3ds", {}, 1, false, 0},   // the reader turns the file's z-up to y-up itself
    {"PLY/Wuson.ply", {}, 1, false, 0},
    {"STL/Spider_binary.stl", {"--up", "z"}, 1, false, 0},
    {"glTF2/BoxTextured-glTF/BoxTextured.gltf", {}, 1, false, 0},
    {"Collada/duck.dae", {}, 1, false, 0},
    {"glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", {}, 1, false, 21845},
    {"glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", {"--parts"}, 30, true, 0},
    {"glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", {"--parts", "--max-triangles", "20000"}, 30, false,
     20000},
};

double Area(const ModelObjectRef& ref)
{
    double area = 0;
    for (int32_t t = 0; t + 2 < ref.vertexCount; t += 3) {
        const ModelVertex* v = ref.vertices + t;
        const double ux = v[1].x - v[0].x, uy = v[1].y - v[0].y, uz = v[1].z - v[0].z;
        const double wx = v[2].x - v[0].x, wy = v[2].y - v[0].y, wz = v[2].z - v[0].z;
        area += std::sqrt(std::pow(uy * wz - uz * wy, 2) + std::pow(uz * wx - ux * wz, 2) +
                          std::pow(ux * wy - uy * wx, 2)) / 2;
    }
    return area;
}

class TestModels : public ::testing::TestWithParam<Sample> {};

TEST_P(TestModels, ConvertToWhatTheSaverReliesOn)
{
    const Sample& s = GetParam();
    struct stat st;
    ASSERT_EQ(0, stat(TestModel(s.file).c_str(), &st))
        << TestModel(s.file) << " is missing: scripts/install-deps.sh installs assimp-testmodels";
    const std::string out = ScratchDir("testmodels") + "/morvella.dat";
    Loaded loaded;
    ConvertReport report;
    ASSERT_TRUE(ConvertAndLoad(TestModel(s.file), out, &loaded, s.options, &report));
    const ModelData& model = loaded.model;
    ASSERT_EQ((int32_t)report.objects.size(), model.objectCount);
    EXPECT_GE((size_t)model.objectCount, s.minimumObjects);
    EXPECT_EQ(s.split, report.layout.partsSplit > 0);

    // Placed below the saver's square: largest extent 24, centred in x and
    // z, top at y = 0.
    const Box box = Bounds(model);
    const double largest = std::max({box.hi[0] - box.lo[0], box.hi[1] - box.lo[1], box.hi[2] - box.lo[2]});
    EXPECT_NEAR(24.0, largest, 1e-3);
    EXPECT_NEAR(0.0, box.hi[1], 1e-4);
    EXPECT_NEAR(0.0, box.lo[0] + box.hi[0], 1e-3);
    EXPECT_NEAR(0.0, box.lo[2] + box.hi[2], 1e-3);

    size_t triangles = 0, badNormals = 0, backwards = 0;
    std::vector<double> areaOfPart;   // pieces of one part follow each other
    for (int32_t i = 0; i < model.objectCount; ++i) {
        const ModelObjectRef& ref = model.objects[i];
        SCOPED_TRACE(i);
        // One triangle list per object, each within one draw call.
        EXPECT_EQ(3, ref.vertsPerPolygon);
        EXPECT_LE(ref.vertexCount, 65535);
        EXPECT_GT(ref.polygonCount, 0);
        triangles += (size_t)ref.polygonCount;
        if (report.objects[i].piece == 1)
            areaOfPart.push_back(0);
        areaOfPart.back() += Area(ref);
        for (int32_t t = 0; t + 2 < ref.vertexCount; t += 3) {
            const ModelVertex* v = ref.vertices + t;
            double sum[3] = {0, 0, 0};
            for (int k = 0; k < 3; ++k) {
                const double length = std::sqrt(v[k].nx * v[k].nx + v[k].ny * v[k].ny + v[k].nz * v[k].nz);
                badNormals += std::fabs(length - 1.0) > 1e-3;
                sum[0] += v[k].nx;
                sum[1] += v[k].ny;
                sum[2] += v[k].nz;
            }
            // The front as the device sees it agrees with the normals.
            const double ux = v[1].x - v[0].x, uy = v[1].y - v[0].y, uz = v[1].z - v[0].z;
            const double wx = v[2].x - v[0].x, wy = v[2].y - v[0].y, wz = v[2].z - v[0].z;
            const double front[3] = {uy * wz - uz * wy, uz * wx - ux * wz, ux * wy - uy * wx};
            backwards += front[0] * sum[0] + front[1] * sum[1] + front[2] * sum[2] <= 0;
        }
    }
    EXPECT_EQ(report.triangles, triangles);
    if (s.maxTriangles) {
        EXPECT_LE(triangles, s.maxTriangles);
    }
    EXPECT_EQ(0u, badNormals);
    EXPECT_EQ(0u, backwards);
    // Kept apart, the first object comes from the part with the largest
    // surface.
    EXPECT_EQ(areaOfPart.front(), *std::max_element(areaOfPart.begin(), areaOfPart.end()));
}

std::string SampleName(const ::testing::TestParamInfo<Sample>& info)
{
    std::string name = info.param.file;
    name = name.substr(name.find_last_of('/') + 1);
    for (const std::string& o : info.param.options)
        name += "_" + o;
    for (char& c : name)
        if (!isalnum((unsigned char)c))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Formats, TestModels, ::testing::ValuesIn(kSamples), SampleName);

}  // namespace
