// The game in this process as the program entry sets it up: its own folder
// with the built data.dll, the global objects, a headless window with the
// OpenGL back end (or the null one), the offline mixer, input from nothing, the
// world, the scene and the whole asset set; torn down in the entry's order.
// Tests drive it with SetSceneStage, SceneFrame and SceneInput and read the
// picture back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/Game.h"
#include "app/Scene.h"
#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "gfx/GraphicsDevice.h"
#include "input/InputControler.h"
#include "persist/GlobalResult.h"
#include "platform/Renderer.h"
#include "platform/Resources.h"
#include "platform/Window.h"
#include "sound/SoundSystem.h"
#include "stage/CustomStageControler.h"
#include "tests/support/TempHome.h"

class CInProcessGame : public ::testing::Test {
protected:
    CInProcessGame() : m_Home("mz-game") {}

    void SetUp() override
    {
        m_Home.MakeGameFolder();
        SetUpGlobals();
        SWindowConfig cfg;
        cfg.headless = true;
        cfg.openGl = !m_bNullRenderer;
        std::string error;
        ASSERT_TRUE(m_Window.Create(cfg, error)) << error;
        ASSERT_TRUE(OpenResourceLibrary(&error)) << error;
        g_pSoundDevice = new CSoundSystem(CSoundSystem::Offline{});
        g_pInput = new CInputControler(static_cast<CInputDriver*>(nullptr), false, false);
        g_pDevice = new CGraphicsDevice();
        g_pDevice->UseNullRenderer(m_bNullRenderer);
        ASSERT_TRUE(g_pDevice->Initialize(&m_Window, 640, 480, 0.75f));
        StartWorld();
        LoadRecords(g_GlobalResult, g_BarrageTable);
        InitScene();
        LoadGameAssets();
        g_GameRand.ClearLockedDraws();
    }

    void TearDown() override
    {
        // Whatever the test ran, nothing drew from the game's generator while
        // drawing.
        EXPECT_EQ(g_GameRand.LockedDraws(), 0);
        g_GameRand.ClearLockedDraws();
        g_bReplayPlaying = false;
        if (g_pDevice) StopWorld();
        ReleaseDevices();
        CloseResourceLibrary();
        m_Window.Destroy();
        TearDownGlobals();
    }

    // One step of the main loop.
    static void Step()
    {
        SceneFrame();
        SceneInput();
    }

    // The last picture drawn (640 x 480, 0xAARRGGBB, top row first).
    static std::vector<uint32_t> Picture()
    {
        std::vector<uint32_t> px;
        EXPECT_TRUE(g_pDevice->GetRenderer()->ReadBackBuffer(px));
        return px;
    }
    static uint32_t At(const std::vector<uint32_t>& px, int x, int y) { return px[static_cast<size_t>(y) * 640 + x]; }
    // The sum of the three colour channels of a pixel.
    static int Brightness(uint32_t c) { return static_cast<int>(((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF)); }

    CTempHome m_Home;
    CWindow m_Window;
    bool m_bNullRenderer = false;  // set by a fixture's constructor: nothing is drawn
};
