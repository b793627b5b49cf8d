// The craft drawn with the real asset set on OpenGL: plain, charged (half
// transparent inside its spinning aura), behind its barrier, swinging its
// blade. Each picture holds the craft alone, at the centre of the field seen
// from the camera at rest (about 48 pixels to a unit).
#include "game_fixture.h"

#include <cmath>

#include "assets/AssetSet.h"
#include "player/MyKorvo.h"
#include "stage/Camera.h"

namespace {

constexpr int kCx = 320, kCy = 240;   // the craft, at the origin

class CraftDrawing : public CInProcessGame {
protected:
    static std::vector<uint32_t> DrawCraftAlone()
    {
        g_pDevice->BeginFrame();
        g_Camera.Step();
        g_pDevice->SetPlayFieldViewport();
        g_pPlayer->Draw();
        g_pDevice->EndFrame();
        return Picture();
    }

    // Pixels within r0 ... r1 of the centre (and, with a direction, only
    // those more than `beyond` pixels along it) that the drawing changed from
    // the empty field.
    long LightIn(const std::vector<uint32_t>& px, float r0, float r1, float dx = 0.0f, float dy = 0.0f,
                 float beyond = 0.0f) const
    {
        long n = 0;
        for (int y = kCy - 60; y <= kCy + 60; ++y)
            for (int x = kCx - 60; x <= kCx + 60; ++x) {
                const float fx = static_cast<float>(x - kCx), fy = static_cast<float>(y - kCy);
                const float r = std::sqrt(fx * fx + fy * fy);
                if (r < r0 || r > r1) continue;
                if ((dx != 0.0f || dy != 0.0f) && fx * dx + fy * dy <= beyond) continue;
                if (At(px, x, y) != At(m_Empty, x, y)) ++n;
            }
        return n;
    }

    std::vector<uint32_t> m_Empty;   // the field with the craft hidden
};

}  // namespace

TEST_F(CraftDrawing, ChargedBarrierAndBladeEachShowAroundTheCraft)
{
    SetSceneStage(CStageControler::STAGE_CHAPTER1);
    g_Camera.Reset();
    g_pPlayer->Reset();
    g_pPlayer->m_bVisible = false;
    m_Empty = DrawCraftAlone();
    g_pPlayer->m_bVisible = true;
    const std::vector<uint32_t> plain = DrawCraftAlone();
    const long body = LightIn(plain, 0.0f, 14.0f);
    EXPECT_GT(body, 0);
    EXPECT_EQ(LightIn(plain, 20.0f, 60.0f), 0);   // nothing beyond the craft

    // Charged: the craft half transparent, the aura (1.6 across, about 38
    // pixels out) around it.
    g_pPlayer->m_nHoldCount = CMyKorvo::kChargeFrames;
    const std::vector<uint32_t> charged = DrawCraftAlone();
    EXPECT_GT(LightIn(charged, 24.0f, 40.0f), 0);
    // Half transparent over the field (seen without the aura's lines): the
    // craft's bright pixels lose light, none gains any.
    CModel* aura = g_pShellModel;
    g_pShellModel = nullptr;
    const std::vector<uint32_t> faded = DrawCraftAlone();
    g_pShellModel = aura;
    int dimmed = 0, brighter = 0;
    for (int y = kCy - 12; y <= kCy + 12; ++y)
        for (int x = kCx - 12; x <= kCx + 12; ++x) {
            const int a = Brightness(At(plain, x, y)), b = Brightness(At(faded, x, y));
            if (a > 300 && b < a) ++dimmed;
            if (b > a) ++brighter;
        }
    EXPECT_GT(dimmed, 20);
    EXPECT_EQ(brighter, 0);
    // Taken over by the script, the craft is drawn plain.
    g_pPlayer->m_bScripted = true;
    EXPECT_EQ(DrawCraftAlone(), plain);
    g_pPlayer->m_bScripted = false;
    g_pPlayer->m_nHoldCount = 0;

    // Behind the barrier (0.68 across): light out to about 16 pixels, not
    // beyond.
    g_pPlayer->SetAppear(120);
    const std::vector<uint32_t> barrier = DrawCraftAlone();
    EXPECT_GT(LightIn(barrier, 14.0f, 18.0f), LightIn(plain, 14.0f, 18.0f));
    EXPECT_EQ(LightIn(barrier, 24.0f, 60.0f), 0);
    g_pPlayer->Reset();

    // A swing to the right starts a quarter turn left of the nose: the blade
    // reaches 1.5 (about 72 pixels) up and to the left, nowhere else.
    g_pPlayer->StartBlade(1.0f, 0.0f);
    const std::vector<uint32_t> blade = DrawCraftAlone();
    EXPECT_GT(LightIn(blade, 24.0f, 60.0f, -1.0f, -1.0f), 0);   // screen y grows downward
    EXPECT_EQ(LightIn(blade, 24.0f, 60.0f, 1.0f, 1.0f), 0);
    // Turned by the craft's heading, it is drawn along the same line its hits
    // are tested on: a quarter turn further left is straight left.
    g_pPlayer->Reset();
    g_pPlayer->Turn(0.25f);
    g_pPlayer->StartBlade(1.0f, 0.0f);
    const std::vector<uint32_t> turned = DrawCraftAlone();
    EXPECT_GT(LightIn(turned, 30.0f, 60.0f, -1.0f, 0.0f), 0);
    EXPECT_EQ(LightIn(turned, 30.0f, 60.0f, 1.0f, 0.0f), 0);
    EXPECT_EQ(LightIn(turned, 30.0f, 60.0f, 0.0f, 1.0f, 12.0f), 0);    // not down-left
    EXPECT_EQ(LightIn(turned, 30.0f, 60.0f, 0.0f, -1.0f, 12.0f), 0);   // nor up-left
}
