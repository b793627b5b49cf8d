// The heaviest boss fight: chapter 2's barrage 23 (patterns 19 and 23: burst
// rings that split twice, and wide sweeps) with the escorts of the chapter's
// waves, the craft firing all the time, on the headless OpenGL back end.
//
// BM_Barrage23Frames lets the barrage run one whole cycle of its bursts (so
// that every picture and shader it needs has been used once), then plays ten
// seconds more, one whole step (SceneFrame, SceneInput, glFinish) a frame, and
// reports the median frame of the heaviest second (the second with
// the slowest median) as its time, with that second's worst frame, its
// bullets at the peak and the median over all ten seconds as counters.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "boss_fight.h"
#include "core/ObjectLists.h"
#include "platform/Renderer.h"
#include "stage/CustomStageControler.h"

namespace {

constexpr int kSeconds = 10;

void BM_Barrage23Frames(benchmark::State& state)
{
    CFiringGame game;
    std::string error;
    if (!game.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }

    for (auto _ : state) {
        if (!EnterBarrage23(StepAndFinish)) {
            state.SkipWithError("no boss");
            break;
        }
        std::vector<double> ms;
        std::vector<int> bullets;
        for (int i = 0; i < 60 * kSeconds; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            StepAndFinish();
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            bullets.push_back(g_EnemyShotList.Count());
        }
        int heaviest = 0;
        double heaviestMedian = 0.0;
        for (int s = 0; s < kSeconds; ++s) {
            const double m = Median(std::vector<double>(ms.begin() + 60 * s, ms.begin() + 60 * (s + 1)));
            if (m > heaviestMedian) {
                heaviestMedian = m;
                heaviest = s;
            }
        }
        const auto first = ms.begin() + 60 * heaviest;
        state.SetIterationTime(heaviestMedian / 1000.0);
        state.counters["heaviest_second"] = heaviest;
        state.counters["heaviest_worst_ms"] = *std::max_element(first, first + 60);
        state.counters["heaviest_bullets_peak"] =
            *std::max_element(bullets.begin() + 60 * heaviest, bullets.begin() + 60 * (heaviest + 1));
        state.counters["all_median_ms"] = Median(ms);
        state.counters["bullets_peak"] = *std::max_element(bullets.begin(), bullets.end());
    }
}
BENCHMARK(BM_Barrage23Frames)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
