// What the shell tells the player on the screen itself: the name of a snapshot
// just written (never drawn into the snapshot), and the save list's line when
// the game's replay could not be written.
#include "game_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "app/Menus.h"
#include "persist/Replay.h"
#include "stage/Fader.h"

namespace fs = std::filesystem;

namespace {

using ScreenNotes = CInProcessGame;

// The lower right corner where the snapshot's note goes, a little beyond it:
// right of the play field (x 140 ... 500).
constexpr int kCornerX0 = 500, kCornerY0 = 428, kCornerX1 = 640, kCornerY1 = 480;

// A 24-bit snapshot as 0xRRGGBB per pixel, top row first.
std::vector<uint32_t> ReadBmp(const fs::path& file)
{
    std::ifstream f(file, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<uint32_t> px;
    if (b.size() != 54u + 640u * 480u * 3u) return px;
    px.resize(640u * 480u);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const size_t at = 54 + (static_cast<size_t>(479 - y) * 640 + x) * 3;
            px[static_cast<size_t>(y) * 640 + x] = static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
                                                   static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
                                                   static_cast<uint8_t>(b[at]);
        }
    return px;
}

// Pixels that differ (colour only) inside, or outside, the rectangle.
int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int x0, int y0, int x1, int y1,
              bool inside = true)
{
    int n = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
            if (in == inside && ((a[static_cast<size_t>(y) * 640 + x] ^ b[static_cast<size_t>(y) * 640 + x]) & 0xFFFFFF))
                ++n;
        }
    return n;
}

int DifferingInCorner(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    return Differing(a, b, kCornerX0, kCornerY0, kCornerX1, kCornerY1);
}

std::vector<fs::path> Snapshots(const CTempHome& home)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(home.Path() / "snapshot", ec)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The note naming a snapshot file: its folder, its time stamp, the rest.
std::string Note(const fs::path& file)
{
    std::smatch m;
    const std::string name = file.filename().string();
    if (!std::regex_match(name, m, std::regex("([0-9]{14})((-[0-9]+)?\\.bmp)"))) return "no snapshot name: " + name;
    return "snapshot/\n" + m[1].str() + "\n" + m[2].str();
}

TEST_F(ScreenNotes, ASnapshotIsNamedForTwoSecondsButNeverShowsTheNote)
{
    // The main menu, settled: its lower right corner stays the same.
    SetSceneStage(CStageControler::STAGE_MAIN_MENU);
    for (int i = 0; i < 90; ++i) Step();
    const std::vector<uint32_t> plain = Picture();
    Step();
    ASSERT_EQ(DifferingInCorner(Picture(), plain), 0);

    SceneSnapshot();
    Step();
    const std::vector<uint32_t> shown = Picture();
    const std::vector<fs::path> files = Snapshots(m_Home);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(SceneSnapshotNote(), Note(files[0]));
    // The file is the frame that shows the note, without the note; the note
    // is drawn in the corner alone.
    const std::vector<uint32_t> first = ReadBmp(files[0]);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(Differing(first, shown, kCornerX0, kCornerY0, kCornerX1, kCornerY1, false), 0);
    EXPECT_EQ(DifferingInCorner(first, plain), 0);
    EXPECT_GT(DifferingInCorner(shown, plain), 200);

    // A second snapshot while the note shows: that picture has no note either.
    for (int i = 0; i < 60; ++i) Step();
    EXPECT_GT(DifferingInCorner(Picture(), plain), 200);
    SceneSnapshot();
    Step();
    std::vector<fs::path> now = Snapshots(m_Home);
    std::erase(now, files[0]);
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(DifferingInCorner(ReadBmp(now[0]), plain), 0);
    EXPECT_EQ(SceneSnapshotNote(), Note(now[0]));

    // 120 frames with the note in all, then the corner as it was.
    for (int i = 0; i < 119; ++i) Step();
    EXPECT_GT(DifferingInCorner(Picture(), plain), 200);
    Step();
    EXPECT_EQ(DifferingInCorner(Picture(), plain), 0);
    EXPECT_EQ(SceneSnapshotNote(), "");
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
