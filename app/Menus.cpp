#include "app/Menus.h"

#include <cstdio>

#include "app/Form.h"
#include "app/Game.h"
#include "app/Practice.h"
#include "app/ReplayCheck.h"
#include "app/Scene.h"
#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Text.h"
#include "core/Util.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "persist/GlobalResult.h"
#include "persist/Replay.h"
#include "stage/CustomStageControler.h"

MenuCursor g_MainMenuCursor{0, 4};
MenuCursor g_ChapterCursor{0, 2};
MenuCursor g_SaveSlotCursor{0, 10};
MenuCursor g_LoadSlotCursor{0, 10};
CFinishedReplay g_FinishedReplay;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kGrey = 0xFF777777u;
// The replay lists' columns: slot and name, then chapter and score.
constexpr int kSlotNameX = 192;
constexpr int kSlotDetailX = 320;
// The save list's warning, in its own colour, under the picture's own lines
// of help left of the menu model.
constexpr int kSaveNoteX = 104;
constexpr int kSaveNoteY = 312;
constexpr uint32_t kSaveNoteColor = 0xFFFF8060u;

std::string g_strSaveListNote;

// The records list's line about practice, under the help of its picture.
constexpr int kPracticeHintX = 104;
constexpr int kPracticeHintY = 312;
constexpr uint32_t kPracticeHintColor = 0xFFFFE060u;

void ToMainMenu() { g_StageControler.SetStage(CStageControler::STAGE_MAIN_MENU); }

// A fresh press of attack0 or reload: back to the main menu.
void LeaveOnPress()
{
    if (ButtonPressed(0, &CInputRecord::m_bAttack0) || ButtonPressed(0, &CInputRecord::m_bReload)) ToMainMenu();
}

void DrawLoadingPicture(CTexture* picture)
{
    g_pDevice->SetFullScreenViewport();
    g_pDevice->ClearScreen();
    BeginSprites();
    DrawTexture(picture, 64.0f, 0.0f);
    g_pDevice->Sprite().End();
}

// Both replay lists: the stage's picture, ten rows of slots, the cursor.
void DrawSlotList(const MenuCursor& cursor)
{
    g_pDevice->SetFullScreenViewport();
    g_pDevice->ClearScreen();
    BeginSprites();
    DrawTexture(StagePicture(), 64.0f, 0.0f);
    DrawRowBars(10);
    g_pDevice->Sprite().End();
    for (int k = 0; k < kReplaySlots; ++k) {
        const CReplayHeader& h = g_Replay.GetSlot(k);
        const int y = 64 + 16 * k;
        // A slot the replay list would refuse looks refused: grey, no fields.
        const bool empty = h.m_szScoreName[0] == '\0';
        const bool playable = g_Replay.IsSlotIntact(k) && h.m_nChapter <= CStageControler::STAGE_CHAPTER2;
        const uint32_t colour = empty || playable ? kWhite : kGrey;
        // The name is kept to its column, clear of the chapter and score.
        g_pDevice->DrawText(kSlotNameX, y, ReplaySlotText(k, h.m_szScoreName).c_str(), colour,
                            kSlotDetailX - kSlotNameX - 4);
        if (!empty)
            g_pDevice->DrawText(kSlotDetailX, y, playable ? ReplaySlotDetail(h.m_nChapter, h.m_nScore).c_str() : kDamagedSlot,
                                colour);
    }
    DrawCursorAt(236.0f, 68.0f + 16.0f * static_cast<float>(cursor.m_nIndex));
}

}  // namespace

// --- loading pictures -------------------------------------------------------

void DrawStartupLoading() { DrawLoadingPicture(g_pLoadingTexture); }
void DrawChapterLoading() { DrawLoadingPicture(g_pChapterLoadingTexture); }

// --- title loop -------------------------------------------------------------

void DrawTitle()
{
    g_pDevice->SetFullScreenViewport();
    StepOverlayList();
}

void InputTitle() { LeaveOnPress(); }

// --- main menu --------------------------------------------------------------

void DrawMainMenu()
{
    g_pDevice->SetFullScreenViewport();
    g_pDevice->ClearScreen();
    BeginSprites();
    DrawTexture(g_pMainMenuTexture, 64.0f, 0.0f);
    g_pDevice->Sprite().End();
    char text[32];
    std::snprintf(text, sizeof text, "#%u", g_nFormatVersion);
    g_pDevice->DrawText(552, 16, text, kWhite);
    // The items run down a diagonal, 30 pixels left and 25 down each.
    static const int kItemX[4] = {542, 512, 482, 452};
    static const int kItemY[4] = {353, 378, 403, 428};
    const int i = g_MainMenuCursor.m_nIndex;
    if (i >= 0 && i < 4) DrawCursorAt(static_cast<float>(kItemX[i]), static_cast<float>(kItemY[i]));
}

void InputMainMenu()
{
    MoveCursor(g_MainMenuCursor);
    if (ButtonPressed(0, &CInputRecord::m_bAttack0)) {
        switch (g_MainMenuCursor.m_nIndex) {
        case 0: StartLiveGame(CStageControler::STAGE_CHAPTER1, -1); break;
        case 1: g_StageControler.SetStage(CStageControler::STAGE_CHAPTER_MENU); break;
        case 2: g_StageControler.SetStage(CStageControler::STAGE_REPLAY_LIST); break;
        case 3: g_StageControler.SetStage(CStageControler::STAGE_RECORDS); break;
        default: break;
        }
    }
    // Whatever happened above, reload ends the program (in the same frame too).
    if (ButtonPressed(0, &CInputRecord::m_bReload) && g_pForm) g_pForm->Destroy();
}

// --- chapter menu -----------------------------------------------------------

void DrawChapterMenu()
{
    BeginSprites();
    DrawTexture(StagePicture(), 64.0f, 0.0f);
    DrawRowBars(2);
    g_pDevice->Sprite().End();
    for (int k = 1; k <= 2; ++k) {
        const int y = 64 + 16 * (k - 1);
        char text[64];
        std::snprintf(text, sizeof text, "Chaptor %d", k);
        g_pDevice->DrawText(192, y, text, g_GlobalResult.IsReached(k - 1) ? kWhite : kGrey);
        std::snprintf(text, sizeof text, "Best Record. %d", g_GlobalResult.GetBestScore(k - 1));
        g_pDevice->DrawText(320, y, text, kWhite);
    }
    DrawCursorAt(236.0f, 68.0f + 16.0f * static_cast<float>(g_ChapterCursor.m_nIndex));
}

void InputChapterMenu()
{
    // The moves skip chapters not yet reached; chapter 0 always counts as
    // reached, so the search ends within one lap.
    const auto reachedStep = [](void (MenuCursor::*move)()) {
        for (int i = 0; i < g_ChapterCursor.m_nCount; ++i) {
            (g_ChapterCursor.*move)();
            if (g_GlobalResult.IsReached(g_ChapterCursor.m_nIndex)) return;
        }
    };
    if (MenuDown()) reachedStep(&MenuCursor::Next);
    if (MenuUp()) reachedStep(&MenuCursor::Prev);
    if (ButtonPressed(0, &CInputRecord::m_bAttack0)) StartLiveGame(g_ChapterCursor.m_nIndex, g_ChapterCursor.m_nIndex);
    else if (ButtonHeld(0, &CInputRecord::m_bReload)) ToMainMenu();
}

// --- records list -----------------------------------------------------------

void DrawRecordsList()
{
    BeginSprites();
    DrawTexture(StagePicture(), 64.0f, 0.0f);
    DrawRowBars(10);
    // Only named records have a row; rows go on past the ten bars.
    int n = 0;
    for (int i = 0; i < CBarrageTable::kBarrages; ++i) {
        const CBarrageRecord& r = g_BarrageTable.Get(i);
        if (r.m_strName.empty()) continue;
        DrawNumberRight(488.0f, 66.0f + 16.0f * static_cast<float>(n), r.m_nScoreMax);
        ++n;
    }
    g_pDevice->Sprite().End();
    g_pDevice->SetBlendMode(0);
    n = 0;
    for (int i = 0; i < CBarrageTable::kBarrages; ++i) {
        const CBarrageRecord& r = g_BarrageTable.Get(i);
        if (r.m_strName.empty()) continue;
        const int y = 64 + 16 * n;
        char text[192];
        std::snprintf(text, sizeof text, "%d. %s", i, r.m_strName.c_str());
        g_pDevice->DrawText(192, y, text, r.m_nClearCount != 0 ? kWhite : kGrey);
        std::snprintf(text, sizeof text, "%d/%d", r.m_nClearCount, r.m_nTotalCount);
        g_pDevice->DrawText(384, y, text, kWhite);
        g_pDevice->DrawText(428, y, "Max", kWhite);
        ++n;
    }
    // Under the picture's own lines of help.
    g_pDevice->DrawText(kPracticeHintX, kPracticeHintY, kPracticeHint, kPracticeHintColor);
}

void InputRecordsList()
{
    LeaveOnPress();
    // A push to the right, which the list has no other use for, opens practice.
    if (g_StageControler.m_nStage == CStageControler::STAGE_RECORDS && MenuRight())
        g_StageControler.SetStage(CStageControler::STAGE_PRACTICE);
}

// --- replay save list -------------------------------------------------------

void HoldGameReplay(std::vector<uint8_t> bytes)
{
    g_strSaveListNote.clear();
    if (g_FinishedReplay.Hold(std::move(bytes))) return;
    WarnAboutFile(g_FinishedReplay.Fault() + "; the game's replay is kept in memory until the save list is left");
    g_strSaveListNote = "Replay not written (" + g_FinishedReplay.Reason() +
                        ").\nIt is kept until you leave: choose a slot to try again.";
}

void DropGameReplay()
{
    g_FinishedReplay.Forget();
    g_strSaveListNote.clear();
}

const std::string& SaveListNote() { return g_strSaveListNote; }

void DrawSaveList()
{
    DrawSlotList(g_SaveSlotCursor);
    if (g_strSaveListNote.empty()) return;
    // The cursor leaves the play field's viewport behind.
    g_pDevice->SetFullScreenViewport();
    g_pDevice->DrawText(kSaveNoteX, kSaveNoteY, g_strSaveListNote.c_str(), kSaveNoteColor);
}

void InputSaveList()
{
    MoveCursor(g_SaveSlotCursor);
    if (ButtonPressed(0, &CInputRecord::m_bAttack0)) {
        // The slot keeps its old replay unless the finished game fully
        // replaces it; a refusal is told by its sound and the list stays,
        // the game's replay still held for another try.
        const int slot = g_SaveSlotCursor.m_nIndex;
        if (g_FinishedReplay.SaveToSlot(slot)) {
            DropGameReplay();
            ToMainMenu();
            return;
        }
        PlaySE(kRefusalSE);
        if (g_FinishedReplay.IsHeld()) {
            WarnAboutFile(g_FinishedReplay.Fault() + "; the slot keeps its old replay");
            g_strSaveListNote = "Slot " + std::to_string(slot) + " not saved (" + g_FinishedReplay.Reason() +
                                ").\nIts old replay stays; choose a slot to try again.";
        }
    } else if (ButtonHeld(0, &CInputRecord::m_bReload)) {
        DropGameReplay();
        ToMainMenu();
    }
}

// --- replay list --------------------------------------------------------------

void DrawReplayList() { DrawSlotList(g_LoadSlotCursor); }

void InputReplayList()
{
    MoveCursor(g_LoadSlotCursor);
    if (ButtonPressed(0, &CInputRecord::m_bAttack0)) {
        // The check text does not cover the chapter selection: a replay
        // naming a chapter the game does not have is refused too.
        const bool loaded = g_Replay.Load(ReplaySlotFile(g_LoadSlotCursor.m_nIndex));
        const int32_t chapter = g_Replay.GetHeader().m_nChapter;
        if (loaded && IsReplayChapter(chapter)) StartReplay(chapter);
        else PlaySE(kRefusalSE);
    } else if (ButtonHeld(0, &CInputRecord::m_bReload)) {
        ToMainMenu();
    }
}

std::string ReplaySlotText(int slot, const char* scoreName)
{
    char text[64];
    if (!scoreName || scoreName[0] == '\0') {
        std::snprintf(text, sizeof text, "%d - 未登録", slot);
        return text;
    }
    // A stored name is anyone's bytes: shown on one line, escaped.
    std::snprintf(text, sizeof text, "%d - ", slot);
    return text + EscapeForDisplay(scoreName);
}

std::string ReplaySlotDetail(int chapter, int score)
{
    char text[64];
    // A stored chapter is any 32-bit value: count on in 64 bits.
    if (chapter == -1) std::snprintf(text, sizeof text, "Chaptor. ALL / Score. %d", score);
    else std::snprintf(text, sizeof text, "Chaptor. %lld / Score. %d", static_cast<long long>(chapter) + 1, score);
    return text;
}
