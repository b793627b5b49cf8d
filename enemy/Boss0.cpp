#include "enemy/Boss0.h"

#include "assets/AssetSet.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"

namespace {

constexpr SBarrageRow kBarrages[] = {
    // phase  HP    T     emitters       B   title
    {1,      600, 2400, { 0, -1, -1},   10, 380},
    {3,      600, 2400, {-1, 17, -1},   11, 381},
    {5,      800, 3600, {12,  5, 14},   12, 382},
    {7,      800, 3600, {13, 16, -1},   13, 383},
};

// Entry phase timer reading at which the satellites regroup (180 frames in).
constexpr int kRegroupAt = 1320;
const Vec3 kAuxSpin{0.0f, 0.001f, 0.0f};

// (0, 2, 0) tipped a quarter turn about X, then turned about Z by a.
Vec3 P(float a)
{
    Vec3 v{0.0f, 2.0f, 0.0f};
    RotateX(v, 0.25f);
    RotateZ(v, a);
    return v;
}

// (0, 0, -2) turned about Y by a.
Vec3 Q(float a)
{
    Vec3 v{0.0f, 0.0f, -2.0f};
    RotateY(v, a);
    return v;
}

}  // namespace

const SBossDesign kBoss0Design = {
    kBarrages,
    1500,     // entry
    true,     // the entry ends any barrage
    500,      // pause gauge scale
    351,      // backdrop
    350,      // emblem
    4, 9,     // talk line in the second pause
    -1,       // wanders in every phase
    Vec3{-1.0f, 6.0f, 0.0f},
};

CBoss0::CBoss0() : CBoss(kBoss0Design)
{
    for (CObject& s : m_Satellites) s.SetRotVel(Vec3{0.0f, 0.005f, 0.0f});
    Enter();
}

void CBoss0::SetPhase(int phase)
{
    CBoss::SetPhase(phase);
    if (phase == PHASE_ENTRY || (phase % 2 == 0 && phase >= 2 && phase <= 16)) Formation(0);
    else if (phase == 1) Formation(1);
    else if (phase == 3) Formation(3);
    else if (phase == 5 || phase == 7) Formation(2);
}

void CBoss0::Formation(int formation)
{
    struct SPlace {
        Vec3 vAt;
        bool bSpin;   // its placement starts turning about the boss
    };
    const Vec3 left{-1.0f, 0.0f, 0.0f}, right{1.0f, 0.0f, 0.0f};
    // formation 0: a tilted ring around a satellite behind; 1 and 3: a line
    // (its ends turning in 1); 2: a flat ring turning.
    const SPlace places[4][kSatellites] = {
        {{Vec3{0.0f, 0.0f, -2.0f}, false}, {P(0.0f), false}, {P(2.0f / 3.0f), false}, {P(4.0f / 3.0f), false}},
        {{left, false}, {right, false}, {Vec3{-3.0f, 0.0f, 0.0f}, true}, {Vec3{3.0f, 0.0f, 0.0f}, true}},
        {{Q(0.0f), true}, {Q(0.5f), true}, {Q(1.0f), true}, {Q(1.5f), true}},
        {{left, false}, {right, false}, {Vec3{-2.0f, 0.0f, 0.0f}, false}, {Vec3{2.0f, 0.0f, 0.0f}, false}},
    };
    const int frames = formation == 0 ? 120 : 60;
    for (int i = 0; i < kSatellites; ++i) {
        CObject& s = m_Satellites[i];
        s.MoveTo(places[formation][i].vAt, frames);
        if (places[formation][i].bSpin) s.AuxVelTo(kAuxSpin, 60);
        if (formation == 0) {
            s.AuxTo(g_vZero, 120);
            s.SetAuxVel(g_vZero);
        }
    }
}

void CBoss0::Regroup()
{
    m_Satellites[0].MoveTo(Vec3{0.0f, 0.0f, 1.0f}, 120);
    const float turns[3] = {4.0f / 3.0f, 2.0f, 8.0f / 3.0f};
    for (int i = 1; i < kSatellites; ++i) {
        Vec3 v{0.0f, 1.0f, 0.0f};
        RotateX(v, -0.25f);
        RotateZ(v, turns[i - 1]);
        m_Satellites[i].MoveTo(v, 120);
    }
    for (CObject& s : m_Satellites) s.AuxTo(g_vZero, 120);
}

void CBoss0::UpdateParts()
{
    if (m_nPhase == PHASE_ENTRY && m_nTimer == kRegroupAt) Regroup();
}

void CBoss0::SettleParts(int phase)
{
    // The entry's regroup, 180 frames in, is long done when its barrage begins.
    if (phase == PHASE_ENTRY) Regroup();
    for (CObject& s : m_Satellites) {
        if (s.m_PosTrack.active) s.SetPos(s.m_PosTrack.end);
        if (s.m_AuxTrack.active) s.SetAux(s.m_AuxTrack.end);
    }
}

void CBoss0::Draw()
{
    CBoss::Draw();
    Matrix boss;
    GetWorldMatrix(boss);
    for (CObject& s : m_Satellites) {
        if (g_pDevice && g_pOptionModel) {
            CGraphicsDevice& d = *g_pDevice;
            Matrix world, turn;
            s.GetWorldMatrix(world);
            BuildWorldMatrix(turn, s.m_vAux.x, s.m_vAux.y, s.m_vAux.z, 0.0f, 0.0f, 0.0f);
            MatrixMultiply(world, world, turn);
            MatrixMultiply(world, world, boss);
            d.SetWorldTransform(world);
            d.SetCullMode(0);
            d.SetWireframe(0);
            d.SetFog(0);
            d.SetBlendMode(0);
            g_pOptionModel->Draw();
        }
        s.Step();
    }
}
