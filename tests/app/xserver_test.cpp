// The game window under a real X server (Xvfb): it opens, F11 takes snapshots,
// the left mouse button drags it, Escape on the title ends the program with exit
// code 0 and the profile keeps the dragged position; the window carries the
// game's icon. Skipped when Xvfb or xdotool is not installed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempHome.h"

namespace fs = std::filesystem;

namespace {

bool OnPath(const char* tool)
{
    const std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

std::string ReadFile(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Output of a shell command with DISPLAY set.
std::string Shell(const std::string& display, const std::string& cmd)
{
    const std::string full = "DISPLAY=" + display + " " + cmd + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(full.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& display, const fs::path& log, int displayFd = -1)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
        std::vector<std::string> a = args;
        if (displayFd >= 0) {
            a.push_back("-displayfd");
            a.push_back(std::to_string(displayFd));
        }
        std::vector<char*> argv;
        for (auto& s : a) argv.push_back(s.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int WaitExit(pid_t pid, int seconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -2;
}

}  // namespace

TEST(XServer, WindowOpensDragsSnapsAndClosesOnEscape)
{
    if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "Xvfb or xdotool missing";
    const CTempHome temp("mz-x11", false);
    const fs::path home = temp.Path();
    temp.MakeGameFolder();
    temp.WriteFile("korvo.ini", "windowmode,0\n");

    // A server on a free display number, which it reports through a pipe.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t xvfb = Spawn({"Xvfb", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, "", home / "xvfb.log",
                             fds[1]);
    close(fds[1]);
    char num[32] = {};
    ssize_t got = 0;
    for (int tries = 0; tries < 100 && got <= 0; ++tries) got = read(fds[0], num, sizeof num - 1);
    close(fds[0]);
    ASSERT_GT(got, 0) << ReadFile(home / "xvfb.log");
    const std::string display = ":" + std::string(num, num + std::strcspn(num, "\n"));

    const pid_t game = Spawn({std::string(MZ_BIN_DIR) + "/korvo", "--home", home.string()}, display,
                             home / "game.log");
    std::string wid;
    for (int i = 0; i < 300 && wid.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        wid = Shell(display, "xdotool search --onlyvisible --name 'Meridane Zeta'");
        wid = wid.substr(0, wid.find('\n'));
    }
    ASSERT_FALSE(wid.empty()) << ReadFile(home / "game.log");
    // Centred 640 x 480 on the 1024 x 768 screen.
    const std::string geometry = Shell(display, "xdotool getwindowgeometry " + wid);
    EXPECT_NE(geometry.find("Position: 192,144"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 640x480"), std::string::npos) << geometry;
    // The game's icon in both sizes the asset generator draws.
    if (OnPath("xprop")) {
        const std::string icon = Shell(display, "xprop -id " + wid + " _NET_WM_ICON");
        EXPECT_NE(icon.find("Icon (32 x 32)"), std::string::npos) << icon.substr(0, 200);
        EXPECT_NE(icon.find("Icon (64 x 64)"), std::string::npos) << icon.substr(0, 200);
    }

    // Waits (up to 15 s) for something the game does in answer to an event, so
    // that a busy machine slows the test down instead of failing it.
    const auto waitFor = [](const auto& done) {
        for (int i = 0; i < 300 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return done();
    };
    const auto countSnapshots = [&] {
        int n = 0;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(home / "snapshot", ec))
            n += e.path().extension() == ".bmp" && fs::file_size(e.path()) == 54u + 640u * 480u * 3u;
        return n;
    };
    // The first snapshot also proves the main loop is answering events.
    Shell(display, "xdotool key --window " + wid + " F11");
    EXPECT_TRUE(waitFor([&] { return countSnapshots() == 1; }));
    Shell(display, "xdotool key --window " + wid + " F11");
    EXPECT_TRUE(waitFor([&] { return countSnapshots() == 2; }));
    // Grab at (100, 100) inside the window and let go at (300, 250) on the screen.
    Shell(display, "xdotool mousemove --window " + wid + " 100 100 mousedown 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Shell(display, "xdotool mousemove 300 250");
    EXPECT_TRUE(waitFor([&] {
        return Shell(display, "xdotool getwindowgeometry " + wid).find("Position: 200,150") != std::string::npos;
    }));
    Shell(display, "xdotool mouseup 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Shell(display, "xdotool key --window " + wid + " Escape");
    EXPECT_EQ(WaitExit(game, 30), 0) << ReadFile(home / "game.log");

    kill(xvfb, SIGTERM);
    WaitExit(xvfb, 10);

    EXPECT_EQ(countSnapshots(), 2);
    const std::string profile = ReadFile(home / "profile" / "korvoh.txt");
    EXPECT_EQ(profile, "left,200\ntop,150\n");
}
