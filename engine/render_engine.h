// The render engine: the one object that owns every DirectDraw and Direct3D
// interface of the saver, from the display surfaces through the device to the
// per-frame clear and draw. Texture creation lives in assets/texture.cpp and
// the frame clear/draw in anim/frame_render.cpp, but both are members here
// because they work on the engine's interfaces.
//
// The interface fields are public on purpose: the frame step and the scene
// set-up use `device` directly, and tests put recording doubles into them
// (a pre-set `ddraw` is reused by InitDisplay instead of creating one).
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

struct ModelData;

// What the display set-up is given. All fields are 32 bits wide.
struct EngineInitParams {
    const char* driverName;   // in/out: null for the default display driver
    HWND hwnd;                // the window to draw into
    int windowed;             // nonzero: share the desktop; 0: exclusive flipping chain
    int showErrors;           // nonzero: engine failures also appear in a message box
    int width;                // picture width in pixels
    int height;               // picture height in pixels
    int bitsPerPixel;         // display depth, used only in exclusive mode
};

// What the device set-up is given.
struct DeviceInitParams {
    int useRGBDevice;         // nonzero: go straight to the software RGB device
};

// Device and interface identifiers, kept here so that nothing needs dxguid.
extern const GUID EngineIID_IDirectDraw7;
extern const GUID EngineIID_IDirect3D7;
extern const GUID EngineIID_IDirect3DHALDevice;
extern const GUID EngineIID_IDirect3DTnLHalDevice;
extern const GUID EngineIID_IDirect3DRGBDevice;

class CRenderEngine {
public:
    CRenderEngine();
    ~CRenderEngine();

    // Display: DirectDraw, cooperative level, primary surface, back buffer,
    // clipper. Returns 1 on success, 0 at the first failing step (nothing made
    // before that step is released).
    int InitDisplay(EngineInitParams& params);

    // Direct3D, z-buffer, device (hardware, falling back to RGB), viewport,
    // first clear and default state. Returns 1 or 0 like InitDisplay.
    int InitDevice(DeviceInitParams& params);

    // Constant texts, available at any time; always returns 1.
    int GetLibVersion(const char*& version, const char*& buildDate, const char*& buildTime);

    // Steps of InitDevice, public so that tests can drive them one by one.
    int CreateZBuffer(int hardware);
    int InitRenderStates();
    static HRESULT WINAPI ZBufferFormatCallback(DDPIXELFORMAT* format, void* context);

    // Textures (assets/texture.cpp).
    IDirectDrawSurface7* CreateTextureSurface(int width, int height);
    int CopyBitmapToSurface(IDirectDrawSurface7* surface, const char* name,
                            int x, int y, int width, int height);
    int LoadModelTextures(ModelData& model);

    // Per frame (anim/frame_render.cpp). Both always return 1.
    int ClearFrame();
    int DrawModel(ModelData& model);
    // After a failed frame: restores the surfaces when the screen or the back
    // buffer was lost. Returns 1 when they were lost and are back.
    int RestoreLostSurfaces();

    // Shows `text` in a message box when showErrors is set; returns 0 so that
    // a failing step can `return Fail("...")`.
    int Fail(const char* text);

    IDirectDraw7* ddraw;
    IDirectDrawSurface7* primary;
    IDirectDrawSurface7* backBuffer;
    IDirectDrawSurface7* zBuffer;
    IDirectDrawClipper* clipper;
    IDirect3D7* d3d;
    IDirect3DDevice7* device;
    const char* deviceName;
    HWND hwnd;
    char name[64];
    int windowed;
    int width;
    int height;
    int showErrors;
};

// The one engine and the one model of the process, defined by the saver core,
// the engine first: at exit the model (and with it its textures) must be
// freed before the engine releases the DirectDraw object that made them.
extern CRenderEngine g_Engine;
extern ModelData g_Model;
