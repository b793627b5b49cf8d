#include "tools/korvo-config/KorvoConfig.h"

#include "core/GameFolder.h"
#include "core/Util.h"
#include "persist/GlobalResult.h"
#include "persist/SettingsFile.h"

#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sys/stat.h>
#include <utility>

namespace {

const std::vector<std::string> kGraphicsKeys = {"windowmode", "vsync",        "bitdepth",
                                                "behavior",   "modelquality", "windowscale"};

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A whole signed decimal number within [lo, hi], nothing else around it.
bool ParseInteger(std::string_view text, int lo, int hi, int& value)
{
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size() || text.size() - i > 6)
        return false;
    int v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    if (negative)
        v = -v;
    if (v < lo || v > hi)
        return false;
    value = v;
    return true;
}

// Picks the stored text for a word of a small choice list.
bool Choose(std::string_view value, const std::vector<std::pair<const char*, const char*>>& words,
            std::string& stored)
{
    const std::string v = Lower(value);
    for (const auto& [word, text] : words)
        if (v == word) {
            stored = text;
            return true;
        }
    return false;
}

std::string Quoted(std::string_view s)
{
    return "\"" + std::string(s) + "\"";
}

// Splits "key=value"; false when there is no '='.
bool SplitAssignment(std::string_view text, std::string& key, std::string& value)
{
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = std::string(text.substr(0, eq));
    value = std::string(text.substr(eq + 1));
    return true;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Keys that only the records file holds: their presence in korvo.ini marks
// records kept there by an older version of the game.
bool IsRecordKey(const std::string& key)
{
    return key == "scorename" || key == "playcount" || key == "playtime" ||
           key.rfind("chaptor", 0) == 0 || key.rfind("barrage", 0) == 0;
}

// The game carries records kept in korvo.ini over to "critical.ini" when the
// latter is missing. Writing a fresh records file here first would skip that
// and lose them, so do the same carry-over before the first write.
bool CarryOverOldRecords(std::ostream& out)
{
    if (FileExists(kRecordsFile) || !FileExists(kSettingsFile))
        return true;
    CSettingsFile old(kSettingsFile);
    bool hasRecords = false;
    for (const auto& entry : old.GetEntries())
        if (IsRecordKey(entry.first))
            hasRecords = true;
    if (!hasRecords)
        return true;
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(kSettingsFile, bytes) ||
        !WriteFileAtomic(kRecordsFile, bytes.data(), bytes.size()))
        return false;
    out << "Records found in korvo.ini were copied to critical.ini.\n";
    return true;
}

struct SOptions {
    bool m_bHelp = false;
    bool m_bShow = false;
    bool m_bKeys = false;
    bool m_bAskName = false;
    bool m_bWait = false;
    std::optional<std::string> m_Home;
    std::optional<std::string> m_Name;          // already checked, as stored
    std::string m_strNameWarning;
    std::vector<std::pair<std::string, std::string>> m_Settings;  // korvo.ini key, stored value
    std::vector<std::string> m_Gets;
};

// Reads the command line into opts. False with a message on the first error.
bool ParseArgs(const std::vector<std::string>& args, SOptions& opts, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        }
        auto takeValue = [&](std::string& value) {
            if (inlineValue) {
                value = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        auto noValue = [&] {
            if (!inlineValue)
                return true;
            error = arg + " takes no value";
            return false;
        };

        std::string value;
        if (arg == "--help" || arg == "-h") {
            if (!noValue()) return false;
            opts.m_bHelp = true;
        } else if (arg == "--show") {
            if (!noValue()) return false;
            opts.m_bShow = true;
        } else if (arg == "--keys") {
            if (!noValue()) return false;
            opts.m_bKeys = true;
        } else if (arg == "--ask-name") {
            if (!noValue()) return false;
            opts.m_bAskName = true;
        } else if (arg == "--wait") {
            if (!noValue()) return false;
            opts.m_bWait = true;
        } else if (arg == "--home") {
            if (!takeValue(value)) return false;
            if (value.empty()) {
                error = "--home needs a folder";
                return false;
            }
            opts.m_Home = value;
        } else if (arg == "--name") {
            if (!takeValue(value)) return false;
            std::string stored, warning;
            if (!PrepareScoreName(value, stored, error, warning))
                return false;
            opts.m_Name = stored;
            opts.m_strNameWarning = warning;
        } else if (arg == "--set") {
            if (!takeValue(value)) return false;
            std::string key, v, stored;
            if (!SplitAssignment(value, key, v)) {
                error = "--set needs KEY=VALUE, not " + Quoted(value);
                return false;
            }
            key = Lower(key);
            if (!IsGraphicsKey(key)) {
                error = "unknown setting " + Quoted(key) +
                        " (windowmode, vsync, bitdepth, behavior, modelquality, windowscale; "
                        "bindings use --bind)";
                return false;
            }
            if (!ParseGraphicsValue(key, v, stored, error))
                return false;
            opts.m_Settings.emplace_back(key, stored);
        } else if (arg == "--bind") {
            if (!takeValue(value)) return false;
            std::string action, v, stored;
            if (!SplitAssignment(value, action, v)) {
                error = "--bind needs ACTION=KEY, not " + Quoted(value);
                return false;
            }
            const SBinding* binding = FindBinding(action);
            if (!binding) {
                error = "unknown action " + Quoted(action) +
                        " (up, down, left, right, attack0, attack1, reload, dash, leftroll, "
                        "rightroll, blade; pad.attack0 ... pad.blade for controller buttons)";
                return false;
            }
            if (!ParseBindingValue(*binding, v, stored, error))
                return false;
            opts.m_Settings.emplace_back(binding->m_pszIniKey, stored);
        } else if (arg == "--get") {
            if (!takeValue(value)) return false;
            opts.m_Gets.push_back(value);
        } else {
            error = "unknown option " + Quoted(arg);
            return false;
        }
    }
    return true;
}

// One line from the input, without its line end. False at the end of input.
bool ReadLine(SConfigIo& io, std::string& line)
{
    if (!std::getline(io.m_In, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

// Asks until a usable score name is given. False when the input ends.
bool AskScoreName(SConfigIo& io, const std::string& current, std::string& stored)
{
    for (;;) {
        io.m_Out << "Score name";
        if (!current.empty())
            io.m_Out << " [" << EscapeForDisplay(current) << "]";
        io.m_Out << ": " << std::flush;
        std::string line;
        if (!ReadLine(io, line))
            return false;
        std::string error, warning;
        if (line.empty() && !current.empty()) {
            stored = current;
            return true;
        }
        if (PrepareScoreName(line, stored, error, warning)) {
            if (!warning.empty())
                io.m_Out << warning << "\n";
            return true;
        }
        io.m_Out << error << "\n";
    }
}

void ShowSettings(std::ostream& out)
{
    CSettingsFile records(kRecordsFile);
    CSettingsFile settings(kSettingsFile);
    // Names come from files anyone may have edited: shown escaped, so that no
    // byte of them reaches the terminal as a command.
    out << "Folder: " << EscapeForDisplay(GetProgramDir()) << "\n\n";
    const std::string name = records.GetString("scorename", "");
    out << "critical.ini\n  scorename      "
        << (name.empty() ? std::string("(not set: the game will not start)") : EscapeForDisplay(name))
        << "\n\n";
    out << "korvo.ini\n";
    for (const std::string& key : GraphicsKeys()) {
        const std::string v = settings.GetString(key, "");
        std::string shown = settings.Has(key) ? (v.empty() ? "(empty)" : EscapeForDisplay(v)) : "(not set)";
        shown.resize(shown.size() < 10 ? 10 : shown.size(), ' ');
        std::string label = key;
        label.resize(14, ' ');
        out << "  " << label << " " << shown << " " << DescribeGraphicsValue(key, v) << "\n";
    }
    out << "\nBindings (--bind ACTION=KEY)            korvo.ini key\n";
    for (const SBinding& b : Bindings()) {
        const std::string v = settings.GetString(b.m_pszIniKey, "");
        const int code = EffectiveBinding(b, v);
        std::string shown = b.m_bPad ? NameOfPadButton(code) : NameOfScanCode(code);
        if (b.m_bPad && (code < 0 || code > 31))
            shown += " (no such button)";
        std::string label = b.m_pszAction;
        label.resize(14, ' ');
        shown.resize(shown.size() < 24 ? 24 : shown.size(), ' ');
        out << "  " << label << " " << shown << " " << b.m_pszIniKey << " = " << code
            << (v.empty() ? " (default)" : "") << "\n";
    }
}

void ListKeys(std::ostream& out)
{
    out << "Key names for --bind (any case; #N is scan code N, None is no key):\n";
    int lastCode = -1;
    for (const SKeyName& k : KeyNames()) {
        if (k.m_nCode != lastCode)
            out << (lastCode < 0 ? "" : "\n") << "  " << k.m_nCode << "\t" << k.m_pszName;
        else
            out << ", " << k.m_pszName;
        lastCode = k.m_nCode;
    }
    out << "\nController buttons for --bind pad.ACTION=: 0-31, or A B X Y LB RB Back Start LS RS"
           " (buttons 0-9).\n";
}

// Warns about keyboard keys that now serve two actions (allowed, but rarely meant).
void WarnSharedKeys(std::ostream& err)
{
    CSettingsFile settings(kSettingsFile);
    std::map<int, std::vector<const char*>> users;
    for (const SBinding& b : Bindings())
        if (!b.m_bPad) {
            const int code = EffectiveBinding(b, settings.GetString(b.m_pszIniKey, ""));
            if (code != 0)
                users[code].push_back(b.m_pszAction);
        }
    for (const auto& [code, actions] : users)
        if (actions.size() > 1) {
            err << "warning: " << NameOfScanCode(code) << " is bound to";
            for (std::size_t i = 0; i < actions.size(); ++i)
                err << (i == 0 ? " " : i + 1 == actions.size() ? " and " : ", ") << actions[i];
            err << "\n";
        }
}

// The interactive session: score name, window mode, optionally every binding.
// Collects the answers into opts; false when the input ended (nothing is written then).
bool AskEverything(SConfigIo& io, SOptions& opts)
{
    CSettingsFile records(kRecordsFile);
    CSettingsFile settings(kSettingsFile);
    io.m_Out << "Meridane Zeta settings in " << GetProgramDir()
             << "\nPress Enter to keep the value in brackets.\n\n";

    std::string name;
    if (!AskScoreName(io, records.GetString("scorename", ""), name))
        return false;
    opts.m_Name = name;

    for (;;) {
        const std::string mode = settings.GetString("windowmode", "") == "0" ? "0" : "1";
        io.m_Out << "Window mode, 0 = a window, 1 = full screen [" << mode << "]: " << std::flush;
        std::string line, stored, error;
        if (!ReadLine(io, line))
            return false;
        if (line.empty())
            break;
        if (ParseGraphicsValue("windowmode", line, stored, error)) {
            opts.m_Settings.emplace_back("windowmode", stored);
            break;
        }
        io.m_Out << error << "\n";
    }

    io.m_Out << "Change the key and controller bindings? [y/N]: " << std::flush;
    std::string answer;
    if (!ReadLine(io, answer))
        return false;
    if (Lower(answer) != "y" && Lower(answer) != "yes")
        return true;
    io.m_Out << "Key names such as Z, Up, LShift, Space, F1; controller buttons 0-31 or A, B, X, Y,"
                " LB, RB, Back, Start.\n";
    for (const SBinding& b : Bindings()) {
        for (;;) {
            const int code = EffectiveBinding(b, settings.GetString(b.m_pszIniKey, ""));
            io.m_Out << "  " << b.m_pszAction << " ["
                     << (b.m_bPad ? std::to_string(code) : NameOfScanCode(code)) << "]: "
                     << std::flush;
            std::string line, stored, error;
            if (!ReadLine(io, line))
                return false;
            if (line.empty())
                break;
            if (ParseBindingValue(b, line, stored, error)) {
                opts.m_Settings.emplace_back(b.m_pszIniKey, stored);
                break;
            }
            io.m_Out << error << "\n";
        }
    }
    return true;
}

// Writes the collected changes. Records first (with the carry-over of old
// records), then the settings file; each file is replaced whole or not at all.
int ApplyChanges(SConfigIo& io, const SOptions& opts)
{
    int rc = kExitOk;
    if (opts.m_Name) {
        if (!CarryOverOldRecords(io.m_Out)) {
            io.m_Err << "korvo-config: cannot write " << ResolvePath(kRecordsFile) << "\n";
            return kExitFailed;
        }
        CSettingsFile records(kRecordsFile);
        const bool changed = records.GetString("scorename", "") != *opts.m_Name;
        records.SetString("scorename", *opts.m_Name);
        if (!records.Save()) {
            io.m_Err << "korvo-config: cannot write " << records.GetPath()
                     << "; the score name is unchanged\n";
            return kExitFailed;
        }
        if (changed)
            io.m_Out << "Score name set to " << Quoted(*opts.m_Name) << ".\n";
    }
    if (!opts.m_Settings.empty()) {
        auto settings = std::make_unique<CSettingsFile>(kSettingsFile);
        for (const auto& [key, value] : opts.m_Settings)
            settings->SetString(key, value);
        const bool changed = settings->IsModified();
        if (!settings->Save()) {
            io.m_Err << "korvo-config: cannot write " << settings->GetPath()
                     << "; the settings are unchanged\n";
            rc = kExitFailed;
        } else if (changed) {
            io.m_Out << "Saved " << settings->GetPath() << ".\n";
        }
        settings.reset();
        WarnSharedKeys(io.m_Err);
    }
    return rc;
}

} // namespace

const std::vector<std::string>& GraphicsKeys()
{
    return kGraphicsKeys;
}

bool IsGraphicsKey(std::string_view key)
{
    for (const std::string& k : kGraphicsKeys)
        if (k == key)
            return true;
    return false;
}

bool ParseGraphicsValue(std::string_view key, std::string_view value, std::string& stored,
                        std::string& error)
{
    if (Lower(value) == "default") {
        stored.clear();  // every graphics key reads an empty value as its default
        return true;
    }
    bool ok = false;
    const char* expected = "";
    if (key == "windowmode") {
        ok = Choose(value, {{"0", "0"}, {"window", "0"}, {"1", "1"}, {"fullscreen", "1"}}, stored);
        expected = "0 or window, 1 or fullscreen";
    } else if (key == "vsync") {
        ok = Choose(value, {{"0", "0"}, {"off", "0"}, {"1", "1"}, {"on", "1"}}, stored);
        expected = "0 or off, 1 or on";
    } else if (key == "bitdepth") {
        ok = Choose(value, {{"0", "0"}, {"16", "0"}, {"1", "1"}, {"32", "1"}}, stored);
        expected = "16 (or 0), 32 (or 1)";
    } else if (key == "behavior") {
        ok = Choose(value, {{"0", "0"}, {"software", "0"}, {"1", "1"}, {"hardware", "1"}}, stored);
        expected = "0 or software, 1 or hardware";
    } else if (key == "modelquality") {
        int q = 0;
        ok = ParseInteger(value, -5, 0, q);
        if (ok) stored = std::to_string(q);
        expected = "a whole number from -5 (plainest models) to 0 (full models)";
    } else if (key == "windowscale") {
        int s = 0;
        ok = ParseInteger(value, 1, 8, s);
        if (ok) stored = std::to_string(s);
        expected = "a whole number from 1 to 8";
    } else {
        error = "unknown setting " + Quoted(key);
        return false;
    }
    if (!ok)
        error = "bad value " + Quoted(value) + " for " + std::string(key) + ": " + expected +
                ", or default";
    return ok;
}

std::string DescribeGraphicsValue(std::string_view key, std::string_view stored)
{
    // The game's own reading of each key (an empty value is the default).
    if (key == "windowmode")
        return stored == "0" ? "a window" : "full screen";
    if (key == "vsync")
        return stored == "0" ? "off" : "on in full screen (always off in a window)";
    if (key == "bitdepth")
        return stored == "1" ? "32-bit (noted only: the picture is always 32-bit)"
                             : "16-bit (noted only: the picture is always 32-bit)";
    if (key == "behavior")
        return !stored.empty() && ParseDecimal(stored) == 0 ? "software (noted only)"
                                                            : "hardware (noted only)";
    if (key == "modelquality")
        return "model quality " + std::to_string(stored.empty() ? 0 : ParseDecimal(stored));
    if (key == "windowscale") {
        int s = stored.empty() ? 1 : ParseDecimal(stored);
        s = s < 1 ? 1 : s > 8 ? 8 : s;
        return "window " + std::to_string(640 * s) + " x " + std::to_string(480 * s);
    }
    return "";
}

std::string CutUtf8(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t end = maxBytes;
    // Step back over continuation bytes to the start of the cut character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

bool PrepareScoreName(std::string_view name, std::string& stored, std::string& error,
                      std::string& warning)
{
    warning.clear();
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    if (name.empty()) {
        error = "the score name is empty";
        return false;
    }
    if (!IsValidUtf8(name)) {
        error = "the score name is not UTF-8 text";
        return false;
    }
    std::uint32_t cp = 0;
    for (std::size_t pos = 0; DecodeUtf8(name, pos, cp);)
        if (IsControlCodePoint(cp)) {
            error = "the score name may not hold control characters such as tabs, line feeds or "
                    "direction overrides";
            return false;
        }
    stored = CutUtf8(name, kReplayScoreNameBytes);
    if (stored.size() < name.size())
        warning = "warning: replays keep only " + std::to_string(kReplayScoreNameBytes) +
                  " bytes of a score name; it was cut to " + Quoted(stored) + " (" +
                  std::to_string(stored.size()) + " bytes).";
    return true;
}

std::string KorvoConfigHelp()
{
    return "Usage: korvo-config [OPTION]...\n"
           "Settings of Meridane Zeta: the score name in critical.ini, the graphics keys and\n"
           "the key and controller bindings in korvo.ini. Every other key of both files is\n"
           "kept. Without options, in a terminal, it asks for the score name, the window\n"
           "mode and, if you like, the bindings.\n"
           "\n"
           "  --name NAME         set the score name (needed before the game starts). A\n"
           "                      replay keeps 16 bytes of it, so a longer name is cut to\n"
           "                      16 bytes at a character boundary, with a warning\n"
           "  --ask-name          ask for a score name on standard input if none is set\n"
           "  --set KEY=VALUE     set a graphics key:\n"
           "                        windowmode   0/window or 1/fullscreen;\n"
           "                        vsync        0/off or 1/on (full screen only);\n"
           "                        bitdepth     16 or 32 (noted only);\n"
           "                        behavior     0/software or 1/hardware (noted only);\n"
           "                        modelquality -5 (plainest models) ... 0 (full);\n"
           "                        windowscale  1 ... 8, the window's size factor\n"
           "  --bind ACTION=KEY   bind a keyboard key to up, down, left, right, attack0,\n"
           "                      attack1, reload, dash, leftroll, rightroll or blade\n"
           "                      (e.g. --bind attack0=Z --bind up=Up --bind dash=LShift)\n"
           "  --bind pad.ACTION=N\n"
           "                      bind controller button N (0-31, or A B X Y LB RB Back\n"
           "                      Start LS RS) to attack0, attack1, reload, dash, leftroll,\n"
           "                      rightroll or blade (e.g. --bind pad.attack0=2)\n"
           "                      The value default restores the game's default.\n"
           "  --get KEY           print a key's stored value (scorename from critical.ini,\n"
           "                      any other key from korvo.ini; empty when not set)\n"
           "  --show              show the score name, graphics keys and bindings\n"
           "  --keys              list the key names --bind accepts\n"
           "  --wait              on a terminal, wait for Enter before ending (for a\n"
           "                      terminal opened for this program alone, as the\n"
           "                      desktop menu's entry opens one)\n"
           "  --home DIR          the game's folder holding the files (default: the one the\n"
           "                      game chooses: the folder of both programs, or for an\n"
           "                      installed game or a folder that cannot be written\n"
           "                      $XDG_DATA_HOME/meridane-zeta, ~/.local/share/meridane-zeta)\n"
           "  --help              show this text\n"
           "\n"
           "Exit codes: 0 done, 1 a file or the game's folder could not be written or no\n"
           "name was given, 2 an option or value that cannot be used (nothing is written\n"
           "then).\n";
}

namespace {

int RunWithOptions(SOptions& opts, SConfigIo& io)
{
    std::string error;
    if (opts.m_bHelp) {
        io.m_Out << KorvoConfigHelp();
        return kExitOk;
    }
    if (opts.m_Home) {
        if (!IsFolder(*opts.m_Home)) {
            io.m_Err << "korvo-config: --home " << Quoted(*opts.m_Home) << " is not a folder\n";
            return kExitUsage;
        }
        SetProgramDir(*opts.m_Home);
    } else if (!UseGameFolder(error)) {
        io.m_Err << "korvo-config: " << error << "\n";
        return kExitFailed;
    }
    if (opts.m_bKeys)
        ListKeys(io.m_Out);

    const bool nothingAsked = !opts.m_bShow && !opts.m_bKeys && !opts.m_bAskName && !opts.m_Name &&
                              opts.m_Settings.empty() && opts.m_Gets.empty();
    if (nothingAsked) {
        if (!io.m_bTerminal) {
            ShowSettings(io.m_Out);
            io.m_Out << "\n(korvo-config --help lists the options.)\n";
            return kExitOk;
        }
        if (!AskEverything(io, opts)) {
            io.m_Err << "\nkorvo-config: input ended; nothing was written\n";
            return kExitFailed;
        }
    }
    if (opts.m_bAskName && !opts.m_Name) {
        const std::string current = CSettingsFile(kRecordsFile).GetString("scorename", "");
        if (current.empty()) {
            io.m_Out << "No score name is set yet. The game keeps it in its records and in every"
                        " replay (16 bytes).\n";
            std::string name;
            if (!AskScoreName(io, "", name)) {
                io.m_Err << "\nkorvo-config: no score name was given; nothing was written\n";
                return kExitFailed;
            }
            opts.m_Name = name;
        }
    }
    if (!opts.m_strNameWarning.empty())
        io.m_Err << opts.m_strNameWarning << "\n";

    const int rc = ApplyChanges(io, opts);

    for (const std::string& key : opts.m_Gets) {
        const char* file = key == "scorename" ? kRecordsFile : kSettingsFile;
        io.m_Out << EscapeForDisplay(CSettingsFile(file).GetString(key, "")) << "\n";
    }
    if (opts.m_bShow)
        ShowSettings(io.m_Out);
    return rc;
}

}  // namespace

int RunKorvoConfig(const std::vector<std::string>& args, SConfigIo& io)
{
    SOptions opts;
    std::string error;
    int rc = kExitUsage;
    if (!ParseArgs(args, opts, error))
        io.m_Err << "korvo-config: " << error << "\nTry korvo-config --help.\n";
    else
        rc = RunWithOptions(opts, io);
    // A terminal opened for this program alone closes when it ends: let the
    // player read the outcome first, whatever it was.
    if (opts.m_bWait && io.m_bTerminal) {
        io.m_Out << "\nPress Enter to close." << std::flush;
        std::string line;
        ReadLine(io, line);
    }
    return rc;
}
