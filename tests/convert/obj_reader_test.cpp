// The Windows build's reader: OBJ with its MTL colours, and the other
// formats refused with a reason.
#include "convert_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

using namespace convert_test;

namespace {

TEST(TinyObjReader, ReadsTheMaterialColoursOfARealModel)
{
    const std::string model = TestModel("OBJ/spider.obj");
    if (!std::ifstream(model))
        GTEST_SKIP() << "assimp-testmodels is not installed";
    const std::string dir = ScratchDir("spider");
    const ConvertReport report = Convert(model, dir + "/out.dat");
    ASSERT_TRUE(report.ok) << report.error;
    std::set<float> reds;
    for (const PlannedObject& o : report.objects)
        reds.insert(o.material.diffuse.r);
    // spider.mtl gives its materials four different colours.
    EXPECT_GE(reds.size(), 3u);
    Loaded loaded;
    EXPECT_TRUE(Load(dir + "/out.dat", &loaded));
}

TEST(TinyObjReader, OtherFormatsAreRefusedWithAReason)
{
    const std::string dir = ScratchDir("stl");
    WriteText(dir + "/a.stl", "solid a\nendsolid a\n");
    const ConvertReport report = Convert(dir + "/a.stl", dir + "/out.dat");
    EXPECT_FALSE(report.ok);
    EXPECT_NE(std::string::npos, report.error.find("OBJ"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/out.dat"));
}

}  // namespace
