// Scene set-up from the settings.
#include <windows.h>
#include <d3d.h>

#include "assets/scene.h"
#include "assets/model_data.h"
#include "engine/render_engine.h"
#include "platform/file_view.h"
#include "platform/paths.h"
#include "settings/settings.h"

#include <stdio.h>
#include <string.h>

// The float nearest to 1/255, so that 255 scales to exactly 1.0.
static const float kColourScale = 0.003921569f;
static const float kLightRangeMax = 1.8446742974197924e19f;
// Left as the last-error value when the bitmap is refused; equals the
// bitmap-file bit of the start-up error flags.
static const DWORD kBitmapError = 8;

static int ReadInt32At(FILE* file, long offset, int32_t* value)
{
    unsigned char bytes[4];
    if (fseek(file, offset, SEEK_SET) != 0 || fread(bytes, 1, 4, file) != 4)
        return 0;
    *value = (int32_t)((uint32_t)bytes[0] | ((uint32_t)bytes[1] << 8) | ((uint32_t)bytes[2] << 16) |
                       ((uint32_t)bytes[3] << 24));
    return 1;
}

bool CheckBitmapSize(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    int32_t width = 0, height = 0;
    int read = ReadInt32At(file, 18, &width) && ReadInt32At(file, 22, &height);
    fclose(file);
    if (!read)
        return false;
    // A power of two has exactly one bit set. Sides are positive: a top-down
    // bitmap (negative height) fails, and so does -2^31, whose one set bit is
    // the sign.
    uint32_t side = (uint32_t)width;
    return width == height && width > 0 && (side & (side - 1)) == 0;
}

static void SetColour(ModelColor& c, float r, float g, float b)
{
    c.r = r;
    c.g = g;
    c.b = b;
}

static void SetLightColour(D3DCOLORVALUE& c, float r, float g, float b)
{
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = 0.0f;
}

// Texture coordinates as a projection of the object onto its x-z extent:
// the bitmap repeats texSize times across each direction.
static void ProjectTextureCoordinates(ModelVertex* vertices, int32_t count, int32_t texSize)
{
    if (!vertices || count <= 0)
        return;
    float minX = vertices[0].x, maxX = vertices[0].x;
    float minZ = vertices[0].z, maxZ = vertices[0].z;
    for (int32_t i = 1; i < count; ++i) {
        if (vertices[i].x < minX) minX = vertices[i].x;
        if (vertices[i].x > maxX) maxX = vertices[i].x;
        if (vertices[i].z < minZ) minZ = vertices[i].z;
        if (vertices[i].z > maxZ) maxZ = vertices[i].z;
    }
    // A flat extent would divide by zero; its coordinate then stays at 0
    // rather than becoming NaN, which some drivers draw as garbage.
    double spanX = (double)maxX - minX;
    double spanZ = (double)maxZ - minZ;
    for (int32_t i = 0; i < count; ++i) {
        double u = spanX != 0.0 ? ((double)vertices[i].x - minX) / spanX * texSize : 0.0;
        double v = spanZ != 0.0 ? -(((double)vertices[i].z - minZ) / spanZ * texSize) : 0.0;
        vertices[i].tu = (float)u;
        vertices[i].tv = (float)v;
    }
}

bool SetupScene(ModelData* model, const SaverSettings& settings)
{
    ModelObject* first = ModelFirstRecord(model);
    if (!first) {
        SetLastError(kBitmapError);
        return false;
    }

    float r = settings.Red * kColourScale;
    float g = settings.Green * kColourScale;
    float b = settings.Blue * kColourScale;
    SetColour(first->material.diffuse, r, g, b);
    SetColour(first->material.ambient, r, g, b);
    SetColour(first->material.specular, r, g, b);
    SetColour(first->material.emissive, r, g, b);

    // The setting may come from a damaged ini file: take at most its 255
    // characters, terminated.
    char bitmapName[sizeof settings.Bitmap];
    memcpy(bitmapName, settings.Bitmap, sizeof bitmapName);
    bitmapName[sizeof bitmapName - 1] = 0;

    // The bitmap lies beside the model file, in the saver's folder, where
    // the textures are loaded from. It is opened through the saver's file
    // view, which is closed again before any Direct3D call below.
    char path[256];
    bool usable = JoinPath(path, sizeof path, model->directory, bitmapName);
    if (usable) {
        OpenSaverFileView();
        usable = CheckBitmapSize(path);
        CloseSaverFileView();
    }
    if (!usable) {
        SetLastError(kBitmapError);
        return false;
    }
    memcpy(first->textureName, bitmapName, strlen(bitmapName) + 1);

    int32_t count = 0;
    ModelVertex* vertices = ModelFirstObjectVertices(model, &count);
    ProjectTextureCoordinates(vertices, count, settings.TexSize);

    IDirect3DDevice7* device = g_Engine.device;
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, settings.Smooth ? D3DTFG_LINEAR : D3DTFG_POINT);

    float lr = settings.LightRed * kColourScale;
    float lg = settings.LightGreen * kColourScale;
    float lb = settings.LightBlue * kColourScale;
    D3DLIGHT7 light;
    memset(&light, 0, sizeof light);
    SetLightColour(light.dcvDiffuse, lr, lg, lb);
    SetLightColour(light.dcvSpecular, lr, lg, lb);
    SetLightColour(light.dcvAmbient, lr, lg, lb);
    light.dvDirection.y = -1.0f;
    light.dvRange = kLightRangeMax;
    if (settings.SpotLight) {
        light.dltType = D3DLIGHT_SPOT;
        light.dvPosition.y = 20.0f;
        light.dvFalloff = 1.0f;
        light.dvAttenuation0 = 0.3f;
        light.dvTheta = 0.1f;
        light.dvPhi = 0.6f;
        // A spot lights only part of a face; flat shading would paint whole
        // faces by their first vertex.
        first->shadeMode = D3DSHADE_GOURAUD;
    } else {
        light.dltType = D3DLIGHT_DIRECTIONAL;
    }
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    return true;
}
