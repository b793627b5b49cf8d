// Proving replays with the real program: a recorded game verifies whatever
// watches it (renderer, snapshots, sound capture, the free camera on live
// input); pauses leave the replay as it was; a changed record is caught at
// the first digest after it and named; damaged files and files without
// digests are told apart by their exit codes; the autopilot plays from the
// title, back to back, keeping replays but no records.
#include "game_home.h"

#include <cstdint>
#include <cstring>
#include <regex>

#include "core/Util.h"
#include "persist/Replay.h"

namespace {

// A game of chapter 2 from its start: firing, a few moves, shot down in
// about 1700 steps.
constexpr const char* kGameScript =
    "0-5000 attack0\n"
    "100-300 attack0 x=1\n"
    "400-600 attack0 x=-1 y=0.5\n";

// Live input while the replay plays: after the intro (whose script moves the
// camera itself), the free camera, turned and moved.
constexpr const char* kCameraScript =
    "900 attack0\n"
    "1000-1200 x=1 y=0.5\n"
    "1250-1280 reload\n";

uint32_t U32(const std::string& s, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + static_cast<size_t>(i)]);
    return v;
}

// Where each record starts, and where the records end.
std::vector<size_t> RecordOffsets(const std::string& file)
{
    std::vector<size_t> at;
    size_t pos = 72;
    for (uint32_t i = 0; i < U32(file, 68) && pos < file.size(); ++i) {
        at.push_back(pos);
        pos += file[pos] == 0 ? 1 : 16;
    }
    at.push_back(pos);
    return at;
}

class ReplayProof : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_Home.Run(kGameScript, 30000, {"--stage", "1", "--games", "1"}), 0) << m_Home.Err();
        m_strGame = ReadText(m_Home.path / "replay" / "_tmp.dat");
        ASSERT_GT(m_strGame.size(), 72u);
        m_nRecords = U32(m_strGame, 68);
    }

    // Verifies the file with the extra options; the exit code.
    int Verify(const fs::path& file, std::vector<std::string> extra = {}, int seconds = 120)
    {
        std::vector<std::string> args = {"--verify-replay", file.string(), "--home", m_Home.path.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return m_Home.RunArgs(args, seconds);
    }

    fs::path Write(const std::string& name, const std::string& bytes)
    {
        WriteText(m_Home.path / name, bytes);
        return m_Home.path / name;
    }

    std::string Verified() const
    {
        return "verified: " + std::to_string(m_nRecords) + " steps, score " +
               std::to_string(static_cast<int32_t>(U32(m_strGame, 60))) + "\n";
    }

    CGameHome m_Home;
    std::string m_strGame;
    uint32_t m_nRecords = 0;
};

}  // namespace

TEST_F(ReplayProof, NothingThatOnlyShowsTheGameChangesADigest)
{
    const fs::path game = m_Home.path / "replay" / "_tmp.dat";
    WriteText(m_Home.path / "camera.txt", kCameraScript);
    const std::string camera = (m_Home.path / "camera.txt").string();

    // Recorded on the null renderer; verified there, with and without the
    // free camera.
    ASSERT_EQ(Verify(game), 0) << m_Home.Out() << m_Home.Err();
    EXPECT_EQ(m_Home.Out(), Verified());
    ASSERT_EQ(Verify(game, {"--input-script", camera}), 0) << m_Home.Out();

    // On OpenGL, with snapshots and the sound captured: first as recorded,
    // then with the free camera.
    ASSERT_EQ(Verify(game, {"--headless", "--snapshot-at", "1300"}, 300), 0) << m_Home.Out() << m_Home.Err();
    SPicture still;
    ASSERT_TRUE(still.Load(Snapshot(m_Home, 1300)));
    fs::remove(Snapshot(m_Home, 1300));
    ASSERT_EQ(Verify(game, {"--headless", "--snapshot-at", "1300", "--audio-out", (m_Home.path / "sound.wav").string(),
                            "--input-script", camera},
                     300),
              0)
        << m_Home.Out() << m_Home.Err();
    EXPECT_EQ(m_Home.Out(), Verified());
    SPicture moved;
    ASSERT_TRUE(moved.Load(Snapshot(m_Home, 1300)));
    EXPECT_GT(fs::file_size(m_Home.path / "sound.wav"), 44u * 1000u);
    // The camera really moved: much of the play field looks different.
    EXPECT_GT(moved.CountDifferent(still, 140, 0, 500, 480), 360 * 480 / 4);
}

TEST_F(ReplayProof, PausesLeaveTheReplayOfTheGameNeverPaused)
{
    // The fixture's game, paused for 100 frames in the middle of a held push
    // and for one frame later: each line after a pause moves on by the frames
    // paused before it. The pause lines come first, so that the held input's
    // lines win their frames.
    constexpr const char* kPausedScript =
        "150 pause\n"
        "250 pause\n"
        "800 pause\n"
        "801 pause\n"
        "0-5101 attack0\n"
        "100-400 attack0 x=1\n"
        "500-700 attack0 x=-1 y=0.5\n";
    ASSERT_EQ(m_Home.Run(kPausedScript, 30000, {"--stage", "1", "--games", "1"}), 0) << m_Home.Err();
    const std::string paused = ReadText(m_Home.path / "replay" / "_tmp.dat");
    const std::string scene = ReadText(m_Home.path / "log" / "scene.txt");
    EXPECT_NE(scene.find("step 150 paused (frame 150)\nstep 150 resumed (frame 250)\n"), std::string::npos) << scene;
    EXPECT_NE(scene.find("step 700 paused (frame 800)\nstep 700 resumed (frame 801)\n"), std::string::npos) << scene;
    ASSERT_EQ(paused.size(), m_strGame.size());
    // The header's play time (and the check text made with it) is wall-clock
    // time, which no two runs share; everything else is byte for byte the
    // same: version, name, chapter, score, record count, every record, every
    // digest and the final score.
    constexpr size_t kCheckText = 21, kPlayTime = 64, kRecordCount = 68;
    EXPECT_EQ(paused.substr(0, kCheckText), m_strGame.substr(0, kCheckText));
    EXPECT_EQ(paused.substr(56, kPlayTime - 56), m_strGame.substr(56, kPlayTime - 56));
    EXPECT_TRUE(paused.substr(kRecordCount) == m_strGame.substr(kRecordCount)) << "records or digests differ";
    ASSERT_EQ(Verify(m_Home.path / "replay" / "_tmp.dat"), 0) << m_Home.Out() << m_Home.Err();
    EXPECT_EQ(m_Home.Out(), Verified());
}

TEST_F(ReplayProof, AChangedRecordIsCaughtAtTheNextDigestAndNamedWithVerbose)
{
    const std::vector<size_t> at = RecordOffsets(m_strGame);
    ASSERT_EQ(at.size(), m_nRecords + 1u);
    // A long record (firing, moving) a little into the game: its x turned.
    size_t edited = 600;
    while (edited < m_nRecords && m_strGame[at[edited]] == 0) ++edited;
    ASSERT_LT(edited, m_nRecords);
    std::string changed = m_strGame;
    float x = 0.0f;
    std::memcpy(&x, &changed[at[edited] + 1], 4);
    x = x == 0.0f ? 1.0f : -x;
    std::memcpy(&changed[at[edited] + 1], &x, 4);
    const fs::path file = Write("changed.dat", changed);

    // Record i is the input of step i + 1; the digest after it is the first to differ.
    const size_t step = (edited + 1 + 59) / 60 * 60;
    ASSERT_EQ(Verify(file), 1) << m_Home.Out();
    EXPECT_EQ(m_Home.Out().rfind("step " + std::to_string(step) + " of the game: the digest differs", 0), 0u)
        << m_Home.Out();
    ASSERT_EQ(Verify(file, {"--verbose"}), 1);
    EXPECT_NE(m_Home.Out().find("\n  first difference: craft: pos"), std::string::npos) << m_Home.Out();
}

TEST_F(ReplayProof, DamagedFilesAndFilesWithoutDigestsAreToldApart)
{
    const std::vector<size_t> at = RecordOffsets(m_strGame);
    const std::string records = m_strGame.substr(0, at.back());
    const std::string trailer = m_strGame.substr(at.back());
    ASSERT_EQ(trailer.substr(0, 4), "MZDG");
    // Without digests, but the score the header and its check text claim
    // is not the one played.
    std::string otherScore = records;
    const int32_t score = static_cast<int32_t>(U32(records, 60)) + 10;
    for (int i = 0; i < 4; ++i) otherScore[60 + static_cast<size_t>(i)] = static_cast<char>(score >> (8 * i));
    const std::string check = Md5Hex(std::to_string(score) + std::to_string(U32(records, 64)) +
                                     std::to_string(m_nRecords) + "6");
    otherScore.replace(21, 32, check);
    std::string flipped = m_strGame;
    flipped[at.back() + 30] ^= 0x10;
    std::string badCheck = m_strGame;
    badCheck[21] = badCheck[21] == 'a' ? 'b' : 'a';

    const struct {
        const char* what;
        std::string bytes;   // empty: no file at all
        int exitCode;
        const char* says;    // on standard output (codes 1, 3) or error (2)
    } kCases[] = {
        {"no such file", "", 2, "case.dat\" does not exist"},
        {"check text broken", badCheck, 2, "case.dat\" fails its check: the check text does not match"},
        {"cut inside the records", records.substr(0, at[m_nRecords / 2] + 1), 2, "is cut short"},
        {"a bit of the trailer flipped", flipped, 2, "no intact digest trailer"},
        {"trailer cut", m_strGame.substr(0, m_strGame.size() - 1), 2, "no intact digest trailer"},
        {"no trailer, the score matches", records, 3, "only the final score could be compared, and it matches"},
        {"no trailer, another score", otherScore, 1, "the final score differs"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        const fs::path file = m_Home.path / "case.dat";
        fs::remove(file);
        if (!c.bytes.empty()) Write("case.dat", c.bytes);
        ASSERT_EQ(Verify(file), c.exitCode) << m_Home.Out() << m_Home.Err();
        const std::string said = c.exitCode == 2 ? m_Home.Err() : m_Home.Out();
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
    }
}

TEST(Autopilot, PlaysFromTheTitleBackToBackKeepingReplaysButNoRecords)
{
    CGameHome home;
    const std::string records = ReadText(home.path / "critical.ini");
    // Chapter 2 alone, then, from the save list, the main menu and a full run.
    ASSERT_EQ(home.RunArgs({"--null-renderer", "--unpaced", "--autopilot", "--stage", "1", "--games", "2",
                            "--frames", "100000", "--home", home.path.string()},
                           300),
              0)
        << home.Err();
    const std::string log = home.Stages();
    const std::string scene = ReadText(home.path / "log" / "scene.txt");
    SCOPED_TRACE(log);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, std::regex("(\\d+):-5 (\\d+):-2 (\\d+):-3L \\d+:0 .* \\d+:-5")));
    EXPECT_EQ(m[1], m[2]) << "the save list left at once";
    EXPECT_LT(std::stoll(m[3]) - std::stoll(m[2]), 10) << "the next game started from the main menu";

    // The second game, a full run, is the kept replay, and it proves itself
    // (nothing of the first game lingers in it).
    const std::string game = ReadText(home.path / "replay" / "_tmp.dat");
    ASSERT_GT(game.size(), 72u);
    EXPECT_EQ(U32(game, 56), 0xFFFFFFFFu);
    EXPECT_EQ(home.RunArgs({"--verify-replay", (home.path / "replay" / "_tmp.dat").string(), "--home",
                            home.path.string()}),
              0)
        << home.Out();
    for (int slot = 0; slot < 10; ++slot)
        EXPECT_FALSE(fs::exists(home.path / "replay" / ("replay" + std::to_string(slot) + ".dat")));
    EXPECT_EQ(ReadText(home.path / "critical.ini"), records) << "no play count, time, chapter or barrage record";

    // The scene log ends each game with what a long run compares: its steps,
    // score and final digest (those of the kept replay for the last game) and
    // the memory held so far; the run's end gives the memory once more.
    const std::regex over("step (\\d+) game over: (\\d+) steps, score (-?\\d+), final digest ([0-9a-f]{16}), "
                          "peak resident (\\d+) KiB\n");
    std::vector<std::smatch> ends(std::sregex_iterator(scene.begin(), scene.end(), over), std::sregex_iterator());
    ASSERT_EQ(ends.size(), 2u) << scene;
    CReplay kept;
    ASSERT_TRUE(kept.Load((home.path / "replay" / "_tmp.dat").string()));
    ASSERT_EQ(kept.GetTrailerState(), EReplayTrailer::Intact);
    const CReplayTrailer& trailer = kept.GetTrailer();
    EXPECT_EQ(std::stoul(ends[1][2]), trailer.m_dwSteps);
    EXPECT_EQ(std::stol(ends[1][3]), trailer.m_nFinalScore);
    EXPECT_EQ(std::stoull(ends[1][4], nullptr, 16), trailer.m_Final.m_qwDigest);
    const long long firstPeak = std::stoll(ends[0][5]), secondPeak = std::stoll(ends[1][5]);
    EXPECT_GT(firstPeak, 1024) << "the program and its library take more than a MiB";
    EXPECT_GE(secondPeak, firstPeak) << "a high-water mark never falls";
    std::smatch end;
    ASSERT_TRUE(std::regex_search(scene, end, std::regex("step (\\d+) end of run: peak resident (\\d+) KiB\n$")))
        << scene;
    EXPECT_GE(std::stoll(end[1]), std::stoll(ends[1][1]));
    EXPECT_GE(std::stoll(end[2]), secondPeak);

    // From the title, by itself, into a full run.
    ASSERT_EQ(home.RunArgs({"--null-renderer", "--unpaced", "--autopilot", "--frames", "100", "--home",
                            home.path.string()}),
              0);
    EXPECT_TRUE(std::regex_search(home.Stages(), std::regex("^0:-1 0:-6 \\d+:-2 \\d+:-3L \\d+:0$")))
        << home.Stages();
}
