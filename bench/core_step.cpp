// The object framework's hot paths: one list pass over a full screen of moving
// objects, clearing the lists (a barrage clear, a world reset), and the random
// number generator.
#include <benchmark/benchmark.h>

#include "core/ObjectLists.h"
#include "core/Random.h"

namespace {

// A bullet-like object: drifting with a velocity, gliding on a position track
// and easing its velocity, restarting the glide whenever it ends.
class CBenchObject : public CObject {
public:
    explicit CBenchObject(int i) : m_nIndex(i)
    {
        SetPos(Vec3{static_cast<float>(i % 40) * 0.1f, static_cast<float>(i / 40) * 0.1f, 0.0f});
        SetVel(Vec3{0.001f, -0.002f, 0.0f});
        AccelTo(Vec3{0.0f, -0.01f, 0.0f}, 90);
        RotateTo(Vec3{0.0f, 0.0f, 1.0f}, 120);
        OnMoveEnd();
    }
    void OnMoveEnd() override
    {
        ++m_nLegs;
        const float s = (m_nLegs % 2 == 0) ? 1.0f : -1.0f;
        MoveTo(Vec3{s * 2.0f, static_cast<float>(m_nIndex % 50) * 0.05f, 0.0f}, 30 + m_nIndex % 31);
    }
    int m_nIndex;
    int m_nLegs = 0;
};

void BM_StepList2000Objects(benchmark::State& state)
{
    CObjectList list;
    for (int i = 0; i < 2000; ++i) list.Add(new CBenchObject(i));
    for (auto _ : state) {
        StepList(list);
        benchmark::DoNotOptimize(list.At(0)->m_vPos);
    }
    state.SetItemsProcessed(state.iterations() * 2000);
    DeleteAll(list);
}
BENCHMARK(BM_StepList2000Objects);

// A screen of enemy bullets, every tenth persistent, as a barrage leaves it.
void FillBullets(int count)
{
    for (int i = 0; i < count; ++i) {
        auto* p = new CBenchObject(i);
        p->m_bPersistent = i % 10 == 0;
        g_EnemyShotList.Add(p);
    }
}

// A cleared barrage: the non-persistent bullets die, the rest keep their order.
void BM_ClearEnemyBullets(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        FillBullets(count);
        state.ResumeTiming();
        ClearEnemyBullets();
        benchmark::DoNotOptimize(g_EnemyShotList.Count());
        state.PauseTiming();
        DeleteAll(g_EnemyShotList);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ClearEnemyBullets)->Arg(2000)->Arg(5000)->Unit(benchmark::kMicrosecond);

// A world reset: every object of a list deleted.
void BM_DeleteAll(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    CObjectList list;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < count; ++i) list.Add(new CBenchObject(i));
        state.ResumeTiming();
        DeleteAll(list);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DeleteAll)->Arg(2000)->Arg(5000)->Unit(benchmark::kMicrosecond);

// A pass in which a tenth of the bullets die and as many are fired anew.
void BM_StepListWithDeaths(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    CObjectList list;
    for (int i = 0; i < count; ++i) list.Add(new CBenchObject(i));
    int next = 0;
    for (auto _ : state) {
        for (int k = 0; k < count / 10; ++k) {
            list.At((next + k * 10) % list.Count())->Kill();
            list.Add(new CBenchObject(next + k));
        }
        ++next;
        StepList(list);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetItemsProcessed(state.iterations() * count);
    DeleteAll(list);
}
BENCHMARK(BM_StepListWithDeaths)->Arg(2000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_MillionDraws(benchmark::State& state)
{
    CRandom rand;
    rand.Seed(1024);
    for (auto _ : state) {
        int sum = 0;
        for (int i = 0; i < 1000000; ++i) sum += rand.Integer(100);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_MillionDraws)->Unit(benchmark::kMillisecond);

}  // namespace
