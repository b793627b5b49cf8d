// Random numbers and the shared vector and matrix helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/Math.h"
#include "core/Random.h"

namespace {

// Exposes the raw outputs so they can be compared with the standard generator.
class CRawRandom : public CRandom {
public:
    using CRandom::NextOutput;
};

TEST(Random, SeededOutputsMatchStandardMersenneTwister)
{
    CRawRandom rand;
    rand.Seed(1024);
    std::mt19937 reference(1024);
    // Past two regenerations of the state.
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(rand.NextOutput(), reference()) << "draw " << i;

    // Re-seeding restarts the sequence.
    rand.Seed(1024);
    std::mt19937 again(1024);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(rand.NextOutput(), again());
}

TEST(Random, UnseededGeneratorSeedsWith5489)
{
    CRawRandom rand;
    std::mt19937 reference(5489);
    for (int i = 0; i < 700; ++i) ASSERT_EQ(rand.NextOutput(), reference()) << "draw " << i;
}

TEST(Random, RealAndIntegerConsumeOneOutputEach)
{
    CRandom rand;
    rand.Seed(1024);
    std::mt19937 reference(1024);
    for (int i = 0; i < 100; ++i) {
        const uint32_t y = reference();
        if (i % 2 == 0) {
            const double expected = static_cast<double>(static_cast<float>(y * (1.0 / 4294967295.0)));
            ASSERT_EQ(rand.Real(), expected);
        } else {
            // y * 7 rounded once to single precision, then scaled by 1 / 2^32.
            const float product = static_cast<float>(static_cast<double>(y) * 7.0);
            ASSERT_EQ(rand.Integer(7), static_cast<int>(product / 4294967296.0f));
        }
    }
}

TEST(Random, ScalingAtTheEndsOfTheOutputRange)
{
    struct Case {
        uint32_t y;
        int n;
        int expected;
    };
    const Case cases[] = {
        {0u, 1, 0},
        {0u, 100, 0},
        {0xFFFFFFFFu, 1, 1},
        {0xFFFFFFFFu, 100, 100},
        {0xFFFFFFFFu, 0, 0},
        // Just below the top: single precision keeps y * n below n.
        {0xFFFFFF00u, 1, 0},
        {0x80000000u, 100, 50},
        // Single precision: y * n near a whole number rounds onto it.
        {0x7FFFFF7Fu, 2, 0},
        {0x7FFFFFFFu, 2, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CRandom::ScaleInteger(c.y, c.n), c.expected) << c.y << " * " << c.n;
    }
    EXPECT_EQ(CRandom::ScaleReal(0u), 0.0);
    EXPECT_EQ(CRandom::ScaleReal(0xFFFFFFFFu), 1.0);
}

TEST(Math, DirectionAngleTable)
{
    struct Case {
        float x, y, expected;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0.0f},   {0.0f, 5.0f, 2.0f},    {0.0f, 1.0f, 2.0f},  {3.0f, 0.0f, 1.5f},
        {1.0f, 0.0f, 1.5f},   {-1.0f, 0.0f, 0.5f},   {0.0f, -1.0f, 1.0f}, {-2.0f, 2.0f, 0.25f},
        {2.0f, -2.0f, 1.25f}, {-2.0f, -2.0f, 0.75f}, {2.0f, 2.0f, 1.75f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(DirectionAngle(c.x, c.y), c.expected, 1e-6f) << c.x << ", " << c.y;
    }
    // The exact axis cases of the table, bit for bit.
    EXPECT_EQ(DirectionAngle(0.0f, 5.0f), 2.0f);
    EXPECT_EQ(DirectionAngle(3.0f, 0.0f), 1.5f);
    EXPECT_EQ(DirectionAngle(-1.0f, 0.0f), 0.5f);
    EXPECT_EQ(DirectionAngle(0.0f, -1.0f), 1.0f);
}

TEST(Math, RotatingUpByTheDirectionAngleGivesTheDirectionBack)
{
    const float dirs[][2] = {{0.3f, 0.7f}, {-0.9f, 0.1f}, {-0.2f, -0.8f}, {0.6f, -0.6f}, {1e-20f, 1.0f}};
    for (const auto& d : dirs) {
        Vec3 v = g_vUp;
        RotateZ(v, DirectionAngle(d[0], d[1]));
        const float len = std::sqrt(d[0] * d[0] + d[1] * d[1]);
        EXPECT_NEAR(v.x, d[0] / len, 1e-5f);
        EXPECT_NEAR(v.y, d[1] / len, 1e-5f);
        EXPECT_EQ(v.z, 0.0f);
    }
}

TEST(Math, VectorHelpers)
{
    Vec3 v{3.0f, 4.0f, 0.0f};
    EXPECT_EQ(Length(v), 5.0f);
    SetLength(v, 10.0f);
    EXPECT_FLOAT_EQ(v.x, 6.0f);
    EXPECT_FLOAT_EQ(v.y, 8.0f);

    Vec3 zero;
    SetLength(zero, 3.0f);
    EXPECT_TRUE(zero == g_vZero);
    EXPECT_TRUE(IsZero(zero));
    EXPECT_TRUE(IsZero(Vec3{-0.0f, 0.0f, 0.0f}));
    EXPECT_FALSE(IsZero(Vec3{0.0f, 0.0f, -1e-30f}));

    EXPECT_EQ(Distance(Vec3{1, 2, 3}, Vec3{4, 6, 3}), 5.0f);

    Vec3 r{1.0f, -1.0f, 0.0f};
    Reflect(r, Vec3{0.0f, 1.0f, 0.0f});
    EXPECT_TRUE(r == (Vec3{1.0f, 1.0f, 0.0f}));

    Vec3 a{1.0f, 2.0f, 3.0f};
    AddTo(a, Vec3{1.0f, 1.0f, 1.0f});
    AddTo(a, 0.5f, 0.5f, 0.5f);
    ScaleBy(a, 2.0f);
    EXPECT_TRUE(a == (Vec3{5.0f, 7.0f, 9.0f}));
}

TEST(Math, RotationsAreCounterClockwiseHalfTurns)
{
    struct Case {
        int axis;
        Vec3 in, out;
    };
    // A quarter turn (0.5) about each axis, counter-clockwise seen from the
    // axis' positive end, in the row-vector convention.
    const Case cases[] = {
        {0, {0, 1, 0}, {0, 0, 1}},
        {1, {0, 0, 1}, {1, 0, 0}},
        {2, {1, 0, 0}, {0, 1, 0}},
        {2, {0, 1, 0}, {-1, 0, 0}},
    };
    for (const Case& c : cases) {
        Vec3 v = c.in;
        if (c.axis == 0) RotateX(v, 0.5f);
        if (c.axis == 1) RotateY(v, 0.5f);
        if (c.axis == 2) RotateZ(v, 0.5f);
        EXPECT_NEAR(v.x, c.out.x, 1e-6f);
        EXPECT_NEAR(v.y, c.out.y, 1e-6f);
        EXPECT_NEAR(v.z, c.out.z, 1e-6f);
    }
}

TEST(Math, WorldMatrixAppliesXRotationFirstThenTranslation)
{
    Matrix m;
    BuildWorldMatrix(m, 0.5f, 0.0f, 0.5f, 10.0f, 20.0f, 30.0f);
    // X first: up turns to +Z, which the Z rotation leaves alone.
    const Vec3 p = TransformCoord(Vec3{0.0f, 1.0f, 0.0f}, m);
    EXPECT_NEAR(p.x, 10.0f, 1e-5f);
    EXPECT_NEAR(p.y, 20.0f, 1e-5f);
    EXPECT_NEAR(p.z, 31.0f, 1e-5f);

    Vec3 v{0.0f, 1.0f, 0.0f};
    RotateXYZ(v, 0.5f, 0.0f, 0.5f);
    EXPECT_NEAR(v.z, 1.0f, 1e-6f);
    EXPECT_NEAR(v.x, 0.0f, 1e-6f);

    // The inverse rotation undoes the rotation and carries no translation.
    Matrix inv, product;
    InverseRotation(inv, m);
    Matrix rot = m;
    rot.m[3][0] = rot.m[3][1] = rot.m[3][2] = 0.0f;
    MatrixMultiply(product, rot, inv);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(product.m[i][j], i == j ? 1.0f : 0.0f, 1e-6f);
    }
    EXPECT_EQ(inv.m[3][0], 0.0f);
    EXPECT_EQ(inv.m[3][3], 1.0f);
}

}  // namespace
