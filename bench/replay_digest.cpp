// What the replays' digests cost against the steps they prove, where the game
// holds the most objects: chapter 2's boss on barrage 23 (burst rings that
// split twice, wide sweeps) with the escorts of its waves, the craft firing,
// on the null renderer, as --verify-replay plays.
//
// BM_DigestShareOfAStep plays ten seconds of it, timing each step and, apart
// from it, a digest of the state the step left. Its time is the median
// digest; the counters give the median step, the objects digested, the
// digest's share of one step, and its share of each step of play (a digest is
// taken every 60 steps), in percent.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/GameDigest.h"
#include "boss_fight.h"
#include "persist/Replay.h"
#include "stage/CustomStageControler.h"

namespace {

constexpr int kSteps = 600;

void Step()
{
    SceneFrame();
    SceneInput();
}

double MsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void BM_DigestShareOfAStep(benchmark::State& state)
{
    CFiringGame game;
    std::string error;
    if (!game.Start(error, true)) {
        state.SkipWithError(error.c_str());
        return;
    }

    for (auto _ : state) {
        if (!EnterBarrage23(Step)) {
            state.SkipWithError("no boss");
            break;
        }
        std::vector<double> steps, digests;
        std::vector<double> parts;
        uint64_t sink = 0;
        for (int i = 0; i < kSteps; ++i) {
            auto t0 = std::chrono::steady_clock::now();
            Step();
            steps.push_back(MsSince(t0));
            t0 = std::chrono::steady_clock::now();
            const SReplayDigest d = TakeGameDigest();
            digests.push_back(MsSince(t0));
            sink ^= d.m_qwDigest;
            parts.push_back(static_cast<double>(d.m_Tags.size()));
        }
        benchmark::DoNotOptimize(sink);
        const double step = Median(steps);
        const double digest = Median(digests);
        state.SetIterationTime(digest / 1000.0);
        state.counters["step_ms"] = step;
        state.counters["parts"] = Median(parts);
        state.counters["share_of_a_step_pct"] = 100.0 * digest / step;
        state.counters["share_per_step_pct"] =
            100.0 * digest / (static_cast<double>(CReplayTrailer::kInterval) * step);
    }
}
BENCHMARK(BM_DigestShareOfAStep)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace
