#include "enemy/Boss0.h"

#include "app/AssetSet.h"
#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"
#include "player/MyKorvo.h"

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
    SetPhase(PHASE_ENTRY);
    if (g_pPlayer) SetRot(FaceToward(g_pPlayer));
}

CBoss0* CBoss0::Spawn()
{
    auto* boss = new CBoss0();
    g_EnemyList.Add(boss);
    return boss;
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
    CObject* s = m_Satellites;
    switch (formation) {
    case 0: {
        const Vec3 at[kSatellites] = {Vec3{0.0f, 0.0f, -2.0f}, P(0.0f), P(2.0f / 3.0f), P(4.0f / 3.0f)};
        for (int i = 0; i < kSatellites; ++i) {
            s[i].MoveTo(at[i], 120);
            s[i].AuxTo(g_vZero, 120);
            s[i].SetAuxVel(g_vZero);
        }
        break;
    }
    case 1:
        s[0].MoveTo(Vec3{-1.0f, 0.0f, 0.0f}, 60);
        s[1].MoveTo(Vec3{1.0f, 0.0f, 0.0f}, 60);
        s[2].MoveTo(Vec3{-3.0f, 0.0f, 0.0f}, 60);
        s[3].MoveTo(Vec3{3.0f, 0.0f, 0.0f}, 60);
        s[2].AuxVelTo(kAuxSpin, 60);
        s[3].AuxVelTo(kAuxSpin, 60);
        break;
    case 2: {
        const Vec3 at[kSatellites] = {Q(0.0f), Q(0.5f), Q(1.0f), Q(1.5f)};
        for (int i = 0; i < kSatellites; ++i) {
            s[i].MoveTo(at[i], 60);
            s[i].AuxVelTo(kAuxSpin, 60);
        }
        break;
    }
    case 3:
        s[0].MoveTo(Vec3{-1.0f, 0.0f, 0.0f}, 60);
        s[1].MoveTo(Vec3{1.0f, 0.0f, 0.0f}, 60);
        s[2].MoveTo(Vec3{-2.0f, 0.0f, 0.0f}, 60);
        s[3].MoveTo(Vec3{2.0f, 0.0f, 0.0f}, 60);
        break;
    default: break;
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
