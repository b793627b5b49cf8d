// Pausing play in the program's own process: a paused game runs no step and
// leaves the replay of a game never paused; the time paused is no play time;
// Escape still leaves; which keys, buttons and losses of focus pause; the
// paused picture and the held sound. Each frame of the main loop runs a step
// unless the game is paused, as the program's loop does.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/Menus.h"
#include "app/Pause.h"
#include "app/Scene.h"
#include "core/ObjectLists.h"
#include "game_fixture.h"
#include "scene_fixture.h"
#include "input/InputControler.h"
#include "input/InputScript.h"
#include "persist/Replay.h"
#include "platform/Controller.h"
#include "platform/Window.h"
#include "stage/CustomStageControler.h"
#include "tests/support/TempHome.h"

namespace {

// Frames of the main loop, as the program runs them.
void RunFrames(int n)
{
    for (int i = 0; i < n; ++i)
        if (!ScenePausedFrame()) SceneInput();
}

std::string Field(const CInputRecord& r)
{
    return std::to_string(r.m_fX) + "," + std::to_string(r.m_fY) + "," + std::to_string(r.m_bAttack0) +
           std::to_string(r.m_bAttack1) + std::to_string(r.m_bBlade);
}

// The scene alone, on a script from the main menu.
class PauseTest : public CSceneOnly {
protected:
    void TearDown() override
    {
        SetPauseOnFocusLoss(false);
        CSceneOnly::TearDown();
    }

    // The script's frames from the main menu's first item (a full run), and
    // what the game recorded.
    std::vector<std::string> Play(const std::string& text, int frames)
    {
        EndScenePause();
        UseScript(text);
        g_StageControler.SetStage(CStageControler::STAGE_MAIN_MENU);
        g_MainMenuCursor.m_nIndex = 0;
        RunFrames(frames);
        std::vector<std::string> records;
        for (size_t i = 0; i < g_Replay.GetRecordCount(); ++i) records.push_back(Field(g_Replay.GetRecord(i)));
        return records;
    }

    CTempHome m_Home{"mz-pause"};
};

}  // namespace

TEST_F(PauseTest, APausedGameRunsNoStepAndLeavesTheReplayOfOneNeverPaused)
{
    const std::vector<std::string> straight = Play("1 attack0\n"
                                                   "3-4 x=0.5 blade\n"
                                                   "6-9 y=-1 attack1\n"
                                                   "12 x=1\n",
                                                   16);
    ASSERT_EQ(straight.size(), 14u);  // steps 2 ... 15
    EXPECT_EQ(GetSceneStep(), 16);

    // The same input, paused from frame 7 to frame 12 in the middle of a held
    // push: the later frames move on by the five frames paused. (The pause
    // lines come first, so that the held input's lines win their frames.)
    const std::string paused = "7 pause\n"
                               "12 pause\n"
                               "1 attack0\n"
                               "3-4 x=0.5 blade\n"
                               "6-14 y=-1 attack1\n"
                               "17 x=1\n";
    Play(paused, 8);
    EXPECT_TRUE(IsScenePaused());
    EXPECT_EQ(GetSceneStep(), 7);
    RunFrames(4);
    EXPECT_TRUE(IsScenePaused());
    EXPECT_EQ(GetSceneStep(), 7) << "no step while paused";
    EXPECT_EQ(g_Replay.GetRecordCount(), 5u) << "nothing recorded while paused";
    EXPECT_EQ(GetSceneFrame(), 12);
    const std::vector<std::string> records = Play(paused, 21);
    EXPECT_FALSE(IsScenePaused());
    EXPECT_EQ(GetSceneStep(), 16);
    EXPECT_EQ(GetSceneFrame(), 21);
    EXPECT_EQ(records, straight);
    const std::string log = m_Home.ReadFile("log/scene.txt");
    EXPECT_NE(log.find("step 7 paused (frame 7)\nstep 7 resumed (frame 12)\n"), std::string::npos) << log;
}

TEST_F(PauseTest, TimePausedIsNoPlayTimeAndEscapeStillLeaves)
{
    Play("1 attack0\n", 4);
    ASSERT_EQ(GetSceneStage(), CStageControler::STAGE_CHAPTER1);
    // The replay's play time counts from the game's start: a pause moves it on.
    const uint32_t start = g_dwGameStartTime;
    ToggleScenePause();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    ToggleScenePause();
    EXPECT_GE(g_dwGameStartTime - start, 60u);

    // Paused at frame 6, the script's Escape at frame 8 leaves for the main
    // menu; that frame runs no step either, and the menus run on.
    Play("6 pause\n1 attack0\n8 escape\n", 9);
    EXPECT_EQ(GetSceneStage(), CStageControler::STAGE_MAIN_MENU);
    EXPECT_FALSE(IsScenePaused());
    EXPECT_EQ(GetSceneStep(), 6);
    EXPECT_EQ(g_Replay.GetRecordCount(), 0u) << "the abandoned game's recording is gone";
    RunFrames(2);
    EXPECT_EQ(GetSceneStep(), 8);

    // Outside play there is nothing to pause.
    Play("0 pause\n2 pause\n", 3);
    EXPECT_FALSE(IsScenePaused());
    EXPECT_EQ(GetSceneStep(), 3);
}

TEST_F(PauseTest, WhichKeysButtonsAndLossesOfFocusPause)
{
    SWindowEvent pauseKey, p, pRepeat, start, buttonA, focus;
    pauseKey.type = p.type = pRepeat.type = EWindowEvent::KeyDown;
    pauseKey.key = EWindowKey::Pause;
    p.key = pRepeat.key = EWindowKey::P;
    pRepeat.repeat = true;
    start.type = buttonA.type = EWindowEvent::PadButtonDown;
    start.button = PAD_BUTTON_START;
    buttonA.button = 0;
    focus.type = EWindowEvent::FocusLost;

    struct SCase {
        const char* what;
        SWindowEvent event;
        const char* ini;     // korvo.ini
        int stage;
        bool replay;         // a replay is watched
        bool focusPausing;   // a person plays at the window
        bool paused;
    };
    const SCase cases[] = {
        {"the Pause key", pauseKey, "", 0, false, false, true},
        {"the Pause key, bound", pauseKey, "attack0key,197\n", 0, false, false, true},
        {"the Pause key in the main menu", pauseKey, "", -2, false, false, false},
        {"P", p, "", 1, false, false, true},
        {"P in a watched replay", p, "", 0, true, false, true},
        {"P held (a repeat)", pRepeat, "", 0, false, false, false},
        {"P bound to an action", p, "attack0key,25\n", 0, false, false, false},
        {"Start, bound to dash as by default", start, "", 0, false, false, false},
        {"Start, dash elsewhere", start, "dash,6\n", 0, false, false, true},
        {"another button", buttonA, "dash,6\n", 0, false, false, false},
        {"focus lost", focus, "", 0, false, true, true},
        {"focus lost, nobody at the window", focus, "", 0, false, false, false},
        {"focus lost in a watched replay", focus, "", 0, true, true, false},
        {"focus lost in the main menu", focus, "", -2, false, true, false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        m_Home.WriteFile("korvo.ini", c.ini);
        delete g_pInput;
        g_pInput = new CInputControler(static_cast<CInputDriver*>(nullptr), true, true);
        g_StageControler.m_nStage = c.stage;  // the scene alone, without its set-up
        g_bReplayPlaying = c.replay;
        SetPauseOnFocusLoss(c.focusPausing);
        ScenePauseEvent(c.event);
        EXPECT_EQ(IsScenePaused(), c.paused);
        // The same key again resumes (focus coming back does not).
        if (c.paused && c.event.type != EWindowEvent::FocusLost) {
            ScenePauseEvent(c.event);
            EXPECT_FALSE(IsScenePaused());
        }
        EndScenePause();
    }
}

namespace {

class PausedGame : public CInProcessGame {
protected:
    static int MeanBrightness(const std::vector<uint32_t>& px, int x0, int y0, int x1, int y1)
    {
        long long sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) sum += Brightness(At(px, x, y));
        return static_cast<int>(sum / ((x1 - x0) * (y1 - y0)));
    }
};

bool Silent(const std::vector<int16_t>& samples)
{
    for (int16_t s : samples)
        if (s != 0) return false;
    return true;
}

}  // namespace

// The last picture stays, dimmed, under the panel, however often it is shown
// again; the music holds; after the pause the game draws and sounds as before.
TEST_F(PausedGame, ThePictureStaysDimmedUnderThePanelAndTheMusicHolds)
{
    StartTestGame(CStageControler::STAGE_CHAPTER1, CStageControler::PHASE_INTRO);
    for (int i = 0; i < 120; ++i) Step();
    std::vector<int16_t> sound(2 * 2048);
    g_pSoundDevice->Render(sound.data(), 2048);
    ASSERT_FALSE(Silent(sound)) << "the chapter's music plays";
    const std::vector<uint32_t> before = Picture();
    // The play field left of the panel, and the HUD's right side.
    const int fieldBefore = MeanBrightness(before, 150, 20, 490, 170);
    ASSERT_GT(fieldBefore, 30);

    ToggleScenePause();
    ASSERT_TRUE(IsScenePaused());
    const std::vector<uint32_t> paused = Picture();
    const int fieldPaused = MeanBrightness(paused, 150, 20, 490, 170);
    EXPECT_NEAR(fieldPaused, fieldBefore / 2, fieldBefore / 10 + 2);
    // "PAUSED" and the lines under it in white on the panel.
    int white = 0;
    for (int y = 180; y < 292; ++y)
        for (int x = 160; x < 480; ++x) white += Brightness(At(paused, x, y)) > 600;
    EXPECT_GT(white, 200);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(ScenePausedFrame());
        g_pSoundDevice->Render(sound.data(), 2048);
        EXPECT_TRUE(Silent(sound)) << "held while paused";
    }
    EXPECT_EQ(Picture(), paused) << "shown again, not dimmed again";
    std::vector<uint32_t> shown;
    ASSERT_TRUE(g_pDevice->GetRenderer()->ReadPresented(shown));
    EXPECT_EQ(shown, paused);

    ToggleScenePause();
    EXPECT_FALSE(ScenePausedFrame());
    Step();
    g_pSoundDevice->Render(sound.data(), 2048);
    EXPECT_FALSE(Silent(sound));
    const int fieldAfter = MeanBrightness(Picture(), 150, 20, 490, 170);
    EXPECT_GT(fieldAfter, fieldBefore * 3 / 4);
}
