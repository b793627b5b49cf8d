// Decoding every sound the game loads at start: the 41 effects, decoded whole,
// and the title music, streamed (its frames counted once), from Ogg Vorbis into
// playable buffers (what each CSound does when it is created). Budget: 0.5 s in
// all. BM_StreamMusicOneSecond: what a playing music track costs the mixer,
// decoding included, per second of sound.
//
// Uses the generated assets (the build's assets/SE and assets/BGM folders) when
// they exist, else fixtures of the same shape: 41 effects of 1.5 s, mono, and
// 64 s of stereo music, all at 22050 Hz.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sound/SoundSystem.h"
#include "tests/sound/OggFixture.h"

namespace {

const int kEffectIds[41] = {115, 109, 107, 108, 105, 171, 112, 158, 147, 163, 162, 160, 113, 132,
                            168, 169, 119, 111, 102, 149, 152, 101, 110, 131, 116, 125, 126, 153,
                            148, 161, 134, 123, 118, 128, 170, 180, 142, 200, 400, 401, 402};

std::vector<uint8_t> ReadFile(const std::filesystem::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

struct SStartSounds {
    std::vector<std::vector<uint8_t>> files;
    std::string origin;
    size_t bytes = 0;
};

const SStartSounds& StartSounds()
{
    static SStartSounds s = [] {
        SStartSounds r;
        const std::filesystem::path dir = std::filesystem::path(MZ_BIN_DIR).parent_path() / "assets";
        bool bAll = std::filesystem::exists(dir / "BGM" / "109.ogg");
        for (int id : kEffectIds)
            bAll = bAll && std::filesystem::exists(dir / "SE" / (std::to_string(id) + ".ogg"));
        if (bAll) {
            for (int id : kEffectIds)
                r.files.push_back(ReadFile(dir / "SE" / (std::to_string(id) + ".ogg")));
            r.files.push_back(ReadFile(dir / "BGM" / "109.ogg"));
            r.origin = "generated assets";
        } else {
            for (int i = 0; i < 41; ++i) {
                std::vector<int16_t> pcm = MakeTone(33075, 1, 22050, 300.0 + 20 * i, 0.4);
                const std::vector<int16_t> noise = MakeNoise(33075, 1, 0.2);
                for (size_t k = 0; k < pcm.size(); ++k)
                    pcm[k] = static_cast<int16_t>(pcm[k] + noise[k]);
                r.files.push_back(EncodeOgg(pcm, 1, 22050, 0.3f));
            }
            std::vector<int16_t> music = MakeTone(64 * 22050, 2, 22050, 220.0, 0.3);
            const std::vector<int16_t> noise = MakeNoise(64 * 22050, 2, 0.1);
            for (size_t k = 0; k < music.size(); ++k)
                music[k] = static_cast<int16_t>(music[k] + noise[k]);
            r.files.push_back(EncodeOgg(music, 2, 22050, 0.3f));
            r.origin = "fixtures";
        }
        for (const auto& f : r.files)
            r.bytes += f.size();
        return r;
    }();
    return s;
}

void BM_DecodeStartSounds(benchmark::State& state)
{
    const SStartSounds& in = StartSounds();
    CSoundSystem sys(CSoundSystem::Offline{});
    for (auto _ : state) {
        std::vector<CSound*> sounds;
        for (size_t i = 0; i < in.files.size(); ++i) {
            const auto& f = in.files[i];
            const bool bMusic = i + 1 == in.files.size();
            sounds.push_back(new CSound(&sys, f.data(), f.size(), "bench",
                                        bMusic ? CSound::EStorage::Streamed : CSound::EStorage::Decoded));
        }
        benchmark::DoNotOptimize(sounds.data());
        for (CSound* s : sounds) {
            if (!s->IsLoaded())
                state.SkipWithError("a sound failed to decode");
            delete s;
        }
    }
    state.SetLabel(in.origin + ", " + std::to_string(in.files.size()) + " files, " +
                   std::to_string(in.bytes / 1024) + " KiB of Ogg");
}
BENCHMARK(BM_DecodeStartSounds)->Unit(benchmark::kMillisecond);

void BM_StreamMusicOneSecond(benchmark::State& state)
{
    const SStartSounds& in = StartSounds();
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound music(&sys, in.files.back().data(), in.files.back().size(), "music", CSound::EStorage::Streamed);
    if (!music.IsLoaded()) {
        state.SkipWithError("the music failed to load");
        return;
    }
    music.PlayLoop();
    std::vector<int16_t> out(2 * 512);
    for (auto _ : state) {
        for (int n = 0; n < 22050; n += 512)
            sys.Render(out.data(), std::min(512, 22050 - n));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(in.origin + ", one second of output per iteration");
}
BENCHMARK(BM_StreamMusicOneSecond)->Unit(benchmark::kMillisecond);

}  // namespace
