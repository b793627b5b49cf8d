#include "player/PlayerShot.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "enemy/Enemy.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "player/Spark.h"

namespace {
constexpr int kHitSE = 110;
constexpr int kHitVolume = -500;
constexpr int kBossHp = 100;   // maximum hit points from which an enemy is a boss
}  // namespace

CPlayerShot::CPlayerShot() { m_pTexture = g_pShotTexture; }

CPlayerShot* CPlayerShot::Launch(const Vec3& pos, const Vec3& rot, const Vec3& vel)
{
    CPlayerShot* s = new CPlayerShot();
    s->SetPos(pos);
    s->SetVel(vel);
    s->SetRot(Vec3{0.0f, 0.0f, rot.z});
    g_ForegroundList.Add(s);
    return s;
}

void CPlayerShot::Update()
{
    CObject::Update();
    // Killed only after the strike test: a shot on its way out still hits.
    const bool leaving = m_vPos.y < -kBound || m_vPos.y > kBound || m_vPos.x < -kBound || m_vPos.x > kBound;
    for (int i = 0; i < g_EnemyList.Count(); ++i) {
        CEnemy* enemy = static_cast<CEnemy*>(g_EnemyList.At(i));
        if (!enemy || enemy->m_bEntering || !HitTest(enemy)) continue;
        Kill();
        if (enemy->m_bInvulnerable) break;   // absorbed
        if (enemy->m_nMaxHp < kBossHp) {
            PlaySEAt(kHitSE, m_vPos, kHitVolume);
            if (g_pSparks) g_pSparks->Burst(m_vPos, 2, 120);
        }
        enemy->Damage(1);
        break;
    }
    if (leaving) Kill();
}

void CPlayerShot::Draw()
{
    if (!g_pDevice || !m_pTexture) return;
    g_pDevice->SetDepthTest(0);
    SetWorldTransform();
    m_pTexture->DrawBillboard(0.5f, 0.0f);   // alpha 0: additive
}
