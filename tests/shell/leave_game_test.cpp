// Leaving a game for the menu (Escape), as the shell does it.
#include "tests/player/slow_motion_fixture.h"

#include "app/Scene.h"
#include "stage/CustomStageControler.h"

// Escape in slow motion: the menus neither loop the ambience nor run at half
// rate.
TEST_F(SlowMotionTest, LeavingTheGameForTheMenuEndsSlowMotionAtOnce)
{
    g_StageControler.m_nStage = CStageControler::STAGE_CHAPTER1;
    m_pCraft->m_nGauge = 9000;
    ASSERT_TRUE(m_pCraft->StartSlowMotion());
    for (int i = 0; i < 160; ++i) {
        m_pDevice->Update();
        m_SlowMotion.Hold();
        StepListKeep(g_SoundList);
    }
    ASSERT_TRUE(m_pAmbience->IsPlaying());
    SceneEscapeToMenu(CStageControler::STAGE_MAIN_MENU);
    EXPECT_FALSE(m_pAmbience->IsPlaying());
    EXPECT_FALSE(m_pDevice->IsSlowMotion());
    EXPECT_FALSE(m_SlowMotion.IsRunning());
}
