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

private:
    using PatternStep = void (CBarrageFire::*)(int f);
    static const PatternStep s_Patterns[kPatterns];

    // Player position minus the emitter's.
    Vec3 Aim() const;
    void RunPattern(int f);
    void Pattern0(int f);
    void Pattern1(int f);
    void Pattern2(int f);
    void Pattern3(int f);
    void Pattern4(int f);
    void Pattern5(int f);
    void Pattern6(int f);
    void Pattern7(int f);
    void Pattern8(int f);
    void Pattern9(int f);
    void Pattern10(int f);
    void Pattern11(int f);
    void Pattern12(int f);
    void Pattern13(int f);
    void Pattern14(int f);
    void Pattern15(int f);
    void Pattern16(int f);
    void Pattern17(int f);
    void Pattern18(int f);
    void Pattern19(int f);
    void Pattern20(int f);
    void Pattern21(int f);
    void Pattern22(int f);
    void Pattern23(int f);
    void Pattern24(int f);
    // Patterns 18 and 22: a warning, the aim taken at aimFrame, a red beam at 45.
    void SlowBeam(int f, int aimFrame);
    // The warning glow of the beam patterns: one light particle near the emitter.
    void WarningParticle();
    void FireBeam(int color);
    // Pattern 17: five long bullets from p at the craft.
    void AimedSpread(const Vec3& p, int texture);
    // Pattern 20: five long bullets fanned from pos + arm around dir.
    void FireArm(const Vec3& arm, const Vec3& dir, int g);
};
