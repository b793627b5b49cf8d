// Slow motion: the craft's gauge rules and the controller's sounds, music and
// cooldown.
#include "tests/player/slow_motion_fixture.h"

#include "core/WorldHooks.h"

TEST_F(SlowMotionTest, StartingNeedsEighteenHundredAndCostsNineHundred)
{
    struct Case {
        int gauge;
        bool started;
        int after;
    };
    const Case cases[] = {{1799, false, 1799}, {1800, true, 900}, {10800, true, 9900}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gauge);
        m_pCraft->m_nGauge = c.gauge;
        EXPECT_EQ(m_pCraft->StartSlowMotion(), c.started);
        EXPECT_EQ(m_pCraft->m_nGauge, c.after);
        EXPECT_EQ(m_pCraft->IsSlowMotionActive(), c.started);
        EXPECT_EQ(m_pDevice->IsSlowMotion(), c.started);
        m_SlowMotion.Cancel();
        m_pDevice->EndSlowMotion();
    }
}

TEST_F(SlowMotionTest, StartDarkensTheScreenStopsTheMusicAndPlaysTheStartSound)
{
    m_pCraft->m_nGauge = 5000;
    ASSERT_TRUE(m_pCraft->StartSlowMotion());
    EXPECT_EQ(g_pFader->m_nMode, CFader::MODE_FROM);
    EXPECT_EQ(g_pFader->m_fMaxAlpha, 0.5f);
    EXPECT_EQ(g_pFader->m_nTotal, 30);
    EXPECT_EQ(g_pFader->m_fRed + g_pFader->m_fGreen + g_pFader->m_fBlue, 0.0f);
    EXPECT_TRUE(m_pStart->IsPlaying());
    EXPECT_EQ(m_pStart->m_nChainDelay, 75);
    EXPECT_EQ(m_pStart->m_pChainNext, m_pAmbience.get());
    EXPECT_FALSE(m_pMusic->IsPlaying());
}

TEST_F(SlowMotionTest, TheGaugeDrainsTenAnUpdateUntilEmptyThenItStops)
{
    m_pCraft->m_nGauge = 1800;
    ASSERT_TRUE(m_pCraft->StartSlowMotion());   // 900 left: 90 updates
    int frames = 0;
    while (m_pCraft->IsSlowMotionActive() && frames < 1000) {
        Frame();
        ++frames;
        if (m_pCraft->IsSlowMotionActive()) {
            // The device's countdown is held up while it runs.
            ASSERT_GE(m_pDevice->IsSlowMotion(), true);
        }
    }
    // The craft updates on every second frame: 90 updates take 180 frames.
    EXPECT_NEAR(frames, 180, 1);
    EXPECT_EQ(m_pCraft->m_nGauge, 0);
    EXPECT_FALSE(m_pDevice->IsSlowMotion());
    EXPECT_TRUE(m_pEnd->IsPlaying());
    EXPECT_EQ(m_SlowMotion.Cooldown(), CSlowMotion::kCooldown);
}

TEST_F(SlowMotionTest, AfterTheCooldownTheMusicPlaysOnLoopingAndSlowMotionMayStartAgain)
{
    m_pCraft->m_nGauge = 9000;
    m_pCraft->StartSlowMotion();
    m_pCraft->StopSlowMotion();
    EXPECT_FALSE(m_pMusic->IsPlaying());
    // Reload in the cooldown: the cost is paid, nothing starts.
    EXPECT_TRUE(m_pCraft->StartSlowMotion());
    EXPECT_EQ(m_pCraft->m_nGauge, 7200);
    EXPECT_FALSE(m_pCraft->IsSlowMotionActive());
    for (int i = 0; i < 59; ++i) m_SlowMotion.TickCooldown();
    EXPECT_FALSE(m_pMusic->IsPlaying());
    m_SlowMotion.TickCooldown();
    EXPECT_TRUE(m_pMusic->IsPlaying());
    Play(200);   // longer than the music: it loops
    EXPECT_TRUE(m_pMusic->IsPlaying());
    EXPECT_TRUE(m_pCraft->StartSlowMotion());
    EXPECT_TRUE(m_pCraft->IsSlowMotionActive());
}

TEST_F(SlowMotionTest, TheWorldPassTicksTheCooldownThroughItsHook)
{
    struct CHooks : CWorldHooks {
        void TickSlowMotionCooldown() override { g_pSlowMotion->TickCooldown(); }
    } hooks;
    g_pWorldHooks = &hooks;
    m_pCraft->m_nGauge = 9000;
    m_pCraft->StartSlowMotion();
    m_pCraft->StopSlowMotion();
    for (int i = 0; i < 60; ++i) StepWorldLists();
    g_pWorldHooks = nullptr;
    EXPECT_EQ(m_SlowMotion.Cooldown(), 0);
    EXPECT_TRUE(m_pMusic->IsPlaying());
}

// The start sound is shorter than its chain's delay, which counts at half
// rate in slow motion: stopped between the two, the controller must still
// drop the chain, or the ambience would start afterwards and loop on.
TEST_F(SlowMotionTest, StoppingAfterTheStartSoundEndedNeverLetsTheAmbienceStart)
{
    m_pCraft->m_nGauge = 9000;
    ASSERT_TRUE(m_pCraft->StartSlowMotion());
    for (int i = 0; i < 40; ++i) {
        m_pDevice->Update();
        StepListKeep(g_SoundList);
        Play(1);
    }
    ASSERT_FALSE(m_pStart->IsPlaying());   // 0.2 s: over
    ASSERT_GT(m_pStart->m_nChainDelay, 0);  // the ambience still waits
    m_pCraft->StopSlowMotion();
    for (int i = 0; i < 200; ++i) {
        m_pDevice->Update();
        StepListKeep(g_SoundList);
        Play(1);
    }
    EXPECT_FALSE(m_pAmbience->IsPlaying());
}

TEST_F(SlowMotionTest, StoppingSilencesTheAmbienceAndPlaysTheEndSound)
{
    m_pCraft->m_nGauge = 9000;
    m_pCraft->StartSlowMotion();
    for (int i = 0; i < 160; ++i) {
        m_pDevice->Update();
        m_SlowMotion.Hold();
        StepListKeep(g_SoundList);
    }
    ASSERT_TRUE(m_pAmbience->IsPlaying());
    m_pCraft->StopSlowMotion();
    EXPECT_FALSE(m_pAmbience->IsPlaying());
    EXPECT_TRUE(m_pEnd->IsPlaying());
    m_pCraft->StopSlowMotion();   // not running: nothing more
    EXPECT_EQ(m_SlowMotion.Cooldown(), CSlowMotion::kCooldown);
}

TEST_F(SlowMotionTest, ScriptingTheCraftOrTheLastMissStopsIt)
{
    for (bool lastMiss : {false, true}) {
        SCOPED_TRACE(lastMiss ? "last miss" : "scripted");
        m_SlowMotion.Cancel();
        m_pCraft->Reset();
        m_pCraft->m_nGauge = 9000;
        ASSERT_TRUE(m_pCraft->StartSlowMotion());
        if (lastMiss) {
            m_pCraft->m_nStock = 0;
            m_pCraft->Miss();
        } else {
            m_pCraft->SetScripted(true);
        }
        EXPECT_FALSE(m_pCraft->IsSlowMotionActive());
        EXPECT_FALSE(m_pDevice->IsSlowMotion());
        EmptyWorldLists();
        g_SoundList.Add(m_pStart.get());
        g_MusicList.Add(m_pMusic.get());
    }
}

// The last miss stops slow motion and fades the music out; the end of slow
// motion's cooldown must not start the music again at full volume.
TEST_F(SlowMotionTest, TheMusicStaysSilentAfterTheLastMissInSlowMotion)
{
    m_pCraft->m_nGauge = 9000;
    ASSERT_TRUE(m_pCraft->StartSlowMotion());
    ASSERT_FALSE(m_pMusic->IsPlaying());
    m_pCraft->m_nStock = 0;
    m_pCraft->Miss();
    for (int i = 0; i < 120; ++i) {
        m_SlowMotion.TickCooldown();
        StepListKeep(g_MusicList);
    }
    EXPECT_EQ(m_SlowMotion.Cooldown(), 0);
    EXPECT_FALSE(m_pMusic->IsPlaying());
}

// A game left in slow motion (Escape) must not hand it to the next game: a
// replay of that game would start at full speed and play differently.
TEST_F(SlowMotionTest, ANewGameStartsAtFullSpeed)
{
    m_pCraft->m_nGauge = 9000;
    ASSERT_TRUE(m_pCraft->StartSlowMotion());
    m_pCraft->Reset();
    EXPECT_FALSE(m_pCraft->IsSlowMotionActive());
    EXPECT_FALSE(m_pDevice->IsSlowMotion());
    EXPECT_EQ(m_SlowMotion.Cooldown(), 0);
    EXPECT_FALSE(m_pAmbience->IsPlaying());
    EXPECT_EQ(m_pStart->m_pChainNext, nullptr);
    EXPECT_EQ(m_pCraft->m_nGauge, 3600);
    const int age = m_pCraft->m_nAge;
    Frame();
    Frame();
    EXPECT_EQ(m_pCraft->m_nAge, age + 2);
}
