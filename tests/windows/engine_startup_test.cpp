// Start-up of the render engine against recording doubles: the order of the
// DirectX calls, each failure stopping exactly where it happens, the
// hardware-to-software fall-back and the teardown order.
#include <gtest/gtest.h>

#include <new>

#include "doubles/dx_doubles.h"
#include "engine/render_engine.h"

using dx::DxWorld;
using dx::FakeDirectDraw;
using Log = std::vector<std::string>;

namespace {

struct EngineFixture : ::testing::Test {
    DxWorld world;
    FakeDirectDraw ddraw{&world};
    // Declared after the doubles so that its teardown runs while they exist.
    CRenderEngine engine;
    EngineInitParams display{nullptr, nullptr, 1, 0, 640, 480, 16};
    DeviceInitParams device{0};

    void SetUp() override {
        engine.ddraw = &ddraw;
        world.zFormats = {dx::ZFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 16), dx::ZFormat(DDPF_ZBUFFER, 24),
                          dx::ZFormat(DDPF_ZBUFFER, 16)};
    }
    Log DisplayCalls() {
        Log out;
        for (auto& e : world.log)
            if (e.find(".Release") == std::string::npos) out.push_back(e);
        return out;
    }
};

const Log kWindowedDisplay = {
    "DD.SetCooperativeLevel(8)",
    "DD.CreateSurface(flags=1 caps=200 caps2=0 0x0)",
    "DD.CreateSurface(flags=7 caps=2040 caps2=0 640x480)",
    "DD.CreateClipper(0)",
    "Clipper.SetHWnd(0)",
    "primary.SetClipper",
};

TEST_F(EngineFixture, WindowedDisplayMakesPrimaryBackBufferAndClipperInOrder) {
    display.driverName = "somewhere";
    ASSERT_EQ(1, engine.InitDisplay(display));
    EXPECT_EQ(kWindowedDisplay, DisplayCalls());
    // A DirectDraw object that already exists is reused and the caller's
    // driver name is left alone.
    EXPECT_STREQ("somewhere", display.driverName);
    EXPECT_EQ(&ddraw, engine.ddraw);
    EXPECT_EQ(640, engine.width);
    EXPECT_EQ(480, engine.height);
}

TEST_F(EngineFixture, ExclusiveDisplayChangesModeAndTakesTheFlippingBackBuffer) {
    display.windowed = 0;
    ASSERT_EQ(1, engine.InitDisplay(display));
    Log expected = {
        "DD.SetCooperativeLevel(51)",
        "DD.SetDisplayMode(640,480,16,0,0)",
        "DD.CreateSurface(flags=21 caps=2218 caps2=0 0x0)",
        "primary.GetAttachedSurface(4)",
        "DD.CreateClipper(0)",
        "Clipper.SetHWnd(0)",
        "primary.SetClipper",
    };
    EXPECT_EQ(expected, DisplayCalls());
    EXPECT_EQ(1u, ddraw.created[0].dwBackBufferCount);
}

// Each failing call of the windowed display set-up ends it there: the result
// is 0, nothing after it runs and nothing made before it is released.
TEST_F(EngineFixture, EveryDisplayFailureStopsAtItsStepAndKeepsWhatWasMade) {
    struct Case { const char* method; int occurrence; size_t callsMade; };
    const Case cases[] = {
        {"DD.SetCooperativeLevel", 0, 1}, {"DD.CreateSurface", 1, 2}, {"DD.CreateSurface", 2, 3},
        {"DD.CreateClipper", 0, 4},       {"Clipper.SetHWnd", 0, 5},  {"primary.SetClipper", 0, 6},
    };
    for (const Case& c : cases) {
        DxWorld w;
        FakeDirectDraw dd{&w};
        {
            CRenderEngine e;
            e.ddraw = &dd;
            w.FailCall(c.method, c.occurrence);
            EngineInitParams p{nullptr, nullptr, 1, 0, 640, 480, 16};
            EXPECT_EQ(0, e.InitDisplay(p)) << c.method;
            ASSERT_EQ(c.callsMade, w.log.size()) << c.method;
            EXPECT_EQ(Log(kWindowedDisplay.begin(), kWindowedDisplay.begin() + c.callsMade), w.log) << c.method;
            EXPECT_EQ(c.callsMade > 2, e.primary != nullptr) << c.method;
            EXPECT_EQ(c.callsMade > 3, e.backBuffer != nullptr) << c.method;
            EXPECT_EQ(c.callsMade > 4, e.clipper != nullptr) << c.method;
        }
    }
}

TEST_F(EngineFixture, TeardownReleasesDeviceFirstAndDirectDrawLast) {
    ASSERT_EQ(1, engine.InitDisplay(display));
    ASSERT_EQ(1, engine.InitDevice(device));
    world.log.clear();
    engine.~CRenderEngine();
    Log expected = {"device.Release", "back.Release", "primary.Release", "zbuffer.Release",
                    "clipper.Release", "d3d.Release", "ddraw.Release"};
    EXPECT_EQ(expected, world.log);
    new (&engine) CRenderEngine();   // the fixture destroys it once more
}

TEST_F(EngineFixture, TeardownOfAnUnusedEngineReleasesNothing) {
    engine.ddraw = nullptr;
    engine.~CRenderEngine();
    EXPECT_TRUE(world.log.empty());
    new (&engine) CRenderEngine();
}

TEST_F(EngineFixture, VersionTextsAreConstantAndAvailableBeforeSetUp) {
    const char *version = nullptr, *date = nullptr, *time = nullptr;
    EXPECT_EQ(1, engine.GetLibVersion(version, date, time));
    EXPECT_STREQ("1.01", version);
    EXPECT_STREQ("Jun  4 2000", date);
    EXPECT_STREQ("23:03:03", time);
    EXPECT_STREQ("CRenderEngine", engine.name);
}

const Log kDefaultState = {
    "Dev.SetRenderState(7,0)",   "Dev.SetRenderState(14,0)", "Dev.SetRenderState(9,1)",
    "Dev.SetRenderState(22,3)",  "Dev.SetRenderState(26,0)", "Dev.SetRenderState(4,1)",
    "Dev.SetRenderState(139,ff7f7f7f)", "Dev.SetRenderState(7,1)", "Dev.SetRenderState(14,1)",
    "Dev.SetTextureStageState(0,16,2)", "Dev.SetTransform(3)", "Dev.SetTransform(1)",
    "Dev.SetTransform(2)", "Dev.SetMaterial", "Dev.SetLight(0)", "Dev.LightEnable(0,1)",
};

Log WithoutPointers(Log log) {
    for (auto& e : log)
        if (e.compare(0, 15, "Dev.SetMaterial") == 0) e = "Dev.SetMaterial";
    return log;
}

TEST_F(EngineFixture, HardwareDeviceGetsVideoMemoryZBufferViewportClearAndDefaultState) {
    ASSERT_EQ(1, engine.InitDisplay(display));
    world.log.clear();
    ASSERT_EQ(1, engine.InitDevice(device));
    Log expected = {
        "DD.QueryInterface",
        "D3D.EnumZBufferFormats(HAL)",
        "DD.CreateSurface(flags=1007 caps=24000 caps2=0 640x480)",
        "back.AddAttachedSurface(zbuffer)",
        "D3D.CreateDevice(HAL,back)",
        "Dev.SetViewport(0,0,640,480,0,1)",
        "Dev.Clear(1,0,0,639,479,1,000000ff,0,0)",
    };
    expected.insert(expected.end(), kDefaultState.begin(), kDefaultState.end());
    EXPECT_EQ(expected, WithoutPointers(world.log));
    EXPECT_STREQ("HAL", engine.deviceName);
    // The plain 16-bit format is taken, not the one with stencil bits.
    EXPECT_EQ(DDPF_ZBUFFER, ddraw.created.back().ddpfPixelFormat.dwFlags);
    EXPECT_EQ(16u, ddraw.created.back().ddpfPixelFormat.dwZBufferBitDepth);

    auto* dev = ddraw.d3d.devices.at(0).get();
    // Projection of a square 0.5 window at distance 1, far plane 1000.
    const D3DMATRIX& proj = dev->transforms.at(0);
    EXPECT_FLOAT_EQ(2.0f, proj._11);
    EXPECT_FLOAT_EQ(2.0f, proj._22);
    EXPECT_FLOAT_EQ(0.5005005f, proj._33);
    EXPECT_FLOAT_EQ(0.5f, proj._34);
    EXPECT_FLOAT_EQ(-0.5005005f, proj._43);
    EXPECT_FLOAT_EQ(0.0f, proj._44);
    for (int t = 1; t <= 2; ++t) {
        const D3DMATRIX& m = dev->transforms.at(t);
        EXPECT_EQ(1.0f, m._11);
        EXPECT_EQ(1.0f, m._44);
        EXPECT_EQ(0.0f, m._41);
    }
    const D3DMATERIAL7& mat = dev->materials.at(0);
    EXPECT_EQ(1.0f, mat.diffuse.b);
    EXPECT_EQ(0.0f, mat.diffuse.r);
    EXPECT_EQ(0.0f, mat.emissive.b);
    EXPECT_EQ(40.0f, mat.power);
    const D3DLIGHT7& light = dev->lights.at(0);
    EXPECT_EQ(D3DLIGHT_DIRECTIONAL, light.dltType);
    EXPECT_EQ(0.5f, light.dcvAmbient.g);
    EXPECT_EQ(-1.0f, light.dvPosition.y);
    EXPECT_EQ(1.0f, light.dvDirection.x);
    EXPECT_FLOAT_EQ(1.8446743e19f, light.dvRange);
    EXPECT_EQ(1.0f, light.dvAttenuation1);
}

TEST_F(EngineFixture, FailedHardwareDeviceFallsBackToSoftwareWithSystemMemoryZBuffer) {
    world.halDeviceWorks = false;
    ASSERT_EQ(1, engine.InitDisplay(display));
    world.log.clear();
    ASSERT_EQ(1, engine.InitDevice(device));
    Log expected = {
        "DD.QueryInterface",
        "D3D.EnumZBufferFormats(HAL)",
        "DD.CreateSurface(flags=1007 caps=24000 caps2=0 640x480)",
        "back.AddAttachedSurface(zbuffer)",
        "D3D.CreateDevice(HAL,back)",
        "back.DeleteAttachedSurface(0,zbuffer)",
        "zbuffer.Release",
        "D3D.EnumZBufferFormats(RGB)",
        "DD.CreateSurface(flags=1007 caps=20800 caps2=0 640x480)",
        "back.AddAttachedSurface(zbuffer)",
        "D3D.CreateDevice(RGB,back)",
    };
    Log head(world.log.begin(), world.log.begin() + expected.size());
    EXPECT_EQ(expected, head);
    EXPECT_STREQ("RGB", engine.deviceName);
    EXPECT_NE(nullptr, engine.zBuffer);
}

TEST_F(EngineFixture, RgbSettingNeverTriesTheHardwareDevice) {
    device.useRGBDevice = 1;
    ASSERT_EQ(1, engine.InitDisplay(display));
    world.log.clear();
    ASSERT_EQ(1, engine.InitDevice(device));
    EXPECT_EQ(Log({"D3D.CreateDevice(RGB,back)"}), world.Calls("D3D.CreateDevice"));
    EXPECT_EQ(Log({"D3D.EnumZBufferFormats(RGB)"}), world.Calls("D3D.EnumZBufferFormats"));
    EXPECT_EQ(Log({"DD.CreateSurface(flags=1007 caps=20800 caps2=0 640x480)"}), world.Calls("DD.CreateSurface"));
    EXPECT_STREQ("RGB", engine.deviceName);
}

TEST_F(EngineFixture, WithoutAPlainSixteenBitDepthFormatNoDeviceIsTried) {
    world.zFormats = {dx::ZFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 16), dx::ZFormat(DDPF_ZBUFFER, 24),
                      dx::ZFormat(DDPF_ZBUFFER, 32)};
    for (int rgb = 0; rgb <= 1; ++rgb) {
        world.log.clear();
        engine.d3d = nullptr;
        device.useRGBDevice = rgb;
        engine.InitDisplay(display);
        world.log.clear();
        EXPECT_EQ(0, engine.InitDevice(device));
        EXPECT_TRUE(world.Calls("DD.CreateSurface").empty());
        EXPECT_TRUE(world.Calls("D3D.CreateDevice").empty());
        EXPECT_EQ(nullptr, engine.zBuffer);
    }
}

// Every failing step of the device set-up returns 0 and nothing runs after it.
TEST_F(EngineFixture, EveryDeviceFailureStopsAtItsStep) {
    const char* failing[] = {"DD.QueryInterface", "DD.CreateSurface", "back.AddAttachedSurface",
                             "Dev.SetViewport",   "Dev.SetMaterial",  "Dev.SetLight",
                             "Dev.LightEnable"};
    for (const char* method : failing) {
        DxWorld w;
        w.zFormats = {dx::ZFormat(DDPF_ZBUFFER, 16)};
        FakeDirectDraw dd{&w};
        {
            CRenderEngine e;
            e.ddraw = &dd;
            EngineInitParams p{nullptr, nullptr, 1, 0, 640, 480, 16};
            ASSERT_EQ(1, e.InitDisplay(p));
            w.log.clear();
            // Only the z-buffer's CreateSurface (the first one now) fails.
            w.FailCall(method, std::string(method) == "DD.CreateSurface" ? 3 : 0);
            DeviceInitParams d{1};
            EXPECT_EQ(0, e.InitDevice(d)) << method;
            ASSERT_FALSE(w.log.empty());
            EXPECT_EQ(0u, w.log.back().rfind(method, 0)) << method << " then " << w.log.back();
        }
    }
    // A software device that cannot be made is the end as well.
    DxWorld w;
    w.zFormats = {dx::ZFormat(DDPF_ZBUFFER, 16)};
    FakeDirectDraw dd{&w};
    CRenderEngine e;
    e.ddraw = &dd;
    EngineInitParams p{nullptr, nullptr, 1, 0, 640, 480, 16};
    e.InitDisplay(p);
    w.FailCall("D3D.CreateDevice");
    DeviceInitParams d{0};
    EXPECT_EQ(0, e.InitDevice(d));
    EXPECT_EQ(Log({"D3D.CreateDevice(HAL,back)", "D3D.CreateDevice(RGB,back)"}), w.Calls("D3D.CreateDevice"));
    EXPECT_EQ(nullptr, e.device);
}

}  // namespace
