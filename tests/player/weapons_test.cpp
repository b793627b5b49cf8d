// The craft's shots and the bomb's lock-on lasers.
#include "tests/player/player_fixture.h"

#include "player/LockonLaser.h"
#include "player/PlayerShot.h"

namespace {

constexpr float kEps = 1e-5f;

std::vector<CLockonLaser*> Lasers()
{
    std::vector<CLockonLaser*> out;
    for (int i = 0; i < g_EffectList.Count(); ++i) {
        if (auto* l = dynamic_cast<CLockonLaser*>(g_EffectList.At(i))) out.push_back(l);
    }
    return out;
}

}  // namespace

using ShotTest = PlayerTest;
using LaserTest = PlayerTest;

TEST_F(ShotTest, StrikesOnlyTheFirstEnemyItTouches)
{
    CEnemy* first = AddEnemy(Vec3{0.0f, 1.0f, 0.0f}, 5);
    CEnemy* second = AddEnemy(Vec3{0.1f, 1.0f, 0.0f}, 5);
    CPlayerShot* shot = CPlayerShot::Launch(Vec3{0.0f, 0.75f, 0.0f}, Vec3{}, Vec3{0.0f, 0.25f, 0.0f});
    shot->Update();
    EXPECT_EQ(shot->m_nState, CObject::STATE_DEAD);
    EXPECT_EQ(first->m_nHp, 4);
    EXPECT_EQ(second->m_nHp, 5);
    EXPECT_EQ(CountSound(110), 1);
    EXPECT_EQ(g_pSparks->Count(), 2);
}

TEST_F(ShotTest, BossesTakeHitsSilentlyShieldsAbsorbThemEntryLetsThemPass)
{
    struct Case {
        const char* what;
        int maxHp;
        bool invulnerable;
        bool entering;
        int hpAfter;
        bool shotGone;
        int sounds;
    };
    const Case cases[] = {
        {"small enemy", 99, false, false, 98, true, 1},
        {"boss", 100, false, false, 99, true, 0},
        {"shielded boss", 600, true, false, 600, true, 0},
        {"entering boss", 600, false, true, 600, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CEnemy* e = AddEnemy(Vec3{0.0f, 1.0f, 0.0f}, c.maxHp);
        if (c.invulnerable) e->SetInvulnerable(true);
        if (c.entering) e->SetEntering(true);
        PlayedSounds().clear();
        g_pSparks->Clear();
        CPlayerShot* shot = CPlayerShot::Launch(Vec3{0.0f, 0.75f, 0.0f}, Vec3{}, Vec3{0.0f, 0.25f, 0.0f});
        shot->Update();
        EXPECT_EQ(e->m_nHp, c.hpAfter);
        EXPECT_EQ(shot->m_nState == CObject::STATE_DEAD, c.shotGone);
        EXPECT_EQ(CountSound(110), c.sounds);
        EXPECT_EQ(g_pSparks->Count(), 2 * c.sounds);
        EmptyWorldLists();
    }
}

TEST_F(ShotTest, AShotLeavingTheFieldStillStrikesOnThatFrame)
{
    CEnemy* e = AddEnemy(Vec3{0.0f, 5.6f, 0.0f}, 5);
    CPlayerShot* shot = CPlayerShot::Launch(Vec3{0.0f, 5.4f, 0.0f}, Vec3{}, Vec3{0.0f, 0.25f, 0.0f});
    shot->Update();
    EXPECT_EQ(e->m_nHp, 4);
    EXPECT_EQ(shot->m_nState, CObject::STATE_DEAD);

    CPlayerShot* away = CPlayerShot::Launch(Vec3{-5.4f, 0.0f, 0.0f}, Vec3{}, Vec3{-0.25f, 0.0f, 0.0f});
    away->Update();
    EXPECT_EQ(away->m_nState, CObject::STATE_DEAD);
}

TEST_F(LaserTest, AnEmptyEnemyListAtTheEndOfTheBombDelayLaunchesNothing)
{
    m_pCraft->m_nGauge = 5000;
    m_pCraft->Bomb();
    const int particles = g_pLightParticles->Count();
    UpdateCraft(60);
    EXPECT_TRUE(Lasers().empty());
    EXPECT_EQ(m_pCraft->m_vVel, Vec3{});   // no recoil
    EXPECT_EQ(CountSound(153), 0);
    EXPECT_EQ(g_pLightParticles->Count(), particles);
}

TEST_F(LaserTest, TwentyFourLasersGoRoundTheEnemiesSkippingUntouchableBosses)
{
    CEnemy* a = AddEnemy(Vec3{-1.0f, 3.0f, 0.0f}, 48);
    CEnemy* boss = AddEnemy(Vec3{0.0f, 3.0f, 0.0f}, 600);
    boss->SetInvulnerable(true);
    CEnemy* c = AddEnemy(Vec3{1.0f, 3.0f, 0.0f}, 48);
    CEnemy* entering = AddEnemy(Vec3{2.0f, 3.0f, 0.0f}, 600);
    entering->SetEntering(true);
    m_pCraft->m_nGauge = 5000;
    m_pCraft->Bomb();
    UpdateCraft(59);
    EXPECT_TRUE(Lasers().empty());
    m_pCraft->Update();   // the 60th: the volley
    const std::vector<CLockonLaser*> lasers = Lasers();
    ASSERT_EQ(lasers.size(), 24u);
    for (size_t i = 0; i < lasers.size(); ++i) EXPECT_EQ(lasers[i]->Target(), i % 2 == 0 ? a : c) << i;
    EXPECT_EQ(CountSound(153), 1);
    // The recoil: pushed down at 0.075, easing off over 24 frames.
    EXPECT_FLOAT_EQ(m_pCraft->m_vVel.y, -0.075f);
    EXPECT_TRUE(m_pCraft->m_VelTrack.active);
}

TEST_F(LaserTest, OnlyUntouchableBossesInTheListLaunchNothing)
{
    CEnemy* boss = AddEnemy(Vec3{0.0f, 3.0f, 0.0f}, 600);
    boss->SetInvulnerable(true);
    EXPECT_EQ(m_pCraft->FireLaserVolley(), 0);
    EXPECT_EQ(CountSound(153), 0);
    EXPECT_EQ(m_pCraft->m_vVel, Vec3{});
}

TEST_F(LaserTest, LaunchDirectionTakesItsDrawsInOrderZFirst)
{
    AddEnemy(Vec3{0.0f, 3.0f, 0.0f}, 48);
    CRandom expected;
    expected.Seed(1024);
    const float r1 = expected.Real();
    const float r2 = expected.Real();
    const float r3 = expected.Real();
    m_pCraft->FireLaserVolley();
    const CLockonLaser* first = Lasers().at(0);
    EXPECT_FLOAT_EQ(first->m_vVel.x, 4.0f * r3 - 2.0f);
    EXPECT_FLOAT_EQ(first->m_vVel.y, -1.0f - 2.0f * r2);
    EXPECT_FLOAT_EQ(first->m_vVel.z, 2.0f * r1 - 1.0f);
    for (const Vec3& p : first->m_avTrail) EXPECT_EQ(p, m_pCraft->m_vPos);
}

TEST_F(LaserTest, SteeringCapsTheSpeedInStages)
{
    CEnemy* far = AddEnemy(Vec3{0.0f, 9.5f, 49.5f}, 500);   // out of reach by age 120
    CLockonLaser* l = CLockonLaser::Launch(Vec3{}, Vec3{3.0f, 0.0f, 0.0f}, far);
    l->Update();   // age 0: pulled at 0.01 and cut to 0.2
    EXPECT_NEAR(Length(l->m_vVel), 0.2f, kEps);
    while (l->m_nAge < 119 && l->m_nState == CObject::STATE_ALIVE) l->Update();
    EXPECT_LE(Length(l->m_vVel), 0.45f + kEps);
    // From age 120 on the path is straight, at most 0.5.
    l->SetVel(Vec3{0.0f, 0.0f, 0.6f});
    l->Update();
    EXPECT_EQ(l->m_nAge, 120);
    EXPECT_NEAR(l->m_vVel.z, 0.5f, kEps);
    EXPECT_NEAR(l->m_vVel.x, 0.0f, kEps);
}

TEST_F(LaserTest, AStrikeDealsSixWithItsEffectsButAShieldTakesNothing)
{
    for (bool shielded : {false, true}) {
        SCOPED_TRACE(shielded ? "shielded" : "open");
        m_pCraft->m_bClean = true;
        m_pDevice->SetQuake(0.0f);
        PlayedSounds().clear();
        g_pLightParticles->Clear();
        CEnemy* e = AddEnemy(Vec3{0.0f, 0.3f, 0.0f}, 600);
        e->SetInvulnerable(shielded);
        CLockonLaser* l = CLockonLaser::Launch(Vec3{}, Vec3{}, e);
        l->Update();
        EXPECT_EQ(l->m_nState, CObject::STATE_VANISH);
        EXPECT_EQ(l->m_nVanishTotal, 240);
        EXPECT_EQ(l->Target(), nullptr);
        EXPECT_EQ(l->m_vVel, Vec3{});
        EXPECT_EQ(e->m_nHp, shielded ? 600 : 594);
        EXPECT_EQ(CountSound(147), shielded ? 0 : 1);
        EXPECT_EQ(m_pDevice->GetQuakeAmplitude(), shielded ? 0.0f : 32.0f);
        EXPECT_EQ(m_pCraft->m_bClean, shielded);
        // Six particles along the trail always; four more at an open strike.
        EXPECT_EQ(g_pLightParticles->Count(), shielded ? 6 : 10);
        EXPECT_EQ(g_ForegroundList.Count(), shielded ? 0 : 1);   // the flare
        EmptyWorldLists();
    }
}

TEST_F(LaserTest, ALaserCloseToItsTargetLandsOnItNextUpdate)
{
    CEnemy* e = AddEnemy(Vec3{0.0f, 2.0f, 0.0f}, 600, 0.01f);
    CLockonLaser* l = CLockonLaser::Launch(Vec3{0.0f, 1.6f, 0.0f}, Vec3{}, e);
    l->Update();   // 0.4 away: the landing track starts
    EXPECT_EQ(e->m_nHp, 600);
    l->Update();
    EXPECT_EQ(l->m_vPos, e->m_vPos);
    EXPECT_EQ(e->m_nHp, 594);
}

// The target destroyed by something else and deleted by the enemy pass while
// the laser flies: the laser must let go of it, never read it again, and fly
// on straight until it leaves the field.
TEST_F(LaserTest, ATargetDeletedInFlightIsDroppedWithoutBeingRead)
{
    CEnemy* e = AddEnemy(Vec3{0.0f, 6.0f, 0.0f}, 48);
    CLockonLaser* l = CLockonLaser::Launch(Vec3{}, Vec3{0.0f, 0.1f, 0.0f}, e);
    l->Update();
    ASSERT_EQ(l->Target(), e);
    e->Damage(48);           // killed by a shot...
    StepList(g_EnemyList);   // ...and deleted by the enemy pass
    ASSERT_EQ(g_EnemyList.Count(), 0);
    const Vec3 vel = l->m_vVel;
    l->Update();
    EXPECT_EQ(l->Target(), nullptr);
    EXPECT_EQ(l->m_vVel, vel);
    // A new enemy in the list is not taken for the old one.
    CEnemy* fresh = AddEnemy(Vec3{0.0f, 6.0f, 0.0f}, 48);
    l->Update();
    EXPECT_EQ(l->Target(), nullptr);
    while (l->m_nState == CObject::STATE_ALIVE) l->Update();
    EXPECT_EQ(l->m_nState, CObject::STATE_DEAD);
    EXPECT_GT(l->m_vPos.y, 10.0f);
    EXPECT_EQ(fresh->m_nHp, 48);
}

TEST_F(LaserTest, TwoLasersOnOneEnemyBothStrikeUnlessTheFirstKillsIt)
{
    CEnemy* tough = AddEnemy(Vec3{0.0f, 0.2f, 0.0f}, 600);
    CLockonLaser::Launch(Vec3{}, Vec3{}, tough);
    CLockonLaser::Launch(Vec3{}, Vec3{}, tough);
    StepList(g_EffectList);
    EXPECT_EQ(tough->m_nHp, 588);
    EmptyWorldLists();

    CEnemy* weak = AddEnemy(Vec3{0.0f, 0.2f, 0.0f}, 6);
    CLockonLaser* first = CLockonLaser::Launch(Vec3{}, Vec3{}, weak);
    CLockonLaser* second = CLockonLaser::Launch(Vec3{}, Vec3{}, weak);
    StepList(g_EffectList);
    EXPECT_EQ(first->m_nState, CObject::STATE_VANISH);
    EXPECT_EQ(second->m_nState, CObject::STATE_ALIVE);
    EXPECT_EQ(second->Target(), nullptr);
    EXPECT_EQ(m_pCraft->m_nScore, 0);   // a plain enemy is worth its score value: 0 here
}
