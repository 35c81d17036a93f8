#include "convert_fixture.h"

#include "convert/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace convert_test {

std::string ScratchDir(const std::string& name)
{
    // One folder per test: ctest runs tests side by side.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string owner = test ? std::string(test->test_suite_name()) + "." + test->name() : "none";
    for (char& c : owner)
        if (!isalnum((unsigned char)c) && c != '.')
            c = '_';
    const std::filesystem::path dir = std::filesystem::path(MORVELLA_CONVERT_SCRATCH) / owner / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
}

std::string TestModel(const std::string& relative)
{
    return std::string("/usr/share/assimp/models/") + relative;
}

ConvertReport Convert(const std::string& input, const std::string& output, const std::vector<std::string>& extra)
{
    std::vector<std::string> args = {"morvella-convert", input, output};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    ConvertOptions options;
    std::string error;
    if (!ParseOptions((int)argv.size(), argv.data(), &options, &error)) {
        ConvertReport report;
        report.error = "usage: " + error;
        return report;
    }
    return ConvertModel(options);
}

bool Load(const std::string& path, Loaded* loaded)
{
    return LoadModelFile(&loaded->model, path.c_str());
}

Box Bounds(const ModelData& model)
{
    Box box;
    for (int32_t i = 0; i < model.objectCount; ++i) {
        const ModelObjectRef& ref = model.objects[i];
        for (int32_t v = 0; v < ref.vertexCount; ++v) {
            const double p[3] = {ref.vertices[v].x, ref.vertices[v].y, ref.vertices[v].z};
            for (int k = 0; k < 3; ++k) {
                box.lo[k] = std::min(box.lo[k], p[k]);
                box.hi[k] = std::max(box.hi[k], p[k]);
            }
        }
    }
    return box;
}

double SignedVolume(const ModelData& model, int object)
{
    const ModelObjectRef& ref = model.objects[object];
    double sum = 0;
    for (int32_t t = 0; t + 2 < ref.vertexCount; t += 3) {
        const ModelVertex* v = ref.vertices + t;
        const double ax = v[0].x, ay = v[0].y, az = v[0].z;
        const double bx = v[1].x, by = v[1].y, bz = v[1].z;
        const double cx = v[2].x, cy = v[2].y, cz = v[2].z;
        sum += ax * (by * cz - bz * cy) + ay * (bz * cx - bx * cz) + az * (bx * cy - by * cx);
    }
    return sum;
}

}  // namespace convert_test
