#include "player/Bomb.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

CBomb::CBomb(const Vec3& pos)
{
    SetPos(pos);
    SetVel(Vec3{0.0f, -0.2f, -0.2f});
    m_bBillboard = true;
}

CBomb* CBomb::Spawn(const Vec3& pos)
{
    CBomb* b = new CBomb(pos);
    g_EffectList.Add(b);
    return b;
}

void CBomb::Update()
{
    CObject::Update();
    // One picture every second update: 16 pictures over 32 frames.
    if (m_nAge % 2 == 0) {
        ++m_nFrame;
        if (m_nFrame >= m_nFrames) Kill();
    }
}

void CBomb::Draw()
{
    if (!g_pDevice || m_nFrame < 0 || m_nFrame >= kFrames) return;
    CTexture* picture = g_pExplosionFrames[m_nFrame];
    if (!picture) return;
    SetWorldTransform();
    g_pDevice->SetDepthTest(0);
    picture->DrawBillboard(3.0f, 0.0f);   // alpha 0: additive
    g_pDevice->SetDepthTest(1);
}
