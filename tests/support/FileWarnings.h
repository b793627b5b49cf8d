// Helpers for tests of files from outside: the file warnings a step gave,
// and a watchdog that turns a read that blocks into a failure.
#pragma once

#include <string>
#include <vector>

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
