#include "convert_fixture.h"

#include "convert/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ToolRun RunTool(const std::vector<std::string>& args)
{
    ToolRun run;
    const std::string dir = ScratchDir("tool-output");
    const std::string out = dir + "/stdout.txt", err = dir + "/stderr.txt";
    std::vector<std::string> all = {MORVELLA_CONVERT_TOOL};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    rusage before, after;
    getrusage(RUSAGE_CHILDREN, &before);
    const pid_t pid = fork();
    if (pid == 0) {
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(o, 1);
        dup2(e, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const timeval& t) { return (double)t.tv_sec + (double)t.tv_usec / 1e6; };
    run.cpuSeconds = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
                     seconds(before.ru_stime);
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        run.signal = WTERMSIG(status);
    run.out = ReadWhole(out);
    run.err = ReadWhole(err);
    return run;
}

std::string LineWith(const std::string& text, const std::string& part)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.find(part) != std::string::npos)
            return line;
    return "";
}

void WriteStl(const std::string& path, const std::vector<float>& corners)
{
    std::string file(80, '\0');
    const uint32_t count = (uint32_t)(corners.size() / 9);
    file.append((const char*)&count, 4);
    for (size_t t = 0; t + 8 < corners.size(); t += 9) {
        const float* p = &corners[t];
        const double u[3] = {p[3] - p[0], p[4] - p[1], p[5] - p[2]}, v[3] = {p[6] - p[0], p[7] - p[1], p[8] - p[2]};
        double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        float record[12];
        for (int k = 0; k < 3; ++k)
            record[k] = length > 0 ? (float)(n[k] / length) : 0.0f;
        memcpy(record + 3, p, 9 * sizeof(float));
        file.append((const char*)record, sizeof record);
        file.append(2, '\0');
    }
    std::ofstream(path, std::ios::binary) << file;
}

bool Load(const std::string& path, Loaded* loaded)
{
    return LoadModelFile(&loaded->model, path.c_str());
}

::testing::AssertionResult ConvertAndLoad(const std::string& input, const std::string& output, Loaded* loaded,
                                          const std::vector<std::string>& extra, ConvertReport* report)
{
    const ConvertReport converted = Convert(input, output, extra);
    if (report)
        *report = converted;
    if (!converted.ok)
        return ::testing::AssertionFailure() << "not converted: " << converted.error;
    if (!Load(output, loaded))
        return ::testing::AssertionFailure() << "converted, but the saver's loader refuses it";
    return ::testing::AssertionSuccess();
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
