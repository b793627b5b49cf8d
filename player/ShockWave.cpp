#include "player/ShockWave.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

CShockWave::CShockWave(const Vec3& pos, const Vec3& rot, float size) : m_fSize(size)
{
    SetPos(pos);
    SetRot(rot);
}

CShockWave* CShockWave::Spawn(const Vec3& pos, const Vec3& rot, float size, int frames)
{
    CShockWave* w = new CShockWave(pos, rot, size);
    w->Vanish(frames);
    g_EffectList.Add(w);
    return w;
}

float CShockWave::Width() const { return (1.0f - GetVanishRate()) * m_fSize; }

void CShockWave::Draw()
{
    if (m_nState != STATE_VANISH || !g_pDevice || !g_pShockWaveTexture) return;
    const float w = Width();
    SetWorldTransform();
    g_pDevice->SetDepthTest(0);
    g_pShockWaveTexture->DrawQuad(w, w, 0.0f);   // alpha 0: additive
    g_pDevice->SetDepthTest(1);
}
