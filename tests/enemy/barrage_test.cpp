// The bullet-pattern emitter: every pattern's timetable from a fixed emitter
// and craft position, the order of its random draws, its reset, and replays:
// the same seed gives bit-identical bullets.
#include "enemy_fixture.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "enemy/BarrageFire.h"
#include "enemy/Beam.h"
#include "enemy/Bit.h"
#include "enemy/Bit2.h"
#include "player/ShockWave.h"

namespace {

constexpr Vec3 kEmitterAt{0.0f, 3.0f, 0.0f};   // the craft is 6 below

// An emitter on a still owner, stepped in the world's order: effects, enemy
// bullets, then the enemy (which steps its emitter).
class BarrageTest : public CEnemyWorld {
protected:
    void SetUp() override
    {
        CEnemyWorld::SetUp();
        m_Owner.SetPos(kEmitterAt);
    }
    void TearDown() override
    {
        m_pFire.reset();
        CEnemyWorld::TearDown();
    }

    CBarrageFire& Start(int pattern)
    {
        m_pFire = std::make_unique<CBarrageFire>(&m_Owner);
        m_pFire->SetPattern(pattern);
        return *m_pFire;
    }

    // One frame; returns the bullets the emitter made in it.
    std::vector<CEnemyShot*> Frame()
    {
        StepList(g_EffectList);
        StepList(g_EnemyShotList);
        m_pFire->Step();
        std::vector<CEnemyShot*> made;
        for (CEnemyShot* s : Shots())
            if (s->m_nAge == -1) made.push_back(s);
        return made;
    }

    // Bullets made on each of n frames.
    std::vector<int> Run(int frames)
    {
        std::vector<int> counts;
        for (int f = 0; f < frames; ++f) counts.push_back(static_cast<int>(Frame().size()));
        return counts;
    }

    // Positions and velocities of everything in the bullet and effects lists,
    // bit for bit.
    static std::vector<uint32_t> WorldState()
    {
        std::vector<uint32_t> out;
        for (const CObjectList* list : {&g_EnemyShotList, &g_EffectList}) {
            for (int i = 0; i < list->Count(); ++i) {
                const CObject* o = list->At(i);
                for (float v : {o->m_vPos.x, o->m_vPos.y, o->m_vPos.z, o->m_vVel.x, o->m_vVel.y, o->m_vVel.z})
                    out.push_back(std::bit_cast<uint32_t>(v));
            }
        }
        return out;
    }

    CObject m_Owner;
    std::unique_ptr<CBarrageFire> m_pFire;
};

// How many bullets each pattern fires on frame f, as its timetable says.
struct STimetable {
    int nPattern;
    int nFirstVolley;   // -1: fires no bullets of its own
    int nIn600;         // bullets over frames 0 ... 599, counted by hand
    int (*pAt)(int f);
};

const STimetable kTimetables[] = {
    {0, 0, 440, [](int f) { return f % 60 <= 30 && f % 3 == 0 ? 4 : 0; }},
    {1, 0, 175, [](int f) { return f % 24 == 0 ? 4 : f % 24 == 12 ? 3 : 0; }},
    {2, 0, 200, [](int f) { return f % 3 == 0 ? 1 : 0; }},
    {3, 0, 56, [](int f) { return f % 75 <= 6 ? 1 : 0; }},
    {4, 0, 310, [](int f) { return (f % 6 == 0 ? 3 : 0) + (f % 60 == 0 ? 1 : 0); }},
    {6, 0, 50, [](int f) { return f % 12 == 0 ? 1 : 0; }},
    {7, 0, 100, [](int f) { return f % 6 == 0 ? 1 : 0; }},
    {9, 0, 160, [](int f) { return f % 120 == 0 || f % 120 == 60 ? 16 : 0; }},
    {10, 0, 200, [](int f) { return f % 3 == 0 ? 1 : 0; }},
    {11, 0, 140, [](int f) { return f % 60 == 0 || f % 60 == 30 ? 7 : 0; }},
    {12, 0, 544, [](int f) { return f % 72 == 0 || f % 72 == 36 ? 32 : 0; }},
    {14, -1, 0, [](int) { return 0; }},
    {15, 0, 220, [](int f) { return f % 60 == 0 ? 22 : 0; }},
    {16, 0, 224, [](int f) { return f % 90 == 0 || f % 90 == 24 ? 16 : 0; }},
    {17, 0, 105,
     [](int f) { return 5 * ((f % 90 == 0) + (f % 90 == 15) + (f % 180 == 90) + (f % 180 == 0)); }},
    {18, -1, 0, [](int) { return 0; }},
    {19, 0, 24, [](int f) { return f % 360 == 0 ? 12 : 0; }},
    {20, 0, 730,
     [](int f) {
         const int g = f % 180;
         return (g <= 60 && f % 3 == 0 ? 5 : 0) + (g >= 60 && g <= 120 && f % 3 == 0 ? 5 : 0);
     }},
    {21, -1, 0, [](int) { return 0; }},
    {22, -1, 0, [](int) { return 0; }},
    {23, 0, 60, [](int f) { return f % 450 == 0 ? 30 : 0; }},
    {24, 60, 66, [](int f) { return f % 180 == 60 ? 22 : 0; }},
};

}  // namespace

TEST_F(BarrageTest, EveryPatternKeepsItsTimetableAndReplaysBitForBit)
{
    for (int pattern = 0; pattern < CBarrageFire::kPatterns; ++pattern) {
        SCOPED_TRACE(pattern);
        std::vector<int> counts[2];
        std::vector<uint32_t> state[2];
        for (int run = 0; run < 2; ++run) {
            ResetGameState();
            Start(pattern);
            counts[run] = Run(600);
            state[run] = WorldState();
            ClearLists();
        }
        EXPECT_EQ(counts[0], counts[1]);
        EXPECT_TRUE(state[0] == state[1]);

        const auto t = std::find_if(std::begin(kTimetables), std::end(kTimetables),
                                    [&](const STimetable& e) { return e.nPattern == pattern; });
        if (t == std::end(kTimetables)) continue;   // 5, 8, 13: below
        int total = 0, first = -1;
        for (int f = 0; f < 600; ++f) {
            ASSERT_EQ(counts[0][static_cast<size_t>(f)], t->pAt(f)) << "frame " << f;
            total += counts[0][static_cast<size_t>(f)];
            if (first < 0 && counts[0][static_cast<size_t>(f)] > 0) first = f;
        }
        EXPECT_EQ(total, t->nIn600);
        EXPECT_EQ(first, t->nFirstVolley);
    }
}

TEST_F(BarrageTest, RandomPatternsDrawInTheWrittenOrder)
{
    CRandom r;
    // Aimed stream: one draw turns the aim by 0.4 r - 0.2.
    r.Seed(1024);
    Start(2);
    auto made = Frame();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_NEAR(AngleDiff(AngleOf(made[0]->m_vVel), 1.0f), 0.4f * r.Real() - 0.2f, 1e-5f);
    EXPECT_NEAR(Length(made[0]->m_vVel), 0.05f, 1e-7f);

    // Aimed bursts: the turn, then the speed (r' + 1) x 0.025.
    ResetGameState();
    r.Seed(1024);
    Start(3);
    made = Frame();
    ASSERT_EQ(made.size(), 1u);
    const float turn = 0.4f * r.Real() - 0.2f;
    EXPECT_NEAR(AngleDiff(AngleOf(made[0]->m_vVel), 1.0f), turn, 1e-5f);
    EXPECT_NEAR(Length(made[0]->m_vVel), (r.Real() + 1.0f) * 0.025f, 1e-7f);

    // Homing sparks and droppers: the first draw gives y, the second x, the
    // third (droppers) the speed.
    for (int pattern : {6, 7}) {
        SCOPED_TRACE(pattern);
        ResetGameState();
        r.Seed(1024);
        Start(pattern);
        made = Frame();
        ASSERT_EQ(made.size(), 1u);
        const float r1 = r.Real();
        const float r2 = r.Real();
        EXPECT_EQ(made[0]->m_vVel, (Vec3{0.2f * r2 - 0.1f, 0.2f * r1 - 0.1f, 0}));
        EXPECT_EQ(made[0]->m_fSpeed, pattern == 6 ? 0.05f : 0.025f * r.Real() + 0.01f);
        EXPECT_EQ(made[0]->m_pTarget, pattern == 6 ? g_pPlayer : nullptr);
    }

    // Fountain: x from the first draw, the speed from the second.
    ResetGameState();
    r.Seed(1024);
    Start(10);
    made = Frame();
    ASSERT_EQ(made.size(), 1u);
    Vec3 up{2.0f * r.Real() - 1.0f, 4.0f, 0};
    SetLength(up, (r.Real() + 1.0f) * 0.05f);
    EXPECT_EQ(made[0]->m_vVel, up);

    // Random spreads: which point k, the turn, the speed, then the count n.
    ResetGameState();
    r.Seed(1024);
    Start(8);
    for (int volley = 0; volley < 20; ++volley) {
        SCOPED_TRACE(volley);
        const int k = r.Integer(3);
        const float turn8 = 0.6f * r.Real() - 0.3f;
        const float speed = 0.02f * r.Real() + 0.015f;
        const int n = r.Integer(2) + 2;
        made = Frame();
        const size_t expected = k == 3 || n == 4 ? 0u : static_cast<size_t>(n);
        ASSERT_EQ(made.size(), expected);
        if (expected == 0) {
            for (int quiet = 0; quiet < 5; ++quiet) ASSERT_TRUE(Frame().empty());
            continue;
        }
        const float dx = k == 0 ? 0.0f : k == 1 ? -2.0f : 2.0f;
        EXPECT_EQ(made[0]->m_vPos, (Vec3{dx, 3.0f, 0}));
        EXPECT_EQ(TextureNumber(made[0]->m_pTexture), k == 0 ? 1 : k == 1 ? 3 : 4);
        const float first = n == 2 ? -0.015f : -0.03f;
        EXPECT_NEAR(AngleDiff(AngleOf(made[0]->m_vVel), 1.0f), turn8 + first, 1e-5f);
        EXPECT_NEAR(Length(made[0]->m_vVel), speed, 1e-7f);
        for (int quiet = 0; quiet < 5; ++quiet) ASSERT_TRUE(Frame().empty());
    }
}

TEST_F(BarrageTest, PendulumSwingsBetweenAboutPlusAndMinus035StartingStraightDown)
{
    Start(4);
    std::vector<float> angles;
    for (int f = 0; f < 6 * 60; ++f) {
        const auto made = Frame();
        if (f % 6 != 0) continue;
        ASSERT_GE(made.size(), 3u);
        angles.push_back(AngleDiff(AngleOf(made[0]->m_vVel), 1.0f));
        EXPECT_NEAR(Length(made[0]->m_vVel), 0.075f, 1e-7f);
        // The side bullets: -0.2 slower, then +0.2 slower still.
        EXPECT_NEAR(AngleDiff(AngleOf(made[1]->m_vVel), 1.0f), angles.back() - 0.2f, 1e-5f);
        EXPECT_NEAR(AngleDiff(AngleOf(made[2]->m_vVel), 1.0f), angles.back() + 0.2f, 1e-5f);
    }
    EXPECT_NEAR(angles[0], 0.0f, 1e-6f);
    int turns = 0;
    for (size_t i = 1; i < angles.size(); ++i) {
        const float step = angles[i] - angles[i - 1];
        ASSERT_NEAR(std::fabs(step), 0.035f, 1e-4f) << i;
        if (i >= 2 && (step > 0) != (angles[i - 1] - angles[i - 2] > 0)) {
            ++turns;
            // Turns only once 0.35 is reached going up, or passed going down.
            if (step < 0) {
                EXPECT_GE(angles[i - 1], 0.35f - 1e-4f);
            } else {
                EXPECT_LT(angles[i - 1], -0.35f + 1e-4f);
            }
        }
        EXPECT_LE(std::fabs(angles[i]), 0.385f + 1e-4f);
    }
    EXPECT_GE(turns, 2);
}

TEST_F(BarrageTest, SweepingArmsChangePictureTwiceACycle)
{
    Start(20);
    const struct {
        int nFrame;
        int nTexture;
        size_t nBullets;
    } cases[] = {
        // The counter moves after arm A's volley of g = 30.
        {0, 1, 5},    {27, 1, 5},   {30, 1, 5},   {33, 2, 5},   {60, 2, 10},  {90, 2, 5},
        {120, 2, 5},  {123, -1, 0}, {180, 4, 5},  {210, 4, 5},  {213, 0, 5},  {240, 0, 10},
        {360, 3, 5},  {390, 3, 5},  {393, 1, 5},
    };
    size_t next = 0;
    for (int f = 0; f <= 393; ++f) {
        const auto made = Frame();
        if (next < std::size(cases) && cases[next].nFrame == f) {
            SCOPED_TRACE(f);
            ASSERT_EQ(made.size(), cases[next].nBullets);
            for (CEnemyShot* s : made) EXPECT_EQ(TextureNumber(s->m_pTexture), cases[next].nTexture);
            ++next;
        }
    }
    EXPECT_EQ(next, std::size(cases));
}

TEST_F(BarrageTest, ScatterClockWarnsAt420AndScattersAt480ButNotAtTheStart)
{
    for (float x : {-1.0f, 0.5f, 2.0f}) EmitShotVelocity(Vec3{x, 0, 0}, g_vZero, 0, 1);
    Start(14);
    for (int f = 0; f < 1000; ++f) {
        Frame();
        const auto waves = ObjectsOf<CShockWave>(g_EffectList);
        const bool warned = f >= 420 && f <= 450;   // the ring lasts 30 updates
        const bool scattered = f >= 480;
        if (f == 0 || f == 419 || f == 420 || f == 479 || f == 480) {
            SCOPED_TRACE(f);
            EXPECT_EQ(waves.size(), warned ? 1u : 0u);
            EXPECT_EQ(CountPlayed(132), f >= 420 ? 1 : 0);
            for (CEnemyShot* s : Shots()) {
                EXPECT_EQ(s->m_nShape, scattered ? 1 : 0);
                EXPECT_EQ(s->m_VelTrack.active, scattered);
            }
        }
        if (f == 900) {   // the next cycle
            EXPECT_EQ(waves.size(), 1u);
            EXPECT_EQ(CountPlayed(132), 2);
        }
        if (f == 420) {
            ASSERT_EQ(waves.size(), 1u);
            EXPECT_EQ(waves[0]->m_vPos, kEmitterAt);
            EXPECT_EQ(waves[0]->m_fSize, 20.0f);
            EXPECT_EQ(waves[0]->m_nVanishTotal, 30);
        }
    }
}

TEST_F(BarrageTest, BeamPatternsWarnThenFireAtTheAimTakenBefore)
{
    struct Case {
        int nPattern;
        int nSilentUntil;        // nothing at all on frames 0 ... this
        std::vector<int> beamFrames;
        std::vector<int> aimFrames;
        std::vector<int> colors;
        std::vector<int> warnFrames;   // sound 123
        int nParticles;                // warning glow, one every 6 frames for 45
    };
    const Case cases[] = {
        {18, 300, {495}, {471}, {2}, {450}, 8},
        {22, 60, {495}, {474}, {2}, {450}, 8},
        {21, -1, {45, 69, 93, 225, 249, 273, 405, 429, 453}, {33, 45, 81, 213, 225, 261, 393, 405, 441},
         {0, 0, 2, 0, 0, 2, 0, 0, 2}, {0, 180, 360}, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nPattern);
        ResetGameState();
        Start(c.nPattern);
        std::vector<Vec3> aims;
        std::vector<int> beamFrames, warnFrames, colors;
        std::vector<float> headings;
        for (int f = 0; f < 500; ++f) {
            // The craft moves every frame, so each aim tells its frame.
            m_pCraft->SetPos(Vec3{0.01f * static_cast<float>(f) - 2.0f, -3.0f, 0});
            aims.push_back(m_pCraft->m_vPos - kEmitterAt);
            const size_t soundsBefore = PlayedSounds().size();
            Frame();
            for (CBeam* b : ObjectsOf<CBeam>(g_EnemyShotList)) {
                if (b->m_nAge != -1) continue;   // made this frame
                beamFrames.push_back(f);
                colors.push_back(b->m_nColor);
                headings.push_back(b->m_vRot.z);
                EXPECT_EQ(b->m_vPos, kEmitterAt);
            }
            if (f <= c.nSilentUntil) {
                ASSERT_TRUE(beamFrames.empty());
                ASSERT_EQ(PlayedSounds().size(), 0u);
                ASSERT_EQ(g_pLightParticles->Count(), 0);
            }
            for (size_t i = soundsBefore; i < PlayedSounds().size(); ++i)
                if (PlayedSounds()[i] == 123) warnFrames.push_back(f);
        }
        EXPECT_EQ(beamFrames, c.beamFrames);
        EXPECT_EQ(colors, c.colors);
        EXPECT_EQ(warnFrames, c.warnFrames);
        ASSERT_EQ(headings.size(), c.aimFrames.size());
        for (size_t i = 0; i < headings.size(); ++i) {
            const Vec3& aim = aims[static_cast<size_t>(c.aimFrames[i])];
            EXPECT_NEAR(headings[i], DirectionAngle(aim.x, aim.y), 1e-6f) << i;
        }
        EXPECT_EQ(CountPlayed(134), static_cast<int>(c.beamFrames.size()));
        EXPECT_EQ(g_pLightParticles->Count(), c.nParticles);
    }
}

TEST_F(BarrageTest, DronesLeaveInFivesHalfACycleApart)
{
    Start(13);
    for (int f = 0; f < 360; ++f) {
        Frame();
        int fresh = 0;
        for (CBit2* b : ObjectsOf<CBit2>(g_EffectList)) fresh += b->m_nAge == -1;
        ASSERT_EQ(fresh, f % 180 == 0 || f % 180 == 90 ? 5 : 0) << f;
        if (f == 0 || f == 90) {
            const auto drones = ObjectsOf<CBit2>(g_EffectList);
            for (size_t i = drones.size() - 5; i < drones.size(); ++i) {
                const CBit2* d = drones[i];
                const float k = static_cast<float>(i - (drones.size() - 5));
                EXPECT_EQ(d->m_nTurn, f == 0 ? -1 : 1);
                EXPECT_NEAR(Length(d->m_vVel), f == 0 ? 0.03f : 0.04f, 1e-7f);
                EXPECT_NEAR(AngleDiff(AngleOf(d->m_vVel), 1.0f + 0.4f * k - (f == 0 ? 0.0f : 0.2f)), 0.0f, 1e-5f);
            }
        }
    }
}

TEST_F(BarrageTest, SetPatternRestartsTheTimetableAndResetsItsState)
{
    CBarrageFire& fire = Start(4);
    for (int f = 0; f < 100; ++f) Frame();
    fire.m_vC = Vec3{1, 2, 3};
    fire.m_vD = Vec3{4, 5, 6};
    fire.m_fSwingSpare = 7.0f;
    fire.m_nTextureCounter = 9;
    ASSERT_NE(fire.m_fAngleA, 0.0f);
    fire.SetPattern(4);
    EXPECT_EQ(fire.m_nAge, -1);
    EXPECT_EQ(fire.m_fAngleA, 0.0f);
    EXPECT_EQ(fire.m_fAngleB, 0.0f);
    EXPECT_EQ(fire.m_fSwing, 0.0f);
    EXPECT_EQ(fire.m_fSwingSpare, 0.0f);
    EXPECT_EQ(fire.m_vA, Vec3{});
    EXPECT_EQ(fire.m_vB, Vec3{});
    EXPECT_EQ(fire.m_nTextureCounter, 0);
    EXPECT_EQ(fire.m_vC, (Vec3{1, 2, 3}));   // pattern 20 sets them before use
    EXPECT_EQ(fire.m_vD, (Vec3{4, 5, 6}));
    // f = 0 again: a volley straight down with the aimed bullet.
    const auto made = Frame();
    ASSERT_EQ(made.size(), 4u);
    EXPECT_NEAR(AngleDiff(AngleOf(made[0]->m_vVel), 1.0f), 0.0f, 1e-6f);
    EXPECT_EQ(CountPlayed(109), 1 + 2);   // f = 0 and 60 of the first run, f = 0 now

    // The emitter follows its owner.
    m_Owner.SetPos(Vec3{-1.0f, 2.0f, 0});
    Frame();
    EXPECT_EQ(fire.m_vPos, (Vec3{-1.0f, 2.0f, 0}));
}

TEST_F(BarrageTest, NoPatternOrOneBeyondTheTableFiresNothing)
{
    for (int pattern : {-1, 25, 26, 1000, -7}) {
        SCOPED_TRACE(pattern);
        ResetGameState();
        CRandom untouched;
        untouched.Seed(1024);
        Start(pattern);
        const auto counts = Run(600);
        EXPECT_EQ(std::count(counts.begin(), counts.end(), 0), 600);
        EXPECT_EQ(g_EnemyShotList.Count(), 0);
        EXPECT_EQ(g_EffectList.Count(), 0);
        EXPECT_TRUE(PlayedSounds().empty());
        EXPECT_EQ(g_GameRand.Real(), untouched.Real());
        for (auto& bit : m_pFire->m_pBits) EXPECT_EQ(bit->m_nState, CObject::STATE_DEAD);
    }
}
