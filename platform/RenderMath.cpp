#include "platform/RenderMath.h"

#include <cmath>

Matrix IdentityMatrix()
{
    Matrix m;
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

bool IsIdentityMatrix(const Matrix& m)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m.m[i][j] != (i == j ? 1.0f : 0.0f)) return false;
    return true;
}

Matrix MultiplyMatrices(const Matrix& a, const Matrix& b)
{
    Matrix o;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
            o.m[i][j] = s;
        }
    return o;
}

Matrix TransposeMatrix(const Matrix& m)
{
    Matrix o;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) o.m[i][j] = m.m[j][i];
    return o;
}

Matrix TranslationMatrix(float x, float y, float z)
{
    Matrix m = IdentityMatrix();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

Matrix ScalingMatrix(float x, float y, float z)
{
    Matrix m = IdentityMatrix();
    m.m[0][0] = x;
    m.m[1][1] = y;
    m.m[2][2] = z;
    return m;
}

Matrix PerspectiveFovLH(float fovY, float aspect, float zn, float zf)
{
    Matrix m;
    const float ys = 1.0f / std::tan(fovY * 0.5f);
    const float xs = ys / aspect;
    m.m[0][0] = xs;
    m.m[1][1] = ys;
    m.m[2][2] = zf / (zf - zn);
    m.m[2][3] = 1.0f;
    m.m[3][2] = -zn * zf / (zf - zn);
    return m;
}

Matrix LookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up)
{
    Matrix m = IdentityMatrix();
    MatrixLookAtLH(m, eye, at, up);
    return m;
}

Matrix OrthoOffCenterLH(float l, float r, float b, float t, float zn, float zf)
{
    Matrix m = IdentityMatrix();
    m.m[0][0] = 2.0f / (r - l);
    m.m[1][1] = 2.0f / (t - b);
    m.m[2][2] = 1.0f / (zf - zn);
    m.m[3][0] = (l + r) / (l - r);
    m.m[3][1] = (t + b) / (b - t);
    m.m[3][2] = zn / (zn - zf);
    return m;
}

Matrix NormalTransformMatrix(const Matrix& m)
{
    const float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    const float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    const float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const float det = a * A + b * B + c * C;
    Matrix o;
    o.m[3][3] = 1.0f;
    if (det == 0.0f) return o;
    const float inv = 1.0f / det;
    // Cofactor matrix / det is the inverse transpose.
    o.m[0][0] = A * inv;
    o.m[0][1] = B * inv;
    o.m[0][2] = C * inv;
    o.m[1][0] = -(b * i - c * h) * inv;
    o.m[1][1] = (a * i - c * g) * inv;
    o.m[1][2] = -(a * h - b * g) * inv;
    o.m[2][0] = (b * f - c * e) * inv;
    o.m[2][1] = -(a * f - c * d) * inv;
    o.m[2][2] = (a * e - b * d) * inv;
    return o;
}

void TransformPoint4(const Matrix& m, float x, float y, float z, float out[4])
{
    for (int j = 0; j < 4; ++j) out[j] = x * m.m[0][j] + y * m.m[1][j] + z * m.m[2][j] + m.m[3][j];
}

Vec3 TransformNormal(const Matrix& m, float x, float y, float z)
{
    return {x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0], x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1],
            x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2]};
}
