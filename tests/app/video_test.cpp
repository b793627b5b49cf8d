// Video files with the real program, read back with FFmpeg's own tools
// (ffprobe, ffmpeg): one picture a step at 60 frames a second whatever the
// pacing, a sound track of the same length, frame N the picture --snapshot-at N
// wrote, a path that cannot serve refused before the game starts, the encoder
// loaded only for a video, and a run stopped by a signal still leaving a
// finished file.
#include "game_home.h"

#include <array>
#include <cmath>
#include <memory>
#include <regex>

namespace {

// Standard output of a command (its standard error dropped).
std::string Capture(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"), pclose);
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) out.append(buffer.data(), n);
    return out;
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// One value ffprobe reports for a stream ("v:0", "a:0").
std::string Probe(const fs::path& file, const std::string& stream, const std::string& entry, bool count = false)
{
    const std::string text = Capture("ffprobe -v error " + std::string(count ? "-count_packets " : "") +
                                     "-select_streams " + stream + " -show_entries stream=" + entry +
                                     " -of default=nw=1:nk=1 " + Quoted(file));
    return text.substr(0, text.find('\n'));
}

// The length of a stream in seconds: the end of its last packet.
double StreamSeconds(const fs::path& file, const std::string& stream)
{
    const std::string text = Capture("ffprobe -v error -select_streams " + stream +
                                     " -show_entries packet=pts_time,duration_time -of csv=p=0 " + Quoted(file));
    double end = 0.0;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        double pts = 0.0, duration = 0.0;
        if (std::sscanf(line.c_str(), "%lf,%lf", &pts, &duration) == 2) end = std::max(end, pts + duration);
    }
    return end;
}

// PSNR in decibels of the video's frame n against a picture, both in the
// video's 4:2:0 form (the average of Y, U and V as FFmpeg's filter gives it).
double FramePsnr(const fs::path& video, int n, const fs::path& png)
{
    const std::string text = Capture("ffmpeg -nostats -i " + Quoted(video) + " -i " + Quoted(png) +
                                     " -lavfi \"[0:v]select=eq(n\\," + std::to_string(n) +
                                     "),format=yuv420p[a];[1:v]format=yuv420p[b];[a][b]psnr\" -f null - 2>&1 "
                                     "| grep -o 'average:[0-9.inf]*'");
    if (text.find("inf") != std::string::npos) return 1000.0;
    double db = 0.0;
    return std::sscanf(text.c_str(), "average:%lf", &db) == 1 ? db : 0.0;
}

constexpr int kSteps = 240;
constexpr int kFrameChecked = 200;

}  // namespace

TEST(VideoOut, OneFramePerStepItsSoundAlongsideAndFrameNIsTheSnapshot)
{
    const struct {
        const char* name;
        const char* video;
        const char* sound;
    } kFormats[] = {{"run.webm", "vp9", "opus"}, {"run.mp4", "h264", "aac"}};
    for (const auto& f : kFormats) {
        SCOPED_TRACE(f.name);
        CGameHome home;
        const fs::path video = home.path / f.name;
        // The autopilot from the title into play, unpaced: the video's time is
        // the game's all the same.
        ASSERT_EQ(home.RunArgs({"--headless", "--unpaced", "--autopilot", "--home", home.path.string(), "--frames",
                                std::to_string(kSteps), "--snapshot-at", std::to_string(kFrameChecked),
                                "--video-out", video.string()},
                               300),
                  0)
            << home.Err();
        EXPECT_EQ(home.Err(), "");
        ASSERT_TRUE(fs::exists(video));
        EXPECT_EQ(Probe(video, "v:0", "codec_name"), f.video);
        EXPECT_EQ(Probe(video, "a:0", "codec_name"), f.sound);
        EXPECT_EQ(Probe(video, "v:0", "width"), "640");
        EXPECT_EQ(Probe(video, "v:0", "r_frame_rate"), "60/1");
        EXPECT_EQ(Probe(video, "v:0", "nb_read_packets", true), std::to_string(kSteps));
        const double seconds = kSteps / 60.0;
        EXPECT_NEAR(StreamSeconds(video, "v:0"), seconds, 1.0 / 60.0);
        EXPECT_NEAR(StreamSeconds(video, "a:0"), seconds, 1.0 / 60.0);
        EXPECT_GE(FramePsnr(video, kFrameChecked, Snapshot(home, kFrameChecked)), 40.0);
        // The next frame is another picture: the frames are not shifted.
        EXPECT_LT(FramePsnr(video, kFrameChecked + 1, Snapshot(home, kFrameChecked)),
                  FramePsnr(video, kFrameChecked, Snapshot(home, kFrameChecked)));
    }
}

TEST(VideoOut, APathThatCannotServeStopsTheRunBeforeItStarts)
{
    CGameHome home;
    const struct {
        fs::path file;
        const char* fault;
    } kCases[] = {
        {home.path / "run.avi", "names no video format"},
        {home.path / "no-such-folder" / "run.webm", "does not exist"},
        {home.path / "folder.webm", "is a folder"},
    };
    fs::create_directory(home.path / "folder.webm");
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.file.string());
        EXPECT_EQ(home.RunArgs({"--headless", "--unpaced", "--home", home.path.string(), "--frames", "10",
                                "--video-out", c.file.string()}),
                  2);
        EXPECT_NE(home.Err().find("--video-out \"" + c.file.string() + "\""), std::string::npos) << home.Err();
        EXPECT_NE(home.Err().find(c.fault), std::string::npos) << home.Err();
        EXPECT_FALSE(fs::exists(home.path / "log" / "scene.txt"));
    }
    EXPECT_FALSE(fs::exists(home.path / "run.avi"));
    // Pictures are needed.
    EXPECT_EQ(home.RunArgs({"--null-renderer", "--home", home.path.string(), "--video-out",
                            (home.path / "run.webm").string()}),
              2);
    EXPECT_FALSE(fs::exists(home.path / "run.webm"));
}

// The encoder is a module of its own: a game that writes no video maps none of
// FFmpeg's libraries, and a missing module is named before the run starts.
TEST(VideoOut, TheEncoderIsAModuleLoadedOnlyForAVideo)
{
    const std::string needed = Capture("ldd " + Quoted(fs::path(MZ_BIN_DIR) / "korvo"));
    ASSERT_NE(needed.find("libSDL2"), std::string::npos) << needed;
    for (const char* lib : {"libavcodec", "libavformat", "libswscale"})
        EXPECT_EQ(needed.find(lib), std::string::npos) << lib << " in\n" << needed;

    CGameHome home;
    const fs::path program = home.path / "elsewhere" / "korvo";
    fs::create_directory(program.parent_path());
    fs::copy_file(std::string(MZ_BIN_DIR) + "/korvo", program);
    const fs::path video = home.path / "run.webm";
    EXPECT_EQ(home.RunArgs({"--headless", "--unpaced", "--home", home.path.string(), "--frames", "10", "--video-out",
                            video.string()},
                           120, program.string()),
              2);
    EXPECT_NE(home.Err().find("the video module mz-video.so does not load"), std::string::npos) << home.Err();
    EXPECT_FALSE(fs::exists(video));
    EXPECT_FALSE(fs::exists(home.path / "log" / "scene.txt"));
}

TEST(VideoOut, ASignalLeavesAFinishedPlayableFile)
{
    CGameHome home;
    const fs::path video = home.path / "run.webm";
    const std::vector<std::string> args = {std::string(MZ_BIN_DIR) + "/korvo", "--headless", "--home",
                                           home.path.string(), "--video-out", video.string()};
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // Paced: a few seconds of the title, then the signal a terminal's Ctrl+C
    // or a shutdown sends.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until &&
           !(fs::exists(video) && fs::file_size(video) > 64 * 1024))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // Finished: the container's index is there and every frame decodes.
    const std::string frames = Probe(video, "v:0", "nb_read_packets", true);
    ASSERT_FALSE(frames.empty());
    EXPECT_GT(std::stoi(frames), 30);
    const std::string decoded = Capture("ffmpeg -v error -i " + Quoted(video) + " -f null - 2>&1; echo status $?");
    EXPECT_EQ(decoded, "status 0\n");
    EXPECT_NEAR(StreamSeconds(video, "a:0"), std::stoi(frames) / 60.0, 1.0 / 60.0);
}
