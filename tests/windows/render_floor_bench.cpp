// The floor for the saver's frame-rate benchmark (scripts/bench-saver.sh):
// the least a frame can cost on this renderer. It clears, draws the default
// model's mesh as one triangle list with its texture and one white light,
// and presents, paced by the same kind of window timer, with no animation.
// Disabled in normal test runs; the benchmark runs it with
//   --gtest_also_run_disabled_tests --gtest_filter=RenderBench.DISABLED_Floor
// and MORVELLA_FLOOR="speed display seconds".
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "doubles/test_support.h"
#include "engine/matrix.h"
#include "engine/render_engine.h"

namespace {

ULONGLONG CpuTime() {
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    return ((ULONGLONG)k.dwHighDateTime << 32 | k.dwLowDateTime) + ((ULONGLONG)u.dwHighDateTime << 32 | u.dwLowDateTime);
}

TEST(RenderBench, DISABLED_Floor) {
    int speed = 10, display = 0, seconds = 8;
    if (const char* setup = getenv("MORVELLA_FLOOR")) sscanf(setup, "%d %d %d", &speed, &display, &seconds);

    HWND window = testsupport::MakeWindow(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), true);
    CRenderEngine engine;
    EngineInitParams params{nullptr, window, 1, 0, 640, 480, 16};
    DeviceInitParams device{0};
    ASSERT_EQ(1, engine.InitDisplay(params));
    ASSERT_EQ(1, engine.InitDevice(device));
    ModelData model{};
    ClearModelData(&model);
    ASSERT_TRUE(LoadModelFile(&model, (std::string(MORVELLA_DIST_WIN) + "\\morvella.dat").c_str()));
    ASSERT_EQ(1, engine.LoadModelTextures(model));
    const ModelObjectRef& mesh = model.objects[0];

    D3DLIGHT7 light{};
    light.dltType = D3DLIGHT_DIRECTIONAL;
    light.dcvDiffuse = light.dcvSpecular = light.dcvAmbient = {1, 1, 1, 0};
    light.dvDirection.y = -1;
    light.dvRange = 1e19f;
    engine.device->SetLight(0, &light);
    engine.device->LightEnable(0, TRUE);
    Matrix4 view, world;
    MatrixView(&view, 1.57079632675, 0, 0, 0, 50, 0);
    MatrixIdentity(&world);
    engine.device->SetTransform(D3DTRANSFORMSTATE_VIEW, (D3DMATRIX*)&view);
    engine.device->SetTransform(D3DTRANSFORMSTATE_WORLD, (D3DMATRIX*)&world);

    RECT client, picture = {0, 0, 640, 480};
    GetClientRect(window, &client);
    SetTimer(window, 1, speed, nullptr);
    DWORD frames = 0, end = GetTickCount() + seconds * 1000;
    ULONGLONG firstCpu = 0;
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    MSG msg;
    while (GetTickCount() < end && GetMessageA(&msg, nullptr, 0, 0)) {
        if (msg.message != WM_TIMER) {
            DispatchMessageA(&msg);
            continue;
        }
        if (frames == 0) {
            QueryPerformanceCounter(&start);
            firstCpu = CpuTime();
        }
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        engine.backBuffer->Blt(&picture, nullptr, &picture, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        fx.dwFillDepth = 0xFFFF;
        engine.zBuffer->Blt(&picture, nullptr, &picture, DDBLT_DEPTHFILL | DDBLT_WAIT, &fx);
        engine.device->BeginScene();
        engine.device->SetTexture(0, (IDirectDrawSurface7*)mesh.texture);
        engine.device->SetMaterial((D3DMATERIAL7*)&mesh.record->material);
        engine.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, mesh.vertices, mesh.vertexCount, D3DDP_WAIT);
        engine.device->EndScene();
        engine.ddraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        if (display == 0) {
            RECT d = {client.right / 2 - 320, client.bottom / 2 - 240, client.right / 2 + 320, client.bottom / 2 + 240};
            engine.primary->Blt(&d, engine.backBuffer, &picture, DDBLT_WAIT, nullptr);
        } else if (display == 1) {
            engine.primary->Blt(&client, engine.backBuffer, &picture, DDBLT_WAIT, nullptr);
        } else {
            engine.ddraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
            for (LONG y = 0; y < client.bottom; y += 480)
                for (LONG x = 0; x < client.right; x += 640) {
                    RECT d = {x, y, x + 640, y + 480};
                    engine.primary->Blt(&d, engine.backBuffer, &picture, DDBLT_WAIT, nullptr);
                }
        }
        ++frames;
    }
    QueryPerformanceCounter(&now);
    ASSERT_GT(frames, 1u);
    double wall = double(now.QuadPart - start.QuadPart) / frequency.QuadPart;
    double cpuMs = double(CpuTime() - firstCpu) / 10000.0 / frames;
    printf("floor frames=%lu fps=%.2f cpu_ms_per_frame=%.2f\n", frames, (frames - 1) / wall, cpuMs);
    FreeModelData(&model);
    DestroyWindow(window);
}

}  // namespace
