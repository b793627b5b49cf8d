// The command line. With no argument at all the game reads none and behaves as
// designed; the options serve tests, tools and players and change no rule of the
// game.
#pragma once

#include <string>
#include <vector>

struct SOptions {
    bool headless = false;      // --headless: OpenGL offscreen, no window, no audio device
    bool nullRenderer = false;  // --null-renderer: draw nothing (implies --headless)
    bool unpaced = false;       // --unpaced: steps back to back
    bool help = false;          // --help
    int frames = -1;            // --frames N: quit cleanly after N steps (-1: never)
    std::vector<int> snapshotAt;  // --snapshot-at F[,F...]: PNG of the frame after step F
    std::string home;           // --home DIR: the program folder
    std::string audioOut;       // --audio-out FILE.wav: the mixed sound goes to a file
    std::string inputScript;    // --input-script FILE: channel 0 from a script
    bool invulnerable = false;  // --invulnerable: the craft cannot be hit; nothing is recorded
    int stage = -1;             // --stage N[:P]: a game of stage N (0, 1 or 111) from phase P
    int phase = 0;              //   instead of the title loop (-1: the title loop)
    int practice = -1;          // --practice N: a practice attempt at barrage N (a record number)
    std::string verifyReplay;   // --verify-replay FILE: play FILE and compare its digests
    bool verbose = false;       // --verbose: a differing replay names the first object that differs
    bool autopilot = false;     // --autopilot: the pilot plays, back-to-back games from the title
    int games = -1;             // --games N: quit cleanly once N games have ended (-1: never)
    std::string watch;          // --watch FILE: watch a replay file at once
    std::string videoOut;       // --video-out FILE.webm|FILE.mp4: what is drawn and played, as a video
};

// Exit code of a command line that cannot be understood.
inline constexpr int kUsageExitCode = 2;

// False with a message when an option is unknown, lacks its value or has a bad
// one, or when options that cannot go together are given. --verify-replay
// implies --null-renderer and --unpaced (--headless or --video-out draw with
// OpenGL instead).
bool ParseOptions(int argc, const char* const* argv, SOptions& out, std::string& error);
// The paths a person typed (--home, --audio-out, --input-script,
// --verify-replay, --watch, --video-out) made absolute against the current folder, as any program
// run from a shell reads them; only the files the game names itself live in
// its folder. A leading "./" is dropped. False with a message when a relative
// path is given and the current folder is gone.
bool ResolveTypedPaths(SOptions& opt, std::string& error);
// The text of --help.
std::string OptionsHelp();
