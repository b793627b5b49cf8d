// The object framework's hot paths: one list pass over a full screen of moving
// objects, and the random number generator.
#include <benchmark/benchmark.h>

#include "core/ObjectLists.h"
#include "core/Random.h"

namespace {

// A bullet-like object: drifting with a velocity, gliding on a position track
// and easing its velocity, restarting the glide whenever it ends.
class CBenchObject : public CObject {
public:
    explicit CBenchObject(int i) : m_nIndex(i) {
        SetPos(Vec3{static_cast<float>(i % 40) * 0.1f, static_cast<float>(i / 40) * 0.1f, 0.0f});
        SetVel(Vec3{0.001f, -0.002f, 0.0f});
        AccelTo(Vec3{0.0f, -0.01f, 0.0f}, 90);
        RotateTo(Vec3{0.0f, 0.0f, 1.0f}, 120);
        OnMoveEnd();
    }
    void OnMoveEnd() override {
        ++m_nLegs;
        const float s = (m_nLegs % 2 == 0) ? 1.0f : -1.0f;
        MoveTo(Vec3{s * 2.0f, static_cast<float>(m_nIndex % 50) * 0.05f, 0.0f}, 30 + m_nIndex % 31);
    }
    int m_nIndex;
    int m_nLegs = 0;
};

void BM_StepList2000Objects(benchmark::State& state) {
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

void BM_MillionDraws(benchmark::State& state) {
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
