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
#include <string>

#include "headless_game.h"

namespace fs = std::filesystem;

namespace {

void BM_StartupToTitle(benchmark::State& state)
{
    const std::string home = MakeBenchHome();
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
    CHeadlessGame game;
    std::string error;
    if (!game.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    SetSceneStage(-7);
    for (int i = 0; i < 60; ++i) {  // glyphs in the atlas, programs compiled
        SceneFrame();
        SceneInput();
    }
    for (auto _ : state) {
        SceneFrame();
        SceneInput();
    }
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMillisecond);

}  // namespace
