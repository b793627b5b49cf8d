// The two calls of every step: SceneFrame steps and draws the current scene and
// presents it; SceneInput reads the frame's input, runs the scene's input and
// hands the input to the craft. The scene is the stage number of
// g_StageControler; each scene's drawing and input live side by side in
// app/Menus.cpp (the menus, title and loading pictures) and app/Play.cpp (play),
// and these two only dispatch to them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CAutopilot;
class CInputScript;
class CStageControler;

// Milliseconds of the steady clock when the current game started.
extern uint32_t g_dwGameStartTime;
// The replay's free camera is on.
extern bool g_bFreeCamera;

// Steps and draws everything of the current scene and presents the picture.
void SceneFrame();
// Reads input and runs the scene's transitions.
void SceneInput();
// One step of a jump in a watched replay (SceneFrame and SceneInput): no live
// input, no frame of the script's clock, and unless seen its picture is not
// drawn.
void SceneUnseenStep(bool seen);
// The start of a frame of the main loop: the input script's pause of this
// frame; while the game is paused, the script's Escape and the paused picture.
// True when the frame runs no step (the game is paused).
bool ScenePausedFrame();

// A game played live: the stage (chapter) set, a fresh recording and its
// digests, the play count (a person's games only), the common start.
// selection is -1 for a full run.
void StartLiveGame(int stage, int selection);
// Watching the loaded replay, whose chapter selection is selection. Its
// digests are compared as it plays; the verdict goes to the scene log.
void StartReplay(int selection);
// The watched replay again from its first step (a jump back).
void RestartReplay();
// A line "step N TEXT" in the scene log.
void SceneNote(const std::string& text);
// A watched replay's digests were judged (a difference, or its end): the
// verdict goes to the scene log ("step N replay verified: ..."), and a run
// that quits after its replay ends.
void ReplayJudged();
// The run ends with its watched replay (--verify-replay, a headless --watch),
// and with onVerdict already at a digest that differs (--verify-replay).
void SetSceneQuitAfterReplay(bool quit, bool onVerdict);
// Called with each picture drawn, before anything only the screen shows (the
// snapshot note, the replay's bar) goes over it: for a video or a snapshot
// the run takes.
void SetScenePictureHook(std::function<void()> hook);
// A game started from the command line for testing: the stage alone (a chapter
// or the boss test stage), put on the phase. Unless it is a chapter from its
// beginning, it keeps no records and no replay (a replay could not repeat it).
void StartTestGame(int stage, int phase);

// The end of a game (the craft's Kill after its last miss, or the end of the
// last chapter): a live game is written as the temporary replay with its score
// and digests and the records of the barrages are saved (a person's games
// only), then the save list opens; a watched replay returns to the replay
// list, and a verified one gets its verdict.
void EndGame(int32_t score);

// Escape in play: the game is abandoned (its recording discarded, a watched
// replay stopped) for the given stage (the window gives the main menu).
void SceneEscapeToMenu(int stage);
// The Escape key (the window's or the script's): play is left for the main
// menu, a practice attempt for the practice list, the practice list for the
// records list; on any other screen the program ends.
void SceneEscape();
// A practice attempt has ended: "step N practice barrage B: captured, bonus
// X" (or failed) in the scene log; it counts as a game ended.
void ScenePracticeEnded(int barrage, bool captured, int32_t bonus);

// What the stage controller tells the scene: every stage change is written to
// the scene log and re-chooses the menu model; while a chapter's music loads,
// one frame of the loading picture (stage -3) is drawn and the kinds of draw of
// play are prepared.
void SceneStageChanged(int stage);
// A chapter moved on to a phase: "step N phase P (stage S)" in the scene log.
void ScenePhaseChanged(int stage, int phase);
// Play paused or resumed: "step N paused (frame F)" or "... resumed ...".
void ScenePauseChanged(bool paused);
void SceneLoadingFrame();
// F11: the snapshot sound at once; the picture is taken with the next frame
// drawn, and then its file's name shows for two seconds in the lower right
// corner (drawn after the picture was taken, so never in a snapshot).
void SceneSnapshot();
// The note the last frame drawn showed after a snapshot (the file's name on
// three lines: "snapshot/", its time stamp, the rest), "" when it showed none.
std::string SceneSnapshotNote();

// Connects the world reset's hooks and starts "log/scene.txt", where every
// stage change is written with its step ("step 2160 stage -2").
void InitScene();
// The main loop has ended: "step N end of run: peak resident K KiB" in the
// scene log, the memory the whole run held (after its last, unfinished game).
void SceneRunEnded();
// Channel 0 comes from the script instead of the devices (null: the devices);
// while a replay plays, the script is the viewer's live input on channel 1.
void SetSceneInputScript(const CInputScript* script);
// Channel 0 comes from the pilot (null: the script or the devices).
void SetSceneAutopilot(CAutopilot* pilot);
// While a replay plays: the viewer's live input into channel 1, from the
// script or the devices.
void PollViewerInput();
// Games that have ended (by their last miss or their last chapter) in this run.
int GetGamesEnded();
// The step being run (SceneInput counts them).
int64_t GetSceneStep();
// The frame of the main loop being run: the steps and the frames paused.
int64_t GetSceneFrame();

// The stage controller that holds the scene (stage number).
CStageControler& SceneControler();
int GetSceneStage();
void SetSceneStage(int stage);

// Milliseconds of the steady clock (the game's start time, play time).
uint32_t SceneClockMs();
