#include "engine/matrix.h"

#include <cmath>
#include <cstring>

namespace {

void Zero(Matrix4* out)
{
    memset(out, 0, sizeof(*out));
}

}  // namespace

Matrix4* MatrixIdentity(Matrix4* out)
{
    Zero(out);
    out->_11 = out->_22 = out->_33 = out->_44 = 1.0f;
    return out;
}

Matrix4* MatrixRotationX(Matrix4* out, double angle)
{
    const double c = cos(angle);
    const double s = sin(angle);
    Zero(out);
    out->_11 = 1.0f;
    out->_22 = (float)c;
    out->_23 = (float)s;
    out->_32 = (float)-s;
    out->_33 = (float)c;
    out->_44 = 1.0f;
    return out;
}

Matrix4* MatrixRotationY(Matrix4* out, double angle)
{
    const double c = cos(angle);
    const double s = sin(angle);
    Zero(out);
    out->_11 = (float)c;
    out->_13 = (float)-s;
    out->_22 = 1.0f;
    out->_31 = (float)s;
    out->_33 = (float)c;
    out->_44 = 1.0f;
    return out;
}

Matrix4* MatrixRotationZ(Matrix4* out, double angle)
{
    const double c = cos(angle);
    const double s = sin(angle);
    Zero(out);
    out->_11 = (float)c;
    out->_12 = (float)s;
    out->_21 = (float)-s;
    out->_22 = (float)c;
    out->_33 = 1.0f;
    out->_44 = 1.0f;
    return out;
}

Matrix4* MatrixTranslation(Matrix4* out, float x, float y, float z)
{
    MatrixIdentity(out);
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

Matrix4* MatrixProjection(Matrix4* out, double viewSize, double nearZ, double farZ)
{
    if (nearZ == 0.0 || farZ == nearZ)
        return MatrixIdentity(out);
    const double k = viewSize / nearZ;
    const double q = farZ / (farZ - nearZ);
    Zero(out);
    out->_11 = 2.0f;
    out->_22 = 2.0f;
    out->_33 = (float)(k * q);
    out->_34 = (float)k;
    out->_43 = (float)-(viewSize * q);
    return out;
}

void MatrixMultiply(Matrix4* out, const Matrix4* a, const Matrix4* b)
{
    // The sixteen members lie row by row without padding, so the bytes of a
    // matrix are those of a float[16]: copying them is the defined way to
    // index its elements. Working into a local also lets out alias an input.
    float ea[16], eb[16], r[16];
    memcpy(ea, a, sizeof ea);
    memcpy(eb, b, sizeof eb);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += (double)ea[i * 4 + k] * (double)eb[k * 4 + j];
            r[i * 4 + j] = (float)sum;
        }
    }
    memcpy(out, r, sizeof r);
}

void MatrixWorld(Matrix4* out, double angleX, double angleY, double angleZ,
                 float x, float y, float z)
{
    Matrix4 rx, ry, rz, t, p1, p2;
    MatrixRotationX(&rx, angleX);
    MatrixRotationY(&ry, angleY);
    MatrixRotationZ(&rz, angleZ);
    MatrixTranslation(&t, x, y, z);
    MatrixMultiply(&p1, &rz, &ry);
    MatrixMultiply(&p2, &p1, &rx);
    MatrixMultiply(out, &p2, &t);
}

void MatrixView(Matrix4* out, double angleX, double angleY, double angleZ,
                float x, float y, float z)
{
    Matrix4 rx, ry, rz, t, p1, p2;
    MatrixRotationX(&rx, -angleX);
    MatrixRotationY(&ry, -angleY);
    MatrixRotationZ(&rz, -angleZ);
    MatrixTranslation(&t, -x, -y, -z);
    MatrixMultiply(&p1, &t, &ry);
    MatrixMultiply(&p2, &p1, &rx);
    MatrixMultiply(out, &p2, &rz);
}
