// Vectors and matrices shared by every subsystem: three floats, and 4 x 4 floats
// in the row-vector convention (a point is a row vector multiplied on the left,
// so RotX * RotY * RotZ * Translate applies the X rotation first).
#pragma once

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

struct Matrix {
    float m[4][4] = {};
};
