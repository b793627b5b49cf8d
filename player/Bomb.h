// CBomb: the 32-frame explosion (16 pictures, one every second update) of a
// destroyed enemy and of the craft's final miss.
#pragma once

#include <cstdint>

#include "core/Object.h"

class CBomb : public CObject {
public:
    static constexpr int kFrames = 16;

    explicit CBomb(const Vec3& pos);
    // A new explosion at pos, drifting by (0, -0.2, -0.2), added to the effects list.
    static CBomb* Spawn(const Vec3& pos);

    void Update() override;
    void Draw() override;

    int32_t m_nFrame = 0;
    int32_t m_nFrames = kFrames;
};
