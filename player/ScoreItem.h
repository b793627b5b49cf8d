// CScoreItem: the item a destroyed small enemy drops. It rises, falls back and
// homes in on the craft once the craft has flown above y = 2.5. The craft
// collects it (10000 points, 100 gauge).
#pragma once

#include "gfx/SimpleModel.h"

class CScoreItem : public CSimpleModel {
public:
    explicit CScoreItem(const Vec3& pos);
    // A new item at pos, added to the score-item list.
    static CScoreItem* Spawn(const Vec3& pos);

    void Update() override;

    bool m_bHoming = false;
};
