// The emitter's satellites (bits), the looping drones and the beams; removing
// drones from inside the effects pass.
#include "enemy_fixture.h"

#include "enemy/BarrageFire.h"
#include "enemy/Beam.h"
#include "enemy/Bit.h"
#include "enemy/Bit2.h"
#include "stage/Flare.h"

namespace {

using SatelliteTest = CEnemyWorld;

void UpdateTimes(CObject* o, int n)
{
    for (int i = 0; i < n; ++i) o->Update();
}

// A target of radius 0.1 for the beam's probes.
struct CTarget : CObject {
    explicit CTarget(const Vec3& at)
    {
        SetPos(at);
        m_fRadius = 0.1f;
    }
};

}  // namespace

TEST_F(SatelliteTest, BitsWakeForPattern5AndFireOncePerArrival)
{
    CObject owner;
    owner.SetPos(Vec3{1.0f, 3.0f, 0});
    CBarrageFire fire(&owner);
    for (auto& bit : fire.m_pBits) EXPECT_EQ(bit->m_nState, CObject::STATE_DEAD);

    fire.SetPattern(5);
    for (int i = 0; i < CBarrageFire::kBits; ++i) {
        SCOPED_TRACE(i);
        CBit& bit = *fire.m_pBits[i];
        EXPECT_EQ(bit.m_nState, i < 2 ? CObject::STATE_ALIVE : CObject::STATE_DEAD);
        if (i >= 2) continue;
        EXPECT_EQ(bit.m_vPos, owner.m_vPos);
        // Off to a point in x -3 ... 3, y -2 ... 4, within 60 ... 90 frames.
        EXPECT_TRUE(bit.m_PosTrack.active);
        EXPECT_GE(bit.m_PosTrack.end.x, -3.0f);
        EXPECT_LE(bit.m_PosTrack.end.x, 3.0f);
        EXPECT_GE(bit.m_PosTrack.end.y, -2.0f);
        EXPECT_LE(bit.m_PosTrack.end.y, 4.0f);
        EXPECT_GE(bit.m_PosTrack.step, 1.0f / 90.0f);
        EXPECT_LE(bit.m_PosTrack.step, 1.0f / 60.0f);
    }
    // Bit 0's first trip from the three draws r1, r2, r3.
    CRandom r;
    r.Seed(1024);
    const float r1 = r.Real();
    const float r2 = r.Real();
    const float r3 = r.Real();
    EXPECT_EQ(fire.m_pBits[0]->m_PosTrack.end, (Vec3{6.0f * r2 - 3.0f, 4.0f - 6.0f * r1, 0}));
    EXPECT_EQ(fire.m_pBits[0]->m_PosTrack.step,
              1.0f / static_cast<float>(static_cast<int>((0.5f * r3 + 1.0f) * 60.0f)));

    int arrivals[2] = {}, shots[2] = {};
    int pendingSince[2] = {-1, -1};
    for (int f = 0; f < 1200; ++f) {
        bool moving[2];
        for (int i = 0; i < 2; ++i) moving[i] = fire.m_pBits[i]->m_PosTrack.active;
        const int before = g_EnemyShotList.Count();
        fire.Step();
        for (int i = 0; i < 2; ++i) {
            const CBit& bit = *fire.m_pBits[i];
            // Arrived: the track ended, or ended and restarted after a shot.
            if (moving[i] && (!bit.m_PosTrack.active || bit.m_PosTrack.t == 0.0f)) {
                ++arrivals[i];
                EXPECT_EQ(pendingSince[i], -1) << "arrived twice without firing";
                pendingSince[i] = bit.m_nAge;
            }
            // Each bit faces the craft.
            EXPECT_NEAR(bit.m_vRot.z, bit.FaceToward(g_pPlayer).z, 1e-6f);
        }
        for (int k = before; k < g_EnemyShotList.Count(); ++k) {
            const CEnemyShot* s = dynamic_cast<const CEnemyShot*>(g_EnemyShotList.At(k));
            ASSERT_NE(s, nullptr);
            const int i = s->m_vPos == fire.m_pBits[0]->m_vPos ? 0 : 1;
            ASSERT_EQ(s->m_vPos, fire.m_pBits[i]->m_vPos);
            ++shots[i];
            const int age = fire.m_pBits[i]->m_nAge;
            // The first age at or after the arrival that is a multiple of 15.
            EXPECT_EQ(age % 15, 0);
            EXPECT_GE(age, pendingSince[i]);
            EXPECT_LT(age, pendingSince[i] + 15);
            pendingSince[i] = -1;
            EXPECT_EQ(s->m_nShape, 1);
            EXPECT_NEAR(Length(s->m_vVel), 0.06f, 1e-7f);
            EXPECT_TRUE(fire.m_pBits[i]->m_PosTrack.active);   // and off again
        }
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_GE(arrivals[i], 10);
        EXPECT_EQ(shots[i] + (pendingSince[i] >= 0 ? 1 : 0), arrivals[i]);
    }

    // Another pattern sends them all back to sleep.
    fire.SetPattern(0);
    for (auto& bit : fire.m_pBits) EXPECT_EQ(bit->m_nState, CObject::STATE_DEAD);
}

TEST_F(SatelliteTest, DroneWithoutTurnFliesStraightThenSpraysBothSidesWhileSpeedingUp)
{
    CBit2* d = CBit2::Launch(Vec3{0, 2.0f, 0}, Vec3{0, -3.0f, 0}, 0.01f, 0);
    ASSERT_EQ(g_EffectList.Count(), 1);
    EXPECT_EQ(d->m_vVel, (Vec3{0, -0.01f, 0}));
    for (int age = 0; age < 252; ++age) {
        const int before = g_EnemyShotList.Count();
        const Vec3 v = d->m_vVel;
        d->Update();
        ASSERT_EQ(d->m_nAge, age);
        if (age < 180) {
            ASSERT_EQ(d->m_vVel, v) << age;
            ASSERT_EQ(g_EnemyShotList.Count(), before);
            continue;
        }
        EXPECT_NEAR(d->m_vVel.y, v.y * 1.02f, 1e-9f);
        const bool volley = (age - 180) % 9 == 0;
        ASSERT_EQ(g_EnemyShotList.Count() - before, volley ? 2 : 0) << age;
        if (!volley) continue;
        const int k = (age - 180) / 9;
        const auto* left = dynamic_cast<const CEnemyShot*>(g_EnemyShotList.At(before));
        const auto* right = dynamic_cast<const CEnemyShot*>(g_EnemyShotList.At(before + 1));
        EXPECT_NEAR(AngleDiff(AngleOf(left->m_vVel), 1.5f), 0.0f, 1e-5f);
        EXPECT_NEAR(AngleDiff(AngleOf(right->m_vVel), 0.5f), 0.0f, 1e-5f);
        EXPECT_NEAR(Length(left->m_vVel), 0.02f + 0.002f * static_cast<float>(k), 1e-7f);
        EXPECT_NE(left->m_pTexture, right->m_pTexture);
    }
    EXPECT_EQ(d->m_nVolley, 8);
    EXPECT_EQ(CountPlayed(109), 8);
    EXPECT_EQ(d->m_nState, CObject::STATE_ALIVE);
}

TEST_F(SatelliteTest, DronesLoopOnceInThreeSecondsAndDieOffTheField)
{
    for (int turn : {-1, 1}) {
        SCOPED_TRACE(turn);
        CBit2* d = CBit2::Launch(g_vZero, Vec3{0, -1, 0}, 0.03f, turn);
        UpdateTimes(d, 90);
        // Half a circle: heading up, displaced sideways by the loop's diameter.
        EXPECT_NEAR(AngleDiff(AngleOf(d->m_vVel), 2.0f), 0.0f, 1e-3f);
        EXPECT_NEAR(std::fabs(d->m_vPos.x), 2.0f * 0.03f * 180.0f / (2.0f * 3.14159265f), 0.05f);
        EXPECT_EQ(d->m_vPos.x > 0.0f, turn == 1);
        UpdateTimes(d, 90);
        EXPECT_NEAR(AngleDiff(AngleOf(d->m_vVel), 1.0f), 0.0f, 1e-3f);
        EXPECT_NEAR(d->m_vPos.x, 0.0f, 0.02f);
        EXPECT_NEAR(d->m_vPos.y, 0.0f, 0.02f);
        // Its heading follows its course.
        EXPECT_NEAR(d->m_vRot.z, 1.0f, 0.02f);
    }
    CBit2* gone = CBit2::Launch(Vec3{5.05f, 0, 0}, Vec3{1, 0, 0}, 0.1f, 0);
    gone->Update();
    EXPECT_EQ(gone->m_nState, CObject::STATE_DEAD);
}

// An effect that clears every drone from inside the effects pass, as a
// lock-on laser striking a boss at the end of its barrage does.
class CDroneClearer : public CObject {
public:
    void Update() override
    {
        CObject::Update();
        CBit2::RemoveAll();
    }
};

// A drone that counts its updates and its deletion.
class CCountingDrone : public CBit2 {
public:
    ~CCountingDrone() override { ++s_nDeleted; }
    void Update() override
    {
        CBit2::Update();
        ++s_nUpdates;
        if (m_bClearAll) RemoveAll();
    }
    bool m_bClearAll = false;
    static int s_nUpdates, s_nDeleted;
};
int CCountingDrone::s_nUpdates = 0;
int CCountingDrone::s_nDeleted = 0;

TEST_F(SatelliteTest, RemovingAllDronesFromInsideTheEffectsPassIsSafe)
{
    CCountingDrone::s_nUpdates = CCountingDrone::s_nDeleted = 0;
    g_EffectList.Add(new CCountingDrone);   // stepped before the clear
    CDroneClearer* clearer = new CDroneClearer;
    g_EffectList.Add(clearer);
    g_EffectList.Add(new CCountingDrone);   // removed before its turn
    CObject* other = new CObject;           // not a drone: stays
    g_EffectList.Add(other);
    g_EffectList.Add(new CCountingDrone);

    StepList(g_EffectList);
    EXPECT_EQ(CCountingDrone::s_nUpdates, 1);
    EXPECT_EQ(CCountingDrone::s_nDeleted, 3);
    ASSERT_EQ(g_EffectList.Count(), 2);
    EXPECT_EQ(g_EffectList.At(0), clearer);
    EXPECT_EQ(g_EffectList.At(1), other);
    EXPECT_EQ(other->m_nAge, 0);   // stepped once, not skipped

    // A drone that takes itself and its fellows away while being stepped.
    CCountingDrone::s_nUpdates = CCountingDrone::s_nDeleted = 0;
    DeleteAll(g_EffectList);
    auto* self = new CCountingDrone;
    self->m_bClearAll = true;
    g_EffectList.Add(new CCountingDrone);
    g_EffectList.Add(self);
    g_EffectList.Add(new CCountingDrone);
    StepList(g_EffectList);
    EXPECT_EQ(CCountingDrone::s_nUpdates, 2);
    EXPECT_EQ(CCountingDrone::s_nDeleted, 3);
    EXPECT_EQ(g_EffectList.Count(), 0);

    // Outside any pass they go at once.
    g_EffectList.Add(new CCountingDrone);
    CBit2::RemoveAll();
    EXPECT_EQ(CCountingDrone::s_nDeleted, 4);
    EXPECT_EQ(g_EffectList.Count(), 0);
}

TEST_F(SatelliteTest, BeamStaysPutAndHurtsOnlyWhileItsVanishRateIsAbove095)
{
    CBeam* beam = CBeam::Launch(g_vZero, Vec3{0, -3.0f, 0}, CBeam::COLOR_RED);
    EXPECT_TRUE(beam->m_bLocked);
    EXPECT_TRUE(beam->m_bPersistent);
    EXPECT_EQ(beam->m_nState, CObject::STATE_VANISH);
    EXPECT_EQ(beam->m_nVanishTotal, 60);
    EXPECT_EQ(beam->m_vRot, (Vec3{0, 0, 1.0f}));
    EXPECT_EQ(ObjectsOf<CFlare>(g_ForegroundList).size(), 1u);

    CTarget onBeam(Vec3{0, -7.0f, 0});
    CTarget farEnd(Vec3{0, -14.6f, 0});    // the last probe is at 14.5
    CTarget beyond(Vec3{0, -15.5f, 0});
    CTarget aside(Vec3{0.6f, -7.0f, 0});   // wider than the beam's reach of 0.5
    // Rates 1, 59/60, 58/60 hit; 57/60 = 0.95 no longer does.
    const bool hits[] = {true, true, true, false, false};
    for (int updates = 0; updates < 5; ++updates) {
        SCOPED_TRACE(updates);
        beam->Draw();   // sets the reach from the rate
        EXPECT_EQ(beam->HitTest(&onBeam), hits[updates]);
        EXPECT_EQ(beam->HitTest(&farEnd), hits[updates]);
        EXPECT_FALSE(beam->HitTest(&beyond));
        EXPECT_FALSE(beam->HitTest(&aside));
        beam->Update();
    }
    EXPECT_EQ(beam->m_vPos, Vec3{});
    EXPECT_NEAR(beam->m_fRadius, 0.5f * 56.0f / 60.0f, 1e-6f);   // as last drawn

    // Sparks along it half-way through, 2 at each of the 30 probes.
    UpdateTimes(beam, 24);   // vanish count 31
    EXPECT_EQ(g_pSparks->Count(), 0);
    beam->Update();          // 30
    EXPECT_EQ(g_pSparks->Count(), 60);
    UpdateTimes(beam, 29);
    EXPECT_EQ(beam->m_nState, CObject::STATE_VANISH);
    beam->Update();
    EXPECT_EQ(beam->m_nState, CObject::STATE_DEAD);
    EXPECT_FALSE(beam->HitTest(&onBeam));
    EXPECT_EQ(g_pSparks->Count(), 60);

    // The bullets' clearing leaves beams.
    CBeam* kept = CBeam::Launch(g_vZero, Vec3{1, 0, 0}, CBeam::COLOR_WHITE);
    EmitShotVelocity(g_vZero, g_vZero, 0, 0);
    ClearEnemyBullets();
    ASSERT_EQ(g_EnemyShotList.Count(), 2);
    EXPECT_EQ(g_EnemyShotList.At(1), kept);
}
