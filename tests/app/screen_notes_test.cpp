// What the shell tells the player on the screen itself: the save list's line
// when the game's replay could not be written.
#include "game_fixture.h"

#include <filesystem>

#include "app/Menus.h"
#include "persist/Replay.h"
#include "stage/Fader.h"

namespace fs = std::filesystem;

namespace {

using ScreenNotes = CInProcessGame;

// Pixels that differ (colour only) inside the rectangle.
int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if ((a[static_cast<size_t>(y) * 640 + x] ^ b[static_cast<size_t>(y) * 640 + x]) & 0xFFFFFF) ++n;
    return n;
}

TEST_F(ScreenNotes, TheSaveListSaysWhenTheReplayWasNotWritten)
{
    // The temporary replay's name is taken by a folder that is not empty.
    fs::create_directories(m_Home.Path() / "replay" / "_tmp.dat" / "x");
    SetSceneStage(CStageControler::STAGE_SAVE_LIST);
    g_pFader->Off();
    for (int i = 0; i < 10; ++i) Step();
    const std::vector<uint32_t> quiet = Picture();
    CReplay r;
    r.Record(CInputRecord{});
    HoldGameReplay(r.Encode(-1, "tester", 1, 0));
    ASSERT_NE(SaveListNote(), "");
    Step();
    const std::vector<uint32_t> said = Picture();
    // Two lines under the picture's help, in the warning colour, from the
    // help's left edge on; gone once the replay is let go.
    const auto warm = [&](int x0, int x1) {
        int n = 0;
        for (int y = 312; y < 344; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint32_t c = At(said, x, y);
                if (((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 100 && (c & 0xFF) < 140) ++n;
            }
        return n;
    };
    EXPECT_GT(warm(104, 440), 100);
    EXPECT_GT(warm(104, 140), 10) << "cut at the play field's edge";
    EXPECT_GT(Differing(said, quiet, 104, 312, 440, 344), 100);
    DropGameReplay();
    Step();
    EXPECT_EQ(Differing(Picture(), quiet, 104, 312, 440, 344), 0);
}

}  // namespace
