// Enemy bullets: the emit operations, the five behaviours, the removal test,
// scattering, clearing during a pass, and the picture drawn in slow motion.
#include "enemy_fixture.h"

#include <cstring>
#include <string>

#include "../core/core_test_support.h"
#include "enemy/Beam.h"

namespace {

using EnemyShotTest = CEnemyWorld;

constexpr Vec3 kFrom{0.0f, 1.0f, 0.0f};   // the craft at (0, -3) is straight below

struct SBullet {
    int nSize;
    float fRadius;
    int nShape;
    float fAngle;   // of the velocity, half-turns (1.0: down)
    float fSpeed;
};
constexpr SBullet Small(float angle, float speed, int shape = 0) { return {0, 0.05f, shape, angle, speed}; }
constexpr SBullet Medium(float angle, float speed) { return {1, 0.12f, 0, angle, speed}; }

void StepUpdates(CObject* o, int n)
{
    for (int i = 0; i < n; ++i) o->Update();
}

}  // namespace

TEST_F(EnemyShotTest, EmitOperationsMakeTheirBullets)
{
    struct Case {
        const char* szName;
        void (*pEmit)();
        int nTexture;
        std::vector<SBullet> bullets;
    };
    const Case cases[] = {
        {"shot", [] { Vec3 d{0, -2, 0}; EmitShot(kFrom, d, 0.05f, 1, 7, 3); }, 3, {Small(1.0f, 0.05f, 1)}},
        {"velocity", [] { EmitShotVelocity(kFrom, Vec3{0, -0.03f, 0}, 0, 2); }, 2, {Small(1.0f, 0.03f)}},
        {"directed", [] { Vec3 d{3, 0, 0}; EmitShotDirected(kFrom, d, 0.02f, 4); }, 4, {Small(1.5f, 0.02f)}},
        {"aimed", [] { EmitAimed(kFrom, g_pPlayer, 0.05f, 1); }, 1, {Small(1.0f, 0.05f)}},
        {"aimed shaped", [] { EmitAimedShaped(kFrom, g_pPlayer, 0.06f, 1, 0); }, 0, {Small(1.0f, 0.06f, 1)}},
        {"aimed 3", [] { EmitAimed3(kFrom, g_pPlayer, 0.05f, 2); }, 2,
         {Medium(0.8f, 0.05f), Medium(1.0f, 0.05f), Medium(1.2f, 0.05f)}},
        {"aimed 4", [] { EmitAimed4(kFrom, g_pPlayer, 0.025f); }, 3,
         {Medium(0.7f, 0.025f), Medium(0.9f, 0.025f), Medium(1.1f, 0.025f), Medium(1.3f, 0.025f)}},
        {"spread 2", [] { EmitSpread(kFrom, Vec3{0, -0.03f, 0}, 2, 1); }, 1,
         {Medium(0.985f, 0.03f), Medium(1.015f, 0.03f)}},
        {"spread 3", [] { EmitSpread(kFrom, Vec3{0, -0.03f, 0}, 3, 1); }, 1,
         {Medium(0.97f, 0.03f), Medium(1.0f, 0.03f), Medium(1.03f, 0.03f)}},
        {"spread 5", [] { EmitSpread(kFrom, Vec3{0, -0.03f, 0}, 5, 4); }, 4,
         {Small(0.94f, 0.03f, 1), Small(0.97f, 0.03f, 1), Small(1.0f, 0.03f, 1), Small(1.03f, 0.03f, 1),
          Small(1.06f, 0.03f, 1)}},
        {"spread 4", [] { EmitSpread(kFrom, Vec3{0, -0.03f, 0}, 4, 1); }, -1, {}},
        {"spread 1", [] { EmitSpread(kFrom, Vec3{0, -0.03f, 0}, 1, 1); }, -1, {}},
        // Side < 1 starts at +0.15, side 1 at -0.15; each bullet a tenth slower.
        {"sweep 7 side -1", [] { EmitSweep(kFrom, nullptr, 0.1f, -1, 7, 3); }, 3,
         {Small(1.15f, 0.1f, 1), Small(1.10f, 0.09f, 1), Small(1.05f, 0.08f, 1), Small(1.0f, 0.07f, 1),
          Small(0.95f, 0.06f, 1), Small(0.90f, 0.05f, 1), Small(0.85f, 0.04f, 1)}},
        {"sweep 7 side 1", [] { EmitSweep(kFrom, nullptr, 0.1f, 1, 7, 3); }, 3,
         {Small(0.85f, 0.1f, 1), Small(0.90f, 0.09f, 1), Small(0.95f, 0.08f, 1), Small(1.0f, 0.07f, 1),
          Small(1.05f, 0.06f, 1), Small(1.10f, 0.05f, 1), Small(1.15f, 0.04f, 1)}},
        {"sweep 15 side 0", [] { EmitSweep(kFrom, nullptr, 0.1f, 0, 15, 5); }, 5,
         {Small(1.15f, 0.1f, 1), Small(1.125f, 0.095f, 1), Small(1.1f, 0.09f, 1), Small(1.075f, 0.085f, 1),
          Small(1.05f, 0.08f, 1), Small(1.025f, 0.075f, 1), Small(1.0f, 0.07f, 1), Small(0.975f, 0.065f, 1),
          Small(0.95f, 0.06f, 1), Small(0.925f, 0.055f, 1), Small(0.9f, 0.05f, 1), Small(0.875f, 0.045f, 1),
          Small(0.85f, 0.04f, 1), Small(0.825f, 0.035f, 1), Small(0.8f, 0.03f, 1)}},
        {"sweep 8", [] { EmitSweep(kFrom, nullptr, 0.1f, 1, 8, 3); }, -1, {}},
        {"gravity", [] { Vec3 d{0, 2, 0}; EmitGravity(kFrom, d, 0.05f); }, 3, {Medium(2.0f, 0.05f)}},
        {"turning", [] { Vec3 d{-1, 0, 0}; EmitTurning(kFrom, d, 0.03f, 45.9f, 0.5f, 0.02f); }, 3,
         {Small(0.5f, 0.03f, 1)}},
        {"burst", [] { EmitBurst(kFrom, Vec3{0.01f, 0, 0}, 0, 0, 2); }, 0, {Small(1.5f, 0.01f)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szName);
        ClearLists();
        c.pEmit();
        const auto shots = Shots();
        ASSERT_EQ(shots.size(), c.bullets.size());
        for (size_t i = 0; i < shots.size(); ++i) {
            SCOPED_TRACE(i);
            const CEnemyShot& s = *shots[i];
            const SBullet& b = c.bullets[i];
            EXPECT_EQ(s.m_vPos, kFrom);
            EXPECT_EQ(s.m_nSize, b.nSize);
            EXPECT_EQ(s.m_fRadius, b.fRadius);
            EXPECT_EQ(s.m_nShape, b.nShape);
            EXPECT_EQ(TextureNumber(s.m_pTexture), c.nTexture);
            EXPECT_NEAR(AngleDiff(AngleOf(s.m_vVel), b.fAngle), 0.0f, 1e-5f);
            EXPECT_NEAR(Length(s.m_vVel), b.fSpeed, 1e-6f);
        }
    }
}

TEST_F(EnemyShotTest, EmitDefaultsAndTheBehaviourFields)
{
    Vec3 d{0, -1, 0};
    CEnemyShot* plain = EmitShot(kFrom, d, 0.05f, 0, 0, 1);
    EXPECT_EQ(plain->m_nBehaviour, CEnemyShot::BEHAVIOUR_STRAIGHT);
    EXPECT_EQ(plain->m_nRelaunchShape, 1);
    EXPECT_EQ(plain->m_nRelaunched, 0);
    EXPECT_EQ(plain->m_pTarget, nullptr);
    EXPECT_EQ(plain->m_fSpeed, 0.0f);
    EXPECT_EQ(plain->m_vRelaunchDir, Vec3{});
    EXPECT_EQ(plain->m_nTurnFrame, -1);
    EXPECT_EQ(plain->m_fTurnAngle, 0.0f);
    EXPECT_EQ(plain->m_fTurnSpeed, 0.0f);
    EXPECT_EQ(plain->m_nBurstType, 0);

    d = Vec3{-1, 0, 0};
    CEnemyShot* turn = EmitTurning(kFrom, d, 0.03f, 45.9f, 0.5f, 0.02f);
    EXPECT_EQ(turn->m_nBehaviour, CEnemyShot::BEHAVIOUR_TURN);
    EXPECT_EQ(turn->m_nTurnFrame, 45);
    EXPECT_EQ(turn->m_fTurnAngle, 0.5f);
    EXPECT_EQ(turn->m_fTurnSpeed, 0.02f);

    CEnemyShot* burst = EmitBurst(kFrom, Vec3{0.01f, 0, 0}, 1, 0, 2);
    EXPECT_EQ(burst->m_nBehaviour, CEnemyShot::BEHAVIOUR_BURST);
    EXPECT_EQ(burst->m_nBurstType, 1);
    EXPECT_EQ(burst->m_nChildTexture, 2);
    EXPECT_EQ(burst->m_fSpeed, 0.025f);

    CEnemyShot* dropper = EmitDropper(kFrom, Vec3{0.05f, 0, 0}, g_pPlayer, 0.02f);
    EXPECT_EQ(dropper->m_nBehaviour, CEnemyShot::BEHAVIOUR_RELAUNCH);
    EXPECT_EQ(dropper->m_nRelaunchShape, 0);
    EXPECT_EQ(dropper->m_vRelaunchDir, (Vec3{0, -0.1f, 0}));
    EXPECT_EQ(dropper->m_pTarget, nullptr);
    EXPECT_EQ(TextureNumber(dropper->m_pTexture), 1);

    CEnemyShot* homing = EmitHoming(kFrom, Vec3{0.05f, 0, 0}, g_pPlayer, 0.05f);
    EXPECT_EQ(homing->m_pTarget, g_pPlayer);
    EXPECT_EQ(homing->m_nRelaunchShape, 1);
    EXPECT_EQ(TextureNumber(homing->m_pTexture), 4);
}

TEST_F(EnemyShotTest, CallersDirectionVectorsAreChangedInPlace)
{
    // Normalised to the speed by the single-bullet operations ...
    Vec3 d{0, -2, 0};
    EmitShot(kFrom, d, 0.05f, 0, 0, 1);
    EXPECT_NEAR(Length(d), 0.05f, 1e-7f);
    d = Vec3{3, 4, 0};
    EmitRelaunch(kFrom, d, 0.03f, 0.5f, 0);
    EXPECT_NEAR(Length(d), 0.1f, 1e-7f);
    d = Vec3{3, 4, 0};
    EmitScatter(kFrom, d, 0.1f, 1);
    EXPECT_NEAR(Length(d), 0.1f, 1e-7f);
    EXPECT_NEAR(AngleDiff(AngleOf(d), DirectionAngle(3, 4)), 0.0f, 1e-6f);

    // ... and turned backwards by the ring: 0 + 0.125 + ... + 1.875 = 15 half-turns.
    ClearLists();
    d = Vec3{0, -4, 0};
    EmitRing16(kFrom, d, 0.035f, 0);
    EXPECT_NEAR(d.x, 0.0f, 1e-6f);
    EXPECT_NEAR(d.y, 0.035f, 1e-6f);
    const auto ring = Shots();
    ASSERT_EQ(ring.size(), 16u);
    // Every eighth of a turn exactly once.
    std::vector<int> seen(16, 0);
    for (CEnemyShot* s : ring) {
        EXPECT_NEAR(Length(s->m_vVel), 0.035f, 1e-6f);
        EXPECT_EQ(s->m_nSize, 0);
        EXPECT_EQ(s->m_nShape, 0);
        const float eighths = AngleDiff(AngleOf(s->m_vVel), 1.0f) / 0.125f;
        const int k = static_cast<int>(std::lround(eighths));
        EXPECT_NEAR(eighths, static_cast<float>(k), 1e-4f);
        seen[static_cast<size_t>((k + 16) % 16)] += 1;
    }
    EXPECT_EQ(seen, std::vector<int>(16, 1));
}

TEST_F(EnemyShotTest, ScatterShotDrawsAngleBeforeSpeedForEachBullet)
{
    CRandom expected = g_GameRand;
    Vec3 d{0, -1, 0};
    EmitScatter(kFrom, d, 0.1f, 1);
    const auto shots = Shots();
    ASSERT_EQ(shots.size(), 22u);
    EXPECT_EQ(shots[0]->m_nSize, 2);
    EXPECT_EQ(shots[0]->m_fRadius, 0.24f);
    EXPECT_NEAR(AngleDiff(AngleOf(shots[0]->m_vVel), 1.0f), 0.0f, 1e-6f);
    EXPECT_NEAR(Length(shots[0]->m_vVel), 0.1f, 1e-7f);
    for (size_t i = 1; i < 22; ++i) {
        SCOPED_TRACE(i);
        const bool medium = i <= 7;
        const float r = expected.Real();
        const float r2 = expected.Real();
        EXPECT_EQ(shots[i]->m_nSize, medium ? 1 : 0);
        EXPECT_EQ(shots[i]->m_fRadius, medium ? 0.12f : 0.05f);
        EXPECT_NEAR(AngleDiff(AngleOf(shots[i]->m_vVel), 1.0f), 0.3f * r - 0.1f, 1e-5f);
        EXPECT_NEAR(Length(shots[i]->m_vVel), ((medium ? 0.75f : 0.5f) + 0.25f * r2) * 0.1f, 1e-6f);
    }
    // 42 draws, no more.
    EXPECT_EQ(g_GameRand.Real(), expected.Real());
}

TEST_F(EnemyShotTest, RemovedOnlyStrictlyOutsideTheField)
{
    const float beyond = std::nextafter(5.1f, 6.0f);
    const struct {
        float x, y;
        bool bStays;
    } cases[] = {
        {5.1f, 0, true},      {-5.1f, 0, true},   {0, 5.1f, true},     {0, -5.1f, true}, {5.1f, 5.1f, true},
        {beyond, 0, false}, {-beyond, 0, false}, {0, beyond, false}, {0, -beyond, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        for (int behaviour : {0, 1, 2, 4}) {
            CEnemyShot* s = EmitShotVelocity(Vec3{c.x, c.y, 0}, g_vZero, 0, 0);
            s->m_nBehaviour = behaviour;
            s->m_nRelaunched = 1;
            s->Update();
            EXPECT_EQ(s->m_nState == CObject::STATE_ALIVE, c.bStays) << behaviour;
        }
    }
}

TEST_F(EnemyShotTest, RelaunchingBulletsStopThenLeaveWhenTheirTrackEnds)
{
    Vec3 d{0, 1, 0};
    CEnemyShot* turned = EmitRelaunch(kFrom, d, 0.03f, -0.5f, 3);
    CEnemyShot* dropper = EmitDropper(kFrom, Vec3{0.05f, 0.02f, 0}, nullptr, 0.02f);
    CEnemyShot* homing = EmitHoming(kFrom, Vec3{-0.05f, 0, 0}, g_pPlayer, 0.05f);
    EXPECT_EQ(turned->m_vVel, (Vec3{0, 0.1f, 0}));
    const CEnemyShot* all[] = {turned, dropper, homing};
    for (int i = 0; i < 29; ++i)
        for (CEnemyShot* s : {turned, dropper, homing}) s->Update();
    for (const CEnemyShot* s : all) {
        EXPECT_EQ(s->m_nRelaunched, 0);
        EXPECT_TRUE(s->m_VelTrack.active);
    }
    m_pCraft->SetPos(Vec3{3.0f, -2.0f, 0.0f});   // the homing bullet aims where it is now
    for (CEnemyShot* s : {turned, dropper, homing}) s->Update();
    for (const CEnemyShot* s : all) EXPECT_EQ(s->m_nRelaunched, 1);
    // Up turned by -0.5: to the right.
    EXPECT_NEAR(turned->m_vVel.x, 0.03f, 1e-7f);
    EXPECT_NEAR(turned->m_vVel.y, 0.0f, 1e-7f);
    EXPECT_EQ(turned->m_nShape, 1);
    EXPECT_NEAR(dropper->m_vVel.x, 0.0f, 1e-9f);
    EXPECT_NEAR(dropper->m_vVel.y, -0.02f, 1e-9f);
    EXPECT_EQ(dropper->m_nShape, 0);
    Vec3 toCraft = m_pCraft->m_vPos - homing->m_vPos;
    SetLength(toCraft, 0.05f);
    EXPECT_NEAR(homing->m_vVel.x, toCraft.x, 1e-7f);
    EXPECT_NEAR(homing->m_vVel.y, toCraft.y, 1e-7f);
    // Relaunched once only.
    const Vec3 v = homing->m_vVel;
    m_pCraft->SetPos(Vec3{-3.0f, 4.0f, 0.0f});
    homing->Update();
    EXPECT_EQ(homing->m_vVel, v);
}

TEST_F(EnemyShotTest, TurningBulletsTurnOnTheirFrameAndAreNotRemovedBefore)
{
    // Flying right from x = 4.5 at 0.1: off the field from its 7th update, yet
    // kept until it turns at its frame 20.
    Vec3 d{1, 0, 0};
    CEnemyShot* s = EmitTurning(Vec3{4.5f, 0, 0}, d, 0.1f, 20.5f, 0.25f, 0.05f);
    StepUpdates(s, 20);   // ages 0 ... 19
    EXPECT_GT(s->m_vPos.x, 5.1f);
    EXPECT_EQ(s->m_nState, CObject::STATE_ALIVE);
    EXPECT_FALSE(s->m_VelTrack.active);
    s->Update();          // age 20: the turn, then the removal test
    EXPECT_TRUE(s->m_VelTrack.active);
    Vec3 target{1, 0, 0};
    RotateZ(target, 0.25f);
    SetLength(target, 0.05f);
    EXPECT_NEAR(s->m_VelTrack.end.x, target.x, 1e-7f);
    EXPECT_NEAR(s->m_VelTrack.end.y, target.y, 1e-7f);
    EXPECT_EQ(s->m_nState, CObject::STATE_DEAD);

    // Inside the field the turn eases in over 30 frames.
    d = Vec3{0, -1, 0};
    CEnemyShot* t = EmitTurning(g_vZero, d, 0.02f, 10.0f, 1.0f, 0.04f);
    StepUpdates(t, 11);
    StepUpdates(t, 30);
    EXPECT_NEAR(t->m_vVel.x, 0.0f, 1e-6f);
    EXPECT_NEAR(t->m_vVel.y, 0.04f, 1e-6f);
    EXPECT_EQ(t->m_nState, CObject::STATE_ALIVE);
}

TEST_F(EnemyShotTest, GravityBulletsMayRisePastTheTopAndFallBack)
{
    Vec3 d{0, 1, 0};
    CEnemyShot* s = EmitGravity(Vec3{0, 4.8f, 0}, d, 0.05f);
    float highest = s->m_vPos.y;
    int updates = 0;
    while (s->m_nState == CObject::STATE_ALIVE && updates < 2000) {
        const float vy = s->m_vVel.y;
        s->Update();
        ++updates;
        highest = std::max(highest, s->m_vPos.y);
        EXPECT_NEAR(s->m_vVel.y, vy - 0.0005f, 1e-7f);
        if (s->m_nState != CObject::STATE_ALIVE) {
            EXPECT_LT(s->m_vPos.y, -5.1f);
        }
    }
    EXPECT_GT(highest, 7.0f);
    EXPECT_EQ(s->m_nState, CObject::STATE_DEAD);

    // The sides count.
    d = Vec3{1, 0, 0};
    CEnemyShot* side = EmitGravity(Vec3{5.09f, 0, 0}, d, 0.05f);
    side->Update();
    EXPECT_EQ(side->m_nState, CObject::STATE_DEAD);
}

TEST_F(EnemyShotTest, BurstsGoOneToEightToForty)
{
    EmitBurst(g_vZero, Vec3{0, -0.01f, 0}, 0, 0, 2);
    auto live = [] {
        int n = 0;
        for (CEnemyShot* s : Shots()) n += s->m_nState == CObject::STATE_ALIVE;
        return n;
    };
    std::vector<int> counts;
    for (int frame = 0; frame < 125; ++frame) {
        StepList(g_EnemyShotList);
        counts.push_back(live());
    }
    // The parent bursts at its age 60 (the 61st pass); its children, made and
    // stepped in that same pass, burst 60 passes later.
    EXPECT_EQ(counts[59], 1);
    EXPECT_EQ(counts[60], 8);
    EXPECT_EQ(counts[119], 8);
    EXPECT_EQ(counts[120], 40);
    EXPECT_EQ(counts[124], 40);
    EXPECT_EQ(CountPlayed(170), 1 + 8);

    int grandchildren = 0;
    for (CEnemyShot* s : Shots()) {
        if (s->m_nState != CObject::STATE_ALIVE) continue;
        ++grandchildren;
        EXPECT_EQ(TextureNumber(s->m_pTexture), 2);
        EXPECT_EQ(s->m_nShape, 1);
        EXPECT_EQ(s->m_nBehaviour, 0);
        EXPECT_NEAR(Length(s->m_vVel), 0.025f, 1e-6f);
    }
    EXPECT_EQ(grandchildren, 40);
}

TEST_F(EnemyShotTest, BurstChildrenTurnAwayFromTheParentsCourse)
{
    CEnemyShot* parent = EmitBurst(g_vZero, Vec3{0, -0.02f, 0}, 0, 0, 3);
    StepUpdates(parent, 61);
    ASSERT_EQ(parent->m_nState, CObject::STATE_DEAD);
    const auto shots = Shots();
    ASSERT_EQ(shots.size(), 9u);
    const struct {
        float fTurn, fSpeed;
    } expected[] = {{0.9f, 0.015f}, {1.1f, 0.015f}, {0.6f, 0.01f},  {0.75f, 0.01f},
                    {0.9f, 0.01f},  {1.1f, 0.01f},  {1.25f, 0.01f}, {1.4f, 0.01f}};
    for (size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const CEnemyShot& c = *shots[i + 1];
        EXPECT_EQ(c.m_nBehaviour, CEnemyShot::BEHAVIOUR_BURST);
        EXPECT_EQ(c.m_nBurstType, 1);
        EXPECT_EQ(TextureNumber(c.m_pTexture), 5);
        EXPECT_EQ(c.m_nChildTexture, 3);
        EXPECT_NEAR(AngleDiff(AngleOf(c.m_vVel), 1.0f + expected[i].fTurn), 0.0f, 1e-5f);
        EXPECT_NEAR(Length(c.m_vVel), expected[i].fSpeed, 1e-7f);
    }
    // A type-1 burst: five long bullets at 0.025, turned 0.7 ... 1.3.
    ClearLists();
    CEnemyShot* one = EmitBurst(g_vZero, Vec3{0.01f, 0, 0}, 1, 5, 4);
    StepUpdates(one, 61);
    const auto five = Shots();
    ASSERT_EQ(five.size(), 6u);
    const float turns[] = {0.7f, 0.85f, 1.0f, 1.15f, 1.3f};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(AngleDiff(AngleOf(five[i + 1]->m_vVel), 1.5f + turns[i]), 0.0f, 1e-5f) << i;
        EXPECT_EQ(TextureNumber(five[i + 1]->m_pTexture), 4);
    }
}

TEST_F(EnemyShotTest, ScatterAllTurnsEveryBulletIntoASlowLongDrifterButLeavesBeams)
{
    Vec3 d{1, 0, 0};
    EmitTurning(g_vZero, d, 0.05f, 30.0f, 0.5f, 0.02f);
    d = Vec3{0, 1, 0};
    EmitGravity(g_vZero, d, 0.05f);
    CBeam* beam = CBeam::Launch(g_vZero, Vec3{0, -1, 0}, 0);
    EmitShotVelocity(kFrom, Vec3{0, -0.05f, 0}, 0, 1);
    CRandom expected = g_GameRand;

    ScatterAllBullets();
    const auto shots = Shots();
    ASSERT_EQ(shots.size(), 3u);
    for (CEnemyShot* s : shots) {
        const float r1 = expected.Real();
        const float r2 = expected.Real();
        EXPECT_EQ(s->m_nBehaviour, 0);
        EXPECT_EQ(s->m_nShape, 1);
        EXPECT_EQ(s->m_vVel, Vec3{});
        EXPECT_TRUE(s->m_VelTrack.active);
        // The first draw gives y.
        EXPECT_EQ(s->m_VelTrack.end, (Vec3{0.1f * r2 - 0.05f, 0.1f * r1 - 0.05f, 0}));
        StepUpdates(s, 240);
        EXPECT_EQ(s->m_vVel, (Vec3{0.1f * r2 - 0.05f, 0.1f * r1 - 0.05f, 0}));
    }
    EXPECT_EQ(beam->m_vVel, (Vec3{0, -1, 0}));
    EXPECT_EQ(g_GameRand.Real(), expected.Real());
}

TEST_F(EnemyShotTest, SlowMotionDrawsEveryBulletWithPicture5)
{
    CFakeDevice device;
    g_pDeviceLink = &device;
    CEnemyShot* s = EmitShotVelocity(kFrom, g_vZero, 0, 2);
    EXPECT_EQ(TextureNumber(s->TextureToDraw()), 2);
    device.m_nSlowCount = 10;
    EXPECT_EQ(TextureNumber(s->TextureToDraw()), 5);
    g_pDeviceLink = nullptr;
}

// A bullet that clears the enemy bullets from inside the enemy-bullet pass, as
// a boss's end would if it ran there.
class CClearingShot : public CEnemyShot {
public:
    CClearingShot() : CEnemyShot(g_vZero, 0) {}
    ~CClearingShot() override { ++s_nDeleted; }
    void Update() override
    {
        CEnemyShot::Update();
        ClearEnemyBullets();
    }
    static int s_nDeleted;
};
int CClearingShot::s_nDeleted = 0;

class CCountingShot : public CEnemyShot {
public:
    CCountingShot() : CEnemyShot(g_vZero, 0) {}
    ~CCountingShot() override { ++s_nDeleted; }
    void Update() override
    {
        CEnemyShot::Update();
        ++s_nUpdates;
    }
    static int s_nUpdates, s_nDeleted;
};
int CCountingShot::s_nUpdates = 0;
int CCountingShot::s_nDeleted = 0;

TEST_F(EnemyShotTest, ClearingTheBulletsFromInsideTheirOwnPassIsSafe)
{
    CClearingShot::s_nDeleted = 0;
    CCountingShot::s_nUpdates = CCountingShot::s_nDeleted = 0;
    g_EnemyShotList.Add(new CCountingShot);   // stepped before the clear
    CClearingShot* clearer = new CClearingShot;
    g_EnemyShotList.Add(clearer);
    g_EnemyShotList.Add(new CCountingShot);   // cleared before its turn
    CBeam* beam = CBeam::Launch(g_vZero, Vec3{0, -1, 0}, 2);
    g_EnemyShotList.Add(new CCountingShot);

    StepList(g_EnemyShotList);
    EXPECT_EQ(CCountingShot::s_nUpdates, 1);
    EXPECT_EQ(CCountingShot::s_nDeleted, 3);
    EXPECT_EQ(CClearingShot::s_nDeleted, 1);
    ASSERT_EQ(g_EnemyShotList.Count(), 1);
    EXPECT_EQ(g_EnemyShotList.At(0), beam);
    EXPECT_EQ(beam->m_nAge, 0);   // stepped once
}
