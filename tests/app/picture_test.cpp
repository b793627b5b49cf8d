// The pictures a player sees, held against references drawn by an earlier
// renderer (tests/app/pictures): the title's fades, both chapters' waves over
// their wireframe backgrounds, a chapter's opening and both bosses. Drawing
// may change how it gets there, never what shows: a line walked the other
// way may land a pixel apart, so at most 0.5 % of the pixels may differ by
// more than 8 levels in a channel. The frames-per-second figure follows the
// wall clock and is left out.
//
// MZ_PICTURE_REFERENCES=write draws the references anew into the source tree.
#include "game_home.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace {

const fs::path kReferences = fs::path(MZ_SOURCE_DIR) / "tests" / "app" / "pictures";

// Levels a channel may be off before its pixel counts as different, and the
// share of such pixels a picture may hold.
constexpr int kLevels = 8;
constexpr double kShare = 0.005;

// The frames-per-second figure in the top right corner of play.
bool IsWallClockFigure(int x, int y) { return x >= 540 && x < 616 && y < 24; }

struct SDifference {
    int pixels = 0;    // compared pixels
    int any = 0;       // that differ at all
    int beyond = 0;    // by more than kLevels in some channel
    int largest = 0;   // the largest difference of a channel
};

SDifference Compare(const SPicture& a, const SPicture& b)
{
    SDifference d;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (IsWallClockFigure(x, y)) continue;
            ++d.pixels;
            int most = 0;
            for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(a.At(x, y)[c] - b.At(x, y)[c]));
            d.any += most > 0 ? 1 : 0;
            d.beyond += most > kLevels ? 1 : 0;
            d.largest = std::max(d.largest, most);
        }
    return d;
}

struct SRun {
    std::vector<std::string> args;  // besides --headless, --frames and the script
    std::string script;
    std::vector<std::pair<int, const char*>> shots;  // step, reference name
};

// Fire held while the craft sways left and right, then drifts up.
constexpr const char* kSway = "0-300 attack0 x=-0.6\n300-700 attack0 x=0.6\n700-2000 attack0 y=0.3\n";

const SRun kRuns[] = {
    {{}, "", {{450, "title-0450"}, {1800, "title-1800"}}},
    {{"--invulnerable", "--stage", "0:0"}, kSway, {{200, "chapter1-opening-0200"}}},
    {{"--invulnerable", "--stage", "0:1"}, kSway, {{400, "chapter1-waves-0400"}, {900, "chapter1-waves-0900"}}},
    {{"--invulnerable", "--stage", "0:3"}, kSway, {{500, "chapter1-boss-0500"}}},
    {{"--invulnerable", "--stage", "1:1"}, kSway, {{600, "chapter2-waves-0600"}}},
    {{"--invulnerable", "--stage", "1:3"}, kSway, {{700, "chapter2-boss-0700"}}},
};

TEST(Pictures, PlayAndTitleLookAsTheReferences)
{
    const char* mode = std::getenv("MZ_PICTURE_REFERENCES");
    const bool write = mode && std::string(mode) == "write";
    for (const SRun& run : kRuns) {
        CGameHome home;
        std::string at;
        for (const auto& shot : run.shots) at += (at.empty() ? "" : ",") + std::to_string(shot.first);
        std::vector<std::string> args = run.args;
        args.insert(args.end(), {"--snapshot-at", at});
        ASSERT_EQ(home.Run(run.script, run.shots.back().first + 1, args, false), 0) << home.Err();
        for (const auto& [step, name] : run.shots) {
            SCOPED_TRACE(name);
            const fs::path reference = kReferences / (std::string(name) + ".png");
            if (write) {
                fs::create_directories(kReferences);
                fs::copy_file(Snapshot(home, step), reference, fs::copy_options::overwrite_existing);
                continue;
            }
            SPicture now, then;
            ASSERT_TRUE(now.Load(Snapshot(home, step)));
            ASSERT_TRUE(then.Load(reference)) << reference;
            const SDifference d = Compare(now, then);
            std::cout << "picture " << name << ": " << d.any << " pixels differ, " << d.beyond << " ("
                      << 100.0 * d.beyond / d.pixels << " %) by more than " << kLevels
                      << " levels, largest difference " << d.largest << "\n";
            if (d.beyond > static_cast<int>(kShare * d.pixels)) {
                const fs::path kept = fs::temp_directory_path() / ("mz-picture-" + std::string(name) + ".png");
                fs::copy_file(Snapshot(home, step), kept, fs::copy_options::overwrite_existing);
                ADD_FAILURE() << d.beyond << " of " << d.pixels << " pixels differ by more than " << kLevels
                              << " levels; the picture drawn now is kept as " << kept;
            }
        }
    }
    if (write) GTEST_SKIP() << "references written to " << kReferences;
}

}  // namespace
