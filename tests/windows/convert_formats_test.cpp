// morvella-convert.exe on the formats people download models in: each file
// of the table (tests/convert/windows-formats.txt) becomes, in a process of
// its own, a file the saver's loader takes, of the objects and triangles the
// Linux converter writes for it.
//
// The exe computes with the x87 unit, the Linux tool with SSE: rounding
// differs in the last bits. Where nothing is simplified that cannot change
// a count (positions are rounded to float alike, and only triangles without
// area are dropped), so the counts must be equal. Where the simplifier chose
// the count, its collapses are ranked by errors computed in floats and the
// last few may go either way: the exe may keep a few triangles more or fewer
// (6 of 21,830 on the largest file here), bounded at 0.5 % of the count and
// never above the saver's one draw of 21,845 triangles.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/model_data.h"
#include "saver_driver.h"
#include "tests/convert/formats_table.h"

namespace {

const char kTestModels[] = "Z:\\usr\\share\\assimp\\models\\";
const long kOneDrawTriangles = 21845;

std::string ReadText(const std::string& path)
{
    std::string text;
    if (FILE* file = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, n);
        fclose(file);
    }
    return text;
}

// Runs the converter with its output and errors in `log`; its exit code.
DWORD Convert(const std::string& args, const std::string& log)
{
    const std::string exe = DistFile("morvella-convert.exe");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    const HANDLE out = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out;
    std::string line = "\"" + exe + "\" " + args;
    PROCESS_INFORMATION run = {};
    const BOOL started = CreateProcessA(exe.c_str(), &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &run);
    CloseHandle(out);
    if (!started)
        return 0xFFFFFFFF;
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(run.hProcess, 100000) == WAIT_OBJECT_0)
        GetExitCodeProcess(run.hProcess, &code);
    else
        TerminateProcess(run.hProcess, 99);
    CloseHandle(run.hProcess);
    CloseHandle(run.hThread);
    return code;
}

const std::vector<formats_table::Row> kRows =
    formats_table::Read(MORVELLA_SOURCE_WIN "\\tests\\convert\\windows-formats.txt");

class ConverterFormats : public ::testing::TestWithParam<formats_table::Row> {};

TEST_P(ConverterFormats, ConvertsToTheLinuxConvertersCounts)
{
    const formats_table::Row& row = GetParam();
    std::string input = kTestModels + row.file;
    for (char& c : input)
        if (c == '/')
            c = '\\';
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(input.c_str()))
        << input << " is missing: scripts/install-deps.sh installs assimp-testmodels";
    const std::string folder = TestDir("ConverterFormats");
    const std::string output = folder + "\\morvella.dat", log = folder + "\\log.txt";
    std::string args = "\"" + input + "\" \"" + output + "\"";
    for (const std::string& o : row.options)
        args += " " + o;
    ASSERT_EQ(0u, Convert(args, log)) << ReadText(log);

    ModelData model;
    ClearModelData(&model);
    ASSERT_TRUE(LoadModelFile(&model, output.c_str())) << "load status " << model.loadStatus;
    long triangles = 0, vertices = 0;
    for (int32_t i = 0; i < model.objectCount; ++i) {
        triangles += model.objects[i].polygonCount;
        vertices += model.objects[i].vertexCount;
    }
    EXPECT_EQ(row.objects, (long)model.objectCount);
    EXPECT_EQ(3 * triangles, vertices);
    if (row.simplified) {
        EXPECT_NEAR((double)row.triangles, (double)triangles, row.triangles * 0.005);
        EXPECT_LE(triangles, kOneDrawTriangles);
    } else {
        EXPECT_EQ(row.triangles, triangles);
    }
    FreeModelData(&model);
}

INSTANTIATE_TEST_SUITE_P(Table, ConverterFormats, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<formats_table::Row>& info) { return info.param.name; });

}  // namespace
