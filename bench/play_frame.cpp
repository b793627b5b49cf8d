// Chapter 1's waves as the side-by-side measurement plays them: the craft fires
// all the time and sweeps left and right, now and then up and down, on the
// headless OpenGL back end. Twenty seconds of whole steps (SceneFrame,
// SceneInput, glFinish) after the first second; reports the median frame as its
// time, with the worst frame, and the median CPU per frame of every thread of
// the process (the rasteriser's included), which a busy machine disturbs less
// than the wall clock; and the median draw calls and wireframe lines of a frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "core/ObjectLists.h"
#include "bench_figures.h"
#include "headless_game.h"
#include "input/InputScript.h"
#include "platform/Renderer.h"
#include "stage/CustomStageControler.h"

namespace {

constexpr int kFrames = 20 * 60;

std::string SweepingFire(int frames)
{
    struct Move {
        const char* axes;
        int length;
    };
    const Move moves[] = {{"x=-1", 60}, {"", 20}, {"x=1", 120}, {"", 20}, {"x=-1", 60}, {"y=1", 30}, {"", 20}, {"y=-1", 30}};
    std::string text;
    for (int f = 0, i = 0; f < frames; ++i) {
        const Move& m = moves[i % 8];
        text += std::to_string(f) + "-" + std::to_string(f + m.length - 1) + " attack0 " + m.axes + "\n";
        f += m.length;
    }
    return text;
}

void BM_Chapter1WavesFrames(benchmark::State& state)
{
    CHeadlessGame game;
    std::string error;
    if (!game.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    g_bInvulnerable = true;  // the craft stays in the waves
    for (auto _ : state) {
        // The chapter loads (and prepares play's kinds of draw) as in the game.
        StartTestGame(CStageControler::STAGE_CHAPTER1, CStageControler::PHASE_WAVES);
        CInputScript script;
        if (!script.LoadText(SweepingFire(static_cast<int>(GetSceneStep()) + kFrames + 120), error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        SetSceneInputScript(&script);
        for (int i = 0; i < 60; ++i) StepAndFinish();
        std::vector<double> wall, cpu, calls, lines;
        int bullets = 0;
        for (int i = 0; i < kFrames; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            const double c0 = ProcessCpuMs();
            StepAndFinish();
            cpu.push_back(ProcessCpuMs() - c0);
            wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            bullets = std::max(bullets, g_EnemyShotList.Count());
            const SRenderStats& stats = g_pDevice->GetRenderer()->Stats();
            calls.push_back(stats.drawCalls);
            lines.push_back(stats.lines);
        }
        SetSceneInputScript(nullptr);
        state.SetIterationTime(Median(wall) / 1000.0);
        state.counters["worst_ms"] = *std::max_element(wall.begin(), wall.end());
        state.counters["cpu_median_ms"] = Median(cpu);
        state.counters["cpu_worst_ms"] = *std::max_element(cpu.begin(), cpu.end());
        state.counters["bullets_peak"] = bullets;
        state.counters["draw_calls_median"] = Median(calls);
        state.counters["lines_median"] = Median(lines);
    }
    g_bInvulnerable = false;
}
BENCHMARK(BM_Chapter1WavesFrames)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
