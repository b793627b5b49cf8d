#include "app/Scene.h"
#include "app/PreparedDraws.h"

#include <chrono>
#include <cstdio>

#include "app/AssetSet.h"
#include "app/Form.h"
#include "app/Game.h"
#include "app/Menus.h"
#include "app/Play.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "core/Util.h"
#include "core/WorldHooks.h"
#include "gfx/BG2D.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/SimpleSprite.h"
#include "input/InputControler.h"
#include "input/InputScript.h"
#include "persist/GlobalResult.h"
#include "persist/Replay.h"
#include "player/MyKorvo.h"
#include "player/SlowMotion.h"
#include "stage/Camera.h"
#include "stage/CustomStageControler.h"
#include "stage/Fader.h"

uint32_t g_dwGameStartTime = 0;
bool g_bFreeCamera = false;

namespace {

constexpr const char* kSceneLog = "log/scene.txt";

const CInputScript* g_pScript = nullptr;
int64_t g_nStep = 0;
bool g_bSceneLog = false;   // "log/scene.txt" started

// Every scene but play: what it draws and what its input does. The menu model
// spins beside the lists.
struct SScreen {
    int32_t nStage;
    void (*pDraw)();
    void (*pInput)();
    bool bMenuModel;
};

constexpr SScreen kScreens[] = {
    {CStageControler::STAGE_CHAPTER_MENU, DrawChapterMenu, InputChapterMenu, true},
    {CStageControler::STAGE_RECORDS, DrawRecordsList, InputRecordsList, true},
    {CStageControler::STAGE_TITLE, DrawTitle, InputTitle, false},
    {CStageControler::STAGE_SAVE_LIST, DrawSaveList, InputSaveList, true},
    {CStageControler::STAGE_REPLAY_LIST, DrawReplayList, InputReplayList, true},
    {CStageControler::STAGE_CHAPTER_LOADING, DrawChapterLoading, InputPlay, false},
    {CStageControler::STAGE_MAIN_MENU, DrawMainMenu, InputMainMenu, false},
    {CStageControler::STAGE_STARTUP, DrawStartupLoading, InputPlay, false},
};

// Play for a chapter; nothing to draw for a number no scene has.
const SScreen& FindScreen(int stage)
{
    static constexpr SScreen kPlay{CStageControler::STAGE_CHAPTER1, DrawPlay, InputPlay, false};
    static constexpr SScreen kNone{0, nullptr, InputPlay, false};
    for (const SScreen& screen : kScreens)
        if (screen.nStage == stage) return screen;
    return stage >= CStageControler::STAGE_CHAPTER1 ? kPlay : kNone;
}

void LogStage(int stage, const char* note)
{
    if (!g_bSceneLog) return;
    char line[96];
    std::snprintf(line, sizeof line, "step %lld stage %d%s\n", static_cast<long long>(g_nStep), stage, note);
    WriteLog(kSceneLog, line);
}

// Channel 0: the next record of a watched replay in play; otherwise the
// devices (or the script), recorded in play.
void AcquireInput(bool play)
{
    if (play && g_bReplayPlaying) {
        CInputRecord rec;
        g_Replay.Next(rec);
        if (g_pInput) g_pInput->InjectRecord(0, &rec);
        return;
    }
    if (g_pInput) {
        if (g_pScript) {
            const CInputRecord rec = g_pScript->RecordAt(g_nStep);
            g_pInput->InjectRecord(0, &rec);
        } else {
            g_pInput->Update(0);
        }
    }
    if (play) g_Replay.Record(g_pInput ? g_pInput->GetCurrent(0) : CInputRecord{});
}

void CommonGameStart()
{
    g_bFreeCamera = false;
    g_dwGameStartTime = SceneClockMs();
    if (g_pPlayer) g_pPlayer->Reset();
}

void DrawNumberSprite(float x, float y, int value, float alpha) { DrawNumber(x, y, value, alpha); }

// The world reset's reach into the presentation objects.
class CSceneWorldHooks : public CWorldHooks {
public:
    void ResetFader() override
    {
        if (g_pFader) g_pFader->Off();
    }
    void ResetCamera() override { g_Camera.Reset(); }
    void ClearBackgroundLayers() override { CBG2D::ClearAll(); }
    void TickSlowMotionCooldown() override
    {
        if (g_pSlowMotion) g_pSlowMotion->TickCooldown();
    }
};
CSceneWorldHooks g_SceneWorldHooks;

}  // namespace

void SceneFrame()
{
    CCustomStageControler& stage = g_StageControler;
    stage.Step();
    // Nothing is drawn without a renderer (a device that was never set up).
    if (!g_pDevice || !g_pDevice->IsReady()) return;
    g_pDevice->Update();
    g_pDevice->BeginFrame();
    g_Camera.Step();
    const SScreen& screen = FindScreen(stage.m_nStage);
    if (screen.pDraw == DrawPlay) {
        // Play updates the world between its drawing; it locks its own drawing.
        DrawPlay();
    } else if (screen.pDraw) {
        CRandomLock lock(g_GameRand);
        screen.pDraw();
    }
    // From here on only drawing.
    CRandomLock lock(g_GameRand);
    if (screen.bMenuModel) {
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
    const int s = g_StageControler.m_nStage;
    AcquireInput(s >= CStageControler::STAGE_CHAPTER1);
    FindScreen(s).pInput();
    if (g_pScript && g_pScript->EscapeAt(g_nStep)) {
        // The Escape key of the script, as the window would take it.
        if (g_StageControler.m_nStage >= CStageControler::STAGE_CHAPTER1)
            SceneEscapeToMenu(CStageControler::STAGE_MAIN_MENU);
        else if (g_pForm)
            g_pForm->Destroy();
    }
    ++g_nStep;
}

namespace {

void StartGame(int stage, int selection, bool unrecorded)
{
    g_bReplayPlaying = false;
    g_bUnrecorded = unrecorded;
    g_nChapterSelection = selection;
    g_StageControler.SetStage(stage);
    g_Replay.Clear();
    if (!unrecorded) g_GlobalResult.CountGameStarted();
    CommonGameStart();
}

}  // namespace

void StartLiveGame(int stage, int selection) { StartGame(stage, selection, g_bInvulnerable); }

void StartTestGame(int stage, int phase)
{
    // Only a chapter from its beginning is a game a replay can repeat.
    const bool partial = stage == CStageControler::STAGE_BOSS_TEST || phase != CStageControler::PHASE_INTRO;
    StartGame(stage, stage, g_bInvulnerable || partial);
    if (phase != CStageControler::PHASE_INTRO) g_StageControler.SetPhase(phase);
}

void StartReplay(int selection)
{
    g_bReplayPlaying = true;
    g_nChapterSelection = selection;
    g_StageControler.SetStage(selection == -1 ? CStageControler::STAGE_CHAPTER1 : selection);
    CommonGameStart();
}

CStageControler& SceneControler() { return g_StageControler; }
int GetSceneStage() { return g_StageControler.m_nStage; }
void SetSceneStage(int stage) { g_StageControler.SetStage(stage); }

void SceneStageChanged(int stage)
{
    LogStage(stage, "");
    ChooseMenuModel();
}

void ScenePhaseChanged(int stage, int phase)
{
    if (!g_bSceneLog) return;
    char line[96];
    std::snprintf(line, sizeof line, "step %lld phase %d (stage %d)\n", static_cast<long long>(g_nStep), phase,
                  stage);
    WriteLog(kSceneLog, line);
}

void SceneLoadingFrame()
{
    LogStage(CStageControler::STAGE_CHAPTER_LOADING, " (loading)");
    SceneFrame();
    // While the loading picture shows, the programs of play are built.
    PreparePlayDrawing();
}

void SceneSnapshot()
{
    PlaySE(kSnapshotSE);
    if (g_pDevice) g_pDevice->SaveSnapshot();
}

void EndGame(int32_t score)
{
    if (g_bReplayPlaying) {
        g_StageControler.SetStage(CStageControler::STAGE_REPLAY_LIST);
        return;
    }
    if (g_bUnrecorded) {
        // A test game is no record of the player's: no replay to keep (nor an
        // older one to be kept in its place), no barrage counts.
        std::remove(ResolvePath(kReplayTempFile).c_str());
        g_StageControler.SetStage(CStageControler::STAGE_SAVE_LIST);
        return;
    }
    // A replay that cannot be written costs the replay, not the game's end.
    g_Replay.Save(kReplayTempFile, g_nChapterSelection, g_GlobalResult.GetScoreName(), score,
                  SceneClockMs() - g_dwGameStartTime);
    g_StageControler.SetStage(CStageControler::STAGE_SAVE_LIST);
    g_BarrageTable.Save();
}

void SceneEscapeToMenu(int stage)
{
    if (g_StageControler.m_nStage >= CStageControler::STAGE_CHAPTER1) {
        g_Replay.Clear();
        g_bReplayPlaying = false;
        // An abandoned game takes its slow motion along: the looping ambience
        // and the halved rate must not go on in the menus.
        if (g_pSlowMotion) g_pSlowMotion->Cancel();
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
    g_bSceneLog = true;
    g_nStep = 0;
    g_pWorldHooks = &g_SceneWorldHooks;
    CSimpleSprite::s_pDrawNumber = &DrawNumberSprite;
}
