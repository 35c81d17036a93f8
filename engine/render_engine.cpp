// The engine object, its teardown and the display surfaces.
#include <windows.h>
#include <ddraw.h>

#include "engine/render_engine.h"

#include <string.h>

const GUID EngineIID_IDirectDraw7 =
    {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
const GUID EngineIID_IDirect3D7 =
    {0xF5049E77, 0x4861, 0x11D2, {0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8}};
const GUID EngineIID_IDirect3DHALDevice =
    {0x84E63DE0, 0x46AA, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};
const GUID EngineIID_IDirect3DTnLHalDevice =
    {0xF5049E78, 0x4861, 0x11D2, {0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8}};
const GUID EngineIID_IDirect3DRGBDevice =
    {0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

CRenderEngine::CRenderEngine()
{
    // The one engine is a zero-initialised static; only the name and the
    // interface fields are set explicitly.
    memcpy(name, "CRenderEngine", sizeof "CRenderEngine");
    ddraw = 0;
    primary = 0;
    backBuffer = 0;
    zBuffer = 0;
    clipper = 0;
    d3d = 0;
    device = 0;
    deviceName = 0;
}

// Releases in dependency order: the device renders into the back buffer, the
// z-buffer hangs off the back buffer, and DirectDraw made all of them.
CRenderEngine::~CRenderEngine()
{
    if (device) { device->Release(); device = 0; }
    if (backBuffer) { backBuffer->Release(); backBuffer = 0; }
    if (primary) { primary->Release(); primary = 0; }
    if (zBuffer) { zBuffer->Release(); zBuffer = 0; }
    if (clipper) { clipper->Release(); clipper = 0; }
    if (d3d) { d3d->Release(); d3d = 0; }
    if (ddraw) { ddraw->Release(); ddraw = 0; }
}

int CRenderEngine::GetLibVersion(const char*& version, const char*& buildDate, const char*& buildTime)
{
    version = "1.01";
    buildDate = "Jun  4 2000";
    buildTime = "23:03:03";
    return 1;
}

int CRenderEngine::Fail(const char* text)
{
    if (showErrors)
        MessageBoxA(hwnd, text, name, MB_OK);
    return 0;
}

int CRenderEngine::InitDisplay(EngineInitParams& params)
{
    hwnd = params.hwnd;
    windowed = params.windowed;
    width = params.width;
    height = params.height;
    showErrors = params.showErrors;

    if (!ddraw) {
        params.driverName = 0;
        if (DirectDrawCreateEx(0, (void**)&ddraw, EngineIID_IDirectDraw7, 0) != DD_OK)
            return Fail("This app requires DirectDraw");
    }

    DWORD level = windowed ? DDSCL_NORMAL : (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX);
    if (ddraw->SetCooperativeLevel(hwnd, level) != DD_OK)
        return Fail("SetCooperativeLevel(): Error!");

    if (!windowed && ddraw->SetDisplayMode(width, height, params.bitsPerPixel, 0, 0) != DD_OK)
        return Fail("SetDisplayMode(): Error!");

    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (windowed) {
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    } else {
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
        desc.dwBackBufferCount = 1;
    }
    if (ddraw->CreateSurface(&desc, &primary, 0) != DD_OK)
        return Fail("Can't create Surface.");

    HRESULT hr;
    if (windowed) {
        // No pixel format is asked for: the picture takes the desktop's
        // format so that the copy to the screen needs no conversion.
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
        desc.dwHeight = height;
        desc.dwWidth = width;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        hr = ddraw->CreateSurface(&desc, &backBuffer, 0);
    } else {
        DDSCAPS2 caps;
        memset(&caps, 0, sizeof caps);
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        hr = primary->GetAttachedSurface(&caps, &backBuffer);
    }
    if (hr != DD_OK)
        return Fail("Can't attache Back Buffer.");

    if (ddraw->CreateClipper(0, &clipper, 0) != DD_OK)
        return Fail("Can't create Clipper object.");
    if (clipper->SetHWnd(0, hwnd) != DD_OK)
        return Fail("SetHWnd(): Error.");
    if (primary->SetClipper(clipper) != DD_OK)
        return Fail("SetClipper(): Error.");

    // Each item is cut to 40 characters so that no driver name can overrun
    // the title buffer.
    char title[128];
    wsprintfA(title, "%.40s - %.40s %.40s", name,
              params.driverName ? params.driverName : "DISPLAY",
              deviceName ? deviceName : "");
    SetWindowTextA(hwnd, title);
    return 1;
}

int CRenderEngine::RestoreLostSurfaces()
{
    // Another program's display-mode change, a remote session or a switch
    // of desktop loses the surfaces in video memory; until they are restored
    // every fill, draw and copy fails and the picture stays frozen. Their
    // content need not come back: each frame clears and redraws the back
    // buffer and the z-buffer, and textures are in system memory or managed.
    if (primary->IsLost() != DDERR_SURFACELOST && backBuffer->IsLost() != DDERR_SURFACELOST)
        return 0;
    return ddraw->RestoreAllSurfaces() == DD_OK;
}
