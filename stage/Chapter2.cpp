// Chapter 2: the intro out of the white, the waves, the approach from below,
// the second boss with its escorts and the result screen.
#include "stage/ChapterScript.h"

#include "enemy/Boss1.h"
#include "player/MyKorvo.h"
#include "stage/Camera.h"
#include "stage/CustomStageControler.h"
#include "stage/Fader.h"

namespace {

// The escorts of the second boss start this many frames into the fight.
constexpr int kEscortDelay = 600;

// --- phase 0: intro -----------------------------------------------------------------

void IntroHidden()
{
    LockCraft();
    Craft().m_bVisible = false;
    Craft().SetPos(g_vZero);
    Craft().SetRot(g_vZero);
    g_Camera.SetAux(Vec3{0.0f, 0.0f, -1.0f});
    g_Camera.SetPos(Vec3{5.0f, -5.0f, 2.5f});
    CObject& model = IntroModel();
    model.Activate();
    model.SetPos(Vec3{-5.0f, -2.5f, 15.0f});
    model.RotateTo(Vec3{0.0f, 0.0f, -0.25f}, 120);
}

void IntroReveal()
{
    if (g_pFader) g_pFader->FlashWhite();
    PlaySound(180);
    Craft().m_bVisible = true;
}

constexpr SCue kIntro[] = {
    {0, IntroHidden},
    {120, [] {
         IntroModel().MoveTo(Vec3{2.5f, 2.0f, 10.0f}, 600);
         IntroModel().RotateTo(Vec3{0.0f, 0.0f, 0.1f}, 600);
     }},
    {180, IntroReveal},
    {300, [] {
         CameraUpTo(g_vUp, 300);
         CameraEyeTo(Vec3{0.0f, 0.0f, -10.0f}, 300);
     }},
    {600, UnlockCraft},
    {720, [] { IntroModel().MoveTo(Vec3{-2.5f, 20.0f, 10.0f}, 300); }},
    {779, [] { NextPhase(CStageControler::PHASE_WAVES); }},
};
constexpr STalkCue kIntroTalk[] = {
    // frame atlas portrait side row
    {240, 0, 0, 0, 0},
    {420, 0, 1, 1, 1},
    {600, 0, kNoPortrait, -1, 2},
};

// --- phase 1: waves -----------------------------------------------------------------

constexpr SCue kWaves[] = {
    {0, [] {
         ShowSprite(223, 148.0f, 458.0f, 120, 240, 120);   // the chapter's title banner
         WorldAnchor().RotateTo(Vec3{-0.15f, 0.4f, 0.0f}, 2040);
     }},
    {240, [] { IntroModel().Kill(); }},
    {2220, [] { NextPhase(CStageControler::PHASE_APPROACH); }},
};
constexpr STalkCue kWavesTalk[] = {
    {0, 0, 1, 1, 3},
    {180, 0, 1, 1, 4},
    {360, 0, 1, 1, 5},
    {540, 0, 0, 0, 6},
    {720, 0, 0, 0, 7},
    {900, 0, 1, 1, 8},
    {1080, 0, 1, 1, 9},
    {1260, 0, 1, 1, 10},
    {1440, 0, 1, 1, 11},
    {1620, 0, kNoPortrait, -1, 12, kTalkFrames, kTalkAltSE},
    {1800, 0, 1, 1, 13},
    {1980, 0, 0, 0, 14},
    {2160, 0, 1, 1, 15},
};

// --- phase 2: approach --------------------------------------------------------------

void ApproachDive()
{
    LockCraft();
    Craft().MoveTo(Vec3{0.0f, -5.0f, 0.0f}, 186);
    Craft().RotateTo(Vec3{0.3f, 0.0f, 0.0f}, 186);
    CameraEyeTo(Vec3{-1.0f, -8.0f, -1.0f}, 186);
    CameraUpTo(Vec3{0.0f, 0.0f, -1.0f}, 186);
    WorldAnchor().RotateTo(g_vZero, 186);
    ShowSprite(431, 150.0f, 200.0f, 120, 180, 120);
    ApproachPanel(140);
    PlaySound(158);
}

void ApproachSettle()
{
    WorldAnchor().AccelTo(Vec3{0.0f, -0.15f, 0.0f}, 240);
    WorldAnchor().RotateTo(g_vZero, 240);
    Craft().RotateTo(g_vZero, 240);
    Craft().MoveTo(g_vZero, 240);
    CameraEyeTo(Vec3{0.0f, 0.0f, -10.0f}, 240);
    CameraUpTo(g_vUp, 240);
}

constexpr SCue kApproach[] = {
    {0, ApproachDive},
    {186, BackfireBehindCraft},
    {288, [] { Craft().MoveTo(Vec3{0.0f, 40.0f, 0.0f}, 60); }},
    {408, ApproachSettle},
    {648, [] {
         UnlockCraft();
         NextPhase(CStageControler::PHASE_BOSS);
     }},
};

// --- phase 3: boss ------------------------------------------------------------------

void BossArrives()
{
    ShowSprite(402, 390.0f, 300.0f, 120, 240, 120);   // the boss banner
    CBoss1::Spawn();
    CameraEyeTo(Vec3{10.0f, 1.0f, -2.0f}, 240);
    CameraUpTo(Vec3{0.0f, 0.0f, -1.0f}, 240);
}

constexpr SCue kBoss[] = {
    {0, BossArrives},
    {360, [] {
         CameraEyeTo(Vec3{0.0f, 0.0f, -10.0f}, 240);
         CameraUpTo(g_vUp, 240);
     }},
    {3600, [] { WorldAnchor().RotateTo(Vec3{0.0f, 0.0f, 0.5f}, 3600); }},
    {7200, [] { WorldAnchor().RotateTo(Vec3{0.2f, 0.0f, -0.1f}, 3600); }},
};
constexpr STalkCue kBossTalk[] = {
    {0, 1, 2, 1, 0},
    {180, 1, 2, 1, 1},
    {360, 1, 1, 0, 2},
    {540, 1, 2, 1, 3, 120},
    {660, 1, 0, 0, 4, 120},
    {780, 1, 2, 1, 5},
    {960, 1, 2, 1, 6},
    {1140, 1, 2, 1, 7},
    {1320, 1, 0, 0, 8, 120},
    {1440, 1, 1, 0, 9},
    {1620, 1, 2, 0, 10},
    {1800, 1, 0, 0, 11},
    {1980, 1, 2, 1, 12},
    {2160, 1, 2, 1, 13},
    {2340, 1, 1, 0, 14},
    {2520, 1, 1, 0, 15},
    {2700, 1, 1, 0, 16},
    {2880, 1, 2, 1, 17},
    {3060, 1, 1, 0, 18},
    {3240, 1, 0, 0, 19},
    {3420, 1, 2, 1, 20},
    {3600, 1, 2, 1, 21},
    {3780, 1, 2, 1, 22},
    {3960, 1, 0, 0, 23, 120},
    {4080, 1, 1, 0, 24},
    {4260, 1, 2, 1, 25},
};

// --- phases 4 and 5: result ---------------------------------------------------------

constexpr STalkCue kDestroyedTalk[] = {
    {120, 2, 0, 0, 0, 120},
    {240, 2, 1, 1, 1, 120},
    {360, 2, 1, 1, 2},
    {540, 2, 0, 0, 3, 120},
    {660, 2, kNoPortrait, -1, 4, kTalkFrames, kTalkAltSE},
    {840, 2, kNoPortrait, -1, 5},
    {1020, 2, 0, 0, 6, 120},
    {1140, 2, 1, 1, 7, 120},
};
constexpr STalkCue kWithdrewTalk[] = {
    {120, 3, 0, 0, 0, 240},
    {360, 3, 1, 1, 2},
    {540, 3, 0, 0, 3, 120},
    {660, 3, kNoPortrait, -1, 4, kTalkFrames, kTalkAltSE},
    {840, 3, kNoPortrait, -1, 5},
    {1020, 3, 0, 0, 6, 120},
    {1140, 3, 1, 1, 7, 120},
};

}  // namespace

const SChapterScript kChapter2Script = {
    CStageControler::STAGE_CHAPTER2,
    kIntro, kWaves, kApproach, kBoss,
    kIntroTalk, kWavesTalk, kBossTalk, kDestroyedTalk, kWithdrewTalk,
    kEscortDelay,
    &kResultScreen2,
};
