// The craft's share of a play step: its update against a full screen of enemy
// bullets and a few enemies (every hit test, none hitting), and the bomb's 24
// lasers steering in flight. No renderer: the game's logic only.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/ObjectLists.h"
#include "core/Random.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyShot.h"
#include "player/LightParticle.h"
#include "player/LockonLaser.h"
#include "player/MyKorvo.h"
#include "player/Spark.h"

namespace {

struct SWorld {
    std::unique_ptr<CLightParticleSystem> particles = std::make_unique<CLightParticleSystem>(nullptr, false);
    std::unique_ptr<CSparkSystem> sparks = std::make_unique<CSparkSystem>();
    std::unique_ptr<CMyKorvo> craft = std::make_unique<CMyKorvo>(nullptr, nullptr, 1.0f);

    SWorld()
    {
        g_GameRand.Seed(1024);
        g_pLightParticles = particles.get();
        g_pSparks = sparks.get();
        g_pPlayer = craft.get();
        g_pPlayer->Reset();
        g_pPlayer->SetPos(Vec3{0.0f, -4.0f, 0.0f});
        // 2,000 still bullets over the upper field, clear of the craft.
        for (int i = 0; i < 2000; ++i) {
            const Vec3 at{-3.5f + 7.0f * static_cast<float>(i % 50) / 49.0f,
                          -2.0f + 7.0f * static_cast<float>(i / 50) / 39.0f, 0.0f};
            g_EnemyShotList.Add(new CEnemyShot(at, 0));
        }
        // 16 enemies that lasers do not destroy.
        for (int i = 0; i < 16; ++i) {
            CEnemy* e = new CEnemy(nullptr);
            e->SetPos(Vec3{-3.0f + 0.4f * static_cast<float>(i), 4.0f, 0.0f});
            e->m_nHp = e->m_nMaxHp = 1000000;
            e->m_fRadius = 0.3f;
            g_EnemyList.Add(e);
        }
    }
    ~SWorld()
    {
        ClearWorld();
        DeleteAll(g_EnemyShotList);
        g_pPlayer = nullptr;
        g_pSparks = nullptr;
        g_pLightParticles = nullptr;
    }
};

// One update of the craft: 2,000 bullet tests, 16 enemy tests, the items.
void BM_CraftUpdate(benchmark::State& state)
{
    SWorld world;
    for (auto _ : state) {
        g_pPlayer->Update();
        benchmark::DoNotOptimize(g_pPlayer->m_nStock);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CraftUpdate)->Unit(benchmark::kMicrosecond);

// The same with the blade swinging: its four probes tested on every enemy.
void BM_CraftUpdateSwinging(benchmark::State& state)
{
    SWorld world;
    for (auto _ : state) {
        g_pPlayer->StartBlade(1.0f, 0.0f);
        g_pPlayer->Update();
        benchmark::DoNotOptimize(g_pPlayer->m_nStock);
    }
    DeleteAll(g_EffectList);
}
BENCHMARK(BM_CraftUpdateSwinging)->Unit(benchmark::kMicrosecond);

// One frame of a volley of 24 lasers steering toward their targets (a fresh
// volley every 40 frames, before any has struck).
void BM_LaserVolleyFrame(benchmark::State& state)
{
    SWorld world;
    int frame = 0;
    for (auto _ : state) {
        if (frame++ % 40 == 0) {
            state.PauseTiming();
            DeleteAll(g_EffectList);
            g_pPlayer->FireLaserVolley();
            state.ResumeTiming();
        }
        StepList(g_EffectList);
        benchmark::DoNotOptimize(g_EffectList.Count());
    }
    DeleteAll(g_EffectList);
}
BENCHMARK(BM_LaserVolleyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
