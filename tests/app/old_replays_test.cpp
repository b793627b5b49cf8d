// Replays recorded by earlier builds still play exactly as they were
// recorded: every digest of their trailers and the final score match.
#include "game_home.h"

namespace {

struct SOldReplay {
    const char* file;
    const char* verdict;
};

TEST(OldReplays, EveryKeptReplayOfAnEarlierBuildStillVerifies)
{
    const SOldReplay kReplays[] = {
        {"full-run.dat", "verified: 31348 steps, score 2062880"},
        {"chapter2.dat", "verified: 17956 steps, score 804710"},
        {"shot-down.dat", "verified: 2339 steps, score 167050"},
    };
    for (const SOldReplay& r : kReplays) {
        SCOPED_TRACE(r.file);
        CGameHome home;
        const fs::path file = fs::path(MZ_SOURCE_DIR) / "tests" / "fixtures" / "replays" / r.file;
        ASSERT_EQ(home.RunArgs({"--verify-replay", file.string(), "--home", home.path.string()}), 0)
            << home.Out() << home.Err();
        EXPECT_EQ(home.Out(), std::string(r.verdict) + "\n");
    }
}

}  // namespace
