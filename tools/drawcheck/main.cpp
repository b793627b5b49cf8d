// drawcheck SOURCE_DIR: lists every statement of the game's sources with two
// or more draws from the game's generator and fails when there is one.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/drawcheck/DrawCheck.h"

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawcheck SOURCE_DIR\n");
        return 2;
    }
    // Every folder of the game and its libraries; tests and tools may draw as
    // they like.
    const char* const kFolders[] = {"app",   "assets", "core",  "stage", "player",
                                    "enemy", "gfx",    "sound", "input", "persist"};
    std::vector<fs::path> files;
    for (const char* folder : kFolders) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(fs::path(argv[1]) / folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string ext = it->path().extension().string();
            if (it->is_regular_file() && (ext == ".cpp" || ext == ".h")) files.push_back(it->path());
        }
    }
    int findings = 0;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        for (const SDrawFinding& f : FindDoubleDraws(text.str())) {
            std::printf("%s:%d: %d draws from the game's generator in one statement; give each its own\n",
                        fs::relative(file, argv[1]).c_str(), f.nLine, f.nDraws);
            ++findings;
        }
    }
    if (findings == 0) std::printf("drawcheck: %zu files, one draw per statement\n", files.size());
    return findings == 0 ? 0 : 1;
}
