#include "enemy/Beam.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "player/Spark.h"
#include "stage/Flare.h"

namespace {
constexpr int kSparkFrame = 30;      // 60 x 0.5: half-way through the fade
constexpr int kSparksPerProbe = 2;
}  // namespace

CBeam* CBeam::Launch(const Vec3& pos, const Vec3& vel, int color)
{
    CBeam* b = new CBeam;
    b->SetPos(pos);
    b->SetVel(vel);
    b->SetRot(Vec3{0.0f, 0.0f, DirectionAngle(vel.x, vel.y)});
    b->m_bLocked = true;
    b->m_bPersistent = true;
    b->Vanish(kFrames);
    CFlare::Spawn(pos);
    b->m_nColor = color;
    g_EnemyShotList.Add(b);
    return b;
}

Vec3 CBeam::ProbeOffset(int k) const
{
    Vec3 d = m_vVel;
    SetLength(d, 1.0f);
    ScaleBy(d, static_cast<float>(k) * kProbeStep);
    return d;
}

bool CBeam::HitTest(CObject* other)
{
    if (!other || m_nState == STATE_DEAD || GetVanishRate() <= kHarmlessRate) return false;
    for (int k = 0; k < kProbes; ++k) {
        const Vec3 d = ProbeOffset(k);
        if (IsNear(other, d.x, d.y, d.z)) return true;
    }
    return false;
}

void CBeam::Update()
{
    CObject::Update();
    if (m_nVanishCount != kSparkFrame || !g_pSparks) return;
    Vec3 dir = m_vVel;
    SetLength(dir, 1.0f);
    for (int k = 0; k < kProbes; ++k) g_pSparks->Spray(m_vPos + ProbeOffset(k), dir, kSparksPerProbe);
}

void CBeam::Draw()
{
    const float r = GetVanishRate();
    if (g_pDevice && m_nColor >= COLOR_WHITE && m_nColor <= COLOR_RED) {
        const float dim = 0.75f * r;
        static constexpr int kRed = 0, kGreen = 1, kBlue = 2;
        float rgb[3] = {dim, dim, dim};
        rgb[m_nColor == COLOR_WHITE ? kBlue : m_nColor == COLOR_GREEN ? kGreen : kRed] = 1.0f;
        SetWorldTransform();
        g_pDevice->SetCullMode(1);
        g_pDevice->SetWireframe(0);
        g_pDevice->SetFog(0);
        g_pDevice->SetBlendMode(0);
        g_pDevice->SetDepthTest(1);
        const float w = 0.25f * r;
        const Vec3 corners[4] = {{-w, kLength, 0.0f}, {w, kLength, 0.0f}, {-w, 0.0f, 0.0f}, {w, 0.0f, 0.0f}};
        g_pDevice->DrawQuad3D(corners, r, rgb[kRed], rgb[kGreen], rgb[kBlue]);
    }
    // The probes reach as far as the beam is drawn wide.
    m_fRadius = 0.5f * r;
}
