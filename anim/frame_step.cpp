// One tick of the animation on the device: the portable stage machine moves
// the camera, the object and the vertices; this side hands the transforms to
// Direct3D and renders the frame.
#include <windows.h>
#include <d3d.h>

#include "anim/animation.h"
#include "anim/frame.h"
#include "anim/frame_stats.h"
#include "engine/matrix.h"
#include "engine/render_engine.h"

int FrameStep(int animation, int display)
{
    FrameStatsBegin();
    Matrix4 view, world;
    AdvanceAnimationFrame(&CurrentAnimation, animation, &g_Model, &view, &world);
    g_Engine.device->SetTransform(D3DTRANSFORMSTATE_VIEW, (D3DMATRIX*)&view);
    g_Engine.device->SetTransform(D3DTRANSFORMSTATE_WORLD, (D3DMATRIX*)&world);
    g_Engine.ClearFrame();
    g_Engine.DrawModel(g_Model);
    int presented = PresentFrame(g_Engine, display);
    // A lost surface also fails the copy; restored now, the next tick draws.
    if (!presented)
        g_Engine.RestoreLostSurfaces();
    FrameStatsEnd();
    return presented;
}
