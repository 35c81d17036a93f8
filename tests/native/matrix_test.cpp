#include "engine/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// The elements row by row, read the defined way.
struct Elements {
    float e[16];
    explicit Elements(const Matrix4& m) { memcpy(e, &m, sizeof e); }
    float operator[](int i) const { return e[i]; }
};

// Literal expectations hold to 2e-6 per element: a few float roundings of
// values of order 1.
void ExpectMatrix(const Matrix4& m, const float (&expected)[16], float tolerance = 2e-6f)
{
    Elements e(m);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(e[i], expected[i], tolerance) << "element _" << i / 4 + 1 << i % 4 + 1;
}

// p * m for a row vector p.
void Transform(const Matrix4& m, const float (&p)[4], double (&out)[4])
{
    Elements e(m);
    for (int j = 0; j < 4; ++j) {
        out[j] = 0.0;
        for (int k = 0; k < 4; ++k)
            out[j] += (double)p[k] * e[k * 4 + j];
    }
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const float c = 0.87758256f, s = 0.47942554f;  // cos and sin of 0.5

TEST(Matrix, BasisMatricesConventionsAndProducts)
{
    Matrix4 m, a, b, out;
    memset(&m, 0x7F, sizeof(m));  // every element is written, whatever was there
    ExpectMatrix(*MatrixRotationX(&m, 0.5), {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1});
    memset(&m, 0x7F, sizeof(m));
    ExpectMatrix(*MatrixRotationY(&m, 0.5), {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1});
    memset(&m, 0x7F, sizeof(m));
    ExpectMatrix(*MatrixRotationZ(&m, 0.5), {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    ExpectMatrix(*MatrixRotationZ(&m, 0.0), kIdentity, 0.0f);

    // Row vectors: a quarter turn about Z takes +X to +Y, about X +Y to +Z,
    // about Y +Z to +X; cos(pi/2) is kept as the tiny float it rounds to.
    double p[4];
    Transform(*MatrixRotationZ(&m, M_PI / 2), {1, 0, 0, 1}, p);
    EXPECT_NEAR(p[1], 1.0, 1e-7);
    // Not flushed to zero; its last bits are the runtime's cosine's own.
    EXPECT_NE(m._11, 0.0f);
    EXPECT_NEAR(m._11, (float)cos(M_PI / 2), 1e-20f);
    Transform(*MatrixRotationX(&m, M_PI / 2), {0, 1, 0, 1}, p);
    EXPECT_NEAR(p[2], 1.0, 1e-7);
    Transform(*MatrixRotationY(&m, M_PI / 2), {0, 0, 1, 1}, p);
    EXPECT_NEAR(p[0], 1.0, 1e-7);

    // In a * b, a acts first; out may alias an input.
    MatrixRotationZ(&a, 0.5);
    MatrixTranslation(&b, 1, 2, 3);
    MatrixMultiply(&out, &b, &a);  // the translation is turned too
    ExpectMatrix(out, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, c - 2 * s, s + 2 * c, 3, 1});
    MatrixMultiply(&a, &a, &b);
    ExpectMatrix(a, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1});
    MatrixIdentity(&m);
    MatrixMultiply(&out, &m, &a);
    EXPECT_EQ(memcmp(&out, &a, sizeof(a)), 0);
}

TEST(Matrix, ProjectionOfTheSaver)
{
    Matrix4 m;
    MatrixProjection(&m, 0.5, 1.0, 1000.0);
    ExpectMatrix(m, {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0.5005005f, 0.5f, 0, 0, -0.5005005f, 0}, 1e-7f);
    // Depth 0 at the near plane, 1 at the far one; the view's corner at
    // distance 1 lands on the picture's corner.
    double p[4];
    Transform(m, {0, 0, 1, 1}, p);
    EXPECT_NEAR(p[2] / p[3], 0.0, 1e-6);
    Transform(m, {0, 0, 1000, 1}, p);
    EXPECT_NEAR(p[2] / p[3], 1.0, 1e-6);
    Transform(m, {0.25f, 0.25f, 1, 1}, p);
    EXPECT_NEAR(p[0] / p[3], 1.0, 1e-6);
    EXPECT_NEAR(p[1] / p[3], 1.0, 1e-6);
    // Arguments that would divide by zero give the identity, not NaNs.
    ExpectMatrix(*MatrixProjection(&m, 0.5, 0.0, 1000.0), kIdentity, 0.0f);
    ExpectMatrix(*MatrixProjection(&m, 0.5, 2.0, 2.0), kIdentity, 0.0f);
}

TEST(Matrix, WorldAndViewComposites)
{
    Matrix4 m;
    MatrixWorld(&m, 0, 0, 0, 4, 5, 6);
    ExpectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 4, 5, 6, 1}, 0.0f);
    MatrixView(&m, 0, 0, 0, 4, 5, 6);
    ExpectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -4, -5, -6, 1}, 0.0f);

    // The object turns about Z, then Y, then X; the camera about Z, X, Y.
    MatrixWorld(&m, 0.3, 0.2, 0.1, 1, 2, 3);
    ExpectMatrix(m, {0.9751703f, 0.1537920f, -0.1593451f, 0, -0.0978434f, 0.9447025f, 0.3129918f, 0,
                     0.1986693f, -0.2896295f, 0.9362934f, 0, 1, 2, 3, 1});
    MatrixView(&m, 0.3, 0.2, 0.1, 1, 2, 3);
    ExpectMatrix(m, {0.9810316f, -0.0394259f, 0.1897961f, 0, 0.0953745f, 0.9505638f, -0.2955202f, 0,
                     -0.1687621f, 0.3080164f, 0.9362934f, 0, -0.6654943f, -2.7857508f, -2.4076357f, 1});

    // The view undoes the camera's placement Rz * Rx * Ry * T.
    Matrix4 rz, rx, ry, t, placement;
    MatrixMultiply(&placement, MatrixRotationZ(&rz, 0.1), MatrixRotationX(&rx, 0.3));
    MatrixMultiply(&placement, &placement, MatrixRotationY(&ry, 0.2));
    MatrixMultiply(&placement, &placement, MatrixTranslation(&t, 1, 2, 3));
    MatrixMultiply(&placement, &placement, &m);
    ExpectMatrix(placement, kIdentity, 1e-6f);

    // Straight down from height 50: world x stays screen right, world z
    // becomes screen up, the origin lies 50 ahead.
    MatrixView(&m, 1.57079632675, 0, 0, 0, 50, 0);
    ExpectMatrix(m, {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 50, 1}, 1e-5f);
}

}  // namespace
