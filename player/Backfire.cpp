#include "player/Backfire.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "player/MyKorvo.h"
#include "player/ShockWave.h"

CBackfire::CBackfire(const Vec3& pos)
{
    SetPos(pos);
    m_bBillboard = true;
}

CBackfire* CBackfire::Spawn(const Vec3& pos)
{
    CBackfire* b = new CBackfire(pos);
    b->Vanish(kFrames);
    g_ForegroundList.Add(b);
    return b;
}

float CBackfire::Width() const { return (1.0f - GetVanishRate()) * 5.0f; }

void CBackfire::Draw()
{
    if (m_nState == STATE_ALIVE || !g_pDevice || !g_pGlowTexture) return;
    const float w = Width();
    SetWorldTransform();
    g_pGlowTexture->DrawQuad(w, w, 0.0f);   // alpha 0: additive
}

void CBackfire::Kill()
{
    CObject::Kill();
    const Vec3 rot = g_pPlayer ? g_pPlayer->m_vRot : Vec3{};
    CShockWave::Spawn(m_vPos, rot, 15.0f, 45);   // 60 x 0.75
}
