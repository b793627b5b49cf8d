#include "stage/Flare.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

CTexture* CFlare::s_pTexture = nullptr;

CFlare::CFlare(float width, float height) : m_fWidth(width), m_fHeight(height) {}

CFlare* CFlare::Spawn(const Vec3& pos)
{
    CFlare* f = new CFlare(3.0f, 3.0f);
    f->SetPos(pos);
    f->Vanish(kFrames);
    g_ForegroundList.Add(f);
    return f;
}

CFlare* CFlare::SpawnLong(const Vec3& pos, const Vec3& rot)
{
    CFlare* f = new CFlare(0.5f, 15.0f);
    f->SetPos(pos);
    f->SetRot(rot);
    f->Vanish(kFrames);
    g_ForegroundList.Add(f);
    return f;
}

void CFlare::Draw()
{
    if (!g_pDevice || !s_pTexture) return;
    const float v = GetVanishRate();
    SetWorldTransform();
    g_pDevice->SetBlendMode(1);
    g_pDevice->SetFog(0);
    // Alpha 0 keeps the quad additive; the flare fades by shrinking.
    s_pTexture->DrawQuad(m_fWidth * v, m_fHeight * v, 0.0f);
    g_pDevice->SetFog(1);
}
