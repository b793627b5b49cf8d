// CBit: a satellite of a bullet-pattern emitter. It wanders to random points
// of the field and fires one aimed bullet on each arrival. Every emitter owns
// eight, dormant (dead) until a pattern activates them; no list holds them.
#pragma once

#include <cstdint>

#include "core/Object.h"

class CBit : public CObject {
public:
    // Dormant at pos.
    explicit CBit(const Vec3& pos);

    void Activate() override;    // alive, then off to a random point
    void OnMoveEnd() override;   // arrived: one shot to fire
    void Update() override;
    void Draw() override;

    // Destination (6 r2 - 3, 4 - 6 r1, 0), reached in trunc((0.5 r3 + 1) 60)
    // frames; r1, r2, r3 drawn in that order.
    void MoveToRandomPoint();

    int32_t m_nShots = 0;   // aimed bullets left before moving on
};

// The satellites' shared look: the option model, unlit by fog, while alive.
void DrawBitModel(CObject& bit);
