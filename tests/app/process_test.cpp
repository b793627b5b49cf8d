// The game as a process: exit codes, the single-instance lock, the files it
// leaves behind. Every run is headless (or has no display) and has its own
// program folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "persist/Replay.h"
#include "tests/support/TempHome.h"

namespace fs = std::filesystem;

namespace {

const char* const kNoScoreName = "先に config.exe を起動しスコアネームを設定して下さい。";

std::string ReadFile(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// The game's own folder with the built resource library.
class CHome : public CTempHome {
public:
    CHome() : CTempHome("mz-app", false), path(Path()) { MakeGameFolder(""); }
    void SetScoreName(const std::string& name) { WriteFile("critical.ini", "scorename," + name + "\n"); }
    fs::path path;
};

struct SRun {
    pid_t pid = -1;
    fs::path out, err;
};

// Starts korvo with args (in the folder cwd, when given); the environment is
// ours without any display.
SRun Start(const std::vector<std::string>& args, const fs::path& logDir, const std::string& tag,
           const fs::path& cwd = {})
{
    SRun run;
    run.out = logDir / (tag + ".out");
    run.err = logDir / (tag + ".err");
    std::vector<std::string> argv = {std::string(MZ_BIN_DIR) + "/korvo"};
    argv.insert(argv.end(), args.begin(), args.end());
    run.pid = fork();
    if (run.pid == 0) {
        const int o = open(run.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(run.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(o, 1);
        dup2(e, 2);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        std::vector<char*> cargv;
        for (auto& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        execv(cargv[0], cargv.data());
        _exit(127);
    }
    return run;
}

// The exit code, or -1 when the process did not end within the time.
int Wait(const SRun& run, int seconds = 60)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        const pid_t r = waitpid(run.pid, &status, WNOHANG);
        if (r == run.pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(run.pid, SIGKILL);
    waitpid(run.pid, nullptr, 0);
    return -1;
}

int RunKorvo(const std::vector<std::string>& args, const fs::path& logDir, const std::string& tag)
{
    return Wait(Start(args, logDir, tag));
}

}  // namespace

TEST(GameProcess, EmptyScoreNameStopsBeforeAnyWindow)
{
    CHome home;
    // No records at all, an empty name; headless or with no display.
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        if (variant == 1) home.SetScoreName("");
        std::vector<std::string> args = {"--home", home.path.string()};
        if (variant < 2) args.push_back("--headless");
        EXPECT_EQ(RunKorvo(args, home.path, "run"), 255);
        EXPECT_NE(ReadFile(home.path / "run.err").find(kNoScoreName), std::string::npos)
            << ReadFile(home.path / "run.err");
        // Neither the window (its profile) nor the graphics device (its log) came to be.
        EXPECT_FALSE(fs::exists(home.path / "profile"));
        EXPECT_FALSE(fs::exists(home.path / "log" / "d3d9.txt"));
    }
}

TEST(GameProcess, MissingResourceLibraryStopsWithAMessageNamingFileAndFolder)
{
    CHome home;
    home.SetScoreName("tester");
    fs::remove(home.path / "data.dll");
    EXPECT_EQ(RunKorvo({"--headless", "--home", home.path.string()}, home.path, "run"), 255);
    const std::string err = ReadFile(home.path / "run.err");
    EXPECT_NE(err.find("\"data.dll\""), std::string::npos) << err;
    EXPECT_NE(err.find(fs::canonical(home.path).string()), std::string::npos) << err;
    // Stopped before the window was shown and before the graphics device.
    EXPECT_FALSE(fs::exists(home.path / "profile"));
    EXPECT_FALSE(fs::exists(home.path / "log" / "d3d9.txt"));
    // The records were not touched.
    EXPECT_EQ(ReadFile(home.path / "critical.ini"), "scorename,tester\n");
}

TEST(GameProcess, SecondCopyExitsAtOnceAndFirstSavesItsWindowPosition)
{
    CHome home;
    home.SetScoreName("tester");
    const std::vector<std::string> args = {"--headless", "--home", home.path.string()};
    SRun first = Start(args, home.path, "first");
    // Wait until the first copy is in its main loop (its device is set up).
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ReadFile(home.path / "log" / "d3d9.txt").find("Initialize Render States.\n -> Finished.") ==
               std::string::npos &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));

    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(RunKorvo(args, home.path, "second"), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    // It says why it stops, and opens nothing.
    EXPECT_NE(ReadFile(home.path / "second.err").find("another copy of the game is already running"),
              std::string::npos);
    EXPECT_EQ(ReadFile(home.path / "second.out"), "");
    // Another spelling of the same folder is the same game: its records would
    // otherwise be lost to whichever copy saves last.
    const fs::path link = home.path / "link";
    fs::create_symlink(home.path, link);
    for (const fs::path& spelling : {link, home.path / ".", fs::path(home.path.string() + "//")}) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(RunKorvo({"--headless", "--frames", "1", "--home", spelling.string()}, home.path, "spelling"), 1);
    }

    // Another program folder is another game: it runs beside the first.
    CHome other;
    other.SetScoreName("tester");
    EXPECT_EQ(RunKorvo({"--headless", "--frames", "2", "--home", other.path.string()}, other.path, "other"), 0);

    // The window closes as if the desktop asked it to: a normal end.
    kill(first.pid, SIGTERM);
    EXPECT_EQ(Wait(first), 0) << ReadFile(home.path / "first.err");
    const std::string profile = ReadFile(home.path / "profile" / "korvoh.txt");
    EXPECT_NE(profile.find("left,"), std::string::npos) << profile;
    EXPECT_NE(profile.find("top,"), std::string::npos) << profile;

    // The lock went with the process.
    EXPECT_EQ(RunKorvo({"--headless", "--frames", "1", "--home", home.path.string()}, home.path, "third"), 0);
}

TEST(GameProcess, CrashedCopyLeavesNoLock)
{
    CHome home;
    home.SetScoreName("tester");
    SRun first = Start({"--null-renderer", "--home", home.path.string()}, home.path, "first");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(first.pid, SIGKILL);
    Wait(first);
    EXPECT_EQ(RunKorvo({"--null-renderer", "--frames", "1", "--home", home.path.string()}, home.path, "next"), 0);
}

TEST(GameProcess, HeadlessFramesWriteSnapshotsAndRecords)
{
    CHome home;
    home.SetScoreName("tester");
    EXPECT_EQ(RunKorvo({"--headless", "--frames", "120", "--snapshot-at", "0,119", "--home", home.path.string()},
                  home.path, "run"),
              0)
        << ReadFile(home.path / "run.err");
    for (const char* name : {"frame000000.png", "frame000119.png"}) {
        const std::string png = ReadFile(home.path / "snapshot" / name);
        ASSERT_GT(png.size(), 8u) << name;
        EXPECT_EQ(png.substr(1, 3), "PNG");
    }
    EXPECT_FALSE(fs::exists(home.path / "snapshot" / "frame000120.png"));
    const std::string records = ReadFile(home.path / "critical.ini");
    EXPECT_NE(records.find("scorename,tester\n"), std::string::npos);
    EXPECT_NE(records.find("playtime,"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(home.path / "replay"));
    const std::string profile = ReadFile(home.path / "profile" / "korvoh.txt");
    EXPECT_NE(profile.find("left,"), std::string::npos);
}

TEST(GameProcess, NullRendererRunsUnpacedAndWritesNoPicture)
{
    CHome home;
    home.SetScoreName("tester");
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(RunKorvo({"--null-renderer", "--unpaced", "--frames", "600", "--snapshot-at", "5", "--home",
                   home.path.string()},
                  home.path, "run"),
              0);
    // 600 paced steps would take ten seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(8));
    EXPECT_FALSE(fs::exists(home.path / "snapshot" / "frame000005.png"));
    EXPECT_NE(ReadFile(home.path / "log" / "d3d9.txt").find("Create Null Renderer."), std::string::npos);
}

// Hostile or mistaken surroundings stop the game at once with exit code 2 and
// a message naming the whole path and the fault, and leave nothing behind (no
// folder or file made, nothing waited on).
TEST(GameProcess, PathsThatCannotServeStopWithTheReason)
{
    CHome home;
    home.SetScoreName("tester");
    ASSERT_EQ(mkfifo((home.path / "fifo").c_str(), 0600), 0);
    fs::create_directories(home.path / "folder");
    std::ofstream(home.path / "short.dat") << "abc";
    std::ofstream(home.path / "zeros.dat") << std::string(72, '\0');
    const std::string dir = home.path.string();
    const auto at = [&](const char* name) { return (home.path / name).string(); };
    const auto named = [&](const char* name) { return "\"" + at(name) + "\""; };
    const struct {
        std::vector<std::string> args;
        std::string said;
    } kCases[] = {
        {{"--home", at("critical.ini")}, "--home " + named("critical.ini") + " is not a folder"},
        {{"--home", at("missing")}, "--home " + named("missing") + " does not exist"},
        {{"--home", dir, "--audio-out", at("no/such/folder/out.wav")},
         "--audio-out " + named("no/such/folder/out.wav") + " cannot be written: its folder " +
             named("no/such/folder/") + " does not exist"},
        {{"--home", dir, "--audio-out", at("folder")}, "--audio-out " + named("folder") + " is a folder"},
        {{"--home", dir, "--audio-out", at("fifo")},
         "--audio-out " + named("fifo") + " is not a regular file (a pipe, device or socket)"},
        {{"--home", dir, "--audio-out", at("critical.ini/out.wav")},
         "--audio-out " + named("critical.ini/out.wav") + " cannot be written: " + std::strerror(ENOTDIR)},
        {{"--home", dir, "--input-script", at("folder")}, "the input script " + named("folder") + " is a folder"},
        {{"--home", dir, "--input-script", at("missing.txt")},
         "the input script " + named("missing.txt") + " does not exist"},
        {{"--home", dir, "--input-script", at("fifo")},
         "the input script " + named("fifo") + " is not a regular file (a pipe, device or socket)"},
        {{"--home", dir, "--input-script", "/dev/zero"},
         "the input script \"/dev/zero\" is not a regular file (a pipe, device or socket)"},
        {{"--home", dir, "--verify-replay", at("folder")}, named("folder") + " is a folder"},
        {{"--home", dir, "--verify-replay", at("fifo")},
         named("fifo") + " is not a regular file (a pipe, device or socket)"},
        {{"--home", dir, "--verify-replay", at("short.dat")},
         named("short.dat") + " is too short for a replay: 3 bytes, less than its 72-byte header"},
        {{"--home", dir, "--verify-replay", at("zeros.dat")},
         named("zeros.dat") + " fails its check: the check text does not match the header"},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> args = {"--headless"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        if (c.args[c.args.size() - 2] != "--verify-replay") args.insert(args.end(), {"--frames", "1"});
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(Wait(Start(args, home.path, "run"), 20), 2);
        EXPECT_NE(ReadFile(home.path / "run.err").find("korvo: " + c.said), std::string::npos)
            << ReadFile(home.path / "run.err");
    }
    EXPECT_FALSE(fs::exists(home.path / "missing"));
    EXPECT_FALSE(fs::exists(home.path / "no"));
}

// --audio-out makes its file only when the game really starts: a start that
// fails leaves none behind, and a file already there as it was.
TEST(GameProcess, AStartThatFailsLeavesTheSoundFileAsItWas)
{
    CHome home;   // no score name: the start fails
    const fs::path out = home.path / "out.wav";
    const std::vector<std::string> args = {"--null-renderer", "--frames", "2", "--home", home.path.string(),
                                           "--audio-out", out.string()};
    EXPECT_EQ(RunKorvo(args, home.path, "run"), 255);
    EXPECT_FALSE(fs::exists(out));
    std::ofstream(out) << "the player's own recording";
    EXPECT_EQ(RunKorvo(args, home.path, "run"), 255);
    EXPECT_EQ(ReadFile(out), "the player's own recording");

    home.SetScoreName("tester");
    EXPECT_EQ(RunKorvo(args, home.path, "run"), 0) << ReadFile(home.path / "run.err");
    EXPECT_EQ(ReadFile(out).substr(0, 4), "RIFF");
    EXPECT_GT(fs::file_size(out), 44u);
}

// Every path a person types is read against the current folder, wherever the
// game's folder is: a plain name, ./x, ../x and an absolute path, for each of
// the options that take one. The game's own files stay in its folder.
TEST(GameProcess, TypedPathsAreReadAgainstTheCurrentFolder)
{
    CHome home;
    home.SetScoreName("tester");
    const fs::path top = home.path / "top";
    const fs::path cwd = top / "cwd";
    fs::create_directories(cwd);
    // A replay of no steps: its check finds the game going on (exit 1), which
    // only a file that was read can tell.
    CReplay none;
    const std::vector<uint8_t> bytes = none.Encode(0, "tester", 0, 0);
    const std::string replay(bytes.begin(), bytes.end());
    const struct {
        const char* typed;   // as typed in cwd
        fs::path place;      // where it is
    } kForms[] = {
        {"x", cwd / "x"},
        {"./x", cwd / "x"},
        {"../x", top / "x"},
        {"", top / "abs" / "x"},   // typed absolute
    };
    for (const auto& form : kForms) {
        const std::string typed = *form.typed ? form.typed : form.place.string();
        SCOPED_TRACE(typed);
        fs::remove_all(top);
        fs::create_directories(cwd);
        fs::create_directories(form.place.parent_path());
        const std::vector<std::string> base = {"--null-renderer", "--unpaced", "--frames", "20", "--home",
                                               home.path.string()};
        const auto run = [&](std::vector<std::string> args, const std::string& tag) {
            args.insert(args.begin(), base.begin(), base.end());
            return Wait(Start(args, home.path, tag, cwd), 60);
        };

        std::ofstream(form.place) << "5 attack0\n";
        EXPECT_EQ(run({"--input-script", typed}, "script"), 0) << ReadFile(home.path / "script.err");
        fs::remove(form.place);

        EXPECT_EQ(run({"--audio-out", typed}, "audio"), 0) << ReadFile(home.path / "audio.err");
        EXPECT_GT(fs::exists(form.place) ? fs::file_size(form.place) : 0u, 44u);
        EXPECT_FALSE(fs::exists(home.path / "x"));
        fs::remove(form.place);

        std::ofstream(form.place, std::ios::binary) << replay;
        EXPECT_EQ(Wait(Start({"--verify-replay", typed, "--home", home.path.string()}, home.path, "verify", cwd), 60),
                  1)
            << ReadFile(home.path / "verify.err");
        EXPECT_NE(ReadFile(home.path / "verify.out").find("the recorded game ended after 0 steps"), std::string::npos)
            << ReadFile(home.path / "verify.out");
        fs::remove(form.place);

        // The game's folder itself: its records and logs land there.
        fs::create_directories(form.place);
        fs::create_symlink(fs::path(MZ_BIN_DIR) / "data.dll", form.place / "data.dll");
        std::ofstream(form.place / "critical.ini") << "scorename,tester\n";
        EXPECT_EQ(Wait(Start({"--null-renderer", "--frames", "2", "--home", typed}, home.path, "home", cwd), 60), 0)
            << ReadFile(home.path / "home.err");
        EXPECT_TRUE(fs::exists(form.place / "log" / "scene.txt"));
        fs::remove_all(form.place);
    }
}

// Without --headless and without a display SDL would draw offscreen and the
// game run unseen: it says so and stops instead.
TEST(GameProcess, NoDisplayWithoutHeadlessStops)
{
    CHome home;
    home.SetScoreName("tester");
    EXPECT_EQ(Wait(Start({"--home", home.path.string(), "--frames", "600"}, home.path, "run"), 20), 3);
    EXPECT_NE(ReadFile(home.path / "run.err").find("--headless"), std::string::npos) << ReadFile(home.path / "run.err");
}

// A missing score name says how to set one here, and records that are not a
// file stop the game without being read or replaced.
TEST(GameProcess, ScoreNameHintAndUnreadableRecords)
{
    CHome home;
    EXPECT_EQ(RunKorvo({"--headless", "--home", home.path.string()}, home.path, "run"), 255);
    EXPECT_NE(ReadFile(home.path / "run.err").find("korvo-config --name NAME"), std::string::npos);

    ASSERT_EQ(mkfifo((home.path / "critical.ini").c_str(), 0600), 0);
    EXPECT_EQ(Wait(Start({"--headless", "--home", home.path.string()}, home.path, "fifo"), 20), 255);
    EXPECT_NE(ReadFile(home.path / "fifo.err").find("the records cannot be read"), std::string::npos)
        << ReadFile(home.path / "fifo.err");
    struct stat st;
    ASSERT_EQ(lstat((home.path / "critical.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A library cut short runs with what it still holds and says so in one line;
// a snapshot that cannot be written says why.
TEST(GameProcess, DamagedLibraryAndBlockedSnapshotFolderAreNamed)
{
    CHome home;
    home.SetScoreName("tester");
    const std::string whole = ReadFile(fs::path(MZ_BIN_DIR) / "data.dll");
    fs::remove(home.path / "data.dll");
    {
        std::ofstream cut(home.path / "data.dll", std::ios::binary);
        cut.write(whole.data(), static_cast<std::streamsize>(whole.size() / 2));
    }
    std::ofstream(home.path / "snapshot") << "a file where the folder goes";
    EXPECT_EQ(RunKorvo({"--headless", "--frames", "2", "--snapshot-at", "1", "--home", home.path.string()}, home.path,
                       "run"),
              0);
    const std::string err = ReadFile(home.path / "run.err");
    EXPECT_NE(err.find("is damaged (cut short?): "), std::string::npos) << err;
    EXPECT_NE(err.find("snapshot of step 1: the folder"), std::string::npos) << err;
}

TEST(GameProcess, CommandLine)
{
    CHome home;
    EXPECT_EQ(RunKorvo({"--help"}, home.path, "help"), 0);
    EXPECT_NE(ReadFile(home.path / "help.out").find("--snapshot-at"), std::string::npos);
    EXPECT_EQ(RunKorvo({"--frames", "x"}, home.path, "bad"), 2);
    EXPECT_NE(ReadFile(home.path / "bad.err").find("--frames"), std::string::npos);
}
