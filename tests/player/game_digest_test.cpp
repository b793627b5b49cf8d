// The digest of the game's rule state: any difference in what bears on the
// rules changes it and is named by its part; presentation never changes it.
#include "player_fixture.h"

#include "stage/GameDigest.h"
#include "player/PlayerShot.h"
#include "player/ShockWave.h"
#include "stage/Camera.h"
#include "stage/Flare.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

class DigestTest : public PlayerTest {
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        m_pEnemy = AddEnemy(Vec3{0.5f, 2.0f, 0.0f}, 20);
        for (int i = 0; i < 3; ++i) m_pBullets[i] = AddBullet(Vec3{0.3f * static_cast<float>(i), 1.0f, 0.0f});
    }

    // The part of the digest, as described, that differs first from before.
    std::string FirstDifference(const SReplayDigest& before) const
    {
        std::vector<std::string> parts;
        const SReplayDigest now = TakeGameDigest(&parts);
        EXPECT_NE(now.m_qwDigest, before.m_qwDigest);
        const int i = FirstDifferentPart(before, now);
        if (i < 0 || static_cast<size_t>(i) >= parts.size()) return "none";
        return parts[static_cast<size_t>(i)];
    }

    CEnemy* m_pEnemy = nullptr;
    CObject* m_pBullets[3] = {};
};

}  // namespace

TEST_F(DigestTest, EachRuleBearingChangeIsCaughtAndNamed)
{
    const struct {
        const char* what;
        std::function<void()> change;
        const char* named;   // the start of the part's description
    } kCases[] = {
        {"a bullet one bit to the right",
         [this] { m_pBullets[1]->m_vPos.x = std::nextafter(m_pBullets[1]->m_vPos.x, 1.0f); },
         "enemy bullet 2 of 3"},
        {"a bullet's velocity", [this] { m_pBullets[2]->m_vVel.y = -0.05f; }, "enemy bullet 3 of 3"},
        {"an enemy's hit point", [this] { m_pEnemy->m_nHp -= 1; }, "enemy 1 of 1"},
        {"a bullet more", [] { AddBullet(Vec3{-1.0f, 1.0f, 0.0f}); }, "enemy bullet 4 of 4"},
        {"one draw of the game generator", [] { (void)g_GameRand.Real(); }, "game generator"},
        {"the craft's score", [this] { m_pCraft->m_nScore += 10; }, "craft"},
        {"the craft's gauge", [this] { m_pCraft->m_nGauge -= 1; }, "craft"},
        {"a volley",
         [this] { CPlayerShot::Launch(m_pCraft->m_vPos, g_vZero, Vec3{0.0f, 0.25f, 0.0f}); },
         "craft's shot 1 of 1"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        const SReplayDigest before = TakeGameDigest();
        EXPECT_EQ(TakeGameDigest(), before) << "taking a digest changes nothing";
        c.change();
        const std::string named = FirstDifference(before);
        EXPECT_EQ(named.rfind(c.named, 0), 0u) << named;
    }
}

TEST_F(DigestTest, PresentationLeavesItAsItIs)
{
    const SReplayDigest before = TakeGameDigest();
    CFlare::Spawn(Vec3{1.0f, 1.0f, 0.0f});                         // foreground list
    CShockWave::Spawn(m_pCraft->m_vPos, g_vZero, 20.0f, 15);        // effects list
    g_Camera.m_vPos = Vec3{0.0f, -10.0f, 3.0f};                     // the free camera
    m_pCraft->m_vBarrierSpin = Vec3{0.3f, 0.2f, 0.0f};              // drawn only
    g_pFader->FlashColor(1.0f, 0.0f, 0.0f);
    EXPECT_EQ(TakeGameDigest(), before);
}

TEST(DigestParts, FirstDifferentPartComparesTagsInOrder)
{
    const auto digest = [](std::vector<uint16_t> tags) { return SReplayDigest{0, std::move(tags)}; };
    EXPECT_EQ(FirstDifferentPart(digest({1, 2, 3}), digest({1, 2, 3})), -1);
    EXPECT_EQ(FirstDifferentPart(digest({1, 2, 3}), digest({1, 5, 3})), 1);
    EXPECT_EQ(FirstDifferentPart(digest({1, 2, 3}), digest({1, 2})), 2);
    EXPECT_EQ(FirstDifferentPart(digest({}), digest({4})), 0);
}

TEST_F(PlayerTest, AGameAfterAGameStartsFromTheCraftOfAFirstGame)
{
    m_pCraft->Reset();
    g_GameRand.Seed(1024);
    const SReplayDigest first = TakeGameDigest();

    // A game: moves, a swing cut short, a bomb (and its barrier), a long wait.
    m_pCraft->m_nGauge = 8000;
    Frame(Input(1.0f, 0.0f));
    CInputRecord swing = Input(1.0f, 0.0f);
    swing.m_bBlade = 1;
    Frame(swing);
    Frame(swing);
    Frame(Input());
    CInputRecord bomb;
    bomb.m_bReload = 1;
    Frame(bomb);
    for (int i = 0; i < 40; ++i) Frame(Input(0.0f, 1.0f));
    ASSERT_EQ(m_pCraft->m_nState, CObject::STATE_APPEAR);
    EXPECT_NE(TakeGameDigest(), first);

    // The next game: its stage start empties the world and seeds the
    // generator; the craft's Reset does the rest.
    EmptyWorldLists();
    m_pCraft->Reset();
    g_GameRand.Seed(1024);
    EXPECT_EQ(TakeGameDigest(), first);
}
