#include "gfx/Sprite.h"

#include <algorithm>
#include <cmath>

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
    if (!m_bBegun) return;
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
    // at its centre, where linear filtering gives the texel itself: sampling the
    // nearest texel is then the same picture, and much cheaper to draw.
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
    const uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    m_pRenderer->SetTexture(tex);
    m_pRenderer->DrawIndexedPrimitiveUP(EPrimitive::TriangleList, 4, 2, idx, q, FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
}

void CSprite::Draw(CRenderTexture* tex, const SRect* src, const Vec3* center, const Vec3* position, uint32_t color)
{
    if (!m_bBegun || !tex || tex->Width() <= 0 || tex->Height() <= 0) return;
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
    // sprite placed texel for texel on whole pixels is drawn as the runs of its
    // blocks that hold visible texels, which skips the see-through parts of large
    // pictures (the HUD frame) at no change to the picture.
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
    const int b = CRenderTexture::kCoverageBlock;
    for (int by = r.top / b; by * b < r.bottom; ++by) {
        const int ty0 = std::max(by * b, r.top), ty1 = std::min(by * b + b, r.bottom);
        int bx = r.left / b;
        while (bx * b < r.right) {
            if (!tex->IsBlockVisible(bx, by)) {
                ++bx;
                continue;
            }
            const int run = bx;
            while (bx * b < r.right && tex->IsBlockVisible(bx, by)) ++bx;
            const int tx0 = std::max(run * b, r.left), tx1 = std::min(bx * b, r.right);
            const float px = x + static_cast<float>(tx0 - r.left), py = y + static_cast<float>(ty0 - r.top);
            DrawQuad(tex, px, py, px + static_cast<float>(tx1 - tx0), py + static_cast<float>(ty1 - ty0), tx0 / tw,
                     ty0 / th, tx1 / tw, ty1 / th, color, z);
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
