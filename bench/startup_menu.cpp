// Start-up and the menus.
//
// BM_StartupToTitle runs the real program headless (its own folder, the built
// data.dll) for one step and reads the time it logs from start to the first
// title frame: the library, the devices, the whole asset set, every sound and
// the title music. BM_MenuFrame is one steady step (SceneFrame and SceneInput)
// of the records list, the busiest menu: picture, ten row bars, the figures,
// the texts, the cursor and the menu model, on the headless OpenGL back end.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/AssetSet.h"
#include "app/Game.h"
#include "app/Scene.h"
#include "core/ObjectLists.h"
#include "core/Util.h"
#include "gfx/GraphicsDevice.h"
#include "input/InputControler.h"
#include "persist/GlobalResult.h"
#include "platform/Resources.h"
#include "platform/Window.h"
#include "sound/SoundSystem.h"
#include "stage/CustomStageControler.h"

namespace fs = std::filesystem;

namespace {

std::string MakeHome()
{
    std::string tmpl = (fs::temp_directory_path() / "mz-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return std::string();
    std::error_code ec;
    fs::create_symlink(fs::path(MZ_BIN_DIR) / "data.dll", fs::path(tmpl) / "data.dll", ec);
    std::ofstream(fs::path(tmpl) / "critical.ini") << "scorename,bench\n";
    return tmpl;
}

void BM_StartupToTitle(benchmark::State& state)
{
    const std::string home = MakeHome();
    for (auto _ : state) {
        const pid_t pid = fork();
        if (pid == 0) {
            unsetenv("DISPLAY");
            const std::string bin = std::string(MZ_BIN_DIR) + "/korvo";
            execl(bin.c_str(), bin.c_str(), "--headless", "--frames", "1", "--home", home.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        std::ifstream f(fs::path(home) / "log" / "startup.txt");
        std::string word;
        unsigned ms = 0;
        // "first title frame after N ms"
        while (f >> word)
            if (word == "after") f >> ms;
        if (ms == 0) {
            state.SkipWithError("the game logged no start-up time");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
    }
    std::error_code ec;
    fs::remove_all(home, ec);
}
BENCHMARK(BM_StartupToTitle)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_MenuFrame(benchmark::State& state)
{
    const std::string home = MakeHome();
    SetProgramDir(home);
    CWindow window;
    SWindowConfig cfg;
    cfg.headless = true;
    std::string error;
    if (!window.Create(cfg, error) || !OpenResourceLibrary()) {
        state.SkipWithError("no headless window or no data.dll");
        return;
    }
    g_pSoundDevice = new CSoundSystem(CSoundSystem::Offline{});
    g_pInput = new CInputControler(static_cast<CInputDriver*>(nullptr), false, false);
    g_pDevice = new CGraphicsDevice();
    if (!g_pDevice->Initialize(&window, 640, 480, 0.75f)) {
        state.SkipWithError("no device");
        return;
    }
    g_pDeviceLink = g_pDevice;
    g_BarrageTable.LoadNames();
    InitScene();
    LoadAssetSet();
    SetSceneStage(-7);
    for (int i = 0; i < 60; ++i) {  // glyphs in the atlas, programs compiled
        SceneFrame();
        SceneInput();
    }
    for (auto _ : state) {
        SceneFrame();
        SceneInput();
    }
    ClearWorld();
    g_StageControler.Shutdown();
    DeleteAll(g_MusicList);
    ReleaseAssetSet();
    ReleaseDevices();
    CloseResourceLibrary();
    window.Destroy();
    SetProgramDir("");
    std::error_code ec;
    fs::remove_all(home, ec);
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMillisecond);

}  // namespace
