// CBackfire: a glow behind the craft that grows while it vanishes (108 frames)
// and ends in a shock wave; the stage script places it on the approach.
#pragma once

#include "core/Object.h"

class CBackfire : public CObject {
public:
    static constexpr int kFrames = 108;   // 60 x 1.8

    explicit CBackfire(const Vec3& pos);
    // A new backfire at pos, vanishing over 108 frames; foreground list.
    static CBackfire* Spawn(const Vec3& pos);

    // Side of the glow now: 0 growing to 5 while it vanishes.
    float Width() const;
    void Draw() override;
    void Kill() override;   // base, then a shock wave with the craft's rotation
};
