#include <gtest/gtest.h>
#include "core/Math.h"
TEST(MathTypes, StartAtZero) { Vec3 v; Matrix m; EXPECT_EQ(v.x + v.y + v.z + m.m[3][3], 0.0f); }
