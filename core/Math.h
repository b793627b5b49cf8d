// Vectors and matrices shared by every subsystem: three floats, and 4 x 4 floats
// in the row-vector convention (a point is a row vector multiplied on the left,
// so RotX * RotY * RotZ * Translate applies the X rotation first).
//
// Angles are half-turns (1.0 = 180 degrees), counter-clockwise, 0 along +Y.
// Everything here is single precision and evaluated in the order written, so
// that replays repeat bit for bit; do not "simplify" the expressions.
#pragma once

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

struct Matrix {
    float m[4][4] = {};
};

// Pi in single precision; angles in half-turns are multiplied by it.
inline constexpr float kPi = 3.14159265358979323846f;

// The shared constant vectors: zero (targets and tangents), up and down.
inline constexpr Vec3 g_vZero{0.0f, 0.0f, 0.0f};
inline constexpr Vec3 g_vUp{0.0f, 1.0f, 0.0f};
inline constexpr Vec3 g_vDown{0.0f, -1.0f, 0.0f};

// Component-wise operators (one rounding per component, nothing fused).
inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline bool operator==(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// --- vector helpers -------------------------------------------------------
void Set(Vec3& v, float x, float y, float z);
void Copy(Vec3& dst, const Vec3& src);
void AddTo(Vec3& v, const Vec3& w);
void AddTo(Vec3& v, float x, float y, float z);
void ScaleBy(Vec3& v, float s);
float Length(const Vec3& v);
// sqrt(dz^2 + dy^2 + dx^2), summed in that order.
float Distance(const Vec3& a, const Vec3& b);
// Normalise, then scale: how speeds are applied. A zero vector stays zero.
void SetLength(Vec3& v, float s);
// True when no component is below or above 0.
bool IsZero(const Vec3& v);
// v := v - 2 (v . n) n, n a unit normal.
void Reflect(Vec3& v, const Vec3& n);
// Turn v about one axis by a half-turns.
void RotateX(Vec3& v, float a);
void RotateY(Vec3& v, float a);
void RotateZ(Vec3& v, float a);
// v := v * RotX(ax) * RotY(ay) * RotZ(az), no translation.
void RotateXYZ(Vec3& v, float ax, float ay, float az);
// The Z rotation (half-turns, in (0, 2]) that turns (0, 1) toward (x, y);
// 0 for the zero vector. Up gives 2.0, left 0.5, down 1.0, right 1.5.
float DirectionAngle(float x, float y);

// --- matrix helpers -------------------------------------------------------
void MatrixIdentity(Matrix& out);
void MatrixRotationX(Matrix& out, float a);   // a in half-turns
void MatrixRotationY(Matrix& out, float a);
void MatrixRotationZ(Matrix& out, float a);
void MatrixTranslation(Matrix& out, float x, float y, float z);
// out := a * b (out may alias either operand).
void MatrixMultiply(Matrix& out, const Matrix& a, const Matrix& b);
// Row vector times matrix, w taken as 1 and the result not divided.
Vec3 TransformCoord(const Vec3& v, const Matrix& m);
// out := RotX(rx) * RotY(ry) * RotZ(rz) * Translation(tx, ty, tz).
void BuildWorldMatrix(Matrix& out, float rx, float ry, float rz, float tx, float ty, float tz);
// out := identity with the transposed 3 x 3 part of m: the inverse of a pure
// rotation, used to turn billboards toward the camera.
void InverseRotation(Matrix& out, const Matrix& m);
// Left-handed look-at view matrix (the camera at eye looks at at, up as given).
// False, leaving out untouched, when eye and at coincide or up is parallel to
// the line of sight: no view exists then.
bool MatrixLookAtLH(Matrix& out, const Vec3& eye, const Vec3& at, const Vec3& up);
