// CEnemy: the base of everything the player can shoot down (the small enemies
// and the bosses). An enemy lives in g_EnemyList, has hit points that never go
// below 0, a score value that shrinks while it lives, and two bullet-pattern
// emitters that fire from its position.
#pragma once

#include <cstdint>

#include "core/Object.h"

class CBarrageFire;

class CEnemy : public CObject {
public:
    explicit CEnemy(CModel* model);
    ~CEnemy() override;

    // Motion and lifecycle, both emitters, then the score decay (every 30th
    // update: trunc(score * 0.9f) in single precision, at least 100, rounded
    // down to a multiple of 10).
    void Update() override;
    // One step of the decay: trunc(score * 0.9f), at least 100, down to a
    // multiple of 10.
    static int32_t DecayedScore(int32_t score);

    // Hit points -= amount, clamped at 0. At 0: Kill(), then the current score
    // value goes to the craft (AddScore).
    void Damage(int amount);
    // Player position minus enemy position.
    Vec3 VectorToPlayer() const;

    // The two untouchable flags: setting one clears the other.
    void SetInvulnerable(bool on);
    void SetEntering(bool on);

    // Untouchable for the player's shots, blade, body and lock-on: bosses set
    // these during pauses (invulnerable) and their entry (entering).
    bool m_bInvulnerable = false;
    bool m_bEntering = false;
    int32_t m_nHp = 0;
    int32_t m_nMaxHp = 0;      // bosses draw their gauge against it; >= 100: boss
    int32_t m_nScore = 0;      // paid to the craft when the hit points reach 0
    CBarrageFire* m_pFire[2] = {nullptr, nullptr};   // owned
};
