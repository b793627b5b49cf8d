// The game shell's rules that need no window: menu cursors, the input script,
// the HUD bar widths, the replay list texts, the model quality choice, the menu
// model choice and the timed stage changes of the title loop and main menu.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/Menus.h"
#include "app/Play.h"
#include "app/Scene.h"
#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "input/InputScript.h"
#include "stage/CustomStageControler.h"

namespace {

TEST(MenuCursorTest, WrapsBothWaysAndIgnoresAnEmptyMenu)
{
    struct SCase {
        int count, index;
        bool next;
        int expected;
    };
    const SCase cases[] = {
        {4, 0, false, 3}, {4, 3, true, 0}, {4, 1, true, 2}, {4, 2, false, 1},
        {10, 9, true, 0}, {10, 0, false, 9}, {1, 0, true, 0}, {1, 0, false, 0},
        {0, 0, true, 0}, {0, 0, false, 0},
    };
    for (const SCase& c : cases) {
        MenuCursor m{c.index, c.count};
        if (c.next) m.Next();
        else m.Prev();
        EXPECT_EQ(m.m_nIndex, c.expected) << c.count << " items, from " << c.index << (c.next ? " next" : " prev");
    }
}

TEST(InputScriptTest, SpansHoldButtonsAndAxesAndTheLaterLineWins)
{
    CInputScript s;
    std::string error;
    ASSERT_TRUE(s.LoadText("# a comment\n"
                           "10-20 attack0 x=-1   # held\n"
                           "\n"
                           "15 reload y=0.5\n"
                           "30 escape\n"
                           "35 pause\n"
                           "40-41 attack1 dash leftroll rightroll blade\n",
                           error))
        << error;
    EXPECT_TRUE(s.RecordAt(9).IsIdle());
    const CInputRecord a = s.RecordAt(10);
    EXPECT_EQ(a.m_bAttack0, 1);
    EXPECT_EQ(a.m_fX, -1.0f);
    EXPECT_TRUE(s.RecordAt(20).m_bAttack0);
    EXPECT_TRUE(s.RecordAt(21).IsIdle());
    // Step 15: only the later line.
    const CInputRecord b = s.RecordAt(15);
    EXPECT_EQ(b.m_bAttack0, 0);
    EXPECT_EQ(b.m_bReload, 1);
    EXPECT_EQ(b.m_fY, 0.5f);
    EXPECT_TRUE(s.EscapeAt(30));
    EXPECT_FALSE(s.EscapeAt(31));
    EXPECT_TRUE(s.RecordAt(30).IsIdle());
    // Pause, like Escape, is a key pressed at one frame, no button held.
    EXPECT_TRUE(s.PauseAt(35));
    EXPECT_FALSE(s.PauseAt(36));
    EXPECT_FALSE(s.PauseAt(30));
    EXPECT_FALSE(s.EscapeAt(35));
    EXPECT_TRUE(s.RecordAt(35).IsIdle());
    const CInputRecord c = s.RecordAt(41);
    EXPECT_TRUE(c.m_bAttack1 && c.m_bDash && c.m_bLeftRoll && c.m_bRightRoll && c.m_bBlade);
    EXPECT_EQ(s.LastStep(), 41);
}

TEST(InputScriptTest, ReplayControlsAreNamesOfTheirOwnAndNoPartOfARecord)
{
    CInputScript s;
    std::string error;
    ASSERT_TRUE(s.LoadText("10-20 fast\n"
                           "12 step speed8 attack0\n"
                           "15-16 speed2 seekback\n"
                           "16 seekfwd\n"
                           "18 speed1 speed4\n"
                           "30-31 step\n",
                           error))
        << error;
    const struct {
        int64_t frame;
        bool step, fast;
        int speed, seek;
    } kFrames[] = {
        // Held through its span, fast gives way like a button where a later
        // line names the frame.
        {9, false, false, 0, 0},  {10, false, true, 0, 0}, {12, true, false, 8, 0}, {13, false, true, 0, 0},
        {15, false, false, 2, -1}, {16, false, false, 0, 1}, {17, false, true, 0, 0}, {18, false, false, 4, 0},
        {20, false, true, 0, 0},  {21, false, false, 0, 0}, {30, true, false, 0, 0}, {31, false, false, 0, 0},
    };
    for (const auto& f : kFrames) {
        SCOPED_TRACE(f.frame);
        const SViewerCommands c = s.ViewerAt(f.frame);
        EXPECT_EQ(c.bStep, f.step);
        EXPECT_EQ(c.bFast, f.fast);
        EXPECT_EQ(c.nSpeed, f.speed);
        EXPECT_EQ(c.nSeek, f.seek);
    }
    // Only the button is part of the frame's record.
    EXPECT_EQ(s.RecordAt(12).m_bAttack0, 1);
    EXPECT_TRUE(s.RecordAt(10).IsIdle());
    EXPECT_TRUE(s.RecordAt(16).IsIdle());
    EXPECT_FALSE(s.LoadText("1 speed3\n", error));
    EXPECT_NE(error.find("speed8"), std::string::npos) << error;
}

TEST(InputScriptTest, MistakesNameTheLineAndLeaveTheScriptEmpty)
{
    const std::map<std::string, std::string> bad = {
        {"5 jump\n", "line 1"},
        {"1 attack0\n20-10 attack0\n", "line 2"},
        {"1 x=2\n", "line 1"},
        {"1 y=nan\n", "line 1"},
        {"-3 attack0\n", "line 1"},
        {"a-b\n", "line 1"},
        {"99999999999999999999999 attack0\n", "line 1"},
    };
    for (const auto& [text, where] : bad) {
        CInputScript s;
        std::string error;
        EXPECT_FALSE(s.LoadText(text, error)) << text;
        EXPECT_NE(error.find(where), std::string::npos) << text << ": " << error;
        EXPECT_EQ(s.LastStep(), -1) << text;
    }
    CInputScript s;
    std::string error;
    EXPECT_FALSE(s.LoadFile("/nonexistent/script.txt", error));
    EXPECT_NE(error.find("/nonexistent/script.txt"), std::string::npos);

    // What a mistake quotes reaches the terminal escaped, never as raw bytes.
    for (const std::string text : {"1 \x1B[2J\x1B]0;title\x07\n", "\x9B" "5m 1\n", "1 \xC2\x9B" "31m\n"}) {
        EXPECT_FALSE(s.LoadText(text, error));
        for (char c : error) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << error;
        EXPECT_EQ(error.find("\xC2\x9B"), std::string::npos) << error;
        EXPECT_EQ(error.find('\x9B'), std::string::npos) << error;
    }
}

TEST(HudTest, GaugeAndStockBars)
{
    struct SCase {
        int gauge, bar, thirds;
    };
    // The green bar is trunc(gauge / 10800 x 117); the yellow one counts whole thirds.
    const SCase cases[] = {
        {0, 0, 0},      {3599, 38, 0},   {3600, 39, 39},   {7199, 77, 39},
        {7200, 78, 78}, {10799, 116, 78}, {10800, 117, 117},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(GaugeBarWidth(c.gauge, 10800), c.bar) << c.gauge;
        EXPECT_EQ(GaugeThirdsWidth(c.gauge), c.thirds) << c.gauge;
    }
    EXPECT_EQ(GaugeBarWidth(100, 0), 0);
    EXPECT_EQ(StockBarWidth(0), 0);
    EXPECT_EQ(StockBarWidth(2), 26);
    EXPECT_EQ(StockBarWidth(9), 117);
}

TEST(MenuTextTest, ReplaySlotRowsAndCursorPlacement)
{
    EXPECT_EQ(ReplaySlotText(3, ""), "3 - 未登録");
    EXPECT_EQ(ReplaySlotText(0, "ace"), "0 - ace");
    EXPECT_EQ(ReplaySlotDetail(-1, 1234), "Chaptor. ALL / Score. 1234");
    EXPECT_EQ(ReplaySlotDetail(1, 99), "Chaptor. 2 / Score. 99");
    EXPECT_EQ(ReplaySlotDetail(0, 0), "Chaptor. 1 / Score. 0");
    // Stored fields are anyone's bytes: no overflow, no second line.
    EXPECT_EQ(ReplaySlotDetail(INT32_MAX, INT32_MIN), "Chaptor. 2147483648 / Score. -2147483648");
    EXPECT_EQ(ReplaySlotText(9, "ab\ncd\x1B[2J"), "9 - ab\\ncd\\x1B[2J");
    float x = 0, y = 0;
    ScreenToWorld(140.0f, 0.0f, x, y);
    EXPECT_FLOAT_EQ(x, -5.0f);
    EXPECT_FLOAT_EQ(y, 5.0f);
    ScreenToWorld(452.0f, 428.0f, x, y);
    EXPECT_FLOAT_EQ(x, 1.5f);
    EXPECT_NEAR(y, 5.0f - 428.0f / 48.0f, 1e-6);
}

TEST(AssetSetTest, ModelQualityLimits)
{
    // quality: craft (-4), stage (-3), raptor and option (-2), spare (-1), backgrounds (-5)
    struct SCase {
        int quality;
        bool craft, stage, raptor, spare, backgrounds;
    };
    const SCase cases[] = {
        {0, true, true, true, true, true},
        {-1, true, true, true, false, true},
        {-2, true, true, false, false, true},
        {-3, true, false, false, false, true},
        {-4, false, false, false, false, true},
        {-5, false, false, false, false, false},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(UsesFullModel(c.quality, -4), c.craft) << c.quality;
        EXPECT_EQ(UsesFullModel(c.quality, -3), c.stage) << c.quality;
        EXPECT_EQ(UsesFullModel(c.quality, -2), c.raptor) << c.quality;
        EXPECT_EQ(UsesFullModel(c.quality, -1), c.spare) << c.quality;
        EXPECT_EQ(UsesFullModel(c.quality, -5), c.backgrounds) << c.quality;
    }
}

TEST(AssetSetTest, MenuModelChoiceIsEvenAndUsesTheEffectGenerator)
{
    CreateMenuObjects();
    ASSERT_NE(g_pMenuModel, nullptr);
    // Without a device no model is loaded: tell the two choices apart by pointer.
    CModel* const a = reinterpret_cast<CModel*>(0x10);
    CModel* const b = reinterpret_cast<CModel*>(0x20);
    g_pMenuModelA = a;
    g_pMenuModelB = b;
    g_GameRand.Seed(7);
    const uint32_t before = static_cast<uint32_t>(g_GameRand.Integer(1000000));
    g_GameRand.Seed(7);
    int countA = 0;
    for (int i = 0; i < 2000; ++i) {
        ChooseMenuModel();
        if (g_pMenuModel->m_pModel == a) ++countA;
        else EXPECT_EQ(g_pMenuModel->m_pModel, b);
    }
    EXPECT_GT(countA, 900);  // about half
    EXPECT_LT(countA, 1100);
    EXPECT_EQ(static_cast<uint32_t>(g_GameRand.Integer(1000000)), before);  // the game's draws untouched
    g_pMenuModelA = g_pMenuModelB = nullptr;
    ReleaseMenuObjects();
}

class StageTimelineTest : public testing::Test {
protected:
    void TearDown() override
    {
        ClearWorld();
        g_StageControler.Shutdown();
    }
    // Steps the controller n times; returns the step at which the stage first
    // became `stage`, or -1.
    int StepUntil(int n, int stage)
    {
        for (int i = 0; i < n; ++i) {
            g_StageControler.Step();
            StepOverlayList();
            if (g_StageControler.m_nStage == stage) return i;
        }
        return -1;
    }
};

TEST_F(StageTimelineTest, TitleLoopAndMainMenuHandOverToEachOther)
{
    g_StageControler.SetStage(-6);
    // Frames 0 ... 2160 of the title: the main menu on the update of frame 2160.
    EXPECT_EQ(StepUntil(3000, -2), 2160);
    EXPECT_EQ(StepUntil(3000, -6), 900);
    // The title pictures of the loop are on the overlay list while it runs.
    g_StageControler.Step();
    EXPECT_EQ(g_OverlayList.Count(), 1);
}

TEST_F(StageTimelineTest, WorldResetAndTheBarrageIndex)
{
    g_nBarrageIndex = 12;
    g_StageControler.SetStage(-7);
    EXPECT_EQ(g_nBarrageIndex, -1);
    g_nBarrageIndex = 3;
    g_StageControler.SetStage(-3);  // loading picture: nothing reset
    EXPECT_EQ(g_nBarrageIndex, 3);
}

TEST_F(StageTimelineTest, ChapterSetupSeedsTheGameGenerator)
{
    g_GameRand.Seed(5);
    g_StageControler.SetStage(1);
    CRandom expected;
    expected.Seed(1024);
    EXPECT_EQ(g_GameRand.Integer(1000000), expected.Integer(1000000));
    EXPECT_EQ(g_StageControler.m_nStage, 1);
    EXPECT_EQ(g_StageControler.m_nPhase, 0);
    EXPECT_EQ(g_StageControler.m_nAge, -1);
}

}  // namespace
