#include "gfx/Sprite.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/RenderMath.h"

void CSprite::Begin()
{
    if (m_bBegun || !m_pRenderer) return;
    m_bBegun = true;
    CRenderer& r = *m_pRenderer;
    r.SaveState(m_Saved);
    if (m_pKeeper) m_pKeeper->SaveKeptStates();
    r.SetRenderState(ERenderState::AlphaBlendEnable, 1);
    r.SetRenderState(ERenderState::SrcBlend, BLEND_SRCALPHA);
    r.SetRenderState(ERenderState::DestBlend, BLEND_INVSRCALPHA);
    r.SetRenderState(ERenderState::AlphaTestEnable, 1);
    r.SetRenderState(ERenderState::AlphaFunc, CMP_GREATER);
    r.SetRenderState(ERenderState::AlphaRef, 0);
    r.SetRenderState(ERenderState::CullMode, CULL_NONE);
    r.SetRenderState(ERenderState::FillMode, FILL_SOLID);
    r.SetRenderState(ERenderState::FogEnable, 0);
    r.SetRenderState(ERenderState::Lighting, 0);
    r.SetRenderState(ERenderState::ColorVertex, 1);
    r.SetStageState(EStageState::ColorOp, TOP_MODULATE);
    r.SetStageState(EStageState::ColorArg1, TA_TEXTURE);
    r.SetStageState(EStageState::ColorArg2, TA_DIFFUSE);
    r.SetStageState(EStageState::AlphaOp, TOP_MODULATE);
    r.SetStageState(EStageState::AlphaArg1, TA_TEXTURE);
    r.SetStageState(EStageState::AlphaArg2, TA_DIFFUSE);
    r.SetSamplerState(ESamplerState::AddressU, TADDRESS_CLAMP);
    r.SetSamplerState(ESamplerState::AddressV, TADDRESS_CLAMP);
    r.SetSamplerState(ESamplerState::MagFilter, TEXF_LINEAR);
    r.SetSamplerState(ESamplerState::MinFilter, TEXF_LINEAR);
    r.SetSamplerState(ESamplerState::MipFilter, TEXF_LINEAR);
    r.SetTransform(ETransform::World, IdentityMatrix());
    r.SetTransform(ETransform::View, IdentityMatrix());
    const SViewport& vp = r.GetViewport();
    r.SetTransform(ETransform::Projection,
                   OrthoOffCenterLH(vp.x + 0.5f, vp.x + vp.width + 0.5f, vp.y + vp.height + 0.5f, vp.y + 0.5f,
                                    vp.minZ, vp.maxZ));
}

bool CSprite::CanCopyTexels(uint32_t color, float z) const
{
    const CRenderer& r = *m_pRenderer;
    auto stage = [&](EStageState s) { return r.GetStageState(s); };
    const bool plain = stage(EStageState::ColorOp) == TOP_MODULATE && stage(EStageState::ColorArg1) == TA_TEXTURE &&
                       stage(EStageState::ColorArg2) == TA_DIFFUSE && stage(EStageState::AlphaOp) == TOP_MODULATE &&
                       stage(EStageState::AlphaArg1) == TA_TEXTURE && stage(EStageState::AlphaArg2) == TA_DIFFUSE &&
                       r.GetRenderState(ERenderState::FogEnable) == 0;
    // At depth 0 the depth test (less or equal) passes everywhere; only a
    // depth write would leave something a copy does not.
    const bool depthKept =
        r.GetRenderState(ERenderState::ZEnable) == 0 ||
        (r.GetRenderState(ERenderState::ZWriteEnable) == 0 && z == 0.0f && r.GetViewport().minZ == 0.0f);
    return color == 0xFFFFFFFFu && plain && depthKept && CanSkipBlending(color);
}

// A transform that only moves by whole pixels; tx, ty get the move.
static bool IsPixelTranslation(const Matrix& m, float& tx, float& ty)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            if (i == 3 && j < 2) continue;
            if (m.m[i][j] != (i == j ? 1.0f : 0.0f)) return false;
        }
    tx = m.m[3][0];
    ty = m.m[3][1];
    return tx == std::floor(tx) && ty == std::floor(ty);
}

void CSprite::DrawQuad(CRenderTexture* tex, float x0, float y0, float x1, float y1, float u0, float v0, float u1,
                       float v1, uint32_t color, float z)
{
    // A picture nobody sees needs no quads (the states are the batch's own).
    if (!m_bBegun || m_pRenderer->IsDiscarding()) return;
    // A texture with no see-through texel, at full opacity, shows only its own
    // texels whatever the filtering reaches.
    std::optional<SBlendSwitch> off;
    if (tex && tex->IsOpaque() && CanSkipBlending(color)) off.emplace(*m_pRenderer);
    EmitQuad(tex, x0, y0, x1, y1, u0, v0, u1, v1, color, z);
}

bool CSprite::CanSkipBlending(uint32_t color) const
{
    // Alpha blending of an opaque texel at full opacity writes the texel itself,
    // and the alpha test (alpha > 0) passes it.
    const CRenderer& r = *m_pRenderer;
    const bool blending = r.GetRenderState(ERenderState::AlphaBlendEnable) != 0;
    const bool over = r.GetRenderState(ERenderState::SrcBlend) == BLEND_SRCALPHA &&
                      r.GetRenderState(ERenderState::DestBlend) == BLEND_INVSRCALPHA;
    const bool testPasses = r.GetRenderState(ERenderState::AlphaTestEnable) == 0 ||
                            (r.GetRenderState(ERenderState::AlphaFunc) == CMP_GREATER &&
                             r.GetRenderState(ERenderState::AlphaRef) < 0xFF);
    return (color >> 24) == 0xFF && blending && over && testPasses;
}

CSprite::SBlendSwitch::SBlendSwitch(CRenderer& r)
    : renderer(r), blend(r.GetRenderState(ERenderState::AlphaBlendEnable)),
      test(r.GetRenderState(ERenderState::AlphaTestEnable))
{
    r.SetRenderState(ERenderState::AlphaBlendEnable, 0);
    r.SetRenderState(ERenderState::AlphaTestEnable, 0);
}

CSprite::SBlendSwitch::~SBlendSwitch()
{
    renderer.SetRenderState(ERenderState::AlphaBlendEnable, blend);
    renderer.SetRenderState(ERenderState::AlphaTestEnable, test);
}

void CSprite::EmitQuad(CRenderTexture* tex, float x0, float y0, float x1, float y1, float u0, float v0, float u1,
                       float v1, uint32_t color, float z)
{
    const float px[4] = {x0, x1, x1, x0};
    const float py[4] = {y0, y0, y1, y1};
    const float pu[4] = {u0, u1, u1, u0};
    const float pv[4] = {v0, v0, v1, v1};
    RVertex q[4];
    for (int i = 0; i < 4; ++i) {
        float p[4];
        TransformPoint4(m_Transform, px[i], py[i], z, p);
        q[i].x = p[0];
        q[i].y = p[1];
        q[i].z = p[2];
        q[i].diffuse = color;
        q[i].u = pu[i];
        q[i].v = pv[i];
    }
    // A quad that maps its texels one to one onto whole pixels samples every texel
    // at its centre, of the full-size level (no minification), where linear
    // filtering gives the texel itself: sampling the nearest texel of that level
    // is then the same picture, and much cheaper to draw.
    bool exact = false;
    float tx = 0.0f, ty = 0.0f;
    if (tex && IsPixelTranslation(m_Transform, tx, ty)) {
        const float w = static_cast<float>(tex->Width()), h = static_cast<float>(tex->Height());
        exact = x0 == std::floor(x0) && y0 == std::floor(y0) && (x1 - x0) == (u1 - u0) * w &&
                (y1 - y0) == (v1 - v0) * h && u0 * w == std::floor(u0 * w) && v0 * h == std::floor(v0 * h);
    }
    const uint32_t filter = exact ? TEXF_POINT : TEXF_LINEAR;
    m_pRenderer->SetSamplerState(ESamplerState::MagFilter, filter);
    m_pRenderer->SetSamplerState(ESamplerState::MinFilter, filter);
    m_pRenderer->SetSamplerState(ESamplerState::MipFilter, exact ? TEXF_NONE : TEXF_LINEAR);
    const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    m_pRenderer->SetTexture(tex);
    m_pRenderer->DrawIndexedPrimitiveUP(EPrimitive::TriangleList, 4, 2, idx, q, FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
}

void CSprite::Draw(CRenderTexture* tex, const SRect* src, const Vec3* center, const Vec3* position, uint32_t color)
{
    if (!m_bBegun || m_pRenderer->IsDiscarding() || !tex || tex->Width() <= 0 || tex->Height() <= 0) return;
    SRect r{0, 0, tex->Width(), tex->Height()};
    if (src) r = *src;
    const float w = static_cast<float>(r.right - r.left);
    const float h = static_cast<float>(r.bottom - r.top);
    float x = 0.0f, y = 0.0f, z = 0.0f;
    if (position) {
        x = position->x;
        y = position->y;
        z = position->z;
    }
    if (center) {
        x -= center->x;
        y -= center->y;
        z -= center->z;
    }
    const float tw = static_cast<float>(tex->Width());
    const float th = static_cast<float>(tex->Height());
    // Sprites are alpha tested (alpha > 0): texels of alpha 0 leave no trace. A
    // sprite placed texel for texel on whole pixels is drawn as the regions of its
    // blocks that hold visible texels, which skips the see-through parts of large
    // pictures (the HUD frame); regions of opaque blocks at full opacity are drawn
    // without blending. Neither changes the picture.
    const CRenderer& rs = *m_pRenderer;
    const bool tested = rs.GetRenderState(ERenderState::AlphaTestEnable) != 0 &&
                        rs.GetRenderState(ERenderState::AlphaFunc) == CMP_GREATER &&
                        rs.GetRenderState(ERenderState::AlphaRef) == 0;
    float tx = 0.0f, ty = 0.0f;
    if (!tested || !IsPixelTranslation(m_Transform, tx, ty) || x != std::floor(x) || y != std::floor(y) || r.left < 0 ||
        r.top < 0 || r.right > tex->Width() || r.bottom > tex->Height() || r.right <= r.left ||
        r.bottom <= r.top) {
        DrawQuad(tex, x, y, x + w, y + h, r.left / tw, r.top / th, r.right / tw, r.bottom / th, color, z);
        return;
    }
    const bool skipBlending = CanSkipBlending(color);
    const int b = CRenderTexture::kCoverageBlock;
    // Each row of blocks becomes runs of visible blocks (split where opacity
    // changes); a row whose runs equal the previous row's extends that row's
    // rectangles downward, so a picture with no holes is a single quad.
    m_Rects.clear();
    m_Row.clear();
    m_Previous.clear();
    int top = r.top;
    auto close = [&](int bottom) {
        for (const SRun& run : m_Previous) m_Rects.push_back({run.left, top, run.right, bottom, run.opaque});
    };
    for (int by = r.top / b; by * b < r.bottom; ++by) {
        m_Row.clear();
        int bx = r.left / b;
        while (bx * b < r.right) {
            if (!tex->IsBlockVisible(bx, by)) {
                ++bx;
                continue;
            }
            const bool opaque = skipBlending && tex->IsBlockOpaque(bx, by);
            const int run = bx;
            while (bx * b < r.right && tex->IsBlockVisible(bx, by) &&
                   (skipBlending && tex->IsBlockOpaque(bx, by)) == opaque)
                ++bx;
            m_Row.push_back({std::max(run * b, r.left), std::min(bx * b, r.right), opaque});
        }
        const int rowTop = std::max(by * b, r.top);
        if (m_Row != m_Previous) {
            close(rowTop);
            m_Previous.swap(m_Row);
            top = rowTop;
        }
    }
    close(r.bottom);
    // The rectangles do not overlap, so their order does not matter: the opaque
    // ones go first, together, with blending off, or copied where the back end
    // can copy them inside the viewport.
    const bool copy = CanCopyTexels(color, z);
    const SViewport& vp = m_pRenderer->GetViewport();
    for (int pass = 0; pass < 2; ++pass) {
        const bool opaque = pass == 0;
        std::optional<SBlendSwitch> off;
        for (const SPiece& rect : m_Rects) {
            if (rect.opaque != opaque) continue;
            const float px = x + static_cast<float>(rect.left - r.left), py = y + static_cast<float>(rect.top - r.top);
            if (opaque && copy) {
                const int cx = static_cast<int>(px + tx), cy = static_cast<int>(py + ty);
                if (cx >= vp.x && cy >= vp.y && cx + (rect.right - rect.left) <= vp.x + vp.width &&
                    cy + (rect.bottom - rect.top) <= vp.y + vp.height &&
                    m_pRenderer->CopyTexels(tex, rect.left, rect.top, rect.right, rect.bottom, cx, cy))
                    continue;
            }
            if (opaque && !off) off.emplace(*m_pRenderer);
            EmitQuad(tex, px, py, px + static_cast<float>(rect.right - rect.left),
                     py + static_cast<float>(rect.bottom - rect.top), rect.left / tw, rect.top / th,
                     rect.right / tw, rect.bottom / th, color, z);
        }
    }
}

void CSprite::End()
{
    if (!m_bBegun) return;
    m_bBegun = false;
    m_pRenderer->RestoreState(m_Saved);
    if (m_pKeeper) m_pKeeper->RestoreKeptStates();
}
