// Where the game keeps its files: beside an unpacked game, in the player's XDG
// data folder for an installed one or one whose folder cannot be written.
#include "tests/support/TempHome.h"

#include "core/GameFolder.h"
#include "core/Util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(PlayerDataDir, FollowsTheXdgRules)
{
    const struct {
        const char* xdg;
        const char* home;
        const char* dir;
    } kCases[] = {
        {"/x/data", "/h", "/x/data/meridane-zeta/"},
        {"/x/data/", "/h", "/x/data/meridane-zeta/"},
        {nullptr, "/h", "/h/.local/share/meridane-zeta/"},
        {"", "/h/", "/h/.local/share/meridane-zeta/"},
        {"relative/data", "/h", "/h/.local/share/meridane-zeta/"},  // ignored, as the rules ask
        {nullptr, "relative", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(PlayerDataDir(c.xdg, c.home), c.dir) << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
}

TEST(InstalledDataDir, LiesBesideTheProgramsFolderUnderShare)
{
    EXPECT_EQ(InstalledDataDir("/usr/bin/"), "/usr/share/meridane-zeta/");
    EXPECT_EQ(InstalledDataDir("/usr/games"), "/usr/share/meridane-zeta/");
    EXPECT_EQ(InstalledDataDir("/stage/opt/mz/bin/"), "/stage/opt/mz/share/meridane-zeta/");
}

TEST(ResourceLibraryFolders, TheGamesFolderFirstThenTheProgramsThenTheInstalledOne)
{
    using V = std::vector<std::string>;
    // An unpacked game: its own folder, then the installed data folder.
    EXPECT_EQ(ResourceLibraryFolders("/g/bin/", "/g/bin/", false), (V{"/g/bin/", "/g/share/meridane-zeta/"}));
    // --home: that folder; the program's own is no place of the library then.
    EXPECT_EQ(ResourceLibraryFolders("/h", "/g/bin/", false), (V{"/h/", "/g/share/meridane-zeta/"}));
    // The player's data folder: an unpacked game that cannot be written keeps
    // its library beside the program.
    EXPECT_EQ(ResourceLibraryFolders("/p/", "/g/bin/", true),
              (V{"/p/", "/g/bin/", "/g/share/meridane-zeta/"}));
}

// A fake tree per test: a program folder, its installed data folder and a home.
class GameFolder : public ::testing::Test, public CTempHome {
protected:
    GameFolder() : CTempHome("mz-folder", false) {}
    std::string Bin() const { return Dir() + "prefix/bin/"; }
    std::string Player() const { return Dir() + "home/.local/share/meridane-zeta/"; }
    void Make(const std::string& name, const std::string& bytes = "MZ") const { WriteFile(name, bytes); }
};

TEST_F(GameFolder, AnUnpackedGameThatCanBeWrittenKeepsEverythingBesideTheProgram)
{
    // With its library beside it, and without one anywhere (a build folder).
    for (const bool library : {true, false}) {
        SCOPED_TRACE(library);
        fs::create_directories(Bin());
        if (library) Make("prefix/bin/data.dll");
        const SGameFolderChoice choice = ChooseGameFolder(Bin(), Player());
        EXPECT_EQ(choice.m_strDir, Bin());
        EXPECT_FALSE(choice.m_bPlayerDataFolder);
        EXPECT_TRUE(choice.m_strError.empty());
        EXPECT_FALSE(Exists("home")) << "the player's folder was made for nothing";
        fs::remove_all(Dir() + "prefix");
    }
}

TEST_F(GameFolder, AnInstalledGameKeepsThePlayersFilesInAPrivateDataFolder)
{
    // Its library in share/meridane-zeta, none beside it: even a folder the
    // user may write (an install into ~/.local, or root) is not used.
    fs::create_directories(Bin());
    Make("prefix/share/meridane-zeta/data.dll");
    fs::create_directories(Dir() + "home");
    ::chmod((Dir() + "home").c_str(), 0755);
    const SGameFolderChoice choice = ChooseGameFolder(Bin(), Player());
    EXPECT_EQ(choice.m_strDir, Player());
    EXPECT_TRUE(choice.m_bPlayerDataFolder);
    ASSERT_TRUE(fs::is_directory(Player()));
    // The folders made are the player's alone; the one that was there stays.
    const auto mode = [](const std::string& dir) { return fs::status(dir).permissions() & fs::perms::all; };
    EXPECT_EQ(mode(Player()), fs::perms::owner_all);
    EXPECT_EQ(mode(Dir() + "home/.local"), fs::perms::owner_all);
    EXPECT_EQ(mode(Dir() + "home"), fs::perms(0755));

    // Made once: the next start finds it as it is, the files in it kept.
    Make("home/.local/share/meridane-zeta/critical.ini", "scorename,tester\n");
    EXPECT_EQ(ChooseGameFolder(Bin(), Player()).m_strDir, Player());
    EXPECT_EQ(ReadFile("home/.local/share/meridane-zeta/critical.ini"), "scorename,tester\n");
}

TEST_F(GameFolder, AProgramFolderThatCannotBeWrittenSendsTheFilesToThePlayersFolder)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root writes any folder; the install test runs this as another user";
    fs::create_directories(Bin());
    Make("prefix/bin/data.dll");
    ::chmod(Bin().c_str(), 0555);
    const SGameFolderChoice choice = ChooseGameFolder(Bin(), Player());
    ::chmod(Bin().c_str(), 0755);
    EXPECT_EQ(choice.m_strDir, Player());
    EXPECT_TRUE(choice.m_bPlayerDataFolder);
}

TEST_F(GameFolder, NeitherFolderServingIsAnErrorNamingBoth)
{
    fs::create_directories(Bin());
    Make("prefix/share/meridane-zeta/data.dll");
    // The player's folder cannot be made (a file where a folder belongs), or
    // no home is known at all.
    Make("home/.local", "a file");
    for (const std::string& player : {Player(), std::string()}) {
        SCOPED_TRACE(player);
        const SGameFolderChoice choice = ChooseGameFolder(Bin(), player);
        EXPECT_TRUE(choice.m_strDir.empty());
        EXPECT_FALSE(choice.m_bPlayerDataFolder);
        EXPECT_NE(choice.m_strError.find("\"" + Bin() + "\""), std::string::npos) << choice.m_strError;
        EXPECT_NE(choice.m_strError.find("installed game"), std::string::npos) << choice.m_strError;
        EXPECT_NE(choice.m_strError.find(player.empty() ? "HOME" : "\"" + player + "\""), std::string::npos)
            << choice.m_strError;
        EXPECT_NE(choice.m_strError.find("--home"), std::string::npos) << choice.m_strError;
    }
    EXPECT_EQ(ReadFile("home/.local"), "a file");
}

}  // namespace
