// SceneInput in the program's own process, without a window: the replay save
// list (keeping the last game in a slot, and the refusals that must leave the
// slot as it was), recording a live game and playing a replay back into
// channel 0. The input comes from a script, one SceneInput call per step.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/Game.h"
#include "app/Menus.h"
#include "app/Scene.h"
#include "core/ObjectLists.h"
#include "core/Util.h"
#include "input/InputControler.h"
#include "input/InputScript.h"
#include "persist/GlobalResult.h"
#include "persist/Replay.h"
#include "stage/CustomStageControler.h"
#include "stage/WorldEvents.h"
#include "scene_fixture.h"
#include "tests/support/HostileFiles.h"
#include "tests/support/TempHome.h"

namespace fs = std::filesystem;

namespace {

class SceneInputTest : public CSceneOnly {
protected:
    void SetUp() override
    {
        fs::create_directories(m_Dir + "replay");
        CSceneOnly::SetUp();
    }

    // Runs the first steps of the script (counted from 0 again).
    void Run(const std::string& text, int steps)
    {
        UseScript(text);
        for (int i = 0; i < steps; ++i) SceneInput();
    }

    std::string Read(const std::string& name) const
    {
        std::ifstream f(m_Dir + name, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }

    // A finished game's replay held for the save list (and written as the
    // temporary file), with the given score.
    void HoldReplay(int score)
    {
        CReplay r;
        r.Record(CInputRecord{});
        HoldGameReplay(r.Encode(-1, "tester", score, 0));
        ASSERT_EQ(SaveListNote(), "");
    }

    CTempHome m_Home{"mz-scene"};
    const std::string m_Dir = m_Home.Dir();
};

TEST_F(SceneInputTest, KeepingTheLastGameReplacesTheChosenSlot)
{
    HoldReplay(1);
    const std::string fresh = Read(kReplayTempFile);
    CReplay old;
    ASSERT_EQ(old.Save(ReplaySlotFile(2), 0, "older", 7, 0), 0);
    g_StageControler.SetStage(-5);
    g_SaveSlotCursor.m_nIndex = 0;
    // Two pushes down to slot 2, then attack0.
    Run("1 y=-1\n3 y=-1\n5 attack0\n", 6);
    EXPECT_EQ(g_SaveSlotCursor.m_nIndex, 2);
    EXPECT_EQ(GetSceneStage(), -2);
    EXPECT_EQ(Read(ReplaySlotFile(2)), fresh);
    EXPECT_FALSE(fs::exists(m_Dir + kReplayTempFile));
    EXPECT_FALSE(g_FinishedReplay.IsHeld());
}

TEST_F(SceneInputTest, WithoutAFinishedGameOrWhenTheMoveFailsTheSlotKeepsItsReplay)
{
    CReplay old;
    ASSERT_EQ(old.Save(ReplaySlotFile(4), 0, "older", 7, 0), 0);
    const std::string kept = Read(ReplaySlotFile(4));
    g_StageControler.SetStage(-5);
    g_SaveSlotCursor.m_nIndex = 4;
    Run("1 attack0\n", 2);
    // Refused: the list stays and slot 4 is untouched.
    EXPECT_EQ(GetSceneStage(), -5);
    EXPECT_EQ(Read(ReplaySlotFile(4)), kept);

    // A slot name taken by a folder that is not empty: the save fails, the
    // finished game stays held and in the temporary file.
    HoldReplay(2);
    fs::create_directories(m_Dir + ReplaySlotFile(5) + "/x");
    g_SaveSlotCursor.m_nIndex = 5;
    Run("1 attack0\n", 2);
    EXPECT_EQ(GetSceneStage(), -5);
    EXPECT_TRUE(g_FinishedReplay.IsHeld());
    EXPECT_TRUE(fs::exists(m_Dir + kReplayTempFile));

    // Reload held leaves the list without keeping anything.
    Run("0-5 reload\n", 1);
    EXPECT_EQ(GetSceneStage(), -2);
    EXPECT_FALSE(g_FinishedReplay.IsHeld());
    EXPECT_EQ(SaveListNote(), "");
    EXPECT_TRUE(fs::exists(m_Dir + kReplayTempFile));
}

// A full disk at a game's end: the save list and the warnings say that the
// replay was not written, a save into a slot fails whole (said too, the
// slot's old replay untouched) and, once there is room, saves the game after
// all, from memory.
TEST_F(SceneInputTest, AReplayTheDiskCannotTakeIsSaidAndSavedOnceThereIsRoom)
{
    std::vector<std::string> warnings;
    CaptureFileWarnings capture(&warnings);
    const auto warned = [&](const std::string& text) {
        for (const std::string& w : warnings)
            if (w == text) return true;
        return false;
    };
    CReplay old;
    ASSERT_EQ(old.Save(ReplaySlotFile(2), 0, "older", 7, 0), 0);
    const std::string kept = Read(ReplaySlotFile(2));
    const std::string tooLarge = std::strerror(EFBIG);

    // A game of 1200 steps that move: some 19 KB of replay.
    g_StageControler.SetStage(-2);
    g_MainMenuCursor.m_nIndex = 0;
    Run("1 attack0\n2-1201 x=0.5\n", 1202);
    ASSERT_EQ(GetSceneStage(), 0);
    {
        FileSizeLimit full(8192);
        ASSERT_TRUE(full.Ok());
        EndGame(4321);
        EXPECT_EQ(GetSceneStage(), -5);
        EXPECT_FALSE(fs::exists(m_Dir + kReplayTempFile));
        EXPECT_EQ(SaveListNote(),
                  "Replay not written (" + tooLarge + ").\nIt is kept until you leave: choose a slot to try again.");
        EXPECT_TRUE(warned("\"" + m_Dir + kReplayTempFile + "\" cannot be written: " + tooLarge +
                           "; the game's replay is kept in memory until the save list is left"))
            << testing::PrintToString(warnings);

        g_SaveSlotCursor.m_nIndex = 2;
        Run("1 attack0\n", 2);
        EXPECT_EQ(GetSceneStage(), -5);
        EXPECT_EQ(Read(ReplaySlotFile(2)), kept);
        EXPECT_EQ(SaveListNote(), "Slot 2 not saved (" + tooLarge + ").\nIts old replay stays; choose a slot to try again.");
        EXPECT_TRUE(warned("\"" + m_Dir + ReplaySlotFile(2) + "\" cannot be written: " + tooLarge +
                           "; the slot keeps its old replay"))
            << testing::PrintToString(warnings);
    }
    Run("1 attack0\n", 2);
    EXPECT_EQ(GetSceneStage(), -2);
    EXPECT_EQ(SaveListNote(), "");
    CReplay saved;
    ASSERT_TRUE(saved.Load(ReplaySlotFile(2)));
    EXPECT_EQ(saved.GetHeader().m_nScore, 4321);
    EXPECT_EQ(saved.GetRecordCount(), 1200u);
    EXPECT_EQ(saved.GetRecord(1199).m_fX, 0.5f);
    EXPECT_EQ(saved.GetTrailerState(), EReplayTrailer::Intact);
}

TEST_F(SceneInputTest, ALiveGameIsRecordedAndAReplayPlaysBackIntoChannelZero)
{
    // Main menu item 0: a full run. Every step of play is recorded, menu steps
    // are not.
    g_StageControler.SetStage(-2);
    g_MainMenuCursor.m_nIndex = 0;
    const int before = g_GlobalResult.GetPlayCount();
    Run("1 attack0\n"
        "3-4 x=0.5 blade\n"
        "6 y=-1 attack1\n",
        8);
    EXPECT_EQ(GetSceneStage(), 0);
    EXPECT_FALSE(g_bReplayPlaying);
    EXPECT_EQ(g_nChapterSelection, -1);
    EXPECT_EQ(g_GlobalResult.GetPlayCount(), before + 1);
    ASSERT_EQ(g_Replay.GetRecordCount(), 6u);  // steps 2 ... 7
    EXPECT_TRUE(g_Replay.GetRecord(0).IsIdle());
    EXPECT_EQ(g_Replay.GetRecord(1).m_fX, 0.5f);
    EXPECT_EQ(g_Replay.GetRecord(2).m_bBlade, 1);
    EXPECT_EQ(g_Replay.GetRecord(4).m_fY, -1.0f);
    EXPECT_EQ(g_Replay.GetRecord(4).m_bAttack1, 1);
    ASSERT_EQ(g_Replay.Save(ReplaySlotFile(6), g_nChapterSelection, "tester", 10, 0), 0);

    // Watching it: chosen on the replay list, the recorded input drives channel
    // 0 whatever the script says; past its end the frames are idle.
    SceneEscapeToMenu(-2);
    g_StageControler.SetStage(-4);
    g_LoadSlotCursor.m_nIndex = 6;
    Run("1 attack0\n2-20 x=-1 reload\n", 2);
    EXPECT_EQ(GetSceneStage(), 0);
    EXPECT_TRUE(g_bReplayPlaying);
    EXPECT_EQ(g_GlobalResult.GetPlayCount(), before + 1);  // watching is not playing
    float xs[8];
    for (float& x : xs) {
        SceneInput();
        x = g_pInput->GetCurrent(0).m_fX;
        EXPECT_EQ(g_pInput->GetCurrent(0).m_bReload, 0);
    }
    EXPECT_EQ(xs[0], 0.0f);
    EXPECT_EQ(xs[1], 0.5f);
    EXPECT_EQ(xs[2], 0.5f);
    for (int i = 3; i < 8; ++i) EXPECT_EQ(xs[i], 0.0f) << i;
    // Escape ends the watching.
    SceneEscapeToMenu(-2);
    EXPECT_FALSE(g_bReplayPlaying);
    EXPECT_EQ(GetSceneStage(), -2);
}

TEST_F(SceneInputTest, TheEndOfAGameWritesTheReplayAndOpensTheSaveList)
{
    g_StageControler.SetStage(-2);
    g_MainMenuCursor.m_nIndex = 0;
    Run("1 attack0\n3 x=1\n", 5);
    ASSERT_EQ(GetSceneStage(), 0);
    // As the world tells it (the craft's last miss, the last chapter's end).
    ASSERT_NE(g_pWorldEvents, nullptr);
    g_pWorldEvents->GameEnded(4321);
    EXPECT_EQ(GetSceneStage(), -5);
    CReplay r;
    ASSERT_TRUE(r.Load(kReplayTempFile));
    EXPECT_EQ(r.GetHeader().m_nScore, 4321);
    EXPECT_EQ(r.GetHeader().m_nChapter, -1);
    EXPECT_EQ(r.GetRecordCount(), 3u);
    EXPECT_EQ(r.GetRecord(1).m_fX, 1.0f);
    EXPECT_TRUE(fs::exists(m_Dir + "critical.ini"));  // the barrage records

    // A watched replay ends on the replay list and writes nothing.
    fs::remove(m_Dir + kReplayTempFile);
    g_bReplayPlaying = true;
    g_StageControler.SetStage(0);
    EndGame(5);
    EXPECT_EQ(GetSceneStage(), -4);
    EXPECT_FALSE(fs::exists(m_Dir + kReplayTempFile));

    // A test game opens the save list with no replay, not even an older one.
    std::ofstream(m_Dir + kReplayTempFile, std::ios::binary) << "an older game";
    g_bReplayPlaying = false;
    g_bUnrecorded = true;
    g_StageControler.SetStage(0);
    EndGame(5);
    g_bUnrecorded = false;
    EXPECT_EQ(GetSceneStage(), -5);
    EXPECT_FALSE(fs::exists(m_Dir + kReplayTempFile));
}

TEST_F(SceneInputTest, ADamagedReplayIsRefusedAndTheListStays)
{
    std::ofstream(m_Dir + ReplaySlotFile(1), std::ios::binary) << "not a replay";
    g_StageControler.SetStage(-4);
    g_LoadSlotCursor.m_nIndex = 1;
    Run("1 attack0\n", 2);
    EXPECT_EQ(GetSceneStage(), -4);
    EXPECT_FALSE(g_bReplayPlaying);
    g_LoadSlotCursor.m_nIndex = 3;  // no file at all
    Run("1 attack0\n", 2);
    EXPECT_EQ(GetSceneStage(), -4);
    // A checked replay of a chapter the game does not have.
    CReplay r;
    r.Record(CInputRecord{});
    ASSERT_EQ(r.Save(ReplaySlotFile(5), 2, "tester", 1, 0), 0);
    g_LoadSlotCursor.m_nIndex = 5;
    Run("1 attack0\n", 2);
    EXPECT_EQ(GetSceneStage(), -4);
    EXPECT_FALSE(g_bReplayPlaying);
}

}  // namespace
