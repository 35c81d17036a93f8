// The release package's morvella-convert.exe under Wine, and what the saver
// makes of its output: an OBJ with its MTL colours and an STL become files
// the saver's loader takes; an output that is the input by another name is
// refused; a converted closed object shows, lit and coloured, in every
// animation; a large model is one object the saver colours all over, and
// kept apart in parts, an object split into several draws shows every part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "assets/model_data.h"
#include "doubles/test_support.h"
#include "saver_driver.h"
#include "test_files.h"
#include "tests/convert/test_meshes.h"

namespace {

const char kTestModels[] = "Z:\\usr\\share\\assimp\\models\\";

DWORD RunConverter(const std::string& args)
{
    return ::RunConverter(FromAnsi(args), 60000);
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
}

// A flat grid in the x-z plane facing up, in the material "green":
// squares x squares x 2 triangles.
std::string GridObj(int squares)
{
    return "mtllib grid.mtl\nusemtl green\nvn 0 1 0\n" +
           test_meshes::Obj(test_meshes::GridCorners(squares, squares, test_meshes::Flat), "//1");
}

// Pixels of the centred 640 x 480 picture, in columns [from, to) of it,
// where one channel (16 red, 8 green) clearly outweighs the other two: the
// object's colour. The error page is white on black and has none.
long Tinted(const Screen& s, int shift, int from = 0, int to = 640)
{
    const int left = s.width / 2 - 320, top = s.height / 2 - 240;
    long n = 0;
    for (int y = top; y < top + 480; ++y)
        for (int x = left + from; x < left + to; ++x) {
            const uint32_t p = s.pixels[(size_t)y * s.width + x];
            const int c = (p >> shift) & 255;
            const int rest = std::max((p >> (shift == 16 ? 8 : 16)) & 255, p & 255);
            n += c > 60 && c > rest + 40;
        }
    return n;
}

long Reddish(const Screen& s, int from = 0, int to = 640) { return Tinted(s, 16, from, to); }
long Greenish(const Screen& s, int from = 0, int to = 640) { return Tinted(s, 8, from, to); }

struct ConvertedInSaver : ::testing::Test {
    std::string folder;
    SaverProcess saver;

    void SetUp() override
    {
        if (!Exists(DistFile("morvella-convert.exe")))
            GTEST_SKIP() << "the converter has not been built";
        RemoveIni();
        folder = TestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(CopyInto(DistFile("morvella.scr"), folder, "morvella.scr"));
        // A white texture: the object shows the colour of the settings.
        testsupport::WriteBytes(folder + "\\white.bmp",
                                testsupport::Bitmap24(64, 64, [](int, int) { return 0xFFFFFFu; }));
        WriteIni("Bitmap", "white.bmp");
    }
    void TearDown() override { RemoveIni(); }

    // Runs the saver from the folder and captures the screen `shots` times,
    // `gapMs` apart, from its first picture on (a loaded machine may take a
    // few seconds to set up the device; the window is black until then).
    std::vector<Screen> Run(int shots, DWORD gapMs)
    {
        std::vector<Screen> screens;
        EXPECT_TRUE(StartSaver(saver, "/s", folder + "\\morvella.scr"));
        EXPECT_NE(nullptr, WaitForSaverWindow(saver.pid()));
        WaitUntil(15000, [] {
            const Screen s = Capture();
            return std::any_of(s.pixels.begin(), s.pixels.end(), [](uint32_t p) { return p != 0; });
        }, 250);
        for (int i = 0; i < shots; ++i) {
            if (i)
                Pump(gapMs);
            screens.push_back(Capture());
        }
        EXPECT_TRUE(saver.Running());
        PressKey(VK_SPACE);
        EXPECT_EQ(0u, saver.WaitExit(10000));
        return screens;
    }
};

TEST_F(ConvertedInSaver, ObjWithItsColoursAndStlConvertAndOtherInputIsRefused)
{
    const std::string out = folder + "\\spider.dat";
    ASSERT_EQ(0u, RunConverter(std::string("\"") + kTestModels + "OBJ\\spider.obj\" \"" + out + "\" --parts"));
    ModelData model;
    ClearModelData(&model);
    ASSERT_TRUE(LoadModelFile(&model, out.c_str()));
    EXPECT_GE(model.objectCount, 2);
    std::set<float> reds;
    for (int32_t i = 0; i < model.objectCount; ++i)
        reds.insert(model.objects[i].record->material.diffuse.r);
    EXPECT_GE(reds.size(), 2u) << "the MTL colours";
    FreeModelData(&model);

    // A binary STL (z up), simplified on the way: the spider's 1,312
    // triangles with area come down to at most 500.
    const std::string stl = folder + "\\stl.dat";
    ASSERT_EQ(0u, RunConverter(std::string("\"") + kTestModels + "STL\\Spider_binary.stl\" \"" + stl +
                               "\" --up z --max-triangles 500"));
    ClearModelData(&model);
    ASSERT_TRUE(LoadModelFile(&model, stl.c_str()));
    ASSERT_EQ(1, model.objectCount);
    EXPECT_LE(model.objects[0].polygonCount, 500);
    EXPECT_GE(model.objects[0].polygonCount, 250);
    FreeModelData(&model);

    // No reader for DirectX files in this build, an empty OBJ, a folder to
    // write into: one clear failure each, and nothing written.
    WriteText(folder + "\\empty.obj", "");
    const std::string cases[] = {
        std::string("\"") + kTestModels + "X\\Testwuson.X\" \"" + folder + "\\a.dat\"",
        "\"" + folder + "\\empty.obj\" \"" + folder + "\\b.dat\"",
        std::string("\"") + kTestModels + "OBJ\\spider.obj\" \"" + folder + "\\no\\such\\c.dat\"",
    };
    for (const std::string& args : cases) {
        SCOPED_TRACE(args);
        EXPECT_EQ(1u, RunConverter(args));
    }
    EXPECT_FALSE(Exists(folder + "\\a.dat"));
    EXPECT_FALSE(Exists(folder + "\\b.dat"));
    EXPECT_EQ(2u, RunConverter("--up"));
}

// Windows names one file in many ways: another case, a dot folder. Each
// is refused before anything is read or written; a copy
// of the same bytes is another file and converts.
TEST_F(ConvertedInSaver, AnOutputThatIsTheInputByAnotherNameIsRefused)
{
    const std::string model = "v 0 0 0\nv 1 0 0\nv 0 0 -1\nf 1 2 3\n";
    WriteText(folder + "\\Model.obj", model);
    WriteText(folder + "\\Copy.obj", model);
    const std::string input = "\"" + folder + "\\Model.obj\" ";
    for (const std::string output : {folder + "\\MODEL.OBJ", folder + "\\.\\model.obj"}) {
        SCOPED_TRACE(output);
        EXPECT_EQ(2u, RunConverter(input + "\"" + output + "\""));
    }
    EXPECT_EQ(0u, RunConverter(input + "\"" + folder + "\\Copy.obj\""));
    std::string kept;
    if (FILE* file = fopen((folder + "\\Model.obj").c_str(), "rb")) {
        char buffer[256];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;)
            kept.append(buffer, n);
        fclose(file);
    }
    EXPECT_EQ(model, kept);
}

TEST_F(ConvertedInSaver, AClosedObjectShowsInEveryAnimation)
{
    // A closed sphere without normals.
    WriteText(folder + "\\sphere.obj", test_meshes::Obj(test_meshes::SphereCorners(24, 48)));
    ASSERT_EQ(0u, RunConverter("\"" + folder + "\\sphere.obj\" \"" + folder + "\\morvella.dat\""));
    WriteIni("Speed", "20");
    WriteIni("Red", "255");
    WriteIni("Green", "40");
    WriteIni("Blue", "40");
    for (int animation = 1; animation <= 5; ++animation) {
        SCOPED_TRACE(testing::Message() << "Animation " << animation);
        WriteIni("Animation", std::to_string(animation).c_str());
        // The orbiting camera's heading turns on its own: the sphere is in
        // view for about 100 of every 210 ticks, the first time from tick
        // 55 on. Five seconds of captures see it whatever Wine's timer rate.
        const int shots = animation == 3 ? 10 : 4;
        const std::vector<Screen> screens = Run(shots, 500);
        int shown = 0;
        for (const Screen& s : screens)
            shown += Reddish(s) > 2000;
        if (animation == 3) {
            EXPECT_GE(shown, 1);
        } else {
            EXPECT_EQ(shots, shown);
        }
    }
}

TEST_F(ConvertedInSaver, ALargeModelIsOneObjectAndPartsSplitIntoDrawsShowEveryPart)
{
    // 160 x 160 squares: 51,200 triangles. By default one object of one
    // draw, which the saver colours all over; with --parts three draws of
    // at most 65,535 vertices, slabs side by side along x, of which only
    // the first takes the settings' colour.
    WriteText(folder + "\\grid.mtl", "newmtl green\nKd 0.1 1 0.1\n");
    WriteText(folder + "\\grid.obj", GridObj(160));
    WriteIni("Speed", "20");
    WriteIni("Animation", "2");
    WriteIni("Red", "255");
    WriteIni("Green", "40");
    WriteIni("Blue", "40");
    for (bool parts : {false, true}) {
        SCOPED_TRACE(parts ? "--parts" : "default");
        ASSERT_EQ(0u, RunConverter("\"" + folder + "\\grid.obj\" \"" + folder + "\\morvella.dat\"" +
                                   (parts ? " --parts" : "")));
        ModelData model;
        ClearModelData(&model);
        ASSERT_TRUE(LoadModelFile(&model, (folder + "\\morvella.dat").c_str()));
        EXPECT_EQ(parts ? 3 : 1, model.objectCount);
        EXPECT_LE(model.objects[0].vertexCount, 65535);
        FreeModelData(&model);
        // The wave's camera looks down from height 50 for its first ten
        // seconds: the whole square is in the picture.
        const Screen s = Run(1, 0).front();
        const long left = Reddish(s, 0, 213) + Greenish(s, 0, 213);
        const long middle = Reddish(s, 213, 426) + Greenish(s, 213, 426);
        const long right = Reddish(s, 426, 640) + Greenish(s, 426, 640);
        EXPECT_GT(left, 20000);
        EXPECT_GT(middle, 20000);
        EXPECT_GT(right, 20000);
        if (parts) {
            EXPECT_GT(Reddish(s), 10000);
            EXPECT_GT(Greenish(s), 20000);
        } else {
            EXPECT_GT(Reddish(s), 60000);
            EXPECT_LT(Greenish(s), 1000);
        }
    }
}

}  // namespace
