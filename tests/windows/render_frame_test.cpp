// Per-frame rendering against recording doubles: the clear, the per-object
// state order of the draw, and the copy rectangles of each display mode.
#include <gtest/gtest.h>

#include <new>

#include "anim/frame.h"
#include "doubles/dx_doubles.h"
#include "doubles/test_support.h"
#include "engine/render_engine.h"

using dx::DxWorld;
using dx::FakeDirectDraw;
using Log = std::vector<std::string>;

namespace {

struct RenderFixture : ::testing::Test {
    DxWorld world;
    FakeDirectDraw ddraw{&world};
    CRenderEngine engine;
    HWND window = nullptr;

    void SetUp() override {
        world.zFormats = {dx::ZFormat(DDPF_ZBUFFER, 16)};
        engine.ddraw = &ddraw;
        EngineInitParams display{nullptr, nullptr, 1, 0, 640, 480, 16};
        DeviceInitParams device{1};
        ASSERT_EQ(1, engine.InitDisplay(display));
        ASSERT_EQ(1, engine.InitDevice(device));
        world.log.clear();
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }
    void UseWindow(int x, int y, int w, int h) {
        window = testsupport::MakeWindow(x, y, w, h);
        engine.hwnd = window;
    }
    Log Copies() { return world.Calls("primary.Blt"); }
    static std::string Copy(int l, int t, int r, int b) {
        return dx::Fmt("primary.Blt(%d,%d,%d,%d from back 0,0,640,480 flags=01000000)", l, t, r, b);
    }
};

TEST_F(RenderFixture, ClearFillsBackBufferBlackAndDepthFar) {
    EXPECT_EQ(1, engine.ClearFrame());
    Log expected = {
        "back.Blt(0,0,640,480 from null 0,0,640,480 flags=01000400 fill=ff000000 size=" + std::to_string(sizeof(DDBLTFX)) + ")",
        "zbuffer.Blt(0,0,640,480 from null 0,0,640,480 flags=03000000 depth=0000ffff size=" + std::to_string(sizeof(DDBLTFX)) + ")",
    };
    EXPECT_EQ(expected, world.log);

    world.log.clear();
    engine.zBuffer = nullptr;   // the fixture's doubles own it
    engine.ClearFrame();
    EXPECT_EQ(Log({expected[0]}), world.log);
}

TEST_F(RenderFixture, PresentRectanglesOnA1024x768Screen) {
    UseWindow(0, 0, 1024, 768);
    RECT client;
    GetClientRect(window, &client);
    ASSERT_EQ(1024, client.right);
    ASSERT_EQ(768, client.bottom);
    POINT o = {0, 0};
    ClientToScreen(window, &o);

    EXPECT_EQ(1, PresentFrame(engine, 0));
    EXPECT_EQ(Log({"DD.WaitForVerticalBlank(1)", Copy(o.x + 192, o.y + 144, o.x + 832, o.y + 624)}), world.log);

    world.log.clear();
    EXPECT_EQ(1, PresentFrame(engine, 1));
    EXPECT_EQ(Log({"DD.WaitForVerticalBlank(1)", Copy(o.x, o.y, o.x + 1024, o.y + 768)}), world.log);

    world.log.clear();
    EXPECT_EQ(1, PresentFrame(engine, 2));
    Log tiled = {"DD.WaitForVerticalBlank(1)", "DD.WaitForVerticalBlank(1)",
                 Copy(o.x, o.y, o.x + 640, o.y + 480), Copy(o.x + 640, o.y, o.x + 1280, o.y + 480),
                 Copy(o.x, o.y + 480, o.x + 640, o.y + 960), Copy(o.x + 640, o.y + 480, o.x + 1280, o.y + 960)};
    EXPECT_EQ(tiled, world.log);

    // Any other mode renders but shows nothing.
    for (int mode : {3, -1}) {
        world.log.clear();
        EXPECT_EQ(1, PresentFrame(engine, mode));
        EXPECT_EQ(Log({"DD.WaitForVerticalBlank(1)"}), world.log);
    }
}

// The primary surface is addressed in screen coordinates: a window that does
// not start at the screen's origin (a desktop reaching left of or above the
// primary monitor puts it at negative coordinates) gets its picture where
// the window is.
TEST_F(RenderFixture, PresentFollowsTheWindowsScreenPosition) {
    UseWindow(100, 50, 800, 600);
    POINT o = {0, 0};
    ClientToScreen(window, &o);
    ASSERT_EQ(100, o.x);
    ASSERT_EQ(50, o.y);
    PresentFrame(engine, 0);
    PresentFrame(engine, 1);
    PresentFrame(engine, 2);
    Log expected = {Copy(180, 110, 820, 590), Copy(100, 50, 900, 650),
                    Copy(100, 50, 740, 530),  Copy(740, 50, 1380, 530),
                    Copy(100, 530, 740, 1010), Copy(740, 530, 1380, 1010)};
    EXPECT_EQ(expected, Copies());
}

TEST_F(RenderFixture, CentredPictureOnAnOddWidthTruncatesTheCentre) {
    UseWindow(0, 0, 641, 480);
    PresentFrame(engine, 0);
    EXPECT_EQ(Log({Copy(0, 0, 640, 480)}), Copies());
}

TEST_F(RenderFixture, FailedCopyReportsFailureAndSkipsTheRemainingTiles) {
    UseWindow(0, 0, 1024, 768);
    world.FailCall("primary.Blt", 2);
    EXPECT_EQ(0, PresentFrame(engine, 2));
    EXPECT_EQ(2u, Copies().size());
    world.FailCall("primary.Blt", 0);
    EXPECT_EQ(0, PresentFrame(engine, 0));
    EXPECT_EQ(0, PresentFrame(engine, 1));
}

TEST_F(RenderFixture, DrawSetsEachObjectsStateThenDrawsListsFansOrNothing) {
    testsupport::ObjectDesc list, fans, line;
    list.vertsPerPolygon = 3;
    list.polygonCount = 10;
    list.vertices.resize(30);
    list.shadeMode = 2;
    list.alphaBlend = 1;
    list.srcBlend = 5;
    list.destBlend = 6;
    fans.vertsPerPolygon = 4;
    fans.polygonCount = 10;
    fans.vertices.resize(40);
    line.vertsPerPolygon = 2;
    line.polygonCount = 3;
    line.vertices.resize(6);
    ModelData model;
    ASSERT_TRUE(testsupport::LoadModel(&model, {list, fans, line}));
    ASSERT_EQ(3, model.objectCount);
    for (int i = 0; i < 3; ++i) ResolveModelObject(&model, i, nullptr);

    EXPECT_EQ(1, engine.DrawModel(model));
    auto vertexPtr = [&](int object, int first) {
        return dx::Fmt("%p", (void*)(model.objects[object].vertices + first));
    };
    auto materialPtr = [&](int object) { return dx::Fmt("%p", (void*)&model.objects[object].record->material); };
    Log expected = {"Dev.BeginScene",
                    "Dev.SetRenderState(9,2)", "Dev.SetRenderState(27,1)", "Dev.SetRenderState(19,5)",
                    "Dev.SetRenderState(20,6)", "Dev.SetTexture(0,null)", "Dev.SetMaterial(" + materialPtr(0) + ")",
                    "Dev.DrawPrimitive(4,112," + vertexPtr(0, 0) + ",30,1)", "Dev.SetTexture(0,null)",
                    "Dev.SetRenderState(9,1)", "Dev.SetRenderState(27,0)", "Dev.SetRenderState(19,2)",
                    "Dev.SetRenderState(20,1)", "Dev.SetTexture(0,null)", "Dev.SetMaterial(" + materialPtr(1) + ")"};
    for (int p = 0; p < 10; ++p) expected.push_back("Dev.DrawPrimitive(6,112," + vertexPtr(1, p * 4) + ",4,1)");
    Log third = {"Dev.SetTexture(0,null)",
                 "Dev.SetRenderState(9,1)", "Dev.SetRenderState(27,0)", "Dev.SetRenderState(19,2)",
                 "Dev.SetRenderState(20,1)", "Dev.SetTexture(0,null)", "Dev.SetMaterial(" + materialPtr(2) + ")",
                 "Dev.SetTexture(0,null)", "Dev.EndScene"};
    expected.insert(expected.end(), third.begin(), third.end());
    EXPECT_EQ(expected, world.log);
    FreeModelData(&model);
}

TEST_F(RenderFixture, DrawOfAModelWithoutDrawableObjectsOnlyBeginsAndEnds) {
    ModelData model;
    ASSERT_TRUE(testsupport::LoadModel(&model, {}));
    engine.DrawModel(model);
    EXPECT_EQ(Log({"Dev.BeginScene", "Dev.EndScene"}), world.log);
    FreeModelData(&model);
}

}  // namespace

#include "anim/animation.h"

namespace {

// The device half of a tick on the program's engine and model: view before
// world, then clear, draw and the copy to the screen, in this order.
TEST(FrameStepDevice, SetsViewThenWorldThenClearsDrawsAndPresents) {
    DxWorld world;
    world.zFormats = {dx::ZFormat(DDPF_ZBUFFER, 16)};
    FakeDirectDraw ddraw{&world};
    HWND window = testsupport::MakeWindow(0, 0, 1024, 768);
    g_Engine.ddraw = &ddraw;
    EngineInitParams display{nullptr, window, 1, 0, 640, 480, 16};
    DeviceInitParams device{1};
    ASSERT_EQ(1, g_Engine.InitDisplay(display));
    ASSERT_EQ(1, g_Engine.InitDevice(device));
    ModelData saved = g_Model;
    ASSERT_TRUE(testsupport::LoadModel(&g_Model, {testsupport::Grid(1, -1, 1, -1, 1)}));
    ResolveModelObject(&g_Model, 0, nullptr);
    ASSERT_TRUE(SaveModelSnapshot(&g_Model));
    AnimationState animation = CurrentAnimation;
    CurrentAnimation = AnimationState{};
    world.log.clear();

    EXPECT_EQ(1, FrameStep(3, 1));
    std::vector<std::string> order;
    for (auto& e : world.log)
        if (e.rfind("Dev.SetTransform", 0) == 0 || e.rfind("Dev.BeginScene", 0) == 0 ||
            e.rfind("Dev.EndScene", 0) == 0 || e.find(".Blt") != std::string::npos ||
            e.rfind("DD.Wait", 0) == 0)
            order.push_back(e.substr(0, e.find(" from")));
    Log expected = {"Dev.SetTransform(2)", "Dev.SetTransform(1)", "back.Blt(0,0,640,480",
                    "zbuffer.Blt(0,0,640,480", "Dev.BeginScene", "Dev.EndScene",
                    "DD.WaitForVerticalBlank(1)", "primary.Blt(0,0,1024,768"};
    EXPECT_EQ(expected, order);

    // A copy that fails for another reason restores nothing.
    world.failures.clear();
    world.FailCall("primary.Blt");
    EXPECT_EQ(0, FrameStep(3, 1));
    EXPECT_EQ(Log{}, world.Calls("DD.RestoreAllSurfaces"));

    // Surfaces lost (another program changed the display mode) are restored
    // after the failed copy, and the next tick is drawn and shown again.
    world.failures.clear();
    world.FailCall("primary.Blt", 0, DDERR_SURFACELOST);
    world.FailCall("primary.IsLost", 0, DDERR_SURFACELOST);
    EXPECT_EQ(0, FrameStep(3, 1));
    EXPECT_EQ(Log{"DD.RestoreAllSurfaces"}, world.Calls("DD.RestoreAllSurfaces"));
    world.failures.clear();
    world.log.clear();
    EXPECT_EQ(1, FrameStep(3, 1));
    EXPECT_EQ(1u, world.Calls("primary.Blt").size());
    EXPECT_EQ(Log{}, world.Calls("DD.RestoreAllSurfaces"));

    FreeModelData(&g_Model);
    g_Model = saved;
    CurrentAnimation = animation;
    // The doubles go out of scope before the program's engine.
    g_Engine.~CRenderEngine();
    new (&g_Engine) CRenderEngine();
    DestroyWindow(window);
}

}  // namespace
