// What a player hears, measured on the game's own output: a whole autopilot
// game and the title, captured headless with --audio-out. The mix must never
// clip and the title must sound as loud as play.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>

#include "assets_fixture.h"
#include "tests/support/Loudness.h"
#include "tests/support/TempHome.h"

using namespace assets;

namespace {

constexpr int kRate = 22050;
// The offline mixer is pulled for 16 and 17 ms in turn per step.
constexpr double kFramesPerStep = 16.5 * kRate / 1000.0;

// The interleaved stereo samples of a capture (its "data" chunk).
std::vector<int16_t> ReadCapture(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto le32 = [&file](size_t at) {
        uint32_t v = 0;
        for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<uint8_t>(file[at + static_cast<size_t>(k)]);
        return v;
    };
    std::vector<int16_t> samples;
    for (size_t at = 12; at + 8 <= file.size();) {
        const size_t size = std::min<size_t>(le32(at + 4), file.size() - at - 8);
        if (std::memcmp(file.data() + at, "data", 4) == 0) {
            samples.resize(size / 2);
            std::memcpy(samples.data(), file.data() + at + 8, samples.size() * 2);
            break;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

// A fresh game folder with the built library and a score name.
std::filesystem::path GameFolder(const CTempHome& temp)
{
    const std::filesystem::path home = temp.Path();
    std::filesystem::copy_file(DataDll(), home / "data.dll");
    std::ofstream(home / "critical.ini") << "scorename,tester\n";
    return home;
}

// The steps of each chapter's play (from its start to its result screen), read
// from the scene log.
struct SPlay {
    int chapter;
    long first, end;
};

std::vector<SPlay> ChaptersPlayed(const std::filesystem::path& sceneLog)
{
    std::ifstream in(sceneLog);
    std::vector<SPlay> out;
    const std::regex start(R"(step (\d+) stage ([01])$)"), result(R"(step (\d+) phase 4 \(stage ([01])\))");
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, start)) out.push_back({std::stoi(m[2]), std::stol(m[1]), -1});
        else if (std::regex_search(line, m, result) && !out.empty() && out.back().chapter == std::stoi(m[2]))
            out.back().end = std::stol(m[1]);
    }
    return out;
}

}  // namespace

TEST(MixLevels, AWholeGameNeverClipsAndPlaysAsLoudAsTheTitle)
{
    const std::string game = BinDir() + "/korvo";
    if (!std::filesystem::exists(game)) GTEST_SKIP() << "the game is not built yet";

    // The title loop with its music, up to the main menu.
    const CTempHome titleTemp("mz-mix-title", false);
    const std::filesystem::path titleHome = GameFolder(titleTemp);
    std::string out;
    ASSERT_EQ(RunCommand(Quote(game) + " --null-renderer --unpaced --frames 2160 --home " + Quote(titleHome.string()) +
                             " --audio-out " + Quote((titleHome / "title.wav").string()),
                         &out),
              0)
        << out;
    const std::vector<int16_t> title = ReadCapture(titleHome / "title.wav");
    ASSERT_GT(title.size(), 2u * 30 * kRate) << "the title capture is short";

    // A whole game, both chapters, as the autopilot plays it.
    const CTempHome runTemp("mz-mix-run", false);
    const std::filesystem::path runHome = GameFolder(runTemp);
    ASSERT_EQ(RunCommand(Quote(game) + " --null-renderer --unpaced --autopilot --games 1 --home " +
                             Quote(runHome.string()) + " --audio-out " + Quote((runHome / "run.wav").string()),
                         &out),
              0)
        << out;
    const std::vector<int16_t> run = ReadCapture(runHome / "run.wav");
    const std::vector<SPlay> chapters = ChaptersPlayed(runHome / "log" / "scene.txt");
    ASSERT_EQ(chapters.size(), 2u) << "the autopilot plays both chapters";

    // No sample on the rails, and every peak at or under -1 dBFS.
    const loudness::SPeaks peaks = loudness::Peaks(run.data(), run.size());
    std::printf("whole game: %.1f s, peak %.2f dBFS, %zu samples at full scale\n", run.size() / 2.0 / kRate,
                loudness::Dbfs(peaks.peak), peaks.fullScale);
    EXPECT_EQ(peaks.fullScale, 0u);
    EXPECT_LE(peaks.peak, 29204) << "over -1 dBFS";
    // The levels of the sounds keep the sum under the ceiling; the output's
    // limiter only catches a rare coincidence. Where it works all the time,
    // peaks crowd just under its ceiling.
    const size_t nearCeiling = static_cast<size_t>(std::count_if(run.begin(), run.end(), [](int16_t v) {
        return std::abs(static_cast<int>(v)) > 26029;  // -2 dBFS
    }));
    std::printf("samples within 0.5 dB of the limiter's ceiling: %zu\n", nearCeiling);
    EXPECT_LE(nearCeiling, run.size() / 100000);

    // Short-term loudness (3 s): the title's typical moment against each
    // chapter's, within 3 dB.
    const loudness::SMeasure titleLevel = loudness::Measure(title.data(), 0, title.size() / 2, 2, kRate);
    const double titleMedian = loudness::Median(titleLevel.shortTerm);
    std::printf("title: short-term median %.1f LUFS (integrated %.1f)\n", titleMedian, titleLevel.integrated);
    for (const SPlay& c : chapters) {
        SCOPED_TRACE("chapter " + std::to_string(c.chapter + 1));
        ASSERT_GT(c.end, c.first) << "the chapter reached its result";
        const size_t first = static_cast<size_t>(c.first * kFramesPerStep);
        const size_t end = std::min(run.size() / 2, static_cast<size_t>(c.end * kFramesPerStep));
        const loudness::SMeasure level = loudness::Measure(run.data(), first, end, 2, kRate);
        ASSERT_FALSE(level.shortTerm.empty()) << "shorter than one 3 s window";
        const double median = loudness::Median(level.shortTerm);
        std::printf("chapter %d play: short-term median %.1f LUFS (integrated %.1f, loudest 3 s %.1f)\n",
                    c.chapter + 1, median, level.integrated,
                    *std::max_element(level.shortTerm.begin(), level.shortTerm.end()));
        EXPECT_NEAR(median, titleMedian, 3.0);
    }
}
