// Matrix builders with the exact formulas of the original math library the game was
// designed with (row vectors, left-handed), used by the renderer and the device.
// (Rotations in half-turns, multiplication into an out parameter and the object
// world matrix are core's, in core/Math.h.)
#pragma once

#include "core/Math.h"

Matrix IdentityMatrix();
bool IsIdentityMatrix(const Matrix& m);
// out = a * b: a is applied first.
Matrix MultiplyMatrices(const Matrix& a, const Matrix& b);
Matrix TransposeMatrix(const Matrix& m);
Matrix TranslationMatrix(float x, float y, float z);
Matrix ScalingMatrix(float x, float y, float z);
Matrix PerspectiveFovLH(float fovY, float aspect, float zn, float zf);
Matrix LookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up);
Matrix OrthoOffCenterLH(float l, float r, float b, float t, float zn, float zf);
// The inverse transpose of the upper 3 x 3 part (rows 0..2, columns 0..2), for
// normals; a singular matrix gives zeros.
Matrix NormalTransformMatrix(const Matrix& m);

// (x, y, z, 1) * m, without the perspective divide.
void TransformPoint4(const Matrix& m, float x, float y, float z, float out[4]);
// Direction (x, y, z, 0) * m.
Vec3 TransformNormal(const Matrix& m, float x, float y, float z);
