// CInputScript: input for channel 0 read from a small text file instead of the
// devices, so that whole flows (menus, play) run headless and the same way every
// time.
//
// One line per span of steps; '#' starts a comment, blank lines are skipped:
//
//     FROM[-TO] [NAME ...]
//
// FROM and TO count the steps of the program from 0 (TO included; FROM alone is
// one step). Each NAME is a button held through the span (attack0, attack1,
// reload, dash, leftroll, rightroll, blade), an axis "x=V" or "y=V" with V in
// -1 ... 1 (y positive up), or "escape", the Escape key pressed at the span's
// first step. A step no line names is idle; where spans overlap the later line
// wins.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "persist/InputRecord.h"

class CInputScript {
public:
    // False with a message naming the line when the file cannot be read or a
    // line cannot be understood; the script is then empty.
    bool LoadFile(const std::string& path, std::string& error);
    bool LoadText(const std::string& text, std::string& error);

    // The record of the step (idle where no line names it).
    CInputRecord RecordAt(int64_t step) const;
    // Escape is pressed at this step.
    bool EscapeAt(int64_t step) const;
    // The last step any line names (-1 for an empty script).
    int64_t LastStep() const;

private:
    struct SSpan {
        int64_t nFrom = 0;
        int64_t nTo = 0;
        CInputRecord rec;
        bool bEscape = false;
    };
    std::vector<SSpan> m_Spans;
};
