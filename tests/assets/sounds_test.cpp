// The generated sounds, decoded the way the game decodes them: every effect the
// asset set loads and the three pieces of music exist, play at the device's
// rate, do not clip or click, and the music loops without a seam.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "sound/OggDecoder.h"
#include "tests/support/Loudness.h"

namespace {

// The build writes the generated assets beside its bin folder.
const std::string kBuild = std::filesystem::path(MZ_BIN_DIR).parent_path().string();
const std::string kAssets = kBuild + "/assets";

// The effects of the asset set, in its load order.
const int kEffects[] = {115, 109, 107, 108, 105, 171, 112, 158, 147, 163, 162, 160, 113, 132,
                        168, 169, 119, 111, 102, 149, 152, 101, 110, 131, 116, 125, 126, 153,
                        148, 161, 134, 123, 118, 128, 170, 180, 142, 200, 400, 401, 402};
const int kMusic[] = {109, 111, 113};
constexpr int kLoopingEffect = 401;  // the slow-motion ambience, played looping

struct Pcm {
    int channels = 0;
    int rate = 0;
    std::vector<int16_t> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / channels : 0; }
    int At(size_t frame, int ch) const { return samples[frame * channels + ch]; }
};

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Decodes through the game's own decoder; failures become test failures.
bool Load(const std::string& path, Pcm& pcm)
{
    std::vector<uint8_t> file = ReadFile(path);
    if (file.empty()) {
        ADD_FAILURE() << path << " is missing or empty (the asset build writes it)";
        return false;
    }
    std::vector<uint8_t> image;
    std::string error;
    if (!DecodeOggToWave(file.data(), file.size(), image, &error)) {
        ADD_FAILURE() << path << " does not decode: " << error;
        return false;
    }
    SWaveInfo info;
    if (!ParseWaveImage(image.data(), image.size(), info, &error)) {
        ADD_FAILURE() << path << " gives a bad WAVE image: " << error;
        return false;
    }
    pcm.channels = info.nChannels;
    pcm.rate = info.nRate;
    pcm.samples.resize(info.nDataBytes / 2);
    for (size_t i = 0; i < pcm.samples.size(); ++i) {
        const uint8_t* p = image.data() + info.nDataOffset + 2 * i;
        pcm.samples[i] = static_cast<int16_t>(p[0] | (p[1] << 8));
    }
    return true;
}

int Peak(const Pcm& pcm)
{
    int peak = 0;
    for (int16_t s : pcm.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
}

// The given percentile of |x[i+1] - x[i]| over one channel.
int StepPercentile(const Pcm& pcm, int ch, double q)
{
    std::vector<int> steps;
    steps.reserve(pcm.Frames());
    for (size_t i = 1; i < pcm.Frames(); ++i) steps.push_back(std::abs(pcm.At(i, ch) - pcm.At(i - 1, ch)));
    size_t k = static_cast<size_t>(q * (steps.size() - 1));
    std::nth_element(steps.begin(), steps.begin() + k, steps.end());
    return steps[k];
}

std::string SePath(int id)
{
    return kAssets + "/SE/" + std::to_string(id) + ".ogg";
}
std::string BgmPath(int id)
{
    return kAssets + "/BGM/" + std::to_string(id) + ".ogg";
}

// The generator keeps every decoded peak at or under -0.5 dBFS, so a
// full-volume sound never reaches the rails.
constexpr int kNoClip = 30940;  // -0.5 dBFS

}  // namespace

TEST(Sounds, EveryEffectDecodesAtTheDeviceRateAudibleAndUnclipped)
{
    for (int id : kEffects) {
        SCOPED_TRACE("SE #" + std::to_string(id));
        Pcm pcm;
        if (!Load(SePath(id), pcm)) continue;
        EXPECT_EQ(pcm.rate, 22050);
        EXPECT_TRUE(pcm.channels == 1 || pcm.channels == 2);
        EXPECT_GE(pcm.Frames(), 22050u / 50) << "shorter than 20 ms";
        EXPECT_LE(pcm.Frames(), 22050u * 6) << "longer than any moment it marks";
        int peak = Peak(pcm);
        EXPECT_GT(peak, 32767 / 8) << "quieter than -18 dBFS: lost under the music";
        EXPECT_LE(peak, kNoClip);
    }
}

TEST(Sounds, EffectsStartAndEndInSilenceSoPlayingOrRestartingDoesNotClick)
{
    // Play() rewinds to the first sample, and a one-shot stops after the last:
    // a large value at either end is a click. The looping ambience is exempt
    // (its ends meet each other instead; see below).
    for (int id : kEffects) {
        if (id == kLoopingEffect) continue;
        SCOPED_TRACE("SE #" + std::to_string(id));
        Pcm pcm;
        if (!Load(SePath(id), pcm) || pcm.Frames() == 0) continue;
        for (int ch = 0; ch < pcm.channels; ++ch) {
            EXPECT_LE(std::abs(pcm.At(0, ch)), 1000);
            EXPECT_LE(std::abs(pcm.At(pcm.Frames() - 1, ch)), 1000);
        }
    }
}

TEST(Sounds, NoTwoEffectsAreTheSameSound)
{
    std::map<std::vector<int16_t>, int> seen;
    for (int id : kEffects) {
        Pcm pcm;
        if (!Load(SePath(id), pcm)) continue;
        auto [it, fresh] = seen.emplace(pcm.samples, id);
        EXPECT_TRUE(fresh) << "SE #" << id << " decodes exactly like SE #" << it->second;
    }
}

TEST(Sounds, SlowMotionStartLastsUntilItsAmbienceTakesOver)
{
    // The start sound chains its looping ambience 75 frames (1.25 s) later; a
    // shorter start sound would leave a gap of silence before it.
    Pcm start;
    if (Load(SePath(400), start)) {
        EXPECT_GE(start.Frames(), 22050u * 5 / 4);
    }
}

TEST(Sounds, LoopedSoundsWrapWithoutASeam)
{
    // The wrap from the last frame to the first must look like any other step
    // of the sound: a loop cut at the wrong length or ending on a different
    // level jumps far past the sound's own largest ordinary steps.
    struct Case {
        std::string path;
        double minSeconds;
    };
    std::vector<Case> cases = {{SePath(kLoopingEffect), 1.0}};
    for (int id : kMusic) cases.push_back({BgmPath(id), 60.0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Pcm pcm;
        if (!Load(c.path, pcm)) continue;
        EXPECT_EQ(pcm.rate, 22050);
        EXPECT_GE(static_cast<double>(pcm.Frames()) / 22050.0, c.minSeconds);
        EXPECT_LE(Peak(pcm), kNoClip);
        for (int ch = 0; ch < pcm.channels; ++ch) {
            int seam = std::abs(pcm.At(0, ch) - pcm.At(pcm.Frames() - 1, ch));
            EXPECT_LE(seam, StepPercentile(pcm, ch, 0.95)) << "channel " << ch;
            // A DC offset would turn every restart of the loop into a step.
            double sum = 0.0;
            for (size_t i = 0; i < pcm.Frames(); ++i) sum += pcm.At(i, ch);
            EXPECT_LE(std::fabs(sum / pcm.Frames()), 32767 * 0.005) << "channel " << ch;
        }
    }
}

TEST(Sounds, EveryPieceOfMusicIsEquallyLoudAndLeavesRoomForTheEffects)
{
    // The title must not sound quieter than play, and music that peaks near
    // full scale leaves nothing for the effects played over it.
    std::vector<double> levels;
    for (int id : kMusic) {
        SCOPED_TRACE("BGM #" + std::to_string(id));
        Pcm pcm;
        if (!Load(BgmPath(id), pcm)) continue;
        levels.push_back(loudness::Measure(pcm.samples.data(), 0, pcm.Frames(), pcm.channels, pcm.rate).integrated);
        EXPECT_LE(loudness::Dbfs(Peak(pcm)), -3.0);
    }
    ASSERT_FALSE(levels.empty());
    const auto [quietest, loudest] = std::minmax_element(levels.begin(), levels.end());
    EXPECT_LE(*loudest - *quietest, 1.0) << "integrated loudness from " << *quietest << " to " << *loudest << " LUFS";
}

TEST(Sounds, MusicIsStereo)
{
    for (int id : kMusic) {
        Pcm pcm;
        if (Load(BgmPath(id), pcm)) {
            EXPECT_EQ(pcm.channels, 2) << "BGM #" << id;
        }
    }
}

TEST(Sounds, GeneratingAgainWritesTheSameBytes)
{
    // The library must be the same on every build: run the generator's sound
    // group into a scratch folder and compare with what the build wrote.
    const std::string tool = kBuild + "/tools/bin/assetgen";
    const std::string scratch = testing::TempDir() + "mz_sounds_again";
    std::string cmd = "\"" + tool + "\" \"" + scratch + "\" sounds > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::vector<std::string> names;
    for (int id : kEffects) names.push_back("SE/" + std::to_string(id) + ".ogg");
    for (int id : kMusic) names.push_back("BGM/" + std::to_string(id) + ".ogg");
    for (const std::string& name : names) {
        std::vector<uint8_t> built = ReadFile(kAssets + "/" + name);
        std::vector<uint8_t> again = ReadFile(scratch + "/" + name);
        EXPECT_FALSE(built.empty()) << name;
        EXPECT_TRUE(built == again) << name << " differs between two runs";
    }
}
