// The scrolling wireframe background alone, as play draws it: a chapter's waves
// are played for two seconds on the headless OpenGL back end, then every frame
// clears the picture and draws only the background's chunks (the city of
// chapter 1, the canyon of chapter 2) from the play camera, and waits for the
// rasteriser (glFinish). Reports the time per frame, the CPU of every thread of
// the process per frame (the rasteriser's included, less disturbed by a busy
// machine than the wall clock), the chunks, the draw calls, the draws left out as unseen and the lines of a
// frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/ObjectLists.h"
#include "gfx/BG.h"
#include "bench_figures.h"
#include "headless_game.h"
#include "platform/Renderer.h"
#include "stage/CustomStageControler.h"

namespace {

std::vector<CBG*> Chunks()
{
    std::vector<CBG*> out;
    for (int i = 0; i < g_EffectList.Count(); ++i)
        if (auto* bg = dynamic_cast<CBG*>(g_EffectList.At(i)); bg && bg->m_nState != CObject::STATE_DEAD)
            out.push_back(bg);
    return out;
}

void BM_CityFrame(benchmark::State& state)
{
    CHeadlessGame game;
    std::string error;
    if (!game.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int chapter = static_cast<int>(state.range(0));
    StartTestGame(chapter == 0 ? CStageControler::STAGE_CHAPTER1 : CStageControler::STAGE_CHAPTER2,
                  CStageControler::PHASE_WAVES);
    for (int i = 0; i < 120; ++i) StepAndFinish();
    const std::vector<CBG*> chunks = Chunks();
    if (chunks.empty()) {
        state.SkipWithError("no background");
        return;
    }
    CGraphicsDevice& d = *g_pDevice;
    CRenderer& r = *d.GetRenderer();
    auto frame = [&] {
        d.BeginFrame();
        d.SetPlayFieldViewport();
        for (CBG* bg : chunks) bg->Draw();
        d.EndFrame();
        d.Present();
        r.Finish();
    };
    for (int i = 0; i < 5; ++i) frame();
    const double cpu0 = ProcessCpuMs();
    for (auto _ : state) frame();
    state.counters["cpu_ms_per_frame"] = (ProcessCpuMs() - cpu0) / static_cast<double>(state.iterations());
    state.counters["chunks"] = static_cast<double>(chunks.size());
    state.counters["draw_calls"] = r.Stats().drawCalls;
    state.counters["unseen_draws"] = r.Stats().unseenDraws;
    state.counters["lines"] = r.Stats().lines;
}

BENCHMARK(BM_CityFrame)->ArgName("chapter")->Arg(0)->Arg(1)->Apply(LeastOfFiveRepetitions);

}  // namespace
