#include "stage/TitlePicture.h"

#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

CTitlePicture::CTitlePicture(CTexture* texture, float x, float y, int appear, int stay, int vanish)
    : CObject(g_pDevice, texture, 0.0f)
{
    m_vPos = Vec3{x, y, 0.0f};
    m_bLocked = true;
    if (appear == 0 && stay == 0) {
        Vanish(vanish);
        return;
    }
    m_nLifeTotal = stay;
    m_nVanishTotal = vanish;
    if (appear != 0) SetAppear(appear);
    else SetLife(stay);
}

float CTitlePicture::GetAlpha() const
{
    switch (m_nState) {
    case STATE_APPEAR: return 1.0f - GetAppearRate();
    case STATE_VANISH: return GetVanishRate();
    case STATE_DEAD: return 0.0f;
    default: return 1.0f;
    }
}

void CTitlePicture::Draw()
{
    if (!m_pTexture || !g_pDevice || m_nState == STATE_DEAD) return;
    g_pDevice->SetDepthTest(0);  // a picture writes no depth
    g_pDevice->Sprite().Begin();
    m_pTexture->DrawSpriteBlend(m_vPos.x, m_vPos.y, GetAlpha());
    g_pDevice->Sprite().End();
}
