// Textures: the format choice, where the surface lives for each device, and
// the walk over the model's objects, against recording doubles.
#include <gtest/gtest.h>

#include "doubles/dx_doubles.h"
#include "doubles/test_support.h"
#include "engine/render_engine.h"

using Log = std::vector<std::string>;

namespace {

const DDPIXELFORMAT kA1R5G5B5 = dx::RgbFormat(16, 0x8000, 0x7C00, 0x03E0, 0x001F);
const DDPIXELFORMAT kX1R5G5B5 = dx::RgbFormat(16, 0, 0x7C00, 0x03E0, 0x001F);
const DDPIXELFORMAT kR5G6B5 = dx::RgbFormat(16, 0, 0xF800, 0x07E0, 0x001F);
const DDPIXELFORMAT kA4R4G4B4 = dx::RgbFormat(16, 0xF000, 0x0F00, 0x00F0, 0x000F);
const DDPIXELFORMAT kX8R8G8B8 = dx::RgbFormat(32, 0, 0xFF0000, 0xFF00, 0xFF);

DDPIXELFORMAT WithFlags(DDPIXELFORMAT f, DWORD flags, DWORD fourCC = 0) {
    f.dwFlags |= flags;
    f.dwFourCC = fourCC;
    return f;
}

const GUID kHal = {0x84E63DE0, 0x46AA, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};
const GUID kTnLHal = {0xF5049E78, 0x4861, 0x11D2, {0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8}};
const GUID kRgb = {0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

struct TextureFixture : ::testing::Test {
    dx::DxWorld world;
    dx::FakeDirectDraw ddraw{&world};
    dx::FakeDevice device{&world, kHal};
    CRenderEngine engine;

    void SetUp() override {
        engine.ddraw = &ddraw;
        engine.device = &device;
        world.textureFormats = {kA1R5G5B5, kX1R5G5B5, kR5G6B5};
    }
    const DDSURFACEDESC2& Created() { return ddraw.created.back(); }
};

TEST_F(TextureFixture, TakesTheFirstSixteenBitFormatWithoutAlpha) {
    ASSERT_NE(nullptr, engine.CreateTextureSurface(256, 128));
    EXPECT_EQ(0x7C00u, Created().ddpfPixelFormat.dwRBitMask);
    EXPECT_EQ(0u, Created().ddpfPixelFormat.dwFlags & DDPF_ALPHAPIXELS);
    EXPECT_EQ(256u, Created().dwWidth);
    EXPECT_EQ(128u, Created().dwHeight);
    EXPECT_EQ(0x1007u, Created().dwFlags);

    // Luminance, bump and compressed formats are passed over as well.
    world.textureFormats = {WithFlags(kR5G6B5, DDPF_LUMINANCE), WithFlags(kR5G6B5, DDPF_BUMPDUDV),
                            WithFlags(kR5G6B5, DDPF_BUMPLUMINANCE), WithFlags(kR5G6B5, DDPF_FOURCC, 0x31545844),
                            kR5G6B5};
    ASSERT_NE(nullptr, engine.CreateTextureSurface(8, 8));
    EXPECT_EQ(kR5G6B5.dwFlags, Created().ddpfPixelFormat.dwFlags);
    EXPECT_EQ(0xF800u, Created().ddpfPixelFormat.dwRBitMask);
}

TEST_F(TextureFixture, NoUsableFormatMeansNoSurface) {
    for (auto formats : {std::vector<DDPIXELFORMAT>{kX8R8G8B8}, std::vector<DDPIXELFORMAT>{kA1R5G5B5, kA4R4G4B4},
                         std::vector<DDPIXELFORMAT>{}}) {
        world.textureFormats = formats;
        EXPECT_EQ(nullptr, engine.CreateTextureSurface(32, 32));
    }
    EXPECT_TRUE(ddraw.created.empty());
}

TEST_F(TextureFixture, HardwareTexturesAreManagedSoftwareOnesInSystemMemory) {
    struct Case { GUID id; DWORD caps; DWORD caps2; };
    for (const Case& c : {Case{kHal, 0x1000, 0x10}, Case{kTnLHal, 0x1000, 0x10}, Case{kRgb, 0x1800, 0}}) {
        device.deviceGuid = c.id;
        ASSERT_NE(nullptr, engine.CreateTextureSurface(16, 16));
        EXPECT_EQ(c.caps, Created().ddsCaps.dwCaps);
        EXPECT_EQ(c.caps2, Created().ddsCaps.dwCaps2);
    }
    world.FailCall("Dev.GetCaps");
    EXPECT_EQ(nullptr, engine.CreateTextureSurface(16, 16));
    world.failures.clear();
    world.FailCall("DD.CreateSurface");
    EXPECT_EQ(nullptr, engine.CreateTextureSurface(16, 16));
}

struct ModelTextureFixture : TextureFixture {
    ModelData model;
    void SetUp() override {
        TextureFixture::SetUp();
        testsupport::WriteBitmap("tex_wide.bmp", 64, 32);
        testsupport::WriteBitmap("tex_big.bmp", 256, 256, 0x00FF00);
    }
    void TearDown() override { FreeModelData(&model); }
    void Load(std::vector<std::string> names) {
        std::vector<testsupport::ObjectDesc> objects;
        for (auto& n : names) {
            testsupport::ObjectDesc o = testsupport::Grid(1, 0, 1, 0, 1);
            o.textureName = n;
            objects.push_back(o);
        }
        ASSERT_TRUE(testsupport::LoadModel(&model, objects));
    }
};

TEST_F(ModelTextureFixture, EveryNamedObjectGetsATextureOfItsBitmapsSize) {
    Load({"tex_wide.bmp", "", "tex_big.bmp"});
    ASSERT_EQ(1, engine.LoadModelTextures(model));
    ASSERT_EQ(2u, ddraw.created.size());
    // A second object's bitmap is not size-checked: a non-square one is fine.
    EXPECT_EQ(64u, ddraw.created[0].dwWidth);
    EXPECT_EQ(32u, ddraw.created[0].dwHeight);
    EXPECT_EQ(256u, ddraw.created[1].dwWidth);
    EXPECT_NE(nullptr, model.objects[0].texture);
    EXPECT_EQ(nullptr, model.objects[1].texture);
    EXPECT_NE(nullptr, model.objects[2].texture);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(1, model.objects[i].resolved);
    // Each texture is filled through its device context and given it back.
    EXPECT_EQ(Log({"texture.GetDC", "texture.ReleaseDC", "texture.GetDC", "texture.ReleaseDC"}),
              world.Calls("texture."));

    world.log.clear();
    FreeModelData(&model);
    EXPECT_EQ(Log({"texture.Release", "texture.Release"}), world.log);
}

TEST_F(ModelTextureFixture, FirstFailureStopsAndOnlyResolvedObjectsKeepTextures) {
    Load({"tex_big.bmp", "tex_missing.bmp", "tex_wide.bmp"});
    EXPECT_EQ(0, engine.LoadModelTextures(model));
    EXPECT_EQ(1, model.objects[0].resolved);
    EXPECT_EQ(0, model.objects[1].resolved);
    EXPECT_EQ(0, model.objects[2].resolved);
    EXPECT_EQ(1u, ddraw.created.size());
    world.log.clear();
    FreeModelData(&model);
    EXPECT_EQ(Log({"texture.Release"}), world.log);
}

TEST_F(ModelTextureFixture, TextureThatCannotBeFilledIsReleasedAtOnce) {
    Load({"tex_big.bmp"});
    world.FailCall("texture.GetDC");
    EXPECT_EQ(0, engine.LoadModelTextures(model));
    EXPECT_EQ(1, world.releases["texture"]);
    EXPECT_EQ(0, model.objects[0].resolved);
    EXPECT_EQ(nullptr, model.objects[0].texture);
}

}  // namespace
