// CShockWave: a ring that grows from nothing to its size while it vanishes.
#pragma once

#include "core/Object.h"

class CShockWave : public CObject {
public:
    CShockWave(const Vec3& pos, const Vec3& rot, float size);
    // A ring at pos turned by rot, growing to size over frames; effects list.
    static CShockWave* Spawn(const Vec3& pos, const Vec3& rot, float size, int frames);

    // Width and height of the ring now: 0 growing to m_fSize over its frames.
    float Width() const;
    void Draw() override;

    float m_fSize = 15.0f;
};
