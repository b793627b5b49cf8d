// CZab: the small spinning enemy that comes in formations and fans. One hit
// destroys it; only some zabs carry a score item.
#pragma once

#include "enemy/SmallEnemy.h"

class CZab : public CSmallEnemy {
public:
    static constexpr int kHp = 1;
    static constexpr int kScore = 1000;

    CZab();

    void Draw() override;
    void Update() override;

    bool m_bDropsItem = false;
    bool m_bFlare = false;      // a shrinking flare while it fades in

protected:
    bool DropsItem() const override { return m_bDropsItem; }
};
