// Recording and failing doubles of the DirectDraw 7 / Direct3D 7 interfaces.
//
// Every call that matters is appended to one shared log as "Object.Method"
// with its interesting arguments, so a test can compare whole call sequences.
// Any call can be made to fail: FailCall("DD.CreateSurface", 2) makes the
// second CreateSurface return an error (occurrence 0 fails every call).
// The doubles never free themselves; a DxWorld owns them all.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace dx {

struct FakeSurface;
struct FakeDevice;

struct DxWorld {
    std::vector<std::string> log;
    std::map<std::string, int> calls;
    std::map<std::pair<std::string, int>, HRESULT> failures;
    std::vector<std::unique_ptr<FakeSurface>> surfaces;
    std::vector<DDPIXELFORMAT> zFormats;        // offered by EnumZBufferFormats
    std::vector<DDPIXELFORMAT> textureFormats;  // offered by EnumTextureFormats
    std::map<std::string, int> releases;        // by object name
    bool halDeviceWorks = true;

    // Logs the call and returns its configured result.
    HRESULT Call(const std::string& method, const std::string& args = "") {
        int n = ++calls[method];
        log.push_back(args.empty() ? method : method + "(" + args + ")");
        auto it = failures.find({method, n});
        if (it == failures.end()) it = failures.find({method, 0});
        return it == failures.end() ? DD_OK : it->second;
    }
    void Released(const std::string& object) {
        releases[object]++;
        log.push_back(object + ".Release");
    }
    void FailCall(const std::string& method, int occurrence = 0, HRESULT hr = DDERR_GENERIC) {
        failures[{method, occurrence}] = hr;
    }
    std::vector<std::string> Calls(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : log)
            if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e);
        return out;
    }
    FakeSurface* NewSurface(const std::string& name);
};

inline std::string Fmt(const char* fmt, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

inline std::string RectText(const RECT* r) {
    return r ? Fmt("%ld,%ld,%ld,%ld", r->left, r->top, r->right, r->bottom) : std::string("null");
}

inline DDPIXELFORMAT ZFormat(DWORD flags, DWORD bits) {
    DDPIXELFORMAT f;
    memset(&f, 0, sizeof f);
    f.dwSize = sizeof f;
    f.dwFlags = flags;
    f.dwZBufferBitDepth = bits;
    return f;
}

inline DDPIXELFORMAT RgbFormat(DWORD bits, DWORD alphaMask, DWORD r, DWORD g, DWORD b) {
    DDPIXELFORMAT f;
    memset(&f, 0, sizeof f);
    f.dwSize = sizeof f;
    f.dwFlags = DDPF_RGB | (alphaMask ? DDPF_ALPHAPIXELS : 0);
    f.dwRGBBitCount = bits;
    f.dwRBitMask = r;
    f.dwGBitMask = g;
    f.dwBBitMask = b;
    f.dwRGBAlphaBitMask = alphaMask;
    return f;
}

#define DX_STUB(name, params) STDMETHOD(name) params override { return E_NOTIMPL; }

struct FakeClipper : IDirectDrawClipper {
    DxWorld* w;
    explicit FakeClipper(DxWorld* world) : w(world) {}
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { w->Released("clipper"); return 0; }
    DX_STUB(GetClipList, (LPRECT, LPRGNDATA, LPDWORD))
    DX_STUB(GetHWnd, (HWND*))
    DX_STUB(Initialize, (LPDIRECTDRAW, DWORD))
    DX_STUB(IsClipListChanged, (WINBOOL*))
    DX_STUB(SetClipList, (LPRGNDATA, DWORD))
    STDMETHOD(SetHWnd)(DWORD flags, HWND) override { return w->Call("Clipper.SetHWnd", Fmt("%lu", flags)); }
};

struct FakeSurface : IDirectDrawSurface7 {
    DxWorld* w;
    std::string name;
    DDSURFACEDESC2 desc;
    FakeSurface* attachedBack = nullptr;   // what GetAttachedSurface hands out
    FakeSurface(DxWorld* world, std::string n) : w(world), name(std::move(n)) { memset(&desc, 0, sizeof desc); }
    std::string M(const char* m) const { return name + "." + m; }

    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { w->Released(name); return 0; }
    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE7 s) override {
        return w->Call(M("AddAttachedSurface"), static_cast<FakeSurface*>(s)->name);
    }
    DX_STUB(AddOverlayDirtyRect, (LPRECT))
    STDMETHOD(Blt)(LPRECT dest, LPDIRECTDRAWSURFACE7 src, LPRECT srcRect, DWORD flags, LPDDBLTFX fx) override {
        std::string args = RectText(dest) + " from " + (src ? static_cast<FakeSurface*>(src)->name : "null") +
                           " " + RectText(srcRect) + Fmt(" flags=%08lx", flags);
        if (fx && (flags & DDBLT_COLORFILL)) args += Fmt(" fill=%08lx size=%lu", fx->dwFillColor, fx->dwSize);
        if (fx && (flags & DDBLT_DEPTHFILL)) args += Fmt(" depth=%08lx size=%lu", fx->dwFillDepth, fx->dwSize);
        return w->Call(M("Blt"), args);
    }
    DX_STUB(BltBatch, (LPDDBLTBATCH, DWORD, DWORD))
    DX_STUB(BltFast, (DWORD, DWORD, LPDIRECTDRAWSURFACE7, LPRECT, DWORD))
    STDMETHOD(DeleteAttachedSurface)(DWORD flags, LPDIRECTDRAWSURFACE7 s) override {
        return w->Call(M("DeleteAttachedSurface"),
                       Fmt("%lu,", flags) + (s ? static_cast<FakeSurface*>(s)->name : "null"));
    }
    DX_STUB(EnumAttachedSurfaces, (LPVOID, LPDDENUMSURFACESCALLBACK7))
    DX_STUB(EnumOverlayZOrders, (DWORD, LPVOID, LPDDENUMSURFACESCALLBACK7))
    DX_STUB(Flip, (LPDIRECTDRAWSURFACE7, DWORD))
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* out) override {
        HRESULT hr = w->Call(M("GetAttachedSurface"), Fmt("%lx", caps->dwCaps));
        if (hr == DD_OK) *out = attachedBack = w->NewSurface("back");
        return hr;
    }
    DX_STUB(GetBltStatus, (DWORD))
    DX_STUB(GetCaps, (LPDDSCAPS2))
    DX_STUB(GetClipper, (LPDIRECTDRAWCLIPPER*))
    DX_STUB(GetColorKey, (DWORD, LPDDCOLORKEY))
    STDMETHOD(GetDC)(HDC* dc) override {
        HRESULT hr = w->Call(M("GetDC"));
        if (hr == DD_OK) *dc = CreateCompatibleDC(nullptr);
        return hr;
    }
    DX_STUB(GetFlipStatus, (DWORD))
    DX_STUB(GetOverlayPosition, (LPLONG, LPLONG))
    DX_STUB(GetPalette, (LPDIRECTDRAWPALETTE*))
    DX_STUB(GetPixelFormat, (LPDDPIXELFORMAT))
    DX_STUB(GetSurfaceDesc, (LPDDSURFACEDESC2))
    DX_STUB(Initialize, (LPDIRECTDRAW, LPDDSURFACEDESC2))
    STDMETHOD(IsLost)() override { return w->Call(M("IsLost")); }
    DX_STUB(Lock, (LPRECT, LPDDSURFACEDESC2, DWORD, HANDLE))
    STDMETHOD(ReleaseDC)(HDC dc) override { DeleteDC(dc); return w->Call(M("ReleaseDC")); }
    DX_STUB(Restore, ())
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER) override { return w->Call(M("SetClipper")); }
    DX_STUB(SetColorKey, (DWORD, LPDDCOLORKEY))
    DX_STUB(SetOverlayPosition, (LONG, LONG))
    DX_STUB(SetPalette, (LPDIRECTDRAWPALETTE))
    DX_STUB(Unlock, (LPRECT))
    DX_STUB(UpdateOverlay, (LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD, LPDDOVERLAYFX))
    DX_STUB(UpdateOverlayDisplay, (DWORD))
    DX_STUB(UpdateOverlayZOrder, (DWORD, LPDIRECTDRAWSURFACE7))
    DX_STUB(GetDDInterface, (LPVOID*))
    DX_STUB(PageLock, (DWORD))
    DX_STUB(PageUnlock, (DWORD))
    DX_STUB(SetSurfaceDesc, (LPDDSURFACEDESC2, DWORD))
    DX_STUB(SetPrivateData, (REFGUID, LPVOID, DWORD, DWORD))
    DX_STUB(GetPrivateData, (REFGUID, LPVOID, LPDWORD))
    DX_STUB(FreePrivateData, (REFGUID))
    DX_STUB(GetUniquenessValue, (LPDWORD))
    DX_STUB(ChangeUniquenessValue, ())
    DX_STUB(SetPriority, (DWORD))
    DX_STUB(GetPriority, (LPDWORD))
    DX_STUB(SetLOD, (DWORD))
    DX_STUB(GetLOD, (LPDWORD))
};

inline FakeSurface* DxWorld::NewSurface(const std::string& name) {
    surfaces.emplace_back(new FakeSurface(this, name));
    return surfaces.back().get();
}

// Names Direct3D's device identifiers for the log.
inline std::string DeviceKind(REFCLSID id) {
    static const GUID hal = {0x84E63DE0, 0x46AA, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};
    static const GUID rgb = {0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
    if (IsEqualGUID(id, hal)) return "HAL";
    if (IsEqualGUID(id, rgb)) return "RGB";
    return "other";
}

struct FakeDevice : IDirect3DDevice7 {
    DxWorld* w;
    GUID deviceGuid;
    std::vector<D3DMATERIAL7> materials;
    std::vector<D3DLIGHT7> lights;
    std::vector<D3DMATRIX> transforms;
    FakeDevice(DxWorld* world, GUID id) : w(world), deviceGuid(id) {}

    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { w->Released("device"); return 0; }
    STDMETHOD(GetCaps)(D3DDEVICEDESC7* desc) override {
        HRESULT hr = w->Call("Dev.GetCaps");
        if (hr == D3D_OK) { memset(desc, 0, sizeof *desc); desc->deviceGUID = deviceGuid; }
        return hr;
    }
    STDMETHOD(EnumTextureFormats)(LPD3DENUMPIXELFORMATSCALLBACK cb, void* ctx) override {
        HRESULT hr = w->Call("Dev.EnumTextureFormats");
        for (auto f : w->textureFormats)
            if (cb(&f, ctx) == D3DENUMRET_CANCEL) break;
        return hr;
    }
    STDMETHOD(BeginScene)() override { return w->Call("Dev.BeginScene"); }
    STDMETHOD(EndScene)() override { return w->Call("Dev.EndScene"); }
    DX_STUB(GetDirect3D, (IDirect3D7**))
    DX_STUB(SetRenderTarget, (IDirectDrawSurface7*, DWORD))
    DX_STUB(GetRenderTarget, (IDirectDrawSurface7**))
    STDMETHOD(Clear)(DWORD count, D3DRECT* r, DWORD flags, D3DCOLOR color, D3DVALUE z, DWORD stencil) override {
        return w->Call("Dev.Clear", Fmt("%lu,%ld,%ld,%ld,%ld,%lu,%08lx,%g,%lu", count, r->x1, r->y1, r->x2,
                                        r->y2, flags, color, z, stencil));
    }
    STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m) override {
        transforms.push_back(*m);
        return w->Call("Dev.SetTransform", Fmt("%d", (int)state));
    }
    DX_STUB(GetTransform, (D3DTRANSFORMSTATETYPE, D3DMATRIX*))
    STDMETHOD(SetViewport)(D3DVIEWPORT7* v) override {
        return w->Call("Dev.SetViewport", Fmt("%lu,%lu,%lu,%lu,%g,%g", v->dwX, v->dwY, v->dwWidth,
                                              v->dwHeight, v->dvMinZ, v->dvMaxZ));
    }
    DX_STUB(MultiplyTransform, (D3DTRANSFORMSTATETYPE, D3DMATRIX*))
    DX_STUB(GetViewport, (D3DVIEWPORT7*))
    STDMETHOD(SetMaterial)(D3DMATERIAL7* m) override {
        materials.push_back(*m);
        return w->Call("Dev.SetMaterial", Fmt("%p", (void*)m));
    }
    DX_STUB(GetMaterial, (D3DMATERIAL7*))
    STDMETHOD(SetLight)(DWORD i, D3DLIGHT7* l) override {
        lights.push_back(*l);
        return w->Call("Dev.SetLight", Fmt("%lu", i));
    }
    DX_STUB(GetLight, (DWORD, D3DLIGHT7*))
    STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE s, DWORD v) override {
        return w->Call("Dev.SetRenderState", Fmt("%d,%lx", (int)s, v));
    }
    DX_STUB(GetRenderState, (D3DRENDERSTATETYPE, LPDWORD))
    DX_STUB(BeginStateBlock, ())
    DX_STUB(EndStateBlock, (LPDWORD))
    DX_STUB(PreLoad, (IDirectDrawSurface7*))
    STDMETHOD(DrawPrimitive)(D3DPRIMITIVETYPE t, DWORD fvf, void* v, DWORD n, DWORD flags) override {
        return w->Call("Dev.DrawPrimitive", Fmt("%d,%lx,%p,%lu,%lu", (int)t, fvf, v, n, flags));
    }
    DX_STUB(DrawIndexedPrimitive, (D3DPRIMITIVETYPE, DWORD, void*, DWORD, WORD*, DWORD, DWORD))
    DX_STUB(SetClipStatus, (D3DCLIPSTATUS*))
    DX_STUB(GetClipStatus, (D3DCLIPSTATUS*))
    DX_STUB(DrawPrimitiveStrided, (D3DPRIMITIVETYPE, DWORD, D3DDRAWPRIMITIVESTRIDEDDATA*, DWORD, DWORD))
    DX_STUB(DrawIndexedPrimitiveStrided,
            (D3DPRIMITIVETYPE, DWORD, D3DDRAWPRIMITIVESTRIDEDDATA*, DWORD, WORD*, DWORD, DWORD))
    DX_STUB(DrawPrimitiveVB, (D3DPRIMITIVETYPE, struct IDirect3DVertexBuffer7*, DWORD, DWORD, DWORD))
    DX_STUB(DrawIndexedPrimitiveVB,
            (D3DPRIMITIVETYPE, struct IDirect3DVertexBuffer7*, DWORD, DWORD, WORD*, DWORD, DWORD))
    DX_STUB(ComputeSphereVisibility, (D3DVECTOR*, D3DVALUE*, DWORD, DWORD, DWORD*))
    DX_STUB(GetTexture, (DWORD, IDirectDrawSurface7**))
    STDMETHOD(SetTexture)(DWORD stage, IDirectDrawSurface7* s) override {
        return w->Call("Dev.SetTexture",
                       Fmt("%lu,", stage) + (s ? static_cast<FakeSurface*>(s)->name : std::string("null")));
    }
    DX_STUB(GetTextureStageState, (DWORD, D3DTEXTURESTAGESTATETYPE, LPDWORD))
    STDMETHOD(SetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE t, DWORD v) override {
        return w->Call("Dev.SetTextureStageState", Fmt("%lu,%d,%lu", stage, (int)t, v));
    }
    DX_STUB(ValidateDevice, (LPDWORD))
    DX_STUB(ApplyStateBlock, (DWORD))
    DX_STUB(CaptureStateBlock, (DWORD))
    DX_STUB(DeleteStateBlock, (DWORD))
    DX_STUB(CreateStateBlock, (D3DSTATEBLOCKTYPE, LPDWORD))
    DX_STUB(Load, (IDirectDrawSurface7*, POINT*, IDirectDrawSurface7*, RECT*, DWORD))
    STDMETHOD(LightEnable)(DWORD i, WINBOOL on) override {
        return w->Call("Dev.LightEnable", Fmt("%lu,%d", i, (int)on));
    }
    DX_STUB(GetLightEnable, (DWORD, WINBOOL*))
    DX_STUB(SetClipPlane, (DWORD, D3DVALUE*))
    DX_STUB(GetClipPlane, (DWORD, D3DVALUE*))
    DX_STUB(GetInfo, (DWORD, void*, DWORD))
};

struct FakeD3D : IDirect3D7 {
    DxWorld* w;
    std::vector<std::unique_ptr<FakeDevice>> devices;
    explicit FakeD3D(DxWorld* world) : w(world) {}
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { w->Released("d3d"); return 0; }
    DX_STUB(EnumDevices, (LPD3DENUMDEVICESCALLBACK7, void*))
    STDMETHOD(CreateDevice)(REFCLSID id, IDirectDrawSurface7* target, IDirect3DDevice7** out) override {
        HRESULT hr = w->Call("D3D.CreateDevice", DeviceKind(id) + "," + static_cast<FakeSurface*>(target)->name);
        if (hr == D3D_OK && DeviceKind(id) == "HAL" && !w->halDeviceWorks) hr = DDERR_GENERIC;
        if (hr == D3D_OK) {
            devices.emplace_back(new FakeDevice(w, id));
            *out = devices.back().get();
        }
        return hr;
    }
    DX_STUB(CreateVertexBuffer, (D3DVERTEXBUFFERDESC*, struct IDirect3DVertexBuffer7**, DWORD))
    STDMETHOD(EnumZBufferFormats)(REFCLSID id, LPD3DENUMPIXELFORMATSCALLBACK cb, void* ctx) override {
        HRESULT hr = w->Call("D3D.EnumZBufferFormats", DeviceKind(id));
        for (auto f : w->zFormats)
            if (cb(&f, ctx) == D3DENUMRET_CANCEL) break;
        return hr;
    }
    DX_STUB(EvictManagedTextures, ())
};

struct FakeDirectDraw : IDirectDraw7 {
    DxWorld* w;
    FakeD3D d3d;
    FakeClipper clipper;
    std::vector<DDSURFACEDESC2> created;   // descriptors passed to CreateSurface
    explicit FakeDirectDraw(DxWorld* world) : w(world), d3d(world), clipper(world) {}

    STDMETHOD(QueryInterface)(REFIID, void** out) override {
        HRESULT hr = w->Call("DD.QueryInterface");
        if (hr == DD_OK) *out = static_cast<IDirect3D7*>(&d3d);
        return hr;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { w->Released("ddraw"); return 0; }
    DX_STUB(Compact, ())
    STDMETHOD(CreateClipper)(DWORD flags, LPDIRECTDRAWCLIPPER* out, IUnknown*) override {
        HRESULT hr = w->Call("DD.CreateClipper", Fmt("%lu", flags));
        if (hr == DD_OK) *out = &clipper;
        return hr;
    }
    DX_STUB(CreatePalette, (DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*))
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC2 d, LPDIRECTDRAWSURFACE7* out, IUnknown*) override {
        created.push_back(*d);
        std::string kind = (d->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) ? "primary"
                         : (d->ddsCaps.dwCaps & DDSCAPS_ZBUFFER)        ? "zbuffer"
                         : (d->ddsCaps.dwCaps & DDSCAPS_TEXTURE)        ? "texture"
                                                                        : "back";
        HRESULT hr = w->Call("DD.CreateSurface", Fmt("flags=%lx caps=%lx caps2=%lx %lux%lu", d->dwFlags,
                                                     d->ddsCaps.dwCaps, d->ddsCaps.dwCaps2, d->dwWidth,
                                                     d->dwHeight));
        if (hr == DD_OK) {
            FakeSurface* s = w->NewSurface(kind);
            s->desc = *d;
            *out = s;
        }
        return hr;
    }
    DX_STUB(DuplicateSurface, (LPDIRECTDRAWSURFACE7, LPDIRECTDRAWSURFACE7*))
    DX_STUB(EnumDisplayModes, (DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMMODESCALLBACK2))
    DX_STUB(EnumSurfaces, (DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMSURFACESCALLBACK7))
    DX_STUB(FlipToGDISurface, ())
    DX_STUB(GetCaps, (LPDDCAPS, LPDDCAPS))
    DX_STUB(GetDisplayMode, (LPDDSURFACEDESC2))
    DX_STUB(GetFourCCCodes, (LPDWORD, LPDWORD))
    DX_STUB(GetGDISurface, (LPDIRECTDRAWSURFACE7*))
    DX_STUB(GetMonitorFrequency, (LPDWORD))
    DX_STUB(GetScanLine, (LPDWORD))
    DX_STUB(GetVerticalBlankStatus, (WINBOOL*))
    DX_STUB(Initialize, (GUID*))
    DX_STUB(RestoreDisplayMode, ())
    STDMETHOD(SetCooperativeLevel)(HWND, DWORD flags) override {
        return w->Call("DD.SetCooperativeLevel", Fmt("%lx", flags));
    }
    STDMETHOD(SetDisplayMode)(DWORD wd, DWORD h, DWORD bpp, DWORD rate, DWORD flags) override {
        return w->Call("DD.SetDisplayMode", Fmt("%lu,%lu,%lu,%lu,%lu", wd, h, bpp, rate, flags));
    }
    STDMETHOD(WaitForVerticalBlank)(DWORD flags, HANDLE) override {
        return w->Call("DD.WaitForVerticalBlank", Fmt("%lu", flags));
    }
    DX_STUB(GetAvailableVidMem, (LPDDSCAPS2, LPDWORD, LPDWORD))
    DX_STUB(GetSurfaceFromDC, (HDC, LPDIRECTDRAWSURFACE7*))
    STDMETHOD(RestoreAllSurfaces)() override { return w->Call("DD.RestoreAllSurfaces"); }
    DX_STUB(TestCooperativeLevel, ())
    DX_STUB(GetDeviceIdentifier, (LPDDDEVICEIDENTIFIER2, DWORD))
    DX_STUB(StartModeTest, (LPSIZE, DWORD, DWORD))
    DX_STUB(EvaluateMode, (DWORD, DWORD*))
};

#undef DX_STUB

}  // namespace dx
