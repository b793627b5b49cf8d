#include "gfx/Texture.h"

#include <vector>

#include "gfx/GraphicsDevice.h"
#include "gfx/Sprite.h"
#include "platform/ResourceImage.h"
#include "platform/Resources.h"

namespace {

uint32_t AlphaByte(float alpha)
{
    // Integer part, kept inside a byte for out-of-range fades.
    if (!(alpha > 0.0f)) return 0;
    if (alpha >= 1.0f) return 255;
    return static_cast<uint32_t>(alpha * 255.0f);
}

void ReportDamaged(const char* type, const char* name, const std::string& why)
{
    std::string text = std::string("Damaged Resource ") + (type ? type : "") + " " + (name ? name : "") + ": " + why;
    ShowResourceMessage(text.c_str());
}

} // namespace

CTexture::CTexture(CGraphicsDevice* device) : m_pDevice(device ? device : g_pDevice) {}

CTexture::~CTexture()
{
    Release();
}

CTexture* CTexture::Create(const char* name, const char* type)
{
    CTexture* t = new CTexture();
    t->Load(name, type);
    return t;
}

int CTexture::Load(const char* name, const char* type)
{
    Release();
    std::vector<uint8_t> bytes;
    if (LoadResourceBytes(name, type, ".png", bytes) == RESOURCE_MISSING) {
        ReportUndefinedResource(type, name);
        return -1;
    }
    std::string why;
    if (!LoadFromPng(bytes.data(), bytes.size(), &why)) {
        ReportDamaged(type, name, why);
        return -1;
    }
    return 0;
}

bool CTexture::LoadFromPng(const uint8_t* data, size_t size, std::string* pError)
{
    Release();
    CResourceImage image;
    if (!DecodeTextureImage(data, size, &image, pError)) return false;
    if (CreateFromImage(image)) return true;
    if (pError) *pError = "the device cannot create the texture";
    return false;
}

bool CTexture::CreateFromImage(const CResourceImage& image)
{
    m_nWidth = image.m_nWidth;
    m_nHeight = image.m_nHeight;
    CRenderer* r = m_pDevice ? m_pDevice->GetRenderer() : nullptr;
    if (!r) return true;  // headless logic without a renderer: size only
    const size_t n = static_cast<size_t>(image.m_nWidth) * static_cast<size_t>(image.m_nHeight);
    std::vector<uint32_t> argb(n);
    const uint8_t* p = image.m_Pixels.data();
    for (size_t i = 0; i < n; ++i, p += 4)
        argb[i] = (static_cast<uint32_t>(p[3]) << 24) | (static_cast<uint32_t>(p[0]) << 16) |
                  (static_cast<uint32_t>(p[1]) << 8) | p[2];
    // A full mip chain, as the original texture loader built one by default.
    m_pTexture = r->CreateTexture(image.m_nWidth, image.m_nHeight, argb.data(), true);
    if (!m_pTexture) {
        m_nWidth = m_nHeight = 0;
        return false;
    }
    return true;
}

void CTexture::Release()
{
    if (m_pTexture && m_pDevice && m_pDevice->GetRenderer()) m_pDevice->GetRenderer()->ReleaseTexture(m_pTexture);
    m_pTexture = nullptr;
    m_nWidth = m_nHeight = 0;
}

void CTexture::DrawQuadVertices(float width, float height, float alpha)
{
    if (!m_pTexture || !m_pDevice) return;
    CGraphicsDevice& d = *m_pDevice;
    d.SetMaterialColor(1.0f, 1.0f, 1.0f, 1.0f);
    d.SetWireframe(0);
    d.SetBlendMode(alpha == 0.0f ? 1 : 0);
    const float hw = width * 0.5f, hh = height * 0.5f;
    const uint32_t colour = AlphaByte(alpha) << 24;  // colour channels 0: the material lights it
    const float px[4] = {-hw, hw, -hw, hw};
    const float py[4] = {hh, hh, -hh, -hh};
    const float pu[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    const float pv[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    RVertex v[4];
    for (int i = 0; i < 4; ++i) {
        v[i].x = px[i];
        v[i].y = py[i];
        v[i].z = 0.0f;
        v[i].diffuse = colour;
        v[i].u = pu[i];
        v[i].v = pv[i];
    }
    d.SetTexture(m_pTexture);
    d.DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, v, FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
}

void CTexture::DrawBillboard(float size, float alpha)
{
    if (m_nWidth <= 0) return;
    DrawQuadVertices(size, size * static_cast<float>(m_nHeight) / static_cast<float>(m_nWidth), alpha);
}

void CTexture::DrawQuad(float width, float height, float alpha)
{
    DrawQuadVertices(width, height, alpha);
}

void CTexture::DrawSprite(float x, float y, const SRect* rect, float scale, float alpha)
{
    if (!m_pTexture || !m_pDevice) return;
    CGraphicsDevice& d = *m_pDevice;
    d.SetDepthTest(0);
    d.SetFog(0);
    d.SetBlendMode(0);
    SRect r{0, 0, m_nWidth, m_nHeight};
    if (rect && (rect->left | rect->top | rect->right | rect->bottom) != 0) r = *rect;
    const float w = static_cast<float>(r.right - r.left);
    const float h = static_cast<float>(r.bottom - r.top);
    // Scaling happens about the screen origin, so the position is placed by
    // the transform: the grown sprite keeps its centre.
    const float left = x - w * (scale - 1.0f) * 0.5f;
    const float top = y - h * (scale - 1.0f) * 0.5f;
    Matrix m;
    m.m[0][0] = scale;
    m.m[1][1] = scale;
    m.m[2][2] = 1.0f;
    m.m[3][0] = left;
    m.m[3][1] = top;
    m.m[3][3] = 1.0f;
    CSprite& s = d.Sprite();
    const Matrix saved = s.GetTransform();
    s.SetTransform(m);
    const Vec3 origin{0.0f, 0.0f, 0.0f};
    s.Draw(m_pTexture, &r, nullptr, &origin, (AlphaByte(alpha) << 24) | 0x00FFFFFFu);
    s.SetTransform(saved);
}

void CTexture::DrawWholeSprite(float x, float y, float alpha, int blendMode)
{
    if (!m_pTexture || !m_pDevice) return;
    m_pDevice->SetBlendMode(blendMode);
    const Vec3 pos{x, y, 0.0f};
    m_pDevice->Sprite().Draw(m_pTexture, nullptr, nullptr, &pos, (AlphaByte(alpha) << 24) | 0x00FFFFFFu);
}

void CTexture::DrawSpriteAdd(float x, float y, float alpha)
{
    DrawWholeSprite(x, y, alpha, 1);
}

void CTexture::DrawSpriteBlend(float x, float y, float alpha)
{
    DrawWholeSprite(x, y, alpha, 0);
}
