// Where the game's files are. An unpacked game keeps everything in its own
// folder: the resource library beside the program, and the player's files
// (records, settings, profile, replays, logs, snapshots) with it. An installed
// game, or one whose folder cannot be written, keeps the player's files in the
// player's data folder ($XDG_DATA_HOME/meridane-zeta) and finds its library in
// the installed data folder (share/meridane-zeta beside the programs' bin).
//
// The game and korvo-config both choose by this one rule, so that they always
// work on the same files.
#pragma once

#include <string>
#include <vector>

// The name of the player's data folder under $XDG_DATA_HOME, and of the
// installed data folder under share/.
extern const char* const kGameDataFolderName;  // "meridane-zeta"

// The resource library's file name.
extern const char* const kResourceLibraryName;  // "data.dll"

// The installed data folder of programs installed in exeDir: exeDir and the
// installed path from bin to share/meridane-zeta, with a trailing '/'.
std::string InstalledDataDir(const std::string& exeDir);

// "$XDG_DATA_HOME/meridane-zeta/", or "$HOME/.local/share/meridane-zeta/" when
// XDG_DATA_HOME is unset, empty or relative (the XDG rules ignore a relative
// one). "" when home is no absolute folder either.
std::string PlayerDataDir(const char* xdgDataHome, const char* home);

// Where the player's files go when no --home names a folder.
struct SGameFolderChoice {
    std::string m_strDir;            // with a trailing '/'; "" when no folder serves
    bool m_bPlayerDataFolder = false;  // the player's data folder, not the program's own
    std::string m_strError;          // when no folder serves: why, naming both
};

// The program's folder exeDir while it is an unpacked game's (its library
// beside it, or none installed) and can be written; otherwise the player's
// data folder playerDir ("" when none is known), made when it is missing
// (new folders 0700, as the XDG rules ask).
SGameFolderChoice ChooseGameFolder(const std::string& exeDir, const std::string& playerDir);

// The rule for the running program in its environment: chooses, makes the
// folder the program folder (SetProgramDir) and notes which it was. False with
// a message naming both folders when neither can keep the files.
bool UseGameFolder(std::string& error);

// True once UseGameFolder has chosen the player's data folder.
bool IsPlayerDataFolderInUse();

// Where to look for the resource library, in order, each folder once: the
// game's folder gameDir, the program's own folder exeDir when the player's
// data folder is in use (an unpacked game on a folder that cannot be
// written), then the installed data folder.
std::vector<std::string> ResourceLibraryFolders(const std::string& gameDir, const std::string& exeDir,
                                                bool playerDataFolder);
// The same for the running program.
std::vector<std::string> ResourceLibraryFolders();
