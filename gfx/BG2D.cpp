#include "gfx/BG2D.h"

#include "gfx/GraphicsDevice.h"
#include "gfx/SimpleSprite.h"
#include "gfx/Texture.h"

CBG2D g_BG2D[CBG2D::kLayers];

CBG2D::CBG2D() = default;

void CBG2D::ClearAll()
{
    for (CBG2D& layer : g_BG2D) layer.SetTexture(nullptr);
}

int CBG2D::LeftFor(int textureWidth)
{
    return 140 - (textureWidth - 360) / 2;
}

void CBG2D::Update()
{
    CObject::Update();
    m_vPos.y -= kScrollPerFrame;
    if (m_vPos.y <= -kTileHeight) m_vPos.y += kTileHeight;
}

void CBG2D::Draw()
{
    if (!m_pTexture || !m_pTexture->m_pDevice) return;
    CSpriteBatchScope batch(m_pTexture->m_pDevice);
    const float x = static_cast<float>(LeftFor(m_pTexture->m_nWidth));
    m_pTexture->DrawSpriteBlend(x, m_vPos.y, 1.0f);
    m_pTexture->DrawSpriteBlend(x, m_vPos.y + kTileHeight, 1.0f);
}
