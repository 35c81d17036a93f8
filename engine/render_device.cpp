// The Direct3D device on the engine's back buffer: z-buffer, device choice,
// viewport, default render state, material and light.
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include "engine/render_engine.h"
#include "engine/matrix.h"

#include <string.h>

// sqrt(FLT_MAX) rounded to float: the largest light range Direct3D accepts.
static const float kLightRangeMax = 1.8446742974197924e19f;

HRESULT WINAPI CRenderEngine::ZBufferFormatCallback(DDPIXELFORMAT* format, void* context)
{
    // Exactly DDPF_ZBUFFER: a format with stencil bits would halve nothing we
    // need and is passed over, as is anything but 16 bits of depth.
    if (format->dwFlags == DDPF_ZBUFFER && format->dwZBufferBitDepth == 16) {
        memcpy(context, format, sizeof(DDPIXELFORMAT));
        return D3DENUMRET_CANCEL;
    }
    return D3DENUMRET_OK;
}

int CRenderEngine::CreateZBuffer(int hardware)
{
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.dwHeight = height;
    desc.dwWidth = width;
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);

    d3d->EnumZBufferFormats(hardware ? EngineIID_IDirect3DHALDevice : EngineIID_IDirect3DRGBDevice,
                            ZBufferFormatCallback, &desc.ddpfPixelFormat);
    // The callback fills the whole record, dwSize included, only when it
    // accepts a format; a driver without a plain 16-bit depth format fails
    // silently.
    if (desc.ddpfPixelFormat.dwSize != sizeof(DDPIXELFORMAT))
        return 0;

    if (ddraw->CreateSurface(&desc, &zBuffer, 0) != DD_OK)
        return Fail("Can't create Z Buffer.");
    if (backBuffer->AddAttachedSurface(zBuffer) != DD_OK)
        return Fail("Can't attach Z Buffer.");
    return 1;
}

int CRenderEngine::InitDevice(DeviceInitParams& params)
{
    if (ddraw->QueryInterface(EngineIID_IDirect3D7, (void**)&d3d) != DD_OK)
        return Fail("This app requires DirectX 7.0");

    if (CreateZBuffer(params.useRGBDevice ? 0 : 1) != 1)
        return 0;

    int haveDevice = 0;
    if (!params.useRGBDevice) {
        deviceName = "HAL";
        if (d3d->CreateDevice(EngineIID_IDirect3DHALDevice, backBuffer, &device) == D3D_OK) {
            haveDevice = 1;
        } else {
            // The software device cannot use a video-memory z-buffer: swap
            // it for one in system memory before trying again.
            backBuffer->DeleteAttachedSurface(0, zBuffer);
            if (zBuffer) { zBuffer->Release(); zBuffer = 0; }
            if (CreateZBuffer(0) != 1)
                return 0;
        }
    }
    if (!haveDevice) {
        deviceName = "RGB";
        if (d3d->CreateDevice(EngineIID_IDirect3DRGBDevice, backBuffer, &device) != D3D_OK)
            return Fail("Can't create Direct3D Device.");
    }

    D3DVIEWPORT7 viewport;
    viewport.dwX = 0;
    viewport.dwY = 0;
    viewport.dwWidth = width;
    viewport.dwHeight = height;
    viewport.dvMinZ = 0.0f;
    viewport.dvMaxZ = 1.0f;
    if (device->SetViewport(&viewport) != D3D_OK)
        return Fail("SetViewport():Error");

    D3DRECT rect;
    rect.x1 = 0;
    rect.y1 = 0;
    rect.x2 = width - 1;
    rect.y2 = height - 1;
    device->Clear(1, &rect, D3DCLEAR_TARGET, 0x000000FF, 0.0f, 0);

    return InitRenderStates() ? 1 : 0;
}

static void SetColor(D3DCOLORVALUE& c, float r, float g, float b)
{
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = 0.0f;
}

int CRenderEngine::InitRenderStates()
{
    // Depth testing is switched off and on again around the rest, so that the
    // device starts from a known state whatever it had before.
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
    device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFF7F7F7F);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);

    Matrix4 m;
    MatrixProjection(&m, 0.5, 1.0, 1000.0);
    device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, (D3DMATRIX*)&m);
    MatrixIdentity(&m);
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, (D3DMATRIX*)&m);
    device->SetTransform(D3DTRANSFORMSTATE_VIEW, (D3DMATRIX*)&m);

    D3DMATERIAL7 material;
    memset(&material, 0, sizeof material);
    SetColor(material.diffuse, 0.0f, 0.0f, 1.0f);
    SetColor(material.ambient, 0.0f, 0.0f, 1.0f);
    SetColor(material.specular, 0.0f, 0.0f, 1.0f);
    material.power = 40.0f;
    if (device->SetMaterial(&material) != D3D_OK)
        return Fail("Can't set material.");

    D3DLIGHT7 light;
    memset(&light, 0, sizeof light);
    light.dltType = D3DLIGHT_DIRECTIONAL;
    SetColor(light.dcvDiffuse, 1.0f, 1.0f, 1.0f);
    SetColor(light.dcvSpecular, 1.0f, 1.0f, 1.0f);
    SetColor(light.dcvAmbient, 0.5f, 0.5f, 0.5f);
    light.dvPosition.x = 1.0f;
    light.dvPosition.y = -1.0f;
    light.dvPosition.z = -1.0f;
    light.dvDirection.x = 1.0f;
    light.dvRange = kLightRangeMax;
    light.dvFalloff = 1.0f;
    light.dvAttenuation1 = 1.0f;
    light.dvTheta = 1.0f;
    light.dvPhi = 1.0f;
    if (device->SetLight(0, &light) != D3D_OK)
        return Fail("Can't set light.");
    if (device->LightEnable(0, TRUE) != D3D_OK)
        return Fail("Can't enable light.");
    return 1;
}
