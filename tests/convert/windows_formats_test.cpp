// The table of formats the Windows converter is tested on holds what the
// Linux converter writes for each file: the Wine test compares the exe with
// these counts, so they must stay the Linux tool's own.
#include "convert_fixture.h"
#include "tests/convert/formats_table.h"

#include <gtest/gtest.h>

using namespace convert_test;

namespace {

class WindowsFormats : public ::testing::TestWithParam<formats_table::Row> {};

TEST_P(WindowsFormats, LinuxConverterWritesTheTablesCounts)
{
    const formats_table::Row& row = GetParam();
    const std::string out = ScratchDir("windows-formats") + "/morvella.dat";
    Loaded loaded;
    ConvertReport report;
    ASSERT_TRUE(ConvertAndLoad(TestModel(row.file), out, &loaded, row.options, &report));
    long triangles = 0, vertices = 0;
    for (int32_t i = 0; i < loaded.model.objectCount; ++i) {
        triangles += loaded.model.objects[i].polygonCount;
        vertices += loaded.model.objects[i].vertexCount;
    }
    EXPECT_EQ(row.read, (long)report.inputTriangles);
    EXPECT_EQ(row.objects, (long)loaded.model.objectCount);
    EXPECT_EQ(row.triangles, triangles);
    EXPECT_EQ(3 * row.triangles, vertices);
    // Marked simplified exactly when the simplifier chose the count.
    EXPECT_EQ(row.simplified, report.simplified);
}

const std::vector<formats_table::Row> kRows = formats_table::Read(MORVELLA_FORMATS_TABLE);

INSTANTIATE_TEST_SUITE_P(Table, WindowsFormats, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<formats_table::Row>& info) { return info.param.name; });

}  // namespace
