// The scrolling backgrounds: CBG chains of 10-unit chunks that follow the
// world anchor, and the CBG2D backdrops that scroll 2 pixels a frame and tile.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "drawables_support.h"
#include "gfx_fixture.h"
#include "gfx/BG.h"
#include "gfx/BG2D.h"

namespace {

std::vector<float> ChunkYs()
{
    std::vector<float> ys;
    for (int i = 0; i < g_EffectList.Count(); ++i)
        if (g_EffectList.At(i)->m_nState != CObject::STATE_DEAD) ys.push_back(g_EffectList.At(i)->m_vPos.y);
    std::sort(ys.begin(), ys.end());
    return ys;
}

}  // namespace

TEST(BG, CrossingTheSpawnLineSpawnsExactlyOneSuccessorTenAbove)
{
    CListsCleaner clean;
    CObject anchor;
    anchor.m_bLocked = true;
    anchor.SetVel(Vec3{0, -0.5f, 0});
    CBG* bg = CBG::SpawnChain(nullptr, &anchor, Vec3{1, 6, 2}, 5.0f, -100.0f);
    bg->Update();  // 6 is above the spawn line: nothing
    EXPECT_EQ(g_EffectList.Count(), 1);
    EXPECT_FLOAT_EQ(bg->m_vPos.y, 5.5f);  // moved with the anchor's velocity
    bg->Update();  // 5.5: still above
    EXPECT_EQ(g_EffectList.Count(), 1);
    bg->Update();  // 5.0: not below yet
    EXPECT_EQ(g_EffectList.Count(), 1);
    bg->Update();  // 4.5: below, one successor at 14.5 with the same lines
    ASSERT_EQ(g_EffectList.Count(), 2);
    const CBG* next = static_cast<const CBG*>(g_EffectList.At(1));
    EXPECT_FLOAT_EQ(next->m_vPos.x, 1.0f);
    EXPECT_FLOAT_EQ(next->m_vPos.y, 14.5f);
    EXPECT_FLOAT_EQ(next->m_vPos.z, 2.0f);
    EXPECT_FLOAT_EQ(next->m_fSpawnY, 5.0f);
    EXPECT_FLOAT_EQ(next->m_fKillY, -100.0f);
    EXPECT_EQ(next->m_pAnchor, &anchor);
    EXPECT_EQ(next->m_pModel, bg->m_pModel);
    for (int i = 0; i < 10; ++i) bg->Update();
    EXPECT_EQ(g_EffectList.Count(), 2);  // only once
}

// The chapter set-up's chain (lines 40 and -40, first chunk at -40): one pass
// fills the range with chunks 10 apart up to the spawn line (the first one
// already drops below the kill line in that pass); scrolling keeps it filled,
// and chunks die below -40.
TEST(BG, ChainTilesTheRangeAndRecyclesChunks)
{
    CListsCleaner clean;
    CObject anchor;
    anchor.m_bLocked = true;
    anchor.SetVel(Vec3{0, -0.3f, 0});
    CBG::SpawnChain(nullptr, &anchor, Vec3{0, -40, 0}, 40.0f, -40.0f);
    StepList(g_EffectList);
    std::vector<float> ys = ChunkYs();
    ASSERT_EQ(ys.size(), 8u);
    for (size_t i = 0; i < ys.size(); ++i) EXPECT_NEAR(ys[i], -30.3f + 10.0f * i, 1e-4) << i;
    for (int frame = 0; frame < 1000; ++frame) {
        StepList(g_EffectList);
        ys = ChunkYs();
        ASSERT_GE(ys.size(), 8u) << frame;
        ASSERT_LE(ys.size(), 9u) << frame;
        EXPECT_GE(ys.front(), -40.0f - 10.0f) << frame;
        EXPECT_GE(ys.back(), 30.0f) << frame;  // the top is never left bare
        for (size_t i = 1; i < ys.size(); ++i) ASSERT_NEAR(ys[i] - ys[i - 1], 10.0f, 1e-3) << frame;
    }
    // 300 units scrolled: about 30 chunks were spawned and deleted.
    EXPECT_LE(g_EffectList.Count(), 10);
}

TEST(BG2D, ScrollsTwoPixelsAFrameAndWrapsAt512)
{
    CBG2D layer;
    std::vector<float> ys;
    for (int i = 0; i < 258; ++i) {
        layer.Update();
        ys.push_back(layer.m_vPos.y);
    }
    EXPECT_FLOAT_EQ(ys[0], -2.0f);
    EXPECT_FLOAT_EQ(ys[254], -510.0f);
    EXPECT_FLOAT_EQ(ys[255], 0.0f);  // -512 wraps to 0
    EXPECT_FLOAT_EQ(ys[256], -2.0f);
    for (float y : ys) {
        EXPECT_GT(y, -512.0f);
        EXPECT_LE(y, 0.0f);
    }
}

TEST(BG2D, CentredOnThePlayField)
{
    EXPECT_EQ(CBG2D::LeftFor(360), 140);
    EXPECT_EQ(CBG2D::LeftFor(400), 120);
    EXPECT_EQ(CBG2D::LeftFor(512), 64);
    EXPECT_EQ(CBG2D::LeftFor(320), 160);
}

TEST(BG2D, ClearAllEmptiesEveryLayer)
{
    CTexture t(nullptr);
    for (CBG2D& layer : g_BG2D) layer.SetTexture(&t);
    CBG2D::ClearAll();
    for (const CBG2D& layer : g_BG2D) EXPECT_EQ(layer.m_pTexture, nullptr);
}

// On the screen: a 400 x 512 picture at x = 120, shown twice so that the tile
// below follows the first one without a gap.
TEST_F(CDeviceTest, BG2DTilesItsPictureDownThePlayField)
{
    ASSERT_TRUE(Open());
    // Top half red, bottom half blue.
    auto tex = MakeTextureRows(m_Device.get(), 400, 512, [](int y) { return y < 256 ? 0xFFFF0000u : 0xFF0000FFu; });
    CBG2D layer;
    layer.SetTexture(tex.get());
    for (int i = 0; i < 100; ++i) layer.Update();  // y = -200
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    layer.Draw();
    m_Device->EndFrame();
    const auto px = Pixels();
    EXPECT_EQ(At(px, 120, 0), 0xFFFF0000u);    // row 200 of the first tile
    EXPECT_EQ(At(px, 519, 55), 0xFFFF0000u);   // row 255
    EXPECT_EQ(At(px, 300, 56), 0xFF0000FFu);   // row 256
    EXPECT_EQ(At(px, 300, 311), 0xFF0000FFu);  // last row of the first tile
    EXPECT_EQ(At(px, 300, 312), 0xFFFF0000u);  // first row of the second
    EXPECT_EQ(At(px, 300, 479), 0xFFFF0000u);
    EXPECT_EQ(At(px, 119, 100), 0xFF000000u);  // nothing beside it
    EXPECT_EQ(At(px, 520, 100), 0xFF000000u);
}
