// The bosses: barrage bonus and records, time-outs and pauses, the last
// barrage's death or withdrawal, the close-range swipe, the silent first second
// of every phase, the score floor, the wander draws, the pause talk line, the
// ends of barrages told to the shell and a boss put before one barrage.
#include "chapters_fixture.h"

#include <cmath>

#include "enemy/Boss0.h"
#include "enemy/Boss1.h"
#include "stage/Flare.h"
#include "tests/support/WorldEventsLog.h"

namespace {

using SC = CStageControler;

template <class TBoss>
TBoss* AddBoss()
{
    auto* boss = new TBoss();
    g_EnemyList.Add(boss);
    return boss;
}

CBoss* AddBoss(bool second) { return second ? static_cast<CBoss*>(AddBoss<CBoss1>()) : AddBoss<CBoss0>(); }

void Updates(CBoss& boss, int n)
{
    for (int i = 0; i < n; ++i) boss.Update();
}

// A bullet in the enemy-bullet list; a persistent one survives clearing.
CObject* AddBullet(bool persistent)
{
    auto* b = new CObject();
    b->m_bPersistent = persistent;
    g_EnemyShotList.Add(b);
    return b;
}

}  // namespace

class BossFight : public ChapterWorld {
protected:
    // What the barrage backdrop shows (the asset set is not loaded here).
    CTexture m_Backdrop;
};

TEST_F(BossFight, BarrageClearedPaysTheTimeLeftWhileTheCraftIsClean)
{
    struct SClear {
        int nTimer;
        bool bClean, bReplay, bTestGame;
        int32_t nBonus;
        bool bRecorded;
    };
    const SClear clears[] = {
        {1000, true, false, false, 200000, true},
        {0, true, false, false, 0, false},        // time already up: no bonus
        {1000, false, false, false, 0, false},    // a miss or a bomb since the barrage began
        {1000, true, true, false, 200000, false}, // a watched replay pays but records nothing
        {1000, true, false, true, 200000, false}, // so does a test game
    };
    for (const SClear& c : clears) {
        SCOPED_TRACE(testing::Message() << "timer " << c.nTimer << " clean " << c.bClean << " replay " << c.bReplay
                                        << " test game " << c.bTestGame);
        g_BarrageTable.Load();
        g_bReplayPlaying = c.bReplay;
        g_bUnrecorded = c.bTestGame;
        PlayedSounds().clear();
        CBoss& boss = *AddBoss<CBoss0>();
        boss.SetPhase(1);
        ASSERT_EQ(g_nBarrageIndex, 10);
        EXPECT_EQ(g_BarrageTable.Get(10).m_nTotalCount, c.bReplay || c.bTestGame ? 0 : 1);
        g_BG2D[0].SetTexture(&m_Backdrop);
        m_pCraft->m_bClean = c.bClean;
        boss.m_nTimer = c.nTimer;
        const int32_t before = m_pCraft->m_nScore;
        boss.Damage(boss.m_nHp);   // within 30 frames of its creation the boss itself is worth 0

        EXPECT_EQ(m_pCraft->m_nScore - before, c.nBonus);
        const std::vector<CSimpleSprite*> figure = SpritesAt(420.0f, 216.0f);
        EXPECT_EQ(figure.size(), c.nBonus > 0 ? 1u : 0u);
        for (const CSimpleSprite* f : figure) EXPECT_EQ(f->m_nNumber, c.nBonus);
        EXPECT_EQ(SpritesAt(200.0f, 200.0f).size(), 1u) << "the bonus or the no-bonus picture";
        EXPECT_EQ(g_BarrageTable.Get(10).m_nClearCount, c.bRecorded ? 1 : 0);
        EXPECT_EQ(g_BarrageTable.Get(10).m_nScoreMax, c.bRecorded ? c.nBonus : 0);
        EXPECT_EQ(CountSound(168), 1);
        // On to the pause: untouchable, no barrage, no backdrop.
        EXPECT_EQ(boss.m_nPhase, 2);
        EXPECT_TRUE(boss.m_bInvulnerable);
        EXPECT_EQ(g_nBarrageIndex, -1);
        EXPECT_EQ(g_BG2D[0].m_pTexture, nullptr);
        ClearWorld();
    }
}

TEST_F(BossFight, TimeOutMovesOnWithoutBonusAndThePauseLeadsToTheNextBarrage)
{
    for (bool second : {false, true}) {
        SCOPED_TRACE(second ? "CBoss1" : "CBoss0");
        DeleteAll(g_EnemyShotList);
        CBoss& boss = *AddBoss(second);
        boss.SetPhase(1);
        g_BG2D[0].SetTexture(&m_Backdrop);
        AddBullet(false);
        CObject* beam = AddBullet(true);
        boss.m_nTimer = 1;
        const int32_t before = m_pCraft->m_nScore;
        boss.Update();
        EXPECT_EQ(boss.m_nPhase, 2);
        EXPECT_EQ(m_pCraft->m_nScore, before);
        ASSERT_EQ(g_EnemyShotList.Count(), 1) << "only the persistent bullet stays";
        EXPECT_EQ(g_EnemyShotList.At(0), beam);
        EXPECT_EQ(g_BarrageTable.Get(second ? 20 : 10).m_nClearCount, 0);
        EXPECT_EQ(g_BG2D[0].m_pTexture, nullptr) << "the backdrop goes with the flash of the pause";
        EXPECT_TRUE(boss.m_bInvulnerable);
        EXPECT_EQ(boss.m_nHp, 0);
        EXPECT_EQ(boss.m_nMaxHp, second ? 1 : 500);
        EXPECT_EQ(boss.m_nTimer, 240);
        Updates(boss, 239);
        EXPECT_EQ(boss.m_nPhase, 2);
        Updates(boss, 1);
        EXPECT_EQ(boss.m_nPhase, 3);
        EXPECT_FALSE(boss.m_bInvulnerable);
        EXPECT_EQ(boss.m_nHp, 600);
        EXPECT_EQ(g_nBarrageIndex, second ? 21 : 11);
        ClearWorld();
    }
}

TEST_F(BossFight, LastBarrageEndsInDeathOrWithdrawal)
{
    struct SEnd {
        bool bSecond, bKilled;
        int nStagePhase;   // after the boss is gone
    };
    const SEnd ends[] = {{false, true, 4}, {false, false, 5}, {true, true, 4}, {true, false, 5}};
    for (const SEnd& e : ends) {
        SCOPED_TRACE(testing::Message() << (e.bSecond ? "CBoss1" : "CBoss0") << (e.bKilled ? " killed" : " timed out"));
        g_StageControler.SetPhase(SC::PHASE_BOSS);
        PlayedSounds().clear();
        CBoss& boss = *AddBoss(e.bSecond);
        const int last = e.bSecond ? 9 : 7;
        EXPECT_EQ(boss.LastBarragePhase(), last);
        boss.SetPhase(last);
        const int32_t before = m_pCraft->m_nScore;
        if (e.bKilled) {
            boss.m_nTimer = 600;
            boss.Damage(boss.m_nHp);
            EXPECT_EQ(boss.m_nState, CObject::STATE_VANISH);
            Updates(boss, 239);
        } else {
            boss.m_nTimer = 1;
            Updates(boss, 239);   // the first of them runs out of time
            EXPECT_TRUE(boss.m_bInvulnerable);
            EXPECT_EQ(m_pCraft->m_nScore, before) << "no bonus for a barrage out of time";
        }
        EXPECT_EQ(boss.m_nPhase, CBoss::PHASE_FINAL);
        EXPECT_NE(boss.m_nState, CObject::STATE_DEAD);
        EXPECT_EQ(g_StageControler.m_nPhase, SC::PHASE_BOSS);
        Updates(boss, 1);
        EXPECT_EQ(boss.m_nState, CObject::STATE_DEAD);
        EXPECT_EQ(g_StageControler.m_nPhase, e.nStagePhase);
        if (!e.bKilled) {
            EXPECT_TRUE(boss.m_vPos == (Vec3{0.0f, 6.0f, 0.0f}));
        }
        EXPECT_EQ(CountSound(102), e.bKilled ? 1 : 0);
        ClearWorld();
    }
}

TEST_F(BossFight, SwipeKnocksBackAClashingCraftAndStrikesAnOtherwise)
{
    enum EOutcome { KNOCK_BACK, MISS, UNTOUCHED };
    struct SSwipe {
        bool bCraftSwinging, bInvulnerable;
        EOutcome eOutcome;
    };
    const SSwipe swipes[] = {{true, false, KNOCK_BACK}, {false, false, MISS}, {false, true, UNTOUCHED}};
    for (const SSwipe& s : swipes) {
        SCOPED_TRACE(testing::Message() << "craft swinging " << s.bCraftSwinging << " invulnerable "
                                        << s.bInvulnerable);
        g_bInvulnerable = s.bInvulnerable;
        m_pCraft->Reset();
        m_pCraft->SetPos(Vec3{0.0f, 2.0f, 0.0f});
        if (s.bCraftSwinging) m_pCraft->m_Blade.SetLife(CBlade::kSwingFrames);
        CBoss& boss = *AddBoss<CBoss0>();
        boss.SetPhase(1);
        boss.SetPos(Vec3{0.0f, 3.0f, 0.0f});   // 1 above the craft, within reach
        boss.SetRot(boss.FaceToward(m_pCraft));
        for (int i = 0; i < CBlade::kSwingFrames && !boss.m_bBladeHit; ++i) boss.Update();
        EXPECT_EQ(boss.m_bBladeHit, s.eOutcome != UNTOUCHED);
        switch (s.eOutcome) {
        case KNOCK_BACK:
            EXPECT_EQ(m_pCraft->m_nStock, 2);
            EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_ALIVE);
            // Thrown away from the boss, 0.125 a frame, slowing over 30 frames.
            EXPECT_NEAR(m_pCraft->m_vVel.x, 0.0f, 1e-3f);
            EXPECT_NEAR(m_pCraft->m_vVel.y, -0.125f, 1e-3f);
            EXPECT_TRUE(m_pCraft->m_VelTrack.active);
            EXPECT_EQ(g_pFader->m_fRed, 1.0f);
            EXPECT_EQ(g_pFader->m_fGreen, 0.0f);
            break;
        case MISS:
            EXPECT_EQ(m_pCraft->m_nStock, 1);
            EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_APPEAR);
            EXPECT_EQ(g_ForegroundList.Count(), 1) << "a flare at the boss";
            break;
        case UNTOUCHED:
            EXPECT_EQ(m_pCraft->m_nStock, 2);
            EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_ALIVE);
            break;
        }
        ClearWorld();
    }
}

TEST_F(BossFight, NoSwipeWhileEntering)
{
    m_pCraft->SetPos(Vec3{0.0f, 2.0f, 0.0f});
    CBoss& boss = *AddBoss<CBoss0>();
    boss.SetPos(Vec3{0.0f, 3.0f, 0.0f});
    boss.m_PosTrack.active = false;
    Updates(boss, 12);
    EXPECT_NE(boss.m_Blade.m_nState, CObject::STATE_ALIVE);
    EXPECT_EQ(m_pCraft->m_nStock, 2);
}

TEST_F(BossFight, EmittersAreSilentForTheFirst60FramesOfEveryPhase)
{
    m_pCraft->SetPos(Vec3{0.0f, -4.0f, 0.0f});
    CBoss& boss = *AddBoss<CBoss0>();
    for (int phase : {1, 3}) {
        SCOPED_TRACE(phase);
        DeleteAll(g_EnemyShotList);
        boss.SetPhase(phase);
        Updates(boss, 60);
        EXPECT_EQ(g_EnemyShotList.Count(), 0);
        Updates(boss, 1);   // the pattern's frame 0
        EXPECT_GT(g_EnemyShotList.Count(), 0);
    }
}

TEST_F(BossFight, ScoreValueReachesItsFloorAtThe30thFrame)
{
    m_pCraft->SetPos(Vec3{0.0f, -4.0f, 0.0f});
    CBoss& boss = *AddBoss<CBoss1>();
    EXPECT_EQ(boss.m_nScore, 0);
    Updates(boss, 29);
    EXPECT_EQ(boss.m_nScore, 0);
    Updates(boss, 1);
    EXPECT_EQ(boss.m_nScore, 100);
}

TEST_F(BossFight, WanderTargetDrawsR1ForYThenR2ForX)
{
    m_pCraft->SetPos(Vec3{4.0f, -4.0f, 0.0f});   // x clamped to 2.5
    for (bool second : {false, true}) {
        SCOPED_TRACE(second ? "CBoss1" : "CBoss0");
        CBoss& boss = *AddBoss(second);
        const int phase = second ? 5 : 1;   // the second boss stays put in its phase 5
        boss.SetPhase(phase);
        Updates(boss, CBoss::kWanderEvery - 1);
        CRandom next = g_GameRand;
        const float r1 = next.Real();
        const float r2 = next.Real();
        boss.Update();
        if (second) {
            EXPECT_FALSE(boss.m_PosTrack.active);
        } else {
            ASSERT_TRUE(boss.m_PosTrack.active);
            EXPECT_EQ(boss.m_PosTrack.end.x, 2.5f - 0.5f + r2);
            EXPECT_EQ(boss.m_PosTrack.end.y, 3.0f - r1);
            EXPECT_EQ(boss.m_PosTrack.end.z, 0.0f);
        }
        ClearWorld();
    }
}

TEST_F(BossFight, PauseTalkLineAtItsSixtiethFrame)
{
    m_pCraft->SetPos(Vec3{0.0f, -4.0f, 0.0f});
    for (bool second : {false, true}) {
        SCOPED_TRACE(second ? "CBoss1" : "CBoss0");
        PlayedSounds().clear();
        CBoss& boss = *AddBoss(second);
        boss.SetPhase(second ? 6 : 4);
        Updates(boss, 59);
        EXPECT_EQ(CountSound(162), 0);
        Updates(boss, 1);
        EXPECT_EQ(CountSound(162), 1);
        const std::vector<CSimpleSprite*> rows = SpritesAt(64.0f, 448.0f);
        ASSERT_EQ(rows.size(), 1u);
        const int row = second ? 26 : 9;
        EXPECT_EQ(rows[0]->m_rcSource.top, 16 * row);
        ClearWorld();
    }
}

TEST_F(BossFight, SatellitesTakeTheirPhasesFormations)
{
    m_pCraft->SetPos(Vec3{0.0f, -4.0f, 0.0f});
    auto& boss = *AddBoss<CBoss0>();
    const auto near = [](const Vec3& a, const Vec3& b) { return Length(a - b) < 1e-4f; };
    // The satellites move when the boss is drawn: 120 draws end every move.
    const auto settle = [&boss] {
        for (int i = 0; i < 120; ++i) boss.Draw();
    };
    struct SPlace {
        int nPhase, nSatellite;
        Vec3 vAt;
        bool bTurning;   // the placement turns about the boss
    };
    // In the fight's order: a pause's formation stops the turning again.
    const SPlace places[] = {
        {1, 2, Vec3{-3.0f, 0.0f, 0.0f}, true},  {1, 1, Vec3{1.0f, 0.0f, 0.0f}, false},
        {2, 0, Vec3{0.0f, 0.0f, -2.0f}, false}, {3, 3, Vec3{2.0f, 0.0f, 0.0f}, false},
        {4, 0, Vec3{0.0f, 0.0f, -2.0f}, false}, {5, 2, Vec3{0.0f, 0.0f, 2.0f}, true},
    };
    for (const SPlace& p : places) {
        SCOPED_TRACE(testing::Message() << "phase " << p.nPhase << " satellite " << p.nSatellite);
        boss.SetPhase(p.nPhase);
        settle();
        const CObject& s = boss.m_Satellites[p.nSatellite];
        EXPECT_TRUE(near(s.m_vPos, p.vAt)) << s.m_vPos.x << ", " << s.m_vPos.y << ", " << s.m_vPos.z;
        EXPECT_EQ(s.m_vAuxVel.y > 0.0f, p.bTurning);
    }
    // 180 frames into the entry (its timer at 1320) they regroup.
    boss.SetPhase(CBoss::PHASE_ENTRY);
    Updates(boss, 180);
    EXPECT_EQ(boss.m_nTimer, 1320);
    settle();
    EXPECT_TRUE(near(boss.m_Satellites[0].m_vPos, Vec3{0.0f, 0.0f, 1.0f}));
}

TEST_F(BossFight, AnInvulnerableCraftIsNotHitByBulletsOrBodies)
{
    for (bool invulnerable : {false, true}) {
        SCOPED_TRACE(invulnerable);
        g_bInvulnerable = invulnerable;
        m_pCraft->Reset();
        CObject* bullet = AddBullet(false);
        bullet->m_fRadius = 0.05f;    // on the craft
        auto& boss = *AddBoss<CBoss0>();
        boss.SetPhase(1);
        boss.SetPos(m_pCraft->m_vPos);   // its body too
        boss.m_PosTrack.active = false;
        m_pCraft->Update();
        EXPECT_EQ(m_pCraft->m_nStock, invulnerable ? 2 : 1);
        EXPECT_EQ(m_pCraft->m_nState, invulnerable ? CObject::STATE_ALIVE : CObject::STATE_APPEAR);
        ClearWorld();
        DeleteAll(g_EnemyShotList);
    }
}

// Every end of a barrage is told to the shell with its record number: captured
// with the bonus paid, or not (no bonus, or out of time). The ends of the
// entry and of a pause are no barrage's.
TEST_F(BossFight, TheEndOfEveryBarrageIsToldToTheShell)
{
    enum class EEnd { Captured, BrokenUnclean, TimedOut };
    for (EEnd end : {EEnd::Captured, EEnd::BrokenUnclean, EEnd::TimedOut}) {
        SCOPED_TRACE(static_cast<int>(end));
        CWorldEventsLog shell;
        CBoss& boss = *AddBoss<CBoss1>();
        boss.m_nTimer = 1;
        boss.Update();   // the entry ends: barrage 20 begins
        ASSERT_EQ(g_nBarrageIndex, 20);
        EXPECT_TRUE(shell.m_BarragesEnded.empty());
        boss.m_nTimer = 1000;
        if (end == EEnd::TimedOut) {
            boss.m_nTimer = 1;
            boss.Update();
        } else {
            m_pCraft->m_bClean = end == EEnd::Captured;
            boss.Damage(boss.m_nHp);
        }
        ASSERT_EQ(shell.m_BarragesEnded.size(), 1u);
        EXPECT_EQ(shell.m_BarragesEnded[0].nBarrage, 20);
        EXPECT_EQ(shell.m_BarragesEnded[0].bCaptured, end == EEnd::Captured);
        EXPECT_EQ(shell.m_BarragesEnded[0].nBonus, end == EEnd::Captured ? 200000 : 0);
        // The pause that follows ends with no word.
        boss.m_nTimer = 1;
        boss.Update();
        EXPECT_EQ(boss.m_nPhase, 3);
        EXPECT_EQ(shell.m_BarragesEnded.size(), 1u);
        ClearWorld();
    }
}

// Practice: a boss put just before a barrage begins it when its time is up,
// and after it waits in its pause for good, with no talk line; the last
// barrage still ends in the boss's death or withdrawal.
TEST_F(BossFight, ABossStandingBeforeABarrageFightsThatOneOnly)
{
    struct SCase {
        bool bSecond;
        int nPhase;
    };
    for (const SCase& c : {SCase{false, 1}, SCase{false, 3}, SCase{true, 5}, SCase{true, 9}}) {
        SCOPED_TRACE(testing::Message() << (c.bSecond ? "CBoss1" : "CBoss0") << " phase " << c.nPhase);
        PlayedSounds().clear();
        CBoss& boss = *AddBoss(c.bSecond);
        boss.StandBefore(c.nPhase, 30);
        EXPECT_EQ(boss.m_nPhase, c.nPhase - 1);
        Updates(boss, 29);
        EXPECT_EQ(boss.m_nPhase, c.nPhase - 1);
        Updates(boss, 1);
        EXPECT_EQ(boss.m_nPhase, c.nPhase);
        EXPECT_EQ(boss.m_nAge, 1);
        boss.m_nTimer = 1;
        Updates(boss, 1);
        if (c.nPhase == boss.LastBarragePhase()) {
            EXPECT_EQ(boss.m_nPhase, CBoss::PHASE_FINAL) << "the withdrawal";
        } else {
            EXPECT_EQ(boss.m_nPhase, c.nPhase + 1);
            EXPECT_EQ(boss.m_nTimer, 0);
            Updates(boss, 2000);
            EXPECT_EQ(boss.m_nPhase, c.nPhase + 1) << "no second barrage";
            EXPECT_EQ(g_nBarrageIndex, -1);
        }
        EXPECT_EQ(CountSound(162), 0) << "no talk line";
        ClearWorld();
    }
}
