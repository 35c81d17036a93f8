#include "assets/model_data.h"
#include "engine/matrix.h"
#include "model_fixture.h"
#include "tools/default_model.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Pixel-space (y down) winding of every triangle in front of the camera must
// be clockwise: the device's default culling drops the others.
void ExpectFrontFacing(const ModelObjectRef& object, const Matrix4& view)
{
    Matrix4 projection, m;
    MatrixMultiply(&m, &view, MatrixProjection(&projection, 0.5, 1.0, 1000.0));
    float e[16];
    memcpy(e, &m, sizeof e);
    int seen = 0;
    for (int32_t t = 0; t + 2 < object.vertexCount; t += 3) {
        double sx[3], sy[3], w = 1.0;
        for (int k = 0; k < 3; ++k) {
            const ModelVertex& v = object.vertices[t + k];
            double c[4];
            for (int j = 0; j < 4; ++j)
                c[j] = v.x * e[j] + v.y * e[4 + j] + v.z * e[8 + j] + e[12 + j];
            w = std::min(w, c[3]);
            sx[k] = (c[0] / c[3] + 1.0) * 320.0;
            sy[k] = (1.0 - c[1] / c[3]) * 240.0;
        }
        if (w <= 0.1)
            continue;
        ASSERT_GT((sx[1] - sx[0]) * (sy[2] - sy[0]) - (sy[1] - sy[0]) * (sx[2] - sx[0]), 0.0) << t / 3;
        ++seen;
    }
    EXPECT_GT(seen, 0);
}

TEST(DefaultModel, FlatSquareOfSide24FacingEveryView)
{
    ModelData model;
    ASSERT_TRUE(fixture::LoadBytes(&model, BuildDefaultModelFile()));
    ASSERT_EQ(model.objectCount, 1);
    const ModelObjectRef& object = model.objects[0];
    EXPECT_EQ(object.vertsPerPolygon, 3);
    EXPECT_EQ(object.polygonCount, DefaultModelGrid * DefaultModelGrid * 2);
    EXPECT_EQ(object.record->alphaBlendEnable, 0u);
    EXPECT_EQ(object.record->material.diffuse.a, 1.0f);
    float lo = 0, hi = 0;
    for (int32_t i = 0; i < object.vertexCount; ++i) {
        const ModelVertex& v = object.vertices[i];
        lo = std::min(lo, std::min(v.x, v.z));
        hi = std::max(hi, std::max(v.x, v.z));
        ASSERT_TRUE(v.y == 0.0f && v.ny == 1.0f);
    }
    EXPECT_EQ(lo, -12.0f);
    EXPECT_EQ(hi, 12.0f);

    Matrix4 view;
    ExpectFrontFacing(object, *(MatrixView(&view, 1.57079632675, 0, 0, 0, 50, 0), &view));  // top view
    MatrixView(&view, (double)0.4f, 1.0, 0, 3.0f, 2.0f, 4.0f);  // orbiting, tilted down
    ExpectFrontFacing(object, view);
    FreeModelData(&model);
}

}  // namespace
