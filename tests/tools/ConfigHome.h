// A private program folder per test for the settings program, with helpers to
// run it in-process and to compare whole files.
#pragma once

#include "core/Util.h"
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

class ConfigHome : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "mz_config_XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_strDir = tmpl + "/";
    }

    void TearDown() override
    {
        SetProgramDir("");
        std::error_code ec;
        std::filesystem::remove_all(m_strDir, ec);
    }

    std::string PathOf(const std::string& name) const { return m_strDir + name; }

    void WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream f(PathOf(name), std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::string ReadFile(const std::string& name) const
    {
        std::ifstream f(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

    // Every name in the folder, so that a test sees stray files too.
    std::set<std::string> Listing() const
    {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_strDir))
            names.insert(e.path().filename().string());
        return names;
    }

    // Runs the program in-process on this folder; stdin is the given text.
    int Run(std::vector<std::string> args, const std::string& input = "", bool terminal = false)
    {
        args.insert(args.begin(), {"--home", m_strDir});
        std::istringstream in(input);
        m_Out.str("");
        m_Err.str("");
        SConfigIo io{in, m_Out, m_Err, terminal};
        const int rc = RunKorvoConfig(args, io);
        SetProgramDir("");
        return rc;
    }

    std::string m_strDir;
    std::ostringstream m_Out;
    std::ostringstream m_Err;
};
