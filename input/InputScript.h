// CInputScript: input for channel 0 read from a small text file instead of the
// devices, so that whole flows (menus, play) run headless and the same way every
// time.
//
// One line per span of frames; '#' starts a comment, blank lines are skipped:
//
//     FROM[-TO] [NAME ...]
//
// FROM and TO count the frames of the main loop from 0 (TO included; FROM alone
// is one frame); each frame runs one step of the game unless the game is paused,
// so without a pause frames and steps are the same. Each NAME is a button held
// through the span (attack0, attack1, reload, dash, leftroll, rightroll, blade),
// an axis "x=V" or "y=V" with V in -1 ... 1 (y positive up), "escape", the
// Escape key pressed at the span's first frame, or "pause", the Pause key
// pressed there. A frame no line names is idle; where spans overlap the later
// line wins.
//
// The controls of a watched replay are names too, never part of a record:
// "fast" (x4 while held through the span), and at the span's first frame
// "step" (one step while paused), "speed1", "speed2", "speed4", "speed8",
// "seekback" and "seekfwd" (10 s).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "persist/InputRecord.h"

// What the viewer of a replay asks at one frame.
struct SViewerCommands {
    bool bStep = false;
    bool bFast = false;  // held
    int nSpeed = 0;      // 1, 2, 4 or 8; 0: unchanged
    int nSeek = 0;       // -1 back, +1 forward (10 s each)
};

class CInputScript {
public:
    // False with a message naming the line when the file cannot be read or a
    // line cannot be understood; the script is then empty.
    bool LoadFile(const std::string& path, std::string& error);
    bool LoadText(const std::string& text, std::string& error);

    // The record of the frame (idle where no line names it).
    CInputRecord RecordAt(int64_t frame) const;
    // Escape, or Pause, is pressed at this frame.
    bool EscapeAt(int64_t frame) const;
    bool PauseAt(int64_t frame) const;
    // The viewer's commands of the frame (fast where a span holds it, the
    // rest where a span starts; where spans overlap the later line wins).
    SViewerCommands ViewerAt(int64_t frame) const;
    // The last frame any line names (-1 for an empty script).
    int64_t LastStep() const;

private:
    struct SSpan {
        int64_t nFrom = 0;
        int64_t nTo = 0;
        CInputRecord rec;
        bool bEscape = false;
        bool bPause = false;
        SViewerCommands viewer;
    };
    // A key pressed at the first frame of a span.
    bool PressAt(bool SSpan::*key, int64_t frame) const;
    std::vector<SSpan> m_Spans;
};
