#include <windows.h>
#include <stdlib.h>

#include "saver/saver_proc.h"
#include "saver/error_page.h"
#include "saver/error_page_text.h"
#include "saver/saver_state.h"
#include "saver/settings_store.h"
#include "framework/saver_window.h"
#include "anim/frame.h"
#include "assets/model_data.h"
#include "assets/scene.h"
#include "engine/matrix.h"
#include "engine/render_engine.h"
#include "platform/file_view.h"
#include "platform/paths.h"
#include "platform/text_step.h"

char SaverDirectory[256];
bool SaverDirectoryFits = true;
SaverSettings CurrentSettings;
uint32_t SaverErrorFlags;

static HDC WindowDC;
static RECT ClientRect;
static UINT_PTR AnimationTimer;

// The preview in Display Properties is a small child window: the animation
// is only started in a window at least this wide.
static const LONG kMinimumAnimationWidth = 640;

void FindSaverDirectory()
{
    // The path the saver was started by, as the runtime splits the command
    // line; the module's own file name when that is empty.
    char modulePath[MAX_PATH];
    const char* path = (__argc > 0 && __argv && __argv[0] && __argv[0][0]) ? __argv[0] : NULL;
    if (!path) {
        DWORD length = GetModuleFileNameA(NULL, modulePath, sizeof modulePath);
        modulePath[length < sizeof modulePath ? length : sizeof modulePath - 1] = 0;
        path = modulePath;
    }
    SaverDirectoryFits = ExtractDirectory(SaverDirectory, sizeof SaverDirectory, path, StepCharA);
    ChooseSaverFileView(path);
}

// Steps 1 to 5 of the start-up; returns false when the window is too narrow
// for the animation (the preview), which is not a failure.
static bool PrepareWindow(HWND window)
{
    FindSaverDirectory();
    WindowDC = GetDC(window);
    GetClientRect(window, &ClientRect);
    if (ClientRect.right < kMinimumAnimationWidth)
        return false;
    FillRect(WindowDC, &ClientRect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    LoadSettings(CurrentSettings);
    return true;
}

// Steps 6 to 13: the first failing step records its bit and ends the
// start-up; nothing set up before it is undone.
static void StartAnimation(HWND window)
{
    if (!PrepareWindow(window))
        return;

    EngineInitParams display = { NULL, window, 1, 0, 640, 480, 16 };
    if (!g_Engine.InitDisplay(display)) {
        SaverErrorFlags |= ErrDirectDraw;
        return;
    }
    DeviceInitParams device = { CurrentSettings.RGBDevice ? 1 : 0 };
    if (!g_Engine.InitDevice(device)) {
        SaverErrorFlags |= ErrDirect3D;
        return;
    }
    // A directory or model path too long for its buffer is a model-file
    // failure: a cut path would name some other file.
    // The view spans the model file's reading only: the scene set-up below
    // calls Direct3D, which may load libraries.
    char modelPath[kSaverPathChars];
    OpenSaverFileView();
    bool loaded = SaverDirectoryFits && JoinPath(modelPath, sizeof modelPath, SaverDirectory, kModelFileName)
        && LoadModelFile(&g_Model, modelPath);
    CloseSaverFileView();
    if (!loaded) {
        SaverErrorFlags |= ErrModelFile;
        return;
    }
    if (!SetupScene(&g_Model, CurrentSettings)) {
        // The scene set-up leaves its cause as the last-error value; should
        // anything have cleared it, the failure is still the bitmap's.
        DWORD cause = GetLastError();
        SaverErrorFlags |= cause ? cause : ErrBitmapFile;
        return;
    }
    if (!g_Engine.LoadModelTextures(g_Model)) {
        SaverErrorFlags |= ErrTextureLoad;
        return;
    }
    if (!SaveModelSnapshot(&g_Model)) {
        SaverErrorFlags |= ErrModelSnapshot;
        return;
    }
    Matrix4 projection;
    MatrixProjection(&projection, 0.5, 1.0, 1000.0);
    g_Engine.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, reinterpret_cast<D3DMATRIX*>(&projection));
    KillTimer(window, 1);
    AnimationTimer = SetTimer(window, 1, static_cast<UINT>(CurrentSettings.Speed), NULL);
}

extern "C" LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        StartAnimation(window);
        // The frames go to the monitors of the moment.
        [[fallthrough]];
    case WM_DISPLAYCHANGE:
        // A monitor came or went: the next frame goes to the new set. The
        // preview keeps to its own small window on whatever monitor it is.
        if (!PreviewMode)
            ReadMonitorList();
        break;
    case WM_DESTROY:
        if (AnimationTimer)
            KillTimer(window, AnimationTimer);
        ReleaseDC(window, WindowDC);
        // Nothing may be painted into the released context any more.
        WindowDC = NULL;
        break;
    case WM_SETCURSOR:
        SetCursor(NULL);
        break;
    case WM_TIMER:
        // Only the animation timer ticks here, and it exists only after a
        // complete start-up; any other WM_TIMER draws nothing.
        if (AnimationTimer)
            FrameStep(CurrentSettings.Animation, CurrentSettings.Display);
        break;
    }
    if (SaverErrorFlags && WindowDC)
        PaintErrorScreen(WindowDC, SaverErrorFlags, kModelFileName);
    LRESULT result = DefaultSaverProc(window, message, wParam, lParam);
    // The default handling of these two erases the window, page included;
    // drawn again at once, the page stays readable on a desktop where no
    // further message comes.
    if ((message == WM_PAINT || message == WM_ERASEBKGND) && SaverErrorFlags && WindowDC)
        PaintErrorScreen(WindowDC, SaverErrorFlags, kModelFileName);
    return result;
}
