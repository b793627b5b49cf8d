// The built korvo-config program, run as a player runs it.
#include "ConfigHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

class ConfigProgram : public ConfigHome {
protected:
    // Runs the program on this folder with args (shell words, already quoted)
    // and stdin from the given text; returns its exit code.
    int Exec(const std::string& args, const std::string& input = "")
    {
        WriteFile(".stdin", input);
        const std::string cmd = std::string("'") + MZ_BIN_DIR + "/korvo-config' --home '" +
                                Dir() + "' " + args + " <'" + PathOf(".stdin") + "' >'" +
                                PathOf(".stdout") + "' 2>'" + PathOf(".stderr") + "'";
        const int status = std::system(cmd.c_str());
        m_strOut = ReadFile(".stdout");
        m_strErr = ReadFile(".stderr");
        for (const char* f : {".stdin", ".stdout", ".stderr"})
            std::filesystem::remove(PathOf(f));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string m_strOut;
    std::string m_strErr;
};

TEST_F(ConfigProgram, SetsNameAndBindingsKeepingOtherKeys)
{
    WriteFile("critical.ini", "playtime,77\nbarrage20.TotalCount,3\n");
    WriteFile("korvo.ini", "custom,x\n");
    ASSERT_EQ(Exec("--name 'Ｍｅｒｉｄａｎｅ' --bind attack0=Up --bind pad.blade=y "
                   "--set vsync=off"),
              0)
        << m_strErr;
    // Nine full-width letters are 27 bytes: five fit in the 16 a replay keeps.
    EXPECT_EQ(ReadFile("critical.ini"),
              "barrage20.TotalCount,3\nplaytime,77\nscorename,Ｍｅｒｉｄ\n");
    EXPECT_EQ(ReadFile("korvo.ini"), "attack0key,200\nblade,3\ncustom,x\nvsync,0\n");
    EXPECT_NE(m_strErr.find("16 bytes"), std::string::npos) << m_strErr;
    // Up now moves and fires: allowed, but said.
    EXPECT_NE(m_strErr.find("Up is bound to up and attack0"), std::string::npos) << m_strErr;
}

TEST_F(ConfigProgram, ExitCodes)
{
    EXPECT_EQ(Exec("--help"), 0);
    EXPECT_NE(m_strOut.find("--bind"), std::string::npos);

    EXPECT_EQ(Exec("--bind attack0=Banana"), 2);
    EXPECT_NE(m_strErr.find("unknown key name \"Banana\""), std::string::npos) << m_strErr;
    EXPECT_EQ(Exec("--set windowscale=12"), 2);
    EXPECT_NE(m_strErr.find("windowscale"), std::string::npos) << m_strErr;
    EXPECT_TRUE(Listing().empty());

    EXPECT_EQ(std::system((std::string("'") + MZ_BIN_DIR +
                           "/korvo-config' --home /nonexistent/mz >/dev/null 2>&1")
                              .c_str()) >> 8,
              2);
}

TEST_F(ConfigProgram, WithoutArgumentsOrTerminalItOnlyShows)
{
    WriteFile("korvo.ini", "windowmode,0\n");
    ASSERT_EQ(Exec("", "alice\n"), 0);
    EXPECT_NE(m_strOut.find("not set: the game will not start"), std::string::npos) << m_strOut;
    EXPECT_EQ(Listing(), (std::set<std::string>{"korvo.ini"}));
}

TEST_F(ConfigProgram, AskNameReadsStandardInput)
{
    ASSERT_EQ(Exec("--ask-name", "\nzed\n"), 0) << m_strErr;
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,zed\n");
    ASSERT_EQ(Exec("--get scorename"), 0);
    EXPECT_EQ(m_strOut, "zed\n");
}

}  // namespace
