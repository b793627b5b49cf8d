#include "app/Practice.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/ReplayCheck.h"
#include "app/Scene.h"
#include "assets/AssetSet.h"
#include "gfx/GraphicsDevice.h"
#include "persist/GlobalResult.h"
#include "persist/PracticeHistory.h"
#include "persist/Replay.h"
#include "player/MyKorvo.h"
#include "stage/CustomStageControler.h"

MenuCursor g_PracticeCursor{0, 0};

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kGrey = 0xFF777777u;
constexpr uint32_t kLabel = 0xFFB0C8E0u;
constexpr uint32_t kChosen = 0xFFFFE060u;

// The list: one row per barrage, its title strip (282 x 42) at the left, its
// best practice bonus at the right.
constexpr float kStripX = 96.0f;
constexpr float kFirstRowY = 46.0f;
constexpr float kRowStep = 45.0f;
constexpr int kStripW = 282, kStripH = 42;
constexpr int kBestLabelX = 400;
constexpr float kBestRight = 560.0f;

// The result panel over the play field, under the boss's gauge.
constexpr int kPanelX = 156, kPanelY = 150, kPanelW = 328, kPanelH = 186;
constexpr int kPanelSteps = 90;   // after the barrage's end: its break and bonus show first

// The attempt running (the barrage is g_nPracticeBarrage while one runs).
struct SAttempt {
    bool bEnded = false;
    bool bCaptured = false;
    int32_t nBonus = 0;
    int nStepsSinceEnd = 0;
};
SAttempt g_Attempt;
MenuCursor g_PanelCursor{0, 2};   // retry, back to the list

const std::vector<int32_t>& Barrages()
{
    static const std::vector<int32_t> barrages = PracticeBarrages();
    return barrages;
}

int ChosenBarrage()
{
    const std::vector<int32_t>& b = Barrages();
    const int i = g_PracticeCursor.m_nIndex;
    return i >= 0 && i < static_cast<int>(b.size()) ? b[static_cast<size_t>(i)] : -1;
}

// The cursor moves over the barrages met only; with none met it stays.
void MoveToMet(void (MenuCursor::*move)())
{
    g_PracticeCursor.m_nCount = static_cast<int32_t>(Barrages().size());
    for (int i = 0; i < g_PracticeCursor.m_nCount; ++i) {
        (g_PracticeCursor.*move)();
        if (IsPracticeChoosable(ChosenBarrage())) return;
    }
}

float RowY(int row) { return kFirstRowY + kRowStep * static_cast<float>(row); }

void EndAttempt(bool captured, int32_t bonus)
{
    g_Attempt.bEnded = true;
    g_Attempt.bCaptured = captured;
    g_Attempt.nBonus = bonus;
    g_Attempt.nStepsSinceEnd = 0;
    const int barrage = g_nPracticeBarrage;
    if (captured && PracticeKeepsHistory()) {
        g_PracticeHistory.RecordCapture(barrage, bonus);
        SavePracticeHistory();
    }
    ScenePracticeEnded(barrage, captured, bonus);
}

std::string HistoryText(const SPracticeRecord& r)
{
    char text[96];
    std::snprintf(text, sizeof text, "Tries %d   Captures %d   Best %d", r.m_nTries, r.m_nCaptures, r.m_nBestBonus);
    return text;
}

}  // namespace

bool IsPracticeChoosable(int barrage) { return barrage >= 0 && g_BarrageTable.Get(barrage).m_nTotalCount > 0; }

bool InPractice()
{
    return g_StageControler.m_nStage == CStageControler::STAGE_PRACTICE || g_nPracticeBarrage >= 0;
}

bool PracticeKeepsHistory() { return !g_bAutopilot && !g_bInvulnerable; }

// --- the list -------------------------------------------------------------------------

void DrawPracticeList()
{
    g_pDevice->SetFullScreenViewport();
    g_pDevice->ClearScreen();
    g_pDevice->DrawText(80, 14, "BARRAGE PRACTICE  弾幕練習", kWhite);
    g_pDevice->DrawText(330, 14, "CAPTURE: captured / tried in practice", kLabel);
    const std::vector<int32_t>& barrages = Barrages();
    bool anyMet = false;
    // The plates of the barrages never met and the chosen row's frame first,
    // then the strips and figures, then the words.
    for (size_t k = 0; k < barrages.size(); ++k) {
        const int y = static_cast<int>(RowY(static_cast<int>(k)));
        if (!IsPracticeChoosable(barrages[k]))
            g_pDevice->FillRect(static_cast<int>(kStripX), y, kStripW, kStripH, 0.6f, 0.12f, 0.12f, 0.16f);
        else
            anyMet = true;
        if (static_cast<int>(k) == g_PracticeCursor.m_nIndex && IsPracticeChoosable(barrages[k])) {
            g_pDevice->FillRect(static_cast<int>(kStripX) - 8, y - 2, 488, kStripH + 4, 0.35f, 0.3f, 0.5f, 1.0f);
            g_pDevice->DrawRectFrame(kStripX - 8.0f, static_cast<float>(y - 2), 488.0f, kStripH + 4.0f, 1.0f, 1.0f,
                                     0.88f, 0.38f);
        }
    }
    BeginSprites();
    for (size_t k = 0; k < barrages.size(); ++k) {
        const int b = barrages[k];
        if (!IsPracticeChoosable(b)) continue;
        const SPracticeRecord& r = g_PracticeHistory.Get(b);
        const float y = RowY(static_cast<int>(k));
        DrawBarrageStrip(b, kStripX, y, r.m_nCaptures, r.m_nTries);
        DrawNumberRight(kBestRight, y + 18.0f, r.m_nBestBonus);
    }
    g_pDevice->Sprite().End();
    for (size_t k = 0; k < barrages.size(); ++k) {
        const int y = static_cast<int>(RowY(static_cast<int>(k)));
        if (IsPracticeChoosable(barrages[k]))
            g_pDevice->DrawText(kBestLabelX, y + 14, "BEST", kLabel);
        else
            g_pDevice->DrawText(static_cast<int>(kStripX) + 24, y + 14, kUnmetBarrage, kGrey);
    }
    if (!anyMet)
        g_pDevice->DrawText(80, 436, "No barrage met yet: a boss's barrages appear here once met in a game.", kGrey);
    g_pDevice->DrawText(80, 456, "Z: start   X / ←: back to the records", kWhite);
}

void InputPracticeList()
{
    // A cursor left on a barrage not (or no longer) met moves to one that is.
    if (!IsPracticeChoosable(ChosenBarrage())) MoveToMet(&MenuCursor::Next);
    if (MenuDown()) MoveToMet(&MenuCursor::Next);
    if (MenuUp()) MoveToMet(&MenuCursor::Prev);
    if (ButtonPressed(0, &CInputRecord::m_bAttack0)) {
        const int barrage = ChosenBarrage();
        if (!IsPracticeChoosable(barrage) || !StartPracticeAttempt(barrage)) PlaySE(kRefusalSE);
    } else if (ButtonPressed(0, &CInputRecord::m_bReload) || MenuLeft()) {
        g_StageControler.SetStage(CStageControler::STAGE_RECORDS);
    }
}

// --- an attempt -----------------------------------------------------------------------

bool StartPracticeAttempt(int barrage)
{
    if (PracticeChapter(barrage) < 0) return false;
    g_bReplayPlaying = false;
    g_nChapterSelection = PracticeChapter(barrage);
    // No replay and no digests: nothing of an attempt is kept but its history.
    g_Replay.Clear();
    g_DigestLog.Stop();
    g_StageControler.StartPractice(barrage);
    g_Attempt = SAttempt{};
    g_PanelCursor.m_nIndex = 0;
    g_bFreeCamera = false;
    g_dwGameStartTime = SceneClockMs();
    if (PracticeKeepsHistory()) {
        g_PracticeHistory.RecordTry(barrage);
        SavePracticeHistory();
    }
    return true;
}

void PracticeBarrageEnded(int barrage, bool captured, int32_t bonus)
{
    if (g_nPracticeBarrage < 0 || barrage != g_nPracticeBarrage || g_Attempt.bEnded) return;
    EndAttempt(captured, bonus);
}

void PracticeStepped()
{
    if (g_nPracticeBarrage < 0) return;
    if (!g_Attempt.bEnded) {
        // The craft's last miss: it vanishes, and the barrage cannot be won.
        if (g_pPlayer && g_pPlayer->m_nState == CObject::STATE_VANISH) EndAttempt(false, 0);
        return;
    }
    if (g_Attempt.nStepsSinceEnd >= kPanelSteps) return;
    if (++g_Attempt.nStepsSinceEnd == kPanelSteps && g_pPlayer) {
        // The panel takes the input: the craft stands by, out of harm's way.
        g_pPlayer->SetScripted(true);
    }
}

// --- the result panel -----------------------------------------------------------------

bool IsPracticePanelShown()
{
    return g_nPracticeBarrage >= 0 && g_Attempt.bEnded && g_Attempt.nStepsSinceEnd >= kPanelSteps;
}

void InputPracticePanel()
{
    MoveCursor(g_PanelCursor);
    if (ButtonPressed(0, &CInputRecord::m_bAttack0)) {
        if (g_PanelCursor.m_nIndex == 0) StartPracticeAttempt(g_nPracticeBarrage);
        else SceneEscapeToMenu(CStageControler::STAGE_PRACTICE);
    } else if (ButtonPressed(0, &CInputRecord::m_bReload)) {
        SceneEscapeToMenu(CStageControler::STAGE_PRACTICE);
    }
}

void DrawPracticePanel()
{
    const int barrage = g_nPracticeBarrage;
    const SPracticeRecord& r = g_PracticeHistory.Get(barrage);
    CGraphicsDevice& d = *g_pDevice;
    d.SetFullScreenViewport();
    // Nearly opaque: the bonus picture of the barrage's end is still up behind it.
    d.FillRect(kPanelX, kPanelY, kPanelW, kPanelH, 0.96f, 0.0f, 0.0f, 0.05f);
    d.DrawRectFrame(static_cast<float>(kPanelX), static_cast<float>(kPanelY), static_cast<float>(kPanelW),
                    static_cast<float>(kPanelH), 1.0f, 1.0f, 1.0f, 1.0f);
    const int x = kPanelX + 23;   // the strip centred
    const int itemY = kPanelY + 116;
    d.FillRect(x - 4, itemY + 20 * g_PanelCursor.m_nIndex - 1, kPanelW - 38, 18, 0.5f, 0.3f, 0.5f, 1.0f);
    BeginSprites();
    DrawBarrageStrip(barrage, static_cast<float>(x), static_cast<float>(kPanelY + 10), r.m_nCaptures, r.m_nTries);
    d.Sprite().End();
    char result[64];
    if (g_Attempt.bCaptured) std::snprintf(result, sizeof result, "CAPTURED   Bonus %d", g_Attempt.nBonus);
    else std::snprintf(result, sizeof result, "FAILED");
    d.DrawText(x, kPanelY + 60, result, g_Attempt.bCaptured ? kChosen : kWhite);
    d.DrawText(x, kPanelY + 84, HistoryText(r).c_str(), kLabel);
    static const char* const kItems[2] = {"Retry", "Back to the list"};
    for (int i = 0; i < 2; ++i)
        d.DrawText(x, itemY + 20 * i, kItems[i], i == g_PanelCursor.m_nIndex ? kChosen : kWhite);
    d.DrawText(x, kPanelY + kPanelH - 22, "Z: choose   X / Esc: back to the list", kLabel);
}
