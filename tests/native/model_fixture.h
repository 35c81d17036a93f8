// Builds model files byte by byte for the loader, deformer and animation tests.
#ifndef MORVELLA_TESTS_MODEL_FIXTURE_H
#define MORVELLA_TESTS_MODEL_FIXTURE_H

#include "assets/model_data.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <algorithm>
#include <vector>

namespace fixture {

// A model body under construction; offsets are body offsets.
struct Body {
    std::vector<unsigned char> bytes;
    void Put32(size_t at, uint32_t value)
    {
        if (bytes.size() < at + 4)
            bytes.resize(at + 4, 0);
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = (unsigned char)(value >> (8 * i));
    }
    void Record(size_t at, int32_t perPolygon, int32_t polygons, uint32_t vertexOffset, uint32_t next)
    {
        Put32(at + ModelRecordSize - 4, 0);
        Put32(at + 4, (uint32_t)perPolygon);
        Put32(at + 8, (uint32_t)polygons);
        Put32(at + 288, vertexOffset);
        Put32(at + 292, next);
    }
};

// One object at 0 drawing the points as a triangle list, the ending record
// at 372, the vertices from 744.
inline Body OneObject(const std::vector<ModelVertex>& points)
{
    Body body;
    body.Record(0, 3, (int32_t)(points.size() / 3), 744, 372);
    body.Record(372, 0, 0, 0, 0);
    body.bytes.resize(744 + 32 * points.size());
    memcpy(body.bytes.data() + 744, points.data(), 32 * points.size());
    return body;
}

inline std::string WriteFile(const char* name, const std::vector<unsigned char>& bytes)
{
    const std::string path = "/tmp/morvella_test_" + std::to_string(getpid()) + "_" + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

// Loads a whole file's bytes the way the saver does.
inline bool LoadBytes(ModelData* model, const std::vector<unsigned char>& file)
{
    ClearModelData(model);
    const std::string path = WriteFile("model.dat", file);
    const bool ok = LoadModelFile(model, path.c_str());
    remove(path.c_str());
    return ok;
}

// Loads body behind a valid header.
inline bool Load(ModelData* model, const Body& body)
{
    std::vector<unsigned char> file(ModelHeaderSize + body.bytes.size(), ' ');
    memcpy(file.data(), "CONVLWO", 7);
    std::copy(body.bytes.begin(), body.bytes.end(), file.begin() + ModelHeaderSize);
    return LoadBytes(model, file);
}

}  // namespace fixture

#endif
