// CBeam: a straight beam 15 units long that flashes and fades out over 60
// frames. It is dangerous only while its vanish rate is above 0.95 (its first
// frames); it stays where it was made and survives the clearing of the bullets.
#pragma once

#include <cstdint>

#include "core/Object.h"

class CBeam : public CObject {
public:
    enum { COLOR_WHITE = 0, COLOR_GREEN = 1, COLOR_RED = 2 };
    static constexpr int kProbes = 30;           // 0.5 apart along the beam
    static constexpr float kProbeStep = 0.5f;
    static constexpr float kLength = 15.0f;
    static constexpr int kFrames = 60;
    static constexpr float kHarmlessRate = 0.95f;

    // A beam from pos along vel (its length does not matter), with a flare;
    // added to the enemy-bullet list.
    static CBeam* Launch(const Vec3& pos, const Vec3& vel, int color);

    bool HitTest(CObject* other) override;
    void Update() override;
    void Draw() override;

    // Probe k (0 ... 29) lies at pos + this: the unit direction x 0.5 k.
    Vec3 ProbeOffset(int k) const;

    int32_t m_nColor = COLOR_WHITE;
};
