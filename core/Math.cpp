#include "core/Math.h"

#include <cmath>

void Set(Vec3& v, float x, float y, float z)
{
    v.x = x;
    v.y = y;
    v.z = z;
}

void Copy(Vec3& dst, const Vec3& src)
{
    dst = src;
}

void AddTo(Vec3& v, const Vec3& w)
{
    v.x += w.x;
    v.y += w.y;
    v.z += w.z;
}

void AddTo(Vec3& v, float x, float y, float z)
{
    v.x += x;
    v.y += y;
    v.z += z;
}

void ScaleBy(Vec3& v, float s)
{
    v.x *= s;
    v.y *= s;
    v.z *= s;
}

float Length(const Vec3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

float Distance(const Vec3& a, const Vec3& b)
{
    const float dz = a.z - b.z;
    const float dy = a.y - b.y;
    const float dx = a.x - b.x;
    return std::sqrt(dz * dz + dy * dy + dx * dx);
}

void SetLength(Vec3& v, float s)
{
    const float len = Length(v);
    if (len == 0.0f) {
        v = Vec3{};
        return;
    }
    v.x = v.x / len;
    v.y = v.y / len;
    v.z = v.z / len;
    ScaleBy(v, s);
}

bool IsZero(const Vec3& v)
{
    return !(v.x < 0.0f || v.x > 0.0f || v.y < 0.0f || v.y > 0.0f || v.z < 0.0f || v.z > 0.0f);
}

void Reflect(Vec3& v, const Vec3& n)
{
    const float dot = v.x * n.x + v.y * n.y + v.z * n.z;
    const float k = 2.0f * dot;
    v.x = v.x - k * n.x;
    v.y = v.y - k * n.y;
    v.z = v.z - k * n.z;
}

// The rotations below are the row-vector products v * Rot with the zero
// entries of the matrix left out: they add nothing but signed zeros.
void RotateX(Vec3& v, float a)
{
    const float r = a * kPi;
    const float c = std::cos(r), s = std::sin(r);
    const float y = v.y * c - v.z * s;
    const float z = v.y * s + v.z * c;
    v.y = y;
    v.z = z;
}

void RotateY(Vec3& v, float a)
{
    const float r = a * kPi;
    const float c = std::cos(r), s = std::sin(r);
    const float x = v.x * c + v.z * s;
    const float z = v.z * c - v.x * s;
    v.x = x;
    v.z = z;
}

void RotateZ(Vec3& v, float a)
{
    const float r = a * kPi;
    const float c = std::cos(r), s = std::sin(r);
    const float x = v.x * c - v.y * s;
    const float y = v.x * s + v.y * c;
    v.x = x;
    v.y = y;
}

void RotateXYZ(Vec3& v, float ax, float ay, float az)
{
    Matrix m;
    BuildWorldMatrix(m, ax, ay, az, 0.0f, 0.0f, 0.0f);
    v = TransformCoord(v, m);
}

float DirectionAngle(float x, float y)
{
    if (x == 0.0f && y == 0.0f) return 0.0f;
    const float len = std::sqrt(x * x + y * y);
    float nx = x / len;
    // Rounding may carry the normalised x a hair past +-1; acos would give NaN.
    if (nx > 1.0f) nx = 1.0f;
    if (nx < -1.0f) nx = -1.0f;
    float a = std::acos(nx) / kPi;
    if (y <= 0.0f) a = 2.0f - a;
    a = a - 0.5f;
    if (a <= 0.0f) a = a + 2.0f;
    return a;
}

void MatrixIdentity(Matrix& out)
{
    out = Matrix{};
    out.m[0][0] = out.m[1][1] = out.m[2][2] = out.m[3][3] = 1.0f;
}

void MatrixRotationX(Matrix& out, float a)
{
    const float r = a * kPi;
    const float c = std::cos(r), s = std::sin(r);
    MatrixIdentity(out);
    out.m[1][1] = c;
    out.m[1][2] = s;
    out.m[2][1] = -s;
    out.m[2][2] = c;
}

void MatrixRotationY(Matrix& out, float a)
{
    const float r = a * kPi;
    const float c = std::cos(r), s = std::sin(r);
    MatrixIdentity(out);
    out.m[0][0] = c;
    out.m[0][2] = -s;
    out.m[2][0] = s;
    out.m[2][2] = c;
}

void MatrixRotationZ(Matrix& out, float a)
{
    const float r = a * kPi;
    const float c = std::cos(r), s = std::sin(r);
    MatrixIdentity(out);
    out.m[0][0] = c;
    out.m[0][1] = s;
    out.m[1][0] = -s;
    out.m[1][1] = c;
}

void MatrixTranslation(Matrix& out, float x, float y, float z)
{
    MatrixIdentity(out);
    out.m[3][0] = x;
    out.m[3][1] = y;
    out.m[3][2] = z;
}

void MatrixMultiply(Matrix& out, const Matrix& a, const Matrix& b)
{
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    out = r;
}

Vec3 TransformCoord(const Vec3& v, const Matrix& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

void BuildWorldMatrix(Matrix& out, float rx, float ry, float rz, float tx, float ty, float tz)
{
    Matrix x, y, z, t;
    MatrixRotationX(x, rx);
    MatrixRotationY(y, ry);
    MatrixRotationZ(z, rz);
    MatrixTranslation(t, tx, ty, tz);
    Matrix m;
    MatrixMultiply(m, x, y);
    MatrixMultiply(m, m, z);
    MatrixMultiply(out, m, t);
}

void InverseRotation(Matrix& out, const Matrix& m)
{
    Matrix r;
    MatrixIdentity(r);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r.m[i][j] = m.m[j][i];
    }
    out = r;
}

bool MatrixLookAtLH(Matrix& out, const Vec3& eye, const Vec3& at, const Vec3& up)
{
    const auto dot = [](const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    const auto cross = [](const Vec3& a, const Vec3& b) {
        return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    };
    const auto normalise = [&](Vec3& v) {
        const float len = std::sqrt(dot(v, v));
        if (!(len > 0.0f)) return false;
        v = Vec3{v.x / len, v.y / len, v.z / len};
        return true;
    };
    Vec3 z = at - eye;
    if (!normalise(z)) return false;
    Vec3 x = cross(up, z);
    if (!normalise(x)) return false;
    const Vec3 y = cross(z, x);
    MatrixIdentity(out);
    out.m[0][0] = x.x;
    out.m[0][1] = y.x;
    out.m[0][2] = z.x;
    out.m[1][0] = x.y;
    out.m[1][1] = y.y;
    out.m[1][2] = z.y;
    out.m[2][0] = x.z;
    out.m[2][1] = y.z;
    out.m[2][2] = z.z;
    out.m[3][0] = -dot(x, eye);
    out.m[3][1] = -dot(y, eye);
    out.m[3][2] = -dot(z, eye);
    return true;
}
