// The two calls of every step: SceneFrame steps and draws the current scene and
// presents it; SceneInput reads the frame's input, runs the menus, starts games
// and replays and hands the input to the craft. The scene is the stage number of
// g_StageControler.
#pragma once

#include <cstdint>
#include <string>

class CObject;
class CInputScript;
class CStageControler;

// A menu's selection with wrapping moves.
struct MenuCursor {
    int32_t m_nIndex = 0;
    int32_t m_nCount = 0;
    void Next()
    {
        if (m_nCount == 0) return;
        if (++m_nIndex == m_nCount) m_nIndex = 0;
    }
    void Prev()
    {
        if (m_nCount == 0) return;
        if (--m_nIndex < 0) m_nIndex = m_nCount - 1;
    }
};

extern MenuCursor g_MainMenuCursor;  // 4 items, stage -2
extern MenuCursor g_ChapterCursor;   // 2 items, stage -8
extern MenuCursor g_SaveSlotCursor;  // 10 items, stage -5
extern MenuCursor g_LoadSlotCursor;  // 10 items, stage -4

// Milliseconds of the steady clock when the current game started.
extern uint32_t g_dwGameStartTime;
// The replay's free camera is on.
extern bool g_bFreeCamera;

// Steps and draws everything of the current scene and presents the picture.
void SceneFrame();
// Reads input and runs the scene's transitions.
void SceneInput();

// The end of a game (the craft's Kill after its last miss, or the end of the
// last chapter): a live game is written as the temporary replay with its score
// and the records of the barrages are saved, then the save list opens; a
// watched replay returns to the replay list.
void EndGame(int32_t score);

// Escape in play: the game is abandoned (its recording discarded, a watched
// replay stopped) for the given stage (the window gives the main menu).
void SceneEscapeToMenu(int stage);

// Connects the stage controller's and the world reset's hooks and starts
// "log/scene.txt", where every stage change is written with its step
// ("step 2160 stage -2").
void InitScene();
// Channel 0 comes from the script instead of the devices (null: the devices).
void SetSceneInputScript(const CInputScript* script);
// The step being run (SceneInput counts them).
int64_t GetSceneStep();

// What the stage controller tells the scene: every stage change is written to
// the scene log and re-chooses the menu model; while a chapter's music loads,
// one frame of the loading picture (stage -3) is drawn.
void SceneStageChanged(int stage);
void SceneLoadingFrame();
// F11: the snapshot sound, then the device's snapshot.
void SceneSnapshot();

// The stage controller that holds the scene (stage number).
CStageControler& SceneControler();
int GetSceneStage();
void SetSceneStage(int stage);

// Milliseconds of the steady clock (the game's start time, play time).
uint32_t SceneClockMs();

// HUD figures: the gauge bar's width for a gauge of the maximum, and the width
// of the yellow bar counting its whole thirds (0, 39, 78 or 117).
int GaugeBarWidth(int gauge, int gaugeMax);
int GaugeThirdsWidth(int gauge);
int StockBarWidth(int stock);

// Texts of the menus.
std::string ReplaySlotText(int slot, const char* scoreName);
std::string ReplaySlotDetail(int chapter, int score);
// The screen-to-world placement of the menu cursor model.
void ScreenToWorld(float px, float py, float& wx, float& wy);
