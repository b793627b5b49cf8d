// CBarrageFire: the bullet-pattern emitter. Every enemy owns two, a boss four
// more. It follows its owner's position and, once a pattern is set, runs that
// pattern's timetable on its own frame counter (f = m_nAge, 0 on the first
// update after SetPattern). Patterns 0 ... 24; any other number fires nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Object.h"

class CBit;

class CBarrageFire : public CObject {
public:
    static constexpr int kBits = 8;
    static constexpr int kPatterns = 25;

    explicit CBarrageFire(CObject* owner);
    ~CBarrageFire() override;

    // Restarts the timetable with this pattern (-1: none); see the pattern table.
    void SetPattern(int pattern);
    // The emitter's own step, then each bit's.
    void Step() override;
    void Draw() override {}
    // Base update, follow the owner, then the pattern's step.
    void Update() override;

    CObject* m_pOwner = nullptr;   // not owned
    int32_t m_nPattern = -1;
    int32_t m_nTextureCounter = 0;
    float m_fAngleA = 0.0f;
    float m_fAngleB = 0.0f;
    float m_fSwing = 0.0f;
    float m_fSwingSpare = 0.0f;    // only cleared
    Vec3 m_vA, m_vB, m_vC, m_vD;
    std::unique_ptr<CBit> m_pBits[kBits];
};
