// Small models written here for one property each: where the file's axes
// end up, which side of a triangle is the front, what is dropped, which
// texture names are written, and what is refused.
#include "convert_fixture.h"
#include "test_meshes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>

using namespace convert_test;

namespace {

struct Centre {
    double x, y, z;
};

Centre TriangleCentre(const ModelData& model, int object, int triangle)
{
    const ModelVertex* v = model.objects[object].vertices + 3 * triangle;
    return {(v[0].x + v[1].x + v[2].x) / 3, (v[0].y + v[1].y + v[2].y) / 3, (v[0].z + v[1].z + v[2].z) / 3};
}

// The y of the triangle's front as the device sees it.
double FrontY(const ModelData& model, int object, int triangle)
{
    const ModelVertex* v = model.objects[object].vertices + 3 * triangle;
    const double ux = v[1].x - v[0].x, uz = v[1].z - v[0].z;
    const double wx = v[2].x - v[0].x, wz = v[2].z - v[0].z;
    return uz * wx - ux * wz;
}

// Three small triangles marking the file's +x, +y and +z, each facing +z.
const char kAxes[] =
    "v 10 0 0\nv 11 0 0\nv 10 1 0\n"
    "v 0 10 0\nv 1 10 0\nv 0 11 0\n"
    "v 0 0 10\nv 1 0 10\nv 0 1 10\n"
    "f 1 2 3\nf 4 5 6\nf 7 8 9\n";

// The saver's top view shows +x to the right and +z up the screen (its
// device is left-handed, looking down -y). A model keeps its handedness:
// nothing comes out mirrored.
TEST(Handmade, AxesKeepTheirHandednessWithEitherUpAxis)
{
    const std::string dir = ScratchDir("axes");
    WriteText(dir + "/axes.obj", kAxes);
    {
        // y up: the file's front (+z, towards the viewer) faces the
        // saver's -z; x stays x.
        Loaded loaded;
        ASSERT_TRUE(ConvertAndLoad(dir + "/axes.obj", dir + "/y.dat", &loaded));
        const Centre x = TriangleCentre(loaded.model, 0, 0), y = TriangleCentre(loaded.model, 0, 1),
                     z = TriangleCentre(loaded.model, 0, 2);
        EXPECT_GT(x.x, y.x);
        EXPECT_GT(y.y, x.y);
        EXPECT_LT(z.z, x.z);
    }
    {
        // z up: a logo drawn in the file's x-y plane lies flat and reads
        // left to right (+x) and bottom to top (+z) from above.
        Loaded loaded;
        ASSERT_TRUE(ConvertAndLoad(dir + "/axes.obj", dir + "/z.dat", &loaded, {"--up", "z"}));
        const Centre x = TriangleCentre(loaded.model, 0, 0), y = TriangleCentre(loaded.model, 0, 1),
                     z = TriangleCentre(loaded.model, 0, 2);
        EXPECT_GT(x.x, y.x);
        EXPECT_GT(y.z, x.z);
        EXPECT_GT(z.y, x.y);
        // Facing the file's +z, which is up now: seen from above.
        EXPECT_GT(FrontY(loaded.model, 0, 0), 0);
    }
}

// One triangle facing up, placed twice by a node tree: once as it is, once
// through a parent's translation and a child's mirroring scale.
const char kNodes[] = R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><unit meter="1"/><up_axis>Y_UP</up_axis></asset>
  <library_geometries>
    <geometry id="tri"><mesh>
      <source id="tri-pos"><float_array id="tri-pos-a" count="9">0 0 0 1 0 0 0 0 -1</float_array>
        <technique_common><accessor source="#tri-pos-a" count="3" stride="3">
          <param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
        </accessor></technique_common></source>
      <vertices id="tri-v"><input semantic="POSITION" source="#tri-pos"/></vertices>
      <triangles count="1"><input semantic="VERTEX" source="#tri-v" offset="0"/><p>0 1 2</p></triangles>
    </mesh></geometry>
  </library_geometries>
  <library_visual_scenes><visual_scene id="scene">
    <node id="plain"><instance_geometry url="#tri"/></node>
    <node id="parent"><translate>10 0 0</translate>
      <node id="child"><translate>0 0 5</translate><scale>-1 1 1</scale><instance_geometry url="#tri"/></node>
    </node>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
)";

TEST(Handmade, NodeTransformsAreAppliedAndMirroredInstancesStillFaceOut)
{
    const std::string dir = ScratchDir("nodes");
    WriteText(dir + "/nodes.dae", kNodes);
    Loaded loaded;
    ASSERT_TRUE(ConvertAndLoad(dir + "/nodes.dae", dir + "/out.dat", &loaded));
    ASSERT_EQ(1, loaded.model.objectCount);
    ASSERT_EQ(2, loaded.model.objects[0].polygonCount);
    // File: x 0..1, z -1..0 and x 9..10, z 4..5. Largest extent 10 becomes
    // 24; centred; the saver's z is the file's -z.
    Centre a = TriangleCentre(loaded.model, 0, 0), b = TriangleCentre(loaded.model, 0, 1);
    if (a.x > b.x)
        std::swap(a, b);
    EXPECT_NEAR(-12 + 2.4 / 3, a.x, 1e-4);
    EXPECT_NEAR(4.8 + 2.4 / 3, a.z, 1e-4);
    EXPECT_NEAR(12 - 2.4 / 3, b.x, 1e-4);
    EXPECT_NEAR((-14.0 / 3 + 2) * 2.4, b.z, 1e-4);
    EXPECT_GT(FrontY(loaded.model, 0, 0), 0);
    EXPECT_GT(FrontY(loaded.model, 0, 1), 0);
}

std::string Cube(bool inward, bool normals)
{
    std::string obj = "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n";
    if (normals)
        obj += "vn -1 0 0\nvn 1 0 0\nvn 0 -1 0\nvn 0 1 0\nvn 0 0 -1\nvn 0 0 1\n";
    // Counter-clockwise seen from outside, with the normal of their side.
    const int faces[12][4] = {{1, 8, 4, 1}, {1, 5, 8, 1}, {2, 3, 7, 2}, {2, 7, 6, 2},
                              {1, 2, 6, 3}, {1, 6, 5, 3}, {4, 8, 7, 4}, {4, 7, 3, 4},
                              {1, 4, 3, 5}, {1, 3, 2, 5}, {5, 6, 7, 6}, {5, 7, 8, 6}};
    for (const auto& f : faces) {
        const int order[3] = {f[0], inward ? f[2] : f[1], inward ? f[1] : f[2]};
        obj += "f";
        for (int k : order)
            obj += " " + std::to_string(k) + (normals ? "//" + std::to_string(f[3]) : "");
        obj += "\n";
    }
    return obj;
}

// A closed object is never drawn inside out, whichever way the file winds
// it: its normals say which side is out, or, without normals, its volume.
TEST(Handmade, ClosedObjectsFaceOutWhateverTheFileWinding)
{
    const std::string dir = ScratchDir("cube");
    for (bool inward : {false, true}) {
        for (bool normals : {false, true}) {
            SCOPED_TRACE(testing::Message() << "inward " << inward << ", normals " << normals);
            WriteText(dir + "/cube.obj", Cube(inward, normals));
            Loaded loaded;
            ASSERT_TRUE(ConvertAndLoad(dir + "/cube.obj", dir + "/out.dat", &loaded));
            EXPECT_NEAR(6 * 24.0 * 24 * 24, SignedVolume(loaded.model, 0), 1e-2);
        }
    }
}

// An open surface keeps the file's front, even one whose edges are nearly
// all shared (a terrain): it has no inside. A field with one tall peak
// lies mostly below the middle of its box, which a volume test would take
// for a surface wound inside out.
TEST(Handmade, ATerrainKeepsTheFrontItsFileGivesIt)
{
    const std::string dir = ScratchDir("terrain");
    const int n = 60;
    std::string obj;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const double d2 = (i - 30.0) * (i - 30.0) + (j - 30.0) * (j - 30.0);
            obj += "v " + std::to_string(i) + " " + std::to_string(8 * std::exp(-d2 / 20)) + " " +
                   std::to_string(j) + "\n";
        }
    // Counter-clockwise seen from +y: the file's front faces up.
    for (int j = 0; j + 1 < n; ++j)
        for (int i = 0; i + 1 < n; ++i) {
            const int a = j * n + i + 1, b = a + 1, c = a + n, d = c + 1;
            obj += "f " + std::to_string(a) + " " + std::to_string(c) + " " + std::to_string(b) + "\n";
            obj += "f " + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d) + "\n";
        }
    WriteText(dir + "/terrain.obj", obj);
    Loaded loaded;
    ASSERT_TRUE(ConvertAndLoad(dir + "/terrain.obj", dir + "/out.dat", &loaded));
    // The area seen from above: the whole 24 x 24 field, facing up.
    double area = 0;
    for (int32_t t = 0; t < loaded.model.objects[0].polygonCount; ++t)
        area += FrontY(loaded.model, 0, t) / 2;
    EXPECT_NEAR(24.0 * 24.0, area, 1e-2);
}

// Made normals follow the surface: one per triangle with --flat (stored as
// flat shading), and smooth ones that still keep a box's edges sharp.
TEST(Handmade, MadeNormalsAreFlatWhereAskedAndKeepSharpEdges)
{
    const std::string dir = ScratchDir("normals");
    WriteText(dir + "/cube.obj", Cube(false, false));
    for (bool flat : {false, true}) {
        SCOPED_TRACE(flat ? "flat" : "smooth");
        const ConvertReport report =
            Convert(dir + "/cube.obj", dir + "/out.dat", flat ? std::vector<std::string>{"--flat"} : std::vector<std::string>{});
        ASSERT_TRUE(report.ok) << report.error;
        Loaded loaded;
        ASSERT_TRUE(Load(dir + "/out.dat", &loaded));
        const ModelObjectRef& ref = loaded.model.objects[0];
        EXPECT_EQ(flat ? 1u : 2u, ref.record->shadeMode);
        for (int32_t t = 0; t < ref.polygonCount; ++t) {
            const ModelVertex* v = ref.vertices + 3 * t;
            const double ux = v[1].x - v[0].x, uy = v[1].y - v[0].y, uz = v[1].z - v[0].z;
            const double wx = v[2].x - v[0].x, wy = v[2].y - v[0].y, wz = v[2].z - v[0].z;
            double n[3] = {uy * wz - uz * wy, uz * wx - ux * wz, ux * wy - uy * wx};
            const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (int k = 0; k < 3; ++k) {
                EXPECT_NEAR(n[0] / length, v[k].nx, 1e-6);
                EXPECT_NEAR(n[1] / length, v[k].ny, 1e-6);
                EXPECT_NEAR(n[2] / length, v[k].nz, 1e-6);
            }
        }
    }
}

// Bad data goes and is counted; what is left is a valid file. Data with
// nothing left, or no extent, is refused and nothing is written.
TEST(Handmade, NonFiniteAndDegenerateDataIsDroppedOrRefused)
{
    const std::string dir = ScratchDir("bad");
    const std::string good = "v 0 0 0\nv 1 0 0\nv 0 0 -1\n";
    WriteText(dir + "/mixed.obj", good + "v nan 0 0\nv 2 0 0\nv 2 0 -1\nv 5 0 0\nv 6 0 0\nv 7 0 0\n"
                                         "f 1 2 3\nf 4 5 6\nf 7 8 9\nf 1 1 2\n");
    const ConvertReport mixed = Convert(dir + "/mixed.obj", dir + "/mixed.dat");
    ASSERT_TRUE(mixed.ok) << mixed.error;
    EXPECT_EQ(1u, mixed.clean.nonFinite);
    EXPECT_EQ(2u, mixed.clean.degenerate);
    EXPECT_EQ(1u, mixed.triangles);
    Loaded loaded;
    EXPECT_TRUE(Load(dir + "/mixed.dat", &loaded));

    struct Case {
        const char* name;
        std::string file, text;
    } cases[] = {
        {"all not finite", "case.obj", "v inf 0 0\nv 1 0 0\nv 0 0 1\nf 1 2 3\n"},
        {"no size", "case.obj", "v 3 3 3\nv 3 3 3\nv 3 3 3\nf 1 2 3\n"},
        {"only degenerate", "case.obj", "v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n"},
        {"points only", "case.obj", "v 0 0 0\nv 1 0 0\np 1 2\n"},
        // The library's reader would go round its last line for ever.
        {"a PLY header cut short", "case.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(dir + "/" + c.file, c.text);
        const ConvertReport report = Convert(dir + "/" + c.file, dir + "/case.dat");
        EXPECT_FALSE(report.ok);
        EXPECT_FALSE(report.error.empty());
        EXPECT_FALSE(std::filesystem::exists(dir + "/case.dat"));
    }
}

// An n x n flat sheet of unit squares in the x-z plane, two triangles a
// square facing up; `normal` follows every face index ("//1" names a normal).
std::string SheetObj(int n, const std::string& normal)
{
    return test_meshes::Obj(test_meshes::GridCorners(n, n, test_meshes::Flat), normal);
}

// Simplifying a flat sheet keeps its outline: its corners and edges stay
// where they were, and so does its area.
TEST(Handmade, SimplificationKeepsTheOutline)
{
    const std::string dir = ScratchDir("simplify");
    WriteText(dir + "/sheet.obj", SheetObj(40, ""));
    const ConvertReport report = Convert(dir + "/sheet.obj", dir + "/out.dat", {"--max-triangles", "200"});
    ASSERT_TRUE(report.ok) << report.error;
    EXPECT_LE(report.triangles, 200u);
    // Collapses along its straight edges leave the outline where it was,
    // and the report says so.
    EXPECT_EQ(0.0, report.simplify.outlineMoved);
    EXPECT_FALSE(report.simplify.holesOpened || report.simplify.outlineClosed);
    Loaded loaded;
    ASSERT_TRUE(Load(dir + "/out.dat", &loaded));
    const ModelObjectRef& ref = loaded.model.objects[0];
    // The file's open edges, found here, all lie on the sheet's rim.
    std::map<std::pair<std::array<float, 3>, std::array<float, 3>>, int> uses;
    for (int32_t t = 0; t < ref.polygonCount; ++t)
        for (int k = 0; k < 3; ++k) {
            const ModelVertex &a = ref.vertices[3 * t + k], &b = ref.vertices[3 * t + (k + 1) % 3];
            std::array<float, 3> p{a.x, a.y, a.z}, q{b.x, b.y, b.z};
            ++uses[std::minmax(p, q)];
        }
    int open = 0;
    for (const auto& e : uses)
        if (e.second == 1)
            for (const std::array<float, 3>& p : {e.first.first, e.first.second}) {
                ++open;
                EXPECT_NEAR(12, std::max(std::fabs(p[0]), std::fabs(p[2])), 1e-4) << p[0] << ", " << p[2];
            }
    EXPECT_GE(open, 8);
    double area = 0;
    for (int32_t t = 0; t < ref.polygonCount; ++t)
        area += FrontY(loaded.model, 0, t) / 2;
    EXPECT_NEAR(24.0 * 24.0, area, 1e-2);
    const Box box = Bounds(loaded.model);
    EXPECT_NEAR(-12, box.lo[0], 1e-4);
    EXPECT_NEAR(12, box.hi[0], 1e-4);
    EXPECT_NEAR(-12, box.lo[2], 1e-4);
    EXPECT_NEAR(12, box.hi[2], 1e-4);
}

// Kept apart (--parts), a part too large for one draw is split into pieces
// of at most 65,535 vertices, and no triangle is lost.
TEST(Handmade, ALargePartIsSplitIntoPiecesOfOneDrawEach)
{
    const std::string dir = ScratchDir("split");
    const int n = 150;   // 45,000 triangles: three pieces
    WriteText(dir + "/grid.obj", "vn 0 1 0\n" + SheetObj(n, "//1"));
    Loaded loaded;
    ASSERT_TRUE(ConvertAndLoad(dir + "/grid.obj", dir + "/out.dat", &loaded, {"--parts"}));
    ASSERT_EQ(3, loaded.model.objectCount);
    int32_t triangles = 0;
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_LE(loaded.model.objects[i].vertexCount, 65535) << i;
        triangles += loaded.model.objects[i].polygonCount;
    }
    EXPECT_EQ(2 * n * n, triangles);
}

void WriteBitmap(const std::string& path, int width, int height)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> file(54 + (size_t)stride * height, 0x80);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = (unsigned char)(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, (uint32_t)file.size());
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)width);
    put32(22, (uint32_t)height);
    put32(26, 1 | (24u << 16));
    put32(30, 0);
    FILE* out = fopen(path.c_str(), "wb");
    fwrite(file.data(), 1, file.size(), out);
    fclose(out);
}

// The saver puts its own bitmap on the first object and refuses to start
// when a named bitmap is missing. So the first object names the bitmap the
// saver's setting names by default, the other pieces of a split first part
// name none, and another object names a bitmap only when one the saver can
// load lies beside the output (a .png named in the file finds a .bmp of the
// same name there, but never one of a Windows device's names, which opens
// the device).
TEST(Handmade, OnlyTheFirstObjectNamesTheSaversBitmapOthersOnlyBitmapsBesideTheOutput)
{
    const std::string dir = ScratchDir("textures");
    WriteText(dir + "/grid.obj", "vn 0 1 0\n" + SheetObj(150, "//1"));   // three pieces
    // Five parts of falling area, so that their objects follow each other
    // in this order.
    WriteText(dir + "/m.mtl", "newmtl big\nKd 1 0 0\nnewmtl wood\nKd 0 1 0\nmap_Kd maps/wood.png\n"
                              "newmtl odd\nKd 0 0 1\nmap_Kd odd.png\nnewmtl gone\nmap_Kd gone.png\n"
                              "newmtl device\nmap_Kd Con.png\n");
    WriteText(dir + "/m.obj", "mtllib m.mtl\nv 0 0 0\nv 10 0 0\nv 0 0 -10\n"
                              "v 0 1 0\nv 3 1 0\nv 0 1 -3\nv 0 2 0\nv 2 2 0\nv 0 2 -2\nv 0 3 0\nv 1 3 0\nv 0 3 -1\n"
                              "v 0 4 0\nv 0.5 4 0\nv 0 4 -0.5\nvt 0 0\nvt 1 0\nvt 0 1\n"
                              "usemtl big\nf 1/1 2/2 3/3\nusemtl wood\nf 4/1 5/2 6/3\n"
                              "usemtl odd\nf 7/1 8/2 9/3\nusemtl gone\nf 10/1 11/2 12/3\n"
                              "usemtl device\nf 13/1 14/2 15/3\n");
    WriteBitmap(dir + "/wood.bmp", 64, 32);
    WriteBitmap(dir + "/odd.bmp", 48, 48);   // not a power of two: the saver cannot load it
    WriteBitmap(dir + "/Con.bmp", 64, 64);   // usable, but Windows opens the console for it
    const struct {
        const char* file;
        std::vector<std::string> options;
        std::vector<std::string> names;   // each object's, in the file's order
        size_t leftOut;                   // textures the summary says were left out
    } cases[] = {
        {"grid.obj", {"--parts"}, {"sample.bmp", "", ""}, 0},
        {"m.obj", {"--parts"}, {"sample.bmp", "wood.bmp", "", "", ""}, 3},
        {"m.obj", {}, {"sample.bmp"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.options.empty() ? "" : " --parts"));
        Loaded loaded;
        ConvertReport report;
        ASSERT_TRUE(ConvertAndLoad(dir + "/" + c.file, dir + "/out.dat", &loaded, c.options, &report));
        std::vector<std::string> names;
        for (int32_t i = 0; i < loaded.model.objectCount; ++i) {
            const ModelObject* record = loaded.model.objects[i].record;
            names.emplace_back(record->textureName, ModelTextureNameLength(record));
        }
        EXPECT_EQ(c.names, names);
        EXPECT_EQ(c.leftOut, report.layout.texturesLeftOut.size());
    }
}

// --size sets the largest extent; the object is centred in x and z with
// its top at y = 0. The file's triangle spans 2 in x, 1 in y and 4 in z.
TEST(Handmade, SizeSetsTheLargestExtent)
{
    const std::string dir = ScratchDir("size");
    WriteText(dir + "/t.obj", "v 0 0 0\nv 2 0 0\nv 0 1 4\nf 1 2 3\n");
    const struct {
        std::vector<std::string> options;
        double size;
    } cases[] = {{{}, 24}, {{"--size", "10"}, 10}, {{"--size", "0.5"}, 0.5}, {{"--size", "1000000"}, 1e6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        Loaded loaded;
        ASSERT_TRUE(ConvertAndLoad(dir + "/t.obj", dir + "/out.dat", &loaded, c.options));
        const Box box = Bounds(loaded.model);
        const double s = c.size, tolerance = 1e-6 * s;
        EXPECT_NEAR(-s / 4, box.lo[0], tolerance);
        EXPECT_NEAR(s / 4, box.hi[0], tolerance);
        EXPECT_NEAR(-s / 4, box.lo[1], tolerance);
        EXPECT_NEAR(0, box.hi[1], tolerance);
        EXPECT_NEAR(-s / 2, box.lo[2], tolerance);
        EXPECT_NEAR(s / 2, box.hi[2], tolerance);
    }
}

}  // namespace
