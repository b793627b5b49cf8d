#include "platform/NullRenderer.h"

namespace {

class CNullTexture : public CRenderTexture {
public:
    CNullTexture(int w, int h, bool target)
    {
        m_nWidth = w;
        m_nHeight = h;
        m_bRenderTarget = target;
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

CRenderTexture* CNullRenderer::CreateTexture(int width, int height, const uint32_t*, bool)
{
    if (width <= 0 || height <= 0) return nullptr;
    return new CNullTexture(width, height, false);
}

void CNullRenderer::UpdateTexture(CRenderTexture*, int, int, int, int, const uint32_t*) {}

CRenderTexture* CNullRenderer::CreateRenderTarget(int width, int height)
{
    if (width <= 0 || height <= 0) return nullptr;
    return new CNullTexture(width, height, true);
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
