// A fresh program folder per test, so that every relative path the code under
// test uses lands in a private temporary folder.
#pragma once

#include "core/Util.h"
#include "tests/support/FileWarnings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

class TempHome : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "mz_persist_XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_strDir = tmpl + "/";
        SetProgramDir(m_strDir);
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
        std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path());
        std::ofstream f(PathOf(name), std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::string ReadFile(const std::string& name) const
    {
        std::ifstream f(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

    std::string m_strDir;
};

// Limits the size of files this process may write, so that a write fails part
// way through as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        struct rlimit lim = m_old;
        lim.rlim_cur = bytes;
        m_bOk = ::setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool Ok() const { return m_bOk; }

private:
    struct rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_bOk = false;
};
