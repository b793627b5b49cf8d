// What a jump in a watched replay costs: the full run of tests/fixtures/replays
// (31,348 steps) watched on the OpenGL back end, as in a window. A jump back
// plays the replay again from its start unseen and unheard (draws discarded
// before the rasteriser, the mixer muted) to the step; a jump forward plays on
// the same way.
//
// BM_JumpBackFromTheEnd: 10 s back from step 31,000, the longest jump there is.
// BM_JumpForward10s: 10 s forward from the middle of the run.
// Counters: the steps the jump played and the time per step in microseconds.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "app/Viewer.h"
#include "headless_game.h"
#include "persist/Replay.h"

namespace {

const std::string kFullRun = std::string(MZ_SOURCE_DIR) + "/tests/fixtures/replays/full-run.dat";

bool StartWatching(CHeadlessGame& game, benchmark::State& state)
{
    std::string error;
    if (!game.Start(error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    if (!g_Replay.Load(kFullRun)) {
        state.SkipWithError(("the fixture cannot be read: " + g_Replay.GetLoadFault()).c_str());
        return false;
    }
    StartReplay(g_Replay.GetHeader().m_nChapter);
    return true;
}

// Times jumps from `from` to `to`; each iteration first goes (untimed) to from.
void TimeJumps(benchmark::State& state, int64_t from, int64_t to)
{
    CHeadlessGame game;
    if (!StartWatching(game, state)) return;
    for (auto _ : state) {
        JumpReplayTo(from);
        const auto t0 = std::chrono::steady_clock::now();
        JumpReplayTo(to);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(seconds);
        const int64_t played = to < from ? to : to - from;
        state.counters["steps_played"] = static_cast<double>(played);
        state.counters["us_per_step"] = seconds * 1e6 / static_cast<double>(played);
        if (WatchedStep() != to) state.SkipWithError("the jump did not land");
    }
}

void BM_JumpBackFromTheEnd(benchmark::State& state) { TimeJumps(state, 31000, 31000 - 600); }
BENCHMARK(BM_JumpBackFromTheEnd)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_JumpForward10s(benchmark::State& state) { TimeJumps(state, 15000, 15000 + 600); }
BENCHMARK(BM_JumpForward10s)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
