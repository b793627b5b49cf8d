// What proving replays and playing by autopilot cost against the steps of
// play, where the game holds the most objects: chapter 2's boss on barrage 23
// (burst rings that split twice, wide sweeps) with the escorts of its waves,
// the craft firing, on the null renderer, as --verify-replay plays.
//
// Each benchmark plays ten seconds of it, timing each step and, apart from
// it, the work measured on the state the step left. Its time is that work's
// median; the counters give the median step and the work's share of it in
// percent.
//
// BM_DigestShareOfAStep: a digest (also: the parts digested, and the share of
// each step of play, a digest being taken every 60 steps).
// BM_AutopilotShareOfAStep: the autopilot's decision, taken every step.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/Autopilot.h"
#include "stage/GameDigest.h"
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

// Plays kSteps steps of the fight; after each, times work() on the state it
// left. Sets the iteration time to the work's median and the counters of
// both; returns the work's and the step's medians in milliseconds.
template <class Work>
bool MeasureBesideSteps(benchmark::State& state, Work work, double& workMs, double& stepMs)
{
    CFiringGame game;
    std::string error;
    if (!game.Start(error, true)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    if (!EnterBarrage23(Step)) {
        state.SkipWithError("no boss");
        return false;
    }
    std::vector<double> steps, works;
    for (int i = 0; i < kSteps; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        Step();
        steps.push_back(MsSince(t0));
        t0 = std::chrono::steady_clock::now();
        work();
        works.push_back(MsSince(t0));
    }
    stepMs = Median(steps);
    workMs = Median(works);
    state.SetIterationTime(workMs / 1000.0);
    state.counters["step_ms"] = stepMs;
    state.counters["share_of_a_step_pct"] = 100.0 * workMs / stepMs;
    return true;
}

void BM_DigestShareOfAStep(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<double> parts;
        uint64_t sink = 0;
        double digest = 0.0, step = 0.0;
        const auto work = [&] {
            const SReplayDigest d = TakeGameDigest();
            sink ^= d.m_qwDigest;
            parts.push_back(static_cast<double>(d.m_Tags.size()));
        };
        if (!MeasureBesideSteps(state, work, digest, step)) break;
        benchmark::DoNotOptimize(sink);
        state.counters["parts"] = Median(parts);
        state.counters["share_per_step_pct"] =
            100.0 * digest / (static_cast<double>(CReplayTrailer::kInterval) * step);
    }
}
BENCHMARK(BM_DigestShareOfAStep)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

void BM_AutopilotShareOfAStep(benchmark::State& state)
{
    for (auto _ : state) {
        CAutopilot pilot;
        CInputRecord previous;
        double decision = 0.0, step = 0.0;
        const auto work = [&] {
            previous = pilot.Decide(previous);
            benchmark::DoNotOptimize(previous);
        };
        if (!MeasureBesideSteps(state, work, decision, step)) break;
    }
}
BENCHMARK(BM_AutopilotShareOfAStep)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace
