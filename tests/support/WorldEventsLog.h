// A stand-in for the shell in the world's tests: registered for as long as it
// lives, it logs what the world tells the shell and does nothing about it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/StageControler.h"
#include "stage/CustomStageControler.h"
#include "stage/WorldEvents.h"

class CWorldEventsLog : public CWorldEvents {
public:
    CWorldEventsLog() { g_pWorldEvents = this; }
    ~CWorldEventsLog() override { g_pWorldEvents = nullptr; }
    CWorldEventsLog(const CWorldEventsLog&) = delete;
    CWorldEventsLog& operator=(const CWorldEventsLog&) = delete;

    void GameEnded(int32_t score) override { m_GamesEnded.push_back(score); }
    void StageChanged(int stage) override { m_Stages.push_back(stage); }
    void PhaseChanged(int stage, int phase) override { m_Phases.emplace_back(stage, phase); }
    // The stage the controller is on while the frame is wanted.
    void LoadingFrameWanted() override { m_LoadingFrameStages.push_back(g_StageControler.m_nStage); }
    void BarrageEnded(int barrage, bool captured, int32_t bonus) override
    {
        m_BarragesEnded.push_back({barrage, captured, bonus});
    }

    struct SBarrageEnd {
        int nBarrage;
        bool bCaptured;
        int32_t nBonus;
    };

    std::vector<int32_t> m_GamesEnded;   // the scores, in order
    std::vector<int> m_Stages;
    std::vector<std::pair<int, int>> m_Phases;
    std::vector<int> m_LoadingFrameStages;
    std::vector<SBarrageEnd> m_BarragesEnded;
};
