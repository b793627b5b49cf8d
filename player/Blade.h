// CBlade: the craft's short blade, and the bosses' close-range swipe. A blade
// is alive during a swing (12 frames) and dead otherwise; its owner embeds it,
// steps it, tests its probes and draws it. It is never in a list.
#pragma once

#include "core/Object.h"

class CBlade : public CObject {
public:
    static constexpr float kReach = 1.5f;
    static constexpr int kProbes = 4;           // at 0.375, 0.75, 1.125, 1.5
    static constexpr float kProbeRadius = 0.5f;
    static constexpr int kSwingFrames = 12;     // 60 x 0.2

    CBlade();
    void Draw() override {}   // the owner draws the blade

    // Probe k (1 ... 4) of a blade held at center: center + (0, 0.375 k, 0)
    // turned about Z by the blade's heading.
    Vec3 ProbePoint(const Vec3& center, int k) const;
    // The far end, 1.5 from center: where the trail ribbon's outer edge runs.
    Vec3 TipPoint(const Vec3& center) const;
    bool IsAlive() const { return m_nState == STATE_ALIVE; }
};
