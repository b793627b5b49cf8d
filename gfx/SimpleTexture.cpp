#include "gfx/SimpleTexture.h"

#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

CSimpleTexture::CSimpleTexture(CTexture* texture)
{
    m_pTexture = texture;
}

void CSimpleTexture::Draw()
{
    if (!m_pTexture || !g_pDevice) return;
    SetWorldTransform();
    g_pDevice->SetCullMode(0);
    g_pDevice->SetWireframe(0);
    g_pDevice->SetFog(0);
    g_pDevice->SetBlendMode(1);
    g_pDevice->SetTextureFilter(1);
    // Alpha 0 keeps the quad additive.
    m_pTexture->DrawBillboard(kSize, 0.0f);
    g_pDevice->SetTextureFilter(0);
}
