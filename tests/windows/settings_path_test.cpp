// The settings' whole way: chosen in the dialog, kept in morvella.ini, read
// by the saver's own start-up, and applied to the device choice and the
// scene. Every colour channel gets a value of its own, so a swapped row of
// the dialog, a swapped key of the file or a swapped channel of the scene
// shows in the result.
#include <windows.h>

#include <gtest/gtest.h>

#include "assets/scene.h"
#include "config/settings_dialog.h"
#include "doubles/dx_doubles.h"
#include "doubles/test_support.h"
#include "engine/render_engine.h"
#include "framework/modes.h"
#include "resources/dialog_ids.h"
#include "resources/resource.h"
#include "saver/saver_proc.h"
#include "saver/saver_state.h"
#include "tests/windows/saver_driver.h"

namespace {

void ChooseInTheDialogAndPressOk()
{
    HWND dialog = CreateDialogParamW(ModuleInstance, MAKEINTRESOURCEW(IDD_SETTINGS), NULL,
                                     ScreenSaverConfigureDialog, 0);
    ASSERT_TRUE(dialog != NULL);
    ShowWindow(dialog, SW_SHOW);
    const struct {
        int bar, value;
    } choices[] = {{IDC_RED, 10}, {IDC_GREEN, 20}, {IDC_BLUE, 30},
                   {IDC_LIGHT_RED, 40}, {IDC_LIGHT_GREEN, 50}, {IDC_LIGHT_BLUE, 60}};
    for (const auto& c : choices)  // dragged and let go, as by the mouse
        SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, c.value),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, c.bar)));
    SendMessageW(GetDlgItem(dialog, IDC_RGBDEVICE), BM_CLICK, 0, 0);
    SetDlgItemTextA(dialog, IDC_BITMAP, "path_ok.bmp");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    DestroyWindow(dialog);
}

TEST(SettingsPath, ColoursAndTheSoftwareDeviceGoFromTheDialogToTheDeviceAndTheScene)
{
    ModuleInstance = GetModuleHandleW(NULL);
    RemoveIni();
    ChooseInTheDialogAndPressOk();

    // The saver's start-up against recording doubles. They live until the
    // process ends, where the engine releases what it holds.
    dx::DxWorld* world = new dx::DxWorld;
    world->zFormats = {dx::ZFormat(DDPF_ZBUFFER, 16)};
    g_Engine.ddraw = new dx::FakeDirectDraw(world);
    HWND window = CreateWindowExA(0, "STATIC", "saver", WS_POPUP, 0, 0, 640, 480, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(window != NULL);
    ScreenSaverProc(window, WM_CREATE, 0, 0);
    RemoveIni();
    EXPECT_EQ(std::vector<std::string>({"D3D.CreateDevice(RGB,back)"}), world->Calls("D3D.CreateDevice"))
        << "the software device box was ticked";
    ASSERT_TRUE(g_Engine.device != nullptr);

    // What start-up read, applied to a model of our own.
    testsupport::WriteBitmap("path_ok.bmp", 32, 32);
    ModelData model;
    ClearModelData(&model);
    ASSERT_TRUE(testsupport::LoadModel(&model, {testsupport::Grid(1, -1.0f, 1.0f, -1.0f, 1.0f)}));
    ASSERT_TRUE(SetupScene(&model, CurrentSettings));
    const ModelColor& c = ModelFirstRecord(&model)->material.diffuse;
    EXPECT_FLOAT_EQ(c.r, 10 / 255.0f);
    EXPECT_FLOAT_EQ(c.g, 20 / 255.0f);
    EXPECT_FLOAT_EQ(c.b, 30 / 255.0f);
    const dx::FakeDevice* device = static_cast<dx::FakeDevice*>(g_Engine.device);
    ASSERT_FALSE(device->lights.empty());
    const D3DLIGHT7& light = device->lights.back();  // the scene's, after the device's default one
    for (const D3DCOLORVALUE* l : {&light.dcvDiffuse, &light.dcvSpecular, &light.dcvAmbient}) {
        EXPECT_FLOAT_EQ(l->r, 40 / 255.0f);
        EXPECT_FLOAT_EQ(l->g, 50 / 255.0f);
        EXPECT_FLOAT_EQ(l->b, 60 / 255.0f);
    }
    FreeModelData(&model);
    DestroyWindow(window);
}

}  // namespace
