// Watching replays with the real program: --watch plays a file as the replay
// list would and compares its digests as it goes, so whatever the viewer does
// (speeds, the held fast key, pauses, frame steps, jumps back and forward)
// must leave "replay verified" in the scene log, on the full run an earlier
// build recorded.
#include "game_home.h"

#include <regex>

namespace {

const fs::path kFullRun = fs::path(MZ_SOURCE_DIR) / "tests" / "fixtures" / "replays" / "full-run.dat";
constexpr const char* kFullRunVerified = "replay verified: 31348 steps, score 2062880";

// A game of chapter 2 from its start, shot down in about 1700 steps.
constexpr const char* kShortGame =
    "0-5000 attack0\n"
    "100-300 attack0 x=1\n"
    "400-600 attack0 x=-1 y=0.5\n";

int Watch(CGameHome& home, const fs::path& file, const std::string& script, std::vector<std::string> extra = {},
          int seconds = 300)
{
    std::vector<std::string> args = {"--watch", file.string(), "--home", home.path.string()};
    if (!script.empty()) {
        WriteText(home.path / "view.txt", script);
        args.insert(args.end(), {"--input-script", (home.path / "view.txt").string()});
    }
    args.insert(args.end(), extra.begin(), extra.end());
    return home.RunArgs(args, seconds);
}

std::string SceneLog(const CGameHome& home) { return ReadText(home.path / "log" / "scene.txt"); }

// The steps of the scene log's "paused" and "resumed" lines, in order.
std::vector<long long> PauseSteps(const std::string& log)
{
    std::vector<long long> steps;
    const std::regex line(R"(step (\d+) (paused|resumed) \(frame)");
    for (std::sregex_iterator it(log.begin(), log.end(), line), end; it != end; ++it)
        steps.push_back(std::stoll((*it)[1]));
    return steps;
}

// The jumps of the scene log as (from, to) replay steps.
std::vector<std::pair<long long, long long>> Jumps(const std::string& log)
{
    std::vector<std::pair<long long, long long>> jumps;
    const std::regex line(R"(jump from replay step (\d+) to (\d+))");
    for (std::sregex_iterator it(log.begin(), log.end(), line), end; it != end; ++it)
        jumps.emplace_back(std::stoll((*it)[1]), std::stoll((*it)[2]));
    return jumps;
}

}  // namespace

TEST(WatchReplay, EveryViewerControlLeavesTheDigestsVerified)
{
    // The script's clock counts each step run (also at speed) and each frame
    // paused, never a jump's steps. Three steps while paused; a jump back
    // while paused; jumps either way at speed; the held fast key; speeds down
    // to x1 again.
    constexpr const char* kViewer =
        "0 speed8\n"
        "2000 seekfwd\n"
        "2100 seekfwd\n"
        "3000 seekback\n"
        "4000 pause\n"
        "4010 step\n"
        "4020 step\n"
        "4030 step\n"
        "4040 pause\n"
        "5000 speed2\n"
        "6000 pause\n"
        "6010 seekback\n"
        "6020 step\n"
        "6030 pause\n"
        "7000-9000 fast\n"
        "9000 speed1\n"
        "9500 speed4\n"
        "20000 seekback\n";
    CGameHome home;
    ASSERT_EQ(Watch(home, kFullRun, kViewer, {"--null-renderer", "--unpaced"}), 0) << home.Err();
    const std::string log = SceneLog(home);
    EXPECT_NE(log.find(kFullRunVerified), std::string::npos) << log;
    EXPECT_EQ(log.find("differs"), std::string::npos) << log;

    // A frame step is exactly one step.
    const std::vector<long long> pauses = PauseSteps(log);
    ASSERT_EQ(pauses.size(), 4u) << log;
    EXPECT_EQ(pauses[1] - pauses[0], 3);

    // Jumps of 600 steps, forward, back, and back while paused.
    const auto jumps = Jumps(log);
    ASSERT_EQ(jumps.size(), 5u) << log;
    EXPECT_EQ(jumps[0].second - jumps[0].first, 600);
    EXPECT_EQ(jumps[1].second - jumps[1].first, 600);
    EXPECT_EQ(jumps[2].second - jumps[2].first, -600);
    EXPECT_EQ(jumps[3].second - jumps[3].first, -600);
    EXPECT_EQ(jumps[4].second - jumps[4].first, -600);
    // At x8 the script's frame 2000 is replay step 2000 (the replay starts at
    // once), so the first jump leaves from there.
    EXPECT_EQ(jumps[0].first, 2000);
}

TEST(WatchReplay, OnOpenGlFastAndWithJumpsTheDrawnGameStaysTheRecordedOne)
{
    // Drawing sets some rule state; the steps whose pictures are discarded
    // must still set it. A short game, watched with OpenGL at x8 with jumps.
    CGameHome home;
    ASSERT_EQ(home.Run(kShortGame, 30000, {"--stage", "1", "--games", "1"}), 0) << home.Err();
    const fs::path game = home.path / "game.dat";
    fs::copy_file(home.path / "replay" / "_tmp.dat", game);
    ASSERT_EQ(Watch(home, game, "0 speed8\n300 seekfwd\n400 seekback\n900 speed4\n", {"--headless", "--unpaced"}), 0)
        << home.Err();
    const std::string log = SceneLog(home);
    EXPECT_NE(log.find("replay verified:"), std::string::npos) << log;
    EXPECT_EQ(Jumps(log).size(), 2u) << log;
}

TEST(WatchReplay, AHeadlessWatchEndsWithTheReplayOrAtFrames)
{
    CGameHome home;
    ASSERT_EQ(Watch(home, kFullRun, "", {"--null-renderer", "--unpaced", "--frames", "500"}), 0) << home.Err();
    const std::string log = SceneLog(home);
    EXPECT_EQ(log.find("replay "), std::string::npos) << log;
    EXPECT_NE(log.find("step 500 end of run"), std::string::npos) << log;
}

TEST(WatchReplay, AFileTheReplayListWouldRefuseIsNamedWithItsFault)
{
    CGameHome home;
    const std::string full = ReadText(kFullRun);
    std::string otherChapter = full;
    otherChapter.replace(56, 4, std::string("\x07\0\0\0", 4));  // chapter selection 7: not covered by the check text
    WriteText(home.path / "short.dat", full.substr(0, 40));
    WriteText(home.path / "chapter.dat", otherChapter);
    fs::create_directory(home.path / "folder.dat");
    const struct {
        const char* file;
        const char* fault;
    } kCases[] = {
        {"missing.dat", "does not exist"},
        {"folder.dat", "is a folder"},
        {"short.dat", "too short"},
        {"chapter.dat", "names chapter selection 7"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.file);
        const fs::path file = home.path / c.file;
        EXPECT_EQ(Watch(home, file, "", {"--null-renderer", "--unpaced"}), 2);
        const std::string err = home.Err();
        EXPECT_NE(err.find("--watch \"" + file.string() + "\""), std::string::npos) << err;
        EXPECT_NE(err.find(c.fault), std::string::npos) << err;
    }
}
