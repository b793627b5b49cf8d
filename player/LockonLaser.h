// CLockonLaser: a homing laser of the bomb's volley. It leaves the craft in a
// random direction, curves toward its target with a pull that grows in three
// stages, lands on it for 6 damage and fades as a streak through its last 24
// positions.
#pragma once

#include "core/Object.h"
#include "core/ObjectRef.h"

class CEnemy;

class CLockonLaser : public CObject {
public:
    static constexpr int kTrail = 24;
    static constexpr int kFade = 240;    // 60 x 4
    static constexpr int kDamage = 6;

    CLockonLaser();
    // A laser at pos with velocity vel, locked on target; effects list.
    static CLockonLaser* Launch(const Vec3& pos, const Vec3& vel, CEnemy* target);

    void Update() override;
    void Draw() override;

    // The target while it is still in the enemy list; null once it is gone,
    // struck, or no longer alive.
    CEnemy* Target() const { return m_pTarget.Get(); }

    bool m_bFromBomb = true;
    // Not owned. Kept as a checked reference: the enemy list may delete the
    // target between two updates of the laser.
    TObjectRef<CEnemy> m_pTarget;
    Vec3 m_avTrail[kTrail];   // newest first: point 0 is the position

private:
    void Steer(const CEnemy& target);
    void Strike(CEnemy& target);
};
