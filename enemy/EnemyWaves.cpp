#include "enemy/EnemyWaves.h"

#include <cstdint>
#include <iterator>

#include "core/ObjectLists.h"
#include "enemy/Raptor.h"
#include "enemy/Zab.h"
#include "player/MyKorvo.h"

namespace {

constexpr int kRaptorGlide = 120;        // 60 x 2
constexpr int kZabAccel = 60;
constexpr float kZabSpeed = 0.05f;
constexpr int kZabAppear = 30;           // 60 x 0.5
constexpr int kFormationDelay = 12;      // 60 x 0.2, per zab
constexpr int kFanZabs = 8;
constexpr int kFanDelay = 15;            // 60 x 0.25, per zab

// A formation kind: where zab i starts (at the given position, or at base +
// i x step) and how its velocity changes.
struct SFormationKind {
    bool bAtPosition;
    Vec3 vBase, vStep;
    Vec3 vVel, vTarget;
    int32_t nFrames;
};

constexpr SFormationKind kFormations[] = {
    // start                          start velocity        target velocity     over
    {true,  {},            {},             {0, -0.05f, 0},       {-0.05f, -0.01f, 0}, 150},
    {true,  {},            {},             {0, -0.05f, 0},       {0.05f, -0.01f, 0},  150},
    {false, {-2.5f, 5.2f, 0}, {0.5f, 0, 0},   {0, -0.075f, 0},      {0, 0.075f, 0},      240},
    {false, {2.5f, 5.2f, 0},  {-0.5f, 0, 0},  {0, -0.075f, 0},      {0, 0.075f, 0},      240},
    {false, {-5.2f, 4.5f, 0}, {0, 0.1f, 0},   {0.075f, -0.075f, 0}, {-0.075f, -0.075f, 0}, 240},
    {false, {5.2f, 4.5f, 0},  {0, 0.1f, 0},   {-0.075f, -0.075f, 0}, {0.075f, -0.075f, 0}, 240},
};

CRaptor* NewRaptor(const Vec3& from, const Vec3& to)
{
    CRaptor* r = new CRaptor;
    r->SetPos(from);
    r->MoveTo(to, kRaptorGlide);
    r->m_nDepartFrame = CRaptor::kDepartFrame;
    g_EnemyList.Add(r);
    return r;
}

// --- the wave tables --------------------------------------------------------

// One row of a wave table: what happens at a frame.
struct SWave {
    int32_t nFrame;
    void (*pRun)();
};

// A zab fan: at nFrame + 15 j (j = 0 ... 7) a zab at (0, 3.5, 0) turned by
// 0.5 + fStep x j.
struct SFan {
    int32_t nFrame;
    float fStep;
};

void R(float x) { SpawnRaptor(Vec3{x, 6.0f, 0.0f}, Vec3{x, 3.5f, 0.0f}); }
void S(float x) { SpawnStraightRaptor(Vec3{x, 6.0f, 0.0f}, Vec3{x, 3.5f, 0.0f}); }
void F(int kind, int count) { SpawnZabFormation(kind, g_vZero, count); }
void P(int side) { SpawnRaptorPair(side); }
void Formation(int kind, float x, float y, int count) { SpawnZabFormation(kind, Vec3{x, y, 0.0f}, count); }

constexpr SWave kStage0[] = {
    {0,    [] { Formation(0, 3, 6, 8); }},
    {150,  [] { Formation(1, -3, 6, 8); }},
    {300,  [] { Formation(0, 3, 6, 8); }},
    {450,  [] { Formation(1, -3, 6, 8); }},
    {540,  [] { Formation(0, 1, 6, 8); Formation(1, -1, 6, 8); }},
    {660,  [] { Formation(1, 2, 6, 8); Formation(0, -2, 6, 8); }},
    {840,  [] { R(0); }},
    {1080, [] { R(-1); R(1); }},
    {1380, [] { R(-2); Formation(0, 2, 6, 8); }},
    {1680, [] { R(2); Formation(1, -2, 6, 8); }},
    {1980, [] { S(-2); S(0); S(2); }},
};

constexpr SWave kStage1Waves[] = {
    {0,    [] { P(0); }},
    {240,  [] { P(1); }},
    {480,  [] { F(4, 8); }},
    {600,  [] { F(5, 8); }},
    {720,  [] { F(2, 4); }},
    {900,  [] { F(3, 4); }},
    {1200, [] { P(0); F(3, 8); }},
    {1500, [] { P(1); F(2, 8); }},
    {1920, [] { F(5, 8); }},
    {2040, [] { F(4, 8); }},
};
constexpr SFan kStage1WaveFans[] = {{780, -0.25f}, {960, 0.25f}};

// The boss fight replays the waves up to this frame, then goes on with its own.
constexpr int32_t kStage1EscortsFrom = 1500;
constexpr SWave kStage1Escorts[] = {
    {1800, [] { R(-1); R(1); }},
    {1920, [] { F(5, 8); }},
    {2040, [] { F(4, 8); }},
    {2160, [] { F(2, 8); }},
    {2280, [] { F(3, 8); }},
    {2400, [] { Formation(0, 3, 6, 8); Formation(1, -3, 6, 8); }},
    {2520, [] { R(0); }},
    {2640, [] { R(-2); R(2); }},
    {3120, [] { F(5, 8); }},
    {3240, [] { F(4, 8); SpawnRaptor(Vec3{0, 6, 0}, Vec3{0, 4, 0}); }},
    {3360, [] { F(5, 8); }},
    {3480, [] { F(4, 8); }},
};
constexpr SFan kStage1EscortFans[] = {{2760, 0.25f}};

template <std::size_t N>
void RunWaves(const SWave (&waves)[N], int frame, int32_t upTo = INT32_MAX)
{
    for (const SWave& w : waves)
        if (w.nFrame == frame && w.nFrame <= upTo) w.pRun();
}

template <std::size_t N>
void RunFans(const SFan (&fans)[N], int frame)
{
    for (const SFan& fan : fans) {
        const int d = frame - fan.nFrame;
        if (d < 0 || d % kFanDelay != 0 || d / kFanDelay >= kFanZabs) continue;
        const int j = d / kFanDelay;
        Vec3 pos{0.0f, 3.5f, 0.0f};
        RotateZ(pos, 0.5f + fan.fStep * static_cast<float>(j));
        SpawnZab(pos);
    }
}

}  // namespace

void SpawnRaptor(const Vec3& from, const Vec3& to)
{
    CRaptor* r = NewRaptor(from, to);
    if (g_pPlayer) r->SetRot(r->FaceToward(g_pPlayer));
    r->m_bStraight = false;
}

void SpawnStraightRaptor(const Vec3& from, const Vec3& to)
{
    CRaptor* r = NewRaptor(from, to);
    r->SetRot(Vec3{0.0f, 0.0f, 1.0f});   // facing -Y
    r->m_bStraight = true;
}

void SpawnRaptorPair(int side)
{
    const float sign = side == 1 ? 1.0f : -1.0f;
    for (int i = 0; i < 2; ++i) {
        const float fi = static_cast<float>(i);
        const float y = 4.0f - 1.8f * fi;
        SpawnRaptor(Vec3{5.0f * sign, y, 0.0f}, Vec3{(2.0f + 0.25f * fi) * sign, y, 0.0f});
    }
}

void SpawnZab(const Vec3& pos)
{
    CZab* z = new CZab;
    z->SetPos(pos);
    Vec3 v = z->VectorToPlayer();
    SetLength(v, kZabSpeed);
    z->AccelTo(v, kZabAccel);
    z->SetAppear(kZabAppear);
    z->m_bFlare = true;
    g_EnemyList.Add(z);
}

void SpawnZabFormation(int kind, const Vec3& pos, int count)
{
    const bool known = kind >= 0 && kind < static_cast<int>(std::size(kFormations));
    for (int i = 0; i < count; ++i) {
        CZab* z = new CZab;
        z->SetAppear(kFormationDelay * i);
        z->m_bDropsItem = i % 4 == 3;
        z->m_bFlare = false;
        if (!known) {
            z->SetPos(pos);
        } else {
            const SFormationKind& k = kFormations[kind];
            const float fi = static_cast<float>(i);
            z->SetPos(k.bAtPosition ? pos : k.vBase + k.vStep * fi);
            z->SetVelAccelTo(k.vVel, k.vTarget, k.nFrames);
        }
        g_EnemyList.Add(z);
    }
}

void EnemyWaveScript(int stage, int phase, int frame)
{
    if (stage == 0) {
        RunWaves(kStage0, frame);
    } else if (stage == 1 && phase == 1) {
        RunWaves(kStage1Waves, frame);
        RunFans(kStage1WaveFans, frame);
    } else if (stage == 1 && phase == 3) {
        RunWaves(kStage1Waves, frame, kStage1EscortsFrom);
        RunFans(kStage1WaveFans, frame);
        RunWaves(kStage1Escorts, frame);
        RunFans(kStage1EscortFans, frame);
    }
}
