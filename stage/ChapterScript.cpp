#include "stage/ChapterScript.h"

#include <cstdio>

#include "enemy/EnemyWaves.h"
#include "player/Backfire.h"
#include "player/MyKorvo.h"
#include "stage/Camera.h"
#include "stage/CinemaScope.h"
#include "stage/CustomStageControler.h"
#include "stage/Fader.h"

// --- shared moves -----------------------------------------------------------------

CMyKorvo& Craft() { return *g_pPlayer; }
void NextPhase(int phase) { g_StageControler.SetPhase(phase); }

void LockCraft()
{
    if (g_pPlayer) g_pPlayer->SetScripted(true);
}

void UnlockCraft()
{
    if (g_pPlayer) g_pPlayer->SetScripted(false);
}

void CameraEyeTo(const Vec3& eye, int frames) { g_Camera.MoveTo(eye, frames); }
void CameraUpTo(const Vec3& up, int frames) { g_Camera.AuxTo(up, frames); }

void BackfireBehindCraft()
{
    if (g_pPlayer) CBackfire::Spawn(g_pPlayer->GetRearPoint());
}

void ApproachPanel(int width) { CCinemaScope::Spawn(width, 120, 120, 120); }

// --- the result screen --------------------------------------------------------------

const SResultScreen kResultScreen1 = {
    0, Vec3{2.0f, 1.5f, -1.0f}, Vec3{-2.5f, -5.0f, 0.0f}, Vec3{-2.5f, 1.5f, 0.0f}, {1700000, 1500000, 1300000},
    600, 1080,
};
const SResultScreen kResultScreen2 = {
    1, Vec3{-2.0f, -2.5f, 2.0f}, Vec3{2.5f, -5.0f, 0.0f}, Vec3{2.5f, 3.5f, 0.0f}, {2000000, 1700000, 1400000},
    780, 1260,
};

int RankPicture(const SResultScreen& screen, int32_t chapterScore)
{
    for (int i = 0; i < 3; ++i)
        if (chapterScore >= screen.nRankAt[i]) return 190 + i;
    return 193;
}

float ResultNumberX(int32_t value)
{
    char text[16];
    const int digits = std::snprintf(text, sizeof text, "%d", value);
    // Ends by the right panel (the 140-pixel margin) with 4 pixels to spare.
    return static_cast<float>(640 - 5 * digits - 140 - 4);
}

namespace {

constexpr int kResultPanel = 132;
constexpr float kPanelX = 372.0f;
constexpr float kPanelY = 160.0f;
constexpr int kLongFade = 7680;   // outlasts the screen: the fade-out covers it

void PanelPart(int bottom, int frames)
{
    ShowCroppedSprite(kResultPanel, kPanelX, kPanelY, 0, 0, 128, bottom, frames);
    PlaySound(152);
}

void ResultFigure(int32_t value, float y)
{
    ShowNumber(value, ResultNumberX(value), y, kLongFade);
    PlaySound(152);
}

void SettleForResult(const SResultScreen& screen)
{
    PanelPart(86, 180);
    LockCraft();
    WorldAnchor().RotateTo(g_vZero, 600);
    if (g_pPlayer) {
        g_pPlayer->RotateTo(g_vZero, 600);
        g_pPlayer->MoveTo(g_vZero, 600);
    }
    CameraEyeTo(screen.vEye, 600);
    CameraUpTo(Vec3{0.0f, 0.0f, -1.0f}, 600);
}

void RaiseIntroModel(const SResultScreen& screen)
{
    PanelPart(126, 180);
    CObject& model = IntroModel();
    model.Activate();
    model.SetPos(screen.vModelFrom);
    model.MoveTo(screen.vModelTo, 840);
}

int32_t ChapterScore() { return g_pPlayer ? g_pPlayer->m_nChapterScore : 0; }
int32_t Score() { return g_pPlayer ? g_pPlayer->m_nScore : 0; }

using SResultCue = TCue<const SResultScreen&>;
constexpr SResultCue kResultRows[] = {
    {120, [](const SResultScreen&) { ShowFadingSprite(341, 148.0f, 240.0f, kLongFade); PlaySound(169); }},
    {180, [](const SResultScreen&) { ShowCroppedSprite(kResultPanel, kPanelX, kPanelY, 0, 0, 128, 40, 180);
                                     PlaySound(149); }},
    {240, SettleForResult},
    {300, [](const SResultScreen&) { ResultFigure(ChapterScore(), 237.0f); }},
    {360, RaiseIntroModel},
    {420, [](const SResultScreen&) { ResultFigure(Score(), 274.0f); }},
    {480, [](const SResultScreen&) { PanelPart(256, kLongFade); }},
    {540, [](const SResultScreen& s) { ShowFadingSprite(RankPicture(s, ChapterScore()), 486.0f, 314.0f, kLongFade);
                                       PlaySound(152); }},
};

}  // namespace

void RunResultScreen(const SResultScreen& screen, int frame)
{
    RunCues(kResultRows, frame, screen);
    if (frame == screen.nFadeFrame) {
        if (g_pFader) g_pFader->FadeToBlack(480);
        FadeOutMusic();
    }
    if (frame == screen.nEndFrame) EndChapter(screen.nChapter);
}

void EndChapter(int chapter)
{
    if (!g_pPlayer) return;
    const bool singleChapter = g_nChapterSelection != -1;
    g_StageControler.RecordResult(chapter, &g_pPlayer->m_nChapterScore, !KeepsRecords(), singleChapter);
    if (chapter == CStageControler::STAGE_CHAPTER1 && !singleChapter)
        g_StageControler.SetStage(CStageControler::STAGE_CHAPTER2);
    else
        g_pPlayer->Kill();
}

void RunChapter(const SChapterScript& script, int phase, int frame)
{
    // The timelines move the craft at every turn; it exists for the whole run.
    if (!g_pPlayer) return;
    switch (phase) {
    case CStageControler::PHASE_INTRO:
        RunCues(script.intro, frame);
        RunTalkCues(script.introTalk, frame);
        break;
    case CStageControler::PHASE_WAVES:
        EnemyWaveScript(script.nStage, phase, frame);
        RunCues(script.waves, frame);
        RunTalkCues(script.wavesTalk, frame);
        break;
    case CStageControler::PHASE_APPROACH: RunCues(script.approach, frame); break;
    case CStageControler::PHASE_BOSS:
        if (script.nBossWavesDelay >= 0) EnemyWaveScript(script.nStage, phase, frame - script.nBossWavesDelay);
        RunCues(script.boss, frame);
        RunTalkCues(script.bossTalk, frame);
        break;
    case CStageControler::PHASE_RESULT_DESTROYED:
    case CStageControler::PHASE_RESULT_WITHDREW:
        RunResultScreen(*script.pResult, frame);
        RunTalkCues(phase == CStageControler::PHASE_RESULT_DESTROYED ? script.destroyedTalk : script.withdrewTalk,
                    frame);
        break;
    default: break;
    }
}
