#include "gfx/GraphicsDevice.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/Object.h"
#include "core/Resource.h"
#include "core/Util.h"
#include "persist/SettingsFile.h"
#include "platform/Font.h"
#include "platform/GlRenderer.h"
#include "platform/ImageWriter.h"
#include "platform/NullRenderer.h"
#include "platform/RenderMath.h"
#include "platform/Window.h"

CGraphicsDevice* g_pDevice = nullptr;

namespace {

// Vertical fields of view of the two projection codes (single-precision constants).
constexpr float kFov90 = 1.5707964f;
constexpr float kFov45 = 0.9299114f;
constexpr float kNear = 1.0f;
constexpr float kFar = 1000.0f;

// The font the game's texts are drawn with, and its cell height in pixels.
constexpr const char* kFontFamily = "IPAPGothic";
constexpr int kFontHeight = 12;
// The height of DrawText's box.
constexpr int kTextBoxHeight = 32;

uint32_t ChannelByte(float v)
{
    // Values outside 0..1 would wrap into other channels; clamp them.
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<uint32_t>(v * 255.0f);
}

uint32_t PackColor(float a, float r, float g, float b)
{
    return (ChannelByte(a) << 24) | (ChannelByte(r) << 16) | (ChannelByte(g) << 8) | ChannelByte(b);
}

// The pixel format number logged for a display mode (the original's numbering).
int FormatCode(int bits)
{
    if (bits == 24 || bits == 32) return 22;  // X8R8G8B8
    if (bits == 16) return 23;                // R5G6B5
    return 0;
}

}  // namespace

SDisplaySettings ReadDisplaySettings()
{
    SDisplaySettings s;
    CSettingsFile ini("korvo.ini");
    const std::string quality = ini.GetString("modelquality", "");
    s.modelQuality = quality.empty() ? 0 : ParseDecimal(quality);
    s.fullScreen = ini.GetString("windowmode", "1") != "0";
    s.vsync = s.fullScreen && ini.GetString("vsync", "1") != "0";
    const std::string behavior = ini.GetString("behavior", "");
    s.softwareVertexProcessing = !behavior.empty() && ParseDecimal(behavior) == 0;
    s.bitDepth32 = ini.GetString("bitdepth", "") == "1";
    const int scale = ini.GetInt("windowscale", 1);
    s.windowScale = scale < 1 ? 1 : scale > 8 ? 8 : scale;
    return s;
}

bool IsModeSelected(int width, int height, int refreshHz, int& best)
{
    if (width != 640 || height != 480) return false;
    if (!(refreshHz >= 60 || refreshHz == 0) || refreshHz >= best) return false;
    best = refreshHz;
    return true;
}

bool UseDisplayPacing(bool fullScreen, bool vsyncSetting, int refreshHz)
{
    return fullScreen && vsyncSetting && refreshHz >= 59 && refreshHz <= 61;
}

CGraphicsDevice::CGraphicsDevice()
{
    WriteLog(kDeviceLogFile, nullptr);
}

CGraphicsDevice::~CGraphicsDevice()
{
    Release();
    if (g_pDevice == this) g_pDevice = nullptr;
    if (g_pDeviceLink == this) g_pDeviceLink = nullptr;
}

void CGraphicsDevice::Log(const char* text) { WriteLog(kDeviceLogFile, text); }

bool CGraphicsDevice::Initialize(CWindow* window, int width, int height, float aspect)
{
    const SDisplaySettings s = ReadDisplaySettings();
    m_nModelQuality = s.modelQuality;
    const bool headless = window && window->IsHeadless();
    return CreateDevice(window, width, height, aspect, s.fullScreen && !headless, s.vsync && !headless,
                        s.softwareVertexProcessing, s.bitDepth32);
}

bool CGraphicsDevice::CreateDevice(CWindow* window, int width, int height, float aspect, bool fullScreen,
                                   bool vsync, bool softwareVertexProcessing, bool bitDepth32)
{
    (void)width;
    (void)height;
    char line[256];
    m_pWindow = window;

    // 1. The context (or the null back end).
    if (m_bNullRenderer) {
        Log("Create Null Renderer.\n");
        Log(" -> Finished.\n");
    } else {
        Log("Create OpenGL Context.\n");
        std::string error;
        if (!window || !window->CreateGlContext(error)) {
            m_strFailure = window ? error : "no window";
            std::snprintf(line, sizeof line, " -> %s\n", m_strFailure.c_str());
            Log(line);
            Log(" -> Failed.\n");
            return false;
        }
        Log(" -> Finished.\n");
    }

    // 2. Display modes. The back buffer is always 32-bit; a request for 16 bits is
    // noted and otherwise ignored, and no mode is ever switched to.
    Log("Enumerate Display Modes.\n");
    Log(bitDepth32 ? " -> Using 32bpp.\n" : " -> Using 32bpp (16bpp requested).\n");
    const std::vector<SDisplayModeInfo> modes = CWindow::GetDisplayModes();
    if (modes.empty()) {
        m_strFailure = "the display lists no modes";
        Log(" -> Failed.\n");
        return false;
    }
    int best = 65535;
    for (const SDisplayModeInfo& m : modes) {
        std::snprintf(line, sizeof line, " %dx%d %dhz %d\n", m.width, m.height, m.refreshRate,
                      FormatCode(m.bitsPerPixel));
        Log(line);
        if (IsModeSelected(m.width, m.height, m.refreshRate, best)) Log(" -> Selected.\n");
    }
    Log(" -> Finished.\n");

    // 3. The device: shaders, framebuffers, buffers; presentation interval.
    Log(m_bNullRenderer ? "Initialize Null Device (Primary).\n" : "Initialize OpenGL Device (Primary).\n");
    Log(softwareVertexProcessing ? " -> Using Software T/L.\n" : " -> Using Hardware T/L.\n");
    if (m_bNullRenderer) {
        m_pRenderer = std::make_unique<CNullRenderer>();
    } else {
        auto gl = std::make_unique<CGlRenderer>(window);
        std::string error;
        if (!gl->Initialize(error)) {
            m_strFailure = error;
            std::snprintf(line, sizeof line, " -> %s\n", error.c_str());
            Log(line);
            Log(" -> Failed.\n");
            return false;
        }
        std::snprintf(line, sizeof line, " -> %s\n", gl->Description().c_str());
        Log(line);
        gl->SetSurfaceShown(!window->IsHeadless());
        m_pRenderer = std::move(gl);
    }
    const int refresh = window ? window->GetRefreshRate() : 0;
    m_bVsync = UseDisplayPacing(fullScreen, vsync, refresh);
    if (fullScreen && vsync && !m_bVsync) {
        std::snprintf(line, sizeof line, " -> Display at %d Hz: the timer paces the frames.\n", refresh);
        Log(line);
    }
    if (window && !m_bNullRenderer) window->SetSwapInterval(m_bVsync ? 1 : 0);
    Log(" -> Finished.\n");

    // 4. Render states, font, sprite, light, reflection textures.
    Log("Initialize Render States.\n");
    CRenderer& r = *m_pRenderer;
    m_pSprite = std::make_unique<CSprite>(&r, static_cast<CSpriteStateKeeper*>(this));
    m_pFont = std::make_unique<CFont>();
    std::string fontError;
    if (m_pFont->Open(kFontFamily, kFontHeight, fontError)) {
        m_pFontTexture = r.CreateTexture(CFont::kAtlasSize, CFont::kAtlasSize, m_pFont->AtlasPixels(), false);
        m_nFontGeneration = m_pFont->Generation();
    } else {
        // Texts are missing then, but the game can be played.
        std::snprintf(line, sizeof line, " -> %s: texts are not drawn.\n", fontError.c_str());
        Log(line);
        m_pFont.reset();
    }
    SetLight(0, SColorValue{0.5f, 0.5f, 0.5f, 0.0f}, SColorValue{1.0f, 1.0f, 1.0f, 0.0f},
             SColorValue{0.0f, 0.0f, 0.0f, 0.0f}, Vec3{0.0f, 0.0f, 1.0f});
    // The reflection targets are made when first asked for, filled with the
    // fog colour of now.
    m_dwReflectionColor = m_dwFogColor;
    r.SetRenderTarget(nullptr);
    r.Clear(true, true, m_dwFogColor, 1.0f);
    r.SetRenderState(ERenderState::FogEnable, 0);
    m_nFog = 0;
    m_fFogStart = m_fFogEnd = 0.0f;
    r.SetRenderStateF(ERenderState::FogStart, 0.0f);
    r.SetRenderStateF(ERenderState::FogEnd, 0.0f);
    SetProjection(45, aspect);
    r.SetStageState(EStageState::AlphaArg1, TA_TEXTURE);
    r.SetStageState(EStageState::AlphaArg2, TA_DIFFUSE);
    r.SetRenderState(ERenderState::Lighting, 1);
    r.SetRenderState(ERenderState::CullMode, CULL_CCW);
    m_nCull = 1;
    r.SetRenderState(ERenderState::FillMode, FILL_SOLID);
    m_nWireframe = 0;
    m_nShade = 0;
    r.SetRenderState(ERenderState::ZEnable, 0);
    r.SetRenderState(ERenderState::ZWriteEnable, 0);
    m_nDepth = 0;
    r.SetRenderState(ERenderState::Ambient, 0x00AAAAAAu);
    SetTextureFilter(0);
    Log(" -> Finished.\n");
    return true;
}

void CGraphicsDevice::Release()
{
    if (!m_pRenderer && !m_pNoiseOwner) return;
    Log(m_bNullRenderer ? "Release Null Device.\n" : "Release OpenGL Device.\n");
    if (m_pNoiseOwner) {
        m_pNoiseOwner->Release();
        delete m_pNoiseOwner;
        m_pNoiseOwner = nullptr;
    }
    m_pNoiseTexture = nullptr;
    if (m_pRenderer) {
        for (CRenderTexture*& t : m_pReflection) {
            m_pRenderer->ReleaseTexture(t);
            t = nullptr;
        }
        m_bReflectionMade = false;
        if (m_pFontTexture) m_pRenderer->ReleaseTexture(m_pFontTexture);
        m_pFontTexture = nullptr;
    }
    m_pFont.reset();
    m_pSprite.reset();
    m_pRenderer.reset();
    Log(" -> Finished.\n");
}

// ---- cached states ----

void CGraphicsDevice::SetCullMode(int on)
{
    if (on == m_nCull) return;
    m_nCull = on;
    if (m_pRenderer) m_pRenderer->SetRenderState(ERenderState::CullMode, on == 1 ? CULL_CCW : CULL_NONE);
}

void CGraphicsDevice::SetWireframe(int on)
{
    if (on == m_nWireframe) return;
    m_nWireframe = on;
    if (m_pRenderer) m_pRenderer->SetRenderState(ERenderState::FillMode, on == 1 ? FILL_WIREFRAME : FILL_SOLID);
}

void CGraphicsDevice::ApplyBlendMode(int mode)
{
    CRenderer& r = *m_pRenderer;
    uint32_t src = 0, dst = 0;
    switch (mode) {
    case 0: src = BLEND_SRCALPHA; dst = BLEND_INVSRCALPHA; break;
    case 1: src = BLEND_ONE; dst = BLEND_ONE; break;
    case 2: src = BLEND_INVDESTCOLOR; dst = BLEND_ZERO; break;
    case 3: src = BLEND_DESTCOLOR; dst = BLEND_ZERO; break;
    default: r.SetRenderState(ERenderState::AlphaBlendEnable, 0); return;
    }
    r.SetRenderState(ERenderState::AlphaBlendEnable, 1);
    r.SetRenderState(ERenderState::SrcBlend, src);
    r.SetRenderState(ERenderState::DestBlend, dst);
    // Alpha blending fades by the vertex alpha too; the other modes take the
    // texture's alpha alone.
    r.SetStageState(EStageState::AlphaOp, mode == 0 ? TOP_MODULATE : TOP_SELECTARG1);
}

void CGraphicsDevice::SetBlendMode(int mode)
{
    m_nBlendMode = mode;
    if (m_pRenderer) ApplyBlendMode(mode);
}

void CGraphicsDevice::SetFog(int on)
{
    if (on == m_nFog) return;
    m_nFog = on;
    if (!m_pRenderer) return;
    CRenderer& r = *m_pRenderer;
    if (on == 1 && !(m_fFogStart == 0.0f && m_fFogEnd == 0.0f)) {
        r.SetRenderState(ERenderState::FogColor, m_dwFogColor);
        r.SetRenderStateF(ERenderState::FogStart, m_fFogStart);
        r.SetRenderStateF(ERenderState::FogEnd, m_fFogEnd);
        r.SetRenderState(ERenderState::FogEnable, 1);
    } else {
        r.SetRenderState(ERenderState::FogEnable, 0);
    }
}

void CGraphicsDevice::SetDepthTest(int on)
{
    if (on == m_nDepth) return;
    m_nDepth = on;
    if (!m_pRenderer) return;
    m_pRenderer->SetRenderState(ERenderState::ZEnable, on == 1 ? 1 : 0);
    m_pRenderer->SetRenderState(ERenderState::ZWriteEnable, on == 1 ? 1 : 0);
}

void CGraphicsDevice::SetFogColor(int r, int g, int b)
{
    m_dwFogColor = 0xFF000000u + static_cast<uint32_t>(r & 0xFF) * 65536u + static_cast<uint32_t>(g & 0xFF) * 256u +
                   static_cast<uint32_t>(b & 0xFF);
    if (m_pRenderer) m_pRenderer->SetRenderState(ERenderState::FogColor, m_dwFogColor);
}

void CGraphicsDevice::SetFogRange(float start, float end)
{
    m_fFogStart = start;
    m_fFogEnd = end;
    if (!m_pRenderer || (start == 0.0f && end == 0.0f)) return;
    m_pRenderer->SetRenderStateF(ERenderState::FogStart, start);
    m_pRenderer->SetRenderStateF(ERenderState::FogEnd, end);
}

void CGraphicsDevice::SetMaterialColor(float a, float r, float g, float b)
{
    if (!m_pRenderer) return;
    SMaterial m = m_pRenderer->GetMaterial();
    const SColorValue c{r, g, b, a};
    m.diffuse = c;
    m.ambient = c;
    m.emissive = c;
    m_pRenderer->SetMaterial(m);
}

void CGraphicsDevice::SaveKeptStates()
{
    m_SpriteSaved = {m_nWireframe, m_nFog, m_nBlendMode, m_nCull, m_nDepth, m_nShade, m_nTextureFilter};
}

void CGraphicsDevice::RestoreKeptStates()
{
    m_nWireframe = m_SpriteSaved.nWireframe;
    m_nFog = m_SpriteSaved.nFog;
    m_nBlendMode = m_SpriteSaved.nBlendMode;
    m_nCull = m_SpriteSaved.nCull;
    m_nDepth = m_SpriteSaved.nDepth;
    m_nShade = m_SpriteSaved.nShade;
    m_nTextureFilter = m_SpriteSaved.nTextureFilter;
}

void CGraphicsDevice::SetTextureFilter(int mode)
{
    if (mode == m_nTextureFilter) return;
    m_nTextureFilter = mode;
    if (!m_pRenderer) return;
    CRenderer& r = *m_pRenderer;
    const uint32_t address = mode == 0 ? TADDRESS_WRAP : TADDRESS_CLAMP;
    const uint32_t filter = mode == 0 ? TEXF_NONE : TEXF_LINEAR;
    r.SetSamplerState(ESamplerState::AddressU, address);
    r.SetSamplerState(ESamplerState::AddressV, address);
    r.SetSamplerState(ESamplerState::MagFilter, filter);
    r.SetSamplerState(ESamplerState::MinFilter, filter);
}

void CGraphicsDevice::SetProjection(int fov, float aspect)
{
    if (fov == m_nFov && aspect == m_fAspect) return;
    m_nFov = fov;
    m_fAspect = aspect;
    if (!m_pRenderer) return;
    if (fov == 90) m_pRenderer->SetTransform(ETransform::Projection, PerspectiveFovLH(kFov90, aspect, kNear, kFar));
    else if (fov == 45)
        m_pRenderer->SetTransform(ETransform::Projection, PerspectiveFovLH(kFov45, aspect, kNear, kFar));
    else if (fov == 0) m_pRenderer->SetTransform(ETransform::Projection, IdentityMatrix());
}

void CGraphicsDevice::SetLight(int index, const SColorValue& diffuse, const SColorValue& specular,
                               const SColorValue& ambient, const Vec3& direction)
{
    // One light is all the game uses.
    if (index != 0 || !m_pRenderer) return;
    SLight l;
    l.diffuse = {diffuse.r, diffuse.g, diffuse.b, 0.0f};
    l.specular = {specular.r, specular.g, specular.b, 0.0f};
    l.ambient = {ambient.r, ambient.g, ambient.b, 0.0f};
    l.direction = direction;
    l.enabled = true;
    m_pRenderer->SetLight(l);
}

void CGraphicsDevice::GetBillboardMatrix(Matrix& out) const
{
    const Matrix& v = GetTransform(ETransform::View);
    out = IdentityMatrix();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out.m[i][j] = v.m[j][i];
}

CRenderTexture* CGraphicsDevice::GetReflectionTexture()
{
    // Nothing the game shows draws with a reflection: the two targets (8 MiB
    // with their depth) are only made for a drawing that asks.
    if (!m_bReflectionMade && m_pRenderer) {
        m_bReflectionMade = true;
        CRenderer& r = *m_pRenderer;
        CRenderTexture* target = r.GetRenderTarget();
        const SViewport viewport = r.GetViewport();
        for (CRenderTexture*& t : m_pReflection) {
            t = r.CreateRenderTarget(kReflectionWidth, kReflectionHeight);
            if (!t) continue;
            r.SetRenderTarget(t);
            r.Clear(true, true, m_dwReflectionColor, 1.0f);
        }
        r.SetRenderTarget(target);
        r.SetViewport(viewport);
    }
    return m_pReflection[m_nPrevReflection];
}

// ---- transforms and resources ----

void CGraphicsDevice::SetWorldTransform(const Matrix& world)
{
    if (m_pRenderer) m_pRenderer->SetTransform(ETransform::World, world);
}

void CGraphicsDevice::GetViewTransform(Matrix& out) const { out = GetTransform(ETransform::View); }

void CGraphicsDevice::SetTransform(ETransform which, const Matrix& m)
{
    if (m_pRenderer) m_pRenderer->SetTransform(which, m);
}

const Matrix& CGraphicsDevice::GetTransform(ETransform which) const
{
    static const Matrix identity = IdentityMatrix();
    return m_pRenderer ? m_pRenderer->GetTransform(which) : identity;
}

void CGraphicsDevice::SetViewport(int x, int y, int width, int height)
{
    if (!m_pRenderer) return;
    SViewport vp;
    vp.x = x;
    vp.y = y;
    vp.width = width;
    vp.height = height;
    m_pRenderer->SetViewport(vp);
}

SViewport CGraphicsDevice::GetViewport() const { return m_pRenderer ? m_pRenderer->GetViewport() : SViewport{}; }

void CGraphicsDevice::SetTexture(CRenderTexture* tex)
{
    if (m_pRenderer) m_pRenderer->SetTexture(tex);
}

void CGraphicsDevice::UnbindTexture(int stage)
{
    if (stage == 0 && m_pRenderer) m_pRenderer->SetTexture(nullptr);
}

void CGraphicsDevice::SetMaterial(const SMaterial& m)
{
    if (m_pRenderer) m_pRenderer->SetMaterial(m);
}

void CGraphicsDevice::DrawPrimitiveUP(EPrimitive type, int primCount, const RVertex* vertices, uint32_t format)
{
    if (m_pRenderer) m_pRenderer->DrawPrimitiveUP(type, primCount, vertices, format);
}

void CGraphicsDevice::DrawIndexedPrimitiveUP(EPrimitive type, int vertexCount, int primCount,
                                             const uint16_t* indices, const RVertex* vertices, uint32_t format)
{
    if (m_pRenderer) m_pRenderer->DrawIndexedPrimitiveUP(type, vertexCount, primCount, indices, vertices, format);
}

void CGraphicsDevice::DrawMesh(CRenderMesh* mesh, int firstIndex, int triangleCount)
{
    if (m_pRenderer) m_pRenderer->DrawMesh(mesh, firstIndex, triangleCount);
}

// ---- drawing primitives ----

void CGraphicsDevice::FillRect(int x, int y, int w, int h, float a, float r, float g, float b)
{
    if (!m_pRenderer) return;
    SetMaterialColor(a, r, g, b);
    SetBlendMode(0);
    SetDepthTest(0);
    SetFog(0);
    SetWireframe(0);
    m_pRenderer->SetTexture(nullptr);
    const uint32_t c = PackColor(a, r, g, b);
    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = static_cast<float>(x + w), y1 = static_cast<float>(y + h);
    // Clockwise on screen, so that culling never removes it.
    RVertex v[4];
    const float px[4] = {x0, x1, x0, x1};
    const float py[4] = {y0, y0, y1, y1};
    for (int i = 0; i < 4; ++i) {
        v[i].x = px[i];
        v[i].y = py[i];
        v[i].z = 0.0f;
        v[i].rhw = 1.0f;
        v[i].diffuse = c;
    }
    m_pRenderer->DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, v, FVF_XYZRHW | FVF_DIFFUSE);
}

void CGraphicsDevice::DrawRectFrame(float x, float y, float w, float h, float a, float r, float g, float b)
{
    if (!m_pRenderer) return;
    SetDepthTest(0);
    SetFog(0);
    m_pRenderer->SetTexture(nullptr);
    const uint32_t c = PackColor(a, r, g, b);
    const float px[5] = {x, x + w, x + w, x, x};
    const float py[5] = {y, y, y + h, y + h, y};
    RVertex v[5];
    for (int i = 0; i < 5; ++i) {
        v[i].x = px[i];
        v[i].y = py[i];
        v[i].diffuse = c;
    }
    m_pRenderer->DrawPrimitiveUP(EPrimitive::LineStrip, 4, v, FVF_XYZRHW | FVF_DIFFUSE);
}

void CGraphicsDevice::DrawTexturedRect(int x, int y, int w, int h, float a, float r, float g, float b,
                                       CRenderTexture* texture, int variant)
{
    if (!m_pRenderer) return;
    // The 640 x 480 picture in the upper-left part of a 1024 x 512 texture.
    constexpr float kU = 0.625f, kV = 0.9375f;
    float u0 = 0.0f, u1 = kU, v0 = 0.0f, v1 = kV;
    if (variant == 1 || variant == 3) std::swap(u0, u1);
    if (variant == 2 || variant == 3) std::swap(v0, v1);
    const uint32_t c = PackColor(a, r, g, b);
    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = static_cast<float>(x + w), y1 = static_cast<float>(y + h);
    RVertex v[4];
    const float px[4] = {x0, x1, x0, x1};
    const float py[4] = {y0, y0, y1, y1};
    const float pu[4] = {u0, u1, u0, u1};
    const float pv[4] = {v0, v0, v1, v1};
    for (int i = 0; i < 4; ++i) {
        v[i].x = px[i];
        v[i].y = py[i];
        v[i].diffuse = c;
        v[i].u = pu[i];
        v[i].v = pv[i];
    }
    m_pRenderer->SetTexture(texture);
    m_pRenderer->DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, v, FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
}

void CGraphicsDevice::DrawQuad3D(const Vec3 corners[4], float alpha, float r, float g, float b)
{
    DrawUntextured3D(EPrimitive::TriangleStrip, 2, corners, 4, alpha, r, g, b);
}

void CGraphicsDevice::DrawTriangle3D(const Vec3 corners[3], float alpha, float r, float g, float b)
{
    if (!m_pRenderer || !corners) return;
    SetBlendMode(0);
    DrawUntextured3D(EPrimitive::TriangleList, 1, corners, 3, alpha, r, g, b);
}

// Untextured world-space geometry in one colour (material and vertex colour).
void CGraphicsDevice::DrawUntextured3D(EPrimitive primitive, int count, const Vec3* corners, int vertices,
                                       float alpha, float r, float g, float b)
{
    if (!m_pRenderer || !corners) return;
    m_pRenderer->SetTexture(nullptr);
    SetMaterialColor(1.0f, r, g, b);
    const uint32_t c = PackColor(alpha, r, g, b);
    RVertex v[4];
    for (int i = 0; i < vertices; ++i) {
        v[i].x = corners[i].x;
        v[i].y = corners[i].y;
        v[i].z = corners[i].z;
        v[i].diffuse = c;
    }
    m_pRenderer->DrawPrimitiveUP(primitive, count, v, FVF_XYZ | FVF_DIFFUSE);
}

void CGraphicsDevice::DrawLine3D(const Vec3* from, const Vec3* to, float alpha, float r, float g, float b)
{
    if (!m_pRenderer || !from || !to) return;
    m_pRenderer->SetTexture(nullptr);
    DrawLine3DTextured(from->x, from->y, from->z, to->x, to->y, to->z, alpha, r, g, b);
}

void CGraphicsDevice::DrawLine3DTextured(float x0, float y0, float z0, float x1, float y1, float z1, float alpha,
                                         float r, float g, float b)
{
    if (!m_pRenderer) return;
    SetMaterialColor(1.0f, r, g, b);
    SetBlendMode(0);
    const uint32_t c = PackColor(alpha, r, g, b);
    m_LineVertices[0] = RVertex{};
    m_LineVertices[0].x = x0;
    m_LineVertices[0].y = y0;
    m_LineVertices[0].z = z0;
    m_LineVertices[0].diffuse = c;
    m_LineVertices[1] = m_LineVertices[0];
    m_LineVertices[1].x = x1;
    m_LineVertices[1].y = y1;
    m_LineVertices[1].z = z1;
    m_pRenderer->DrawPrimitiveUP(EPrimitive::LineList, 1, m_LineVertices, FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
}

int CGraphicsDevice::DrawText(int x, int y, const char* text, uint32_t color, int width)
{
    if (!m_pRenderer || !text) return 0;
    SetDepthTest(0);
    SetFog(0);
    SetBlendMode(0);
    if (!m_pFont || !m_pFontTexture) return 0;

    CFont& font = *m_pFont;
    const size_t length = std::strlen(text);
    if (m_pRenderer->IsDiscarding()) {
        // A picture nobody sees: only the height the lines take, no glyphs.
        int lines = 1;
        for (int top = y; const char* nl = std::strchr(text, '\n'); text = nl + 1) {
            if (top + font.Height() >= y + kTextBoxHeight) break;
            top += font.Height();
            ++lines;
        }
        return lines * font.Height();
    }
    // Put every glyph of the text into the atlas first; if the atlas had to be
    // emptied on the way, the glyphs looked up before are gone: look them up again.
    for (int pass = 0; pass < 2; ++pass) {
        const uint32_t gen = font.Generation();
        for (size_t i = 0; i < length;) {
            const uint32_t cp = NextCodePoint(text, length, i);
            if (cp != '\n' && cp != '\r') font.Glyph(cp);
        }
        if (font.Generation() == gen) break;
    }
    int y0 = 0, y1 = 0;
    if (font.TakeDirtyRows(y0, y1)) {
        const uint32_t* rows = font.AtlasPixels() + static_cast<size_t>(y0) * CFont::kAtlasSize;
        m_pRenderer->UpdateTexture(m_pFontTexture, 0, y0, CFont::kAtlasSize, y1 - y0, rows);
    }

    const bool ownBatch = !m_pSprite->IsBegun();
    if (ownBatch) m_pSprite->Begin();
    const int right = x + width;
    const int bottom = y + kTextBoxHeight;
    const int lineHeight = font.Height();
    const float inv = 1.0f / CFont::kAtlasSize;
    int penX = x;
    int top = y;
    int lines = 1;
    for (size_t i = 0; i < length;) {
        const uint32_t cp = NextCodePoint(text, length, i);
        if (cp == '\r') continue;
        if (cp == '\n') {
            // Drawing stops after the line that reaches past the bottom of the box.
            if (top + lineHeight >= bottom) break;
            top += lineHeight;
            penX = x;
            ++lines;
            continue;
        }
        const SGlyph* g = font.Glyph(cp);
        if (!g) break;
        if (penX >= right) {
            penX += g->advance;
            continue;
        }
        if (g->width > 0 && g->height > 0) {
            // The glyph's rectangle, cut to the box.
            int gx0 = penX + g->left;
            int gy0 = top + font.Ascent() - g->top;
            int gx1 = gx0 + g->width;
            int gy1 = gy0 + g->height;
            int ax0 = g->atlasX, ay0 = g->atlasY;
            const int cx0 = std::max(gx0, x), cy0 = std::max(gy0, y);
            const int cx1 = std::min(gx1, right), cy1 = std::min(gy1, bottom);
            if (cx0 < cx1 && cy0 < cy1) {
                ax0 += cx0 - gx0;
                ay0 += cy0 - gy0;
                const int ax1 = ax0 + (cx1 - cx0);
                const int ay1 = ay0 + (cy1 - cy0);
                m_pSprite->DrawQuad(m_pFontTexture, static_cast<float>(cx0), static_cast<float>(cy0),
                                    static_cast<float>(cx1), static_cast<float>(cy1), ax0 * inv, ay0 * inv,
                                    ax1 * inv, ay1 * inv, color);
            }
        }
        penX += g->advance;
    }
    if (ownBatch) m_pSprite->End();
    return lines * lineHeight;
}

// ---- frame ----

void CGraphicsDevice::BeginFrame()
{
    if (!m_pRenderer) return;
    CRenderer& r = *m_pRenderer;
    r.BeginScene();
    m_SavedViewport = r.GetViewport();
    r.SetRenderTarget(nullptr);
    if (!r.IsDiscarding()) r.Clear(true, true, m_dwFogColor, 1.0f);
    r.SetViewport(m_SavedViewport);
}

void CGraphicsDevice::ClearScreen()
{
    if (m_pRenderer && !m_pRenderer->IsDiscarding()) m_pRenderer->Clear(true, true, m_dwFogColor, 1.0f);
}

void CGraphicsDevice::ClearDepth()
{
    if (m_pRenderer && !m_pRenderer->IsDiscarding()) m_pRenderer->Clear(false, true, 0, 1.0f);
}

void CGraphicsDevice::EndFrame()
{
    if (!m_pRenderer) return;
    if (m_pNoise && m_pNoise->m_nState != CObject::STATE_DEAD && m_pNoiseTexture) {
        float alpha = 0.0f;
        switch (m_pNoise->m_nState) {
        case CObject::STATE_APPEAR: alpha = 1.0f - m_pNoise->GetAppearRate(); break;
        case CObject::STATE_ALIVE: alpha = m_fNoiseMax; break;
        case CObject::STATE_VANISH: alpha = m_pNoise->GetVanishRate() * m_fNoiseMax; break;
        default: break;
        }
        SetBlendMode(0);
        int frame = m_pNoise->m_nAge % 12;
        if (frame < 0) frame += 12;
        DrawTexturedRect(0, 0, kScreenWidth, kScreenHeight, alpha, 1.0f, 1.0f, 1.0f, m_pNoiseTexture, frame / 3);
    }
    m_pRenderer->EndScene();
    m_pRenderer->Flush();
}

void CGraphicsDevice::SetPictureUnseen(bool unseen)
{
    if (m_pRenderer) m_pRenderer->SetDiscarding(unseen);
}

bool CGraphicsDevice::IsPictureUnseen() const { return m_pRenderer && m_pRenderer->IsDiscarding(); }

void CGraphicsDevice::Present()
{
    if (m_pRenderer && !m_pRenderer->IsDiscarding()) m_pRenderer->Present(m_nShakeX, m_nShakeY);
}

void CGraphicsDevice::Update()
{
    if (m_fQuake != 0.0f) {
        m_fQuake *= 0.95f;
        const int amp = static_cast<int>(m_fQuake);
        const int half = static_cast<int>(m_fQuake * 0.5f);
        const int rx = m_ShakeRand.Integer(amp);
        m_nShakeX = rx - half;
        const int ry = m_ShakeRand.Integer(amp);
        m_nShakeY = ry - half;
        if (m_fQuake <= 1.0f) {
            m_fQuake = 0.0f;
            m_nShakeX = m_nShakeY = 0;
        }
    }
    if (m_nSlowCount > 0) {
        --m_nSlowCount;
        m_bSlowToggle = !m_bSlowToggle;
    }
    if (m_pNoise) m_pNoise->Step();
    m_nPrevReflection = m_nReflection;
    m_nReflection = 1 - m_nReflection;
}

// ---- effects ----

void CGraphicsDevice::SetQuake(float amplitude) { m_fQuake = amplitude; }

void CGraphicsDevice::BeginSlowMotion(int frames)
{
    m_bSlowToggle = false;
    m_nSlowCount = frames;
}

void CGraphicsDevice::HoldSlowMotion(int frames) { m_nSlowCount = frames; }

void CGraphicsDevice::EndSlowMotion() { m_nSlowCount = 0; }

void CGraphicsDevice::SetNoise(CObject* noise)
{
    m_pNoise = noise;
    if (noise) noise->Kill();
}

void CGraphicsDevice::SetNoiseTexture(CResource* owner, CRenderTexture* texture, float maxStrength)
{
    if (m_pNoiseOwner && m_pNoiseOwner != owner) {
        m_pNoiseOwner->Release();
        delete m_pNoiseOwner;
    }
    m_pNoiseOwner = owner;
    m_pNoiseTexture = texture;
    m_fNoiseMax = maxStrength;
}

// ---- snapshots ----

std::string CGraphicsDevice::SaveSnapshot()
{
    if (!m_pRenderer) return {};
    std::vector<uint32_t> pixels;
    if (!m_pRenderer->ReadBackBuffer(pixels)) return {};
    const std::string dir = GetProgramDir() + "snapshot";
    if (!CreateDirectories(dir)) return {};
    const std::string stamp = MakeTimestamp();
    std::string path = dir + "/" + stamp + ".bmp";
    // Two snapshots in one second would share a name: number the later ones.
    for (int n = 2; FileExists(path) && n < 1000; ++n) path = dir + "/" + stamp + "-" + std::to_string(n) + ".bmp";
    if (FileExists(path)) return {};
    if (!WriteBmp24(path, kScreenWidth, kScreenHeight, pixels.data())) return {};
    return path;
}

bool CGraphicsDevice::SaveSnapshotPng(const std::string& path, std::string* pWhy)
{
    auto fail = [pWhy](std::string why) {
        if (pWhy) *pWhy = std::move(why);
        return false;
    };
    std::vector<uint32_t> pixels;
    if (!m_pRenderer || !m_pRenderer->ReadBackBuffer(pixels)) return fail("no picture to write");
    return SavePicturePng(path, pixels, pWhy);
}

bool CGraphicsDevice::SavePicturePng(const std::string& path, const std::vector<uint32_t>& pixels, std::string* pWhy)
{
    auto fail = [pWhy](std::string why) {
        if (pWhy) *pWhy = std::move(why);
        return false;
    };
    if (pixels.size() != static_cast<size_t>(kScreenWidth) * kScreenHeight) return fail("no picture to write");
    const std::string full = ResolvePath(path);
    const std::string dir = DirName(full);
    if (!dir.empty() && !CreateDirectories(dir))
        return fail("the folder \"" + dir + "\" cannot be made (is a file in its way?)");
    if (!WritePng24(full, kScreenWidth, kScreenHeight, pixels.data()))
        return fail("\"" + full + "\" cannot be written");
    return true;
}

void CGraphicsDevice::PrepareDrawKinds(const char* const* kinds, int count)
{
    if (m_pRenderer) m_pRenderer->PrepareDrawKinds(kinds, count);
}
