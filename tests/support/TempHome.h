// A private program folder per test: a fresh temporary folder, removed with
// everything in it at the end. Every test that touches files uses this one
// helper; the fixture TempHome also makes it the program folder, so every
// relative path of the code under test lands in it.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/Util.h"

class CTempHome {
public:
    // prefix names the folder (for a reader of /tmp); with programDir the
    // folder is the program folder until the end.
    explicit CTempHome(const char* prefix = "mz", bool programDir = true) : m_bProgramDir(programDir)
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (::mkdtemp(tmpl.data()) == nullptr) {
            ADD_FAILURE() << "no temporary folder";
            return;
        }
        m_strDir = tmpl + "/";
        if (m_bProgramDir) SetProgramDir(m_strDir);
    }
    ~CTempHome()
    {
        if (m_bProgramDir) SetProgramDir("");
        std::error_code ec;
        if (!m_strDir.empty()) std::filesystem::remove_all(m_strDir, ec);
    }
    CTempHome(const CTempHome&) = delete;
    CTempHome& operator=(const CTempHome&) = delete;

    // The folder, with a trailing separator.
    const std::string& Dir() const { return m_strDir; }
    std::filesystem::path Path() const { return std::filesystem::path(m_strDir); }
    std::string PathOf(const std::string& name) const { return m_strDir + name; }

    // Writes a file (its folders made as needed), replacing any earlier one.
    void WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path());
        std::ofstream f(PathOf(name), std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // The whole file; empty when it cannot be read.
    std::string ReadFile(const std::string& name) const
    {
        std::ifstream f(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

#ifdef MZ_BIN_DIR
    // The game's folder with the built resource library (a link to it) and a
    // records file naming the player, as a first start finds it.
    void MakeGameFolder(const std::string& scoreName = "tester") const
    {
        std::error_code ec;
        std::filesystem::create_symlink(std::filesystem::path(MZ_BIN_DIR) / "data.dll", PathOf("data.dll"), ec);
        EXPECT_FALSE(ec) << ec.message();
        if (!scoreName.empty()) WriteFile("critical.ini", "scorename," + scoreName + "\n");
    }
#endif

private:
    std::string m_strDir;
    bool m_bProgramDir = true;
};

// A test whose program folder is a fresh temporary folder.
class TempHome : public ::testing::Test, public CTempHome {
protected:
    TempHome() : CTempHome("mz-test") {}
};
