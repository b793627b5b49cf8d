// CPlayerShot: one bolt of the craft's volley. It flies at 0.25 a frame,
// strikes the first enemy it touches and leaves the field at +-5.5.
#pragma once

#include "core/Object.h"

class CPlayerShot : public CObject {
public:
    static constexpr float kBound = 5.5f;

    CPlayerShot();
    // A new shot at pos with velocity vel, taking only the heading of rot;
    // added to the foreground (player-shot) list.
    static CPlayerShot* Launch(const Vec3& pos, const Vec3& rot, const Vec3& vel);

    // Moves, then strikes the first enemy in list order that it touches (an
    // invulnerable one absorbs it; a boss takes the damage without a hit sound
    // or sparks). A shot leaving the field still strikes on that frame.
    void Update() override;
    void Draw() override;
};
