// CZab: the small spinning enemy that comes in formations and fans. One hit
// destroys it; only some zabs carry a score item.
#pragma once

#include "enemy/Enemy.h"

class CZab : public CEnemy {
public:
    static constexpr int kHp = 1;
    static constexpr int kScore = 1000;

    CZab();

    void Kill() override;
    void Draw() override;
    void Update() override;

    bool m_bSilent = false;     // left the field: no explosion, sound or item
    bool m_bDropsItem = false;
    bool m_bFlare = false;      // a shrinking flare while it fades in
};
