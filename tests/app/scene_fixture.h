// The scene alone in the program's own process: no window, graphics device or
// sound; channel 0 from nothing, or from a script. Whatever a test leaves of a
// game, a pause or a replay is cleared at its end.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/Game.h"
#include "app/Menus.h"
#include "app/Pause.h"
#include "app/Scene.h"
#include "core/ObjectLists.h"
#include "input/InputControler.h"
#include "input/InputScript.h"
#include "persist/Replay.h"
#include "stage/CustomStageControler.h"

class CSceneOnly : public testing::Test {
protected:
    void SetUp() override
    {
        g_pInput = new CInputControler(static_cast<CInputDriver*>(nullptr), false, false);
        InitScene();
    }
    void TearDown() override
    {
        EndScenePause();
        SetSceneInputScript(nullptr);
        ClearWorld();
        g_StageControler.Shutdown();
        g_bReplayPlaying = false;
        g_Replay.Clear();
        DropGameReplay();
        delete g_pInput;
        g_pInput = nullptr;
    }

    // Channel 0 from the script, its frames counted from 0 again.
    void UseScript(const std::string& text)
    {
        InitScene();
        std::string error;
        ASSERT_TRUE(m_Script.LoadText(text, error)) << error;
        SetSceneInputScript(&m_Script);
    }

    CInputScript m_Script;
};
