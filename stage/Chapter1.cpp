// Chapter 1: the fly-in over the intro model, the waves, the approach with its
// glide past the camera, the first boss and the result screen.
#include "stage/ChapterScript.h"

#include "assets/AssetSet.h"
#include "enemy/Boss0.h"
#include "enemy/EnemyWaves.h"
#include "player/LightParticle.h"
#include "player/MyKorvo.h"
#include "stage/Camera.h"
#include "stage/CustomStageControler.h"

namespace {

// --- phase 0: intro -----------------------------------------------------------------

void IntroFlyIn()
{
    CMyKorvo& craft = Craft();
    craft.m_bVisible = true;
    LockCraft();
    craft.SetRot(Vec3{0.2f, 0.0f, 0.0f});
    g_Camera.SetTarget(&craft);
    g_Camera.SetPos(Vec3{2.0f, 0.0f, -2.0f});
    g_Camera.SetAux(Vec3{0.0f, 0.0f, -1.0f});
    craft.SetPos(Vec3{0.0f, -40.0f, 0.0f});
    craft.MoveTo(Vec3{0.0f, 40.0f, 0.0f}, 240);
    CObject& model = IntroModel();
    model.Activate();
    model.SetRot(Vec3{0.2f, 0.0f, 0.0f});
    model.SetPos(Vec3{0.0f, -40.0f, -1.0f});
    model.MoveTo(Vec3{0.0f, 40.0f, -1.0f}, 300);
}

void IntroSettle()
{
    Craft().RotateTo(g_vZero, 240);
    Craft().MoveTo(g_vZero, 240);
    CameraEyeTo(Vec3{0.0f, 0.0f, -10.0f}, 240);
    CameraUpTo(g_vUp, 240);
    IntroModel().RotateTo(g_vZero, 240);
    IntroModel().MoveTo(Vec3{5.0f, -3.0f, -2.0f}, 240);
}

void EndIntro()
{
    g_Camera.SetTarget(nullptr);
    UnlockCraft();
    NextPhase(CStageControler::PHASE_WAVES);
    IntroModel().Kill();
}

constexpr SCue kIntro[] = {
    {0, IntroFlyIn},
    {120, [] { PlaySound(112); }},
    {150, [] { PlaySound(112); }},
    {240, IntroSettle},
    {480, EndIntro},
};
constexpr STalkCue kIntroTalk[] = {
    // frame atlas portrait side row
    {180, 0, 0, 0, 0, kTalkFrames, kTalkAltSE},
    {360, 0, 1, 1, 1},
};

// --- phase 1: waves -----------------------------------------------------------------

constexpr SCue kWaves[] = {
    {0, [] {
         ShowSprite(222, 148.0f, 458.0f, 120, 240, 120);   // the chapter's title banner
         WorldAnchor().RotateTo(Vec3{-0.25f, 0.1f, 0.0f}, 240);
     }},
    {2280, [] { NextPhase(CStageControler::PHASE_APPROACH); }},
};
constexpr STalkCue kWavesTalk[] = {
    {60, 0, kNoPortrait, -1, 2},
    {240, 0, kNoPortrait, -1, 3},
    {420, 0, 0, 0, 4},
    {600, 0, 1, 1, 5},
    {780, 0, 1, 1, 6},
    {960, 0, 1, 1, 7},
    {1140, 0, 0, 0, 8},
    {1320, 0, 0, 0, 9},
    {1500, 0, 1, 1, 10},
    {1680, 0, kNoPortrait, -1, 11, kTalkFrames, kTalkAltSE},
    {1860, 0, kNoPortrait, -1, 12},
    {2040, 0, 1, 1, 13},
    {2220, 0, 0, 0, 14},
};

// --- phase 2: approach --------------------------------------------------------------

void ApproachStop()
{
    CameraUpTo(g_vUp, 180);
    CameraEyeTo(Vec3{0.0f, 0.0f, -10.0f}, 180);
    g_Camera.SetTarget(nullptr);
    WorldAnchor().RotateTo(g_vZero, 180);
    LockCraft();
    Craft().MoveTo(Vec3{0.75f, -1.0f, -6.5f}, 186);
    Craft().RotateTo(Vec3{0.8f, 0.0f, 0.0f}, 186);
    PlaySEAt(158, g_StageControler.m_vPos);   // the controller stands at the centre
    ShowSprite(430, 150.0f, 200.0f, Vec3{0.0f, 0.1f, 0.0f}, 120, 180, 120);
    ApproachPanel(200);
    WorldAnchor().AccelTo(Vec3{0.0f, -0.01f, 0.0f}, 180);
}

void ApproachLaunch()
{
    WorldAnchor().AccelTo(Vec3{0.0f, -0.3f, 0.0f}, 180);
    Craft().RotateTo(g_vZero, 180);
    if (g_pLightParticles) g_pLightParticles->Burst(Craft().m_vPos, 1.5f, 32, 240);
    Craft().MoveTo(Vec3{-2.0f, 5.0f, 10.0f}, Vec3{-20.0f, -60.0f, 100.0f}, Vec3{0.0f, 40.0f, 0.0f}, 180);
}

void ApproachReturn()
{
    Craft().RotateTo(Vec3{0.0f, -2.0f, 0.0f}, 240);
    Craft().MoveTo(g_vZero, Vec3{0.0f, 40.0f, 0.0f}, g_vZero, 240);
}

constexpr SCue kApproach[] = {
    {0, ApproachStop},
    {186, BackfireBehindCraft},
    {288, ApproachLaunch},
    {468, ApproachReturn},
    {708, [] { Craft().SetRot(g_vZero); }},
    {709, [] {
         UnlockCraft();
         NextPhase(CStageControler::PHASE_BOSS);
     }},
};

// --- phase 3: boss ------------------------------------------------------------------

void BossArrives()
{
    ShowSprite(131, 440.0f, 300.0f, 120, 240, 120);   // the boss banner
    CBoss0::Spawn();
    CameraEyeTo(Vec3{1.0f, 10.0f, 2.0f}, 240);
    CameraUpTo(Vec3{0.0f, 0.0f, -1.0f}, 240);
}

// The escorts' ring: zab i from the point 3.5 above the centre turned by
// 0.5 - 0.25 i half-turns.
void RingZab(int i)
{
    Vec3 p{0.0f, 3.5f, 0.0f};
    RotateZ(p, 0.5f - 0.25f * static_cast<float>(i));
    SpawnZab(p);
}

constexpr SCue kBoss[] = {
    {0, BossArrives},
    {360, [] {
         CameraEyeTo(Vec3{0.0f, 0.0f, -10.0f}, 240);
         CameraUpTo(g_vUp, 240);
     }},
    {600, [] {
         SpawnRaptor(Vec3{-1.0f, 6.0f, 0.0f}, Vec3{-1.0f, 3.5f, 0.0f});
         SpawnRaptor(Vec3{1.0f, 6.0f, 0.0f}, Vec3{1.0f, 3.5f, 0.0f});
     }},
    {720, [] { SpawnZabFormation(1, Vec3{2.0f, 6.0f, 0.0f}, 8); }},
    {780, [] { SpawnZabFormation(0, Vec3{-2.0f, 6.0f, 0.0f}, 8); }},
    {1020, [] { RingZab(0); }},
    {1035, [] { RingZab(1); }},
    {1050, [] { RingZab(2); }},
    {1065, [] { RingZab(3); }},
    {1080, [] { RingZab(4); }},
    {1095, [] { RingZab(5); }},
    {1110, [] { RingZab(6); }},
    {1125, [] { RingZab(7); }},
    {1140, [] { SpawnZabFormation(1, Vec3{2.0f, 6.0f, 0.0f}, 8); }},
    {1200, [] { SpawnZabFormation(0, Vec3{-2.0f, 6.0f, 0.0f}, 8); }},
    {3600, [] { WorldAnchor().RotateTo(Vec3{0.0f, 0.0f, 0.5f}, 3600); }},
    {7200, [] { WorldAnchor().RotateTo(Vec3{0.2f, 0.0f, -0.1f}, 3600); }},
};
constexpr STalkCue kBossTalk[] = {
    {0, 1, 2, 1, 0},
    {180, 1, 2, 1, 1},
    {360, 1, 1, 0, 2},
    {540, 1, 1, 0, 3, 120},
    {660, 1, 1, 0, 4, 120},
    {780, 1, 2, 1, 5},
    {960, 1, 2, 1, 6},
    {1140, 1, 1, 1, 7},
    {1320, 1, 0, 0, 8},
};

// --- phases 4 and 5: result ---------------------------------------------------------

constexpr STalkCue kDestroyedTalk[] = {
    {120, 2, 0, 0, 0, 120},
    {240, 2, 1, 1, 1, 120},
    {360, 2, kNoPortrait, -1, 2, kTalkFrames, kTalkAltSE},
    {540, 2, kNoPortrait, -1, 3},
    {720, 2, 0, 0, 4, 120},
    {840, 2, 1, 1, 5, 120},
};
constexpr STalkCue kWithdrewTalk[] = {
    {120, 3, 0, 0, 0, 240},
    {360, 3, kNoPortrait, -1, 2, kTalkFrames, kTalkAltSE},
    {540, 3, kNoPortrait, -1, 3},
    {720, 3, 0, 0, 4, 120},
    {840, 3, 1, 1, 5, 120},
};

}  // namespace

const SChapterScript kChapter1Script = {
    CStageControler::STAGE_CHAPTER1,
    kIntro, kWaves, kApproach, kBoss,
    kIntroTalk, kWavesTalk, kBossTalk, kDestroyedTalk, kWithdrewTalk,
    -1,
    &kResultScreen1,
};
