#include "core/GameFolder.h"

#include "core/Util.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// Both come from the build, which also installs the files there.
#if !defined(MZ_DATA_NAME) || !defined(MZ_DATA_FROM_BIN)
#error "the build names the data folder (MZ_DATA_NAME) and its path from bin (MZ_DATA_FROM_BIN)"
#endif

const char* const kGameDataFolderName = MZ_DATA_NAME;
const char* const kResourceLibraryName = "data.dll";

namespace {

bool g_bPlayerDataFolder = false;

std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

// Why no file can be made in dir (as the running user), or "" when one can.
std::string FolderWriteFault(const std::string& dir)
{
    if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return "";
    return std::string("it cannot be written: ") + std::strerror(errno);
}

// Makes dir and any missing parents (new folders 0700) and says why files
// cannot be kept there, or "" when they can.
std::string MakePrivateFolder(const std::string& dir)
{
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return "it cannot be made: " + QuotedPath(part) + ": " + std::strerror(errno);
        if (slash == std::string::npos || slash + 1 >= dir.size()) break;
    }
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "it is not a folder";
    return FolderWriteFault(dir);
}

}  // namespace

std::string InstalledDataDir(const std::string& exeDir)
{
    const std::filesystem::path dir = std::filesystem::path(WithSlash(exeDir) + MZ_DATA_FROM_BIN).lexically_normal();
    return WithSlash(dir.string());
}

std::string PlayerDataDir(const char* xdgDataHome, const char* home)
{
    if (xdgDataHome && xdgDataHome[0] == '/') return WithSlash(xdgDataHome) + kGameDataFolderName + "/";
    if (home && home[0] == '/') return WithSlash(home) + ".local/share/" + kGameDataFolderName + "/";
    return "";
}

SGameFolderChoice ChooseGameFolder(const std::string& exeDir, const std::string& playerDir)
{
    SGameFolderChoice choice;
    // An installed game's library lies in the installed data folder, not
    // beside it: its folder is no place for a player's files, even where the
    // user may write (an install into ~/.local, or root).
    const bool installed = !FileExists(exeDir + kResourceLibraryName) &&
                           IsRegularFile(InstalledDataDir(exeDir) + kResourceLibraryName);
    const std::string programFault = installed ? "it holds an installed game" : FolderWriteFault(exeDir);
    if (programFault.empty()) {
        choice.m_strDir = WithSlash(exeDir);
        return choice;
    }
    const std::string playerFault =
        playerDir.empty() ? "neither XDG_DATA_HOME nor HOME names an absolute folder" : MakePrivateFolder(playerDir);
    if (playerFault.empty()) {
        choice.m_strDir = WithSlash(playerDir);
        choice.m_bPlayerDataFolder = true;
        return choice;
    }
    choice.m_strError = "The game's records, settings and replays can be kept neither in the program's folder " +
                        QuotedPath(exeDir) + " (" + programFault + ") nor in the player's data folder " +
                        (playerDir.empty() ? std::string() : QuotedPath(playerDir) + " ") + "(" + playerFault +
                        "). Let one of them be written, or name another folder with --home DIR.";
    return choice;
}

bool UseGameFolder(std::string& error)
{
    const char* home = std::getenv("HOME");
    std::string homeOfUser;
    if (!home || !*home) {
        // As a login would set it.
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) homeOfUser = pw->pw_dir;
        home = homeOfUser.c_str();
    }
    const SGameFolderChoice choice = ChooseGameFolder(GetExecutableDir(), PlayerDataDir(std::getenv("XDG_DATA_HOME"), home));
    if (choice.m_strDir.empty()) {
        error = choice.m_strError;
        return false;
    }
    SetProgramDir(choice.m_strDir);
    g_bPlayerDataFolder = choice.m_bPlayerDataFolder;
    return true;
}

bool IsPlayerDataFolderInUse()
{
    return g_bPlayerDataFolder;
}

std::vector<std::string> ResourceLibraryFolders(const std::string& gameDir, const std::string& exeDir,
                                                bool playerDataFolder)
{
    std::vector<std::string> folders;
    auto add = [&](const std::string& dir) {
        for (const std::string& known : folders)
            if (known == dir) return;
        folders.push_back(dir);
    };
    add(WithSlash(gameDir));
    if (playerDataFolder) add(WithSlash(exeDir));
    add(InstalledDataDir(exeDir));
    return folders;
}

std::vector<std::string> ResourceLibraryFolders()
{
    return ResourceLibraryFolders(GetProgramDir(), GetExecutableDir(), g_bPlayerDataFolder);
}
