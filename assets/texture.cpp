// Textures made from the bitmaps that the model's objects name: one 16-bit
// RGB texture surface per object, filled from the bitmap through GDI.
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include "assets/model_data.h"
#include "engine/render_engine.h"
#include "platform/file_view.h"
#include "platform/paths.h"

#include <string.h>

// Texture formats that cannot hold a plain colour picture (luminance, bump
// maps, compressed FourCC codes, alpha) are passed over; the first 16-bit RGB
// format the device offers is taken.
static HRESULT WINAPI TextureFormatCallback(DDPIXELFORMAT* format, void* context)
{
    const DWORD kUnusable = DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV;
    if ((format->dwFlags & kUnusable) || format->dwFourCC || (format->dwFlags & DDPF_ALPHAPIXELS) ||
        format->dwRGBBitCount != 16)
        return DDENUMRET_OK;
    memcpy(context, format, sizeof(DDPIXELFORMAT));
    return DDENUMRET_CANCEL;
}

IDirectDrawSurface7* CRenderEngine::CreateTextureSurface(int textureWidth, int textureHeight)
{
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.dwWidth = textureWidth;
    desc.dwHeight = textureHeight;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;

    device->EnumTextureFormats(TextureFormatCallback, &desc.ddpfPixelFormat);
    if (desc.ddpfPixelFormat.dwRGBBitCount == 0)
        return 0;

    D3DDEVICEDESC7 caps;
    if (device->GetCaps(&caps) != D3D_OK)
        return 0;
    // A hardware device keeps its textures where Direct3D manages them; the
    // software device reads them from system memory.
    if (IsEqualGUID(caps.deviceGUID, EngineIID_IDirect3DHALDevice) ||
        IsEqualGUID(caps.deviceGUID, EngineIID_IDirect3DTnLHalDevice))
        desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    else
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;

    IDirectDrawSurface7* surface = 0;
    if (ddraw->CreateSurface(&desc, &surface, 0) != DD_OK)
        return 0;
    return surface;
}

int CRenderEngine::CopyBitmapToSurface(IDirectDrawSurface7* surface, const char* bitmapName,
                                       int x, int y, int copyWidth, int copyHeight)
{
    HBITMAP bitmap = (HBITMAP)LoadImageA(GetModuleHandleA(0), bitmapName, IMAGE_BITMAP, copyWidth,
                                         copyHeight, LR_CREATEDIBSECTION);
    if (!bitmap) {
        OpenSaverFileView();
        bitmap = (HBITMAP)LoadImageA(0, bitmapName, IMAGE_BITMAP, copyWidth, copyHeight,
                                     LR_CREATEDIBSECTION | LR_LOADFROMFILE);
        CloseSaverFileView();
    }
    if (!bitmap)
        return 0;

    int ok = 0;
    HDC surfaceDC = 0;
    HGDIOBJ previous = 0;
    HDC memoryDC = CreateCompatibleDC(0);
    if (memoryDC) {
        previous = SelectObject(memoryDC, bitmap);
        if (previous) {
            // A bitmap whose size cannot be read would copy nothing and yet
            // report success, leaving a blank texture.
            int sized = 1;
            if (copyWidth == 0 && copyHeight == 0) {
                BITMAP info;
                sized = GetObjectA(bitmap, sizeof info, &info) != 0;
                if (sized) {
                    copyWidth = info.bmWidth;
                    copyHeight = info.bmHeight;
                }
            }
            if (sized && surface->GetDC(&surfaceDC) == DD_OK) {
                ok = BitBlt(surfaceDC, x, y, copyWidth, copyHeight, memoryDC, 0, 0, SRCCOPY) ? 1 : 0;
                surface->ReleaseDC(surfaceDC);
            }
            // The bitmap must leave the memory DC before it can be deleted.
            SelectObject(memoryDC, previous);
        }
        DeleteDC(memoryDC);
    }
    DeleteObject(bitmap);
    return ok;
}

static void ReleaseTextureSurface(void* texture)
{
    ((IDirectDrawSurface7*)texture)->Release();
}

int CRenderEngine::LoadModelTextures(ModelData& model)
{
    // The model releases its textures at exit, before the engine goes.
    model.releaseTexture = ReleaseTextureSurface;

    for (int32_t i = 0; i < model.objectCount; ++i) {
        ModelObject* record = model.objects[i].record;
        IDirectDrawSurface7* texture = 0;
        if (ModelTextureNameLength(record) > 0) {
            // Sized to take the whole stored name, terminated or not.
            char textureName[sizeof record->textureName + 1];
            memcpy(textureName, record->textureName, sizeof record->textureName);
            textureName[sizeof record->textureName] = 0;
            char path[256];
            if (!JoinPath(path, sizeof path, model.directory, textureName))
                return 0;

            // The bitmap is opened once only to learn its size.
            OpenSaverFileView();
            HBITMAP bitmap = (HBITMAP)LoadImageA(0, path, IMAGE_BITMAP, 0, 0,
                                                 LR_LOADFROMFILE | LR_CREATEDIBSECTION);
            CloseSaverFileView();
            if (!bitmap)
                return 0;
            BITMAP info;
            int described = GetObjectA(bitmap, sizeof info, &info) != 0;
            DeleteObject(bitmap);
            if (!described)
                return 0;

            texture = CreateTextureSurface(info.bmWidth, info.bmHeight);
            if (!texture)
                return 0;
            if (!CopyBitmapToSurface(texture, path, 0, 0, 0, 0)) {
                // Not yet owned by the model, so it is released here.
                texture->Release();
                return 0;
            }
        }
        ResolveModelObject(&model, i, texture);
    }
    return 1;
}
