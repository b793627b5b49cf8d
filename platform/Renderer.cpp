#include "platform/Renderer.h"

#include <algorithm>
#include <cstdio>
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
    EndBatch();
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
    EndBatch();
    slot = value;
}

void CRenderer::SetSamplerState(ESamplerState s, uint32_t value)
{
    uint32_t& slot = m_State.sampler[static_cast<int>(s)];
    if (slot == value) return;
    EndBatch();
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
    OnMaterialChanging();
    m_State.material = m;
}

void CRenderer::SetLight(const SLight& l)
{
    const SLight& o = m_State.light;
    if (SameColor(o.diffuse, l.diffuse) && SameColor(o.specular, l.specular) && SameColor(o.ambient, l.ambient) &&
        o.direction.x == l.direction.x && o.direction.y == l.direction.y && o.direction.z == l.direction.z &&
        o.enabled == l.enabled)
        return;
    EndBatch();
    m_State.light = l;
}

void CRenderer::SetTexture(CRenderTexture* tex)
{
    if (tex == m_pTexture) return;
    EndBatch();
    m_pTexture = tex;
}

void CRenderer::SetTransform(ETransform t, const Matrix& m)
{
    Matrix& slot = m_Transform[static_cast<int>(t)];
    // The world matrix is applied to batched vertices as they arrive; only the view
    // and projection belong to the batch.
    if (t != ETransform::World) {
        if (std::memcmp(&slot, &m, sizeof m) == 0) return;
        EndBatch();
    }
    slot = m;
}

void CRenderer::SetViewport(const SViewport& vp)
{
    const SViewport& o = m_Viewport;
    if (o.x == vp.x && o.y == vp.y && o.width == vp.width && o.height == vp.height && o.minZ == vp.minZ &&
        o.maxZ == vp.maxZ)
        return;
    EndBatch();
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
    EndBatch();
    m_State = in.state;
    m_pTexture = in.texture;
    for (int i = 0; i < 3; ++i) m_Transform[i] = in.transform[i];
    m_Viewport = in.viewport;
}

void CRenderer::SetRenderTarget(CRenderTexture* target)
{
    EndBatch();
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
    m_OpenBatch.open = false;
}

void CRenderer::SetDiscarding(bool on)
{
    if (on == m_bDiscarding) return;
    Flush();
    m_bDiscarding = on;
}

void CRenderer::DrawPrimitiveUP(EPrimitive type, int primCount, const RVertex* vertices, uint32_t format)
{
    if (primCount <= 0 || !vertices || m_bDiscarding) return;
    m_Stats.primitives += primCount;
    if (m_pRecordedKinds) RecordDraw(type, format, vertices, VertexCountFor(type, primCount));
    SubmitUP(type, primCount, vertices, nullptr, VertexCountFor(type, primCount), format);
}

void CRenderer::DrawIndexedPrimitiveUP(EPrimitive type, int vertexCount, int primCount, const uint16_t* indices,
                                       const RVertex* vertices, uint32_t format)
{
    if (primCount <= 0 || !vertices || !indices || vertexCount <= 0 || m_bDiscarding) return;
    m_Stats.primitives += primCount;
    if (m_pRecordedKinds) RecordDraw(type, format, vertices, vertexCount);
    SubmitUP(type, primCount, vertices, indices, vertexCount, format);
}

void CRenderer::DrawMesh(CRenderMesh* mesh, int firstIndex, int triangleCount)
{
    if (!mesh || triangleCount <= 0 || firstIndex < 0 || m_bDiscarding) return;
    if (firstIndex + triangleCount * 3 > mesh->IndexCount()) return;
    m_Stats.primitives += triangleCount;
    m_OpenBatch.open = false;  // meshes are drawn on their own
    if (m_pRecordedKinds)
        m_pRecordedKinds->insert(CurrentDrawKind(SDrawKind::kTriangles, mesh->Format(), true, nullptr, 0).ToText());
    SubmitMesh(mesh, firstIndex, triangleCount);
}

namespace {

// The numbers of a draw kind's text, in the order ToText writes them.
constexpr const char* kDrawKindFormat =
    "fmt %x prim %d mesh %d samew %d states %u,%u,%u,%u,%u,%u,%u,%u,%u,%u,%u,%u light %d stage %u,%u,%u,%u,%u,%u "
    "sampler %u,%u,%u,%u,%u texture %u materials %d";

}  // namespace

std::string SDrawKind::ToText() const
{
    static_assert(kStateCount == 12 && static_cast<int>(EStageState::Count) == 6 &&
                      static_cast<int>(ESamplerState::Count) == 5,
                  "the text names every field");
    char text[256];
    std::snprintf(text, sizeof text, kDrawKindFormat, format, primitive, mesh ? 1 : 0, sameW ? 1 : 0, render[0],
                  render[1], render[2], render[3], render[4], render[5], render[6], render[7], render[8], render[9],
                  render[10], render[11], lightOn ? 1 : 0, stage[0], stage[1], stage[2], stage[3], stage[4], stage[5],
                  sampler[0], sampler[1], sampler[2], sampler[3], sampler[4], texture, materials ? 1 : 0);
    return text;
}

bool SDrawKind::FromText(const std::string& text, SDrawKind& out)
{
    SDrawKind k;
    int isMesh = 0, isSameW = 0, isLightOn = 0, hasMaterials = 0;
    const int n = std::sscanf(text.c_str(), kDrawKindFormat, &k.format, &k.primitive, &isMesh, &isSameW, &k.render[0],
                              &k.render[1], &k.render[2], &k.render[3], &k.render[4], &k.render[5], &k.render[6],
                              &k.render[7], &k.render[8], &k.render[9], &k.render[10], &k.render[11], &isLightOn,
                              &k.stage[0], &k.stage[1], &k.stage[2], &k.stage[3], &k.stage[4], &k.stage[5],
                              &k.sampler[0], &k.sampler[1], &k.sampler[2], &k.sampler[3], &k.sampler[4], &k.texture,
                              &hasMaterials);
    k.mesh = isMesh != 0;
    k.sameW = isSameW != 0;
    k.lightOn = isLightOn != 0;
    k.materials = hasMaterials != 0;
    // Only the exact text ToText writes: anything else is a mistake in a list.
    if (n != 30 || k.primitive < kPoints || k.primitive > kTriangles || k.ToText() != text) return false;
    out = k;
    return true;
}

SDrawKind CRenderer::CurrentDrawKind(int primitive, uint32_t format, bool mesh, const RVertex* vertices, int count,
                                     float* firstW) const
{
    SDrawKind k;
    k.format = format;
    k.primitive = primitive;
    k.mesh = mesh;
    for (int i = 0; i < SDrawKind::kStateCount; ++i) k.render[i] = m_State.render[static_cast<int>(SDrawKind::kStates[i])];
    k.lightOn = m_State.light.enabled;
    std::copy(std::begin(m_State.stage), std::end(m_State.stage), k.stage);
    std::copy(std::begin(m_State.sampler), std::end(m_State.sampler), k.sampler);
    if (const CRenderTexture* t = m_pTexture) {
        auto pot = [](int v) { return v > 0 && (v & (v - 1)) == 0; };
        k.texture = SDrawKind::kTexture | (pot(t->Width()) ? SDrawKind::kPowerOfTwoWidth : 0u) |
                    (pot(t->Height()) ? SDrawKind::kPowerOfTwoHeight : 0u) |
                    (t->HasMipmaps() ? SDrawKind::kMipmaps : 0u) |
                    (t->IsRenderTarget() ? SDrawKind::kRenderTarget : 0u);
    }
    // Meshes are always drawn with perspective; other draws whose vertices share
    // one clip-space w are not.
    k.sameW = !mesh;
    if (!mesh && count > 0) {
        const Matrix vp = MultiplyMatrices(m_Transform[static_cast<int>(ETransform::View)],
                                           m_Transform[static_cast<int>(ETransform::Projection)]);
        const Matrix& world = m_Transform[static_cast<int>(ETransform::World)];
        auto clipW = [&](const RVertex& v) {
            if (format & FVF_XYZRHW) return v.rhw;
            float p[4];
            TransformPoint4(world, v.x, v.y, v.z, p);
            return p[0] * vp.m[0][3] + p[1] * vp.m[1][3] + p[2] * vp.m[2][3] + vp.m[3][3];
        };
        const float w0 = clipW(vertices[0]);
        for (int i = 1; i < count && k.sameW; ++i) k.sameW = clipW(vertices[i]) == w0;
        if (firstW) *firstW = w0;
    }
    return k;
}

void CRenderer::RecordDraw(EPrimitive type, uint32_t format, const RVertex* vertices, int count)
{
    const int primitive = type == EPrimitive::PointList                                         ? SDrawKind::kPoints
                          : type == EPrimitive::LineList || type == EPrimitive::LineStrip ? SDrawKind::kLines
                                                                                               : SDrawKind::kTriangles;
    float w = 0.0f;
    SDrawKind k = CurrentDrawKind(primitive, format, false, vertices, count, &w);
    // The back end merges draws of one kind that nothing came between into one
    // batch, drawn as a whole: with perspective unless all its vertices share
    // one w, with materials per vertex once lit draws of another material
    // joined it.
    SDrawKind key = k;
    key.sameW = true;
    const std::string keyText = key.ToText();
    SOpenBatch& b = m_OpenBatch;
    const SMaterial& m = m_State.material;
    if (!b.open || b.key != keyText) {
        b = SOpenBatch{};
        b.open = true;
        b.key = keyText;
        b.w = w;
        b.sameW = k.sameW;
        b.lit = !(format & FVF_XYZRHW) && m_State.render[static_cast<int>(ERenderState::Lighting)] != 0;
        b.material = m;
    } else {
        b.sameW = b.sameW && k.sameW && w == b.w;
        b.materials = b.materials || (b.lit && !(SameColor(m.diffuse, b.material.diffuse) &&
                                                 SameColor(m.ambient, b.material.ambient) &&
                                                 SameColor(m.emissive, b.material.emissive)));
    }
    k.sameW = b.sameW;
    k.materials = b.materials;
    m_pRecordedKinds->insert(k.ToText());
}

int CRenderer::PrepareDrawKinds(const char* const* texts, int count)
{
    std::set<std::string>* recording = m_pRecordedKinds;
    m_pRecordedKinds = nullptr;  // these draws are not the game's
    SSavedState saved;
    SaveState(saved);
    std::vector<std::pair<uint32_t, CRenderTexture*>> textures;
    auto textureFor = [&](uint32_t bits) -> CRenderTexture* {
        if (!bits) return nullptr;
        for (const auto& t : textures)
            if (t.first == bits) return t.second;
        const int w = (bits & SDrawKind::kPowerOfTwoWidth) ? 16 : 12;
        const int h = (bits & SDrawKind::kPowerOfTwoHeight) ? 16 : 12;
        const std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, 0x80FFFFFFu);
        CRenderTexture* t = (bits & SDrawKind::kRenderTarget)
                                ? CreateRenderTarget(w, h)
                                : CreateTexture(w, h, pixels.data(), (bits & SDrawKind::kMipmaps) != 0);
        textures.emplace_back(bits, t);
        return t;
    };
    EndBatch();
    int bad = 0;
    for (int i = 0; i < count; ++i) {
        SDrawKind k;
        if (!texts[i] || !SDrawKind::FromText(texts[i], k)) {
            ++bad;
            continue;
        }
        if (!m_PreparedKinds.insert(texts[i]).second) continue;
        for (int s = 0; s < SDrawKind::kStateCount; ++s) SetRenderState(SDrawKind::kStates[s], k.render[s]);
        for (int s = 0; s < static_cast<int>(EStageState::Count); ++s) SetStageState(static_cast<EStageState>(s), k.stage[s]);
        for (int s = 0; s < static_cast<int>(ESamplerState::Count); ++s)
            SetSamplerState(static_cast<ESamplerState>(s), k.sampler[s]);
        SLight light = saved.state.light;
        light.enabled = k.lightOn;
        SetLight(light);
        SetTexture(textureFor(k.texture));
        SetTransform(ETransform::World, IdentityMatrix());
        SetTransform(ETransform::View, IdentityMatrix());
        // Clip-space w from the vertices' z when they are not to share one.
        Matrix projection = IdentityMatrix();
        if (!k.sameW) {
            projection.m[2][3] = 1.0f;
            projection.m[3][3] = 0.0f;
        }
        SetTransform(ETransform::Projection, projection);
        // A small primitive, turned toward the viewer, in pixels or around the
        // centre of the viewport.
        const bool pre = (k.format & FVF_XYZRHW) != 0;
        const float px[3] = {2.0f, 8.0f, 2.0f}, py[3] = {2.0f, 2.0f, 8.0f};
        RVertex v[3];
        for (int j = 0; j < 3; ++j) {
            v[j].x = pre ? px[j] : (px[j] - 2.0f) * 0.01f;
            v[j].y = pre ? py[j] : (2.0f - py[j]) * 0.01f;
            v[j].z = 0.5f + (k.sameW ? 0.0f : 0.1f * static_cast<float>(j));
            v[j].rhw = k.sameW ? 1.0f : 1.0f / (1.0f + static_cast<float>(j));
            v[j].nz = -1.0f;
            v[j].u = static_cast<float>(j % 2);
            v[j].v = static_cast<float>(j / 2);
        }
        if (k.mesh) {
            const uint16_t indices[3] = {0, 1, 2};
            if (CRenderMesh* mesh = CreateMesh(v, 3, indices, 3, k.format)) {
                DrawMesh(mesh, 0, 1);
                Flush();
                ReleaseMesh(mesh);
            }
        } else {
            const EPrimitive type = k.primitive == SDrawKind::kPoints  ? EPrimitive::PointList
                                    : k.primitive == SDrawKind::kLines ? EPrimitive::LineList
                                                                       : EPrimitive::TriangleList;
            DrawPrimitiveUP(type, 1, v, k.format);
            Flush();
            // Lit draws that differ only in material share a batch where the back
            // end carries the material per vertex.
            if (k.materials && !pre && GetRenderState(ERenderState::Lighting) != 0) {
                SMaterial other = m_State.material;
                other.emissive.r = other.emissive.r == 0.0f ? 1.0f : 0.0f;
                DrawPrimitiveUP(type, 1, v, k.format);
                SetMaterial(other);
                DrawPrimitiveUP(type, 1, v, k.format);
                Flush();
                SetMaterial(saved.state.material);
            }
        }
    }
    RestoreState(saved);
    for (const auto& t : textures) ReleaseTexture(t.second);
    m_pRecordedKinds = recording;
    return bad;
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
