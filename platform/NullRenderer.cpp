#include "platform/NullRenderer.h"

namespace {

class CNullTexture : public CRenderTexture {
public:
    CNullTexture(int w, int h, bool target, bool mipmaps)
    {
        m_nWidth = w;
        m_nHeight = h;
        m_bRenderTarget = target;
        m_bMipmaps = mipmaps;
    }
};

class CNullMesh : public CRenderMesh {
public:
    CNullMesh(int vertices, int indices, uint32_t format)
    {
        m_nVertices = vertices;
        m_nIndices = indices;
        m_nFormat = format;
    }
};

}  // namespace

// Textures keep no pixels, but know which parts are see-through or opaque, so
// that drawing makes the same draws (with the same states) as on a real back end.
CRenderTexture* CNullRenderer::CreateTexture(int width, int height, const uint32_t* pixels, bool mipmaps)
{
    if (width <= 0 || height <= 0) return nullptr;
    auto* t = new CNullTexture(width, height, false, mipmaps);
    if (pixels) UpdateCoverage(t, 0, 0, width, height, pixels);
    return t;
}

void CNullRenderer::UpdateTexture(CRenderTexture* tex, int x, int y, int width, int height, const uint32_t* pixels)
{
    if (IsValidUpdate(tex, x, y, width, height, pixels)) UpdateCoverage(tex, x, y, width, height, pixels);
}

CRenderTexture* CNullRenderer::CreateRenderTarget(int width, int height)
{
    if (width <= 0 || height <= 0) return nullptr;
    return new CNullTexture(width, height, true, false);
}

void CNullRenderer::ReleaseTexture(CRenderTexture* tex)
{
    if (!tex) return;
    if (m_pTexture == tex) SetTexture(nullptr);
    if (m_pRenderTarget == tex) SetRenderTarget(nullptr);
    delete tex;
}

CRenderMesh* CNullRenderer::CreateMesh(const RVertex* vertices, int vertexCount, const uint16_t* indices,
                                       int indexCount, uint32_t format)
{
    if (!vertices || !indices || vertexCount <= 0 || indexCount <= 0) return nullptr;
    return new CNullMesh(vertexCount, indexCount, format);
}

void CNullRenderer::ReleaseMesh(CRenderMesh* mesh) { delete mesh; }
