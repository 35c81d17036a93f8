// Scene set-up from the settings: the bitmap check, the first object's
// colour, texture name, texture coordinates and shading, the filter and the
// light, with a recording device standing in for the engine's.
#include <gtest/gtest.h>

#include <cstring>

#include "assets/scene.h"
#include "doubles/dx_doubles.h"
#include "doubles/test_support.h"
#include "engine/render_engine.h"
#include "settings/settings.h"

using Log = std::vector<std::string>;

namespace {

TEST(CheckBitmapSize, AcceptsOnlySquarePowerOfTwoSides) {
    struct Case { int32_t w, h; bool ok; };
    const Case cases[] = {{1, 1, true},   {32, 32, true},  {64, 64, true},  {256, 256, true},
                          {64, 32, false}, {48, 48, false}, {0, 0, false},   {64, -64, false},
                          {-2147483647 - 1, -2147483647 - 1, false}};
    for (const Case& c : cases) {
        // Only the two header fields matter; the pixels are left out.
        std::vector<unsigned char> header = testsupport::Bitmap24(1, 1, [](int, int) { return 0u; });
        memcpy(&header[18], &c.w, 4);
        memcpy(&header[22], &c.h, 4);
        std::string path = testsupport::TempDir() + "scene_check.bmp";
        testsupport::WriteBytes(path, header);
        EXPECT_EQ(c.ok, CheckBitmapSize(path.c_str())) << c.w << " x " << c.h;
    }
}

TEST(CheckBitmapSize, MissingOrShortFilesFail) {
    std::string path = testsupport::TempDir() + "scene_short.bmp";
    testsupport::WriteBytes(path, std::vector<unsigned char>(24, 0));   // height cut short
    EXPECT_FALSE(CheckBitmapSize(path.c_str()));
    EXPECT_FALSE(CheckBitmapSize((testsupport::TempDir() + "no_such_bitmap.bmp").c_str()));
}

struct SceneFixture : ::testing::Test {
    dx::DxWorld world;
    dx::FakeDevice device{&world, GUID{}};
    ModelData model;
    SaverSettings settings{};

    void SetUp() override {
        g_Engine.device = &device;
        testsupport::WriteBitmap("scene_ok.bmp", 32, 32);
        settings.Red = 255;
        settings.Green = 0;
        settings.Blue = 51;
        settings.TexSize = 1;
        settings.LightRed = 255;
        strcpy(settings.Bitmap, "scene_ok.bmp");
        // An object twice as long in z as in x, with a second one after it.
        testsupport::ObjectDesc first = testsupport::Grid(2, -1.0f, 1.0f, -2.0f, 2.0f);
        first.material.diffuse.a = 0.25f;
        first.material.power = 7.0f;
        testsupport::ObjectDesc second = testsupport::Grid(1, 5.0f, 6.0f, 5.0f, 6.0f);
        second.vertices[0].tu = 0.75f;
        ASSERT_TRUE(testsupport::LoadModel(&model, {first, second}));
    }
    void TearDown() override {
        g_Engine.device = nullptr;
        FreeModelData(&model);
    }
    ModelObject* First() { return ModelFirstRecord(&model); }
};

TEST_F(SceneFixture, DirectionalSetUpColoursTheFirstObjectAndProjectsTheTexture) {
    First()->shadeMode = 1;
    ASSERT_TRUE(SetupScene(&model, settings));
    const ModelMaterial& m = First()->material;
    for (const ModelColor* c : {&m.diffuse, &m.ambient, &m.specular, &m.emissive}) {
        EXPECT_EQ(1.0f, c->r);
        EXPECT_EQ(0.0f, c->g);
        EXPECT_FLOAT_EQ(0.2f, c->b);
    }
    // Alpha and power stay as the file has them.
    EXPECT_EQ(0.25f, m.diffuse.a);
    EXPECT_EQ(7.0f, m.power);
    EXPECT_STREQ("scene_ok.bmp", First()->textureName);
    EXPECT_EQ(1u, First()->shadeMode);

    // tu runs 0..1 over x and tv 0..-1 over z, whatever the proportions.
    const ModelObjectRef& o = model.objects[0];
    for (int i = 0; i < o.vertexCount; ++i) {
        const ModelVertex& v = o.vertices[i];
        EXPECT_FLOAT_EQ((v.x + 1.0f) / 2.0f, v.tu);
        EXPECT_FLOAT_EQ(-(v.z + 2.0f) / 4.0f, v.tv);
    }
    // Only the first object is touched.
    EXPECT_EQ(0.75f, model.objects[1].vertices[0].tu);

    EXPECT_EQ(Log({"Dev.SetTextureStageState(0,16,1)", "Dev.SetLight(0)", "Dev.LightEnable(0,1)"}), world.log);
    const D3DLIGHT7& light = device.lights.at(0);
    EXPECT_EQ(D3DLIGHT_DIRECTIONAL, light.dltType);
    for (const D3DCOLORVALUE* c : {&light.dcvDiffuse, &light.dcvSpecular, &light.dcvAmbient}) {
        EXPECT_EQ(1.0f, c->r);
        EXPECT_EQ(0.0f, c->g);
        EXPECT_EQ(0.0f, c->a);
    }
    EXPECT_EQ(0.0f, light.dvPosition.y);
    EXPECT_EQ(-1.0f, light.dvDirection.y);
    EXPECT_EQ(0.0f, light.dvFalloff);
    EXPECT_EQ(0.0f, light.dvPhi);
}

TEST_F(SceneFixture, SpotLightSitsAboveTheObjectAndForcesGouraudShading) {
    settings.SpotLight = 1;
    settings.Smooth = 1;
    settings.TexSize = 10;
    ASSERT_TRUE(SetupScene(&model, settings));
    EXPECT_EQ(2u, First()->shadeMode);
    EXPECT_EQ("Dev.SetTextureStageState(0,16,2)", world.log.at(0));
    const D3DLIGHT7& light = device.lights.at(0);
    EXPECT_EQ(D3DLIGHT_SPOT, light.dltType);
    EXPECT_EQ(20.0f, light.dvPosition.y);
    EXPECT_EQ(-1.0f, light.dvDirection.y);
    EXPECT_EQ(1.0f, light.dvFalloff);
    EXPECT_FLOAT_EQ(0.3f, light.dvAttenuation0);
    EXPECT_FLOAT_EQ(0.1f, light.dvTheta);
    EXPECT_FLOAT_EQ(0.6f, light.dvPhi);
    float maxTu = 0, minTv = 0;
    for (int i = 0; i < model.objects[0].vertexCount; ++i) {
        maxTu = std::max(maxTu, model.objects[0].vertices[i].tu);
        minTv = std::min(minTv, model.objects[0].vertices[i].tv);
    }
    EXPECT_FLOAT_EQ(10.0f, maxTu);
    EXPECT_FLOAT_EQ(-10.0f, minTv);
}

TEST_F(SceneFixture, RejectedBitmapLeavesTheBitmapErrorAndSetsNothingElse) {
    testsupport::WriteBitmap("scene_wide.bmp", 64, 32);
    for (const char* name : {"scene_wide.bmp", "scene_absent.bmp"}) {
        strcpy(settings.Bitmap, name);
        SetLastError(0);
        EXPECT_FALSE(SetupScene(&model, settings)) << name;
        EXPECT_EQ(8u, GetLastError()) << name;
        EXPECT_TRUE(world.log.empty()) << name;
        EXPECT_STREQ("", First()->textureName) << name;
    }
}

TEST_F(SceneFixture, OverlongBitmapPathIsRejectedNotCut) {
    // Directory and name together beyond 255 characters must not be cut into
    // some other file's name.
    memset(settings.Bitmap, 'a', 250);
    settings.Bitmap[250] = 0;
    EXPECT_FALSE(SetupScene(&model, settings));
    EXPECT_EQ(8u, GetLastError());
}

}  // namespace
