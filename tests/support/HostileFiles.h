// Helpers for tests of files from outside and of failing writes: the file
// warnings a step gave, a watchdog that turns a read that blocks into a
// failure, and a limit on the size of written files (a full disk).
#pragma once

#include <csignal>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "core/Util.h"

// Collects the file warnings given while it lives (each text is said once per
// run, so the record of given texts is reset too).
class CaptureFileWarnings {
public:
    explicit CaptureFileWarnings(std::vector<std::string>* sink)
    {
        s_pSink = sink;
        ResetFileWarnings();
        SetFileWarningSink([](const char* text) { s_pSink->push_back(text); });
    }
    ~CaptureFileWarnings()
    {
        SetFileWarningSink(nullptr);
        ResetFileWarnings();
        s_pSink = nullptr;
    }

private:
    static inline std::vector<std::string>* s_pSink = nullptr;
};

// Ends the test process if a step blocks: a hang becomes a failure.
class Watchdog {
public:
    explicit Watchdog(unsigned seconds) { ::alarm(seconds); }
    ~Watchdog() { ::alarm(0); }
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
    struct rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_bOk = false;
};
