#include "platform/AudioLimiter.h"

#include <algorithm>
#include <cmath>

namespace {
// Closer to unity than this the gain snaps to exactly 1, so that once a peak
// has passed the output is again the plain sum to the bit.
constexpr float kUnitySnap = 1e-4f;
}  // namespace

CPeakLimiter::CPeakLimiter(int nRate)
    : m_nHoldFrames(static_cast<int>(kHoldSeconds * static_cast<float>(std::max(nRate, 1)))),
      m_fRelease(static_cast<float>(std::exp(-1.0 / (kReleaseSeconds * std::max(nRate, 1)))))
{
}

void CPeakLimiter::Process(float* pStereo, int nFrames)
{
    for (int i = 0; i < nFrames; ++i) {
        float* frame = pStereo + 2 * i;
        const float peak = std::max(std::fabs(frame[0]), std::fabs(frame[1]));
        if (peak * (1.0f - m_fCut) > kCeiling) {
            m_fCut = 1.0f - kCeiling / peak;
            m_nHold = m_nHoldFrames;
        } else if (m_nHold > 0) {
            --m_nHold;
        } else if (m_fCut > 0.0f) {
            m_fCut *= m_fRelease;
            if (m_fCut < kUnitySnap) m_fCut = 0.0f;
        }
        if (m_fCut > 0.0f) {
            const float gain = 1.0f - m_fCut;
            frame[0] *= gain;
            frame[1] *= gain;
        }
    }
}
