#include "enemy/BarrageFire.h"

#include "assets/AssetSet.h"
#include "core/Random.h"
#include "enemy/Beam.h"
#include "enemy/Bit.h"
#include "enemy/Bit2.h"
#include "enemy/EnemyShot.h"
#include "player/LightParticle.h"
#include "player/MyKorvo.h"
#include "player/ShockWave.h"

namespace {

constexpr int kWarningParticleFrames = 60;

Vec3 Rotated(Vec3 v, float angle)
{
    RotateZ(v, angle);
    return v;
}

Vec3 Offset(const Vec3& pos, float dx) { return pos + Vec3{dx, 0.0f, 0.0f}; }

}  // namespace

CBarrageFire::CBarrageFire(CObject* owner) : m_pOwner(owner)
{
    m_nPattern = -1;
    for (auto& bit : m_pBits) bit = std::make_unique<CBit>(m_vPos);
}

CBarrageFire::~CBarrageFire() = default;

void CBarrageFire::SetPattern(int pattern)
{
    m_nPattern = pattern;
    m_fAngleA = 0.0f;
    m_fAngleB = 0.0f;
    m_fSwing = 0.0f;
    m_fSwingSpare = 0.0f;
    m_vA = Vec3{};
    m_vB = Vec3{};
    m_nAge = -1;
    m_nTextureCounter = 0;
    for (auto& bit : m_pBits) bit->Kill();
    if (pattern == 5) {
        const Vec3 at = m_pOwner ? m_pOwner->m_vPos : m_vPos;
        for (int i = 0; i < 2; ++i) {
            m_pBits[i]->SetPos(at);
            m_pBits[i]->Activate();
        }
    }
}

void CBarrageFire::Step()
{
    CObject::Step();
    for (auto& bit : m_pBits) bit->Step();
}

void CBarrageFire::Update()
{
    CObject::Update();
    if (m_pOwner) SetPos(m_pOwner->m_vPos);
    RunPattern(m_nAge);
}

Vec3 CBarrageFire::Aim() const
{
    const Vec3 player = g_pPlayer ? g_pPlayer->m_vPos : Vec3{};
    return player - m_vPos;
}

// The patterns by number.
const CBarrageFire::PatternStep CBarrageFire::s_Patterns[kPatterns] = {
    &CBarrageFire::Pattern0,  &CBarrageFire::Pattern1,  &CBarrageFire::Pattern2,  &CBarrageFire::Pattern3,
    &CBarrageFire::Pattern4,  &CBarrageFire::Pattern5,  &CBarrageFire::Pattern6,  &CBarrageFire::Pattern7,
    &CBarrageFire::Pattern8,  &CBarrageFire::Pattern9,  &CBarrageFire::Pattern10, &CBarrageFire::Pattern11,
    &CBarrageFire::Pattern12, &CBarrageFire::Pattern13, &CBarrageFire::Pattern14, &CBarrageFire::Pattern15,
    &CBarrageFire::Pattern16, &CBarrageFire::Pattern17, &CBarrageFire::Pattern18, &CBarrageFire::Pattern19,
    &CBarrageFire::Pattern20, &CBarrageFire::Pattern21, &CBarrageFire::Pattern22, &CBarrageFire::Pattern23,
    &CBarrageFire::Pattern24,
};

void CBarrageFire::RunPattern(int f)
{
    // -1 (none) and any number past the table fire nothing.
    if (m_nPattern < 0 || m_nPattern >= kPatterns) return;
    const PatternStep step = s_Patterns[m_nPattern];
    (this->*step)(f);
}

// 0, two spinning pairs: 11 volleys in the first 31 frames of each second.
void CBarrageFire::Pattern0(int f)
{
    if (f % 60 > 30 || f % 3 != 0) return;
    Vec3 d = Rotated(g_vUp, m_fAngleA);
    m_fAngleA += 0.035f;
    Vec3 p = Offset(m_vPos, -1.0f);
    EmitShot(p, d, 0.03f, 1, 0, 3);
    RotateZ(d, 1.0f);
    EmitShot(p, d, 0.03f, 1, 0, 3);

    d = Rotated(g_vUp, m_fAngleB);
    m_fAngleB -= 0.025f;
    p = Offset(m_vPos, 1.0f);
    EmitShot(p, d, 0.04f, 1, 0, 1);
    RotateZ(d, 1.0f);
    EmitShot(p, d, 0.03f, 1, 0, 1);
}

// 1, aimed volleys.
void CBarrageFire::Pattern1(int f)
{
    if (f % 24 == 12) EmitAimed3(m_vPos, g_pPlayer, 0.05f, 2);
    if (f % 24 == 0) EmitAimed4(m_vPos, g_pPlayer, 0.025f);
}

// 2, aimed stream.
void CBarrageFire::Pattern2(int f)
{
    if (f % 3 == 0) {
        const float r = g_GameRand.Real();
        Vec3 d = Rotated(Aim(), 0.4f * r - 0.2f);
        EmitShot(m_vPos, d, 0.05f, 0, 0, 1);
    }
    if (f % 6 == 0) PlaySE(119);
}

// 3, aimed bursts: 7 frames in every 75.
void CBarrageFire::Pattern3(int f)
{
    if (f % 75 > 6) return;
    const float r = g_GameRand.Real();
    Vec3 d = Rotated(Aim(), 0.4f * r - 0.2f);
    const float r2 = g_GameRand.Real();
    const float speed = (r2 + 1.0f) * 0.025f;
    EmitShot(m_vPos, d, speed, 0, 0, 5);
}

// 4, pendulum: the swing runs 0 ... >= 0.35, back to < -0.35, and so on.
void CBarrageFire::Pattern4(int f)
{
    if (f % 6 == 0) {
        Vec3 d = Rotated(g_vDown, m_fAngleA);
        if (m_fSwing >= 0.0f) {
            m_fAngleA += 0.035f;
            if (m_fAngleA >= 0.35f) m_fSwing = -1.0f;
        } else if (m_fSwing == -1.0f) {
            m_fAngleA -= 0.035f;
            if (m_fAngleA < -0.35f) m_fSwing = 1.0f;
        }
        EmitShot(m_vPos, d, 0.075f, 1, 0, 1);
        RotateZ(d, -0.2f);
        EmitShot(m_vPos, d, 0.055f, 1, 0, 1);
        RotateZ(d, 0.4f);
        EmitShot(m_vPos, d, 0.035f, 1, 0, 1);
    }
    if (f % 60 == 0) {
        EmitAimed(m_vPos, g_pPlayer, 0.05f, 3);
        PlaySE(109);
    }
}

// 5, bits: they fly and fire on their own (SetPattern wakes two of them).
void CBarrageFire::Pattern5(int) {}

// 6, homing sparks.
void CBarrageFire::Pattern6(int f)
{
    if (f % 12 != 0) return;
    const float r1 = g_GameRand.Real();
    const float r2 = g_GameRand.Real();
    const Vec3 v{0.2f * r2 - 0.1f, 0.2f * r1 - 0.1f, 0.0f};
    EmitHoming(m_vPos, v, g_pPlayer, 0.05f);
}

// 7, droppers.
void CBarrageFire::Pattern7(int f)
{
    if (f % 6 != 0) return;
    const float r1 = g_GameRand.Real();
    const float r2 = g_GameRand.Real();
    const Vec3 v{0.2f * r2 - 0.1f, 0.2f * r1 - 0.1f, 0.0f};
    const float r3 = g_GameRand.Real();
    const float speed = 0.025f * r3 + 0.01f;
    EmitDropper(m_vPos, v, g_pPlayer, speed);
}

// 8, random spreads from one of three points. k = 3 (the very top draw) and
// n = 4 fire nothing.
void CBarrageFire::Pattern8(int f)
{
    if (f % 6 != 0) return;
    const int k = g_GameRand.Integer(3);
    const float r = g_GameRand.Real();
    Vec3 d = Rotated(g_vDown, 0.6f * r - 0.3f);
    const float r2 = g_GameRand.Real();
    SetLength(d, 0.02f * r2 + 0.015f);
    const int n = g_GameRand.Integer(2) + 2;
    if (k == 0) EmitSpread(m_vPos, d, n, 1);
    else if (k == 1) EmitSpread(Offset(m_vPos, -2.0f), d, n, 3);
    else if (k == 2) EmitSpread(Offset(m_vPos, 2.0f), d, n, 4);
}

// 9, turning fans from each side in turn.
void CBarrageFire::Pattern9(int f)
{
    const int g = f % 120;
    if (g != 0 && g != 60) return;
    const float side = g == 0 ? -1.0f : 1.0f;
    for (int i = 0; i < 16; ++i) {
        const float fi = static_cast<float>(i);
        Vec3 d{0.075f * side, -0.04f, 0.0f};
        const float turn = g == 0 ? 0.75f - 0.025f * fi : 0.025f * fi - 0.75f;
        EmitTurning(m_vPos, d, 0.025f + 0.0075f * fi, 45.0f, turn, 0.02f + 0.003f * fi);
    }
}

// 10, fountain (every 3 frames: 60 x 0.0625 truncated).
void CBarrageFire::Pattern10(int f)
{
    if (f % 3 != 0) return;
    const float r = g_GameRand.Real();
    Vec3 d{2.0f * r - 1.0f, 4.0f, 0.0f};
    const float r2 = g_GameRand.Real();
    EmitGravity(m_vPos, d, (r2 + 1.0f) * 0.05f);
}

// 11, sweeps from left and right in turn.
void CBarrageFire::Pattern11(int f)
{
    if (f % 60 == 0) EmitSweep(Offset(m_vPos, -2.0f), g_pPlayer, 0.075f, 1, 7, 3);
    if (f % 60 == 30) EmitSweep(Offset(m_vPos, 2.0f), g_pPlayer, 0.075f, -1, 7, 3);
}

// 12, relaunch rings of 32, turning one way, then the other.
void CBarrageFire::Pattern12(int f)
{
    const int g = f % 72;
    if (g != 0 && g != 36) return;
    for (int i = 0; i < 32; ++i) {
        const float a = 0.0625f * static_cast<float>(i);
        if (g == 0) {
            Vec3 d = Rotated(g_vUp, a);
            EmitRelaunch(m_vPos, d, 0.03f, -0.5f, 3);
        } else {
            Vec3 d = Rotated(g_vUp, a + 0.03125f);
            EmitRelaunch(m_vPos, d, 0.03f, 0.5f, 0);
        }
    }
}

// 13, drones: five looping one way, half a cycle later five the other way.
void CBarrageFire::Pattern13(int f)
{
    const int g = f % 180;
    if (g == 0) {
        for (int i = 0; i < 5; ++i)
            CBit2::Launch(m_vPos, Rotated(g_vDown, 0.4f * static_cast<float>(i)), 0.03f, -1);
    } else if (g == 90) {
        for (int i = 0; i < 5; ++i)
            CBit2::Launch(m_vPos, Rotated(g_vDown, 0.4f * static_cast<float>(i) - 0.2f), 0.04f, 1);
    }
}

// 14, scatter clock: a warning, a second later every bullet scatters.
void CBarrageFire::Pattern14(int f)
{
    if (f == 0) return;   // 0 % 480 == 0, yet nothing happens at the start
    if (f % 480 == 420) {
        PlaySE(132);
        CShockWave::Spawn(m_vPos, g_vZero, 20.0f, 30);
    }
    if (f % 480 == 0) ScatterAllBullets();
}

// 15, scatter shot at the craft.
void CBarrageFire::Pattern15(int f)
{
    if (f % 60 != 0) return;
    Vec3 aim = Aim();
    EmitScatter(m_vPos, aim, 0.1f, 1);
}

// 16, double rings.
void CBarrageFire::Pattern16(int f)
{
    if (f % 90 == 0) {
        Vec3 aim = Aim();
        EmitRing16(m_vPos, aim, 0.035f, 0);
    }
    if (f % 90 == 24) {
        Vec3 aim = Rotated(Aim(), 0.025f);
        EmitRing16(m_vPos, aim, 0.04f, 4);
    }
}

// 17, spread cross-fire: straight down from both sides, aimed from further out.
void CBarrageFire::Pattern17(int f)
{
    Vec3 down = g_vDown;
    SetLength(down, 0.03f);
    if (f % 90 == 0) EmitSpread(Offset(m_vPos, -1.0f), down, 5, 3);
    if (f % 90 == 15) EmitSpread(Offset(m_vPos, 1.0f), down, 5, 1);
    if (f % 180 == 90) AimedSpread(Offset(m_vPos, -2.0f), 4);
    if (f % 180 == 0) AimedSpread(Offset(m_vPos, 2.0f), 0);
}

void CBarrageFire::AimedSpread(const Vec3& p, int texture)
{
    Vec3 v = (g_pPlayer ? g_pPlayer->m_vPos : Vec3{}) - p;
    SetLength(v, 0.02f);
    EmitSpread(p, v, 5, texture);
}

// 18, slow beam: silent for the first 301 frames.
void CBarrageFire::Pattern18(int f)
{
    if (f > 300) SlowBeam(f, 21);
}

// 19, burst ring: 12 bullets that burst into 96, then 480.
void CBarrageFire::Pattern19(int f)
{
    if (f % 360 != 0) return;
    static constexpr int kChild[3] = {1, 3, 2};
    for (int i = 0; i < 12; ++i) {
        Vec3 v{0.0f, i % 2 == 0 ? -0.075f : -0.05f, 0.0f};
        RotateZ(v, static_cast<float>(i) * (1.0f / 6.0f) + 0.01f * static_cast<float>(f));
        EmitBurst(m_vPos, v, 0, 0, kChild[i % 3]);
    }
}

// 20, sweeping arms: arm A swings over the first second, arm C over the next.
void CBarrageFire::Pattern20(int f)
{
    const int g = f % 180;
    if (g == 0) {
        m_vA = Vec3{-2.0f, 0.0f, 0.0f};
        m_vB = g_vDown;
        m_nTextureCounter += 1;
    }
    if (g <= 60) {
        RotateZ(m_vA, 0.025f);
        RotateZ(m_vB, 0.025f);
        if (f % 3 == 0) FireArm(m_vA, m_vB, g);
    }
    if (g == 30) {
        m_vC = Vec3{2.0f, 0.0f, 0.0f};
        m_vD = g_vDown;
        m_nTextureCounter += 1;
    }
    if (g >= 60 && g <= 120) {
        RotateZ(m_vC, -0.025f);
        RotateZ(m_vD, -0.025f);
        if (f % 3 == 0) FireArm(m_vC, m_vD, g);
    }
}

void CBarrageFire::FireArm(const Vec3& arm, const Vec3& dir, int g)
{
    static constexpr int kTextureByCounter[5] = {3, 1, 2, 4, 0};
    const int texture = kTextureByCounter[m_nTextureCounter % 5];
    const Vec3 p = m_vPos + arm;
    Vec3 v = Rotated(dir, -0.5f);
    for (int i = 0; i < 5; ++i) {
        SetLength(v, 0.01f + 0.00025f * static_cast<float>(g));
        EmitShotVelocity(p, v, 1, texture);
        RotateZ(v, 0.25f);
    }
}

// 21, beam triplet: two blue-white beams, then a red one, each aimed anew.
void CBarrageFire::Pattern21(int f)
{
    const int g = f % 180;
    if (g == 0) PlaySEAt(123, m_vPos);
    if (g < 45 && f % 6 == 0) WarningParticle();
    if (g == 33) m_vA = Aim();
    if (g == 45) {
        FireBeam(0);
        m_vA = Aim();
    }
    if (g == 69) FireBeam(0);
    if (g == 81) m_vA = Aim();
    if (g == 93) FireBeam(2);
}

// 22, early beam: pattern 18 after 61 frames, aimed a little later.
void CBarrageFire::Pattern22(int f)
{
    if (f > 60) SlowBeam(f, 24);
}

// 23, wide sweeps from both sides at once.
void CBarrageFire::Pattern23(int f)
{
    if (f % 450 != 0) return;
    EmitSweep(Offset(m_vPos, -2.0f), g_pPlayer, 0.075f, 1, 15, 5);
    EmitSweep(Offset(m_vPos, 2.0f), g_pPlayer, 0.075f, -1, 15, 5);
}

// 24, raptor scatter along the owner's heading every 3 seconds.
void CBarrageFire::Pattern24(int f)
{
    if (f % 180 != 60) return;
    Vec3 d = Rotated(g_vUp, m_pOwner ? m_pOwner->m_vRot.z : 0.0f);
    EmitScatter(m_vPos, d, 0.06f, 1);
    PlaySE(170);
}

void CBarrageFire::SlowBeam(int f, int aimFrame)
{
    const int g = f % 450;
    if (g == 0) PlaySEAt(123, m_vPos);
    if (g < 45 && f % 6 == 0) WarningParticle();
    if (g == aimFrame) m_vA = Aim();
    if (g == 45) FireBeam(2);
}

void CBarrageFire::WarningParticle()
{
    if (g_pLightParticles) g_pLightParticles->Scatter(m_vPos, kWarningParticleFrames);
}

void CBarrageFire::FireBeam(int color)
{
    CBeam::Launch(m_vPos, m_vA, color);
    PlaySEAt(134, m_vPos);
}
