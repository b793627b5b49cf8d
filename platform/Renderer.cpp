#include "platform/Renderer.h"

#include <algorithm>
#include <cstring>

#include "platform/RenderMath.h"

int VertexCountFor(EPrimitive type, int primCount)
{
    if (primCount <= 0) return 0;
    switch (type) {
    case EPrimitive::PointList: return primCount;
    case EPrimitive::LineList: return primCount * 2;
    case EPrimitive::LineStrip: return primCount + 1;
    case EPrimitive::TriangleList: return primCount * 3;
    case EPrimitive::TriangleStrip:
    case EPrimitive::TriangleFan: return primCount + 2;
    }
    return 0;
}

static uint32_t FloatBits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

SDeviceState::SDeviceState()
{
    auto R = [this](ERenderState s, uint32_t v) { render[static_cast<int>(s)] = v; };
    R(ERenderState::ZEnable, 1);
    R(ERenderState::ZWriteEnable, 1);
    R(ERenderState::FillMode, FILL_SOLID);
    R(ERenderState::CullMode, CULL_CCW);
    R(ERenderState::AlphaBlendEnable, 0);
    R(ERenderState::SrcBlend, BLEND_ONE);
    R(ERenderState::DestBlend, BLEND_ZERO);
    R(ERenderState::AlphaTestEnable, 0);
    R(ERenderState::AlphaFunc, CMP_ALWAYS);
    R(ERenderState::AlphaRef, 0);
    R(ERenderState::FogEnable, 0);
    R(ERenderState::FogColor, 0);
    R(ERenderState::FogStart, FloatBits(0.0f));
    R(ERenderState::FogEnd, FloatBits(1.0f));
    R(ERenderState::Lighting, 1);
    R(ERenderState::Ambient, 0);
    R(ERenderState::ColorVertex, 1);
    auto T = [this](EStageState s, uint32_t v) { stage[static_cast<int>(s)] = v; };
    T(EStageState::ColorOp, TOP_MODULATE);
    T(EStageState::ColorArg1, TA_TEXTURE);
    T(EStageState::ColorArg2, TA_CURRENT);
    T(EStageState::AlphaOp, TOP_SELECTARG1);
    T(EStageState::AlphaArg1, TA_TEXTURE);
    T(EStageState::AlphaArg2, TA_CURRENT);
    auto S = [this](ESamplerState s, uint32_t v) { sampler[static_cast<int>(s)] = v; };
    S(ESamplerState::AddressU, TADDRESS_WRAP);
    S(ESamplerState::AddressV, TADDRESS_WRAP);
    S(ESamplerState::MagFilter, TEXF_POINT);
    S(ESamplerState::MinFilter, TEXF_POINT);
    S(ESamplerState::MipFilter, TEXF_NONE);
}

CRenderer::CRenderer()
{
    for (Matrix& m : m_Transform) m = IdentityMatrix();
}

void CRenderer::SetRenderState(ERenderState s, uint32_t value)
{
    uint32_t& slot = m_State.render[static_cast<int>(s)];
    if (slot == value) return;
    Flush();
    slot = value;
}

void CRenderer::SetRenderStateF(ERenderState s, float value) { SetRenderState(s, FloatBits(value)); }

float CRenderer::GetRenderStateF(ERenderState s) const
{
    float f;
    std::memcpy(&f, &m_State.render[static_cast<int>(s)], sizeof f);
    return f;
}

void CRenderer::SetStageState(EStageState s, uint32_t value)
{
    uint32_t& slot = m_State.stage[static_cast<int>(s)];
    if (slot == value) return;
    Flush();
    slot = value;
}

void CRenderer::SetSamplerState(ESamplerState s, uint32_t value)
{
    uint32_t& slot = m_State.sampler[static_cast<int>(s)];
    if (slot == value) return;
    Flush();
    slot = value;
}

static bool SameColor(const SColorValue& a, const SColorValue& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

void CRenderer::SetMaterial(const SMaterial& m)
{
    const SMaterial& o = m_State.material;
    if (SameColor(o.diffuse, m.diffuse) && SameColor(o.ambient, m.ambient) && SameColor(o.specular, m.specular) &&
        SameColor(o.emissive, m.emissive) && o.power == m.power)
        return;
    Flush();
    m_State.material = m;
}

void CRenderer::SetLight(const SLight& l)
{
    const SLight& o = m_State.light;
    if (SameColor(o.diffuse, l.diffuse) && SameColor(o.specular, l.specular) && SameColor(o.ambient, l.ambient) &&
        o.direction.x == l.direction.x && o.direction.y == l.direction.y && o.direction.z == l.direction.z &&
        o.enabled == l.enabled)
        return;
    Flush();
    m_State.light = l;
}

void CRenderer::SetTexture(CRenderTexture* tex)
{
    if (tex == m_pTexture) return;
    Flush();
    m_pTexture = tex;
}

void CRenderer::SetTransform(ETransform t, const Matrix& m)
{
    Matrix& slot = m_Transform[static_cast<int>(t)];
    // The world matrix is applied to batched vertices as they arrive; only the view
    // and projection belong to the batch.
    if (t != ETransform::World) {
        if (std::memcmp(&slot, &m, sizeof m) == 0) return;
        Flush();
    }
    slot = m;
}

void CRenderer::SetViewport(const SViewport& vp)
{
    const SViewport& o = m_Viewport;
    if (o.x == vp.x && o.y == vp.y && o.width == vp.width && o.height == vp.height && o.minZ == vp.minZ &&
        o.maxZ == vp.maxZ)
        return;
    Flush();
    m_Viewport = vp;
}

void CRenderer::SaveState(SSavedState& out) const
{
    out.state = m_State;
    out.texture = m_pTexture;
    for (int i = 0; i < 3; ++i) out.transform[i] = m_Transform[i];
    out.viewport = m_Viewport;
}

void CRenderer::RestoreState(const SSavedState& in)
{
    Flush();
    m_State = in.state;
    m_pTexture = in.texture;
    for (int i = 0; i < 3; ++i) m_Transform[i] = in.transform[i];
    m_Viewport = in.viewport;
}

void CRenderer::SetRenderTarget(CRenderTexture* target)
{
    Flush();
    m_pRenderTarget = target;
    SViewport vp;
    vp.width = target ? target->Width() : kWidth;
    vp.height = target ? target->Height() : kHeight;
    m_Viewport = vp;
    OnRenderTargetChanged();
}

void CRenderer::BeginScene()
{
    m_Stats = SRenderStats{};
}

void CRenderer::DrawPrimitiveUP(EPrimitive type, int primCount, const RVertex* vertices, uint32_t format)
{
    if (primCount <= 0 || !vertices) return;
    m_Stats.primitives += primCount;
    SubmitUP(type, primCount, vertices, nullptr, VertexCountFor(type, primCount), format);
}

void CRenderer::DrawIndexedPrimitiveUP(EPrimitive type, int vertexCount, int primCount, const uint16_t* indices,
                                       const RVertex* vertices, uint32_t format)
{
    if (primCount <= 0 || !vertices || !indices || vertexCount <= 0) return;
    m_Stats.primitives += primCount;
    SubmitUP(type, primCount, vertices, indices, vertexCount, format);
}

void CRenderer::DrawMesh(CRenderMesh* mesh, int firstIndex, int triangleCount)
{
    if (!mesh || triangleCount <= 0 || firstIndex < 0) return;
    if (firstIndex + triangleCount * 3 > mesh->IndexCount()) return;
    m_Stats.primitives += triangleCount;
    SubmitMesh(mesh, firstIndex, triangleCount);
}

void CRenderer::UpdateCoverage(CRenderTexture* tex, int x, int y, int width, int height, const uint32_t* pixels)
{
    if (!tex || tex->m_bRenderTarget) return;
    const int bw = tex->BlocksX(), bh = tex->BlocksY();
    const int b = CRenderTexture::kCoverageBlock;
    if (tex->m_Coverage.size() != static_cast<size_t>(bw) * bh)
        tex->m_Coverage.assign(static_cast<size_t>(bw) * bh, CRenderTexture::kNone);
    // The blocks touched are recomputed from these pixels; a block only partly
    // covered by the update keeps any visibility it had, and stays opaque only
    // if it was and the new texels are.
    for (int by = y / b; by <= (y + height - 1) / b; ++by)
        for (int bx = x / b; bx <= (x + width - 1) / b; ++bx) {
            uint8_t& cell = tex->m_Coverage[static_cast<size_t>(by) * bw + bx];
            const int x0 = std::max(bx * b, x), x1 = std::min(bx * b + b, x + width);
            const int y0 = std::max(by * b, y), y1 = std::min(by * b + b, y + height);
            // The texels of this block inside the texture (the last row and
            // column of blocks may reach beyond it).
            const int fullW = std::min(bx * b + b, tex->m_nWidth) - bx * b;
            const int fullH = std::min(by * b + b, tex->m_nHeight) - by * b;
            const bool whole = x0 == bx * b && y0 == by * b && x1 - x0 == fullW && y1 - y0 == fullH;
            bool visible = !whole && cell != CRenderTexture::kNone;
            bool opaque = whole || cell == CRenderTexture::kOpaque;
            for (int py = y0; py < y1 && (opaque || !visible); ++py) {
                const uint32_t* row = pixels + static_cast<size_t>(py - y) * width;
                for (int px = x0; px < x1; ++px) {
                    const uint32_t alpha = row[px - x] >> 24;
                    visible = visible || alpha != 0;
                    opaque = opaque && alpha == 0xFF;
                }
            }
            cell = opaque ? CRenderTexture::kOpaque : visible ? CRenderTexture::kVisible : CRenderTexture::kNone;
        }
    tex->m_bOpaque = std::all_of(tex->m_Coverage.begin(), tex->m_Coverage.end(),
                                 [](uint8_t c) { return c == CRenderTexture::kOpaque; });
}
