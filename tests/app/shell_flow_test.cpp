// The scene flow of the real program, driven by --input-script in a temporary
// program folder: title loop, menus, replay list, a chapter start, and what is
// left in the files afterwards. Stage changes are read from "log/scene.txt";
// pictures are checked at the few places where a position is fixed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/Util.h"
#include "game_home.h"
#include "platform/ResourceImage.h"
#include "sound/SoundSystem.h"

namespace fs = std::filesystem;

namespace {

// A replay file exactly as the format describes it, byte by byte.
std::string ReplayBytes(const char* name, int32_t chapter, int32_t score, int32_t playTime, uint32_t records,
                        int32_t checkedScore)
{
    std::string out(72, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put32(0, 6);
    std::memcpy(&out[4], name, std::strlen(name));
    const std::string check = Md5Hex(std::to_string(checkedScore) + std::to_string(playTime) +
                                     std::to_string(records) + "6");
    std::memcpy(&out[21], check.data(), 32);
    put32(56, static_cast<uint32_t>(chapter));
    put32(60, static_cast<uint32_t>(score));
    put32(64, static_cast<uint32_t>(playTime));
    put32(68, records);
    out.append(records, '\0');  // idle frames
    return out;
}

TEST(SceneFlow, TitleLoopAndMainMenuTimeOutAndAnyPressOpensTheMenu)
{
    CGameHome home;
    ASSERT_EQ(home.Run("", 3100), 0) << home.Err();
    // The title's frame 2160 opens the main menu; 900 frames there bring the
    // title back (counted from the menu's frame 0, one step after it opened).
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 2160:-2 3061:-6");

    ASSERT_EQ(home.Run("100 blade\n200 reload\n", 400), 0) << home.Err();
    // blade is no menu button; reload is a fresh press on the title.
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 200:-2");
    ASSERT_EQ(home.Run("50 attack0\n", 100), 0) << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 50:-2");
}

TEST(SceneFlow, MenusWrapMoveOncePerPushAndTellHeldFromPressed)
{
    CGameHome home;
    const std::string script =
        "10 attack0          # title -> main menu, item 0\n"
        "20-40 y=1           # one push up, held: wraps to item 3 only\n"
        "50 attack0          # item 3: records list\n"
        "90-95 reload        # a fresh press leaves it; still held on the main menu\n"
        "100-110 y=-1        # down from item 3 wraps to item 0\n"
        "120 y=-1            # item 1\n"
        "130 attack0         # chapter menu\n"
        "140 y=-1            # only chapter 1 is reached: stays\n"
        "150 y=1\n"
        "160-260 reload      # held: leaves the chapter menu at once, not the main menu\n"
        "300 escape\n";
    ASSERT_EQ(home.Run(script, 1000), 0) << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 10:-2 50:-7 90:-2 130:-8 160:-2");
    // Escape at 300 ended the program (the 1000 frames were not run): the
    // records were written, every key sorted, the other program's key kept.
    const std::string records = ReadText(home.path / "critical.ini");
    EXPECT_NE(records.find("zz.other,kept\n"), std::string::npos);
    EXPECT_NE(records.find("scorename,tester\n"), std::string::npos);
    std::istringstream in(records);
    std::string line, prev;
    while (std::getline(in, line)) {
        const std::string key = line.substr(0, line.find(','));
        EXPECT_LT(prev, key);
        prev = key;
    }

    // With chapter 2 reached the chapter menu moves and wraps both ways.
    WriteText(home.path / "critical.ini", "scorename,tester\nchaptor1.Reached,1\n");
    ASSERT_EQ(home.Run("10 attack0\n20 y=-1\n30 attack0\n40 y=-1\n50 y=-1\n55 y=1\n60 attack0\n", 80), 0)
        << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 10:-2 30:-8 60:-3L 60:1");
}

TEST(SceneFlow, StartAndEndInTheSameFrameAndAbandoningAGame)
{
    CGameHome home;
    // attack0 and reload together on item 0: the game starts, then the program ends.
    ASSERT_EQ(home.Run("10 attack0\n20 attack0 reload\n", 1000), 0) << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 10:-2 20:-3L 20:0");
    EXPECT_NE(ReadText(home.path / "critical.ini").find("playcount,1\n"), std::string::npos);

    // Two games in one run: the loading frame only for the first; Escape in
    // play returns to the main menu and the game's recording is dropped.
    ASSERT_EQ(home.Run("10 attack0\n20 attack0\n250 escape\n260 attack0\n290 escape\n", 320,
                       {"--snapshot-at", "21,80,200"}, false),
              0)
        << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 10:-2 20:-3L 20:0 250:-2 260:0 290:-2");
    EXPECT_FALSE(fs::exists(home.path / "replay" / "_tmp.dat"));
    EXPECT_NE(ReadText(home.path / "critical.ini").find("playcount,3\n"), std::string::npos);
    // After the fade-in, the chapter 1 fog colour fills most of the play field
    // (the background grid's lines cover the rest).
    SPicture play;
    ASSERT_TRUE(play.Load(Snapshot(home, 200)));
    int fog = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 140; x < 500; ++x) {
            const uint8_t* p = play.At(x, y);
            if (p[0] == 0 && p[1] == 0 && p[2] == 85) ++fog;
        }
    EXPECT_GT(fog, 360 * 480 / 2);
    // The fade-in from black over 120 frames covers the HUD too: black on the
    // first frame of the chapter, the fog colour at half strength 60 frames on.
    SPicture first, half;
    ASSERT_TRUE(first.Load(Snapshot(home, 21)));
    ASSERT_TRUE(half.Load(Snapshot(home, 80)));
    EXPECT_EQ(first.CountWhite(0, 0, 640, 480, 3), 0);
    int halfFog = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 140; x < 500; ++x) {
            const uint8_t* p = half.At(x, y);
            if (p[0] == 0 && p[1] == 0 && p[2] >= 40 && p[2] <= 45) ++halfFog;
        }
    EXPECT_GT(halfFog, 360 * 480 / 2);
    EXPECT_LT(half.At(60, 10)[2], play.At(60, 10)[2]);  // the HUD darkened as well
}

TEST(SceneFlow, ReplayListShowsSlotsAndRefusesATamperedOne)
{
    CGameHome home;
    fs::create_directories(home.path / "replay");
    WriteText(home.path / "replay" / "replay1.dat", ReplayBytes("full", -1, 1234, 600, 3, 1234));
    WriteText(home.path / "replay" / "replay2.dat", ReplayBytes("alone", 1, 99, 60, 2, 99));
    WriteText(home.path / "replay" / "replay3.dat", ReplayBytes("edited", 0, 999999, 60, 2, 5));
    WriteText(home.path / "replay" / "replay4.dat", ReplayBytes("far", INT32_MAX, 7, 60, 2, 7));
    WriteText(home.path / "replay" / "replay8.dat", ReplayBytes("WWWWWWWWWWWWWWWW", -1, 8, 60, 2, 8));
    const std::string script =
        "5 attack0\n15 y=-1\n25 y=-1\n35 attack0   # replay list\n"
        "50 y=-1\n60 y=-1\n70 y=-1\n80 attack0    # slot 3: refused\n"
        "90 y=1\n100 attack0                       # slot 2: chapter 2 alone\n"
        "150 escape\n";
    ASSERT_EQ(home.Run(script, 200, {"--snapshot-at", "45,85"}, false), 0) << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 5:-2 35:-4 100:-3L 100:1 150:-2");
    // A watched replay is no game played.
    EXPECT_NE(ReadText(home.path / "critical.ini").find("playcount,0\n"), std::string::npos);

    SPicture list, refused;
    ASSERT_TRUE(list.Load(Snapshot(home, 45)));
    ASSERT_TRUE(refused.Load(Snapshot(home, 85)));
    for (int k = 0; k < 10; ++k) {
        const int y = 64 + 16 * k;
        // Every row has its number and name or "未登録" at x 192; only the
        // slots with a replay the list would play have the chapter and score
        // at x 320, in white; the edited one and the one naming a chapter the
        // game does not have are grey.
        const bool refused = k == 3 || k == 4;
        EXPECT_EQ(list.CountWhite(192, y, 260, y + 14) > 0, !refused) << "row " << k;
        EXPECT_GT(list.CountWhite(192, y, 260, y + 14, 100), 0) << "row " << k;
        const bool filled = k == 1 || k == 2 || k == 8;
        EXPECT_EQ(list.CountWhite(320, y, 470, y + 14) > 0, filled) << "row " << k;
        EXPECT_EQ(list.CountWhite(320, y, 470, y + 14, 100) > 0, filled || refused) << "row " << k;
    }
    // A name of 16 wide letters runs to its column's end and stops there,
    // clear of the chapter and score.
    EXPECT_GT(list.CountWhite(300, 64 + 16 * 8, 316, 64 + 16 * 8 + 14), 0);
    EXPECT_EQ(list.CountWhite(316, 64 + 16 * 8, 320, 64 + 16 * 8 + 14, 60), 0);
    // The detail texts differ in length: "Chaptor. ALL / Score. 1234" is wider
    // than "Chaptor. 2 / Score. 99".
    EXPECT_GT(list.CountWhite(440, 80, 480, 94), list.CountWhite(440, 96, 480, 110));
    // The refused slot stays on the list.
    EXPECT_EQ(refused.CountWhite(320, 112, 470, 126, 100) > 0, true);
}

TEST(SceneFlow, AnEmptySlotIsRefusedWithTheRefusalSound)
{
    CGameHome home;
    // Title -> main menu -> replay list (the title music stops on the menu);
    // attack0 on the empty slot 0 at step 80.
    ASSERT_EQ(home.Run("5 attack0\n15 y=1\n25 y=1\n35 attack0\n80 attack0\n", 140,
                       {"--audio-out", (home.path / "sound.wav").string()}, false),
              0)
        << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 5:-2 35:-4");
    const std::string wav = ReadText(home.path / "sound.wav");
    ASSERT_GT(wav.size(), 44u);
    const size_t samples = (wav.size() - 44) / 2;
    auto loudest = [&](int fromStep, int toStep) {
        // Stereo 16-bit at the mixer's rate; a step is 1/60 s.
        const size_t a = static_cast<size_t>(fromStep) * SOUND_OUTPUT_RATE / 60 * 2;
        const size_t b = std::min(samples, static_cast<size_t>(toStep) * SOUND_OUTPUT_RATE / 60 * 2);
        int peak = 0;
        for (size_t i = a; i < b; ++i) {
            int16_t v = 0;
            std::memcpy(&v, wav.data() + 44 + 2 * i, 2);
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        }
        return peak;
    };
    EXPECT_LT(loudest(50, 79), 50);
    EXPECT_GT(loudest(81, 139), 1000);
}

TEST(SceneFlow, RecordsListNamesNineBarragesAndTheMainMenuPicture)
{
    CGameHome home;
    ASSERT_EQ(home.Run("5 attack0\n15 y=1\n25 attack0\n", 40, {"--snapshot-at", "10,20,35"}, false), 0)
        << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 5:-2 25:-7");
    SPicture item0, item3, records;
    ASSERT_TRUE(item0.Load(Snapshot(home, 10)));
    ASSERT_TRUE(item3.Load(Snapshot(home, 20)));
    ASSERT_TRUE(records.Load(Snapshot(home, 35)));
    // The records: "%d/%d" at x 384 and "Max" at x 428, white, for each of the
    // nine named barrages; nothing on the tenth row.
    for (int n = 0; n < 10; ++n) {
        const int y = 64 + 16 * n;
        EXPECT_EQ(records.CountWhite(384, y, 460, y + 14) > 0, n < 9) << "row " << n;
    }
    // The ten row bars start at x 188 on rows 73 + 16 k (the bar picture's
    // line lies a pixel or so below its top edge).
    for (int k = 0; k < 10; ++k) {
        const int y = 76 + 16 * k;
        EXPECT_GT(records.At(188, y)[1], 150) << "bar " << k;
        EXPECT_LT(records.At(187, y)[1], 60) << "bar " << k;
    }
    // "#6" in white at (552, 16).
    EXPECT_GT(item0.CountWhite(552, 16, 572, 30, 250), 4);
    EXPECT_EQ(item0.CountWhite(552, 16, 572, 30, 250), item3.CountWhite(552, 16, 572, 30, 250));
    // The cursor model moved from item 0 to item 3: the picture changed around
    // where item 3's placement projects and nowhere on the far left.
    const float tanHalf = std::tan(0.9299114f / 2.0f);
    const float wx = (452.0f - 140.0f) / 480.0f * 10.0f - 5.0f;
    const float wy = 5.0f - 428.0f / 480.0f * 10.0f;
    const int sx = static_cast<int>(320.0f + wx / (10.0f * tanHalf * 0.75f) * 180.0f);
    const int sy = static_cast<int>(240.0f - wy / (10.0f * tanHalf) * 240.0f);
    EXPECT_GT(item3.CountDifferent(item0, sx - 10, sy - 10, sx + 10, sy + 10), 20) << sx << "," << sy;
    EXPECT_EQ(item3.CountDifferent(item0, 0, 0, 140, 480), 0);
}

TEST(SceneFlow, ChapterMenuGreysTheChapterNotReached)
{
    CGameHome home;
    WriteText(home.path / "critical.ini", "scorename,tester\nchaptor1.ScoreMax,777\n");
    ASSERT_EQ(home.Run("5 attack0\n15 y=-1\n25 attack0\n", 40, {"--snapshot-at", "35"}, false), 0) << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 5:-2 25:-8");
    SPicture menu;
    ASSERT_TRUE(menu.Load(Snapshot(home, 35)));
    // "Chaptor 1" white, "Chaptor 2" grey (0x77); both best records white.
    auto greyPixels = [&](int y) {
        int n = 0;
        for (int yy = y; yy < y + 14; ++yy)
            for (int x = 192; x < 260; ++x) {
                const uint8_t* p = menu.At(x, yy);
                if (p[0] >= 100 && p[0] <= 125 && p[1] >= 100 && p[1] <= 125 && p[2] >= 100 && p[2] <= 125) ++n;
            }
        return n;
    };
    EXPECT_GT(menu.CountWhite(192, 64, 260, 78), 0);
    EXPECT_EQ(menu.CountWhite(192, 80, 260, 94), 0);
    EXPECT_GT(greyPixels(80), 10);
    EXPECT_GT(menu.CountWhite(320, 64, 420, 78), 0);
    EXPECT_GT(menu.CountWhite(320, 80, 420, 94), 0);
}

TEST(SceneFlow, TheEndOfTheFramesSavesThePlayTime)
{
    CGameHome home;
    home.paced = true;
    ASSERT_EQ(home.Run("", 100), 0) << home.Err();
    const std::string records = ReadText(home.path / "critical.ini");
    const size_t at = records.find("playtime,");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GE(std::atoi(records.c_str() + at + 9), 1) << records.substr(at, 20);
    EXPECT_NE(records.find("zz.other,kept\n"), std::string::npos);
}

TEST(SceneFlow, ABadScriptStopsWithTheLineNamed)
{
    CGameHome home;
    EXPECT_EQ(home.Run("1 attack0\n2 fly\n", 10), 2);
    EXPECT_NE(home.Err().find("line 2"), std::string::npos) << home.Err();
    EXPECT_FALSE(fs::exists(home.path / "log" / "scene.txt"));
}

}  // namespace
