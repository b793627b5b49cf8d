// CObject: lifecycle, motion and tracks, hit test, slow motion, transforms.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/Object.h"
#include "core/Random.h"
#include "core_test_support.h"

namespace {

using ObjectTest = CoreWorldTest;

class CMoveCounter : public CObject {
public:
    void OnMoveEnd() override { ++m_nMoveEnds; }
    int m_nMoveEnds = 0;
};

TEST_F(ObjectTest, NewObjectStartsAliveWithUnlimitedLife)
{
    CObject o;
    EXPECT_EQ(o.m_nState, CObject::STATE_ALIVE);
    EXPECT_EQ(o.m_nAge, -1);
    EXPECT_EQ(o.m_fRadius, 0.0f);
    EXPECT_EQ(o.m_fBounce, 0.75f);
    EXPECT_FALSE(o.m_bTerrain || o.m_bGravity || o.m_bOnGround || o.m_bLocked || o.m_bPersistent || o.m_bBillboard);
    EXPECT_EQ(o.GetAppearRate(), 1.0f);
    EXPECT_EQ(o.GetVanishRate(), 1.0f);
    o.Update();
    EXPECT_EQ(o.m_nAge, 0);
}

// For each case: the set-up, the update in which the object dies (0: never
// within the run) and states observed after given updates.
struct LifecycleCase {
    const char* name;
    std::function<void(CObject&)> setup;
    int killedAt;
    std::vector<std::pair<int, int>> statesAfter;  // (updates done, state)
};

TEST_F(ObjectTest, LifecycleTable)
{
    const LifecycleCase cases[] = {
        {"new object", [](CObject&) {}, 0, {{0, CObject::STATE_ALIVE}, {5000, CObject::STATE_ALIVE}}},
        {"SetLife(100)",
         [](CObject& o) { o.SetLife(100); },
         100,
         {{0, CObject::STATE_ALIVE}, {99, CObject::STATE_ALIVE}}},
        // The appear delay ends in update 30, which also counts the first of
        // the 100 life updates.
        {"SetLife(100) then SetAppear(30)",
         [](CObject& o) {
             o.SetLife(100);
             o.SetAppear(30);
         },
         129,
         {{0, CObject::STATE_APPEAR},
          {29, CObject::STATE_APPEAR},
          {30, CObject::STATE_ALIVE},
          {128, CObject::STATE_ALIVE}}},
        {"SetAppear(30) alone",
         [](CObject& o) { o.SetAppear(30); },
         0,
         {{29, CObject::STATE_APPEAR}, {30, CObject::STATE_ALIVE}, {3000, CObject::STATE_ALIVE}}},
        {"Vanish(60)", [](CObject& o) { o.Vanish(60); }, 60, {{0, CObject::STATE_VANISH}, {59, CObject::STATE_VANISH}}},
        // A life with a vanish time set beforehand fades out when it ends; the
        // vanish countdown starts in the same update that ends the life.
        {"SetLife(10) with vanish total 20",
         [](CObject& o) {
             o.SetLife(10);
             o.m_nVanishTotal = 20;
         },
         29,
         {{9, CObject::STATE_ALIVE}, {10, CObject::STATE_VANISH}, {28, CObject::STATE_VANISH}}},
        {"SetAppear(0) and SetLife(0) change nothing",
         [](CObject& o) {
             o.SetAppear(0);
             o.SetLife(0);
         },
         0,
         {{0, CObject::STATE_ALIVE}, {1000, CObject::STATE_ALIVE}}},
    };
    for (const LifecycleCase& c : cases) {
        SCOPED_TRACE(c.name);
        CObject o;
        c.setup(o);
        const int run = c.killedAt > 0 ? c.killedAt : 6000;
        int diedAt = 0;
        for (int update = 0; update <= run; ++update) {
            for (const auto& [after, state] : c.statesAfter) {
                if (after == update) {
                    EXPECT_EQ(o.m_nState, state) << "after " << update << " updates";
                }
            }
            if (update == run) break;
            o.Update();
            if (o.m_nState == CObject::STATE_DEAD && diedAt == 0) diedAt = update + 1;
        }
        EXPECT_EQ(diedAt, c.killedAt);
    }
}

TEST_F(ObjectTest, VanishRateFallsFromOneAndZeroVanishKillsAtOnce)
{
    CObject o;
    o.Vanish(60);
    EXPECT_EQ(o.GetVanishRate(), 1.0f);
    o.Update();
    EXPECT_EQ(o.GetVanishRate(), 59.0f / 60.0f);
    for (int i = 0; i < 58; ++i) o.Update();
    EXPECT_EQ(o.GetVanishRate(), 1.0f / 60.0f);

    CObject p;
    p.Vanish(0);
    EXPECT_EQ(p.m_nState, CObject::STATE_DEAD);

    CObject q;
    q.SetAppear(4);
    EXPECT_EQ(q.GetAppearRate(), 1.0f);
    q.Update();
    EXPECT_EQ(q.GetAppearRate(), 0.75f);
}

// A track of n frames ends on its n-th update, long glides included (the sum
// of n steps of 1/n drifts away from 1 by more than a step beyond 5858).
TEST_F(ObjectTest, MoveToLandsExactlyAfterItsFramesAndEndsOnce)
{
    for (int frames : {60, 12, 120, 1, 5858, 5859, 20000}) {
        SCOPED_TRACE(frames);
        CMoveCounter o;
        o.SetPos(Vec3{1.0f, 2.0f, 3.0f});
        const Vec3 target{4.0f, -5.0f, 6.5f};
        o.MoveTo(target, frames);
        for (int i = 0; i < frames - 1; ++i) o.Update();
        EXPECT_EQ(o.m_nMoveEnds, 0);
        EXPECT_TRUE(o.m_PosTrack.active);
        if (frames <= 120) {  // longer glides are there to a float's width
            EXPECT_FALSE(o.m_vPos == target);
        }
        o.Update();
        EXPECT_TRUE(o.m_vPos == target);
        EXPECT_EQ(o.m_nMoveEnds, 1);
        EXPECT_FALSE(o.m_PosTrack.active);
        for (int i = 0; i < 10; ++i) o.Update();
        EXPECT_EQ(o.m_nMoveEnds, 1);
        EXPECT_TRUE(o.m_vPos == target);
    }
}

TEST_F(ObjectTest, TrackCurvesEaseAndUseStoredTangents)
{
    CMoveCounter o;
    o.MoveTo(Vec3{8.0f, 0.0f, 0.0f}, 2);
    o.Update();  // t = 0.5: halfway along the ease curve
    EXPECT_EQ(o.m_vPos.x, 4.0f);

    // Start = end = 0 with a start tangent of 8: at t = 0.5 the tangent term
    // (t^3 - 2t^2 + t) = 0.125 gives 1.
    CMoveCounter h;
    h.MoveTo(Vec3{}, Vec3{8.0f, 0.0f, 0.0f}, Vec3{}, 2);
    h.Update();
    EXPECT_EQ(h.m_vPos.x, 1.0f);

    // A zero frame count reaches the target on the next update.
    CMoveCounter z;
    z.MoveTo(Vec3{3.0f, 3.0f, 3.0f}, 0);
    z.Update();
    EXPECT_TRUE(z.m_vPos == (Vec3{3.0f, 3.0f, 3.0f}));
    EXPECT_EQ(z.m_nMoveEnds, 1);

    // A negative frame count behaves like zero instead of running backwards.
    CMoveCounter n;
    n.MoveTo(Vec3{2.0f, 0.0f, 0.0f}, -5);
    n.Update();
    EXPECT_EQ(n.m_vPos.x, 2.0f);
    EXPECT_EQ(n.m_nMoveEnds, 1);
}

TEST_F(ObjectTest, IntegrationRunsBeforeTracksAndTracksWin)
{
    // The position moves with the velocity of the previous update; the
    // velocity track writes the new velocity afterwards.
    CObject o;
    o.SetVelAccelTo(Vec3{1.0f, 0.0f, 0.0f}, Vec3{3.0f, 0.0f, 0.0f}, 0);
    o.Update();
    EXPECT_EQ(o.m_vPos.x, 1.0f);
    EXPECT_EQ(o.m_vVel.x, 3.0f);
    o.Update();
    EXPECT_EQ(o.m_vPos.x, 4.0f);

    // A running position track overrides the integrated position.
    CObject p;
    p.SetVel(Vec3{100.0f, 0.0f, 0.0f});
    p.MoveTo(Vec3{0.0f, 2.0f, 0.0f}, 2);
    p.Update();
    EXPECT_EQ(p.m_vPos.x, 0.0f);
    EXPECT_EQ(p.m_vPos.y, 1.0f);

    // Locked: the velocity is not added; rotation and aux rates still are.
    CObject q;
    q.m_bLocked = true;
    q.SetVel(Vec3{1.0f, 1.0f, 1.0f});
    q.SetRotVel(Vec3{0.0f, 0.0f, 0.25f});
    q.SetAuxVel(Vec3{0.0f, 2.0f, 0.0f});
    q.Update();
    EXPECT_TRUE(q.m_vPos == g_vZero);
    EXPECT_EQ(q.m_vRot.z, 0.25f);
    EXPECT_EQ(q.m_vAux.y, 2.0f);
    EXPECT_TRUE(q.m_vPrevPos == g_vZero);
}

TEST_F(ObjectTest, AuxVelocityTrackStartsFromTheLinearVelocity)
{
    CObject o;
    o.SetVel(Vec3{2.0f, 0.0f, 0.0f});
    o.SetAuxVel(Vec3{-50.0f, 0.0f, 0.0f});
    o.AuxVelTo(Vec3{4.0f, 0.0f, 0.0f}, 2);
    o.Update();
    EXPECT_EQ(o.m_vAuxVel.x, 3.0f);  // halfway from 2 to 4, not from -50
}

TEST_F(ObjectTest, SettersStopTheirTracksAndResetClearsPositionAndRotation)
{
    CObject o;
    o.MoveTo(Vec3{10.0f, 0.0f, 0.0f}, 10);
    o.RotateTo(Vec3{1.0f, 0.0f, 0.0f}, 10);
    o.AuxTo(Vec3{1.0f, 0.0f, 0.0f}, 10);
    o.AccelTo(Vec3{1.0f, 0.0f, 0.0f}, 10);
    o.Update();
    o.SetAux(Vec3{});
    o.SetVel(Vec3{});
    EXPECT_FALSE(o.m_AuxTrack.active || o.m_VelTrack.active);
    o.Reset();
    EXPECT_FALSE(o.m_PosTrack.active || o.m_RotTrack.active);
    for (int i = 0; i < 20; ++i) o.Update();
    EXPECT_TRUE(o.m_vPos == g_vZero);
    EXPECT_TRUE(o.m_vRot == g_vZero);
}

TEST_F(ObjectTest, HitTestUsesTheLargerRadiusNotTheSum)
{
    struct Case {
        float distance;
        bool hits;
    };
    const Case cases[] = {{0.5f, true}, {0.51f, false}, {0.0f, true}};
    for (const Case& c : cases) {
        CObject a, b;
        a.m_fRadius = 0.1f;
        b.m_fRadius = 0.5f;
        b.SetPos(Vec3{c.distance, 0.0f, 0.0f});
        EXPECT_EQ(a.HitTest(&b), c.hits) << c.distance;
        EXPECT_EQ(b.HitTest(&a), c.hits) << c.distance;
        EXPECT_EQ(a.IsNear(&b), c.hits) << c.distance;
    }
    CObject a, b;
    b.m_fRadius = 0.5f;
    b.SetPos(Vec3{0.0f, 2.0f, 0.0f});
    EXPECT_FALSE(a.IsNear(&b));
    EXPECT_TRUE(a.IsNear(&b, 0.0f, 1.6f, 0.0f));  // probe offset from a
    EXPECT_FALSE(a.HitTest(nullptr));
}

TEST_F(ObjectTest, OnlyLivingObjectsHitButIsNearIgnoresStates)
{
    struct Case {
        const char* name;
        std::function<void(CObject&)> setup;
    };
    const Case cases[] = {
        {"appearing", [](CObject& o) { o.SetAppear(30); }},
        {"vanishing", [](CObject& o) { o.Vanish(30); }},
        {"dead", [](CObject& o) { o.Kill(); }},
    };
    for (const Case& c : cases) {
        CObject a, b;
        a.m_fRadius = b.m_fRadius = 1.0f;
        c.setup(a);
        EXPECT_FALSE(a.HitTest(&b)) << c.name;
        EXPECT_FALSE(b.HitTest(&a)) << c.name;
        EXPECT_TRUE(a.IsNear(&b)) << c.name;
    }
}

TEST_F(ObjectTest, SlowMotionDrawsEveryFrameAndUpdatesEverySecondFrame)
{
    CFakeDevice device;
    g_pDeviceLink = &device;
    CLoggedObject o("o");
    o.SetVel(Vec3{1.0f, 0.0f, 0.0f});

    device.m_nSlowCount = 8;
    for (int frame = 0; frame < 8; ++frame) {
        o.Step();
        device.DeviceUpdate();
    }
    EXPECT_EQ(o.m_nDraws, 8);
    EXPECT_EQ(o.m_nUpdates, 4);
    EXPECT_EQ(o.m_nAge, 3);  // age counts updates, not frames
    EXPECT_EQ(o.m_vPos.x, 4.0f);

    // Slow motion over: every frame updates again, draw before update.
    EventLog().clear();
    o.Step();
    EXPECT_EQ(EventLog(), (std::vector<std::string>{"draw o", "update o"}));
    EXPECT_EQ(o.m_nUpdates, 5);
}

TEST_F(ObjectTest, DeviceConstructorsRecordTheDevice)
{
    CFakeDevice device;
    CObject a(&device, static_cast<CTexture*>(nullptr), 2.5f);
    EXPECT_EQ(g_pDeviceLink, &device);
    EXPECT_EQ(a.m_fParam, 2.5f);
    EXPECT_EQ(a.m_nState, CObject::STATE_ALIVE);
    CFakeDevice other;
    CObject b(&other);
    EXPECT_EQ(g_pDeviceLink, &other);
    EXPECT_EQ(b.m_fParam, 0.0f);
    CObject c(&device, static_cast<CModel*>(nullptr), 1.0f);
    EXPECT_EQ(g_pDeviceLink, &device);
}

TEST_F(ObjectTest, WorldTransformAndBillboard)
{
    CObject o;
    o.SetPos(Vec3{1.0f, 2.0f, 3.0f});
    o.SetRot(Vec3{0.0f, 0.0f, 0.25f});
    o.SetWorldTransform();  // no device: nothing happens

    CFakeDevice device;
    g_pDeviceLink = &device;
    o.SetWorldTransform(0.0f, 0.0f, 0.25f, 0.0f, 1.0f, 0.0f);
    Matrix expected;
    BuildWorldMatrix(expected, 0.0f, 0.0f, 0.5f, 1.0f, 3.0f, 3.0f);
    EXPECT_EQ(device.m_nWorldSets, 1);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) EXPECT_EQ(device.m_World.m[i][j], expected.m[i][j]);
    }
    Matrix own;
    o.GetWorldMatrix(own);
    EXPECT_NEAR(TransformCoord(Vec3{0.0f, 1.0f, 0.0f}, own).x, 1.0f - 0.70710678f, 1e-6f);

    // A billboard takes the inverted view rotation; its own rotation and the
    // extra rotation are ignored, the offset is not.
    BuildWorldMatrix(device.m_View, 0.1f, 0.3f, 0.7f, 9.0f, 9.0f, 9.0f);
    o.m_bBillboard = true;
    o.SetWorldTransform(0.5f, 0.5f, 0.5f, 0.0f, 0.0f, 1.0f);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) EXPECT_EQ(device.m_World.m[i][j], device.m_View.m[j][i]);
        EXPECT_EQ(device.m_World.m[i][3], 0.0f);
    }
    EXPECT_EQ(device.m_World.m[3][0], 1.0f);
    EXPECT_EQ(device.m_World.m[3][1], 2.0f);
    EXPECT_EQ(device.m_World.m[3][2], 4.0f);
    EXPECT_EQ(device.m_World.m[3][3], 1.0f);
}

TEST_F(ObjectTest, FaceTowardTurnsUpTowardTheOther)
{
    CObject a, b;
    a.SetPos(Vec3{1.0f, 1.0f, 0.0f});
    b.SetPos(Vec3{0.0f, 1.0f, 5.0f});  // to the left; z does not count
    EXPECT_TRUE(a.FaceToward(&b) == (Vec3{0.0f, 0.0f, 0.5f}));
    b.SetPos(Vec3{1.0f, 3.0f, 0.0f});
    EXPECT_TRUE(a.FaceToward(&b) == (Vec3{0.0f, 0.0f, 2.0f}));
}

class CTranslateRecorder : public CObject {
public:
    void Translate(float dx, float dy, float dz) override
    {
        ++m_nCalls;
        CObject::Translate(dx, dy, dz);
    }
    using CObject::Translate;
    void OnNotify() override { ++m_nNotified; }
    int m_nCalls = 0;
    int m_nNotified = 0;
};

TEST_F(ObjectTest, VectorTranslateAndNotifyGoThroughTheirSlots)
{
    CTranslateRecorder o;
    o.Translate(Vec3{1.0f, 2.0f, 3.0f});
    EXPECT_EQ(o.m_nCalls, 1);
    EXPECT_TRUE(o.m_vPos == (Vec3{1.0f, 2.0f, 3.0f}));
    o.Notify();
    EXPECT_EQ(o.m_nNotified, 1);
}

// Drawing must not draw from the game's generator: a draw in Draw() is counted,
// one in Update() is not, and the draw itself still happens (the sequence
// moves on by one output either way).
class CDrawingDrawer : public CObject {
public:
    void Draw() override
    {
        if (m_bInDraw) m_fDrawn = g_GameRand.Real();
    }
    void Update() override
    {
        CObject::Update();
        if (!m_bInDraw) m_fDrawn = g_GameRand.Real();
    }
    bool m_bInDraw = false;
    float m_fDrawn = -1.0f;
};

TEST_F(ObjectTest, ADrawWhileDrawingIsCounted)
{
    g_GameRand.ClearLockedDraws();
    CRandom expected;
    expected.Seed(7);
    g_GameRand.Seed(7);
    for (const bool inDraw : {false, true}) {
        SCOPED_TRACE(inDraw ? "drawn in Draw" : "drawn in Update");
        CDrawingDrawer o;
        o.m_bInDraw = inDraw;
        o.Step();
        EXPECT_EQ(o.m_fDrawn, expected.Real());
        EXPECT_EQ(g_GameRand.LockedDraws(), inDraw ? 1 : 0);
        EXPECT_FALSE(g_GameRand.IsLocked());
    }
    // Locks nest: the count goes on until the last one is lifted.
    {
        CRandomLock outer(g_GameRand);
        {
            CRandomLock inner(g_GameRand);
        }
        g_GameRand.Integer(3);
    }
    g_GameRand.Integer(3);
    EXPECT_EQ(g_GameRand.LockedDraws(), 2);
    g_GameRand.ClearLockedDraws();
}

}  // namespace
