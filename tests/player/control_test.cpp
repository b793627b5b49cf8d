// The control step: what one frame of channel 0 does to the craft.
#include "tests/player/player_fixture.h"

#include <cmath>

#include "player/PlayerShot.h"
#include "player/ShockWave.h"

namespace {

constexpr float kEps = 1e-5f;

float Moved(const Vec3& a, const Vec3& b) { return Length(b - a); }

}  // namespace

using ControlTest = PlayerTest;

TEST_F(ControlTest, BombNeedsMoreThanOneBombOfGauge)
{
    struct Case {
        int gauge;
        int gaugeAfter;
        int delay;
        int state;
    };
    const Case cases[] = {
        {3600, 3600, 0, CObject::STATE_ALIVE},
        {3601, 1, 60, CObject::STATE_APPEAR},
        {10800, 7200, 60, CObject::STATE_APPEAR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gauge);
        m_pCraft->Reset();
        m_pCraft->m_nGauge = c.gauge;
        CInputRecord reload;
        reload.m_bReload = 1;
        Control(CInputRecord{});
        Control(reload);
        EXPECT_EQ(m_pCraft->m_nGauge, c.gaugeAfter);
        EXPECT_EQ(m_pCraft->m_nBombDelay, c.delay);
        EXPECT_EQ(m_pCraft->m_nState, c.state);
        EXPECT_FALSE(m_pCraft->IsSlowMotionActive());
        EmptyWorldLists();
    }
}

TEST_F(ControlTest, BombClearsBulletsExceptPersistentOnesAndCostsTheCleanBonus)
{
    AddBullet(Vec3{1.0f, 1.0f, 0.0f});
    CObject* kept = AddBullet(Vec3{2.0f, 1.0f, 0.0f});
    kept->m_bPersistent = true;
    m_pCraft->m_nGauge = 5000;
    m_pCraft->Bomb();
    ASSERT_EQ(g_EnemyShotList.Count(), 1);
    EXPECT_EQ(g_EnemyShotList.At(0), kept);
    EXPECT_FALSE(m_pCraft->m_bClean);
    EXPECT_EQ(g_pFader->m_nMode, CFader::MODE_FROM);   // white flash
    EXPECT_EQ(g_pFader->m_fRed, 1.0f);
    EXPECT_EQ(g_OverlayList.Count(), 2);                // cut-in picture and strip
}

// Volleys on frames where age - last volley > 3 while attack0 is held, and
// two more at the same rate after it is let go.
TEST_F(ControlTest, VolleysEveryFourthFrameWhileHeldAndTwoAfterRelease)
{
    struct Case {
        int held;
        std::vector<int> volleys;
    };
    const Case cases[] = {
        {1, {0, 4, 8}},
        {4, {0, 5, 9}},   // let go on a frame with none due: the two follow from there
        {5, {0, 4, 8, 12}},
        {10, {0, 4, 8, 12, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.held);
        m_pCraft->Reset();
        m_Before = CInputRecord{};
        std::vector<int> volleys;
        for (int f = 0; f < 40; ++f) {
            CInputRecord in;
            in.m_bAttack0 = f < c.held ? 1 : 0;
            const int before = CountSound(101);
            Frame(in);
            if (CountSound(101) > before) volleys.push_back(f);
        }
        EXPECT_EQ(volleys, c.volleys);
        EmptyWorldLists();
    }
}

TEST_F(ControlTest, AVolleyIsTwoShotsBesideTheNoseAlongTheHeading)
{
    m_pCraft->SetPos(Vec3{1.0f, -2.0f, 0.0f});
    m_pCraft->Turn(0.5f);   // nose to the left
    m_pCraft->Shoot();
    ASSERT_EQ(g_ForegroundList.Count(), 2);
    const CObject* a = g_ForegroundList.At(0);
    const CObject* b = g_ForegroundList.At(1);
    // (-0.2, 0) and (0.2, 0) turned a quarter to the left.
    EXPECT_NEAR(a->m_vPos.x, 1.0f, kEps);
    EXPECT_NEAR(a->m_vPos.y, -2.2f, kEps);
    EXPECT_NEAR(b->m_vPos.y, -1.8f, kEps);
    EXPECT_NEAR(a->m_vVel.x, -0.25f, kEps);
    EXPECT_NEAR(a->m_vVel.y, 0.0f, kEps);
    EXPECT_FLOAT_EQ(a->m_vRot.z, 0.5f);
    EXPECT_EQ(m_pCraft->m_nTrailShots, -1);
}

TEST_F(ControlTest, HoldingForNineFramesChargesAndSlowsTheCraftUnlessDashIsHeld)
{
    struct Case {
        int frames;
        bool blade;
        bool dash;
        float speed;
    };
    const Case cases[] = {
        {8, false, false, 0.09f},
        {9, false, false, 0.03f},
        {9, true, false, 0.03f},    // the blade button charges too
        {9, false, true, 0.09f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frames << " blade " << c.blade << " dash " << c.dash);
        m_pCraft->Reset();
        m_Before = CInputRecord{};
        CInputRecord in = Input(0.0f, 0.0f);
        in.m_bAttack0 = c.blade ? 0 : 1;
        in.m_bBlade = c.blade ? 1 : 0;
        in.m_bDash = c.dash ? 1 : 0;
        for (int f = 0; f < c.frames - 1; ++f) Control(in);
        in.m_fX = 1.0f;   // the last frame moves right
        const Vec3 from = m_pCraft->m_vPos;
        Control(in);
        EXPECT_EQ(m_pCraft->IsCharged(), c.frames >= 9);
        EXPECT_NEAR(Moved(from, m_pCraft->m_vPos), c.speed, kEps);
        EmptyWorldLists();
    }
}

TEST_F(ControlTest, EveryDirectionMovesAtOneSpeed)
{
    struct Case {
        float x, y;
    };
    const Case cases[] = {{1.0f, 0.0f}, {1.0f, 1.0f}, {-1.0f, -1.0f}, {0.3f, 0.0f}, {0.2f, -0.7f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        m_pCraft->SetPos(Vec3{});
        Control(Input(c.x, c.y));
        EXPECT_NEAR(Length(m_pCraft->m_vPos), 0.09f, kEps);
        Control(Input());
    }
    // A diagonal is 0.09 in total: 0.0636 on each axis.
    m_pCraft->SetPos(Vec3{});
    Control(Input(1.0f, 1.0f));
    EXPECT_NEAR(m_pCraft->m_vPos.x, 0.09f / std::sqrt(2.0f), kEps);
    EXPECT_NEAR(m_pCraft->m_vPos.y, 0.09f / std::sqrt(2.0f), kEps);
}

TEST_F(ControlTest, PushedDownTheCraftCannotClimbAndSlowMotionHalvesTheStep)
{
    m_pCraft->SetVel(Vec3{0.0f, -0.3f, 0.0f});
    Control(Input(0.0f, 1.0f));
    EXPECT_EQ(m_pCraft->m_vPos.y, 0.0f);
    Control(Input(1.0f, 1.0f));   // the sideways part still moves
    EXPECT_NEAR(m_pCraft->m_vPos.x, 0.09f / std::sqrt(2.0f), kEps);
    EXPECT_EQ(m_pCraft->m_vPos.y, 0.0f);

    m_pCraft->SetVel(Vec3{});
    m_pCraft->SetPos(Vec3{});
    m_pDevice->BeginSlowMotion(480);
    Control(Input(0.0f, 1.0f));
    EXPECT_NEAR(m_pCraft->m_vPos.y, 0.045f, kEps);
}

TEST_F(ControlTest, TheStepLeansTheCraftIntoItsMotion)
{
    for (int i = 0; i < 20; ++i) Control(Input(1.0f, 1.0f));
    EXPECT_FLOAT_EQ(m_pCraft->m_vRot.y, -0.25f);   // bank limit
    EXPECT_FLOAT_EQ(m_pCraft->m_vRot.x, 0.3f);     // pitch limit
    Control(Input());
    EXPECT_FLOAT_EQ(m_pCraft->m_vRot.y, -0.25f * 0.95f);
    EXPECT_FLOAT_EQ(m_pCraft->m_vRot.x, 0.3f * 0.95f);
}

TEST_F(ControlTest, HeadingWrapsWithinTwoHalfTurns)
{
    struct Case {
        float from, delta, to;
    };
    const Case cases[] = {
        {1.99f, 0.02f, 0.01f},
        {-1.99f, -0.02f, -0.01f},
        {0.5f, 0.02f, 0.52f},
        {-0.01f, 0.02f, 0.01f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        m_pCraft->SetRot(Vec3{0.1f, 0.2f, c.from});
        m_pCraft->Turn(c.delta);
        EXPECT_NEAR(m_pCraft->m_vRot.z, c.to, kEps);
        EXPECT_FLOAT_EQ(m_pCraft->m_vRot.x, 0.1f);
    }
}

TEST_F(ControlTest, RollButtonsTurnUnlessBothAreHeldOrTheCraftIsStraightening)
{
    CInputRecord left;
    left.m_bLeftRoll = 1;
    Control(left);
    EXPECT_NEAR(m_pCraft->m_vRot.z, 0.02f, kEps);
    CInputRecord right;
    right.m_bRightRoll = 1;
    Control(right);
    Control(right);
    EXPECT_NEAR(m_pCraft->m_vRot.z, -0.02f, kEps);

    // Both: no turn; the heading eases back to 0 over 30 updates.
    CInputRecord both;
    both.m_bLeftRoll = both.m_bRightRoll = 1;
    Control(both);
    EXPECT_NEAR(m_pCraft->m_vRot.z, -0.02f, kEps);
    UpdateCraft(30);
    EXPECT_NEAR(m_pCraft->m_vRot.z, 0.0f, kEps);

    // Firing straightens the craft: its rotation track runs, so rolls wait.
    CInputRecord fireAndRoll;
    fireAndRoll.m_bAttack0 = fireAndRoll.m_bLeftRoll = 1;
    Control(fireAndRoll);
    Control(fireAndRoll);
    EXPECT_NEAR(m_pCraft->m_vRot.z, 0.02f, kEps);
}

TEST_F(ControlTest, BladeStartsOnlyWithASidewaysPushAndEndsWhenLetGo)
{
    CInputRecord up = Input(0.0f, 1.0f);
    up.m_bBlade = 1;
    Control(up);
    EXPECT_FALSE(m_pCraft->m_Blade.IsAlive());
    EXPECT_EQ(CountSound(115), 0);
    Control(Input());

    CInputRecord side = Input(1.0f, 0.0f);
    side.m_bBlade = 1;
    Control(side);
    EXPECT_TRUE(m_pCraft->m_Blade.IsAlive());
    EXPECT_EQ(CountSound(115), 1);
    UpdateCraft(5);
    Control(side);   // held: the swing goes on
    EXPECT_TRUE(m_pCraft->m_Blade.IsAlive());
    Control(Input(1.0f, 0.0f));   // let go mid-swing
    EXPECT_FALSE(m_pCraft->m_Blade.IsAlive());
}

TEST_F(ControlTest, BladeSwingsAHalfTurnInTwelveFramesFromTheSidePushedToward)
{
    const float w = 1.0f / 12.0f;
    struct Case {
        float x, y, start, turn;
    };
    const Case cases[] = {
        {1.0f, 0.0f, 0.25f, -w},
        {1.0f, -1.0f, 0.25f, -w},
        {-1.0f, 0.0f, -0.25f, w},
        {1.0f, 1.0f, 0.75f, -w},
        {-1.0f, 1.0f, -0.75f, w},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        m_pCraft->StartBlade(c.x, c.y);
        EXPECT_FLOAT_EQ(m_pCraft->m_Blade.m_vRot.z, c.start);
        EXPECT_FLOAT_EQ(m_pCraft->m_Blade.m_vRotVel.z, c.turn);
        for (int i = 0; i < 11; ++i) m_pCraft->m_Blade.Update();
        EXPECT_TRUE(m_pCraft->m_Blade.IsAlive());
        m_pCraft->m_Blade.Update();
        EXPECT_FALSE(m_pCraft->m_Blade.IsAlive());
        EXPECT_NEAR(m_pCraft->m_Blade.m_vRot.z, c.start + 12.0f * c.turn, kEps);
    }
    // The push is read in the craft's own frame: turned a quarter to the
    // left, up and right is back and right for the craft.
    m_pCraft->Turn(0.5f);
    m_pCraft->StartBlade(1.0f, 1.0f);
    EXPECT_FLOAT_EQ(m_pCraft->m_Blade.m_vRot.z, 0.5f + 0.25f);
}

TEST_F(ControlTest, DashPushesEightWaysAndStandsTheRingAcrossIt)
{
    struct Case {
        float x, y;
        Vec3 push;
        float ring;
    };
    const Case cases[] = {
        {1.0f, 0.0f, {0.3f, 0.0f, 0.0f}, 0.0f},
        {0.0f, -0.4f, {0.0f, -0.3f, 0.0f}, 0.5f},
        {0.6f, 0.2f, {0.3f, 0.3f, 0.0f}, 0.25f},
        {-1.0f, -1.0f, {-0.3f, -0.3f, 0.0f}, 0.25f},
        {1.0f, -1.0f, {0.3f, -0.3f, 0.0f}, 0.75f},
        {-0.1f, 1.0f, {-0.3f, 0.3f, 0.0f}, 0.75f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        m_pCraft->Dash(c.x, c.y);
        EXPECT_EQ(m_pCraft->m_vVel, c.push);
        ASSERT_EQ(g_EffectList.Count(), 1);
        const CShockWave* ring = static_cast<const CShockWave*>(g_EffectList.At(0));
        EXPECT_EQ(ring->m_vRot, (Vec3{0.0f, 0.5f, c.ring}));
        EXPECT_EQ(ring->m_fSize, 20.0f);
        EXPECT_EQ(ring->m_nVanishTotal, 15);
        EmptyWorldLists();
    }
    // The push dies away over 15 updates.
    UpdateCraft(15);
    EXPECT_EQ(m_pCraft->m_vVel, Vec3{});
    EXPECT_EQ(CountSound(111), 6);
    EXPECT_EQ(g_pSparks->Count(), 6 * 4);

    // No direction: nothing, charged or not.
    m_pCraft->Dash(0.0f, 0.0f);
    EXPECT_EQ(CountSound(111), 6);
}

TEST_F(ControlTest, ReloadBombsStandingStillOtherwiseTurnsSlowMotionOnAndOff)
{
    m_pCraft->m_nGauge = 9000;
    CInputRecord reloadMoving = Input(1.0f, 0.0f);
    reloadMoving.m_bReload = 1;
    Control(Input(1.0f, 0.0f));
    Control(reloadMoving);
    EXPECT_TRUE(m_pCraft->IsSlowMotionActive());
    EXPECT_EQ(m_pCraft->m_nGauge, 8100);
    EXPECT_EQ(m_pCraft->m_nBombDelay, 0);
    Control(Input(1.0f, 0.0f));
    Control(reloadMoving);
    EXPECT_FALSE(m_pCraft->IsSlowMotionActive());

    // Firing in the frame before: slow motion even standing still (here in
    // its cooldown: it costs 900 and starts nothing).
    CInputRecord fire;
    fire.m_bAttack0 = 1;
    CInputRecord reload;
    reload.m_bReload = 1;
    Control(fire);
    Control(reload);
    EXPECT_EQ(m_pCraft->m_nBombDelay, 0);
    EXPECT_FALSE(m_pCraft->IsSlowMotionActive());
    EXPECT_EQ(m_pCraft->m_nGauge, 7200);
}

TEST_F(ControlTest, NothingActsWhileScriptedOrVanishing)
{
    CInputRecord all = Input(1.0f, 1.0f);
    all.m_bAttack0 = all.m_bReload = all.m_bDash = all.m_bBlade = 1;
    m_pCraft->SetScripted(true);
    Control(all);
    EXPECT_EQ(m_pCraft->m_vPos, Vec3{});
    EXPECT_EQ(g_ForegroundList.Count(), 0);
    EXPECT_EQ(m_pCraft->m_nHoldCount, 0);

    m_pCraft->SetScripted(false);
    m_pCraft->Vanish(480);
    Control(CInputRecord{});
    Control(all);
    EXPECT_EQ(m_pCraft->m_vPos, Vec3{});
    EXPECT_TRUE(PlayedSounds().empty());
}
