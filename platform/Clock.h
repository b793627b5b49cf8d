// The millisecond clock of the main loop, and a way to wait for a due time. The
// loop takes it as an interface so that pacing can be tested with a clock that
// tests move by hand.
#pragma once

#include <cstdint>

class CClock {
public:
    virtual ~CClock() = default;
    // Milliseconds since an arbitrary origin; wraps after 49.7 days, and callers
    // compare times by signed difference.
    virtual uint32_t NowMs() = 0;
    // Returns once NowMs() has reached due (at once if it has).
    virtual void WaitUntilMs(uint32_t due) = 0;
};

// The system's monotonic clock. Waiting sleeps until shortly before the due
// millisecond begins and spins (yielding) through the rest, so a step starts
// within a fraction of a millisecond of its time without keeping a core busy.
class CSystemClock : public CClock {
public:
    CSystemClock();
    uint32_t NowMs() override;
    void WaitUntilMs(uint32_t due) override;

private:
    int64_t NowNs() const;
    int64_t m_nOriginNs;
};
