// The engine against Wine's real DirectDraw and Direct3D: what the set-up
// leaves on the surfaces and the device, the texture made from a bitmap, and
// the pixels of a drawn frame.
#include <gtest/gtest.h>

#include "anim/frame.h"
#include "doubles/test_support.h"
#include "engine/matrix.h"
#include "engine/render_engine.h"

namespace {

HWND screenWindow = nullptr;

struct WineEngine : ::testing::Test {
    CRenderEngine engine;
    ModelData model{};

    static void SetUpTestSuite() { screenWindow = testsupport::MakeWindow(0, 0, 1024, 768, true); }
    static void TearDownTestSuite() { DestroyWindow(screenWindow); }
    void TearDown() override { FreeModelData(&model); }

    void Start(int rgb) {
        EngineInitParams display{nullptr, screenWindow, 1, 0, 640, 480, 16};
        DeviceInitParams device{rgb};
        ASSERT_EQ(1, engine.InitDisplay(display));
        ASSERT_EQ(1, engine.InitDevice(device));
    }
    DDSURFACEDESC2 Describe(IDirectDrawSurface7* s) {
        DDSURFACEDESC2 d{};
        d.dwSize = sizeof d;
        EXPECT_EQ(DD_OK, s->GetSurfaceDesc(&d));
        return d;
    }
    DWORD RenderState(D3DRENDERSTATETYPE state) {
        DWORD v = 0xDEADBEEF;
        engine.device->GetRenderState(state, &v);
        return v;
    }
    // The 16- or 32-bit pixel at (x, y) as 0xRRGGBB scaled to 8 bits a channel.
    uint32_t Pixel(IDirectDrawSurface7* s, int x, int y) {
        DDSURFACEDESC2 d{};
        d.dwSize = sizeof d;
        if (s->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return 0xFFFFFFFF;
        const unsigned char* row = (const unsigned char*)d.lpSurface + y * d.lPitch;
        uint32_t raw = d.ddpfPixelFormat.dwRGBBitCount == 16 ? ((const uint16_t*)row)[x] : ((const uint32_t*)row)[x];
        s->Unlock(nullptr);
        auto channel = [raw](DWORD mask) -> uint32_t {
            if (!mask) return 0;
            int shift = 0;
            while (!(mask & (1u << shift))) ++shift;
            return ((raw & mask) >> shift) * 255 / (mask >> shift);
        };
        const DDPIXELFORMAT& f = d.ddpfPixelFormat;
        return channel(f.dwRBitMask) << 16 | channel(f.dwGBitMask) << 8 | channel(f.dwBBitMask);
    }
};

TEST_F(WineEngine, HardwareSetUpLeavesSurfacesAndDefaultState) {
    Start(0);
    EXPECT_STREQ("HAL", engine.deviceName);
    DDSURFACEDESC2 back = Describe(engine.backBuffer);
    EXPECT_EQ(640u, back.dwWidth);
    EXPECT_EQ(480u, back.dwHeight);
    EXPECT_TRUE(back.ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN);
    EXPECT_TRUE(back.ddsCaps.dwCaps & DDSCAPS_3DDEVICE);
    // The picture takes the desktop's format.
    DDSURFACEDESC2 primary = Describe(engine.primary);
    EXPECT_EQ(primary.ddpfPixelFormat.dwRGBBitCount, back.ddpfPixelFormat.dwRGBBitCount);

    DDSCAPS2 zcaps{};
    zcaps.dwCaps = DDSCAPS_ZBUFFER;
    IDirectDrawSurface7* attached = nullptr;
    ASSERT_EQ(DD_OK, engine.backBuffer->GetAttachedSurface(&zcaps, &attached));
    EXPECT_EQ(engine.zBuffer, attached);
    attached->Release();
    DDSURFACEDESC2 z = Describe(engine.zBuffer);
    EXPECT_EQ(16u, z.ddpfPixelFormat.dwZBufferBitDepth);
    EXPECT_EQ(640u, z.dwWidth);

    D3DDEVICEDESC7 caps{};
    ASSERT_EQ(D3D_OK, engine.device->GetCaps(&caps));
    EXPECT_TRUE(IsEqualGUID(caps.deviceGUID, EngineIID_IDirect3DHALDevice) ||
                IsEqualGUID(caps.deviceGUID, EngineIID_IDirect3DTnLHalDevice))
        << std::hex << caps.deviceGUID.Data1;

    // The default state, projection, light and material the set-up gives the
    // device are pinned call by call against the recording device
    // (engine_startup_test.cpp), the projection's values by the matrix tests;
    // here only that a real device keeps what it was given.
    EXPECT_EQ(3u, RenderState(D3DRENDERSTATE_CULLMODE));
    EXPECT_EQ(0xFF7F7F7Fu, RenderState(D3DRENDERSTATE_AMBIENT));
    D3DMATRIX m{};
    engine.device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &m);
    EXPECT_FLOAT_EQ(0.5f, m._34);
    WINBOOL enabled = FALSE;
    engine.device->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);
}

TEST_F(WineEngine, SoftwareDeviceOnRequest) {
    Start(1);
    EXPECT_STREQ("RGB", engine.deviceName);
    // (Wine describes every device as the T&L HAL, so the device's own
    // description cannot tell which one was made.)
    EXPECT_TRUE(Describe(engine.zBuffer).ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
}

// A textured grid seen from above: the texture is 16-bit RGB without alpha
// and holds the bitmap's colour, the frame shows it in the middle of the
// picture and the copy puts it in the middle of the screen.
TEST_F(WineEngine, TexturedFrameReachesBackBufferAndScreen) {
    Start(0);
    testsupport::WriteBitmap("wine_red.bmp", 64, 64, 0xFF0000);
    testsupport::ObjectDesc grid = testsupport::Grid(8, -10.0f, 10.0f, -10.0f, 10.0f);
    grid.textureName = "wine_red.bmp";
    grid.material.diffuse = {1, 1, 1, 1};
    grid.material.ambient = {1, 1, 1, 1};
    for (auto& v : grid.vertices) {
        v.tu = (v.x + 10.0f) / 20.0f;
        v.tv = (v.z + 10.0f) / 20.0f;
    }
    ASSERT_TRUE(testsupport::LoadModel(&model, {grid}, "wine_grid.dat"));
    ASSERT_EQ(1, engine.LoadModelTextures(model));

    auto* texture = (IDirectDrawSurface7*)model.objects[0].texture;
    ASSERT_NE(nullptr, texture);
    DDSURFACEDESC2 t = Describe(texture);
    EXPECT_EQ(64u, t.dwWidth);
    EXPECT_EQ(64u, t.dwHeight);
    EXPECT_EQ(16u, t.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_EQ(0u, t.ddpfPixelFormat.dwFlags & DDPF_ALPHAPIXELS);
    EXPECT_EQ(0xFF0000u, Pixel(texture, 10, 10));

    Matrix4 view, world;
    MatrixView(&view, 1.57079632675, 0, 0, 0, 100.0f, 0);
    MatrixIdentity(&world);
    engine.device->SetTransform(D3DTRANSFORMSTATE_VIEW, (D3DMATRIX*)&view);
    engine.device->SetTransform(D3DTRANSFORMSTATE_WORLD, (D3DMATRIX*)&world);
    engine.ClearFrame();
    engine.DrawModel(model);
    uint32_t centre = Pixel(engine.backBuffer, 320, 240);
    EXPECT_GT((centre >> 16) & 0xFF, 0x40u) << std::hex << centre;
    EXPECT_LT(centre & 0xFF, 0x20u) << std::hex << centre;
    EXPECT_EQ(0u, Pixel(engine.backBuffer, 2, 2));   // cleared corner

    ASSERT_EQ(1, PresentFrame(engine, 0));
    // The copy reaches the X screen a little later.
    COLORREF shown = 0, outside = 0;
    for (int wait = 0; wait < 40 && GetRValue(shown) <= 0x40; ++wait) {
        Sleep(50);
        HDC screen = GetDC(nullptr);
        shown = GetPixel(screen, 512, 384);
        outside = GetPixel(screen, 100, 100);
        ReleaseDC(nullptr, screen);
    }
    EXPECT_GT(GetRValue(shown), 0x40) << std::hex << shown;
    EXPECT_EQ(0u, outside & 0xFFFFFF) << std::hex << outside;
}

}  // namespace
