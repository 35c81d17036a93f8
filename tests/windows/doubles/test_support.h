// Helpers shared by the engine, scene, texture and render tests: model files
// built in memory, bitmaps written to the temporary directory, and a plain
// top-level window of a chosen size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/model_data.h"

namespace testsupport {

struct ObjectDesc {
    int32_t vertsPerPolygon = 3;
    int32_t polygonCount = 1;
    std::string textureName;
    uint32_t shadeMode = 1, alphaBlend = 0, srcBlend = 2, destBlend = 1;
    ModelMaterial material{};
    std::vector<ModelVertex> vertices;   // vertsPerPolygon x polygonCount
};

inline std::string TempDir() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return dir;
}

// A whole model file: header, then the records in order, the ending record,
// then each object's vertices.
inline std::vector<unsigned char> ModelFile(const std::vector<ObjectDesc>& objects) {
    std::vector<unsigned char> file(ModelHeaderSize, 0);
    memcpy(file.data(), "CONVLWO", 7);
    size_t records = (objects.size() + 1) * sizeof(ModelObject);
    size_t vertexAt = records;
    std::vector<unsigned char> body(records, 0);
    for (size_t i = 0; i < objects.size(); ++i) {
        const ObjectDesc& o = objects[i];
        ModelObject r;
        memset(&r, 0, sizeof r);
        r.vertsPerPolygon = o.vertsPerPolygon;
        r.polygonCount = o.polygonCount;
        strncpy(r.textureName, o.textureName.c_str(), sizeof r.textureName - 1);
        r.shadeMode = o.shadeMode;
        r.alphaBlendEnable = o.alphaBlend;
        r.srcBlend = o.srcBlend;
        r.destBlend = o.destBlend;
        r.vertexOffset = (uint32_t)vertexAt;
        r.nextOffset = (uint32_t)((i + 1) * sizeof(ModelObject));
        r.material = o.material;
        memcpy(body.data() + i * sizeof r, &r, sizeof r);
        size_t bytes = o.vertices.size() * sizeof(ModelVertex);
        body.resize(vertexAt + bytes);
        if (bytes) memcpy(body.data() + vertexAt, o.vertices.data(), bytes);
        vertexAt += bytes;
    }
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// Loads the objects as a model whose directory is the temporary directory.
inline bool LoadModel(ModelData* model, const std::vector<ObjectDesc>& objects,
                      const char* fileName = "engine_test.dat") {
    std::string path = TempDir() + fileName;
    WriteBytes(path, ModelFile(objects));
    ClearModelData(model);
    return LoadModelFile(model, path.c_str());
}

// A flat grid in the x-z plane, as triangles, n x n cells over [x0,x1] x [z0,z1].
inline ObjectDesc Grid(int n, float x0, float x1, float z0, float z1) {
    ObjectDesc o;
    o.vertsPerPolygon = 3;
    o.polygonCount = 2 * n * n;
    auto v = [&](int i, int j) {
        ModelVertex m{};
        m.x = x0 + (x1 - x0) * i / n;
        m.z = z0 + (z1 - z0) * j / n;
        m.ny = 1.0f;
        return m;
    };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            o.vertices.push_back(v(i, j));
            o.vertices.push_back(v(i, j + 1));
            o.vertices.push_back(v(i + 1, j));
            o.vertices.push_back(v(i + 1, j));
            o.vertices.push_back(v(i, j + 1));
            o.vertices.push_back(v(i + 1, j + 1));
        }
    return o;
}

// A 24-bit bottom-up BMP of w x h (height negative: top-down) filled by
// colour(x, y) -> 0xRRGGBB.
template <class F>
std::vector<unsigned char> Bitmap24(int32_t w, int32_t h, F colour) {
    int32_t rows = h < 0 ? -h : h;
    int32_t stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> b(54 + (size_t)stride * rows, 0);
    auto put32 = [&](size_t at, uint32_t v) { memcpy(&b[at], &v, 4); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, (uint32_t)b.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)w);
    put32(22, (uint32_t)h);
    b[26] = 1;
    b[28] = 24;
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t c = colour(x, y);
            size_t at = 54 + (size_t)y * stride + x * 3;
            b[at] = c & 0xFF;
            b[at + 1] = (c >> 8) & 0xFF;
            b[at + 2] = (c >> 16) & 0xFF;
        }
    return b;
}

inline std::string WriteBitmap(const std::string& name, int32_t w, int32_t h, uint32_t rgb = 0xFF0000) {
    std::string path = TempDir() + name;
    WriteBytes(path, Bitmap24(w, h, [rgb](int, int) { return rgb; }));
    return path;
}

// A top-level popup window whose client area is exactly w x h at screen
// position (x, y). Showing a window costs Wine about two seconds without a
// window manager, so only tests that look at the screen ask for it.
inline HWND MakeWindow(int x, int y, int w, int h, bool visible = false) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MorvellaEngineTest";
        RegisterClassA(&wc);
        registered = true;
    }
    HWND window = CreateWindowExA(0, "MorvellaEngineTest", "engine test", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, w, h,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return window;
}

}  // namespace testsupport
