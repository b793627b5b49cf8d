// CRaptor: the larger small enemy. It glides in, keeps turning to face the
// craft, fires a scatter shot along its heading every 3 seconds, and after 8
// seconds drifts off to the nearer side.
#pragma once

#include <cstdint>

#include "enemy/SmallEnemy.h"

class CRaptor : public CSmallEnemy {
public:
    static constexpr int kHp = 48;
    static constexpr int kScore = 10000;
    static constexpr int kDepartFrame = 480;

    CRaptor();

    void Draw() override;
    void Update() override;

    int32_t m_nDepartFrame = kDepartFrame;
    bool m_bStraight = false;        // keeps its heading instead of turning

protected:
    bool DropsItem() const override { return true; }
};
