// Every kind of draw the game makes is in the lists it prepares while loading
// pictures show, so that no frame of the game waits for a program to be built:
// recorded over the loading picture, the whole title loop, every menu and a
// whole game of both chapters (bosses included) played by script, and a
// practice attempt to its result panel.
#include "game_fixture.h"

#include <set>
#include <string>

#include "app/PreparedDraws.h"
#include "app/Practice.h"
#include "enemy/Boss.h"
#include "input/InputScript.h"

namespace {

class PreparedDraws : public CInProcessGame {
protected:
    // Nothing needs drawing to know what would be drawn.
    PreparedDraws() { m_bNullRenderer = true; }
};

// The kinds of drawn missing from the lists, as lines to paste into them.
std::string Missing(const std::set<std::string>& drawn, std::initializer_list<std::pair<const char* const*, size_t>> lists)
{
    std::set<std::string> listed;
    for (const auto& list : lists) listed.insert(list.first, list.first + list.second);
    std::string missing;
    for (const std::string& kind : drawn)
        if (!listed.count(kind)) missing += "    \"" + kind + "\",\n";
    return missing;
}

// A game played through from the main menu at step `from`: fire all the time
// while moving about, and now and then a bomb, the blade, a dash, a roll and
// slow motion.
std::string PlayThrough(int from, int frames)
{
    std::string text = std::to_string(from + 5) + " attack0\n";  // GAME START
    const char* const moves[] = {"x=-1", "x=1", "y=1", "y=-1", ""};
    int f = from + 30;
    for (int i = 0; f < from + frames; ++i) {
        text += std::to_string(f) + "-" + std::to_string(f + 89) + " attack0 " + moves[i % 5] + "\n";
        f += 90;
        // A press needs an idle step before it.
        auto press = [&](const std::string& what, int length) {
            text += std::to_string(f + 2) + "-" + std::to_string(f + 2 + length) + " " + what + "\n";
            f += 4 + length;
        };
        if (i % 7 == 0) press("reload", 0);
        if (i % 5 == 1) press("blade", 0);
        if (i % 6 == 2) press("dash x=1", 0);
        if (i % 9 == 3) press("leftroll", 0);
        if (i % 11 == 4) press("reload x=1", 60);
    }
    return text;
}

TEST_F(PreparedDraws, EveryKindTheGameDrawsIsPrepared)
{
    CRenderer& r = *g_pDevice->GetRenderer();
    std::set<std::string> menus, play;
    r.RecordDrawKinds(&menus);
    SetSceneStage(CStageControler::STAGE_STARTUP);
    Step();
    // A barrage met, for the practice list to show its title strip.
    m_Home.WriteFile("critical.ini", "scorename,tester\nbarrage10.TotalCount,1\n");
    LoadRecords(g_GlobalResult, g_BarrageTable);
    const int kMenus[] = {CStageControler::STAGE_PRACTICE, CStageControler::STAGE_CHAPTER_MENU,
                          CStageControler::STAGE_RECORDS,
                          CStageControler::STAGE_SAVE_LIST, CStageControler::STAGE_REPLAY_LIST,
                          CStageControler::STAGE_TITLE};
    for (const int stage : kMenus) {
        SetSceneStage(stage);
        for (int i = 0; i < 2200 && GetSceneStage() == stage; ++i) Step();
    }
    ASSERT_EQ(GetSceneStage(), CStageControler::STAGE_MAIN_MENU) << "the title loop ran to its end";

    r.RecordDrawKinds(&play);
    const int kFrames = 45000;
    CInputScript script;
    std::string error;
    ASSERT_TRUE(script.LoadText(PlayThrough(static_cast<int>(GetSceneStep()), kFrames), error)) << error;
    SetSceneInputScript(&script);
    g_bInvulnerable = true;
    bool reachedChapter2 = false, played = false;
    for (int i = 0; i < kFrames; ++i) {
        Step();
        const int stage = GetSceneStage();
        reachedChapter2 = reachedChapter2 || stage == CStageControler::STAGE_CHAPTER2;
        if (stage >= CStageControler::STAGE_CHAPTER1) played = true;
        else if (played && stage != CStageControler::STAGE_CHAPTER_LOADING) break;  // the game is over
    }
    g_bInvulnerable = false;
    // A practice attempt through to its result panel.
    SetSceneInputScript(nullptr);
    ASSERT_TRUE(StartPracticeAttempt(10));
    for (int i = 0; i < kPracticeLeadIn; ++i) Step();
    ASSERT_EQ(g_nBarrageIndex, 10);
    for (int i = 0; i < g_EnemyList.Count(); ++i)
        if (auto* boss = dynamic_cast<CBoss*>(g_EnemyList.At(i))) boss->Damage(boss->m_nHp);
    for (int i = 0; i < 120; ++i) Step();
    EXPECT_TRUE(IsPracticePanelShown());
    r.RecordDrawKinds(nullptr);
    EXPECT_TRUE(reachedChapter2);

    const std::string missingMenus = Missing(menus, {{kMenuDrawKinds, kMenuDrawKindCount}});
    EXPECT_TRUE(missingMenus.empty()) << "kinds of draw missing from kMenuDrawKinds:\n" << missingMenus;
    const std::string missingPlay =
        Missing(play, {{kMenuDrawKinds, kMenuDrawKindCount}, {kPlayDrawKinds, kPlayDrawKindCount}});
    EXPECT_TRUE(missingPlay.empty()) << "kinds of draw missing from kPlayDrawKinds:\n" << missingPlay;
}

}  // namespace
