// 4x4 transformation matrices for the fixed-function pipeline.
//
// Matrix4 has the memory layout of a D3DMATRIX (sixteen floats, row by row,
// _RC = row R, column C), so it can be handed to SetTransform unchanged, but
// it does not depend on any DirectX header.
//
// Conventions: row vectors. A point is transformed as p' = p * M, a
// translation sits in _41, _42, _43, and in a product A * B the transform A
// acts first. Angles are radians (double); sines, cosines and products are
// worked out in double and rounded to float once, when stored.
#ifndef MORVELLA_ENGINE_MATRIX_H
#define MORVELLA_ENGINE_MATRIX_H

#include <type_traits>

struct Matrix4 {
    float _11, _12, _13, _14;
    float _21, _22, _23, _24;
    float _31, _32, _33, _34;
    float _41, _42, _43, _44;
};

static_assert(sizeof(Matrix4) == 64, "Matrix4 must keep the D3DMATRIX layout");
static_assert(std::is_trivially_copyable<Matrix4>::value, "Matrix4 is copied as sixteen floats");

// Each of these writes all sixteen elements of out and returns out.
Matrix4* MatrixIdentity(Matrix4* out);
// Positive angles turn +Y towards +Z (X), +Z towards +X (Y), +X towards +Y (Z).
Matrix4* MatrixRotationX(Matrix4* out, double angle);
Matrix4* MatrixRotationY(Matrix4* out, double angle);
Matrix4* MatrixRotationZ(Matrix4* out, double angle);
Matrix4* MatrixTranslation(Matrix4* out, float x, float y, float z);

// Perspective projection of a square view window of side viewSize at nearZ,
// scaled by viewSize / nearZ: _11 = _22 = 2, _33 = k*Q, _34 = k, _43 = -W*Q
// with k = W/Zn and Q = Zf/(Zf-Zn). Depth runs from 0 at nearZ to 1 at farZ.
// Degenerate arguments (nearZ == 0 or farZ == nearZ) would divide by zero;
// the identity is written instead.
Matrix4* MatrixProjection(Matrix4* out, double viewSize, double nearZ, double farZ);

// out = a * b. Each element is summed in double and rounded once. out may be
// the same matrix as a or b.
void MatrixMultiply(Matrix4* out, const Matrix4* a, const Matrix4* b);

// Object transform: turn about Z, then Y, then X, then move to (x, y, z):
// out = Rz * Ry * Rx * T.
void MatrixWorld(Matrix4* out, double angleX, double angleY, double angleZ,
                 float x, float y, float z);

// Camera transform: the inverse of placing the camera by turning it about Z,
// then X, then Y and moving it to (x, y, z):
// out = T(-x, -y, -z) * Ry(-angleY) * Rx(-angleX) * Rz(-angleZ).
void MatrixView(Matrix4* out, double angleX, double angleY, double angleZ,
                float x, float y, float z);

#endif
