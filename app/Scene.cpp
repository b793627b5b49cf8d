#include "app/Scene.h"
#include "app/PreparedDraws.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <string>

#include "app/Autopilot.h"
#include "app/Form.h"
#include "app/Game.h"
#include "app/Menus.h"
#include "app/Pause.h"
#include "app/Play.h"
#include "app/Practice.h"
#include "app/ReplayCheck.h"
#include "app/SceneKit.h"
#include "app/Viewer.h"
#include "assets/AssetSet.h"
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
#include "platform/ProcessMemory.h"
#include "player/MyKorvo.h"
#include "player/SlowMotion.h"
#include "stage/Camera.h"
#include "stage/CustomStageControler.h"
#include "stage/Fader.h"
#include "stage/WorldEvents.h"

uint32_t g_dwGameStartTime = 0;
bool g_bFreeCamera = false;

namespace {

constexpr const char* kSceneLog = "log/scene.txt";

const CInputScript* g_pScript = nullptr;
CAutopilot* g_pAutopilot = nullptr;
int64_t g_nStep = 0;
// Frames of the main loop, the script's clock: one step each, unless paused.
int64_t g_nFrame = 0;
int g_nGamesEnded = 0;
bool g_bSceneLog = false;   // "log/scene.txt" started
bool g_bQuitAfterReplay = false;
bool g_bQuitOnVerdict = false;
bool g_bUnseenStep = false;   // a step of a jump: no frame of the script's clock
std::function<void()> g_PictureHook;

// F11: the picture is taken with the next frame, before the note that names
// it is drawn, so no snapshot ever shows the note. The note stays for 120
// frames (two seconds) at the bottom of the right-hand column, clear of the
// play field and of the HUD's figures; the column is narrow, so the name
// takes three lines: folder, time stamp, the rest.
constexpr int kSnapshotNoteFrames = 120;
constexpr int kSnapshotNoteX = 504;
constexpr int kSnapshotNoteY = 434;
constexpr int kSnapshotNoteWidth = 132;
constexpr int kSnapshotNoteLines = 3;
int g_nSnapshotsAsked = 0;
std::string g_strSnapshotNote;
int g_nSnapshotNoteFrames = 0;
bool g_bSnapshotNoteShown = false;   // by the last frame drawn

// The snapshots asked for since the last frame, of the frame just drawn; the
// note names the last one ("snapshot/", its time stamp, the rest of its name),
// or says none was written.
void TakeAskedSnapshots()
{
    if (g_nSnapshotsAsked == 0 || g_pDevice->IsPictureUnseen()) return;
    for (; g_nSnapshotsAsked > 0; --g_nSnapshotsAsked) {
        std::string path = g_pDevice->SaveSnapshot();
        const std::string& dir = GetProgramDir();
        if (path.compare(0, dir.size(), dir) == 0) path.erase(0, dir.size());
        const size_t name = path.rfind('/') + 1;
        const size_t rest = path.find_first_of("-.", name);
        g_strSnapshotNote = path.empty() ? "Snapshot not saved"
                                         : path.substr(0, name) + "\n" + path.substr(name, rest - name) + "\n" +
                                               path.substr(std::min(rest, path.size()));
    }
    g_nSnapshotNoteFrames = kSnapshotNoteFrames;
}

void DrawSnapshotNote()
{
    g_bSnapshotNoteShown = g_nSnapshotNoteFrames > 0;
    if (!g_bSnapshotNoteShown) return;
    --g_nSnapshotNoteFrames;
    g_pDevice->SetFullScreenViewport();
    const int height = 480 - 4 - kSnapshotNoteY;
    g_pDevice->FillRect(kSnapshotNoteX - 2, kSnapshotNoteY - 2, kSnapshotNoteWidth + 4, height + 4, 0.6f, 0.0f, 0.0f,
                        0.0f);
    DrawTextLines(kSnapshotNoteX, kSnapshotNoteY, g_strSnapshotNote, 0xFFFFFFFFu, kSnapshotNoteWidth,
                  kSnapshotNoteLines);
}

// Every scene but play: what it draws and what its input does. The menu model
// spins beside the lists.
struct SScreen {
    int32_t nStage;
    void (*pDraw)();
    void (*pInput)();
    bool bMenuModel;
};

constexpr SScreen kScreens[] = {
    {CStageControler::STAGE_PRACTICE, DrawPracticeList, InputPracticeList, false},
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

// A channel from the script when there is one, else from the devices.
void PollPerson(int channel)
{
    if (!g_pInput) return;
    if (g_bUnseenStep) {
        // A jump runs its steps between two frames: no live input reaches them.
        const CInputRecord idle{};
        g_pInput->InjectRecord(channel, &idle);
    } else if (g_pScript) {
        const CInputRecord rec = g_pScript->RecordAt(g_nFrame);
        g_pInput->InjectRecord(channel, &rec);
    } else {
        g_pInput->Update(channel);
    }
}

// Channel 0: the next record of a watched replay in play; otherwise the
// autopilot, the script or the devices, recorded in play.
void AcquireInput(bool play)
{
    if (play && g_bReplayPlaying) {
        CInputRecord rec;
        g_Replay.Next(rec);
        if (g_pInput) g_pInput->InjectRecord(0, &rec);
        return;
    }
    if (g_pAutopilot && g_pInput) {
        // The pilot only reads the game; it must never draw from its generator.
        CRandomLock lock(g_GameRand);
        const CInputRecord rec = g_pAutopilot->Decide(g_pInput->GetCurrent(0));
        g_pInput->InjectRecord(0, &rec);
    } else {
        PollPerson(0);
    }
    // A practice attempt keeps no replay.
    if (play && g_nPracticeBarrage < 0) g_Replay.Record(g_pInput ? g_pInput->GetCurrent(0) : CInputRecord{});
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

// What the world tells the scene.
class CSceneWorldEvents : public CWorldEvents {
public:
    void GameEnded(int32_t score) override { EndGame(score); }
    void StageChanged(int stage) override { SceneStageChanged(stage); }
    void PhaseChanged(int stage, int phase) override { ScenePhaseChanged(stage, phase); }
    void LoadingFrameWanted() override { SceneLoadingFrame(); }
    void BarrageEnded(int barrage, bool captured, int32_t bonus) override
    {
        PracticeBarrageEnded(barrage, captured, bonus);
    }
};
CSceneWorldEvents g_SceneWorldEvents;

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
    // A practice attempt's result stays readable whatever the fader does.
    if (IsPracticePanelShown()) DrawPracticePanel();
    g_pDevice->EndFrame();
    // The picture as the game drew it, for a video or a snapshot; the notes
    // and the replay's bar go over it afterwards, on screen only.
    if (g_PictureHook && !g_pDevice->IsPictureUnseen()) g_PictureHook();
    TakeAskedSnapshots();
    DrawSnapshotNote();
    DrawViewerBar();
    g_pDevice->Present();
}

void SceneInput()
{
    const int s = g_StageControler.m_nStage;
    const bool play = s >= CStageControler::STAGE_CHAPTER1;
    AcquireInput(play);
    FindScreen(s).pInput();
    if (play) {
        const bool judged = g_DigestLog.HasVerdict();
        g_DigestLog.OnPlayStep();
        if (!judged && g_DigestLog.HasVerdict()) ReplayJudged();
        PracticeStepped();
    }
    // The Escape key of the script, as the window would take it.
    if (g_pScript && !g_bUnseenStep && g_pScript->EscapeAt(g_nFrame)) SceneEscape();
    ++g_nStep;
    if (!g_bUnseenStep) ++g_nFrame;
}

void SceneUnseenStep(bool seen)
{
    g_bUnseenStep = true;
    if (g_pDevice) g_pDevice->SetPictureUnseen(!seen);
    SceneFrame();
    SceneInput();
    if (g_pDevice) g_pDevice->SetPictureUnseen(false);
    g_bUnseenStep = false;
}

bool ScenePausedFrame()
{
    if (g_pScript) ApplyViewerScript(*g_pScript, g_nFrame);
    if (g_pScript && g_pScript->PauseAt(g_nFrame)) ToggleScenePause();
    if (!IsScenePaused()) return false;
    // A watched replay's frame step: this frame runs one step.
    if (TakeViewerStep()) return false;
    // The script's Escape, as the window would take it from a paused game.
    if (g_pScript && g_pScript->EscapeAt(g_nFrame)) SceneEscape();
    else ShowPausedPicture();
    ++g_nFrame;
    return true;
}

namespace {

void StartGame(int stage, int selection, bool unrecorded)
{
    g_bReplayPlaying = false;
    g_bUnrecorded = unrecorded;
    g_nChapterSelection = selection;
    g_StageControler.SetStage(stage);
    g_Replay.Clear();
    if (KeepsRecords()) g_GlobalResult.CountGameStarted();
    g_DigestLog.StartRecording();
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
    ViewerReplayStarted();
    g_nChapterSelection = selection;
    RestartReplay();
}

void RestartReplay()
{
    // A watched replay is compared with its digests as it plays, so that
    // whatever the viewer does (speed, steps, jumps) shows to leave the game
    // as it was recorded.
    if (g_StageControler.m_nStage >= CStageControler::STAGE_CHAPTER1) {
        // From the middle of the game: leave it as the way to the replay list
        // would (slow motion over, the world and its music reset), so that the
        // replay starts from the state it always starts from.
        if (g_pSlowMotion) g_pSlowMotion->Cancel();
        g_StageControler.ResetWorld();
    }
    g_bReplayPlaying = true;
    g_Replay.Rewind();
    g_DigestLog.StartVerifying(g_Replay, false);
    const int selection = g_nChapterSelection;
    g_StageControler.SetStage(selection == -1 ? CStageControler::STAGE_CHAPTER1 : selection);
    CommonGameStart();
}

CStageControler& SceneControler() { return g_StageControler; }
int GetSceneStage() { return g_StageControler.m_nStage; }
void SetSceneStage(int stage) { g_StageControler.SetStage(stage); }

void SceneStageChanged(int stage)
{
    LogStage(stage, "");
    ViewerStageEntered(stage);
    ChooseMenuModel();
}

void ScenePhaseChanged(int stage, int phase)
{
    ViewerPhaseEntered(phase);
    if (!g_bSceneLog) return;
    char line[96];
    std::snprintf(line, sizeof line, "step %lld phase %d (stage %d)\n", static_cast<long long>(g_nStep), phase,
                  stage);
    WriteLog(kSceneLog, line);
}

void ScenePauseChanged(bool paused)
{
    if (!g_bSceneLog) return;
    char line[96];
    std::snprintf(line, sizeof line, "step %lld %s (frame %lld)\n", static_cast<long long>(g_nStep),
                  paused ? "paused" : "resumed", static_cast<long long>(g_nFrame));
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
    ++g_nSnapshotsAsked;
}

std::string SceneSnapshotNote() { return g_bSnapshotNoteShown ? g_strSnapshotNote : std::string(); }

void EndGame(int32_t score)
{
    // A practice attempt ended already with the craft's last miss.
    if (g_nPracticeBarrage >= 0) return;
    ++g_nGamesEnded;
    if (g_bReplayPlaying) {
        if (g_DigestLog.IsVerifying()) {
            g_DigestLog.FinishVerifying(score);
            ReplayJudged();
        }
        g_StageControler.SetStage(CStageControler::STAGE_REPLAY_LIST);
        if (g_bQuitAfterReplay && g_pForm) g_pForm->Destroy();
        return;
    }
    if (g_bUnrecorded) {
        // A test game is no record of the player's: no replay to keep (nor an
        // older one to be kept in its place), no barrage counts.
        std::remove(ResolvePath(kReplayTempFile).c_str());
        DropGameReplay();
        g_StageControler.SetStage(CStageControler::STAGE_SAVE_LIST);
        return;
    }
    // A replay that cannot be written is held for the save list: it costs
    // neither the game's end nor the replay.
    const CReplayTrailer trailer = g_DigestLog.FinishRecording(score);
    if (g_bSceneLog) {
        // How each game ended, for runs of many games to be compared, and the
        // memory held so far, for them to show whether it keeps growing.
        char line[160];
        std::snprintf(line, sizeof line,
                      "step %lld game over: %u steps, score %d, final digest %016llx, peak resident %lld KiB\n",
                      static_cast<long long>(g_nStep), trailer.m_dwSteps, score,
                      static_cast<unsigned long long>(trailer.m_Final.m_qwDigest),
                      static_cast<long long>(PeakResidentKiB()));
        WriteLog(kSceneLog, line);
    }
    HoldGameReplay(g_Replay.Encode(g_nChapterSelection, g_GlobalResult.GetScoreName(), score,
                                   SceneClockMs() - g_dwGameStartTime, &trailer));
    g_StageControler.SetStage(CStageControler::STAGE_SAVE_LIST);
    // The autopilot's games are replays like any, but no records of a player.
    if (KeepsRecords()) SaveRecords(false);
}

void SceneNote(const std::string& text)
{
    if (!g_bSceneLog) return;
    const std::string line = "step " + std::to_string(g_nStep) + " " + text + "\n";
    WriteLog(kSceneLog, line.c_str());
}

void ReplayJudged()
{
    SceneNote("replay " + g_DigestLog.Verdict());
    if (g_bQuitOnVerdict && g_pForm) g_pForm->Destroy();
}

void SetSceneQuitAfterReplay(bool quit, bool onVerdict)
{
    g_bQuitAfterReplay = quit;
    g_bQuitOnVerdict = onVerdict;
}
void SetScenePictureHook(std::function<void()> hook) { g_PictureHook = std::move(hook); }

void SceneEscapeToMenu(int stage)
{
    if (g_StageControler.m_nStage >= CStageControler::STAGE_CHAPTER1) {
        g_Replay.Clear();
        g_bReplayPlaying = false;
        g_DigestLog.Abandon();
        g_DigestLog.Stop();
        // An abandoned game takes its slow motion along: the looping ambience
        // and the halved rate must not go on in the menus.
        if (g_pSlowMotion) g_pSlowMotion->Cancel();
    }
    g_StageControler.SetStage(stage);
    // After the stage change has stopped the game's music, so that none of it
    // plays on.
    EndScenePause();
}

void SceneEscape()
{
    const int stage = g_StageControler.m_nStage;
    if (stage >= CStageControler::STAGE_CHAPTER1)
        SceneEscapeToMenu(g_nPracticeBarrage >= 0 ? CStageControler::STAGE_PRACTICE : CStageControler::STAGE_MAIN_MENU);
    else if (stage == CStageControler::STAGE_PRACTICE)
        g_StageControler.SetStage(CStageControler::STAGE_RECORDS);
    else if (g_pForm)
        g_pForm->Destroy();
}

void ScenePracticeEnded(int barrage, bool captured, int32_t bonus)
{
    ++g_nGamesEnded;
    if (!g_bSceneLog) return;
    char line[96];
    std::snprintf(line, sizeof line, "step %lld practice barrage %d: %s, bonus %d\n", static_cast<long long>(g_nStep),
                  barrage, captured ? "captured" : "failed", bonus);
    WriteLog(kSceneLog, line);
}

void SceneRunEnded()
{
    if (!g_bSceneLog) return;
    char line[96];
    std::snprintf(line, sizeof line, "step %lld end of run: peak resident %lld KiB\n", static_cast<long long>(g_nStep),
                  static_cast<long long>(PeakResidentKiB()));
    WriteLog(kSceneLog, line);
}

void SetSceneInputScript(const CInputScript* script) { g_pScript = script; }
void SetSceneAutopilot(CAutopilot* pilot) { g_pAutopilot = pilot; }
int GetGamesEnded() { return g_nGamesEnded; }
void PollViewerInput() { PollPerson(1); }
int64_t GetSceneStep() { return g_nStep; }
int64_t GetSceneFrame() { return g_nFrame; }

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
    g_nSnapshotsAsked = 0;
    g_nSnapshotNoteFrames = 0;
    g_bSnapshotNoteShown = false;
    g_nFrame = 0;
    g_pWorldHooks = &g_SceneWorldHooks;
    g_pWorldEvents = &g_SceneWorldEvents;
    CSimpleSprite::s_pDrawNumber = &DrawNumberSprite;
}
