#include "enemy/SmallEnemy.h"

#include "assets/AssetSet.h"
#include "gfx/GraphicsDevice.h"
#include "player/Bomb.h"
#include "player/ScoreItem.h"

CSmallEnemy::CSmallEnemy(CModel* model, int hp, int score, float radius, int explosionSE)
    : CEnemy(model), m_nExplosionSE(explosionSE)
{
    m_nHp = m_nMaxHp = hp;
    m_nScore = score;
    m_fRadius = radius;
}

void CSmallEnemy::Kill()
{
    CEnemy::Kill();
    if (m_bSilent) return;
    PlaySEAt(m_nExplosionSE, m_vPos);
    CBomb::Spawn(m_vPos);
    if (DropsItem()) CScoreItem::Spawn(m_vPos);
}

bool CSmallEnemy::CountDownAppear()
{
    if (m_nState != STATE_APPEAR) return false;
    if (m_nAppearCount > 0) --m_nAppearCount;
    if (m_nAppearCount <= 0) Activate();
    return true;
}

void CSmallEnemy::LeaveIfOffField()
{
    if (m_vPos.x < -kFieldHalf || m_vPos.x > kFieldHalf || m_vPos.y < -kFieldHalf || m_vPos.y > kFieldHalf) {
        m_bSilent = true;
        Kill();
    }
}

bool CSmallEnemy::BeginModelDraw()
{
    if (!g_pDevice) return false;
    SetWorldTransform();
    g_pDevice->SetCullMode(0);
    g_pDevice->SetFog(0);
    g_pDevice->SetBlendMode(0);
    g_pDevice->SetWireframe(0);
    return true;
}
