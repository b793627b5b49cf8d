// The edge lists wireframe meshes are drawn from, and the test that leaves out
// meshes the view cannot see.
#include <gtest/gtest.h>

#include <vector>

#include "platform/MeshEdges.h"
#include "platform/RenderMath.h"

namespace {

TEST(MeshEdges, EachEdgeOnceInTheOrderAndDirectionItIsFirstWalked)
{
    // A quad of two triangles sharing 1-2, a third triangle sharing 2-3 with the
    // second, and a degenerate one whose only line is 4-0.
    const uint16_t tris[] = {0, 1, 2, 2, 1, 3, 3, 5, 2, 4, 4, 0};
    const SMeshEdges e = BuildMeshEdges(tris, 4);
    EXPECT_EQ(e.ordered, (std::vector<uint16_t>{0, 1, 1, 2, 2, 0, 1, 3, 3, 2, 3, 5, 5, 2, 4, 0}));
    // Drawn once: 0-1, 2-0, 1-3, 3-5, 5-2; twice: 1-2, 3-2, and 4-0, which the
    // degenerate triangle walks there and back.
    ASSERT_EQ(e.runs.size(), 2u);
    EXPECT_EQ(e.runs[0].shared, 1);
    EXPECT_EQ(e.runs[1].shared, 2);
    const std::vector<uint16_t> once(e.grouped.begin() + e.runs[0].first,
                                     e.grouped.begin() + e.runs[0].first + e.runs[0].count);
    const std::vector<uint16_t> twice(e.grouped.begin() + e.runs[1].first,
                                      e.grouped.begin() + e.runs[1].first + e.runs[1].count);
    EXPECT_EQ(once, (std::vector<uint16_t>{0, 1, 2, 0, 1, 3, 3, 5, 5, 2}));
    EXPECT_EQ(twice, (std::vector<uint16_t>{1, 2, 3, 2, 4, 0}));
}

TEST(MeshEdges, NothingToDraw)
{
    EXPECT_TRUE(BuildMeshEdges(nullptr, 3).ordered.empty());
    const uint16_t point[] = {7, 7, 7};
    const SMeshEdges e = BuildMeshEdges(point, 1);
    EXPECT_TRUE(e.ordered.empty());
    EXPECT_TRUE(e.runs.empty());
}

TEST(MeshEdges, OneBlendOfRepeatedAlphaLeavesWhatRepeatedBlendsLeave)
{
    const float dst = 0.2f, src = 0.9f;
    for (float a : {0.0f, 0.3f, 0.5f, 0.8f, 1.0f})
        for (int times = 1; times <= 4; ++times) {
            float c = dst;
            for (int i = 0; i < times; ++i) c = src * a + c * (1.0f - a);
            const float once = RepeatedAlpha(a, times);
            EXPECT_NEAR(src * once + dst * (1.0f - once), c, 1e-6f) << a << " x" << times;
        }
}

TEST(MeshEdges, BoundsOfTheNamedPositionsOnly)
{
    const Vec3 p[] = {{1, 2, 3}, {-4, 5, 0}, {100, 100, 100}, {0, -1, 7}};
    const uint16_t idx[] = {0, 1, 3, 1};
    const SBox box = BoundsOf(p, idx, 4);
    EXPECT_EQ(box.min.x, -4);
    EXPECT_EQ(box.min.y, -1);
    EXPECT_EQ(box.min.z, 0);
    EXPECT_EQ(box.max.x, 1);
    EXPECT_EQ(box.max.y, 5);
    EXPECT_EQ(box.max.z, 7);
}

TEST(MeshEdges, OutsideTheViewOnlyWhenWhollyBeyondOnePlane)
{
    // Eye at the origin looking down +z, 90 degrees square, near 1, far 100.
    const Matrix proj = PerspectiveFovLH(1.5707964f, 1.0f, 1.0f, 100.0f);
    struct SCase {
        const char* what;
        SBox box;
        bool outside;
    };
    const SCase cases[] = {
        {"in front", {{-1, -1, 9}, {1, 1, 11}}, false},
        {"across the left edge", {{-12, -1, 9}, {-9, 1, 11}}, false},
        {"left", {{-15, -1, 9}, {-12, 1, 11}}, true},
        {"right", {{12, -1, 9}, {15, 1, 11}}, true},
        {"below", {{-1, -15, 9}, {1, -12, 11}}, true},
        {"above", {{-1, 12, 9}, {1, 15, 11}}, true},
        {"behind the eye", {{-1, -1, -5}, {1, 1, -2}}, true},
        {"around the eye", {{-1, -1, -1}, {1, 1, 1}}, false},
        {"beyond the far plane", {{-1, -1, 101}, {1, 1, 120}}, true},
        // Beyond the left and right planes and the near one, but wholly beyond none.
        {"left and right of the view behind and in front", {{-50, -1, -5}, {50, 1, 50}}, false},
        // Just outside, within the margin of a hundredth of w.
        {"within the margin", {{-10.05f, -1, 10}, {-10.01f, 1, 10}}, false},
    };
    for (const SCase& c : cases) EXPECT_EQ(IsOutsideView(proj, c.box, 0.01f, 0.01f), c.outside) << c.what;
}

}  // namespace
