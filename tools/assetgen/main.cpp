// assetgen <output folder> [pictures|meshes|sounds|icons ...]
// Writes every resource of the game into the output folder in the override
// layout. With group names, only those groups are made (for quick iteration).
// At the end of a full run the manifest is checked: anything it lists that was
// not made is named and fails the run (and so the build).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/assetgen/AssetGen.h"

namespace {

[[maybe_unused]] const char* ExtensionOf(const std::string& type)
{
    if (type == "TEXTURE" || type == "TEXTUREM") return ".png";
    if (type == "MODEL") return ".x";
    return ".ogg";
}

// Lists what the manifest names but the output folder lacks.
int CountMissing(const std::string& outDir)
{
#ifdef MZ_ASSET_MANIFEST
    std::ifstream in(MZ_ASSET_MANIFEST);
    if (!in) {
        std::fprintf(stderr, "assetgen: cannot read the manifest %s\n", MZ_ASSET_MANIFEST);
        return 0;
    }
    int missing = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string type, id;
        if (!(fields >> type >> id)) continue;
        std::filesystem::path p = std::filesystem::path(outDir) / type / (id + ExtensionOf(type));
        if (!std::filesystem::exists(p)) {
            if (missing < 20) std::fprintf(stderr, "assetgen: %s #%s was not made\n", type.c_str(), id.c_str());
            ++missing;
        }
    }
    return missing;
#else
    (void)outDir;
    return 0;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: assetgen <output folder> [pictures|meshes|sounds|icons ...]\n");
        return 2;
    }
    const std::string outDir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", outDir.c_str(), ec.message().c_str());
        return 1;
    }

    struct Group {
        const char* name;
        bool (*generate)(const std::string&);
    } groups[] = {{"pictures", GeneratePictures},
                  {"meshes", GenerateMeshes},
                  {"sounds", GenerateSounds},
                  {"icons", GenerateIcons}};

    bool ok = true;
    for (const Group& g : groups) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], g.name) == 0;
        if (!wanted) continue;
        auto t0 = std::chrono::steady_clock::now();
        bool done = g.generate(outDir);
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("assetgen: %-8s %s in %.2f s\n", g.name, done ? "made" : "FAILED", s);
        ok = ok && done;
    }
    if (argc == 2) {
        const int missing = CountMissing(outDir);
        if (missing) std::fprintf(stderr, "assetgen: %d listed resources were not made\n", missing);
        ok = ok && missing == 0;
    }
    return ok ? 0 : 1;
}
