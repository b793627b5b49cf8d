// A private program folder per test for the settings program, with helpers to
// run it in-process and to compare whole files.
#pragma once

#include "core/Util.h"
#include "tests/support/TempHome.h"
#include "tools/korvo-config/KorvoConfig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

class ConfigHome : public ::testing::Test, public CTempHome {
protected:
    // The program folder is given to the program with --home, not set here.
    ConfigHome() : CTempHome("mz-config", false) {}

    // Every name in the folder, so that a test sees stray files too.
    std::set<std::string> Listing() const
    {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Dir()))
            names.insert(e.path().filename().string());
        return names;
    }

    // Runs the program in-process on this folder; stdin is the given text.
    int Run(std::vector<std::string> args, const std::string& input = "", bool terminal = false)
    {
        args.insert(args.begin(), {"--home", Dir()});
        std::istringstream in(input);
        m_Out.str("");
        m_Err.str("");
        SConfigIo io{in, m_Out, m_Err, terminal};
        const int rc = RunKorvoConfig(args, io);
        SetProgramDir("");
        return rc;
    }

    std::ostringstream m_Out;
    std::ostringstream m_Err;
};
