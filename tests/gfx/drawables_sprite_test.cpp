// CSimpleSprite: the fade ramps of each creator, talk-line rows and portraits,
// number sprites, and a sprite's pixels on the screen.
#include <gtest/gtest.h>

#include <vector>

#include "drawables_support.h"
#include "gfx_fixture.h"
#include "gfx/SimpleSprite.h"

namespace {

// The opacity drawn on each frame (Step: draw, then update) until the list
// deletes the sprite; -1 where it is not drawn.
std::vector<float> AlphasUntilGone(CSimpleSprite* s)
{
    std::vector<float> alphas;
    while (s->m_nState != CObject::STATE_DEAD && alphas.size() < 100000) {
        alphas.push_back(s->GetDrawAlpha());
        s->Update();
    }
    return alphas;
}

}  // namespace

TEST(SimpleSprite, SpawnFadesInStaysAndFadesOut)
{
    CListsCleaner clean;
    CSimpleSprite* s = CSimpleSprite::Spawn(64, 0, nullptr, g_vZero, 120, 240, 120);
    ASSERT_EQ(g_OverlayList.Count(), 1);
    const std::vector<float> a = AlphasUntilGone(s);
    // An object's countdowns hand over within one update (the life starts
    // counting in the update that ends the appear time, the vanish time in the
    // one that ends the life), so 120 + 240 + 120 takes 478 frames.
    ASSERT_EQ(a.size(), 478u);
    EXPECT_FLOAT_EQ(a[0], 0.0f);              // first frame: fully transparent
    EXPECT_FLOAT_EQ(a[60], 0.5f);             // half way in
    EXPECT_FLOAT_EQ(a[119], 119.0f / 120.0f);
    EXPECT_FLOAT_EQ(a[120], 1.0f);            // alive
    EXPECT_FLOAT_EQ(a[358], 1.0f);
    EXPECT_FLOAT_EQ(a[359], 119.0f / 120.0f); // fading out
    EXPECT_FLOAT_EQ(a[418], 0.5f);
    EXPECT_FLOAT_EQ(a[477], 1.0f / 120.0f);
    for (size_t i = 1; i < 120; ++i) EXPECT_GT(a[i], a[i - 1]) << i;
    for (size_t i = 360; i < 478; ++i) EXPECT_LT(a[i], a[i - 1]) << i;
}

TEST(SimpleSprite, SpawnWithoutAppearTimeStillEnds)
{
    CListsCleaner clean;
    // With no appear time the stay must still be counted: alive 10 updates,
    // then fading over 5 (the hand-over update counts for both).
    const std::vector<float> a = AlphasUntilGone(CSimpleSprite::Spawn(0, 0, nullptr, g_vZero, 0, 10, 5));
    ASSERT_EQ(a.size(), 14u);
    EXPECT_FLOAT_EQ(a[0], 1.0f);
    EXPECT_FLOAT_EQ(a[9], 1.0f);
    EXPECT_FLOAT_EQ(a[10], 0.8f);
    EXPECT_FLOAT_EQ(a[13], 0.2f);
    EXPECT_EQ(AlphasUntilGone(CSimpleSprite::Spawn(0, 0, nullptr, g_vZero, 0, 0, 7)).size(), 7u);
}

TEST(SimpleSprite, TimedAndPartSpritesKeepFullOpacityWhileVanishing)
{
    CListsCleaner clean;
    const std::vector<float> part =
        AlphasUntilGone(CSimpleSprite::SpawnPart(0, 0, nullptr, g_vZero, 0, 16, 512, 32, 180));
    const std::vector<float> timed = AlphasUntilGone(CSimpleSprite::SpawnTimed(0, 0, nullptr, g_vZero, 90));
    ASSERT_EQ(part.size(), 180u);
    ASSERT_EQ(timed.size(), 90u);
    for (float a : part) EXPECT_EQ(a, 1.0f);
    for (float a : timed) EXPECT_EQ(a, 1.0f);
}

TEST(SimpleSprite, SpritesMoveByTheirVelocityInPixels)
{
    CListsCleaner clean;
    CSimpleSprite* s = CSimpleSprite::Spawn(150, 200, nullptr, Vec3{0, 0.5f, 0}, 120, 180, 120);
    for (int i = 0; i < 100; ++i) s->Update();
    EXPECT_FLOAT_EQ(s->m_vPos.x, 150.0f);
    EXPECT_FLOAT_EQ(s->m_vPos.y, 250.0f);
}

TEST(SimpleSprite, TalkLineRowsAndPortraits)
{
    CListsCleaner clean;
    CTexture atlas(nullptr), portrait(nullptr);
    struct Case {
        int row, side;
        bool withPortrait;
        float portraitX;
    };
    const Case cases[] = {{0, 0, true, -30.0f}, {1, 1, true, 414.0f}, {14, 7, true, 414.0f}, {25, -1, false, 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        DeleteAll(g_OverlayList);
        CSimpleSprite* line = CSimpleSprite::SpawnTalk(&atlas, c.row, c.withPortrait ? &portrait : nullptr, c.side);
        ASSERT_EQ(g_OverlayList.Count(), c.withPortrait ? 2 : 1);
        // The row: (0, 16r, 512, 16r + 16) of the atlas at (64, 448), 180 frames.
        EXPECT_EQ(line->m_pTexture, &atlas);
        EXPECT_EQ(line->m_rcSource.left, 0);
        EXPECT_EQ(line->m_rcSource.top, 16 * c.row);
        EXPECT_EQ(line->m_rcSource.right, 512);
        EXPECT_EQ(line->m_rcSource.bottom, 16 * c.row + 16);
        EXPECT_FLOAT_EQ(line->m_vPos.x, 64.0f);
        EXPECT_FLOAT_EQ(line->m_vPos.y, 448.0f);
        EXPECT_EQ(line->m_nVanishCount, 180);
        EXPECT_FALSE(line->m_bFade);
        if (c.withPortrait) {
            CSimpleSprite* p = static_cast<CSimpleSprite*>(g_OverlayList.At(0));
            EXPECT_EQ(p->m_pTexture, &portrait);
            EXPECT_FLOAT_EQ(p->m_vPos.x, c.portraitX);
            EXPECT_FLOAT_EQ(p->m_vPos.y, 336.0f);
            EXPECT_EQ(p->m_nVanishCount, 180);
            EXPECT_EQ(p->m_nNumber, -1);
        }
    }
    // An explicit duration for both pieces.
    DeleteAll(g_OverlayList);
    CSimpleSprite::SpawnTalk(&atlas, 3, &portrait, 0, 120);
    ASSERT_EQ(g_OverlayList.Count(), 2);
    EXPECT_EQ(g_OverlayList.At(0)->m_nVanishCount, 120);
    EXPECT_EQ(g_OverlayList.At(1)->m_nVanishCount, 120);
}

namespace {
struct SNumberCall {
    float x, y;
    int value;
    float alpha;
};
std::vector<SNumberCall> g_NumberCalls;
void RecordNumber(float x, float y, int value, float alpha) { g_NumberCalls.push_back({x, y, value, alpha}); }
}  // namespace

TEST(SimpleSprite, NumberSpritesDrawTheirValueFadingOut)
{
    CListsCleaner clean;
    g_NumberCalls.clear();
    CSimpleSprite* n = CSimpleSprite::SpawnNumber(452, 237, 1234567, g_vZero, 4);
    n->Draw();  // no number drawing set: nothing, no crash
    CSimpleSprite::s_pDrawNumber = RecordNumber;
    for (int i = 0; i < 4; ++i) n->Step();
    CSimpleSprite::s_pDrawNumber = nullptr;
    ASSERT_EQ(g_NumberCalls.size(), 4u);
    const float alphas[4] = {1.0f, 0.75f, 0.5f, 0.25f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(g_NumberCalls[i].x, 452.0f);
        EXPECT_FLOAT_EQ(g_NumberCalls[i].y, 237.0f);
        EXPECT_EQ(g_NumberCalls[i].value, 1234567);
        EXPECT_FLOAT_EQ(g_NumberCalls[i].alpha, alphas[i]);
    }
    EXPECT_EQ(n->m_nState, CObject::STATE_DEAD);
}

// A talk row on the screen: only the chosen 16-pixel row of the atlas, at
// (64, 448), and drawn whether or not a sprite batch is open.
TEST_F(CDeviceTest, TalkRowShowsItsRowOfTheAtlas)
{
    ASSERT_TRUE(Open());
    CListsCleaner clean;
    // Rows of 16 pixels: row r is (r * 20) red.
    auto atlas = MakeTextureRows(m_Device.get(), 512, 64, [](int y) {
        return 0xFF000000u | static_cast<uint32_t>((y / 16) * 20 + 40) << 16;
    });
    CSimpleSprite* line = CSimpleSprite::SpawnTalk(atlas.get(), 2, nullptr, 0);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    line->Step();  // no batch open: the sprite opens its own
    m_Device->EndFrame();
    auto px = Pixels();
    EXPECT_EQ(R8(At(px, 64, 448)), 80);
    EXPECT_EQ(R8(At(px, 575, 463)), 80);
    EXPECT_EQ(At(px, 63, 450), 0xFF000000u);
    EXPECT_EQ(At(px, 576, 450), 0xFF000000u);
    EXPECT_EQ(At(px, 100, 447), 0xFF000000u);
    EXPECT_EQ(At(px, 100, 464), 0xFF000000u);
    // Inside an open batch, as in the HUD pass.
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->Sprite().Begin();
    line->Step();
    m_Device->Sprite().End();
    m_Device->EndFrame();
    px = Pixels();
    EXPECT_EQ(R8(At(px, 300, 455)), 80);
}
