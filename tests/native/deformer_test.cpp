#include "anim/deformers.h"
#include "assets/model_data.h"
#include "model_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

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

// A fresh model holding exactly these points (a multiple of three) as its
// first object.
struct Points {
    explicit Points(const std::vector<ModelVertex>& p)
    {
        EXPECT_TRUE(fixture::Load(&model, fixture::OneObject(p)));
        EXPECT_TRUE(SaveModelSnapshot(&model));
        v = ModelFirstObjectVertices(&model, &count);
    }
    ~Points() { FreeModelData(&model); }
    ModelData model;
    ModelVertex* v = nullptr;
    int32_t count = 0;
};

const double kPi = 3.14159265358979323846;

ModelVertex At(double x, double z, float y = 0.5f)
{
    return {(float)x, y, (float)z, 0, 1, 0, 0.25f, 0.75f};
}

TEST(Deformers, WaveAndFlagWaveHeightsAtHandPickedPoints)
{
    // Points where the sines are known: y = 2 sin(z + x + pi/6).
    Points wave({At(0, 0), At(kPi / 6, kPi / 6), At(-kPi / 6, 0), At(kPi, kPi / 3), At(kPi / 3, kPi / 3), At(0, kPi / 3)});
    DeformWave(&wave.model, 2.0, kPi / 6, true);
    const double waveY[] = {1.0, 2.0, 0.0, -2.0, 1.0, 2.0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(wave.v[i].y, waveY[i], 1e-6) << i;
        EXPECT_EQ(wave.v[i].nx, 0.0f);  // normals and texture coordinates stay
        EXPECT_EQ(wave.v[i].tv, 0.75f);
    }
    // y = 0.1 (x + 12) sin((z + 2x) / 3 - phase): still at the hinge x = -12.
    Points flag({At(-12, 5), At(0, 1.5 * kPi), At(3, 1.5 * kPi - 6), At(0, 0), At(-12, 1.5 * kPi + 24), At(-12, 0)});
    DeformFlagWave(&flag.model, 0.1, 0.0, true);
    const double flagY[] = {0.0, 1.2, 1.5, 0.0, 0.0, 0.0};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(flag.v[i].y, flagY[i], 1e-6) << i;
    DeformFlagWave(&flag.model, 0.1, kPi / 2, true);
    EXPECT_NEAR(flag.v[3].y, -1.2, 1e-6);
    EXPECT_NEAR(flag.v[1].y, 0.0, 1e-6);
}

TEST(Deformers, VortexTurnsByATenthOfTheTwistPerUnitOfDistance)
{
    // With a twist of pi, distances 5, 10, 15, 20 turn by a quarter, a half,
    // three quarters and a whole turn, x towards z; then x and z scale by 0.8.
    Points p({At(5, 0), At(10, 0), At(0, 15), At(20, 0), At(0, 0), At(0, -5)});
    DeformVortex(&p.model, 0.8, 9.0, true);  // from the snapshot each time, not compounding
    DeformVortex(&p.model, 0.8, kPi, true);
    const double expected[][2] = {{0, 4}, {-8, 0}, {12, 0}, {16, 0}, {0, 0}, {4, 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(p.v[i].x, expected[i][0], 1e-5) << i;
        EXPECT_NEAR(p.v[i].z, expected[i][1], 1e-5) << i;
        EXPECT_EQ(p.v[i].y, 0.5f) << i;
    }
}

TEST_F(Deformed, VortexTurnsEveryDistanceByItsOwnAngle)
{
    // Far more distinct distances than any remembered set of turns: each
    // vertex is still turned by its own angle and scaled about the axis.
    for (double twist : {1.0, -1.7}) {
        DeformVortex(&model, 0.8, twist, true);
        for (int32_t i = 0; i < count; ++i) {
            const std::complex<double> from(points[i].x, points[i].z);
            const std::complex<double> to = from * std::polar(0.8, 0.1 * twist * std::abs(from));
            ASSERT_NEAR(v[i].x, to.real(), 1e-4) << i;
            ASSERT_NEAR(v[i].z, to.imag(), 1e-4) << i;
        }
    }
    DeformVortex(&model, 1.0, 0.0, true);
    EXPECT_TRUE(AtSnapshot());
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
        DeformWave(&model, 2, 0, true);
        DeformVortex(&model, 0, 1, true);
        DeformFlagWave(&model, 1, 0, true);
        DeformFlagFurl(&model, 0, true);
        EXPECT_EQ(memcmp(model.image, model.saved, (size_t)model.imageSize), 0);
        FreeModelData(&model);
    }
}

}  // namespace
