// The viewer of a watched replay in this process, drawn with OpenGL: the bar
// goes over the screen only, never into the picture a video or a snapshot
// takes, and H hides it; a step whose picture nobody sees leaves the last
// picture untouched; the speed keys count only while a replay plays.
#include "game_fixture.h"

#include <filesystem>

#include "app/Viewer.h"
#include "persist/Replay.h"
#include "platform/Window.h"

namespace {

const std::string kFullRun = std::string(MZ_SOURCE_DIR) + "/tests/fixtures/replays/full-run.dat";

class Viewer : public CInProcessGame {
protected:
    void TearDown() override
    {
        SetScenePictureHook(nullptr);
        Key(EWindowKey::Digit1);
        CInProcessGame::TearDown();
    }

    static void Key(EWindowKey key, EWindowEvent type = EWindowEvent::KeyDown)
    {
        SWindowEvent e;
        e.type = type;
        e.key = key;
        ViewerWindowEvent(e);
    }

    // Pixels that differ between two pictures inside a box.
    static int Different(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int x0, int y0, int x1,
                         int y1)
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += a[static_cast<size_t>(y) * 640 + x] != b[static_cast<size_t>(y) * 640 + x];
        return n;
    }
};

}  // namespace

TEST_F(Viewer, TheBarShowsOnScreenOnlyAndHHidesIt)
{
    ASSERT_TRUE(g_Replay.Load(kFullRun)) << g_Replay.GetLoadFault();
    std::vector<uint32_t> taken;
    SetScenePictureHook([&] { g_pDevice->GetRenderer()->ReadBackBuffer(taken); });
    StartReplay(g_Replay.GetHeader().m_nChapter);
    ASSERT_TRUE(IsWatchingReplay());
    for (int i = 0; i < 200; ++i) Step();
    std::vector<uint32_t> shown = Picture();
    ASSERT_EQ(taken.size(), shown.size());
    // The bar and its line of text over the bottom of the play field; nothing
    // else differs.
    EXPECT_GT(Different(taken, shown, 140, 440, 500, 480), 300);
    EXPECT_EQ(Different(taken, shown, 0, 0, 640, 440), 0);
    EXPECT_EQ(Different(taken, shown, 0, 440, 140, 480), 0);

    Key(EWindowKey::H);
    Step();
    EXPECT_EQ(Picture(), taken);
    Key(EWindowKey::H);
    Step();
    EXPECT_NE(Picture(), taken);
}

TEST_F(Viewer, AStepNobodySeesLeavesThePictureAndSpeedsCountOnlyWhileWatching)
{
    // In the menus a speed key changes nothing there is to see.
    Key(EWindowKey::Digit4);
    EXPECT_EQ(ViewerStepsPerFrame(), 1);

    ASSERT_TRUE(g_Replay.Load(kFullRun)) << g_Replay.GetLoadFault();
    StartReplay(g_Replay.GetHeader().m_nChapter);
    for (int i = 0; i < 120; ++i) Step();
    EXPECT_EQ(ViewerStepsPerFrame(), 8);
    Key(EWindowKey::Digit2);
    EXPECT_EQ(ViewerStepsPerFrame(), 2);
    // The held fast key gives x4 while held, then the chosen speed again.
    Key(EWindowKey::F);
    EXPECT_EQ(ViewerStepsPerFrame(), 4);
    Key(EWindowKey::F, EWindowEvent::KeyUp);
    EXPECT_EQ(ViewerStepsPerFrame(), 2);
    EXPECT_EQ(GetViewerSpeed(), 2);

    const std::vector<uint32_t> before = Picture();
    const int64_t step = WatchedStep();
    SceneUnseenStep(false);
    EXPECT_EQ(WatchedStep(), step + 1);
    EXPECT_EQ(Picture(), before);
    SceneUnseenStep(true);
    EXPECT_NE(Picture(), before);
}
