// Whole games of the real program, headless, invulnerable and always firing:
// a full run through both chapters and their bosses to the save list, chapter
// 1 alone, the boss test stage; checked by the scene log (stage changes and a
// chapter's phases, at the steps the timelines give) and by a few snapshots.
#include "game_home.h"

#include <regex>

namespace {

// The timelines: a phase set in step s shows its frame f in step s + 1 + f.
long long At(long long step, int frame) { return step + 1 + frame; }

// The step of the first "step:pP" word of the log after position from.
long long PhaseStep(const std::string& log, int phase, size_t from = 0)
{
    const std::string word = ":p" + std::to_string(phase);
    const size_t at = log.find(word, from);
    if (at == std::string::npos) return -1;
    const size_t start = log.rfind(' ', at);
    return std::stoll(log.substr(start == std::string::npos ? 0 : start + 1, at));
}

std::string Word(long long step, const std::string& what) { return std::to_string(step) + ":" + what; }

// One chapter from its stage start at step s, its boss destroyed at step
// killed; the words up to the result screen.
std::string ChapterWords(long long s, int intro, int waves, int approach, long long killed, long long* bossStep)
{
    const long long p1 = At(s, intro), p2 = At(p1, waves), p3 = At(p2, approach);
    *bossStep = p3;
    return Word(p1, "p1") + " " + Word(p2, "p2") + " " + Word(p3, "p3") + " " + Word(killed, "p4");
}

// Counts the pixels of a box for which the test holds.
template <class TTest>
int Count(const SPicture& pic, int x0, int y0, int x1, int y1, TTest test)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += test(pic.At(x, y)) ? 1 : 0;
    return n;
}

bool White(const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }
bool Amber(const uint8_t* p) { return p[0] > 200 && p[2] < 120; }
bool PureGreen(const uint8_t* p) { return p[1] > 200 && p[0] < 100 && p[2] < 100; }

// The boss's gauge frame: an opaque green outline from (156, 22), 328 wide.
// Its top edge is one unbroken row; the background's lines never are.
bool GaugeFrameShows(const SPicture& pic)
{
    for (int y = 21; y <= 23; ++y)
        if (Count(pic, 160, y, 480, y + 1, PureGreen) == 320) return true;
    return false;
}

constexpr const char* kFullRunScript =
    "10 attack0          # title -> main menu\n"
    "20 attack0          # item 0: a full run\n"
    "30-40000 attack0    # fire all the way\n";

}  // namespace

TEST(ChaptersFlow, FullRunThroughBothChaptersAndBossesToTheSaveList)
{
    CGameHome home;
    ASSERT_EQ(home.Run(kFullRunScript, 36000, {"--invulnerable"}), 0) << home.Err();
    const std::string log = home.Stages(true);
    SCOPED_TRACE(log);

    // Chapter 1 from step 20: intro 480, waves 2280, approach 709 frames; the
    // boss is destroyed (phase 4, never 5); the result screen ends at 1080.
    const long long killed1 = PhaseStep(log, 4);
    ASSERT_GT(killed1, 0) << "the first boss was destroyed";
    long long boss1 = 0, boss2 = 0;
    const std::string chapter1 = ChapterWords(20, 480, 2280, 709, killed1, &boss1);
    const long long chapter2Start = At(killed1, 1080);
    const long long killed2 = PhaseStep(log, 4, log.find(Word(chapter2Start, "1")));
    ASSERT_GT(killed2, 0) << "the second boss was destroyed";
    // Chapter 2: intro 779, waves 2220, approach 648; its result screen ends at 1260.
    const std::string chapter2 = ChapterWords(chapter2Start, 779, 2220, 648, killed2, &boss2);
    const std::string expected = "0:-1 0:-6 10:-2 20:-3L 20:0 " + chapter1 + " " + Word(chapter2Start, "-3L") + " " +
                                 Word(chapter2Start, "1") + " " + chapter2 + " " + Word(At(killed2, 1260), "-5");
    EXPECT_EQ(log, expected);
    // Each boss fought through its entry (1500 and 4440 frames) and barrages.
    EXPECT_GT(killed1 - boss1, 1500);
    EXPECT_GT(killed2 - boss2, 4440);

    // An invulnerable game keeps nothing: no replay, no chapter or barrage record.
    EXPECT_FALSE(fs::exists(home.path / "replay" / "_tmp.dat"));
    const std::string records = ReadText(home.path / "critical.ini");
    for (const char* kept : {"chaptor0.ScoreMax,0\n", "chaptor1.Reached,0\n", "chaptor1.ScoreMax,0\n",
                             "barrage10.TotalCount,0\n", "barrage13.ClearCount,0\n", "barrage20.TotalCount,0\n",
                             "barrage24.ClearCount,0\n", "playcount,0\n"})
        EXPECT_NE(records.find(kept), std::string::npos) << kept;
}

TEST(ChaptersFlow, ChapterOneAloneEndsOnTheSaveList)
{
    CGameHome home;
    const std::string script =
        "10 attack0          # title -> main menu\n"
        "20 y=-1             # item 1\n"
        "30 attack0          # the chapter menu\n"
        "40 attack0          # chapter 1 alone\n"
        "50-20000 attack0\n";
    ASSERT_EQ(home.Run(script, 17000, {"--invulnerable"}), 0) << home.Err();
    const std::string log = home.Stages(true);
    const long long killed = PhaseStep(log, 4);
    ASSERT_GT(killed, 0) << log;
    long long boss = 0;
    EXPECT_EQ(log, "0:-1 0:-6 10:-2 30:-8 40:-3L 40:0 " + ChapterWords(40, 480, 2280, 709, killed, &boss) + " " +
                       Word(At(killed, 1080), "-5"));
}

TEST(ChaptersFlow, SnapshotsOfTheBannerTalkBossGaugeAndRank)
{
    CGameHome home;
    // The waves of chapter 1 from their frame 0: the talk line of frame 60,
    // the title banner fully in from frame 120 and gone after 480.
    ASSERT_EQ(home.Run("", 501, {"--invulnerable", "--stage", "0:1", "--snapshot-at", "130,500"}, false), 0)
        << home.Err();
    SPicture waves, later;
    ASSERT_TRUE(waves.Load(Snapshot(home, 130)));
    ASSERT_TRUE(later.Load(Snapshot(home, 500)));
    EXPECT_GT(Count(waves, 150, 448, 490, 464, Amber), 60) << "the talk line's text";
    EXPECT_GT(Count(waves, 148, 466, 468, 480, White), 60) << "the chapter's title banner";
    EXPECT_EQ(Count(later, 148, 466, 468, 480, White), 0);
    EXPECT_GT(Count(waves, 510, 118, 620, 134, Amber), 40) << "the mark of an invulnerable game";

    // The boss phase: the boss's gauge frame from its first frame.
    ASSERT_EQ(home.Run("", 101, {"--invulnerable", "--stage", "0:3", "--snapshot-at", "100"}, false), 0)
        << home.Err();
    SPicture boss;
    ASSERT_TRUE(boss.Load(Snapshot(home, 100)));
    EXPECT_TRUE(GaugeFrameShows(boss));
    EXPECT_FALSE(GaugeFrameShows(waves));

    // The result screen with a chapter score of 0: the lowest rank, "#193",
    // whose seal glows green (the best, "#190", glows gold).
    ASSERT_EQ(home.Run("", 561, {"--invulnerable", "--stage", "0:4", "--snapshot-at", "560"}, false), 0)
        << home.Err();
    SPicture result;
    ASSERT_TRUE(result.Load(Snapshot(home, 560)));
    const auto green = [](const uint8_t* p) { return p[1] > 150 && p[0] + 30 < p[1] && p[2] + 20 < p[1]; };
    const auto gold = [](const uint8_t* p) { return p[0] > 200 && p[1] > 150 && p[2] < 100; };
    EXPECT_GT(Count(result, 486, 314, 582, 410, green), 200);
    EXPECT_LT(Count(result, 486, 314, 582, 410, gold), 10);
}

TEST(ChaptersFlow, AGameStartedInTheMiddleOfAChapterKeepsNothing)
{
    // The boss fight of chapter 1 alone, not invulnerable: the craft is shot
    // down; a replay could not repeat a game that began at the boss.
    CGameHome home;
    ASSERT_EQ(home.Run("0-9000 attack0\n", 9000, {"--stage", "0:3"}), 0) << home.Err();
    const std::string log = home.Stages();
    ASSERT_NE(log.find(":-5"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(home.path / "replay" / "_tmp.dat"));
    const std::string records = ReadText(home.path / "critical.ini");
    EXPECT_NE(records.find("barrage10.TotalCount,0\n"), std::string::npos);
    EXPECT_NE(records.find("playcount,0\n"), std::string::npos);
}

TEST(ChaptersFlow, TestStageBringsABossAtOnce)
{
    CGameHome home;
    ASSERT_EQ(home.Run("", 2, {"--invulnerable", "--stage", "111", "--snapshot-at", "0"}, false), 0) << home.Err();
    EXPECT_EQ(home.Stages(), "0:-1 0:111");
    SPicture first;
    ASSERT_TRUE(first.Load(Snapshot(home, 0)));
    EXPECT_TRUE(GaugeFrameShows(first));
}
