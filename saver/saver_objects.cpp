#include <windows.h>
#include <stdlib.h>

#include "assets/model_data.h"
#include "engine/render_engine.h"

// The two program-wide objects, constructed by the process entry before the
// saver's mode runs: the engine first, the model second. At exit the order reverses: the model's
// buffers and textures go first, while the engine that made the textures
// still exists, then the engine releases its interfaces.
CRenderEngine g_Engine;
ModelData g_Model;

static void FreeModelAtExit()
{
    FreeModelData(&g_Model);
}

static int StartModelLifetime()
{
    ClearModelData(&g_Model);
    atexit(FreeModelAtExit);
    return 1;
}

static int ModelLifetime = StartModelLifetime();
