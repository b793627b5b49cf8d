// The heaviest boss fight for the benchmarks: chapter 2's boss on barrage 23
// (patterns 19 and 23: burst rings that split twice, and wide sweeps) with the
// escorts of the chapter's waves, once a whole cycle of its bursts has run.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "app/Scene.h"
#include "core/ObjectLists.h"
#include "enemy/Boss1.h"
#include "headless_game.h"
#include "input/InputScript.h"
#include "stage/CustomStageControler.h"

inline constexpr int kBurstCycle = 360;   // pattern 19 bursts every 360 frames

// Chapter 2's boss phase 1200 frames in (its escorts flying), the boss put on
// barrage 23, whose emitters fire from the phase's 61st frame, and one burst
// cycle played; step runs one whole step. False when no boss came.
template <class Step>
bool EnterBarrage23(Step step)
{
    StartTestGame(CStageControler::STAGE_CHAPTER2, CStageControler::PHASE_BOSS);
    for (int i = 0; i < 1200; ++i) step();
    CBoss* boss = nullptr;
    for (int i = 0; i < g_EnemyList.Count() && !boss; ++i) boss = dynamic_cast<CBoss1*>(g_EnemyList.At(i));
    if (!boss) return false;
    boss->SetPhase(7);
    for (int i = 0; i < CBoss::kSilentFrames + kBurstCycle; ++i) step();
    return true;
}

// The game in this process with its craft firing all the time and never hit,
// so that it stays in the fight.
class CFiringGame {
public:
    // False with the reason when the game cannot start.
    bool Start(std::string& error, bool nullRenderer = false)
    {
        if (!m_Game.Start(error, nullRenderer)) return false;
        m_Firing.LoadText("0-1000000 attack0\n", error);
        SetSceneInputScript(&m_Firing);
        g_bInvulnerable = true;
        return true;
    }
    ~CFiringGame()
    {
        SetSceneInputScript(nullptr);
        g_bInvulnerable = false;
    }

private:
    CHeadlessGame m_Game;
    CInputScript m_Firing;
};
