// Barrage practice in the game's own process: every barrage starts as a real
// game's fight leaves its boss when that barrage begins; an attempt ends in its
// result (captured, no bonus, out of time, the last craft lost) and keeps its
// history and nothing else; the result panel, the list and Escape lead from
// one to the other.
#include "game_fixture.h"

#include <cstdio>
#include <map>
#include <string>

#include "app/Practice.h"
#include "app/Play.h"
#include "enemy/BarrageFire.h"
#include "enemy/Boss0.h"
#include "gfx/BG2D.h"
#include "input/InputScript.h"
#include "persist/PracticeHistory.h"
#include "persist/Replay.h"
#include "player/MyKorvo.h"

namespace {

using SC = CStageControler;

CBoss* TheBoss()
{
    for (int i = 0; i < g_EnemyList.Count(); ++i)
        if (auto* boss = dynamic_cast<CBoss*>(g_EnemyList.At(i))) return boss;
    return nullptr;
}

std::string Text(const Vec3& v)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%.9g, %.9g, %.9g)", v.x, v.y, v.z);
    return text;
}

std::string Text(const MotionTrack& t)
{
    if (!t.active) return "still";
    return Text(t.start) + " to " + Text(t.end) + " tangents " + Text(t.startTangent) + " " + Text(t.endTangent) +
           ", " + std::to_string(t.done) + " of " + std::to_string(t.frames);
}

// What a barrage's beginning is made of, by name: the boss's phase, timer, age,
// hit points, flags and score value, its emitters, the satellites' placement
// and moves, the barrage running and its backdrop, the craft's clean flag.
// Not its position, which the wander moves before it choose, nor the
// satellites' own spin, which grows with the time the fight took.
std::map<std::string, std::string> BarrageBeginning(const CBoss& boss)
{
    std::map<std::string, std::string> s;
    s["phase"] = std::to_string(boss.m_nPhase);
    s["timer"] = std::to_string(boss.m_nTimer);
    s["age"] = std::to_string(boss.m_nAge);
    s["hit points"] = std::to_string(boss.m_nHp) + " of " + std::to_string(boss.m_nMaxHp);
    s["state"] = std::to_string(boss.m_nState);
    s["untouchable"] = std::to_string(boss.m_bInvulnerable) + std::to_string(boss.m_bEntering);
    s["score value"] = std::to_string(boss.m_nScore);
    s["swipe"] = std::to_string(boss.m_Blade.m_nState);
    // The fourth emitter, which no table uses, only counts the frames fought
    // before: its pattern alone.
    for (int i = 0; i < CBoss::kBossFires; ++i)
        s["emitter " + std::to_string(i)] =
            "pattern " + std::to_string(boss.m_pBossFire[i]->m_nPattern) +
            (i < 3 ? ", age " + std::to_string(boss.m_pBossFire[i]->m_nAge) : std::string());
    if (const auto* boss0 = dynamic_cast<const CBoss0*>(&boss)) {
        for (int i = 0; i < CBoss0::kSatellites; ++i) {
            const CObject& o = boss0->m_Satellites[i];
            const std::string n = "satellite " + std::to_string(i) + " ";
            s[n + "at"] = Text(o.m_vPos);
            s[n + "moving"] = Text(o.m_PosTrack);
            s[n + "turn"] = Text(o.m_vAux);
            s[n + "turning"] = Text(o.m_AuxTrack);
            s[n + "turn rate"] = Text(o.m_vAuxVel) + ", " + Text(o.m_AuxVelTrack);
            s[n + "spin rate"] = Text(o.m_vRotVel);
        }
    }
    s["barrage"] = std::to_string(g_nBarrageIndex);
    s["backdrop"] = g_BG2D[0].m_pTexture ? "shown" : "none";
    s["craft clean"] = std::to_string(g_pPlayer->m_bClean);
    return s;
}

class Practice : public CInProcessGame {
protected:
    Practice() { m_bNullRenderer = true; }

    void SetUp() override
    {
        CInProcessGame::SetUp();
        g_PracticeHistory.Load();
    }

    void TearDown() override
    {
        SetSceneInputScript(nullptr);
        g_bInvulnerable = false;
        CInProcessGame::TearDown();
        g_nPracticeBarrage = -1;
    }

    // Records as a player's games left them, read as at the program's start.
    void UseRecords(const std::string& keys)
    {
        m_Home.WriteFile("critical.ini", "scorename,tester\n" + keys);
        LoadRecords(g_GlobalResult, g_BarrageTable);
    }

    // Channel 0 from the script for this many frames, counted from 0 again.
    void Play(const std::string& script, int frames)
    {
        InitScene();
        std::string error;
        ASSERT_TRUE(m_Script.LoadText(script, error)) << error;
        SetSceneInputScript(&m_Script);
        for (int i = 0; i < frames; ++i) Step();
        SetSceneInputScript(nullptr);
    }

    // Steps until the attempt's barrage begins; how many it took.
    static int UntilTheBarrageBegins(int barrage)
    {
        int steps = 0;
        while (g_nBarrageIndex != barrage && steps < 1000) {
            Step();
            ++steps;
        }
        return steps;
    }

    // Steps until the result panel shows; how many it took.
    static int UntilThePanel()
    {
        int steps = 0;
        while (!IsPracticePanelShown() && steps < 1000) {
            Step();
            ++steps;
        }
        return steps;
    }

    std::string SceneLog() const { return m_Home.ReadFile("log/scene.txt"); }

    CInputScript m_Script;
};

}  // namespace

// The fights of both bosses played through with a craft nothing can hit, each
// barrage's beginning taken: once with every barrage running out of time, once
// with every barrage broken a few seconds in (the way a player ends them, its
// bonus paid); both games must agree. Then each barrage practised, its
// beginning taken the same way.
TEST_F(Practice, EveryBarrageBeginsAsInARealGame)
{
    g_bInvulnerable = true;
    using SBeginnings = std::map<int, std::map<std::string, std::string>>;
    // A real game of both bosses; a barrage that runs is broken once it has
    // run breakAfter frames (0: never, it runs out of time).
    const auto realGame = [](int breakAfter) {
        SBeginnings real;
        for (int chapter : {SC::STAGE_CHAPTER1, SC::STAGE_CHAPTER2}) {
            StartTestGame(chapter, SC::PHASE_BOSS);
            int running = 0;
            for (int step = 0; step < 20000 && g_StageControler.m_nPhase == SC::PHASE_BOSS; ++step) {
                Step();
                const int barrage = g_nBarrageIndex;
                if (barrage < 0) {
                    running = 0;
                    continue;
                }
                if (!real.count(barrage)) real[barrage] = BarrageBeginning(*TheBoss());
                if (++running == breakAfter) TheBoss()->Damage(TheBoss()->m_nHp);
            }
        }
        return real;
    };
    const SBeginnings real = realGame(0);
    EXPECT_EQ(realGame(300), real) << "a barrage begins alike however the one before ended";
    const std::vector<int32_t> barrages = PracticeBarrages();
    ASSERT_EQ(barrages, (std::vector<int32_t>{10, 11, 12, 13, 20, 21, 22, 23, 24}));
    ASSERT_EQ(real.size(), barrages.size());

    for (int barrage : barrages) {
        SCOPED_TRACE("barrage " + std::to_string(barrage));
        ASSERT_TRUE(StartPracticeAttempt(barrage));
        EXPECT_EQ(g_StageControler.m_nStage, PracticeChapter(barrage));
        EXPECT_EQ(g_StageControler.m_nPhase, SC::PHASE_BOSS);
        EXPECT_EQ(g_pPlayer->m_nStock, kPracticeStock);
        EXPECT_EQ(g_pPlayer->m_nGauge, g_pPlayer->m_nGaugeMax);
        EXPECT_EQ(UntilTheBarrageBegins(barrage), kPracticeLeadIn);
        ASSERT_NE(TheBoss(), nullptr);
        EXPECT_EQ(g_EnemyList.Count(), 1) << "the boss alone";
        EXPECT_EQ(BarrageBeginning(*TheBoss()), real.at(barrage));
    }
}

// The generator is seeded with 1024 plus the record number as the attempt
// starts: an attempt played alike plays out alike, whatever came before.
TEST_F(Practice, AnAttemptPlayedAlikePlaysOutAlike)
{
    auto afterSteps = [](int barrage) {
        StartPracticeAttempt(barrage);
        for (int i = 0; i < kPracticeLeadIn + 300; ++i) Step();
        return Text(TheBoss()->m_vPos) + " " + std::to_string(g_EnemyShotList.Count()) + " bullets";
    };
    const std::string first = afterSteps(22);
    afterSteps(12);
    EXPECT_EQ(afterSteps(22), first);
}

// However the barrage ends, the attempt's line goes to the scene log, its
// history is kept (the try at once, the capture with its bonus), and neither
// the records of real games nor a replay change; the panel follows a moment
// later and takes the craft out of the player's hands.
TEST_F(Practice, AnAttemptEndsInItsResultAndKeepsOnlyItsHistory)
{
    enum class EEnd { Captured, NoBonus, TimedOut, CraftLost };
    const struct {
        EEnd end;
        const char* line;
    } kEnds[] = {
        {EEnd::Captured, "practice barrage 21: captured, bonus 480000\n"},
        {EEnd::NoBonus, "practice barrage 21: failed, bonus 0\n"},
        {EEnd::TimedOut, "practice barrage 21: failed, bonus 0\n"},
        {EEnd::CraftLost, "practice barrage 21: failed, bonus 0\n"},
    };
    for (const auto& e : kEnds) {
        SCOPED_TRACE(e.line + std::to_string(static_cast<int>(e.end)));
        UseRecords("barrage21.TotalCount,4\nbarrage21.ClearCount,1\nbarrage21.ScoreMax,300000\nplaycount,7\n");
        std::remove(m_Home.PathOf(kPracticeFile).c_str());
        g_PracticeHistory.Load();
        InitScene();

        ASSERT_TRUE(StartPracticeAttempt(21));
        EXPECT_EQ(m_Home.ReadFile(kPracticeFile), "barrage21.BestBonus,0\nbarrage21.Captures,0\nbarrage21.Tries,1\n");
        ASSERT_EQ(UntilTheBarrageBegins(21), kPracticeLeadIn);
        CBoss& boss = *TheBoss();
        switch (e.end) {
        case EEnd::Captured: boss.Damage(boss.m_nHp); break;
        case EEnd::NoBonus:
            g_pPlayer->m_bClean = false;
            boss.Damage(boss.m_nHp);
            break;
        case EEnd::TimedOut:
            boss.m_nTimer = 1;
            Step();
            break;
        case EEnd::CraftLost:
            g_pPlayer->m_nStock = 0;
            g_pPlayer->Miss();
            Step();
            break;
        }
        const std::string log = SceneLog();
        EXPECT_NE(log.find(e.line), std::string::npos) << log;
        const bool captured = e.end == EEnd::Captured;
        const SPracticeRecord& h = g_PracticeHistory.Get(21);
        EXPECT_EQ(h.m_nTries, 1);
        EXPECT_EQ(h.m_nCaptures, captured ? 1 : 0);
        EXPECT_EQ(h.m_nBestBonus, captured ? 480000 : 0);
        EXPECT_EQ(m_Home.ReadFile(kPracticeFile), captured ? "barrage21.BestBonus,480000\nbarrage21.Captures,1\n"
                                                             "barrage21.Tries,1\n"
                                                           : "barrage21.BestBonus,0\nbarrage21.Captures,0\n"
                                                             "barrage21.Tries,1\n");
        // The HUD shows the practice history beside the barrage's name.
        const SBarrageHistory hud = HudBarrageHistory(21);
        EXPECT_EQ(hud.nCaptures, h.m_nCaptures);
        EXPECT_EQ(hud.nTries, h.m_nTries);
        EXPECT_EQ(hud.nBest, h.m_nBestBonus);

        const int toPanel = UntilThePanel();
        EXPECT_GE(toPanel, 89);
        EXPECT_LE(toPanel, 90);
        EXPECT_TRUE(g_pPlayer->m_bScripted);
        // The last craft's fade ends no game: the panel stays over the attempt.
        for (int i = 0; i < 600; ++i) Step();
        EXPECT_TRUE(IsPracticePanelShown());
        EXPECT_EQ(g_StageControler.m_nStage, SC::STAGE_CHAPTER2);
        EXPECT_EQ(SceneLog().find("game over"), std::string::npos);

        const CBarrageRecord& r = g_BarrageTable.Get(21);
        EXPECT_EQ(r.m_nTotalCount, 4);
        EXPECT_EQ(r.m_nClearCount, 1);
        EXPECT_EQ(r.m_nScoreMax, 300000);
        EXPECT_EQ(g_GlobalResult.GetPlayCount(), 7);
        EXPECT_EQ(g_Replay.GetRecordCount(), 0u);
        EXPECT_FALSE(m_Home.Exists(kReplayTempFile));
        SceneEscapeToMenu(SC::STAGE_PRACTICE);
    }
}

// From the records list a push to the right opens the list; a barrage never
// met cannot be chosen; the panel's retry starts the barrage again and its
// back (or X) returns to the list; Escape leaves an attempt for the list and
// the list for the records, where it ends nothing.
TEST_F(Practice, TheListThePanelAndEscapeLeadFromOneToTheOther)
{
    UseRecords("barrage12.TotalCount,2\n");
    SetSceneStage(SC::STAGE_RECORDS);
    Play("2 x=1\n", 4);
    ASSERT_EQ(GetSceneStage(), SC::STAGE_PRACTICE);
    // Barrage 12 is the only one met: the cursor finds it and stays on it.
    Play("1 y=-1\n3 y=1\n5 y=-1\n", 7);
    EXPECT_EQ(g_PracticeCursor.m_nIndex, 2);
    Play("1 attack0\n", 2);
    ASSERT_EQ(g_nPracticeBarrage, 12);
    EXPECT_EQ(g_PracticeHistory.Get(12).m_nTries, 1);

    // Retry (the first item) from the panel.
    UntilTheBarrageBegins(12);
    TheBoss()->Damage(TheBoss()->m_nHp);
    UntilThePanel();
    Play("1 attack0\n", 2);
    EXPECT_EQ(g_nPracticeBarrage, 12);
    EXPECT_FALSE(IsPracticePanelShown());
    EXPECT_FALSE(g_pPlayer->m_bScripted);
    EXPECT_EQ(g_PracticeHistory.Get(12).m_nTries, 2);
    EXPECT_EQ(g_PracticeHistory.Get(12).m_nCaptures, 1);

    // Back: the second item, and X.
    UntilTheBarrageBegins(12);
    TheBoss()->m_nTimer = 1;
    UntilThePanel();
    Play("1 y=-1\n3 attack0\n", 4);
    EXPECT_EQ(GetSceneStage(), SC::STAGE_PRACTICE);
    EXPECT_EQ(g_nPracticeBarrage, -1);
    Play("1 attack0\n", 2);
    UntilTheBarrageBegins(12);
    TheBoss()->m_nTimer = 1;
    UntilThePanel();
    Play("1 reload\n", 2);
    EXPECT_EQ(GetSceneStage(), SC::STAGE_PRACTICE);

    // Escape: the attempt for the list, the list for the records.
    Play("1 attack0\n5 escape\n", 6);
    EXPECT_EQ(GetSceneStage(), SC::STAGE_PRACTICE);
    Play("1 escape\n", 2);
    EXPECT_EQ(GetSceneStage(), SC::STAGE_RECORDS);
    EXPECT_EQ(g_PracticeHistory.Get(12).m_nTries, 4);

    // Nothing met: nothing to choose.
    UseRecords("");
    Play("1 x=1\n3 attack0\n", 5);
    EXPECT_EQ(GetSceneStage(), SC::STAGE_PRACTICE);
    EXPECT_EQ(g_nPracticeBarrage, -1);
}

namespace {

class PracticeHud : public Practice {
protected:
    PracticeHud() { m_bNullRenderer = false; }

    // Pixels of the box bright enough for the HUD's digits and words.
    static int Bright(const std::vector<uint32_t>& px, int x0, int y0, int x1, int y1)
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += Brightness(At(px, x, y)) > 450 ? 1 : 0;
        return n;
    }
};

}  // namespace

// Beside the running barrage's name the HUD shows its history: in a game its
// records (captured / met in the name's slot, the best bonus under it), in a
// practice attempt the practice history and a word that says so.
TEST_F(PracticeHud, TheBarragesHistoryShowsBesideItsName)
{
    const struct {
        const char* what;
        bool bPractice;
        std::string records;
        bool bBestShown;   // a figure of more than one digit
    } kCases[] = {
        {"a game with a best bonus", false, "barrage10.TotalCount,5\nbarrage10.ClearCount,2\nbarrage10.ScoreMax,412000\n",
         true},
        {"a game without one", false, "barrage10.TotalCount,5\n", false},
        {"practice", true, "barrage10.TotalCount,5\nbarrage10.ScoreMax,412000\n", true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        UseRecords(c.records);
        m_Home.WriteFile(kPracticeFile, "barrage10.BestBonus,455200\nbarrage10.Captures,3\nbarrage10.Tries,7\n");
        g_PracticeHistory.Load();
        if (c.bPractice) {
            ASSERT_TRUE(StartPracticeAttempt(10));
            UntilTheBarrageBegins(10);
        } else {
            StartTestGame(CStageControler::STAGE_CHAPTER1, CStageControler::PHASE_BOSS);
            Step();   // the boss comes
            TheBoss()->m_nTimer = 1;
            UntilTheBarrageBegins(10);
        }
        for (int i = 0; i < 240; ++i) Step();   // past the barrage's flash and cut-in, and the fade-in
        const std::vector<uint32_t> px = Picture();
        // The best bonus ends at x 626 on the line under the name's strip.
        EXPECT_EQ(Bright(px, 590, 80, 622, 90) > 8, c.bBestShown) << Bright(px, 590, 80, 622, 90);
        EXPECT_GT(Bright(px, 621, 80, 632, 90), 4) << "the last digit";
        EXPECT_GT(Bright(px, 516, 78, 546, 92), 8) << "BEST";
        EXPECT_EQ(Bright(px, 516, 98, 580, 112) > 8, c.bPractice) << "PRACTICE";
        SceneEscapeToMenu(CStageControler::STAGE_MAIN_MENU);
    }
}
