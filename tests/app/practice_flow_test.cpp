// Barrage practice in the real program: an attempt from the command line and
// from the records list, and what is left in the files afterwards.
#include "game_home.h"

namespace {

constexpr const char* kRecords =
    "scorename,tester\nbarrage10.TotalCount,4\nbarrage10.ClearCount,1\nbarrage10.ScoreMax,300000\n"
    "playcount,7\nplaytime,50\nzz.other,kept\n";

bool Holds(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

}  // namespace

// Played at the game's own pace for more than two seconds, an attempt leaves
// the records as they were (play count, play time, the barrage's counts) and
// writes no replay; its try is in the practice history.
TEST(PracticeFlow, AnAttemptKeepsNoRecordsReplayOrPlayTime)
{
    CGameHome home;
    WriteText(home.path / "critical.ini", kRecords);
    home.paced = true;
    ASSERT_EQ(home.Run("", 150, {"--practice", "10"}), 0) << home.Err();
    EXPECT_EQ(home.Stages(true), "0:-1 0:-3L 0:0 0:p3");
    const std::string records = ReadText(home.path / "critical.ini");
    for (const char* kept : {"playcount,7\n", "playtime,50\n", "barrage10.TotalCount,4\n", "barrage10.ClearCount,1\n",
                             "barrage10.ScoreMax,300000\n", "zz.other,kept\n"})
        EXPECT_TRUE(Holds(records, kept)) << kept;
    EXPECT_FALSE(fs::exists(home.path / "replay" / "_tmp.dat"));
    EXPECT_EQ(ReadText(home.path / "practice.ini"), "barrage10.BestBonus,0\nbarrage10.Captures,0\nbarrage10.Tries,1\n");
}

// The records list says where practice is; a push to the right opens it, and
// a barrage met there starts at once. The pilot's attempts keep no history;
// each end is a line of the scene log and counts as a game for --games.
TEST(PracticeFlow, FromTheRecordsListToAnAttemptAndItsLine)
{
    CGameHome home;
    WriteText(home.path / "critical.ini", kRecords);
    const std::string script =
        "10 attack0          # title -> main menu\n"
        "20 y=1              # up: item 3\n"
        "30 attack0          # the records list\n"
        "40 x=1              # practice\n"
        "50 attack0          # barrage 10, the only one met\n";
    ASSERT_EQ(home.Run(script, 200, {"--snapshot-at", "35,45"}, false), 0) << home.Err();
    EXPECT_EQ(home.Stages(true), "0:-1 0:-6 10:-2 30:-7 40:-9 50:-3L 50:0 50:p3");
    SPicture records, list;
    ASSERT_TRUE(records.Load(Snapshot(home, 35)));
    ASSERT_TRUE(list.Load(Snapshot(home, 45)));
    // The hint line under the picture's help, and the list's rows: the title
    // strip of barrage 10, the other eight rows "？？？" on dark plates.
    EXPECT_GT(records.CountWhite(104, 312, 400, 326, 90), 20);
    EXPECT_GT(list.CountDifferent(records, 96, 46, 378, 88), 5000);

    const std::string history = ReadText(home.path / "practice.ini");
    EXPECT_EQ(history, "barrage10.BestBonus,0\nbarrage10.Captures,0\nbarrage10.Tries,1\n");

    ASSERT_EQ(home.RunArgs({"--null-renderer", "--unpaced", "--home", home.path.string(), "--frames", "3000",
                            "--practice", "24", "--autopilot", "--games", "1"}),
              0)
        << home.Err();
    const std::string log = ReadText(home.path / "log" / "scene.txt");
    EXPECT_TRUE(Holds(log, "practice barrage 24: ")) << log;
    EXPECT_EQ(ReadText(home.path / "practice.ini"), history) << "the pilot's attempts keep no history";
}
