// Rendering one frame with the engine: clearing the picture and drawing the
// model into it.
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include "assets/model_data.h"
#include "engine/render_engine.h"

#include <string.h>

int CRenderEngine::ClearFrame()
{
    RECT rect = {0, 0, width, height};
    DDBLTFX fx;
    memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    // Only the top byte is set: every colour bit is zero, so this is black
    // in whatever format the back buffer has.
    fx.dwFillColor = 0xFF000000;
    backBuffer->Blt(&rect, 0, &rect, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    if (zBuffer) {
        fx.dwFillDepth = 0xFFFF;
        zBuffer->Blt(&rect, 0, &rect, DDBLT_DEPTHFILL | DDBLT_WAIT, &fx);
    }
    return 1;
}

int CRenderEngine::DrawModel(ModelData& model)
{
    device->BeginScene();
    for (int32_t i = 0; i < model.objectCount; ++i) {
        const ModelObjectRef& object = model.objects[i];
        ModelObject* record = object.record;
        device->SetRenderState(D3DRENDERSTATE_SHADEMODE, record->shadeMode);
        device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, record->alphaBlendEnable);
        device->SetRenderState(D3DRENDERSTATE_SRCBLEND, record->srcBlend);
        device->SetRenderState(D3DRENDERSTATE_DESTBLEND, record->destBlend);
        device->SetTexture(0, (IDirectDrawSurface7*)object.texture);
        device->SetMaterial((D3DMATERIAL7*)&record->material);

        // Counts come from the checked table, never from the record, so a
        // damaged file cannot make the device read outside the image.
        int32_t n = object.vertsPerPolygon;
        if (n == 3) {
            device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, object.vertices,
                                  object.polygonCount * 3, D3DDP_WAIT);
        } else if (n > 3) {
            for (int32_t p = 0; p < object.polygonCount; ++p)
                device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_VERTEX, object.vertices + p * n, n,
                                      D3DDP_WAIT);
        }
        device->SetTexture(0, 0);
    }
    device->EndScene();
    return 1;
}
