// The enemy base, raptors, zabs, their spawn functions and the wave script.
#include "enemy_fixture.h"

#include "enemy/BarrageFire.h"
#include "enemy/EnemyWaves.h"
#include "enemy/Raptor.h"
#include "enemy/Zab.h"
#include "player/Bomb.h"
#include "player/ScoreItem.h"

namespace {

using EnemyTest = CEnemyWorld;

// A raptor standing still at pos, in the enemy list.
CRaptor* StillRaptor(const Vec3& pos)
{
    CRaptor* r = new CRaptor;
    r->SetPos(pos);
    g_EnemyList.Add(r);
    return r;
}

void UpdateTimes(CObject* o, int n)
{
    for (int i = 0; i < n; ++i) o->Update();
}

}  // namespace

TEST_F(EnemyTest, ScoreDecaysByTenthsInSinglePrecisionDownToAFloorOf100)
{
    // trunc(score x 0.9f) rounded once to single precision: 10000 gives 9000
    // (a product left in double would truncate to 8999 and fall to 8990), and
    // 7290 gives 6561, down to 6560.
    const struct {
        int32_t nBefore, nAfter;
    } cases[] = {{10000, 9000}, {9000, 8100}, {8100, 7290}, {7290, 6560}, {6560, 5900},
                 {120, 100},    {111, 100},  {100, 100},   {0, 100}};
    for (const auto& c : cases) EXPECT_EQ(CEnemy::DecayedScore(c.nBefore), c.nAfter) << c.nBefore;

    // A raptor is worth 10000 at birth, and loses a tenth at its ages 0, 30, 60 ...
    const struct {
        int nUpdates;
        int32_t nScore;
    } life[] = {{0, 10000}, {1, 9000}, {30, 9000}, {31, 8100}, {60, 8100}, {90, 7290}, {120, 6560}, {3000, 100}};
    for (const auto& l : life) {
        SCOPED_TRACE(l.nUpdates);
        CRaptor* r = StillRaptor(Vec3{0.0f, 3.0f, 0.0f});
        r->m_nDepartFrame = -1;   // stays on the field
        UpdateTimes(r, l.nUpdates);
        EXPECT_EQ(r->m_nScore, l.nScore);
        const int32_t before = g_pPlayer->m_nScore;
        r->Damage(CRaptor::kHp);
        EXPECT_EQ(g_pPlayer->m_nScore - before, l.nScore);
        ClearLists();
    }
}

TEST_F(EnemyTest, DamageClampsAtZeroAndAnyOvershootDestroysLikeAnExactHit)
{
    const struct {
        int nAmount;
        int32_t nHpAfter;
        bool bDestroyed;
    } cases[] = {{1, 47, false}, {47, 1, false}, {48, 0, true}, {49, 0, true}, {1000, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nAmount);
        CRaptor* r = StillRaptor(Vec3{1.0f, 2.0f, 0.0f});
        const int32_t before = g_pPlayer->m_nScore;
        r->Damage(c.nAmount);
        EXPECT_EQ(r->m_nHp, c.nHpAfter);
        EXPECT_EQ(r->m_nMaxHp, 48);
        EXPECT_EQ(r->m_nState == CObject::STATE_DEAD, c.bDestroyed);
        EXPECT_EQ(g_pPlayer->m_nScore - before, c.bDestroyed ? 10000 : 0);
        // Explosion, sound and item at the raptor.
        EXPECT_EQ(ObjectsOf<CBomb>(g_EffectList).size(), c.bDestroyed ? 1u : 0u);
        const auto items = ObjectsOf<CScoreItem>(g_ScoreItemList);
        ASSERT_EQ(items.size(), c.bDestroyed ? 1u : 0u);
        if (c.bDestroyed) {
            EXPECT_EQ(items[0]->m_vPos, (Vec3{1.0f, 2.0f, 0.0f}));
        }
        EXPECT_EQ(CountPlayed(148), c.bDestroyed ? 1 : 0);
        ClearLists();
        PlayedSounds().clear();
    }
}

TEST_F(EnemyTest, UntouchableFlagsExcludeEachOther)
{
    CZab z;
    EXPECT_FALSE(z.m_bInvulnerable);
    EXPECT_FALSE(z.m_bEntering);
    z.SetEntering(true);
    EXPECT_TRUE(z.m_bEntering);
    z.SetInvulnerable(true);
    EXPECT_TRUE(z.m_bInvulnerable);
    EXPECT_FALSE(z.m_bEntering);
    z.SetEntering(true);
    EXPECT_FALSE(z.m_bInvulnerable);
    z.SetEntering(false);
    EXPECT_FALSE(z.m_bEntering);
    EXPECT_FALSE(z.m_bInvulnerable);
}

TEST_F(EnemyTest, VectorToPlayerAndTheFreshEnemysValues)
{
    CZab z;
    z.SetPos(Vec3{1.0f, 2.0f, 0.5f});
    EXPECT_EQ(z.VectorToPlayer(), (Vec3{-1.0f, -5.0f, -0.5f}));
    EXPECT_EQ(z.m_nHp, 1);
    EXPECT_EQ(z.m_nScore, 1000);
    EXPECT_EQ(z.m_fRadius, 0.25f);
    EXPECT_EQ(z.m_vRotVel, (Vec3{0.01f, 0.0f, 0.007f}));
    EXPECT_EQ(z.m_pFire[0]->m_nPattern, -1);
    CRaptor r;
    EXPECT_EQ(r.m_fRadius, 0.5f);
    EXPECT_EQ(r.m_pFire[0]->m_nPattern, 24);
    EXPECT_EQ(r.m_pFire[1]->m_nPattern, -1);
}

TEST_F(EnemyTest, FormationZabsWaitTwelveFramesEachAndEveryFourthCarriesAnItem)
{
    const int32_t before = g_pPlayer->m_nScore;
    SpawnZabFormation(0, Vec3{3.0f, 6.0f, 0.0f}, 8);
    const auto zabs = ObjectsOf<CZab>(g_EnemyList);
    ASSERT_EQ(zabs.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(zabs[i]->m_nState, i == 0 ? CObject::STATE_ALIVE : CObject::STATE_APPEAR);
        EXPECT_EQ(zabs[i]->m_nAppearTotal, 12 * i);
        EXPECT_EQ(zabs[i]->m_bDropsItem, i % 4 == 3);
        EXPECT_FALSE(zabs[i]->m_bFlare);
    }

    // Zab 2 stands still while it waits, and moves from its 25th update.
    CZab* z = zabs[2];
    UpdateTimes(z, 23);
    EXPECT_EQ(z->m_nState, CObject::STATE_APPEAR);
    EXPECT_EQ(z->m_vPos, (Vec3{3.0f, 6.0f, 0.0f}));
    z->Update();
    EXPECT_EQ(z->m_nState, CObject::STATE_ALIVE);
    EXPECT_EQ(z->m_vPos, (Vec3{3.0f, 6.0f, 0.0f}));
    z->Update();
    EXPECT_EQ(z->m_nAge, 0);
    EXPECT_NE(z->m_vPos, (Vec3{3.0f, 6.0f, 0.0f}));

    // Shot down one by one: items from zabs 3 and 7 only, 1000 points each
    // (zab 2 has lived through its age 0 and is worth 900).
    for (CZab* each : zabs) {
        each->Activate();
        each->Damage(1);
    }
    const auto items = ObjectsOf<CScoreItem>(g_ScoreItemList);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->m_vPos, zabs[3]->m_vPos);
    EXPECT_EQ(items[1]->m_vPos, zabs[7]->m_vPos);
    EXPECT_EQ(g_pPlayer->m_nScore - before, 7 * 1000 + 900);
    EXPECT_EQ(CountPlayed(105), 8);

    // A formation of one: no wait at all.
    ClearLists();
    SpawnZabFormation(3, g_vZero, 1);
    ASSERT_EQ(g_EnemyList.Count(), 1);
    EXPECT_EQ(g_EnemyList.At(0)->m_nState, CObject::STATE_ALIVE);
}

TEST_F(EnemyTest, FormationKindsSetStartAndVelocityTrack)
{
    const Vec3 at{1.0f, 6.0f, 0.0f};
    const struct {
        int nKind;
        Vec3 vStart0, vStart2;   // zabs 0 and 2
        Vec3 vVel, vTarget;
        int nFrames;
    } cases[] = {
        {0, at, at, {0, -0.05f, 0}, {-0.05f, -0.01f, 0}, 150},
        {1, at, at, {0, -0.05f, 0}, {0.05f, -0.01f, 0}, 150},
        {2, {-2.5f, 5.2f, 0}, {-1.5f, 5.2f, 0}, {0, -0.075f, 0}, {0, 0.075f, 0}, 240},
        {3, {2.5f, 5.2f, 0}, {1.5f, 5.2f, 0}, {0, -0.075f, 0}, {0, 0.075f, 0}, 240},
        {4, {-5.2f, 4.5f, 0}, {-5.2f, 4.7f, 0}, {0.075f, -0.075f, 0}, {-0.075f, -0.075f, 0}, 240},
        {5, {5.2f, 4.5f, 0}, {5.2f, 4.7f, 0}, {-0.075f, -0.075f, 0}, {0.075f, -0.075f, 0}, 240},
        {6, at, at, {}, {}, 0},
        {-1, at, at, {}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nKind);
        ClearLists();
        SpawnZabFormation(c.nKind, at, 3);
        const auto zabs = ObjectsOf<CZab>(g_EnemyList);
        ASSERT_EQ(zabs.size(), 3u);
        EXPECT_EQ(zabs[0]->m_vPos, c.vStart0);
        EXPECT_NEAR(zabs[2]->m_vPos.x, c.vStart2.x, 1e-6f);
        EXPECT_NEAR(zabs[2]->m_vPos.y, c.vStart2.y, 1e-6f);
        EXPECT_EQ(zabs[0]->m_vVel, c.vVel);
        EXPECT_EQ(zabs[0]->m_VelTrack.active, c.nFrames > 0);
        if (c.nFrames == 0) continue;
        EXPECT_EQ(zabs[0]->m_VelTrack.end, c.vTarget);
        UpdateTimes(zabs[0], c.nFrames);
        EXPECT_EQ(zabs[0]->m_vVel, c.vTarget);
        EXPECT_FALSE(zabs[0]->m_VelTrack.active);
    }
}

TEST_F(EnemyTest, SmallEnemiesLeavingTheFieldGoSilently)
{
    const int32_t before = g_pPlayer->m_nScore;
    CZab* z = new CZab;
    z->SetPos(Vec3{7.4f, 0.0f, 0.0f});
    z->SetVel(Vec3{0.2f, 0.0f, 0.0f});
    z->m_bDropsItem = true;
    g_EnemyList.Add(z);
    CRaptor* r = StillRaptor(Vec3{0.0f, -7.4f, 0.0f});
    r->SetVel(Vec3{0.0f, -0.2f, 0.0f});
    // Still inside at exactly 7.5.
    CZab* edge = new CZab;
    edge->SetPos(Vec3{-7.5f, 7.5f, 0.0f});
    g_EnemyList.Add(edge);
    for (CObject* o : {static_cast<CObject*>(z), static_cast<CObject*>(r), static_cast<CObject*>(edge)}) o->Update();
    EXPECT_EQ(z->m_nState, CObject::STATE_DEAD);
    EXPECT_TRUE(z->m_bSilent);
    EXPECT_EQ(r->m_nState, CObject::STATE_DEAD);
    EXPECT_TRUE(r->m_bSilent);
    EXPECT_EQ(edge->m_nState, CObject::STATE_ALIVE);
    EXPECT_EQ(g_pPlayer->m_nScore, before);
    EXPECT_EQ(g_ScoreItemList.Count(), 0);
    EXPECT_TRUE(ObjectsOf<CBomb>(g_EffectList).empty());
    EXPECT_TRUE(PlayedSounds().empty());
}

TEST_F(EnemyTest, RaptorLeavesAtFrame480TowardTheNearerSideWithXZeroGoingLeft)
{
    for (float x : {-1.0f, 0.0f, 0.5f}) {
        SCOPED_TRACE(x);
        CRaptor* r = StillRaptor(Vec3{x, 3.0f, 0.0f});
        UpdateTimes(r, 480);   // ages 0 ... 479
        EXPECT_FALSE(r->m_VelTrack.active);
        r->Update();           // age 480
        EXPECT_TRUE(r->m_VelTrack.active);
        EXPECT_EQ(r->m_VelTrack.end, (Vec3{x <= 0.0f ? -0.125f : 0.125f, 0.0f, 0.0f}));
        UpdateTimes(r, 180);
        EXPECT_EQ(r->m_vVel.x, x <= 0.0f ? -0.125f : 0.125f);
        ClearLists();
    }
}

TEST_F(EnemyTest, RaptorsGlideInFacingTheCraftAndStraightOnesKeepFacingDown)
{
    SpawnRaptor(Vec3{1.0f, 6.0f, 0.0f}, Vec3{1.0f, 3.5f, 0.0f});
    SpawnStraightRaptor(Vec3{-1.0f, 6.0f, 0.0f}, Vec3{-1.0f, 3.5f, 0.0f});
    const auto raptors = ObjectsOf<CRaptor>(g_EnemyList);
    ASSERT_EQ(raptors.size(), 2u);
    CRaptor* turning = raptors[0];
    CRaptor* straight = raptors[1];
    EXPECT_FLOAT_EQ(turning->m_vRot.z, DirectionAngle(-1.0f, -9.0f));
    EXPECT_FALSE(turning->m_bStraight);
    EXPECT_EQ(straight->m_vRot, (Vec3{0.0f, 0.0f, 1.0f}));
    EXPECT_TRUE(straight->m_bStraight);
    for (CRaptor* r : raptors) {
        EXPECT_EQ(r->m_nDepartFrame, 480);
        EXPECT_EQ(r->m_pFire[0]->m_nPattern, 24);
    }

    m_pCraft->SetPos(Vec3{4.0f, -0.5f, 0.0f});
    for (int i = 0; i < 120; ++i) {
        turning->Update();
        straight->Update();
    }
    EXPECT_EQ(turning->m_vPos, (Vec3{1.0f, 3.5f, 0.0f}));
    EXPECT_EQ(straight->m_vPos, (Vec3{-1.0f, 3.5f, 0.0f}));
    // Turning a little of the way each frame, it catches up once it stands.
    for (int i = 0; i < 80; ++i) turning->Update();
    EXPECT_NEAR(turning->m_vRot.z, turning->FaceToward(g_pPlayer).z, 1e-4f);
    EXPECT_EQ(straight->m_vRot, (Vec3{0.0f, 0.0f, 1.0f}));
}

TEST_F(EnemyTest, RaptorPairsComeFromEitherSide)
{
    const struct {
        int nSide;
        Vec3 vFrom[2], vTo[2];
    } cases[] = {
        {0, {{-5.0f, 4.0f, 0}, {-5.0f, 2.2f, 0}}, {{-2.0f, 4.0f, 0}, {-2.25f, 2.2f, 0}}},
        {1, {{5.0f, 4.0f, 0}, {5.0f, 2.2f, 0}}, {{2.0f, 4.0f, 0}, {2.25f, 2.2f, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nSide);
        ClearLists();
        SpawnRaptorPair(c.nSide);
        const auto raptors = ObjectsOf<CRaptor>(g_EnemyList);
        ASSERT_EQ(raptors.size(), 2u);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(raptors[i]->m_PosTrack.start.x, c.vFrom[i].x);
            EXPECT_FLOAT_EQ(raptors[i]->m_PosTrack.start.y, c.vFrom[i].y);
            EXPECT_EQ(raptors[i]->m_PosTrack.end.x, c.vTo[i].x);
            EXPECT_FLOAT_EQ(raptors[i]->m_PosTrack.end.y, c.vTo[i].y);
        }
    }
}

TEST_F(EnemyTest, SpawnedZabFadesInThenHeadsWhereTheCraftWas)
{
    SpawnZab(Vec3{0.0f, 3.5f, 0.0f});
    const auto zabs = ObjectsOf<CZab>(g_EnemyList);
    ASSERT_EQ(zabs.size(), 1u);
    CZab* z = zabs[0];
    EXPECT_TRUE(z->m_bFlare);
    EXPECT_FALSE(z->m_bDropsItem);
    EXPECT_EQ(z->m_nState, CObject::STATE_APPEAR);
    EXPECT_EQ(z->m_nAppearTotal, 30);
    m_pCraft->SetPos(Vec3{3.0f, 0.0f, 0.0f});   // taken at spawn time
    UpdateTimes(z, 30 + 60);
    EXPECT_NEAR(z->m_vVel.x, 0.0f, 1e-7f);
    EXPECT_FLOAT_EQ(z->m_vVel.y, -0.05f);
}

TEST_F(EnemyTest, WaveScriptSpawnsEachChaptersTables)
{
    struct Case {
        int nStage, nPhase, nFirst, nLast;
        size_t nZabs, nRaptors;
    };
    // Totals of the tables, counted by hand: chapter 1 80 zabs and 8 raptors;
    // chapter 2's waves 72 and 8; its boss fight replays the waves up to frame
    // 1500 (56 and 8) and adds its escorts (88 and 6).
    const Case cases[] = {
        {0, 1, 0, 2280, 80, 8},
        {0, 3, 0, 2280, 80, 8},   // chapter 1's table runs in any phase
        {1, 1, 0, 2220, 72, 8},
        {1, 3, -600, 4000, 144, 14},
        {1, 2, 0, 4000, 0, 0},
        {2, 1, 0, 4000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nStage << "/" << c.nPhase);
        ClearLists();
        for (int f = c.nFirst; f <= c.nLast; ++f) EnemyWaveScript(c.nStage, c.nPhase, f);
        EXPECT_EQ(ObjectsOf<CZab>(g_EnemyList).size(), c.nZabs);
        EXPECT_EQ(ObjectsOf<CRaptor>(g_EnemyList).size(), c.nRaptors);
    }

    // Single frames: what spawns there, and nothing from the other table.
    struct Frame {
        int nStage, nPhase, nFrame;
        size_t nZabs, nRaptors, nStraight;
    };
    const Frame frames[] = {
        {0, 1, 540, 16, 0, 0},  {0, 1, 1380, 8, 1, 0}, {0, 1, 1980, 0, 3, 3}, {0, 1, 2000, 0, 0, 0},
        {1, 1, 1920, 8, 0, 0},  {1, 3, 1500, 8, 2, 0}, {1, 3, 1800, 0, 2, 0}, {1, 3, 1920, 8, 0, 0},
        {1, 3, 3240, 8, 1, 0},  {1, 1, 1800, 0, 0, 0},
    };
    for (const Frame& f : frames) {
        SCOPED_TRACE(testing::Message() << f.nStage << "/" << f.nPhase << " @" << f.nFrame);
        ClearLists();
        EnemyWaveScript(f.nStage, f.nPhase, f.nFrame);
        EXPECT_EQ(ObjectsOf<CZab>(g_EnemyList).size(), f.nZabs);
        const auto raptors = ObjectsOf<CRaptor>(g_EnemyList);
        EXPECT_EQ(raptors.size(), f.nRaptors);
        size_t straight = 0;
        for (CRaptor* r : raptors) straight += r->m_bStraight;
        EXPECT_EQ(straight, f.nStraight);
    }
}

TEST_F(EnemyTest, ZabFansCircleTheFieldOneZabEveryQuarterSecond)
{
    // Chapter 2 phase 1: from frame 780 the angle runs 0.5 - 0.25 j.
    const struct {
        int nFrame;
        Vec3 vAt;
    } cases[] = {
        {780, {-3.5f, 0.0f, 0}}, {795, {-2.4748738f, 2.4748738f, 0}}, {810, {0.0f, 3.5f, 0}},
        {840, {3.5f, 0.0f, 0}},  {885, {-2.4748738f, -2.4748738f, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nFrame);
        ClearLists();
        EnemyWaveScript(1, 1, c.nFrame);
        const auto zabs = ObjectsOf<CZab>(g_EnemyList);
        ASSERT_EQ(zabs.size(), 1u);
        EXPECT_NEAR(zabs[0]->m_vPos.x, c.vAt.x, 1e-5f);
        EXPECT_NEAR(zabs[0]->m_vPos.y, c.vAt.y, 1e-5f);
        EXPECT_TRUE(zabs[0]->m_bFlare);
    }
    for (int f : {781, 886, 899, 901}) {
        ClearLists();
        EnemyWaveScript(1, 1, f);
        EXPECT_EQ(g_EnemyList.Count(), 0) << f;
    }
}
