// The frame clock of the main loop: steps of 16 and 17 milliseconds alternately,
// each counted from the time the step begins, so a late step is followed by one
// more step 16 or 17 ms later and never by a burst of catch-up steps; and the
// frames-per-second figure, renewed once a second.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

struct FrameTimer {
    int32_t m_nFps = 0;            // frames counted during the last whole second
    int32_t m_nFrames = 0;         // frames counted since the last second mark
    uint32_t m_dwNow = 0;          // time of the current loop pass (ms)
    uint32_t m_dwUnused3 = 0;
    uint32_t m_dwNextFrame = 0;    // earliest time of the next step
    uint32_t m_dwNextSecond = 0;   // time of the next second mark
    uint32_t m_dwUnused6 = 0;
    uint32_t m_dwUnused7 = 0;

    void CountFrame() { ++m_nFrames; }
    void NextSecond()
    {
        m_nFps = m_nFrames;
        m_nFrames = 0;
        m_dwNextSecond = m_dwNow + 1000;
    }
};

extern FrameTimer g_FrameTimer;

// The pacing rules over a FrameTimer and a clock (the system's, or a test's).
class CFramePacer {
public:
    CFramePacer(FrameTimer& timer, CClock& clock) : m_Timer(timer), m_Clock(clock) {}

    // Start of the loop: the first step is due 16 ms from now; the first second
    // mark 1000 ms from now.
    void Start();
    // An idle pass: reads the clock into m_dwNow. When a step is due (always when
    // the display paces the loop or steps run unpaced) it schedules the next one
    // (16 or 17 ms from now, alternately) and returns true; the caller then runs
    // the step and calls CountFrame on the timer.
    bool BeginPass(bool displayPaced, bool unpaced);
    // The second mark, checked on every idle pass with the time BeginPass read:
    // true when it was reached (the figure was renewed; the caller adds a second
    // of play time).
    bool CheckSecond();
    // Between passes with nothing to do: waits until the next step or second mark
    // is due. Returns at once when the display or nothing paces the steps.
    void WaitForNextDue(bool displayPaced, bool unpaced);

    bool Alternator() const { return m_bAlternator; }

private:
    static bool Reached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }
    void Schedule(uint32_t now);

    FrameTimer& m_Timer;
    CClock& m_Clock;
    bool m_bAlternator = false;
};
