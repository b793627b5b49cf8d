// CGraphicsDevice: the one object through which the game draws (g_pDevice).
//
// It creates the renderer from "korvo.ini" (OpenGL, or the null back end that draws
// nothing), keeps small caches of render states so that draw code can set them
// freely, offers the drawing primitives every draw function uses, and carries the
// three screen effects gameplay triggers: shake, slow motion and a noise overlay.
//
// How other code draws through it:
//  - Textures and meshes are renderer objects: GetRenderer()->CreateTexture(w, h,
//    argbPixels, mipmaps) / CreateMesh(vertices, n, indices16, m, format) and the
//    matching Release calls (CRenderTexture, CRenderMesh in platform/Renderer.h).
//  - Transforms: SetWorldTransform(m) (row vectors, as core builds them),
//    SetTransform(ETransform::View / Projection, m), GetViewTransform.
//  - Textured 3D quads and billboards: SetTexture(tex), then
//    DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, vertices, FVF_XYZ | FVF_DIFFUSE
//    | FVF_TEX1). A mesh subset: SetMaterial(material), SetTexture(texture or
//    null), DrawMesh(mesh, firstIndex, triangleCount). Consecutive draws with the
//    same states and texture are merged by the renderer into one draw call, so
//    draw object by object in the game's order.
//  - Screen sprites: Sprite().Begin(); Sprite().Draw(tex, &rect, nullptr, &pos,
//    0xAARRGGBB); ... Sprite().End(); Sprite().SetTransform(m) scales/rotates.
//  - States that the design sets on the device directly, bypassing the caches
//    (a model's fill mode, the sky box's sampler states): GetRenderer()->
//    SetRenderState / SetSamplerState / SetStageState. The caches below then keep
//    their values, exactly as they did in the original.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/DeviceLink.h"
#include "core/Math.h"
#include "core/Random.h"
#include "gfx/Sprite.h"
#include "platform/Renderer.h"

class CWindow;
class CFont;
class CObject;
class CResource;

// The display keys of "korvo.ini".
struct SDisplaySettings {
    int modelQuality = 0;     // "modelquality": integer, 0 when absent or empty
    bool fullScreen = true;   // "windowmode": "0" = a window, anything else full screen
    bool vsync = true;        // "vsync": in full screen anything but "0" turns it on
    bool softwareVertexProcessing = false;  // "behavior" "0"; read and logged only
    bool bitDepth32 = false;  // "bitdepth" "1"; read and logged only: always 32-bit
    int windowScale = 1;      // "windowscale": whole-number scale of the window, >= 1
};
// Reads "korvo.ini" in the program folder (missing keys take the defaults above).
SDisplaySettings ReadDisplaySettings();

// The display-mode choice of the set-up log: a 640 x 480 mode at 60 Hz or more (or
// an unknown rate, 0) whose rate is below the best so far (best starts at 65535).
// Updates best and returns true when the mode is chosen.
bool IsModeSelected(int width, int height, int refreshHz, int& best);

// Whether the loop may let the display pace the steps (one step per presented
// frame): only in full screen with vsync asked for, and only when the display
// refreshes at 60 Hz (within 1 Hz). At any other rate the game would run at the
// display's speed, so the timer paces it instead.
bool UseDisplayPacing(bool fullScreen, bool vsyncSetting, int refreshHz);

// The log of the device set-up.
inline constexpr const char* kDeviceLogFile = "log/d3d9.txt";
// The message shown when Initialize fails.
inline constexpr const char* kDeviceFailedMessage =
    "Direct3D9 の初期化に失敗しました。ビデオカードに必要とされているモードが存在しないかハードウェア T&L "
    "がないのにそれを使おうとしています。";

class CGraphicsDevice : public CDeviceLink, private CSpriteStateKeeper {
public:
    static constexpr int kScreenWidth = 640;
    static constexpr int kScreenHeight = 480;
    static constexpr int kReflectionWidth = 1024;
    static constexpr int kReflectionHeight = 512;

    // Empties the log file. The null back end is chosen with UseNullRenderer
    // before Initialize.
    CGraphicsDevice();
    ~CGraphicsDevice() override;
    CGraphicsDevice(const CGraphicsDevice&) = delete;
    CGraphicsDevice& operator=(const CGraphicsDevice&) = delete;

    void UseNullRenderer(bool null) { m_bNullRenderer = null; }

    // ---- set-up and teardown ----
    // Reads the display keys of "korvo.ini" and calls CreateDevice. window must be
    // created (CWindow::Create); it may be headless. False on failure.
    bool Initialize(CWindow* window, int width, int height, float aspect);
    // The set-up steps, each logged to kDeviceLogFile.
    bool CreateDevice(CWindow* window, int width, int height, float aspect, bool fullScreen, bool vsync,
                      bool softwareVertexProcessing, bool bitDepth32);
    void Release();
    bool IsReady() const { return m_pRenderer != nullptr; }
    // Why CreateDevice failed, for the player ("" when it did not).
    const std::string& GetFailureReason() const { return m_strFailure; }

    // The vsync flag the main loop reads: true when the display paces the steps.
    bool IsVsync() const { return m_bVsync; }
    int GetModelQuality() const { return m_nModelQuality; }
    CRenderer* GetRenderer() const { return m_pRenderer.get(); }
    CSprite& Sprite() { return *m_pSprite; }

    // ---- cached state setters (skip when the value equals the cache) ----
    void SetCullMode(int on);        // 1: cull counter-clockwise faces; other: none
    void SetWireframe(int on);       // 1: wireframe; other: solid
    void SetBlendMode(int mode);     // always applied: 0 alpha, 1 add, 2 invert, 3 multiply, other off
    void SetFog(int on);             // 1: linear fog (off while start and end are both 0); 0: off
    void SetDepthTest(int on);       // 1: depth test and writes on; other: both off
    void SetFogColor(int r, int g, int b) override;
    void SetFogRange(float start, float end);
    void SetMaterialColor(float a, float r, float g, float b);
    void SetTextureFilter(int mode) override;  // 0: wrap, no filtering; other: clamp, linear
    // 90: vertical field of view pi/2; 45: 0.9299114 rad; both near 1, far 1000;
    // 0: identity; other codes change nothing on the device (the cache takes them).
    void SetProjection(int fov, float aspect);
    void SetLight(int index, const SColorValue& diffuse, const SColorValue& specular, const SColorValue& ambient,
                  const Vec3& direction);
    // The transpose of the view's 3 x 3 rotation, no translation.
    void GetBillboardMatrix(Matrix& out) const;
    // The reflection texture of the previous frame's index (null when it cannot
    // be made).
    CRenderTexture* GetReflectionTexture();

    int GetBlendMode() const { return m_nBlendMode; }
    uint32_t GetFogColor() const { return m_dwFogColor; }

    // ---- transforms, viewport, textures, materials ----
    void SetWorldTransform(const Matrix& world) override;
    void GetViewTransform(Matrix& out) const override;
    void SetTransform(ETransform which, const Matrix& m);
    const Matrix& GetTransform(ETransform which) const;
    void SetViewport(int x, int y, int width, int height);
    void SetFullScreenViewport() { SetViewport(0, 0, kScreenWidth, kScreenHeight); }
    // Pictures nobody sees (replay steps between two shown frames): every draw
    // call still runs and sets its states, nothing is rasterised, cleared or
    // presented.
    void SetPictureUnseen(bool unseen);
    bool IsPictureUnseen() const;
    void SetPlayFieldViewport() { SetViewport(140, 0, 360, kScreenHeight); }
    SViewport GetViewport() const;
    void SetTexture(CRenderTexture* tex);
    void UnbindTexture(int stage) override;
    void SetMaterial(const SMaterial& m);

    // ---- raw drawing, forwarded to the renderer ----
    void DrawPrimitiveUP(EPrimitive type, int primCount, const RVertex* vertices, uint32_t format);
    void DrawIndexedPrimitiveUP(EPrimitive type, int vertexCount, int primCount, const uint16_t* indices,
                                const RVertex* vertices, uint32_t format);
    void DrawMesh(CRenderMesh* mesh, int firstIndex, int triangleCount);

    // ---- drawing primitives (colours are floats 0..1 in the order a, r, g, b) ----
    void FillRect(int x, int y, int w, int h, float a, float r, float g, float b);
    void DrawRectFrame(float x, float y, float w, float h, float a, float r, float g, float b);
    // The texture's 640 x 480 region (upper left of 1024 x 512) over the rectangle;
    // variant 0 upright, 1 mirrored left-right, 2 upside down, 3 both.
    void DrawTexturedRect(int x, int y, int w, int h, float a, float r, float g, float b, CRenderTexture* texture,
                          int variant);
    void DrawQuad3D(const Vec3 corners[4], float alpha, float r, float g, float b);
    void DrawTriangle3D(const Vec3 corners[3], float alpha, float r, float g, float b);
    void DrawLine3D(const Vec3* from, const Vec3* to, float alpha, float r, float g, float b);
    void DrawLine3DTextured(float x0, float y0, float z0, float x1, float y1, float z1, float alpha, float r, float g,
                            float b);
    // UTF-8 text in the box (x, y) - (x + width, y + 32), left-top aligned,
    // colour 0xAARRGGBB: glyphs are cut at the box's edges. Returns the height
    // drawn (lines x line height).
    static constexpr int kTextBoxWidth = 512;
    int DrawText(int x, int y, const char* text, uint32_t color, int width = kTextBoxWidth);

    // ---- frame ----
    void BeginFrame();
    void ClearScreen();
    void ClearDepth() override;
    void EndFrame();
    void Present();
    // Once per frame: shake, slow-motion countdown, the noise object's step and the
    // reflection index.
    void Update();

    // ---- screen effects ----
    void SetQuake(float amplitude);
    float GetQuakeAmplitude() const { return m_fQuake; }
    void GetShakeOffset(int& dx, int& dy) const
    {
        dx = m_nShakeX;
        dy = m_nShakeY;
    }
    void BeginSlowMotion(int frames);
    void HoldSlowMotion(int frames);
    void EndSlowMotion();
    bool IsSlowMotion() const override { return m_nSlowCount > 0; }
    bool SlowMotionToggle() const override { return m_bSlowToggle; }

    // The noise overlay: the global noise object (a bare CObject used as a fade
    // timer; this kills it, so no noise shows until something starts it), and the
    // noise texture with the overlay's maximum strength. The device deletes the
    // texture's owner in Release.
    void SetNoise(CObject* noise);
    void SetNoiseTexture(CResource* owner, CRenderTexture* texture, float maxStrength);

    // ---- preparing ----
    // Has the renderer build the programs of these kinds of draw now (their
    // texts as SDrawKind writes them), during a loading picture, so that no frame
    // of the game waits for them. The back buffer is left undefined.
    void PrepareDrawKinds(const char* const* kinds, int count);

    // ---- snapshots ----
    // The back buffer as "snapshot/%Y%m%d%H%M%S.bmp" in the program folder; a second
    // snapshot in the same second gets "-2", "-3", ... before ".bmp" instead of
    // overwriting the first. Returns the path written, or "" when none was.
    std::string SaveSnapshot();
    // The back buffer as a PNG at path (relative to the program folder unless
    // absolute). False when nothing was written, with the reason in *pWhy.
    bool SaveSnapshotPng(const std::string& path, std::string* pWhy = nullptr);
    // The same for a picture read before (640 x 480 words 0xAARRGGBB).
    bool SavePicturePng(const std::string& path, const std::vector<uint32_t>& pixels, std::string* pWhy = nullptr);

private:
    void DrawUntextured3D(EPrimitive primitive, int count, const Vec3* corners, int vertices, float alpha, float r,
                          float g, float b);
    void Log(const char* text);
    void ApplyBlendMode(int mode);
    // A sprite batch restores the renderer's states at its end: the cache of
    // those states is saved and restored with them, so it stays true even when
    // code inside the batch set them through the cache.
    void SaveKeptStates() override;
    void RestoreKeptStates() override;

    bool m_bNullRenderer = false;
    std::string m_strFailure;
    CWindow* m_pWindow = nullptr;
    std::unique_ptr<CRenderer> m_pRenderer;
    std::unique_ptr<CSprite> m_pSprite;
    std::unique_ptr<CFont> m_pFont;
    CRenderTexture* m_pFontTexture = nullptr;
    uint32_t m_nFontGeneration = 0;

    RVertex m_LineVertices[2];
    int m_nWireframe = 0;
    bool m_bVsync = false;
    CRenderTexture* m_pReflection[2] = {nullptr, nullptr};
    bool m_bReflectionMade = false;
    uint32_t m_dwReflectionColor = 0xFF000000u;
    int m_nReflection = 0;
    int m_nPrevReflection = 0;
    uint32_t m_dwFogColor = 0xFF000000u;
    float m_fFogStart = 0.0f;
    float m_fFogEnd = 0.0f;
    float m_fAspect = 0.0f;
    int m_nFov = 0;
    int m_nFog = 0;
    int m_nBlendMode = 0;
    int m_nCull = 0;
    int m_nDepth = 0;
    int m_nShade = 0;
    int m_nTextureFilter = 0;
    int m_nShakeX = 0;
    int m_nShakeY = 0;
    float m_fQuake = 0.0f;
    int m_nSlowCount = 0;
    bool m_bSlowToggle = false;
    int m_nModelQuality = 0;

    // Shakes draw from the device's own stream, never the gameplay one.
    CRandom m_ShakeRand;
    CObject* m_pNoise = nullptr;
    CResource* m_pNoiseOwner = nullptr;
    CRenderTexture* m_pNoiseTexture = nullptr;
    float m_fNoiseMax = 0.0f;
    SViewport m_SavedViewport;
    struct SCachedStates {
        int nWireframe, nFog, nBlendMode, nCull, nDepth, nShade, nTextureFilter;
    };
    SCachedStates m_SpriteSaved{};
};

// The game's device; null until the program entry creates it.
extern CGraphicsDevice* g_pDevice;
