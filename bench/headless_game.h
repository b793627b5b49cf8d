// The game in this process as the program entry sets it up, for benchmarks:
// its own folder (the built data.dll, a score name), the global objects, a
// headless window with the OpenGL back end, the offline mixer, input from
// nothing, the world, the records, the scene and the whole asset set; torn
// down in the entry's order.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Game.h"
#include "app/Scene.h"
#include "assets/AssetSet.h"
#include "bench_folder.h"
#include "core/Util.h"
#include "gfx/GraphicsDevice.h"
#include "input/InputControler.h"
#include "persist/GlobalResult.h"
#include "platform/Renderer.h"
#include "platform/Resources.h"
#include "platform/Window.h"
#include "sound/SoundSystem.h"

// A fresh program folder with the built data.dll and a score name; empty when
// none could be made.
inline std::string MakeBenchHome()
{
    namespace fs = std::filesystem;
    const std::string tmpl = MakeBenchFolder();
    if (tmpl.empty()) return tmpl;
    std::error_code ec;
    fs::create_symlink(fs::path(MZ_BIN_DIR) / "data.dll", fs::path(tmpl) / "data.dll", ec);
    std::ofstream(fs::path(tmpl) / "critical.ini") << "scorename,bench\n";
    return tmpl;
}

// One whole step of the main loop, waiting until the rasteriser has drawn it.
inline void StepAndFinish()
{
    SceneFrame();
    SceneInput();
    g_pDevice->GetRenderer()->Finish();
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

class CHeadlessGame {
public:
    // False with the reason when the window, the library or the device fails.
    // With nullRenderer the device draws nothing (the fastest simulation).
    bool Start(std::string& error, bool nullRenderer = false)
    {
        m_strHome = MakeBenchHome();
        SetProgramDir(m_strHome);
        SetUpGlobals();
        m_bGlobals = true;
        SWindowConfig cfg;
        cfg.headless = true;
        cfg.openGl = !nullRenderer;
        if (!m_Window.Create(cfg, error)) return false;
        if (!OpenResourceLibrary(&error)) return false;
        g_pSoundDevice = new CSoundSystem(CSoundSystem::Offline{});
        g_pInput = new CInputControler(static_cast<CInputDriver*>(nullptr), false, false);
        g_pDevice = new CGraphicsDevice();
        g_pDevice->UseNullRenderer(nullRenderer);
        if (!g_pDevice->Initialize(&m_Window, 640, 480, 0.75f)) {
            error = "no graphics device";
            return false;
        }
        StartWorld();
        m_bWorld = true;
        LoadRecords(g_GlobalResult, g_BarrageTable);
        InitScene();
        LoadGameAssets();
        return true;
    }

    ~CHeadlessGame()
    {
        if (m_bWorld) StopWorld();
        ReleaseDevices();
        CloseResourceLibrary();
        m_Window.Destroy();
        if (m_bGlobals) TearDownGlobals();
        SetProgramDir("");
        std::error_code ec;
        if (!m_strHome.empty()) std::filesystem::remove_all(m_strHome, ec);
    }

    const std::string& Home() const { return m_strHome; }

private:
    std::string m_strHome;
    CWindow m_Window;
    bool m_bGlobals = false;
    bool m_bWorld = false;
};
