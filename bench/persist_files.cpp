// Costs paid at start-up and at the end of a game: descrambling the resource
// library and writing/reading a long replay.
#include "core/Util.h"
#include "bench_folder.h"
#include "persist/Replay.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

static void BM_DescrambleResource(benchmark::State& state)
{
    std::vector<std::uint8_t> in(static_cast<std::size_t>(state.range(0)), 0x5A), out(in.size());
    for (auto _ : state) {
        DescrambleResource(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_DescrambleResource)->Arg(4 << 10)->Arg(4 << 20);

// Thirty minutes of play at 60 frames a second, half of the frames with input.
static void FillReplay(CReplay& r)
{
    r.Clear();
    for (int i = 0; i < 30 * 60 * 60; ++i) {
        CInputRecord rec;
        if (i & 1) {
            rec.m_fX = 1.0f;
            rec.m_bAttack0 = 1;
        }
        r.Record(rec);
    }
}

static std::string BenchDir()
{
    const std::string dir = MakeBenchFolder();
    return dir.empty() ? dir : dir + "/";
}

static void BM_ReplaySaveLoad(benchmark::State& state)
{
    std::string dir = BenchDir();
    if (dir.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    CReplay r;
    FillReplay(r);
    const std::string path = dir + "replay.dat";
    for (auto _ : state) {
        if (r.Save(path, -1, "bench", 123456, 1800000) != 0 || !r.Load(path)) {
            state.SkipWithError("replay file failed");
            break;
        }
        FillReplay(r);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_ReplaySaveLoad)->Unit(benchmark::kMillisecond);
