// The craft's own rules: extends, gauge, misses and the game's end,
// collisions and item collection.
#include "tests/player/player_fixture.h"

#include "player/ScoreItem.h"
#include "stage/CustomStageControler.h"
#include "tests/support/WorldEventsLog.h"

using CraftTest = PlayerTest;

TEST_F(CraftTest, ExtendTableHoldsMultiplesOfOneAndAHalfMillion)
{
    EXPECT_EQ(g_Extends[0].nThreshold, 1500000);
    EXPECT_EQ(g_Extends[1].nThreshold, 3000000);
    EXPECT_EQ(g_Extends[255].nThreshold, 384000000);
    for (const SExtend& e : g_Extends) EXPECT_FALSE(e.bTaken);
}

TEST_F(CraftTest, OneExtendPerCheckEvenWhenAGainCrossesTwoThresholds)
{
    m_pCraft->AddScore(1490000);
    EXPECT_EQ(m_pCraft->m_nStock, 2);
    m_pCraft->AddScore(1520000);   // to 3,010,000: past 1.5 and 3 million
    EXPECT_EQ(m_pCraft->m_nStock, 3);
    m_pCraft->AddScore(10);        // the next gain gives the second
    EXPECT_EQ(m_pCraft->m_nStock, 4);
    m_pCraft->AddScore(10);
    EXPECT_EQ(m_pCraft->m_nStock, 4);
    EXPECT_EQ(CountSound(131), 2);
    EXPECT_EQ(m_pCraft->m_nChapterScore, 3010020);

    // A new game takes the extends afresh.
    m_pCraft->Reset();
    m_pCraft->AddScore(1500000);
    EXPECT_EQ(m_pCraft->m_nStock, 3);
}

TEST_F(CraftTest, GaugeStaysWithinItsRange)
{
    struct Case {
        int from, add, to;
    };
    const Case cases[] = {{3600, 1, 3601}, {10799, 5, 10800}, {50, -100, 0}, {10800, 1, 10800}};
    for (const Case& c : cases) {
        m_pCraft->m_nGauge = c.from;
        m_pCraft->AddGauge(c.add);
        EXPECT_EQ(m_pCraft->m_nGauge, c.to) << c.from << " + " << c.add;
    }
}

TEST_F(CraftTest, ResetStartsAGameFromNothingOfTheLastOne)
{
    m_pCraft->AddScore(2000000);
    m_pCraft->m_nGauge = 100;
    m_pCraft->SetPos(Vec3{1.0f, 2.0f, 0.0f});
    m_pCraft->Dash(1.0f, 0.0f);
    m_pCraft->StartBlade(1.0f, 0.0f);
    m_pCraft->m_nBombDelay = 30;
    m_pCraft->SetScripted(true);
    m_pCraft->Shoot();

    m_pCraft->Reset();
    EXPECT_EQ(m_pCraft->m_vPos, Vec3{});
    EXPECT_EQ(m_pCraft->m_vVel, Vec3{});
    EXPECT_FALSE(m_pCraft->m_VelTrack.active);
    EXPECT_EQ(m_pCraft->m_nScore, 0);
    EXPECT_EQ(m_pCraft->m_nStock, 2);
    EXPECT_EQ(m_pCraft->m_nGauge, 3600);
    EXPECT_EQ(m_pCraft->m_nBombDelay, 0);
    EXPECT_FALSE(m_pCraft->m_bScripted);
    EXPECT_TRUE(m_pCraft->m_bVisible);
    EXPECT_FALSE(m_pCraft->m_Blade.IsAlive());
    // The first volley of a game comes at once, whenever the last one was.
    EXPECT_TRUE(m_pCraft->CanShoot());
}

TEST_F(CraftTest, AMissWithStockCostsOneAndRefillsTheGaugeBehindABarrier)
{
    AddBullet(Vec3{});
    CObject* kept = AddBullet(Vec3{2.0f, 0.0f, 0.0f});
    kept->m_bPersistent = true;
    m_pCraft->m_nGauge = 1000;
    m_pCraft->Update();   // the bullet at the craft hits
    EXPECT_EQ(m_pCraft->m_nStock, 1);
    EXPECT_EQ(m_pCraft->m_nGauge, 4600);
    EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_APPEAR);
    EXPECT_FALSE(m_pCraft->m_bClean);
    EXPECT_EQ(CountSound(125), 1);
    EXPECT_EQ(g_pSparks->Count(), 64);
    EXPECT_EQ(m_pDevice->GetQuakeAmplitude(), 32.0f);
    EXPECT_EQ(g_pFader->m_fRed, 1.0f);
    EXPECT_EQ(g_pFader->m_fGreen, 0.0f);
    ASSERT_EQ(g_EnemyShotList.Count(), 1);
    EXPECT_EQ(g_EnemyShotList.At(0), kept);

    // 120 frames behind the barrier: bullets pass through.
    AddBullet(Vec3{});
    UpdateCraft(119);
    EXPECT_EQ(m_pCraft->m_nStock, 1);
    EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_APPEAR);
    // The 120th ends it, and the bullet still there hits at once.
    m_pCraft->Update();
    EXPECT_EQ(m_pCraft->m_nStock, 0);
}

TEST_F(CraftTest, TheLastMissEndsTheGameFourHundredEightyFramesLater)
{
    CWorldEventsLog shell;
    g_StageControler.m_nStage = 0;   // in play (the chapter's own start needs a real device)
    m_pCraft->Reset();
    m_pCraft->m_nStock = 0;
    m_pCraft->AddScore(12340);
    m_pCraft->Miss();
    EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_VANISH);
    EXPECT_EQ(m_pDevice->GetQuakeAmplitude(), 64.0f);
    EXPECT_EQ(CountSound(142), 1);
    EXPECT_EQ(g_pFader->m_nMode, CFader::MODE_TO);
    EXPECT_EQ(g_pFader->m_nTotal, 480);
    ASSERT_EQ(g_EffectList.Count(), 1);   // the final explosion

    UpdateCraft(479);
    EXPECT_TRUE(shell.m_GamesEnded.empty());
    m_pCraft->Update();
    // The shell is told the score; the stage is its to change.
    EXPECT_EQ(shell.m_GamesEnded, std::vector<int32_t>{12340});
    EXPECT_EQ(g_StageControler.m_nStage, 0);
    EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_ALIVE);   // kept for the next game
    g_StageControler.SetStage(-2);
}

TEST_F(CraftTest, BulletsAndEnemiesHitOnlyAnAliveUnscriptedCraft)
{
    struct Case {
        const char* what;
        int state;
        bool scripted;
        bool entering;
        bool hit;
    };
    const Case cases[] = {
        {"alive", CObject::STATE_ALIVE, false, false, true},
        {"barrier", CObject::STATE_APPEAR, false, false, false},
        {"scripted", CObject::STATE_ALIVE, true, false, false},
        {"entering boss", CObject::STATE_ALIVE, false, true, false},
    };
    for (bool body : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << (body ? " enemy" : " bullet"));
            m_pCraft->Reset();
            m_pCraft->m_bScripted = c.scripted;
            if (c.state == CObject::STATE_APPEAR) m_pCraft->SetAppear(120);
            if (body) {
                CEnemy* e = AddEnemy(Vec3{0.1f, 0.0f, 0.0f}, 10);
                e->SetEntering(c.entering);
            } else if (!c.entering) {
                AddBullet(Vec3{0.02f, 0.0f, 0.0f});
            } else {
                continue;
            }
            m_pCraft->Update();
            EXPECT_EQ(m_pCraft->m_nStock, c.hit ? 1 : 2);
            EmptyWorldLists();
        }
    }
}

TEST_F(CraftTest, BladeStrikesOneTouchableEnemyOncePerSwing)
{
    // Two enemies to the right, where the swing passes; the first in the list
    // is shielded, so the second takes the strike.
    CEnemy* shielded = AddEnemy(Vec3{1.2f, 0.0f, 0.0f}, 5, 0.2f);
    shielded->SetInvulnerable(true);
    CEnemy* target = AddEnemy(Vec3{1.2f, -0.1f, 0.0f}, 5, 0.2f);
    m_pCraft->StartBlade(1.0f, 0.0f);   // from up-left, clockwise over the right
    for (int i = 0; i < 12; ++i) m_pCraft->Update();
    EXPECT_EQ(target->m_nHp, 4);
    EXPECT_EQ(shielded->m_nHp, 5);
    EXPECT_TRUE(m_pCraft->m_bBladeHit);
    EXPECT_EQ(CountSound(116), 1);
    EXPECT_EQ(g_ForegroundList.Count(), 1);   // the long flare

    // The swing left a ribbon behind: one segment per update it was alive.
    EXPECT_EQ(g_EffectList.Count(), 11);

    // A new swing may strike again.
    m_pCraft->StartBlade(1.0f, 0.0f);
    for (int i = 0; i < 12; ++i) m_pCraft->Update();
    EXPECT_EQ(target->m_nHp, 3);
    EXPECT_EQ(shielded->m_nHp, 5);
}

TEST_F(CraftTest, OneItemAFrameIsCollectedEvenBehindTheBarrierOrWhenScripted)
{
    struct Case {
        const char* what;
        bool barrier;
        bool scripted;
    };
    const Case cases[] = {{"alive", false, false}, {"barrier", true, false}, {"scripted", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_pCraft->Reset();
        if (c.barrier) m_pCraft->SetAppear(120);
        m_pCraft->m_bScripted = c.scripted;
        CScoreItem::Spawn(Vec3{0.3f, 0.0f, 0.0f});
        CScoreItem::Spawn(Vec3{-0.3f, 0.0f, 0.0f});
        PlayedSounds().clear();
        m_pCraft->Update();
        EXPECT_EQ(m_pCraft->m_nScore, 10000);
        EXPECT_EQ(m_pCraft->m_nChapterScore, 10000);
        EXPECT_EQ(m_pCraft->m_nGauge, 3700);
        EXPECT_EQ(g_ScoreItemList.At(0)->m_nState, CObject::STATE_DEAD);
        EXPECT_NE(g_ScoreItemList.At(1)->m_nState, CObject::STATE_DEAD);
        EXPECT_EQ(CountSound(108), 1);
        EXPECT_EQ(g_ForegroundList.Count(), 1);   // the floating 10000
        StepList(g_ScoreItemList);
        m_pCraft->Update();
        EXPECT_EQ(m_pCraft->m_nScore, 20000);
        EmptyWorldLists();
    }
}

TEST_F(CraftTest, RearPointIsHalfAUnitBehindTheTurnedCraft)
{
    m_pCraft->SetPos(Vec3{1.0f, 1.0f, 0.0f});
    EXPECT_EQ(m_pCraft->GetRearPoint(), (Vec3{1.0f, 0.5f, 0.0f}));
    m_pCraft->SetRot(Vec3{0.0f, 0.0f, 0.5f});   // nose left, rear to the right
    const Vec3 rear = m_pCraft->GetRearPoint();
    EXPECT_NEAR(rear.x, 1.5f, 1e-5f);
    EXPECT_NEAR(rear.y, 1.0f, 1e-5f);
}

TEST_F(CraftTest, TheCraftStaysInThePlayAreaUnlessScripted)
{
    m_pCraft->SetPos(Vec3{5.0f, -6.0f, 0.0f});
    m_pCraft->Update();
    EXPECT_EQ(m_pCraft->m_vPos, (Vec3{3.6f, -4.5f, 0.0f}));
    m_pCraft->m_bScripted = true;
    m_pCraft->SetPos(Vec3{-5.0f, 6.0f, 0.0f});
    m_pCraft->Update();
    EXPECT_EQ(m_pCraft->m_vPos, (Vec3{-5.0f, 6.0f, 0.0f}));
}
