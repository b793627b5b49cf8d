// Shared helpers of the asset tests: where the build put the generated assets
// and data.dll, the manifest of every resource the game loads, and running the
// independent command-line checkers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace assets {

inline std::string BinDir() { return MZ_BIN_DIR; }
inline std::string DataDll() { return BinDir() + "/data.dll"; }
inline std::string AssetDir() { return (std::filesystem::path(MZ_BIN_DIR).parent_path() / "assets").string(); }
inline std::string ManifestPath() { return std::string(MZ_SOURCE_DIR) + "/tools/assetgen/manifest.txt"; }

struct ManifestEntry {
    std::string type;
    int id = 0;
    std::string maker;
    int width = -1;   // -1: not fixed
    int height = -1;
    std::string role;
};

inline const char* ExtensionOf(const std::string& type)
{
    if (type == "TEXTURE" || type == "TEXTUREM") return ".png";
    if (type == "MODEL") return ".x";
    return ".ogg";
}

// "512x480" -> 512, 480; "12x-" -> 12, -1; "-" -> -1, -1.
inline void ParseSize(const std::string& s, int* w, int* h)
{
    *w = *h = -1;
    size_t x = s.find('x');
    if (x == std::string::npos) return;
    std::string a = s.substr(0, x), b = s.substr(x + 1);
    if (!a.empty() && a != "-") *w = std::stoi(a);
    if (!b.empty() && b != "-") *h = std::stoi(b);
}

inline std::vector<ManifestEntry> ReadManifest()
{
    std::vector<ManifestEntry> out;
    std::ifstream in(ManifestPath());
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream f(line);
        ManifestEntry e;
        std::string size;
        if (!(f >> e.type >> e.id >> e.maker >> size)) continue;
        ParseSize(size, &e.width, &e.height);
        std::getline(f, e.role);
        out.push_back(e);
    }
    return out;
}

// Runs a shell command; returns its exit status and its output (both streams).
inline int RunCommand(const std::string& command, std::string* pOutput = nullptr)
{
    std::string out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int status = pclose(p);
    if (pOutput) *pOutput = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string Quote(const std::string& s)
{
    std::string r = "'";
    for (char c : s) {
        if (c == '\'') r += "'\\''";
        else r += c;
    }
    return r + "'";
}

// Every generated file of one type folder, sorted.
inline std::vector<std::filesystem::path> FilesOf(const std::string& type)
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(std::filesystem::path(AssetDir()) / type, ec), end; !ec && it != end;
         it.increment(ec))
        if (it->is_regular_file()) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace assets
