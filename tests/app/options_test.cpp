#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/Options.h"
#include "tests/support/TempHome.h"

namespace fs = std::filesystem;

namespace {

bool Parse(std::vector<const char*> args, SOptions& out, std::string& error)
{
    args.insert(args.begin(), "korvo");
    return ParseOptions(static_cast<int>(args.size()), args.data(), out, error);
}

}  // namespace

TEST(Options, Accepted)
{
    SOptions o;
    std::string e;
    ASSERT_TRUE(Parse({}, o, e));
    EXPECT_FALSE(o.headless);
    EXPECT_EQ(o.frames, -1);
    ASSERT_TRUE(Parse({"--headless", "--frames", "120", "--snapshot-at", "0,119,7", "--home", "/h", "--unpaced",
                       "--audio-out=out.wav"},
                      o, e))
        << e;
    EXPECT_TRUE(o.headless);
    EXPECT_FALSE(o.nullRenderer);
    EXPECT_TRUE(o.unpaced);
    EXPECT_EQ(o.frames, 120);
    EXPECT_EQ(o.snapshotAt, (std::vector<int>{0, 119, 7}));
    EXPECT_EQ(o.home, "/h");
    EXPECT_EQ(o.audioOut, "out.wav");
    ASSERT_TRUE(Parse({"--null-renderer", "--frames=0"}, o, e));
    EXPECT_TRUE(o.nullRenderer);
    EXPECT_TRUE(o.headless);  // no window without a renderer to draw in it
    EXPECT_EQ(o.frames, 0);
    ASSERT_TRUE(Parse({"--help"}, o, e));
    EXPECT_TRUE(o.help);
    EXPECT_FALSE(o.invulnerable);
    ASSERT_TRUE(Parse({"--invulnerable"}, o, e));
    EXPECT_TRUE(o.invulnerable);
    EXPECT_EQ(o.stage, -1);
    struct SStage {
        const char* text;
        int stage, phase;
    };
    for (const SStage& s : {SStage{"0", 0, 0}, SStage{"1:3", 1, 3}, SStage{"0:5", 0, 5}, SStage{"111", 111, 0}}) {
        ASSERT_TRUE(Parse({"--stage", s.text}, o, e)) << s.text << ": " << e;
        EXPECT_EQ(o.stage, s.stage);
        EXPECT_EQ(o.phase, s.phase);
    }
    EXPECT_EQ(o.practice, -1);
    // Every barrage of both bosses, by its record number.
    for (const char* barrage : {"10", "13", "20", "24"}) {
        ASSERT_TRUE(Parse({"--practice", barrage, "--autopilot"}, o, e)) << barrage << ": " << e;
        EXPECT_EQ(o.practice, std::atoi(barrage));
    }
}

TEST(Options, Rejected)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--frames"},          {"--frames", "-1"},    {"--frames", "12x"},   {"--frames", "99999999999"},
        {"--snapshot-at", ""}, {"--snapshot-at", "1,,2"}, {"--snapshot-at", "1,"}, {"--home"},
        {"--home="},           {"--headless=1"},      {"--fullscreen"},      {"game.dat"},
        {"--audio-out"},       {"--invulnerable=1"},  {"--stage", "2"},        {"--stage", "0:6"},
        {"--stage", "111:1"},  {"--stage", "-1"},     {"--stage", "0:"},       {"--stage", ":3"},
        {"--games", "0"},      {"--games"},           {"--verify-replay"},    {"--verify-replay="},
        {"--autopilot=1"},     {"--verbose"},         {"--autopilot", "--input-script", "s.txt"},
        // A replay is checked as recorded: nothing else plays, the rules stay.
        {"--verify-replay", "r.dat", "--autopilot"},   {"--verify-replay", "r.dat", "--invulnerable"},
        {"--verify-replay", "r.dat", "--stage", "1"},  {"--verify-replay", "r.dat", "--frames", "10"},
        {"--verify-replay", "r.dat", "--games", "1"},
        // Practice names a boss's barrage by its record number, and nothing else to play.
        {"--practice"},        {"--practice", "9"},   {"--practice", "14"},    {"--practice", "25"},
        {"--practice", "0"},   {"--practice", "x"},   {"--practice", "10", "--stage", "0"},
        {"--verify-replay", "r.dat", "--practice", "10"},
        // A watched replay too; a video needs pictures.
        {"--watch"},           {"--watch="},          {"--video-out"},       {"--video-out="},
        {"--watch", "r.dat", "--verify-replay", "r.dat"}, {"--watch", "r.dat", "--autopilot"},
        {"--watch", "r.dat", "--invulnerable"},          {"--watch", "r.dat", "--stage", "0"},
        {"--watch", "r.dat", "--games", "1"},            {"--null-renderer", "--video-out", "v.webm"},
        {"--watch", "r.dat", "--practice", "10"},
    };
    for (const auto& args : bad) {
        SOptions o;
        std::string e;
        EXPECT_FALSE(Parse(args, o, e)) << args[0];
        EXPECT_FALSE(e.empty());
    }
}

TEST(Options, ReplaysAndTheAutopilot)
{
    SOptions o;
    std::string e;
    ASSERT_TRUE(Parse({"--autopilot", "--games", "3", "--frames", "100"}, o, e)) << e;
    EXPECT_TRUE(o.autopilot);
    EXPECT_EQ(o.games, 3);
    // Verifying runs unseen and unpaced, on the null renderer unless OpenGL
    // is asked for with --headless.
    ASSERT_TRUE(Parse({"--verify-replay", "r.dat", "--verbose"}, o, e)) << e;
    EXPECT_EQ(o.verifyReplay, "r.dat");
    EXPECT_TRUE(o.verbose);
    EXPECT_TRUE(o.headless && o.nullRenderer && o.unpaced);
    ASSERT_TRUE(Parse({"--headless", "--verify-replay=r.dat", "--input-script", "camera.txt"}, o, e)) << e;
    EXPECT_TRUE(o.headless && !o.nullRenderer && o.unpaced);
    // A video of a verification is drawn with OpenGL.
    ASSERT_TRUE(Parse({"--verify-replay", "r.dat", "--video-out", "v.mp4"}, o, e)) << e;
    EXPECT_TRUE(o.headless && !o.nullRenderer);
    // Watching keeps its pace (and the speeds) unless told otherwise; the
    // viewer's script and --frames may go with it.
    ASSERT_TRUE(Parse({"--watch", "r.dat", "--headless", "--frames", "10", "--input-script", "v.txt"}, o, e)) << e;
    EXPECT_EQ(o.watch, "r.dat");
    EXPECT_FALSE(o.unpaced);
}

TEST(Options, HelpListsEveryOption)
{
    const std::string help = OptionsHelp();
    for (const char* name : {"--headless", "--null-renderer", "--frames", "--unpaced", "--snapshot-at", "--home",
                             "--audio-out", "--help", "255", "--autopilot", "--games", "--verify-replay",
                             "--verbose", "--watch", "--video-out"})
        EXPECT_NE(help.find(name), std::string::npos) << name;
    // The test facility stands apart from the player's options.
    const size_t testing = help.find("Testing:");
    ASSERT_NE(testing, std::string::npos);
    EXPECT_GT(help.find("--invulnerable"), testing);
    EXPECT_GT(help.find("--stage"), testing);
}

// Paths a person types are read against the current folder; absolute ones
// stay as they are. A current folder that is gone is said, for relative
// paths only.
TEST(Options, TypedPathsAreReadAgainstTheCurrentFolder)
{
    CTempHome home("mz-cwd", false);
    const fs::path sub = home.Path() / "sub";
    fs::create_directories(sub);
    const fs::path before = fs::current_path();
    fs::current_path(sub);
    const std::string cwd = fs::current_path().string();
    const struct {
        const char* typed;
        std::string read;
    } kCases[] = {
        {"r.dat", cwd + "/r.dat"},
        {"./r.dat", cwd + "/r.dat"},
        {".//./r.dat", cwd + "/r.dat"},
        {"../r.dat", cwd + "/../r.dat"},
        {"a/./b.dat", cwd + "/a/./b.dat"},
        {"c:r.dat", cwd + "/c:r.dat"},
        {"/abs/r.dat", "/abs/r.dat"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.typed);
        SOptions o;
        std::string e;
        ASSERT_TRUE(Parse({"--home", c.typed, "--audio-out", c.typed, "--input-script", c.typed}, o, e)) << e;
        ASSERT_TRUE(ResolveTypedPaths(o, e)) << e;
        EXPECT_EQ(o.home, c.read);
        EXPECT_EQ(o.audioOut, c.read);
        EXPECT_EQ(o.inputScript, c.read);
        ASSERT_TRUE(Parse({"--verify-replay", c.typed}, o, e)) << e;
        ASSERT_TRUE(ResolveTypedPaths(o, e)) << e;
        EXPECT_EQ(o.verifyReplay, c.read);
        ASSERT_TRUE(Parse({"--watch", c.typed, "--headless", "--video-out", c.typed}, o, e)) << e;
        ASSERT_TRUE(ResolveTypedPaths(o, e)) << e;
        EXPECT_EQ(o.watch, c.read);
        EXPECT_EQ(o.videoOut, c.read);
    }

    fs::remove(sub);
    SOptions o;
    std::string e;
    ASSERT_TRUE(Parse({"--verify-replay", "/abs/r.dat"}, o, e));
    EXPECT_TRUE(ResolveTypedPaths(o, e)) << e;
    ASSERT_TRUE(Parse({"--verify-replay", "r.dat"}, o, e));
    EXPECT_FALSE(ResolveTypedPaths(o, e));
    EXPECT_NE(e.find("--verify-replay \"r.dat\": the current folder cannot be found"), std::string::npos) << e;
    fs::current_path(before);
}
