#include "player/LockonLaser.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "enemy/Enemy.h"
#include "gfx/GraphicsDevice.h"
#include "player/LightParticle.h"
#include "player/MyKorvo.h"
#include "stage/Flare.h"

namespace {
constexpr int kStrikeSE = 147;

// Adds pull to v, then cuts its length to cap when it reaches it.
void PullAndCap(Vec3& v, const Vec3& pull, float cap)
{
    AddTo(v, pull);
    if (Length(v) >= cap) SetLength(v, cap);
}
}  // namespace

CLockonLaser::CLockonLaser() = default;

CLockonLaser* CLockonLaser::Launch(const Vec3& pos, const Vec3& vel, CEnemy* target)
{
    CLockonLaser* l = new CLockonLaser();
    l->SetPos(pos);
    l->SetVel(vel);
    l->m_pTarget.Set(target, g_EnemyList);
    for (Vec3& p : l->m_avTrail) p = pos;
    l->m_bFromBomb = true;
    g_EffectList.Add(l);
    return l;
}

void CLockonLaser::Steer(const CEnemy& target)
{
    Vec3 a = target.m_vPos - m_vPos;
    SetLength(a, 1.0f);
    if (m_nAge < 15) {                // 60 x 0.25
        PullAndCap(m_vVel, a * 0.01f, 0.2f);
    } else if (m_nAge < 30) {         // 60 x 0.5
        PullAndCap(m_vVel, a * 0.05f, 0.2f);
    } else if (m_nAge < 120) {        // 60 x 2
        PullAndCap(m_vVel, a * 0.1f, 0.45f);
    } else if (Length(m_vVel) >= 0.5f) {
        SetLength(m_vVel, 0.5f);
    }
    // Close enough: land on the target at the next update.
    if (Distance(m_vPos, target.m_vPos) < 0.5f) MoveTo(target.m_vPos, 0);
}

void CLockonLaser::Strike(CEnemy& target)
{
    Vanish(kFade);
    if (g_pLightParticles) {
        for (int i = 0; i < kTrail; i += 4) g_pLightParticles->Burst(m_avTrail[i], 0.1f, 1, 60);
    }
    m_pTarget.Clear();
    if (!target.m_bInvulnerable) {
        if (g_pLightParticles) g_pLightParticles->Burst(m_vPos, 2.0f, 4, 120);
        target.Damage(kDamage);
        CFlare::Spawn(m_vPos);
        if (g_pDevice) g_pDevice->SetQuake(32.0f);
        PlaySEAt(kStrikeSE, g_pPlayer ? g_pPlayer->m_vPos : m_vPos);
        if (g_pPlayer) g_pPlayer->m_bClean = false;
    }
    // The streak collapses onto the strike point while it fades.
    SetVel(Vec3{});
}

void CLockonLaser::Update()
{
    CObject::Update();
    CEnemy* target = m_pTarget.Get();
    if (target && target->m_nState != STATE_ALIVE) target = nullptr;
    if (!target) m_pTarget.Clear();

    if (target) Steer(*target);

    for (int i = kTrail - 1; i > 0; --i) m_avTrail[i] = m_avTrail[i - 1];
    m_avTrail[0] = m_vPos;

    if (m_vPos.x < -10.0f || m_vPos.x > 10.0f || m_vPos.y < -10.0f || m_vPos.y > 10.0f || m_vPos.z < -50.0f ||
        m_vPos.z > 50.0f)
        Kill();

    // The reference found the target in the enemy list: it is the one entry
    // the strike may touch.
    if (target && !target->m_bEntering && HitTest(target)) Strike(*target);
}

void CLockonLaser::Draw()
{
    if (!g_pDevice) return;
    Matrix identity;
    MatrixIdentity(identity);
    g_pDevice->SetWorldTransform(identity);
    g_pDevice->SetDepthTest(0);
    const float fade = GetVanishRate();
    for (int i = 0; i < kTrail - 1; ++i) {
        const float alpha = (1.0f - static_cast<float>(i) / 24.0f) * fade;
        g_pDevice->DrawLine3D(&m_avTrail[i], &m_avTrail[i + 1], alpha, alpha * 0.75f, alpha * 0.75f, 1.0f);
    }
}
