// The autopilot: it gets through a wall of bullets by its gap, bombs only
// when every move is hit and the control step lets it, swings the blade at a
// close enemy, fires without charging, steers the menus into a full run and
// out of the save list, and never draws from the game's generator.
#include "tests/player/player_fixture.h"

#include "app/Autopilot.h"
#include "app/Menus.h"
#include "enemy/Beam.h"
#include "stage/CustomStageControler.h"

#include <cmath>

namespace {

class AutopilotTest : public PlayerTest {
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        m_nSavedStage = g_StageControler.m_nStage;
        g_StageControler.m_nStage = CStageControler::STAGE_CHAPTER1;
        m_pCraft->SetPos(Vec3{0.0f, -2.0f, 0.0f});
    }
    void TearDown() override
    {
        g_StageControler.m_nStage = m_nSavedStage;
        PlayerTest::TearDown();
    }

    // One frame of play driven by the pilot; its record.
    CInputRecord PilotFrame()
    {
        const CInputRecord r = m_Pilot.Decide(m_Before);
        Frame(r);
        return r;
    }

    // A ring of medium bullets hugging the craft: every move is hit.
    void Surround()
    {
        for (int k = 0; k < 64; ++k) {
            const float a = static_cast<float>(k) * (2.0f * kPi / 64.0f);
            AddBullet(m_pCraft->m_vPos + Vec3{0.1f * std::cos(a), 0.1f * std::sin(a), 0.0f}, 0.12f);
        }
    }

    CAutopilot m_Pilot;
    int m_nSavedStage = 0;
};

}  // namespace

TEST_F(AutopilotTest, FindsTheGapInAFallingWallOfBullets)
{
    // A wall across the field 2 above the craft, falling at 0.06 a step, open
    // only around x = 0.9.
    CObject* wall = nullptr;
    for (float x = -3.6f; x <= 3.6f; x += 0.1f) {
        if (std::fabs(x - 0.9f) < 0.3f) continue;
        wall = AddBullet(Vec3{x, 0.0f, 0.0f});
        wall->SetVel(Vec3{0.0f, -0.06f, 0.0f});
    }
    float crossedAt = -10.0f;
    for (int i = 0; i < 90; ++i) {
        PilotFrame();
        if (crossedAt < -5.0f && wall->m_vPos.y < m_pCraft->m_vPos.y) crossedAt = m_pCraft->m_vPos.x;
    }
    EXPECT_EQ(m_pCraft->m_nStock, 2) << "never hit";
    EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_ALIVE);
    EXPECT_NEAR(crossedAt, 0.9f, 0.3f) << "went through the gap";
}

TEST_F(AutopilotTest, BombsOnlyWhenEveryMoveIsHitAndTheControlStepAllows)
{
    const struct {
        const char* what;
        int gauge;
        bool attack0Before;
        bool bombs;
        bool beam;   // instead of the ring: a beam flashing down across the craft
    } kCases[] = {
        {"gauge enough, attack0 released", 5000, false, true, false},
        {"attack0 held the step before: the step would not bomb", 5000, true, false, false},
        {"exactly a bomb's cost is not enough", 3600, false, false, false},
        {"a beam in its first flash (fading already)", 5000, false, true, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        m_pCraft->m_nGauge = c.gauge;
        if (c.beam) {
            CBeam* beam = CBeam::Launch(Vec3{0.1f, 2.0f, 0.0f}, Vec3{0.0f, -1.0f, 0.0f}, CBeam::COLOR_RED);
            beam->Update();
            ASSERT_EQ(beam->m_nState, CObject::STATE_VANISH);
        } else {
            Surround();
        }
        CInputRecord before;
        before.m_bAttack0 = c.attack0Before ? 1 : 0;
        const CInputRecord r = m_Pilot.Decide(before);
        EXPECT_EQ(m_Pilot.LastFirstHit(), 1);
        EXPECT_EQ(r.m_bReload, c.bombs ? 1 : 0);
        if (!c.bombs) continue;
        EXPECT_EQ(r.m_fX, 0.0f);
        EXPECT_EQ(r.m_fY, 0.0f);
        EXPECT_EQ(r.m_bAttack0, 0);
        m_Before = before;
        Control(r);
        EXPECT_EQ(m_pCraft->m_nGauge, c.gauge - CMyKorvo::kBombCost);
        EXPECT_EQ(m_pCraft->m_nState, CObject::STATE_APPEAR) << "nothing can hit it now";
    }
}

TEST_F(AutopilotTest, WithNothingNearItFiresInTapsAndNeverCharges)
{
    AddEnemy(Vec3{0.0f, 3.0f, 0.0f}, 1000);
    int taps = 0;
    bool held = false;
    for (int i = 0; i < 40; ++i) {
        const CInputRecord r = PilotFrame();
        EXPECT_FALSE(held && r.m_bAttack0) << "two steps in a row at " << i;
        held = r.m_bAttack0 != 0;
        taps += held ? 1 : 0;
        EXPECT_FALSE(m_pCraft->IsCharged());
        EXPECT_EQ(r.m_bReload, 0);
    }
    EXPECT_GE(taps, 9);
    EXPECT_GT(g_ForegroundList.Count(), 10) << "volleys on their way";
}

TEST_F(AutopilotTest, SwingsTheBladeAtACloseEnemyForAStrikeWithoutCharging)
{
    CEnemy* e = AddEnemy(Vec3{1.2f, -2.0f, 0.0f}, 50, 0.25f);
    const CInputRecord first = m_Pilot.Decide(m_Before);
    ASSERT_EQ(first.m_bBlade, 1);
    EXPECT_GT(first.m_fX, 0.0f) << "toward the enemy's side";
    Frame(first);
    int held = 1;
    for (int i = 0; i < 12; ++i) {
        const CInputRecord r = PilotFrame();
        held += r.m_bBlade;
        EXPECT_FALSE(m_pCraft->IsCharged());
    }
    EXPECT_LT(e->m_nHp, 50) << "struck";
    EXPECT_GE(held, 2);
}

TEST_F(AutopilotTest, StaysOutOfTheGameGeneratorAndDecidesAlikeOnAlikeState)
{
    for (int i = 0; i < 40; ++i) {
        CObject* b = AddBullet(Vec3{-2.0f + 0.1f * static_cast<float>(i), 1.0f, 0.0f});
        b->SetVel(Vec3{0.0f, -0.05f, 0.0f});
    }
    AddEnemy(Vec3{1.0f, 3.0f, 0.0f}, 100);
    const uint64_t draws = g_GameRand.Draws();
    CAutopilot other;
    for (int i = 0; i < 5; ++i) {
        const CInputRecord a = m_Pilot.Decide(m_Before);
        const CInputRecord b = other.Decide(m_Before);
        EXPECT_EQ(a.m_fX, b.m_fX);
        EXPECT_EQ(a.m_fY, b.m_fY);
        EXPECT_EQ(a.m_bAttack0, b.m_bAttack0);
    }
    EXPECT_EQ(g_GameRand.Draws(), draws);
}

TEST_F(AutopilotTest, MenusLeadIntoAFullRunAndOutOfTheSaveList)
{
    const int savedCursor = g_MainMenuCursor.m_nIndex;
    const auto rec = [](bool attack0, bool reload, float y) {
        CInputRecord r;
        r.m_bAttack0 = attack0 ? 1 : 0;
        r.m_bReload = reload ? 1 : 0;
        r.m_fY = y;
        return r;
    };
    const struct {
        const char* what;
        int stage;
        int cursor;
        CInputRecord before;
        CInputRecord expected;
    } kCases[] = {
        {"title: a press", CStageControler::STAGE_TITLE, 0, rec(false, false, 0), rec(true, false, 0)},
        {"title: a press needs a step without it", CStageControler::STAGE_TITLE, 0, rec(true, false, 0),
         rec(false, false, 0)},
        {"main menu, item 2: one push up", CStageControler::STAGE_MAIN_MENU, 2, rec(false, false, 0),
         rec(false, false, 1.0f)},
        {"main menu: the stick back first", CStageControler::STAGE_MAIN_MENU, 1, rec(false, false, 1.0f),
         rec(false, false, 0)},
        {"main menu, item 0: a full run", CStageControler::STAGE_MAIN_MENU, 0, rec(false, false, 0),
         rec(true, false, 0)},
        {"main menu after the save list: never reload", CStageControler::STAGE_MAIN_MENU, 0, rec(false, true, 0),
         rec(true, false, 0)},
        {"save list: back without keeping", CStageControler::STAGE_SAVE_LIST, 0, rec(false, true, 0),
         rec(false, true, 0)},
        {"records: a press back", CStageControler::STAGE_RECORDS, 0, rec(false, false, 0), rec(false, true, 0)},
        {"loading: nothing", CStageControler::STAGE_CHAPTER_LOADING, 0, rec(true, true, 0), rec(false, false, 0)},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        g_StageControler.m_nStage = c.stage;
        g_MainMenuCursor.m_nIndex = c.cursor;
        const CInputRecord r = m_Pilot.Decide(c.before);
        EXPECT_EQ(r.m_bAttack0, c.expected.m_bAttack0);
        EXPECT_EQ(r.m_bReload, c.expected.m_bReload);
        EXPECT_EQ(r.m_fY, c.expected.m_fY);
        EXPECT_EQ(r.m_fX, 0.0f);
    }
    g_MainMenuCursor.m_nIndex = savedCursor;
}
