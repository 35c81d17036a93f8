// Helpers for the converter's tests: scratch files, a conversion through
// the tool's own code, and the converted file as the saver loads it.
#ifndef MORVELLA_TESTS_CONVERT_FIXTURE_H
#define MORVELLA_TESTS_CONVERT_FIXTURE_H

#include "assets/model_data.h"
#include "convert/convert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace convert_test {

// A fresh folder under the build tree, inside one of the running test's own.
std::string ScratchDir(const std::string& name);
void WriteText(const std::string& path, const std::string& text);

// One of Debian's assimp test models (path below its models folder).
std::string TestModel(const std::string& relative);

ConvertReport Convert(const std::string& input, const std::string& output,
                      const std::vector<std::string>& extra = {});

// A converted file as the saver's loader sees it.
struct Loaded {
    ModelData model;
    Loaded() { ClearModelData(&model); }
    ~Loaded() { FreeModelData(&model); }
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
};
bool Load(const std::string& path, Loaded* loaded);

// Convert, then Load the output: a failure of either says which and why.
// The report, when asked for, is the conversion's.
::testing::AssertionResult ConvertAndLoad(const std::string& input, const std::string& output, Loaded* loaded,
                                          const std::vector<std::string>& extra = {},
                                          ConvertReport* report = nullptr);

// The tool itself, run with its output in files: how it ended, what it
// printed, and the processor time it and its children took.
struct ToolRun {
    int exitCode = -1;    // -1 when it did not exit
    int signal = 0;       // the signal that ended it, if one did
    std::string out, err;
    double cpuSeconds = 0;
};
ToolRun RunTool(const std::vector<std::string>& args);

// The first line of text that contains `part`, or "".
std::string LineWith(const std::string& text, const std::string& part);

// A binary STL of the given triangles (three corners each, nine numbers a
// triangle), with a facet normal each, as every STL writer stores them.
void WriteStl(const std::string& path, const std::vector<float>& corners);

struct Box {
    double lo[3] = {1e300, 1e300, 1e300};
    double hi[3] = {-1e300, -1e300, -1e300};
};
Box Bounds(const ModelData& model);

// Sum over every triangle of a . (b x c): six times the enclosed volume,
// positive when the triangles' fronts face out.
double SignedVolume(const ModelData& model, int object);

}  // namespace convert_test

#endif
