// The asset set and the program's set-up hand their pieces to the objects that
// use them: the flare's glow, the floating score digits, the cut-in's sound,
// the fading slow-motion sound, the sky box and the noise. Checked on the real
// asset set in play, by the picture and by the sounds.
#include "game_fixture.h"

#include "core/DeviceLink.h"
#include "gfx/Noise.h"
#include "gfx/Skybox.h"
#include "player/MyKorvo.h"
#include "stage/Camera.h"
#include "stage/Cutin.h"
#include "stage/DigitalNumber.h"
#include "stage/Fader.h"
#include "stage/Flare.h"

namespace {

using GameWiring = CInProcessGame;

// Chapter 1 with an empty world and no fade: only the HUD and the clear colour.
// The intro's first frame has run (it points the camera at the craft flying
// in); the camera is back at rest and the craft hidden.
void EmptyPlayField()
{
    SetSceneStage(CStageControler::STAGE_CHAPTER1);
    SceneFrame();
    ClearWorld();
    g_Camera.Reset();
    if (g_pPlayer) g_pPlayer->m_bVisible = false;
    g_pFader->Off();
}

TEST_F(GameWiring, FlaresAndScoreDigitsShowInPlay)
{
    EmptyPlayField();
    Step();
    const std::vector<uint32_t> before = Picture();

    // A flare at the centre of the play field, score digits above it.
    CFlare::Spawn(Vec3{0.0f, 0.0f, 0.0f});
    const Vec3 digitsAt{0.0f, 3.0f, 0.0f};
    CDigitalNumber::Spawn(digitsAt, Vec3{}, 8);
    Step();
    const std::vector<uint32_t> after = Picture();

    EXPECT_GT(Brightness(At(after, 320, 240)), Brightness(At(before, 320, 240)) + 96)
        << std::hex << At(before, 320, 240) << " -> " << At(after, 320, 240);

    g_pDevice->SetPlayFieldViewport();
    float sx = 0.0f, sy = 0.0f;
    ASSERT_TRUE(CDigitalNumber::Project(digitsAt, g_pDevice->GetTransform(ETransform::View),
                                        g_pDevice->GetTransform(ETransform::Projection), g_pDevice->GetViewport(),
                                        sx, sy));
    // The digit's picture lands right and below of its point; some of its
    // pixels light up where the glow of the flare does not reach.
    int lit = 0;
    for (int y = static_cast<int>(sy) - 12; y < static_cast<int>(sy) + 24; ++y)
        for (int x = static_cast<int>(sx) - 12; x < static_cast<int>(sx) + 24; ++x)
            if (Brightness(At(after, x, y)) > Brightness(At(before, x, y)) + 96) ++lit;
    EXPECT_GT(lit, 10) << "digits at " << sx << ", " << sy;
}

TEST_F(GameWiring, CutinsPlayTheirSound)
{
    CSound* cue = FindSE(kCutinSE);
    ASSERT_NE(cue, nullptr);
    EXPECT_FALSE(cue->IsPlaying());
    CCutin::Spawn(nullptr, nullptr, 0);
    EXPECT_TRUE(cue->IsPlaying());
}

// "#400" fades on the sound list: 10 hundredths of a decibel a frame, stopped
// once below -4999, that is on the 500th pass.
TEST_F(GameWiring, TheSlowMotionSoundFadesOnTheSoundList)
{
    CSound* slow = FindSE(kSlowMotionSE);
    ASSERT_NE(slow, nullptr);
    ASSERT_EQ(g_SoundList.Count(), 1);
    EXPECT_EQ(g_SoundList.At(0), slow);
    slow->PlayLoop();
    slow->FadeOut();
    for (int i = 0; i < 499; ++i) StepWorldLists();
    EXPECT_TRUE(slow->IsPlaying());
    StepWorldLists();
    EXPECT_FALSE(slow->IsPlaying());

    // Released with the set, it leaves the list too.
    ReleaseGameAssets();
    EXPECT_EQ(g_SoundList.Count(), 0);
    EXPECT_EQ(CCutin::s_pSound, nullptr);
    EXPECT_EQ(CFlare::s_pTexture, nullptr);
    EXPECT_EQ(CDigitalNumber::s_pDigits[3], nullptr);
    LoadGameAssets();
}

TEST_F(GameWiring, SkyBoxAndNoiseBelongToTheProgram)
{
    ASSERT_NE(g_pSkybox, nullptr);
    // The device steps the noise every frame; it stays dead until started.
    const int age = g_Noise.m_nAge;
    Step();
    EXPECT_EQ(g_Noise.m_nAge, age + 1);
    EXPECT_EQ(g_Noise.m_nState, CObject::STATE_DEAD);
}

}  // namespace
