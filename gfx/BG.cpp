#include "gfx/BG.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"

bool g_bBGEnabled = true;

CBG::CBG(CModel* model, CObject* anchor) : m_pAnchor(anchor)
{
    m_pModel = model;
}

CBG* CBG::SpawnChain(CModel* model, CObject* anchor, const Vec3& pos, float spawnY, float killY)
{
    CBG* bg = new CBG(model, anchor);
    bg->m_fSpawnY = spawnY;
    bg->m_fKillY = killY;
    bg->SetPos(pos);
    g_EffectList.Add(bg);
    return bg;
}

void CBG::Update()
{
    if (m_pAnchor) m_vVel = m_pAnchor->m_vVel;
    if (m_vPos.y < m_fSpawnY && !m_bSpawned) {
        CBG* next = new CBG(m_pModel, m_pAnchor);
        next->m_fSpawnY = m_fSpawnY;
        next->m_fKillY = m_fKillY;
        next->SetPos(Vec3{m_vPos.x, m_vPos.y + kChunkLength, m_vPos.z});
        g_EffectList.Add(next);
        m_bSpawned = true;
    }
    CObject::Update();
    if (m_vPos.y < m_fKillY) Kill();
}

void CBG::Draw()
{
    if (!g_bBGEnabled || !m_pModel || !g_pDevice) return;
    Matrix world;
    GetWorldMatrix(world);
    if (m_pAnchor) {
        Matrix tilt;
        m_pAnchor->GetWorldMatrix(tilt);
        MatrixMultiply(world, world, tilt);
    }
    g_pDevice->SetWorldTransform(world);
    g_pDevice->SetFogRange(20.0f, 40.0f);
    g_pDevice->SetFog(1);
    g_pDevice->SetBlendMode(0);
    m_pModel->Draw();
    g_pDevice->SetFog(0);
}
