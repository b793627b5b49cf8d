#include "gfx/RectangleShadow.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"

CRectangleShadow::CRectangleShadow() = default;

CRectangleShadow* CRectangleShadow::Spawn(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, float alpha,
                                          float red, float green, float blue, int frames)
{
    CRectangleShadow* s = new CRectangleShadow();
    s->m_vCorner[0] = a;
    s->m_vCorner[1] = b;
    s->m_vCorner[2] = c;
    s->m_vCorner[3] = d;
    s->m_fAlpha = alpha;
    s->m_fRed = red;
    s->m_fGreen = green;
    s->m_fBlue = blue;
    s->Vanish(frames);
    g_EffectList.Add(s);
    return s;
}

void CRectangleShadow::Draw()
{
    if (!g_pDevice) return;
    Matrix identity;
    MatrixIdentity(identity);
    g_pDevice->SetWorldTransform(identity);
    g_pDevice->SetFog(0);
    g_pDevice->SetCullMode(0);
    g_pDevice->SetWireframe(0);
    g_pDevice->SetDepthTest(0);
    g_pDevice->SetBlendMode(0);
    g_pDevice->DrawQuad3D(m_vCorner, m_fAlpha * GetVanishRate(), m_fRed, m_fGreen, m_fBlue);
}
