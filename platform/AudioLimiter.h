// The last stage of the mix before it becomes 16-bit samples: a peak limiter
// that keeps the sum of every voice below full scale, so a busy moment never
// clips.
//
// It only acts on the rare frame whose peak would pass the ceiling: the gain
// drops at once just far enough to meet it (so nothing passes), is held a
// moment, then eases back to exactly 1 slowly enough not to be heard as a
// swell. Below the ceiling and with the gain back at 1, samples pass unchanged
// to the bit. Both channels share one gain, so the stereo picture stays put.
#pragma once

class CPeakLimiter {
public:
    // -1.5 dBFS of the 16-bit scale: a little headroom under -1 dBFS.
    static constexpr float kCeiling = 27585.0f;
    static constexpr float kHoldSeconds = 0.05f;
    // Time constant of the way back to unity gain.
    static constexpr float kReleaseSeconds = 0.25f;

    explicit CPeakLimiter(int nRate);

    // Limits nFrames interleaved stereo frames in place (values on the 16-bit
    // scale, as the mixer sums them).
    void Process(float* pStereo, int nFrames);

private:
    // 1 - gain: kept as the distance to unity, which shrinks by a fixed factor
    // per frame (a gain just under 1 could not take such small steps).
    float m_fCut = 0.0f;
    int m_nHold = 0;
    const int m_nHoldFrames;
    const float m_fRelease;  // factor on the distance per frame
};
