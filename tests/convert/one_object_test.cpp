// What a user's model becomes, run through the tool as a user runs it: the
// whole model one object that fits one draw, --parts for an object a mesh,
// --max-triangles as a bound, and a smooth shape from facet-only normals.
// The summary's figures are checked against the file the saver loads.
#include "convert_fixture.h"
#include "test_meshes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace convert_test;

namespace {

const double kPi = 3.14159265358979323846;

// The number after `before` in the summary line that contains `anchor`.
long NumberAfter(const std::string& text, const std::string& anchor, const std::string& before)
{
    const std::string line = LineWith(text, anchor);
    const size_t at = line.find(before);
    if (at == std::string::npos)
        return -1;
    std::string digits;
    for (size_t i = at + before.size(); i < line.size() && (isdigit((unsigned char)line[i]) || line[i] == ','); ++i)
        if (line[i] != ',')
            digits += line[i];
    return digits.empty() ? -1 : atol(digits.c_str());
}

int32_t FileTriangles(const ModelData& model)
{
    int32_t n = 0;
    for (int32_t i = 0; i < model.objectCount; ++i)
        n += model.objects[i].polygonCount;
    return n;
}

TEST(OneObject, ALargeSingleMeshBecomesOneObjectThatFitsOneDraw)
{
    const std::string dir = ScratchDir("sphere");
    WriteStl(dir + "/sphere.stl", test_meshes::SphereCorners(151, 200));   // 60,000 triangles
    const ToolRun run = RunTool({dir + "/sphere.stl", dir + "/out.dat"});
    ASSERT_EQ(0, run.exitCode) << run.err;
    Loaded loaded;
    ASSERT_TRUE(Load(dir + "/out.dat", &loaded));
    ASSERT_EQ(1, loaded.model.objectCount);
    const ModelObjectRef& object = loaded.model.objects[0];
    EXPECT_EQ(3, object.vertsPerPolygon);
    EXPECT_LE(object.vertexCount, 65535);
    EXPECT_GT(object.polygonCount, 15000) << "simplified far beyond what one draw needs";
    EXPECT_EQ(60000, NumberAfter(run.out, "simplified", "simplified ")) << run.out;
    EXPECT_EQ(object.polygonCount, NumberAfter(run.out, "simplified", "-> ")) << run.out;
    EXPECT_EQ(object.polygonCount, NumberAfter(run.out, "object(s)", "object(s), ")) << run.out;
    EXPECT_EQ(1, NumberAfter(run.out, "object(s)", "  ")) << run.out;
    // A closed surface keeps no outline to speak of.
    EXPECT_EQ("", LineWith(run.out, "outline")) << run.out;
    // Every triangle faces out, with normals that point away from the
    // sphere's centre, (0, -12, 0) once placed: none was turned over, and
    // the shading is round. Simplifying leaves a few slivers standing
    // across the surface, too thin to see: each corner counts by the area
    // of its triangle.
    double area = 0, inward = 0, outward = 0;
    for (int32_t t = 0; t < object.polygonCount; ++t) {
        const ModelVertex* v = object.vertices + 3 * t;
        const double u[3] = {v[1].x - v[0].x, v[1].y - v[0].y, v[1].z - v[0].z};
        const double w[3] = {v[2].x - v[0].x, v[2].y - v[0].y, v[2].z - v[0].z};
        const double a = std::sqrt(std::pow(u[1] * w[2] - u[2] * w[1], 2) + std::pow(u[2] * w[0] - u[0] * w[2], 2) +
                                   std::pow(u[0] * w[1] - u[1] * w[0], 2)) / 2;
        area += a;
        for (int k = 0; k < 3; ++k) {
            const ModelVertex& p = v[k];
            const double r = std::sqrt(p.x * p.x + (p.y + 12) * (p.y + 12) + p.z * p.z);
            const double c = (p.nx * p.x + p.ny * (p.y + 12) + p.nz * p.z) / r;
            outward += a * c / 3;
            inward += c < -0.5 ? a / 3 : 0;
        }
    }
    EXPECT_NEAR(4 * kPi * 144, area, 0.01 * 4 * kPi * 144);
    EXPECT_LT(inward, 1e-5 * area);
    EXPECT_GT(outward / area, 0.999);
}

// A figure on a base: two meshes with their own materials.
const char kFigureMtl[] = "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n";
std::string FigureObj()
{
    std::string obj = "mtllib figure.mtl\n";
    // The base: a flat square at y = 0; the figure: a tall upright one.
    obj += "o base\nusemtl blue\nv -2 0 2\nv 2 0 2\nv 2 0 -2\nv -2 0 -2\nf 1 2 3\nf 1 3 4\n";
    obj += "o figure\nusemtl red\nv -1 0 0\nv 1 0 0\nv 1 5 0\nv -1 5 0\nf 5 6 7\nf 5 7 8\n";
    return obj;
}

TEST(OneObject, SeveralMeshesBecomeOneObjectAndPartsOnlyWhenAsked)
{
    const std::string dir = ScratchDir("figure");
    WriteText(dir + "/figure.mtl", kFigureMtl);
    WriteText(dir + "/figure.obj", FigureObj());
    struct Case {
        std::vector<std::string> options;
        int32_t objects;
        bool standStillNamed;
    } cases[] = {{{}, 1, false}, {{"--parts"}, 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "default" : "--parts");
        std::vector<std::string> args = {dir + "/figure.obj", dir + "/out.dat"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun run = RunTool(args);
        ASSERT_EQ(0, run.exitCode) << run.err;
        Loaded loaded;
        ASSERT_TRUE(Load(dir + "/out.dat", &loaded));
        EXPECT_EQ(c.objects, loaded.model.objectCount);
        EXPECT_EQ(4, FileTriangles(loaded.model));
        EXPECT_EQ(c.objects, NumberAfter(run.out, "object(s),", "  ")) << run.out;
        EXPECT_EQ(c.standStillNamed, LineWith(run.out, "stand still") != "") << run.out;
    }
}

// `count` unit squares side by side with gaps, each its own object in the
// file (so each its own part): nothing to collapse within any of them but
// the square itself.
std::string SquaresObj(int count)
{
    std::string obj;
    char square[200];
    for (int i = 0; i < count; ++i) {
        const int x = (i % 20) * 2, z = -(i / 20) * 2, k = 4 * i + 1;
        snprintf(square, sizeof square, "o square%d\nv %d 0 %d\nv %d 0 %d\nv %d 0 %d\nv %d 0 %d\nf %d %d %d\nf %d %d %d\n", i,
                 x, z, x + 1, z, x + 1, z - 1, x, z - 1, k, k + 1, k + 2, k, k + 2, k + 3);
        obj += square;
    }
    return obj;
}

TEST(OneObject, MaxTrianglesIsABoundOrTheSummarySaysWhyNot)
{
    const std::string dir = ScratchDir("squares");
    WriteText(dir + "/squares.obj", SquaresObj(300));
    struct Case {
        std::vector<std::string> options;
        int32_t most;        // triangles the file may hold
        bool saysWhyNot;     // a line says why more than asked are left
    } cases[] = {
        {{"--max-triangles", "100"}, 100, false},
        {{"--max-triangles", "450", "--parts"}, 450, false},
        // Every part keeps a triangle: 300, and a line that says so.
        {{"--max-triangles", "100", "--parts"}, 300, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[1] + (c.options.size() > 2 ? " --parts" : ""));
        std::vector<std::string> args = {dir + "/squares.obj", dir + "/out.dat"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun run = RunTool(args);
        ASSERT_EQ(0, run.exitCode) << run.err;
        Loaded loaded;
        ASSERT_TRUE(Load(dir + "/out.dat", &loaded));
        const int32_t triangles = FileTriangles(loaded.model);
        EXPECT_LE(triangles, c.most);
        EXPECT_GT(triangles, 0);
        EXPECT_EQ(triangles, NumberAfter(run.out, "simplified", "-> ")) << run.out;
        EXPECT_EQ(c.saysWhyNot, LineWith(run.out, ", not 100:") != "") << run.out;
        // No square keeps its four corners and two triangles: the outline
        // moved, and the summary says by how much.
        EXPECT_NE("", LineWith(run.out, "the outline (the open edges) moved by up to")) << run.out;
    }
}

// Clustering that keeps nothing of the surface for one triangle still keeps
// a triangle or two for two: a budget of one gives about that, not the
// many triangles the outline-keeping collapses stopped at.
TEST(OneObject, ATooSmallBudgetGivesTheFewestThatCanBeKept)
{
    const std::string dir = ScratchDir("smallest");
    // A wavy 30 x 30 grid, 1,800 triangles in one open surface.
    WriteText(dir + "/grid.obj", test_meshes::Obj(test_meshes::GridCorners(
                                     30, 30, [](int i, int j) { return std::sin(i * 0.5) * std::cos(j * 0.5); })));
    const ToolRun run = RunTool({dir + "/grid.obj", dir + "/out.dat", "--max-triangles", "1"});
    ASSERT_EQ(0, run.exitCode) << run.err;
    Loaded loaded;
    ASSERT_TRUE(Load(dir + "/out.dat", &loaded));
    const int32_t triangles = FileTriangles(loaded.model);
    EXPECT_LE(triangles, 2) << run.out;
    EXPECT_EQ(triangles, NumberAfter(run.out, "simplified", "-> ")) << run.out;
    EXPECT_EQ(triangles > 1, LineWith(run.out, ", not 1:") != "") << run.out;
}

TEST(OneObject, AFanOf200000TrianglesConvertsInSeconds)
{
    // One point shared by every triangle: the worst case for smoothing
    // that compares the triangles around a point with each other.
    const int n = 200000;
    std::vector<float> corners;
    corners.reserve((size_t)n * 9);
    for (int i = 0; i < n; ++i) {
        const double a = 2 * kPi * i / n, b = 2 * kPi * (i + 1) / n;
        const float t[9] = {0, 0, 0, (float)std::cos(a), 0, (float)-std::sin(a), (float)std::cos(b), 0,
                            (float)-std::sin(b)};
        corners.insert(corners.end(), t, t + 9);
    }
    const std::string dir = ScratchDir("fan");
    WriteStl(dir + "/fan.stl", corners);
    for (bool parts : {true, false}) {
        SCOPED_TRACE(parts ? "--parts" : "default");
        std::vector<std::string> args = {dir + "/fan.stl", dir + "/out.dat"};
        if (parts)
            args.push_back("--parts");
        const ToolRun run = RunTool(args);
        ASSERT_EQ(0, run.exitCode) << run.err;
        EXPECT_LT(run.cpuSeconds, 30.0);
        Loaded loaded;
        ASSERT_TRUE(Load(dir + "/out.dat", &loaded));
        EXPECT_EQ(parts ? n : NumberAfter(run.out, "simplified", "-> "), FileTriangles(loaded.model));
        // A flat disc: every normal straight up.
        for (int32_t i = 0; i < loaded.model.objectCount; ++i)
            for (int32_t v = 0; v < loaded.model.objects[i].vertexCount; v += 997)
                ASSERT_NEAR(1.0, loaded.model.objects[i].vertices[v].ny, 1e-6);
    }
}

// A closed prism of `segments` sides around the y axis, radius 1, height 2,
// as facets of an STL (caps as fans from their centre) or as an OBJ whose
// caps are single polygons (which the reader cuts into a fan from one rim
// corner: more than 64 triangles meet there, across the cap's edge).
std::vector<float> PrismFacets(int segments)
{
    std::vector<float> corners;
    auto rim = [&](int s, float y, float* out) {
        const double a = 2 * kPi * (s % segments) / segments;
        out[0] = (float)std::cos(a);
        out[1] = y;
        out[2] = (float)-std::sin(a);
    };
    for (int s = 0; s < segments; ++s) {
        float a[3], b[3], c[3], d[3];
        rim(s, 1, a);
        rim(s + 1, 1, b);
        rim(s, -1, c);
        rim(s + 1, -1, d);
        float top[3] = {0, 1, 0}, bottom[3] = {0, -1, 0};
        for (const float* t : {a, c, b, b, c, d, top, a, b, bottom, d, c})
            corners.insert(corners.end(), t, t + 3);
    }
    return corners;
}

std::string PrismObj(int segments)
{
    std::string obj, top = "f", bottom = "f";
    char line[100];
    for (int s = 0; s < segments; ++s) {
        const double a = 2 * kPi * s / segments;
        snprintf(line, sizeof line, "v %.6f 1 %.6f\nv %.6f -1 %.6f\n", std::cos(a), std::sin(a), std::cos(a), std::sin(a));
        obj += line;
    }
    for (int s = 0; s < segments; ++s) {
        const int t0 = 2 * s + 1, t1 = 2 * ((s + 1) % segments) + 1;
        snprintf(line, sizeof line, "f %d %d %d %d\n", t0, t1, t1 + 1, t0 + 1);
        obj += line;
        top += " " + std::to_string(2 * (segments - 1 - s) + 1);
        bottom += " " + std::to_string(2 * s + 2);
    }
    return obj + top + "\n" + bottom + "\n";
}

// Smooth normals round the side of a prism and keep the rim sharp; --flat
// gives every corner its facet's normal. A box would not tell them apart.
TEST(OneObject, FacetNormalsBecomeSmoothUnlessFlatAndRimsStaySharp)
{
    const std::string dir = ScratchDir("prism");
    WriteStl(dir + "/prism.stl", PrismFacets(32));
    WriteText(dir + "/prism.obj", PrismObj(100));
    struct Case {
        const char* file;
        int segments;
    } files[] = {{"prism.stl", 32}, {"prism.obj", 100}};
    for (const Case& f : files) {
        for (bool flat : {false, true}) {
            SCOPED_TRACE(std::string(f.file) + (flat ? " --flat" : ""));
            std::vector<std::string> args = {dir + "/" + f.file, dir + "/out.dat"};
            if (flat)
                args.push_back("--flat");
            const ToolRun run = RunTool(args);
            ASSERT_EQ(0, run.exitCode) << run.err;
            Loaded loaded;
            ASSERT_TRUE(Load(dir + "/out.dat", &loaded));
            const ModelObjectRef& o = loaded.model.objects[0];
            // Half the angle between neighbouring sides: how far a facet's
            // normal lies from the radial direction at its corners.
            const double half = kPi / f.segments;
            double sideWorst = 0, sideBest = kPi, capWorst = 0;
            for (int32_t t = 0; t < o.polygonCount; ++t) {
                const ModelVertex* v = o.vertices + 3 * t;
                const bool cap = v[0].y == v[1].y && v[1].y == v[2].y;
                for (int k = 0; k < 3; ++k) {
                    if (cap) {
                        capWorst = std::max(capWorst, 1 - std::fabs((double)v[k].ny));
                        continue;
                    }
                    const double r = std::sqrt(v[k].x * v[k].x + v[k].z * v[k].z);
                    const double angle = std::acos(std::min(1.0, (v[k].nx * v[k].x + v[k].nz * v[k].z) / r));
                    sideWorst = std::max(sideWorst, angle);
                    sideBest = std::min(sideBest, angle);
                }
            }
            EXPECT_LT(capWorst, 1e-6) << "the rim is a hard edge";
            if (flat) {
                EXPECT_GT(sideBest, 0.9 * half);
            } else {
                EXPECT_LT(sideWorst, 0.5 * half);
            }
        }
    }
}

}  // namespace
