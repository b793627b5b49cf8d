// The shared effects: explosions, rings, backfires, items, light particles and
// sparks.
#include "tests/player/player_fixture.h"

#include "player/Backfire.h"
#include "player/Bomb.h"
#include "player/ScoreItem.h"
#include "player/ShockWave.h"

namespace {
constexpr float kEps = 1e-5f;
}  // namespace

using EffectsTest = PlayerTest;

TEST_F(EffectsTest, AShockWaveGrowsToItsSizeOverItsFrames)
{
    CShockWave* w = CShockWave::Spawn(Vec3{}, Vec3{}, 20.0f, 30);
    EXPECT_EQ(w->Width(), 0.0f);
    for (int i = 0; i < 15; ++i) w->Update();
    EXPECT_NEAR(w->Width(), 10.0f, kEps);
    for (int i = 0; i < 14; ++i) w->Update();
    EXPECT_NEAR(w->Width(), 20.0f * 29.0f / 30.0f, kEps);
    w->Update();
    EXPECT_EQ(w->m_nState, CObject::STATE_DEAD);
}

TEST_F(EffectsTest, AnExplosionShowsSixteenPicturesOverThirtyTwoFrames)
{
    CBomb* b = CBomb::Spawn(Vec3{1.0f, 0.0f, 0.0f});
    EXPECT_TRUE(b->m_bBillboard);
    int updates = 0;
    while (b->m_nState != CObject::STATE_DEAD) {
        b->Update();
        ++updates;
        ASSERT_LE(updates, 40);
    }
    // A picture every even update, 0 ... 30: the 16th kills it.
    EXPECT_EQ(updates, 31);
    EXPECT_EQ(b->m_nFrame, 16);
    EXPECT_NEAR(b->m_vPos.y, -0.2f * 31.0f, 1e-4f);
    EXPECT_NEAR(b->m_vPos.z, -0.2f * 31.0f, 1e-4f);
}

TEST_F(EffectsTest, ABackfireGrowsForItsFramesThenLeavesAShockWaveTurnedLikeTheCraft)
{
    m_pCraft->SetRot(Vec3{0.0f, 0.0f, 0.3f});
    CBackfire* b = CBackfire::Spawn(Vec3{0.0f, -1.0f, 0.0f});
    EXPECT_EQ(g_ForegroundList.Count(), 1);
    EXPECT_EQ(b->Width(), 0.0f);
    for (int i = 0; i < 54; ++i) b->Update();
    EXPECT_NEAR(b->Width(), 2.5f, kEps);
    for (int i = 0; i < 54; ++i) b->Update();
    EXPECT_EQ(b->m_nState, CObject::STATE_DEAD);
    ASSERT_EQ(g_EffectList.Count(), 1);
    const CShockWave* w = static_cast<const CShockWave*>(g_EffectList.At(0));
    EXPECT_EQ(w->m_fSize, 15.0f);
    EXPECT_EQ(w->m_nVanishTotal, 45);
    EXPECT_EQ(w->m_vRot, m_pCraft->m_vRot);
    EXPECT_EQ(w->m_vPos, (Vec3{0.0f, -1.0f, 0.0f}));
}

TEST_F(EffectsTest, AnItemRisesStopsAndFalls)
{
    CScoreItem* item = CScoreItem::Spawn(Vec3{0.0f, 0.0f, 0.0f});
    EXPECT_EQ(item->m_fRadius, 0.5f);
    float top = 0.0f;
    int topFrame = 0;
    for (int f = 1; f <= 120; ++f) {
        item->Update();
        if (item->m_vPos.y > top) {
            top = item->m_vPos.y;
            topFrame = f;
        }
    }
    EXPECT_NEAR(topFrame, 60, 1);
    EXPECT_FLOAT_EQ(item->m_vVel.y, -0.075f);
    EXPECT_FALSE(item->m_bHoming);
}

TEST_F(EffectsTest, ItemsHomeOnceTheCraftIsHighAndKeepHoming)
{
    CScoreItem* item = CScoreItem::Spawn(Vec3{0.0f, -3.0f, 0.0f});
    m_pCraft->SetPos(Vec3{0.0f, 2.5f, 0.0f});
    item->Update();
    EXPECT_FALSE(item->m_bHoming);   // 2.5 is not above 2.5
    m_pCraft->m_bScripted = true;
    m_pCraft->SetPos(Vec3{0.0f, 3.0f, 0.0f});
    item->Update();
    EXPECT_FALSE(item->m_bHoming);   // a scripted craft draws nothing in
    m_pCraft->m_bScripted = false;
    item->Update();
    EXPECT_TRUE(item->m_bHoming);
    m_pCraft->SetPos(Vec3{3.0f, -1.0f, 0.0f});
    const Vec3 from = item->m_vPos;
    item->Update();
    EXPECT_TRUE(item->m_bHoming);
    EXPECT_NEAR(Length(item->m_vVel), 0.2f, kEps);
    EXPECT_NEAR(Distance(from, item->m_vPos), 0.2f, kEps);
    EXPECT_GT(item->m_vVel.x, 0.0f);
}

TEST_F(EffectsTest, ItemsLeaveThroughTheBottomAndSidesButFallBackFromAbove)
{
    struct Case {
        Vec3 pos;
        bool gone;
    };
    const Case cases[] = {
        {{0.0f, -5.6f, 0.0f}, true},
        {{5.6f, 0.0f, 0.0f}, true},
        {{-5.6f, 0.0f, 0.0f}, true},
        {{0.0f, 7.0f, 0.0f}, false},
    };
    for (const Case& c : cases) {
        CScoreItem* item = CScoreItem::Spawn(c.pos);
        item->SetVel(Vec3{});
        item->Update();
        EXPECT_EQ(item->m_nState == CObject::STATE_DEAD, c.gone) << c.pos.x << ", " << c.pos.y;
    }
}

TEST_F(EffectsTest, ALightParticleHoldsItsSizeForHalfItsLifeThenShrinks)
{
    g_pLightParticles->Burst(Vec3{}, 1.0f, 1, 60);
    ASSERT_EQ(g_pLightParticles->Count(), 1);
    CLightParticle* p = g_pLightParticles->m_Particles[0];
    const float size = p->m_fSize;
    EXPECT_GE(size, 0.01f);
    EXPECT_LE(size, 0.04f);
    struct Case {
        int updates;
        float scale;
    };
    const Case cases[] = {{0, 1.0f}, {30, 1.0f}, {45, 0.5f}, {54, 0.2f}, {59, 2.0f / 60.0f}};
    int done = 0;
    for (const Case& c : cases) {
        for (; done < c.updates; ++done) p->Update();
        EXPECT_NEAR(p->DrawnSize(), size * c.scale, 1e-6f) << c.updates;
    }
    p->Update();
    EXPECT_EQ(p->m_nState, CObject::STATE_DEAD);
    g_pLightParticles->Update();
    EXPECT_EQ(g_pLightParticles->Count(), 0);
}

TEST_F(EffectsTest, LightParticlesBurstAroundThePointAndDriftSlowly)
{
    g_pLightParticles->Burst(Vec3{1.0f, 2.0f, 3.0f}, 2.0f, 50, 60);
    for (const CLightParticle* p : g_pLightParticles->m_Particles) {
        EXPECT_LE(std::abs(p->m_vPos.x - 1.0f), 1.0f);
        EXPECT_LE(std::abs(p->m_vPos.y - 2.0f), 1.0f);
        EXPECT_LE(std::abs(p->m_vPos.z - 3.0f), 1.0f);
        const float speed = Length(p->m_vVel);
        EXPECT_GE(speed, 0.002f - kEps);
        EXPECT_LE(speed, 0.012f + kEps);
        EXPECT_EQ(p->m_nVanishTotal, 60);
    }
    g_pLightParticles->Scatter(Vec3{}, 30);
    const CLightParticle* s = g_pLightParticles->m_Particles.back();
    EXPECT_EQ(s->m_fSize, 1.0f);
    EXPECT_EQ(s->m_vVel, Vec3{});
    EXPECT_LE(std::abs(s->m_vPos.x), 2.0f);
}

TEST_F(EffectsTest, LightParticlesMoveOnAlternateFramesInSlowMotion)
{
    g_pLightParticles->Burst(Vec3{}, 1.0f, 1, 60);
    const CLightParticle* p = g_pLightParticles->m_Particles[0];
    m_pDevice->BeginSlowMotion(480);
    for (int i = 0; i < 10; ++i) {
        m_pDevice->Update();
        g_pLightParticles->Step();
    }
    EXPECT_EQ(p->m_nAge, 4);   // updates 0 ... 4 on the five frames with the phase set
}

TEST_F(EffectsTest, SparksFlyOutwardFadeAndOnlyTheFirst1024AreDrawn)
{
    g_pSparks->Burst(Vec3{}, 1000, 10);
    g_pSparks->Spray(Vec3{}, Vec3{1.0f, 0.0f, 0.0f}, 100);
    ASSERT_EQ(g_pSparks->Count(), 1100);
    for (int i = 0; i < 1000; ++i) {
        const float speed = Length(g_pSparks->m_Sparks[static_cast<size_t>(i)].vVel);
        ASSERT_GE(speed, 0.025f - kEps);
        ASSERT_LE(speed, 0.075f + kEps);
        EXPECT_EQ(g_pSparks->m_Sparks[static_cast<size_t>(i)].vVel.z, 0.0f);
    }
    for (int i = 1000; i < 1100; ++i) {
        const SSpark& s = g_pSparks->m_Sparks[static_cast<size_t>(i)];
        EXPECT_GT(s.vVel.x, 0.0f);   // within 0.4 half-turn of the spray direction
        EXPECT_EQ(s.nTotal, 120);
    }
    EXPECT_EQ(g_pSparks->BuildVertices(), 1024);
    // Fully opaque when new; the triangle's corners are 0.025 from its centre.
    EXPECT_EQ(g_pSparks->m_Vertices[0].diffuse >> 24, 255u);
    const Vec3 c{g_pSparks->m_Vertices[0].x, g_pSparks->m_Vertices[0].y, g_pSparks->m_Vertices[0].z};
    EXPECT_NEAR(Length(c), 0.025f, kEps);

    for (int i = 0; i < 5; ++i) g_pSparks->Update();
    g_pSparks->BuildVertices();
    EXPECT_EQ(g_pSparks->m_Vertices[0].diffuse >> 24, 127u);   // 5 of 10 frames left
    for (int i = 0; i < 5; ++i) g_pSparks->Update();
    EXPECT_EQ(g_pSparks->Count(), 1100);   // dead now, removed on the next update
    g_pSparks->Update();
    EXPECT_EQ(g_pSparks->Count(), 100);
    EXPECT_EQ(g_pSparks->BuildVertices(), 100);
}
