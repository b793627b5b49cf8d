// The real program run as a child process in a private program folder (with a
// link to the built data.dll and a score name), driven by --input-script; its
// scene log and snapshots read back.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ResourceImage.h"
#include "tests/support/TempHome.h"

namespace fs = std::filesystem;

inline std::string ReadText(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline void WriteText(const fs::path& p, const std::string& text)
{
    std::ofstream f(p, std::ios::binary);
    f << text;
}

class CGameHome : public CTempHome {
public:
    CGameHome() : CTempHome("mz-shell", false), path(Path())
    {
        MakeGameFolder("");
        WriteText(path / "critical.ini", "scorename,tester\nzz.other,kept\n");
    }

    // Runs the game headless with the script; returns the exit code (-1 when it
    // did not end in time).
    int Run(const std::string& script, int frames, const std::vector<std::string>& extra = {},
            bool nullRenderer = true)
    {
        WriteText(path / "script.txt", script);
        std::vector<std::string> args = {nullRenderer ? "--null-renderer" : "--headless",
                                         "--home",
                                         path.string(),
                                         "--frames",
                                         std::to_string(frames),
                                         "--input-script",
                                         (path / "script.txt").string()};
        if (!paced) args.push_back("--unpaced");
        args.insert(args.end(), extra.begin(), extra.end());
        return RunArgs(args);
    }

    // Runs the game with exactly these arguments (and no display); its
    // standard output and error go to "run.out" and "run.err".
    int RunArgs(std::vector<std::string> args, int seconds = 120,
                const std::string& program = std::string(MZ_BIN_DIR) + "/korvo")
    {
        args.insert(args.begin(), program);
        const pid_t pid = fork();
        if (pid == 0) {
            const int o = open((path / "run.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = open((path / "run.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(o, 1);
            dup2(e, 2);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }

    // The stage changes as "step:stage" words, loading frames as "step:-3L";
    // with phases, a chapter's later phases too, as "step:pP".
    std::string Stages(bool phases = false) const
    {
        std::istringstream in(ReadText(path / "log" / "scene.txt"));
        std::string line, out;
        while (std::getline(in, line)) {
            long long step = 0;
            int n = 0;
            std::string word;
            if (std::sscanf(line.c_str(), "step %lld stage %d", &step, &n) == 2) {
                word = std::to_string(step) + ":" + std::to_string(n);
                if (line.find("(loading)") != std::string::npos) word += 'L';
            } else if (phases && std::sscanf(line.c_str(), "step %lld phase %d", &step, &n) == 2) {
                word = std::to_string(step) + ":p" + std::to_string(n);
            } else {
                continue;
            }
            if (!out.empty()) out += ' ';
            out += word;
        }
        return out;
    }

    std::string Err() const { return ReadText(path / "run.err"); }
    std::string Out() const { return ReadText(path / "run.out"); }

    fs::path path;
    bool paced = false;  // 60 steps a second instead of back to back
};

struct SPicture {
    CResourceImage image;
    bool Load(const fs::path& p)
    {
        const std::string bytes = ReadText(p);
        return DecodeTextureImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image);
    }
    const uint8_t* At(int x, int y) const { return &image.m_Pixels[(static_cast<size_t>(y) * 640 + x) * 4]; }
    // Pixels of the box with all three channels at least min (white text).
    int CountWhite(int x0, int y0, int x1, int y1, int min = 230) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint8_t* p = At(x, y);
                if (p[0] >= min && p[1] >= min && p[2] >= min) ++n;
            }
        return n;
    }
    // Pixels of the box that differ from the other picture.
    int CountDifferent(const SPicture& other, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (std::memcmp(At(x, y), other.At(x, y), 3) != 0) ++n;
        return n;
    }
};

inline fs::path Snapshot(const CGameHome& home, int step)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame%06d.png", step);
    return home.path / "snapshot" / name;
}
