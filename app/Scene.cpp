#include "app/Scene.h"

#include <chrono>
#include <cstdio>

#include "app/AssetSet.h"
#include "app/Form.h"
#include "app/FrameTimer.h"
#include "app/Game.h"
#include "core/ObjectLists.h"
#include "core/Util.h"
#include "core/WorldHooks.h"
#include "gfx/BG2D.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/SimpleSprite.h"
#include "gfx/Texture.h"
#include "input/InputControler.h"
#include "input/InputScript.h"
#include "persist/GlobalResult.h"
#include "persist/Replay.h"
#include "stage/Camera.h"
#include "stage/CustomStageControler.h"
#include "stage/Fader.h"

MenuCursor g_MainMenuCursor{0, 4};
MenuCursor g_ChapterCursor{0, 2};
MenuCursor g_SaveSlotCursor{0, 10};
MenuCursor g_LoadSlotCursor{0, 10};
uint32_t g_dwGameStartTime = 0;
bool g_bFreeCamera = false;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kGrey = 0xFF777777u;
constexpr const char* kSceneLog = "log/scene.txt";

const CInputScript* g_pScript = nullptr;
int64_t g_nStep = 0;

// The craft arrives with the player side; until then the HUD shows zeros and
// play reads no input beyond the replay's.
int HudScore() { return 0; }
int HudStock() { return 0; }
int HudGauge() { return 0; }
constexpr int kGaugeMax = 10800;

void LogStage(int stage, const char* note)
{
    char line[96];
    std::snprintf(line, sizeof line, "step %lld stage %d%s\n", static_cast<long long>(g_nStep), stage, note);
    WriteLog(kSceneLog, line);
}

// Channel 0 from the devices or the script.
void PollGameChannel()
{
    if (!g_pInput) return;
    if (g_pScript) {
        const CInputRecord rec = g_pScript->RecordAt(g_nStep);
        g_pInput->InjectRecord(0, &rec);
    } else {
        g_pInput->Update(0);
    }
}

bool Pressed(int ch, uint8_t CInputRecord::*button)
{
    return g_pInput && g_pInput->GetCurrent(ch).*button && !(g_pInput->GetPrevious(ch).*button);
}
bool Held(int ch, uint8_t CInputRecord::*button) { return g_pInput && g_pInput->GetCurrent(ch).*button; }
bool MenuDown()
{
    return g_pInput && g_pInput->GetCurrent(0).m_fY < 0.0f && g_pInput->GetPrevious(0).m_fY == 0.0f;
}
bool MenuUp()
{
    return g_pInput && g_pInput->GetCurrent(0).m_fY > 0.0f && g_pInput->GetPrevious(0).m_fY == 0.0f;
}

void MoveCursor(MenuCursor& c)
{
    if (MenuDown()) c.Next();
    if (MenuUp()) c.Prev();
}

void CommonGameStart()
{
    g_bFreeCamera = false;
    g_dwGameStartTime = SceneClockMs();
    // The craft's Reset comes with the player side.
}

void StartLiveGame(int stage, int selection)
{
    g_bReplayPlaying = false;
    g_nChapterSelection = selection;
    g_StageControler.SetStage(stage);
    g_Replay.Clear();
    g_GlobalResult.CountGameStarted();
    CommonGameStart();
}

// The chapter menu's moves skip chapters not yet reached; chapter 0 always
// counts as reached, so the search ends within one lap.
void MoveChapterCursor()
{
    const auto reachedStep = [](void (MenuCursor::*move)()) {
        for (int i = 0; i < g_ChapterCursor.m_nCount; ++i) {
            (g_ChapterCursor.*move)();
            if (g_GlobalResult.IsReached(g_ChapterCursor.m_nIndex)) return;
        }
    };
    if (MenuDown()) reachedStep(&MenuCursor::Next);
    if (MenuUp()) reachedStep(&MenuCursor::Prev);
}

void DrawDigits(float x, float y, const char* text, float alpha = 1.0f)
{
    for (const char* p = text; *p; ++p, x += 5.0f) {
        int glyph = -1;
        if (*p >= '0' && *p <= '9') glyph = *p - '0';
        else if (*p == '/') glyph = 10;
        if (glyph >= 0 && g_pHudDigits[glyph]) g_pHudDigits[glyph]->DrawSpriteBlend(x, y, alpha);
    }
}
void DrawNumber(float x, float y, int n, float alpha = 1.0f)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    DrawDigits(x, y, text, alpha);
}
void DrawNumberRight(float x, float y, int n, float alpha = 1.0f)
{
    char text[16];
    const int len = std::snprintf(text, sizeof text, "%d", n);
    DrawDigits(x - 5.0f * static_cast<float>(len - 1), y, text, alpha);
}

// Sprites leave the depth test as it is; a picture must not write depth that
// would hide the models drawn after it.
void BeginSprites()
{
    g_pDevice->SetDepthTest(0);
    g_pDevice->Sprite().Begin();
}

void DrawNumberSprite(float x, float y, int value, float alpha) { DrawNumber(x, y, value, alpha); }

void DrawTexture(CTexture* t, float x, float y) { if (t) t->DrawSpriteBlend(x, y, 1.0f); }

void DrawRowBars(int rows)
{
    if (!g_pRowBarTexture) return;
    for (int k = 0; k < rows; ++k) g_pRowBarTexture->DrawSpriteAdd(188.0f, 73.0f + 16.0f * static_cast<float>(k), 1.0f);
}

void DrawCursorAt(float px, float py)
{
    if (!g_pCursorModel) return;
    g_pDevice->SetPlayFieldViewport();
    float wx = 0.0f, wy = 0.0f;
    ScreenToWorld(px, py, wx, wy);
    g_pCursorModel->SetPos(Vec3{wx, wy, 0.0f});
    g_pCursorModel->Step();
}

// The stage's own picture (the first stage texture).
CTexture* StagePicture()
{
    if (g_StageControler.m_Resources.Count() == 0) return nullptr;
    return static_cast<CTexture*>(g_StageControler.m_Resources.At(0));
}

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
    static const int kItemX[4] = {542, 512, 482, 452};
    static const int kItemY[4] = {353, 378, 403, 428};
    const int i = g_MainMenuCursor.m_nIndex;
    if (i >= 0 && i < 4) DrawCursorAt(static_cast<float>(kItemX[i]), static_cast<float>(kItemY[i]));
}

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

void DrawRecordsList()
{
    BeginSprites();
    DrawTexture(StagePicture(), 64.0f, 0.0f);
    DrawRowBars(10);
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
}

void DrawReplayList(const MenuCursor& cursor)
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
        g_pDevice->DrawText(192, y, ReplaySlotText(k, h.m_szScoreName).c_str(), kWhite);
        if (h.m_szScoreName[0] != '\0')
            g_pDevice->DrawText(320, y, ReplaySlotDetail(h.m_nChapter, h.m_nScore).c_str(), kWhite);
    }
    DrawCursorAt(236.0f, 68.0f + 16.0f * static_cast<float>(cursor.m_nIndex));
}

void DrawPlay()
{
    g_pDevice->SetPlayFieldViewport();
    if (g_pWorldAnchor) g_pWorldAnchor->Step();
    BeginSprites();
    g_BG2D[0].Step();
    g_pDevice->Sprite().End();
    // The craft comes with the player side.
    if (g_pStageModel) g_pStageModel->Step();
    StepWorldLists();
    g_pDevice->SetPlayFieldViewport();
    StepForegroundLists();

    g_pDevice->SetFullScreenViewport();
    BeginSprites();
    DrawTexture(g_pLeftPanelTexture, 0.0f, 0.0f);
    DrawTexture(g_pRightPanelTexture, 500.0f, 0.0f);
    DrawNumberRight(611.0f, 8.0f, g_FrameTimer.m_nFps);
    DrawTexture(g_pFpsLabelTexture, 616.0f, 8.0f);
    DrawTexture(g_pHudFrameTexture, 0.0f, 0.0f);
    DrawNumberRight(122.0f, 14.0f, HudScore());
    DrawNumberRight(122.0f, 120.0f, HudStock());
    StepOverlayList();
    const int i = g_nBarrageIndex;
    if (i >= 0 && i < CBarrageTable::kBarrages) {
        DrawTexture(g_pBarrageTitles[i], 358.0f, 32.0f);
        const CBarrageRecord& r = g_BarrageTable.Get(i);
        DrawNumberRight(558.0f, 64.0f, r.m_nClearCount);
        DrawDigits(564.0f, 64.0f, "/");
        DrawNumber(569.0f, 64.0f, r.m_nTotalCount);
    }
    if (g_bReplayPlaying) DrawTexture(g_pReplayMarkerTexture, 516.0f, 96.0f);
    g_pDevice->Sprite().End();

    const int gauge = HudGauge();
    g_pDevice->FillRect(5, 91, GaugeBarWidth(gauge, kGaugeMax), 10, 0.5f, 0.0f, 1.0f, 0.0f);
    const int thirds = GaugeThirdsWidth(gauge);
    if (thirds > 0) g_pDevice->FillRect(5, 91, thirds, 10, 0.5f, 1.0f, 1.0f, 0.0f);
    g_pDevice->FillRect(5, 140, StockBarWidth(HudStock()), 10, 0.5f, 0.0f, 1.0f, 0.0f);
    // The craft's AddGauge(1) comes with the player side.
}

// The world reset's reach into the presentation objects.
class CSceneWorldHooks : public CWorldHooks {
public:
    void ResetFader() override
    {
        if (g_pFader) g_pFader->Off();
    }
    void ResetCamera() override { g_Camera.Reset(); }
    void ClearBackgroundLayers() override { CBG2D::ClearAll(); }
};
CSceneWorldHooks g_SceneWorldHooks;

void RenderLoadingFrameHook()
{
    LogStage(-3, " (loading)");
    SceneFrame();
}
void StageChangedHook()
{
    LogStage(g_StageControler.m_nStage, "");
    ChooseMenuModel();
}
void ReadSlotTableHook() { g_Replay.ReadSlotTable(); }

void ReplayCamera()
{
    if (!g_pInput) return;
    g_pInput->Update(1);
    CObject* cam = g_pCamera;
    if (!g_bFreeCamera && Pressed(1, &CInputRecord::m_bAttack0)) {
        if (cam) {
            cam->AuxTo(Vec3{0.0f, 0.0f, -1.0f}, 120);
            cam->MoveTo(Vec3{0.0f, -10.0f, 0.0f}, 120);
        }
        g_bFreeCamera = true;
    }
    if (g_bFreeCamera && cam) {
        const CInputRecord& live = g_pInput->GetCurrent(1);
        Vec3 p = cam->m_vPos;
        RotateZ(p, live.m_fX * 0.01f);
        RotateX(p, live.m_fY * 0.01f);
        if (live.m_bAttack0) AddTo(p, 0.0f, -0.1f, 0.0f);
        if (live.m_bReload) AddTo(p, 0.0f, 0.1f, 0.0f);
        cam->m_vPos = p;
    }
}

}  // namespace

CStageControler& SceneControler() { return g_StageControler; }
int GetSceneStage() { return g_StageControler.m_nStage; }
void SetSceneStage(int stage) { g_StageControler.SetStage(stage); }
void EndGame(int32_t score)
{
    if (g_bReplayPlaying) {
        g_StageControler.SetStage(-4);
        return;
    }
    // A replay that cannot be written costs the replay, not the game's end.
    g_Replay.Save(kReplayTempFile, g_nChapterSelection, g_GlobalResult.GetScoreName(), score,
                  SceneClockMs() - g_dwGameStartTime);
    g_StageControler.SetStage(-5);
    SaveRecords(false);
}

void SceneEscapeToMenu(int stage)
{
    if (g_StageControler.m_nStage >= 0) {
        g_Replay.Clear();
        g_bReplayPlaying = false;
    }
    g_StageControler.SetStage(stage);
}

void SetSceneInputScript(const CInputScript* script) { g_pScript = script; }
int64_t GetSceneStep() { return g_nStep; }

uint32_t SceneClockMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void InitScene()
{
    WriteLog(kSceneLog, nullptr);
    g_nStep = 0;
    g_StageControler.m_Hooks.renderFrame = &RenderLoadingFrameHook;
    g_StageControler.m_Hooks.stageChanged = &StageChangedHook;
    g_StageControler.m_Hooks.readSlotTable = &ReadSlotTableHook;
    g_pWorldHooks = &g_SceneWorldHooks;
    CSimpleSprite::s_pDrawNumber = &DrawNumberSprite;
}

int GaugeBarWidth(int gauge, int gaugeMax)
{
    if (gaugeMax <= 0) return 0;
    const float w = static_cast<float>(gauge) / static_cast<float>(gaugeMax) * 117.0f;
    return static_cast<int>(w);
}

int GaugeThirdsWidth(int gauge)
{
    if (gauge >= 10800) return 117;
    if (gauge >= 7200) return 78;
    if (gauge >= 3600) return 39;
    return 0;
}

int StockBarWidth(int stock)
{
    const float w = static_cast<float>(stock) * (1.0f / 9.0f) * 117.0f;
    return static_cast<int>(w);
}

std::string ReplaySlotText(int slot, const char* scoreName)
{
    char text[64];
    if (!scoreName || scoreName[0] == '\0') std::snprintf(text, sizeof text, "%d - 未登録", slot);
    else std::snprintf(text, sizeof text, "%d - %s", slot, scoreName);
    return text;
}

std::string ReplaySlotDetail(int chapter, int score)
{
    char text[64];
    if (chapter == -1) std::snprintf(text, sizeof text, "Chaptor. ALL / Score. %d", score);
    else std::snprintf(text, sizeof text, "Chaptor. %d / Score. %d", chapter + 1, score);
    return text;
}

void ScreenToWorld(float px, float py, float& wx, float& wy)
{
    wx = (px - 140.0f) / 480.0f * 10.0f - 5.0f;
    wy = 5.0f - py / 480.0f * 10.0f;
}

void SceneFrame()
{
    CCustomStageControler& stage = g_StageControler;
    stage.Step();
    if (!g_pDevice) return;
    g_pDevice->Update();
    g_pDevice->BeginFrame();
    g_Camera.Step();
    const int s = stage.m_nStage;
    switch (s) {
    case -1:
    case -3:
        g_pDevice->SetFullScreenViewport();
        g_pDevice->ClearScreen();
        BeginSprites();
        DrawTexture(s == -1 ? g_pLoadingTexture : g_pChapterLoadingTexture, 64.0f, 0.0f);
        g_pDevice->Sprite().End();
        break;
    case -6:
        g_pDevice->SetFullScreenViewport();
        StepOverlayList();
        break;
    case -2: DrawMainMenu(); break;
    case -8: DrawChapterMenu(); break;
    case -7: DrawRecordsList(); break;
    case -5: DrawReplayList(g_SaveSlotCursor); break;
    case -4: DrawReplayList(g_LoadSlotCursor); break;
    default:
        if (s >= 0) DrawPlay();
        break;
    }
    if (s == -8 || s == -7 || s == -5 || s == -4) {
        g_pDevice->SetFullScreenViewport();
        g_pDevice->SetProjection(45, 1.3333334f);
        if (g_pMenuModel) g_pMenuModel->Step();
        g_pDevice->SetProjection(45, 0.75f);
    }
    g_pDevice->ClearDepth();
    g_pDevice->SetFullScreenViewport();
    if (g_pFader) g_pFader->Step();
    g_pDevice->EndFrame();
    g_pDevice->Present();
}

void SceneInput()
{
    CCustomStageControler& stage = g_StageControler;
    const int s = stage.m_nStage;
    if (s >= 0 && g_bReplayPlaying) {
        CInputRecord rec;
        g_Replay.Next(rec);
        if (g_pInput) g_pInput->InjectRecord(0, &rec);
    } else {
        PollGameChannel();
        if (s >= 0) g_Replay.Record(g_pInput ? g_pInput->GetCurrent(0) : CInputRecord{});
    }

    switch (s) {
    case -2:
        MoveCursor(g_MainMenuCursor);
        if (Pressed(0, &CInputRecord::m_bAttack0)) {
            switch (g_MainMenuCursor.m_nIndex) {
            case 0: StartLiveGame(0, -1); break;
            case 1: stage.SetStage(-8); break;
            case 2: stage.SetStage(-4); break;
            case 3: stage.SetStage(-7); break;
            default: break;
            }
        }
        if (Pressed(0, &CInputRecord::m_bReload) && g_pForm) g_pForm->Destroy();
        break;
    case -8:
        MoveChapterCursor();
        if (Pressed(0, &CInputRecord::m_bAttack0)) StartLiveGame(g_ChapterCursor.m_nIndex, g_ChapterCursor.m_nIndex);
        else if (Held(0, &CInputRecord::m_bReload)) stage.SetStage(-2);
        break;
    case -7:
    case -6:
        if (Pressed(0, &CInputRecord::m_bAttack0) || Pressed(0, &CInputRecord::m_bReload)) stage.SetStage(-2);
        break;
    case -5:
        MoveCursor(g_SaveSlotCursor);
        if (Pressed(0, &CInputRecord::m_bAttack0)) {
            // The slot keeps its old replay unless the finished game fully
            // replaces it; a refusal is told by its sound and the list stays.
            if (CReplay::KeepInSlot(g_SaveSlotCursor.m_nIndex)) stage.SetStage(-2);
            else PlaySE(kRefusalSE);
        } else if (Held(0, &CInputRecord::m_bReload)) {
            stage.SetStage(-2);
        }
        break;
    case -4:
        MoveCursor(g_LoadSlotCursor);
        if (Pressed(0, &CInputRecord::m_bAttack0)) {
            // The check text does not cover the chapter selection: a replay
            // naming a chapter the game does not have is refused too.
            const bool loaded = g_Replay.Load(ReplaySlotFile(g_LoadSlotCursor.m_nIndex));
            const int32_t chapter = g_Replay.GetHeader().m_nChapter;
            if (loaded && chapter >= -1 && chapter <= 1) {
                g_bReplayPlaying = true;
                g_nChapterSelection = g_Replay.GetHeader().m_nChapter;
                stage.SetStage(g_nChapterSelection == -1 ? 0 : g_nChapterSelection);
                CommonGameStart();
            } else {
                PlaySE(kRefusalSE);
            }
        } else if (Held(0, &CInputRecord::m_bReload)) {
            stage.SetStage(-2);
        }
        break;
    default:
        // The craft's control step with channel 0 comes with the player side.
        if (g_bReplayPlaying) ReplayCamera();
        break;
    }
    if (g_pScript && g_pScript->EscapeAt(g_nStep)) {
        // The Escape key of the script, as the window would take it.
        if (stage.m_nStage >= 0) SceneEscapeToMenu(-2);
        else if (g_pForm) g_pForm->Destroy();
    }
    ++g_nStep;
}
