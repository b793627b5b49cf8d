#include "app/Options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// A whole number 0 .. INT_MAX written in decimal digits only.
bool ParseCount(const std::string& text, int& out)
{
    if (text.empty() || text.size() > 10) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

// "N" or "N:P": a chapter (0, 1) with a phase 0 ... 5, or the boss test stage 111.
bool ParseStage(const std::string& text, int& stage, int& phase)
{
    const size_t colon = text.find(':');
    phase = 0;
    if (!ParseCount(text.substr(0, colon), stage)) return false;
    if (colon != std::string::npos && (!ParseCount(text.substr(colon + 1), phase) || phase > 5)) return false;
    if (stage == 111) return phase == 0;
    return stage == 0 || stage == 1;
}

// Options that would change the rules of a game or fight over its input.
bool CheckCombination(SOptions& out, std::string& error)
{
    if (out.autopilot && !out.inputScript.empty()) {
        error = "--autopilot and --input-script both want to play: give one";
        return false;
    }
    if (out.verifyReplay.empty()) {
        if (out.verbose) {
            error = "--verbose goes with --verify-replay";
            return false;
        }
        return true;
    }
    // A replay is checked as it was recorded: nothing may play in its place,
    // and the rules stay as they were.
    const char* conflict = out.autopilot ? "--autopilot"
                         : out.invulnerable ? "--invulnerable"
                         : out.stage >= 0 ? "--stage"
                         : out.frames >= 0 ? "--frames"
                         : out.games >= 0 ? "--games"
                         : nullptr;
    if (conflict) {
        error = std::string("--verify-replay cannot go with ") + conflict;
        return false;
    }
    if (!out.headless) out.nullRenderer = true;
    out.headless = true;
    out.unpaced = true;
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, SOptions& out, std::string& error)
{
    out = SOptions{};
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        std::string value;
        bool hasValue = false;
        const size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        auto takeValue = [&](const char* name) -> bool {
            if (hasValue) return true;
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto noValue = [&](const char* name) -> bool {
            if (!hasValue) return true;
            error = std::string(name) + " takes no value";
            return false;
        };
        if (arg == "--headless") {
            if (!noValue("--headless")) return false;
            out.headless = true;
        } else if (arg == "--null-renderer") {
            if (!noValue("--null-renderer")) return false;
            out.nullRenderer = true;
            out.headless = true;
        } else if (arg == "--unpaced") {
            if (!noValue("--unpaced")) return false;
            out.unpaced = true;
        } else if (arg == "--invulnerable") {
            if (!noValue("--invulnerable")) return false;
            out.invulnerable = true;
        } else if (arg == "--stage") {
            if (!takeValue("--stage")) return false;
            if (!ParseStage(value, out.stage, out.phase)) {
                error = "--stage needs 0, 1 or 111, a chapter with :PHASE 0 ... 5, not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--autopilot") {
            if (!noValue("--autopilot")) return false;
            out.autopilot = true;
        } else if (arg == "--verbose") {
            if (!noValue("--verbose")) return false;
            out.verbose = true;
        } else if (arg == "--verify-replay") {
            if (!takeValue("--verify-replay")) return false;
            if (value.empty()) {
                error = "--verify-replay needs a replay file";
                return false;
            }
            out.verifyReplay = value;
        } else if (arg == "--games") {
            if (!takeValue("--games")) return false;
            if (!ParseCount(value, out.games) || out.games == 0) {
                error = "--games needs a number of games from 1, not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg == "--frames") {
            if (!takeValue("--frames")) return false;
            if (!ParseCount(value, out.frames)) {
                error = "--frames needs a whole number of steps, not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--snapshot-at") {
            if (!takeValue("--snapshot-at")) return false;
            size_t start = 0;
            while (true) {
                const size_t comma = value.find(',', start);
                const std::string part = value.substr(start, comma == std::string::npos ? comma : comma - start);
                int f = 0;
                if (!ParseCount(part, f)) {
                    error = "--snapshot-at needs step numbers separated by commas, not \"" + value + "\"";
                    return false;
                }
                out.snapshotAt.push_back(f);
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        } else if (arg == "--home") {
            if (!takeValue("--home")) return false;
            if (value.empty()) {
                error = "--home needs a folder";
                return false;
            }
            out.home = value;
        } else if (arg == "--audio-out") {
            if (!takeValue("--audio-out")) return false;
            if (value.empty()) {
                error = "--audio-out needs a file name";
                return false;
            }
            out.audioOut = value;
        } else if (arg == "--input-script") {
            if (!takeValue("--input-script")) return false;
            if (value.empty()) {
                error = "--input-script needs a file name";
                return false;
            }
            out.inputScript = value;
        } else {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
    }
    return CheckCombination(out, error);
}

bool ResolveTypedPaths(SOptions& opt, std::string& error)
{
    const struct {
        const char* name;
        std::string* path;
    } kTyped[] = {
        {"--home", &opt.home},
        {"--audio-out", &opt.audioOut},
        {"--input-script", &opt.inputScript},
        {"--verify-replay", &opt.verifyReplay},
    };
    for (const auto& typed : kTyped) {
        std::string& path = *typed.path;
        if (path.empty() || path[0] == '/') continue;
        std::error_code ec;
        const std::filesystem::path cwd = std::filesystem::current_path(ec);
        if (ec) {
            error = std::string(typed.name) + " \"" + path + "\": the current folder cannot be found (" +
                    ec.message() + ")";
            return false;
        }
        size_t start = 0;
        while (path.compare(start, 2, "./") == 0) {
            start += 2;
            while (start < path.size() && path[start] == '/') ++start;
        }
        path = (cwd / path.substr(start)).string();
    }
    return true;
}

std::string OptionsHelp()
{
    return "Usage: korvo [OPTION]...\n"
           "Meridane Zeta. Without options the game starts as usual.\n"
           "A FILE or DIR given here is read against the current folder; the files\n"
           "the game names itself stay in the program folder: the folder of korvo, or\n"
           "for an installed game or a folder that cannot be written\n"
           "$XDG_DATA_HOME/meridane-zeta (~/.local/share/meridane-zeta).\n"
           "\n"
           "  --headless          draw offscreen with OpenGL: no window, no audio device\n"
           "  --null-renderer     draw nothing at all (implies --headless)\n"
           "  --frames N          quit cleanly after N steps, saving the records\n"
           "  --unpaced           run the steps back to back instead of 60 a second\n"
           "  --snapshot-at F,...\n"
           "                      write the picture after step F (counted from 0) as\n"
           "                      snapshot/frameFFFFFF.png\n"
           "  --home DIR          use DIR as the program folder for every file the game\n"
           "                      reads and writes (korvo.ini, critical.ini, profile,\n"
           "                      log, replay, snapshot, override folders); data.dll\n"
           "                      is looked for there first\n"
           "  --audio-out FILE    write the mixed sound to FILE as WAVE\n"
           "  --input-script FILE\n"
           "                      take the game's input from FILE instead of the\n"
           "                      keyboard and controller (format in README.md)\n"
           "  --help              show this text\n"
           "\n"
           "Testing:\n"
           "  --invulnerable      the craft cannot be hit or struck, so every phase of\n"
           "                      both chapters can be reached; such a game keeps no\n"
           "                      records and no replay, and the screen says so\n"
           "  --stage N[:P]       start a game of chapter N (0 or 1) alone from its\n"
           "                      phase P (0 intro, 1 waves, 2 approach, 3 boss,\n"
           "                      4 or 5 result), or of the boss test stage 111,\n"
           "                      instead of the title loop; unless it is a chapter\n"
           "                      from its start, the game keeps no records or replay\n"
           "  --autopilot         a pilot plays in place of a person (its games are\n"
           "                      ordinary replays; it keeps no records); alone it\n"
           "                      plays full runs back to back from the title\n"
           "  --games N           quit cleanly once N games have ended\n"
           "\n"
           "Replays:\n"
           "  --verify-replay FILE  play FILE unseen and unpaced and compare the digests\n"
           "                      of the game's state it holds and its final score;\n"
           "                      with --headless it draws with OpenGL (snapshots),\n"
           "                      an input script then drives the replay camera\n"
           "  --verbose           with --verify-replay: name the first object that\n"
           "                      differs\n"
           "\n"
           "Exit codes: 0 normal end, 1 another copy is running, 255 no score name\n"
           "(run the settings program first), no resource library or no folder that\n"
           "can keep the game's files, 2 a command line or input script that\n"
           "cannot be read, 3 no display to open the window on (use --headless).\n"
           "--verify-replay: 0 verified, 1 the game played\n"
           "differently (the first step that differs is named), 2 a file that cannot\n"
           "be read or is damaged, 3 a file without digests whose final score matched.\n";
}
