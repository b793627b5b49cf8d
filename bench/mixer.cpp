// Mixing 32 playing voices into one second of 22050 Hz stereo output, the way
// the audio thread does it (512-frame callbacks). Budget: 5 ms per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/AudioMixer.h"

namespace {

std::vector<int16_t> Tone(size_t nFrames, int nChannels, double hz, int nRate)
{
    std::vector<int16_t> v(nFrames * static_cast<size_t>(nChannels));
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<int16_t>(8000.0 * std::sin(2.0 * M_PI * hz * static_cast<double>(i / nChannels) / nRate));
    return v;
}

// state.range(0): source rate of the voices (22050 = the output rate, copied;
// anything else is resampled). Half the voices are mono, half stereo; all loop,
// with assorted volumes and pans.
void BM_Mix32VoicesOneSecond(benchmark::State& state)
{
    const int nRate = static_cast<int>(state.range(0));
    CAudioMixer mixer(22050);
    std::vector<CAudioBuffer*> voices;
    for (int i = 0; i < 32; ++i) {
        const int nChannels = 1 + i % 2;
        CAudioBuffer* b = mixer.CreateBuffer(nChannels, nRate, Tone(static_cast<size_t>(nRate) * 2, nChannels, 200.0 + 37 * i, nRate));
        b->SetVolume(-(i * 97) % 3000);
        b->SetPan(((i * 613) % 4000) - 2000);
        b->Play(SOUND_PLAY_LOOPING);
        voices.push_back(b);
    }
    std::vector<int16_t> out(2 * 512);
    for (auto _ : state) {
        for (int n = 0; n < 22050; n += 512)
            mixer.Mix(out.data(), std::min(512, 22050 - n));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel("one second of output per iteration");
    for (CAudioBuffer* b : voices)
        delete b;
}
BENCHMARK(BM_Mix32VoicesOneSecond)->Arg(22050)->Arg(44100)->Arg(11025)->Unit(benchmark::kMillisecond);

}  // namespace
