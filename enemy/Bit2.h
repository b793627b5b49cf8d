// CBit2: a satellite that loops for 3 seconds, then sprays bullets to both
// sides while it speeds up; it lives in the effects list until it leaves.
#pragma once

#include <cstdint>

#include "core/Object.h"

class CBit2 : public CObject {
public:
    CBit2();
    // A new satellite at pos, velocity dir at speed, turning -1, 0 or +1.
    static CBit2* Launch(const Vec3& pos, const Vec3& dir, float speed, int turn);
    // Deletes every CBit2 of the effects list (a cleared boss barrage); safe
    // while the effects list is being stepped.
    static void RemoveAll();

    void Update() override;
    void Draw() override;

    int32_t m_nVolley = 0;
    int32_t m_nTurn = 0;
};
