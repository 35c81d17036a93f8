#include "anim/deformers.h"
#include "assets/model_data.h"
#include "model_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A loaded, snapshotted model whose first object holds scattered points
// (x from -12 upwards, the first on the hinge).
class Deformed : public ::testing::Test {
protected:
    void SetUp() override
    {
        uint32_t seed = 7;
        for (int i = 0; i < 1200; ++i) {  // more distances than the vortex remembers turns for
            seed = seed * 1103515245u + 12345u;
            const float x = i == 0 ? -12.0f : (float)((seed >> 8) % 2400) / 100.0f - 12.0f;
            const float z = i % 3 == 0 ? -x : (float)((seed >> 4) % 2400) / 100.0f - 12.0f;
            points.push_back({x, 0.25f * (i % 9), z, 0, 1, 0, 0.1f * i, -0.1f * i});
        }
        ASSERT_TRUE(fixture::Load(&model, fixture::OneObject(points)));
        ASSERT_TRUE(SaveModelSnapshot(&model));
        v = ModelFirstObjectVertices(&model, &count);
        ASSERT_EQ(count, (int32_t)points.size());
    }
    void TearDown() override { FreeModelData(&model); }
    bool AtSnapshot() const { return memcmp(model.image, model.saved, (size_t)model.imageSize) == 0; }

    std::vector<ModelVertex> points;
    ModelData model;
    ModelVertex* v = nullptr;
    int32_t count = 0;
};

TEST_F(Deformed, WavesWriteHeightOnlyFromDoubleArithmetic)
{
    DeformWave(&model, 2.0, 0.75, true);
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(v[i].y, (float)(2.0 * sin((double)points[i].z + (double)points[i].x + 0.75))) << i;
        ASSERT_EQ(memcmp(&v[i].z, &points[i].z, 20), 0);  // z, normal, texture coordinates
    }
    DeformFlagWave(&model, 0.1, 1.7, true);
    for (int32_t i = 0; i < count; ++i) {
        const double x = points[i].x;
        ASSERT_EQ(v[i].y, (float)(0.1 * (x + 12.0) * sin(((double)points[i].z + 2.0 * x) * 0.3333333333333333 - 1.7))) << i;
    }
    EXPECT_EQ(std::fabs(v[0].y), 0.0f);  // still at the hinge
    // Both build on the current image, not the snapshot.
    v[1].x = 1.0f;
    v[1].z = 0.0f;
    DeformWave(&model, 1.0, 0.0, true);
    EXPECT_EQ(v[1].y, (float)sin(1.0));
}

TEST_F(Deformed, VortexTurnsByDistanceFromTheSnapshot)
{
    for (double twist : {1.0, -1.7, 2.0, 2.0}) {
        DeformVortex(&model, 0.8, twist, true);
        for (int32_t i = 0; i < count; ++i) {
            const double x = points[i].x, z = points[i].z;
            const double theta = pow(z * z + x * x, 0.5) * 0.1 * twist;
            ASSERT_EQ(v[i].x, (float)(0.8 * (x * cos(theta) - z * sin(theta)))) << i;
            ASSERT_EQ(v[i].z, (float)(0.8 * (x * sin(theta) + z * cos(theta)))) << i;
            ASSERT_EQ(v[i].y, points[i].y);
        }
    }
    DeformVortex(&model, 1.0, 0.0, true);
    EXPECT_TRUE(AtSnapshot());
    DeformVortex(&model, 0.0, 1.3, true);
    for (int32_t i = 0; i < count; ++i)
        ASSERT_TRUE(v[i].x == 0.0f && v[i].z == 0.0f);
}

TEST_F(Deformed, FurlGathersOntoTheEdgeFromTheSnapshot)
{
    DeformFlagFurl(&model, 0.5, true);
    for (int32_t i = 0; i < count; ++i)
        ASSERT_EQ(v[i].x, std::min(points[i].x, 0.0f));
    DeformFlagFurl(&model, 1.0, true);
    EXPECT_TRUE(AtSnapshot());
    DeformFlagFurl(&model, -0.029, true);  // the edge passes left of the hinge
    for (int32_t i = 0; i < count; ++i)
        ASSERT_EQ(v[i].x, (float)(24.0 * -0.029 - 12.0));
}

TEST_F(Deformed, ApplyOffRestoresTheSnapshotExactly)
{
    for (int which = 0; which < 4; ++which) {
        DeformVortex(&model, 0.7, 1.1, true);
        DeformWave(&model, 2, 1, true);
        if (which == 0) DeformWave(&model, 2.0, 0.5, false);
        if (which == 1) DeformVortex(&model, 2.0, 0.5, false);
        if (which == 2) DeformFlagWave(&model, 2.0, 0.5, false);
        if (which == 3) DeformFlagFurl(&model, 0.2, false);
        EXPECT_TRUE(AtSnapshot()) << which;
    }
}

TEST(Deformers, ModelsWithoutVerticesAreLeftAlone)
{
    ModelData model;
    ClearModelData(&model);
    DeformWave(&model, 2, 0, true);  // nothing loaded at all
    DeformVortex(&model, 1, 1, true);
    // No polygons, and a first record that ends the chain.
    for (uint32_t next : {372u, 0u}) {
        fixture::Body body;
        body.Record(0, 3, 0, 400, next);
        body.Record(372, 0, 0, 0, 0);
        body.Put32(400, 0x40A00000u);  // 5.0f where a vertex would be
        ASSERT_TRUE(fixture::Load(&model, body));
        ASSERT_TRUE(SaveModelSnapshot(&model));
        EXPECT_EQ(DeformWave(&model, 2, 0, true), 1);
        EXPECT_EQ(DeformVortex(&model, 0, 1, true), 1);
        EXPECT_EQ(DeformFlagWave(&model, 1, 0, true), 1);
        EXPECT_EQ(DeformFlagFurl(&model, 0, true), 1);
        EXPECT_EQ(memcmp(model.image, model.saved, (size_t)model.imageSize), 0);
        FreeModelData(&model);
    }
}

}  // namespace
