// Start-up cost of the resource library: opening data.dll, and loading every
// picture and mesh in it onto the headless OpenGL device (decode, descramble,
// colour key, mesh import, texture and mesh upload). Budget: all of it within
// 0.5 s. The library's size is reported as a counter.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/Util.h"
#include "bench_folder.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"
#include "gfx/Texture.h"
#include "platform/PeResources.h"
#include "platform/Resources.h"
#include "platform/Window.h"

namespace {

const std::string kDataDll = std::string(MZ_BIN_DIR) + "/data.dll";

void Quiet(const char*) {}

void BM_OpenLibrary(benchmark::State& state)
{
    for (auto _ : state) {
        CPeResourceFile f;
        std::string error;
        if (!f.Open(kDataDll, &error)) {
            state.SkipWithError(("cannot open data.dll: " + error).c_str());
            return;
        }
        benchmark::DoNotOptimize(f.Entries().size());
    }
    state.counters["data.dll MiB"] =
        static_cast<double>(std::filesystem::file_size(kDataDll)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_OpenLibrary)->Unit(benchmark::kMillisecond);

void BM_LoadEveryTextureAndMesh(benchmark::State& state)
{
    // An empty program folder: no override files, everything from data.dll.
    const std::string tmpl = MakeBenchFolder();
    if (tmpl.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    SetProgramDir(tmpl);
    SetResourceMessageSink(Quiet);
    CWindow window;
    SWindowConfig cfg;
    cfg.headless = true;
    std::string error;
    auto device = std::make_unique<CGraphicsDevice>();
    if (!window.Create(cfg, error) || !device->CreateDevice(&window, 640, 480, 0.75f, false, false, false, true)) {
        state.SkipWithError(("no headless device: " + error).c_str());
        return;
    }
    g_pDevice = device.get();

    int textures = 0, meshes = 0;
    for (auto _ : state) {
        std::string message;
        if (!OpenResourceLibraryFile(kDataDll, &message)) {
            state.SkipWithError(message.c_str());
            break;
        }
        std::vector<std::unique_ptr<CTexture>> loadedTextures;
        std::vector<std::unique_ptr<CModel>> loadedModels;
        for (const CPeResourceFile::Entry& e : GetResourceLibrary()->Entries()) {
            std::string name = "#" + std::to_string(e.name.nId);
            if (e.type.strName == "TEXTURE") {
                loadedTextures.emplace_back(CTexture::Create(name.c_str(), "TEXTURE"));
            } else if (e.type.strName == "MODEL") {
                loadedModels.emplace_back(CModel::Create(name.c_str(), "MODEL"));
            }
        }
        device->GetRenderer()->Flush();
        textures = static_cast<int>(loadedTextures.size());
        meshes = static_cast<int>(loadedModels.size());
        state.PauseTiming();
        loadedTextures.clear();
        loadedModels.clear();
        CloseResourceLibrary();
        state.ResumeTiming();
    }
    state.counters["textures"] = textures;
    state.counters["meshes"] = meshes;

    g_pDevice = nullptr;
    device.reset();
    window.Destroy();
    SetResourceMessageSink(nullptr);
    SetProgramDir("");
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
}
BENCHMARK(BM_LoadEveryTextureAndMesh)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same without a device: decoding and importing alone.
void BM_DecodeEveryTextureAndMesh(benchmark::State& state)
{
    std::string message;
    if (!OpenResourceLibraryFile(kDataDll, &message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    SetResourceMessageSink(Quiet);
    for (auto _ : state) {
        for (const CPeResourceFile::Entry& e : GetResourceLibrary()->Entries()) {
            std::string name = "#" + std::to_string(e.name.nId);
            if (e.type.strName == "TEXTURE") {
                CTexture t(nullptr);
                t.Load(name.c_str(), "TEXTURE");
            } else if (e.type.strName == "MODEL") {
                CModel m(nullptr);
                m.Load(name.c_str(), "MODEL");
            }
        }
    }
    SetResourceMessageSink(nullptr);
    CloseResourceLibrary();
}
BENCHMARK(BM_DecodeEveryTextureAndMesh)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
