// Enemy fire on the null renderer: one simulation step with 2,000 live enemy
// bullets, 16 raptors stepping their emitters and the craft testing every
// bullet (drawing goes through the device and the null back end, which keeps
// every state and draws nothing); and pattern 19's heaviest second, where 12
// bullets burst into 96 and then into up to 480, frame by frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "core/Util.h"
#include "bench_device.h"
#include "enemy/BarrageFire.h"
#include "enemy/EnemyShot.h"
#include "enemy/Raptor.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "platform/Window.h"
#include "player/MyKorvo.h"

namespace {

// The device on the null back end, six bullet pictures and the craft.
struct SWorld {
    CWindow window;
    std::unique_ptr<CGraphicsDevice> device;
    std::vector<std::unique_ptr<CTexture>> textures;
    std::unique_ptr<CMyKorvo> craft;
    int32_t stock = 0;
    std::string home;

    bool Open()
    {
        if (!OpenBenchDevice(window, device, home, true)) return false;
        g_pDevice = device.get();
        g_pDeviceLink = device.get();
        std::vector<uint32_t> px(16 * 16, 0xFF80C0FFu);
        for (int i = 0; i < kBulletTextures; ++i) {
            auto t = std::make_unique<CTexture>(device.get());
            t->m_nWidth = t->m_nHeight = 16;
            t->m_pTexture = device->GetRenderer()->CreateTexture(16, 16, px.data(), false);
            g_pBulletTextures[i] = t.get();
            textures.push_back(std::move(t));
        }
        craft = std::make_unique<CMyKorvo>(device.get(), nullptr, 1.0f);
        // A corner no bullet of these scenes passes; a hit would clear them.
        craft->SetPos(Vec3{3.6f, -4.5f, 0.0f});
        stock = craft->m_nStock;
        g_pPlayer = craft.get();
        g_GameRand.Seed(1024);
        return true;
    }

    ~SWorld()
    {
        DeleteAll(g_EnemyList);
        DeleteAll(g_EnemyShotList);
        DeleteAll(g_EffectList);
        DeleteAll(g_ScoreItemList);
        DeleteAll(g_ForegroundList);
        g_pPlayer = nullptr;
        craft.reset();
        for (CTexture*& t : g_pBulletTextures) t = nullptr;
        textures.clear();
        g_pDevice = nullptr;
        g_pDeviceLink = nullptr;
        device.reset();
        window.Destroy();
        SetProgramDir("");
        std::error_code ec;
        if (!home.empty()) std::filesystem::remove_all(home, ec);
    }
};

// Bullets of every kind spread over the upper field, standing still (they are
// stepped and drawn all the same), so the screen stays full and clear of the
// craft.
void FillBullets(int count)
{
    for (int i = 0; i < count; ++i) {
        const Vec3 at{-4.5f + 9.0f * static_cast<float>(i % 50) / 49.0f,
                      -2.0f + 6.0f * static_cast<float>(i / 50) / 39.0f, 0.0f};
        Vec3 d{static_cast<float>(i % 7) - 3.0f, static_cast<float>(i % 5) - 2.0f, 0.0f};
        if (IsZero(d)) d = g_vDown;
        switch (i % 8) {
        case 0: EmitTurning(at, d, 0.0f, 1.0e9f, 0.5f, 0.0f); break;
        case 1: EmitHoming(at, g_vZero, nullptr, 0.0f)->m_nRelaunched = 1; break;
        case 2: EmitShot(at, d, 0.0f, 0, 0, 1)->m_nSize = 2; break;
        case 3: EmitShot(at, d, 0.0f, 0, 0, 2)->m_nSize = 1; break;
        default: {
            // Long bullets are drawn along their velocity: give them one.
            CEnemyShot* s = EmitShotVelocity(at, g_vZero, i % 2, i % 6);
            s->m_vVel = d;
            s->m_bLocked = true;
            break;
        }
        }
    }
}

// 16 raptors in two rows, each turning to the craft and running pattern 24.
void AddRaptors()
{
    for (int i = 0; i < 16; ++i) {
        CRaptor* r = new CRaptor;
        r->SetPos(Vec3{-3.75f + 0.5f * static_cast<float>(i % 16), i < 8 ? 4.0f : 3.0f, 0.0f});
        r->m_nDepartFrame = -1;   // they stay
        g_EnemyList.Add(r);
    }
}

// Bullets beyond count (the raptors' new ones) are taken out again, newest first.
void TrimBullets(int count)
{
    while (g_EnemyShotList.Count() > count) {
        CObject* last = g_EnemyShotList.At(g_EnemyShotList.Count() - 1);
        g_EnemyShotList.RemoveAt(g_EnemyShotList.Count() - 1);
        delete last;
    }
}

// The game's in-play order: the craft, then the world lists.
void SimulationStep()
{
    g_pDevice->Update();
    g_pPlayer->Step();
    StepWorldLists();
}

void BM_StepWith2000Bullets(benchmark::State& state)
{
    SWorld world;
    if (!world.Open()) {
        state.SkipWithError("no null device");
        return;
    }
    FillBullets(2000);
    AddRaptors();
    for (auto _ : state) {
        SimulationStep();
        state.PauseTiming();
        TrimBullets(2000);   // the raptors' new bullets
        state.ResumeTiming();
    }
    if (world.craft->m_nStock != world.stock) state.SkipWithError("the craft was hit");
    state.counters["bullets"] = static_cast<double>(g_EnemyShotList.Count());
    state.counters["enemies"] = static_cast<double>(g_EnemyList.Count());
}
BENCHMARK(BM_StepWith2000Bullets)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Pattern 19 from the middle of the field: frames 0 ... 121 cover the ring of
// 12, its burst into 96 at frame 61 and their bursts into 480 at frame 121.
// Reports the slowest frame by its median over the runs (and the slowest of
// all, which a busy machine inflates).
void BM_Pattern19WorstSecond(benchmark::State& state)
{
    SWorld world;
    if (!world.Open()) {
        state.SkipWithError("no null device");
        return;
    }
    constexpr int kFrames = 122;   // the children burst on frame 121
    std::vector<std::vector<double>> times(kFrames);
    size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        DeleteAll(g_EnemyShotList);
        g_GameRand.Seed(1024);
        CObject owner;
        CBarrageFire fire(&owner);
        fire.SetPattern(19);
        state.ResumeTiming();
        for (int f = 0; f < kFrames; ++f) {
            const auto t0 = std::chrono::steady_clock::now();
            g_pDevice->Update();
            g_pPlayer->Step();
            StepWorldLists();
            fire.Step();
            const auto t1 = std::chrono::steady_clock::now();
            times[static_cast<size_t>(f)].push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            peak = std::max(peak, static_cast<size_t>(g_EnemyShotList.Count()));
        }
    }
    double worstMedian = 0.0, worst = 0.0;
    int worstFrame = 0;
    for (int f = 0; f < kFrames; ++f) {
        std::vector<double>& t = times[static_cast<size_t>(f)];
        if (t.empty()) continue;
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        if (median > worstMedian) {
            worstMedian = median;
            worstFrame = f;
        }
        worst = std::max(worst, t.back());
    }
    if (world.craft->m_nStock != world.stock) state.SkipWithError("the craft was hit");
    state.counters["worst_frame_median_ms"] = worstMedian;
    state.counters["worst_frame"] = worstFrame;
    state.counters["slowest_ms"] = worst;
    state.counters["peak_bullets"] = static_cast<double>(peak);
}
BENCHMARK(BM_Pattern19WorstSecond)->Unit(benchmark::kMillisecond);

}  // namespace
