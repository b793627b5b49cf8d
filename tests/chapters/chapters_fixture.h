// The world of a chapter for in-process tests: a private program folder with
// empty records, no graphics device (nothing is drawn; the scene frame of a
// chapter's loading only steps the script), an offline sound system (music
// objects exist, silent), the craft's world (the fader, both particle systems,
// the slow-motion controller, the craft after Reset, every sound logged by
// number), the world anchor, the intro model and stand-ins for the portraits.
// Everything is put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "core/ObjectLists.h"
#include "gfx/BG2D.h"
#include "gfx/SimpleSprite.h"
#include "gfx/Texture.h"
#include "persist/GlobalResult.h"
#include "platform/Resources.h"
#include "sound/SoundSystem.h"
#include "stage/Camera.h"
#include "stage/CustomStageControler.h"
#include "stage/World.h"
#include "tests/support/CraftWorld.h"
#include "tests/support/TempHome.h"

// The screen sprites of the overlay list at (x, y).
inline std::vector<CSimpleSprite*> SpritesAt(float x, float y)
{
    std::vector<CSimpleSprite*> found;
    for (int i = 0; i < g_OverlayList.Count(); ++i) {
        auto* s = dynamic_cast<CSimpleSprite*>(g_OverlayList.At(i));
        if (s && s->m_vPos.x == x && s->m_vPos.y == y) found.push_back(s);
    }
    return found;
}

class ChapterWorld : public ::testing::Test {
protected:
    ChapterWorld() : m_Home("mz-chapters"), m_strHome(m_Home.Dir()) {}

    void SetUp() override
    {
        CreateDirectories(m_strHome + "replay");
        SetResourceMessageSink([](const char*) {});
        // Records of a fresh folder: nothing reached, no best, no barrage met.
        g_GlobalResult.Load();
        g_BarrageTable.Load();
        ResetGameFlags();
        g_pSoundDevice = new CSoundSystem(CSoundSystem::Offline{});
        g_pWorldAnchor = new CObject();
        g_pWorldAnchor->m_bLocked = true;
        g_pStageModel = new CObject();
        g_pStageModel->Kill();
        // Empty pictures stand for the portraits, so talk lines show them.
        for (CTexture*& p : g_pPortraits) p = new CTexture();
        g_Camera.Reset();
        m_pCraft = m_World.Start(nullptr);
    }

    void TearDown() override
    {
        ClearWorld();
        DeleteAll(g_EnemyShotList);   // the persistent bullets too
        CBG2D::ClearAll();
        g_StageControler.Shutdown();
        DeleteAll(g_MusicList);
        g_StageControler.m_nStage = CStageControler::STAGE_MAIN_MENU;
        g_StageControler.SetPhase(0);
        m_World.Stop();
        for (CTexture*& p : g_pPortraits) {
            delete p;
            p = nullptr;
        }
        delete g_pStageModel;
        g_pStageModel = nullptr;
        delete g_pWorldAnchor;
        g_pWorldAnchor = nullptr;
        delete g_pSoundDevice;
        g_pSoundDevice = nullptr;
        ResetGameFlags();
        SetResourceMessageSink(nullptr);
    }

    static void ResetGameFlags()
    {
        g_bReplayPlaying = false;
        g_bInvulnerable = false;
        g_bUnrecorded = false;
        g_nChapterSelection = -1;
        g_nBarrageIndex = -1;
    }

    // A chapter started as the game does, then put on the phase.
    static void StartAt(int stage, int phase)
    {
        g_StageControler.SetStage(stage);
        if (phase != CStageControler::PHASE_INTRO) g_StageControler.SetPhase(phase);
    }

    // n updates of the stage script alone (the frame counter and its events).
    static void Script(int n)
    {
        for (int i = 0; i < n; ++i) g_StageControler.Update();
    }

    CTempHome m_Home;
    const std::string m_strHome;
    CCraftWorld m_World;
    CMyKorvo* m_pCraft = nullptr;
};
