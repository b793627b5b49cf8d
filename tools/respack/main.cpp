// respack <asset folder> <output dll>: packs the generated assets, scrambled,
// into the resource library the game loads at start.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Util.h"
#include "platform/PePacker.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: respack <asset folder> <output dll>\n");
        return 2;
    }
    std::vector<uint8_t> dll;
    std::string error;
    if (!PackResourceFolder(argv[1], &dll, &error)) {
        std::fprintf(stderr, "respack: %s\n", error.c_str());
        return 1;
    }
    std::error_code ec;
    std::string out = std::filesystem::absolute(argv[2], ec).string();
    if (ec) out = argv[2];
    if (!WriteFileAtomic(out, dll.data(), dll.size())) {
        std::fprintf(stderr, "respack: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
