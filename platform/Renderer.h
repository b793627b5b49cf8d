// The renderer: the layer under CGraphicsDevice that stands in for the fixed-function
// 3D device the game was designed against. It keeps the device's render, texture-stage
// and sampler states with the same meanings and defaults, takes draws in the same
// forms (untransformed or pre-transformed vertices, strips, lists, static meshes),
// and its back ends reproduce that device's pictures (OpenGL) or draw nothing (null).
//
// Conventions, as the game's math uses them:
//  - matrices are row-vector (v' = v * M), left-handed, translation in row 4;
//  - a pixel of the 640 x 480 back buffer is addressed top-left first;
//  - colours packed in 32 bits are 0xAARRGGBB;
//  - clip-space depth runs 0 (near) .. 1 (far); viewports are top-left based.
//
// Batching: draws that follow one another with unchanged states, texture, vertex
// format and primitive class are merged by the back end into one buffer and one
// draw call. The world matrix is not part of that state: batched vertices are moved
// into world space on the CPU, so 2,000 bullets each with their own world matrix
// still cost a handful of draw calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/Math.h"

// Vertex format bits (which fields of RVertex a draw supplies).
enum : uint32_t {
    FVF_XYZ = 0x0,      // x, y, z in object space (transformed by world, view, projection)
    FVF_XYZRHW = 0x1,   // x, y in back-buffer pixels, z depth 0..1, rhw (pre-transformed)
    FVF_NORMAL = 0x2,   // nx, ny, nz
    FVF_DIFFUSE = 0x4,  // diffuse colour 0xAARRGGBB
    FVF_TEX1 = 0x8,     // u, v
};

struct RVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float rhw = 1.0f;
    float nx = 0.0f, ny = 0.0f, nz = 0.0f;
    uint32_t diffuse = 0xFFFFFFFFu;
    float u = 0.0f, v = 0.0f;
};

enum class EPrimitive { PointList, LineList, LineStrip, TriangleList, TriangleStrip, TriangleFan };

// Number of vertices that primCount primitives of this type use.
int VertexCountFor(EPrimitive type, int primCount);

struct SColorValue {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

struct SMaterial {
    SColorValue diffuse, ambient, specular, emissive;
    float power = 0.0f;
};

// One directional light.
struct SLight {
    SColorValue diffuse, specular, ambient;
    Vec3 direction{0.0f, 0.0f, 1.0f};
    bool enabled = false;
};

struct SViewport {
    int x = 0, y = 0, width = 640, height = 480;
    float minZ = 0.0f, maxZ = 1.0f;
};

enum class ETransform { World, View, Projection };

// Render states, with the numeric values of the original device's constants so that
// values read from the design carry over unchanged.
enum class ERenderState {
    ZEnable,           // 0/1, default 1 (the back buffer has a depth buffer)
    ZWriteEnable,      // default 1
    FillMode,          // EFill, default Solid
    CullMode,          // ECull, default CCW
    AlphaBlendEnable,  // default 0
    SrcBlend,          // EBlend, default One
    DestBlend,         // EBlend, default Zero
    AlphaTestEnable,   // default 0
    AlphaFunc,         // ECmp, default Always
    AlphaRef,          // 0..255, default 0
    FogEnable,         // default 0
    FogColor,          // 0xAARRGGBB (alpha ignored), default 0
    FogStart,          // float bits, default 0.0
    FogEnd,            // float bits, default 1.0
    Lighting,          // default 1
    Ambient,           // 0xAARRGGBB global ambient, default 0
    ColorVertex,       // default 1: a vertex diffuse colour replaces the material diffuse
    Count
};

enum EFill : uint32_t { FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3 };
enum ECull : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum EBlend : uint32_t {
    BLEND_ZERO = 1, BLEND_ONE = 2, BLEND_SRCCOLOR = 3, BLEND_INVSRCCOLOR = 4,
    BLEND_SRCALPHA = 5, BLEND_INVSRCALPHA = 6, BLEND_DESTALPHA = 7, BLEND_INVDESTALPHA = 8,
    BLEND_DESTCOLOR = 9, BLEND_INVDESTCOLOR = 10,
};
enum ECmp : uint32_t {
    CMP_NEVER = 1, CMP_LESS = 2, CMP_EQUAL = 3, CMP_LESSEQUAL = 4,
    CMP_GREATER = 5, CMP_NOTEQUAL = 6, CMP_GREATEREQUAL = 7, CMP_ALWAYS = 8,
};

// Texture stage 0 (the only stage the game uses).
enum class EStageState { ColorOp, ColorArg1, ColorArg2, AlphaOp, AlphaArg1, AlphaArg2, Count };
enum ETexOp : uint32_t { TOP_DISABLE = 1, TOP_SELECTARG1 = 2, TOP_SELECTARG2 = 3, TOP_MODULATE = 4 };
// At stage 0, DIFFUSE and CURRENT are the same thing: the lit or vertex colour.
enum ETexArg : uint32_t { TA_DIFFUSE = 0, TA_CURRENT = 1, TA_TEXTURE = 2 };

enum class ESamplerState { AddressU, AddressV, MagFilter, MinFilter, MipFilter, Count };
enum ETexAddress : uint32_t { TADDRESS_WRAP = 1, TADDRESS_MIRROR = 2, TADDRESS_CLAMP = 3 };
enum ETexFilter : uint32_t { TEXF_NONE = 0, TEXF_POINT = 1, TEXF_LINEAR = 2 };

// Every state the back ends draw with. Defaults are the original device's.
struct SDeviceState {
    uint32_t render[static_cast<int>(ERenderState::Count)];
    uint32_t stage[static_cast<int>(EStageState::Count)];
    uint32_t sampler[static_cast<int>(ESamplerState::Count)];
    SMaterial material;
    SLight light;
    SDeviceState();
};

// A texture owned by a renderer. Pixels are 0xAARRGGBB, rows top first.
class CRenderTexture {
public:
    // Side of the square blocks whose transparency is recorded.
    static constexpr int kCoverageBlock = 16;

    virtual ~CRenderTexture() = default;
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    bool IsRenderTarget() const { return m_bRenderTarget; }
    bool HasMipmaps() const { return m_bMipmaps; }
    // Whether any texel of block (bx, by) has a non-zero alpha; true when unknown
    // (render targets). Lets sprite drawing skip regions that cannot show.
    bool IsBlockVisible(int bx, int by) const { return m_Coverage.empty() || BlockCoverage(bx, by) != kNone; }
    // Whether every texel of block (bx, by) has alpha 255; false when unknown.
    // Blending such texels at full opacity only copies them, so sprite drawing
    // can leave blending off there (much cheaper on a software rasteriser).
    bool IsBlockOpaque(int bx, int by) const { return !m_Coverage.empty() && BlockCoverage(bx, by) == kOpaque; }
    // Whether every texel of the texture (and so of its mip levels) has alpha 255.
    bool IsOpaque() const { return m_bOpaque; }
    int BlocksX() const { return (m_nWidth + kCoverageBlock - 1) / kCoverageBlock; }
    int BlocksY() const { return (m_nHeight + kCoverageBlock - 1) / kCoverageBlock; }

protected:
    friend class CRenderer;
    // What a block of m_Coverage holds.
    enum : uint8_t { kNone = 0, kVisible = 1, kOpaque = 2 };
    uint8_t BlockCoverage(int bx, int by) const { return m_Coverage[static_cast<size_t>(by) * BlocksX() + bx]; }
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bRenderTarget = false;
    bool m_bMipmaps = false;
    bool m_bOpaque = false;
    std::vector<uint8_t> m_Coverage;
};

// A mesh kept by the renderer (vertex and 16-bit index data uploaded once), drawn
// by index ranges with the current world matrix.
class CRenderMesh {
public:
    virtual ~CRenderMesh() = default;
    uint32_t Format() const { return m_nFormat; }
    int VertexCount() const { return m_nVertices; }
    int IndexCount() const { return m_nIndices; }

protected:
    uint32_t m_nFormat = 0;
    int m_nVertices = 0;
    int m_nIndices = 0;
};

// What the programs a back end builds for a draw depend on: the states it is
// drawn with, its vertex format, its kind of primitive and of texture, and
// whether all its vertices share one clip-space w. One line of text names it,
// so that a game can list the kinds it draws and have them prepared while it
// loads: a software rasteriser compiles the code of each kind the first time
// it is drawn, which would stall that frame.
struct SDrawKind {
    // The render states that count, in this order.
    static constexpr ERenderState kStates[] = {
        ERenderState::ZEnable,         ERenderState::ZWriteEnable, ERenderState::FillMode,
        ERenderState::CullMode,        ERenderState::AlphaBlendEnable, ERenderState::SrcBlend,
        ERenderState::DestBlend,       ERenderState::AlphaTestEnable,  ERenderState::AlphaFunc,
        ERenderState::FogEnable,       ERenderState::Lighting,         ERenderState::ColorVertex,
    };
    static constexpr int kStateCount = static_cast<int>(sizeof kStates / sizeof kStates[0]);
    // The texture: none, or these bits.
    enum : uint32_t { kTexture = 1, kPowerOfTwoWidth = 2, kPowerOfTwoHeight = 4, kMipmaps = 8, kRenderTarget = 16 };
    enum : int { kPoints = 0, kLines = 1, kTriangles = 2 };

    uint32_t format = 0;
    int primitive = kTriangles;
    bool mesh = false;
    bool sameW = true;
    uint32_t render[kStateCount] = {};
    bool lightOn = false;
    uint32_t stage[static_cast<int>(EStageState::Count)] = {};
    uint32_t sampler[static_cast<int>(ESamplerState::Count)] = {};
    uint32_t texture = 0;
    // Lit draws of several materials in one batch, each vertex with its own.
    bool materials = false;

    std::string ToText() const;
    // False for text that is no draw kind.
    static bool FromText(const std::string& text, SDrawKind& out);
    bool operator==(const SDrawKind&) const = default;
};

struct SRenderStats {
    int drawCalls = 0;      // back-end draw calls issued since the last BeginScene
    int primitives = 0;     // primitives submitted by the caller since the last BeginScene
    int batchedDraws = 0;   // caller draws merged into an earlier draw call
    int unseenDraws = 0;    // caller draws left out as lying wholly outside the view
    int lines = 0;          // lines drawn for wireframe meshes
    int copies = 0;         // pictures copied rather than drawn (CopyTexels)
};

class CRenderer {
public:
    // Size of the back buffer: the game's picture is always 640 x 480.
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    CRenderer();
    virtual ~CRenderer() = default;
    CRenderer(const CRenderer&) = delete;
    CRenderer& operator=(const CRenderer&) = delete;

    virtual const char* Name() const = 0;

    // ---- states (stored here; the back end reads them when it draws) ----
    void SetRenderState(ERenderState s, uint32_t value);
    uint32_t GetRenderState(ERenderState s) const { return m_State.render[static_cast<int>(s)]; }
    void SetRenderStateF(ERenderState s, float value);
    float GetRenderStateF(ERenderState s) const;
    void SetStageState(EStageState s, uint32_t value);
    uint32_t GetStageState(EStageState s) const { return m_State.stage[static_cast<int>(s)]; }
    void SetSamplerState(ESamplerState s, uint32_t value);
    uint32_t GetSamplerState(ESamplerState s) const { return m_State.sampler[static_cast<int>(s)]; }
    void SetMaterial(const SMaterial& m);
    const SMaterial& GetMaterial() const { return m_State.material; }
    void SetLight(const SLight& l);
    const SLight& GetLight() const { return m_State.light; }
    void SetTexture(CRenderTexture* tex);
    CRenderTexture* GetTexture() const { return m_pTexture; }
    void SetTransform(ETransform t, const Matrix& m);
    const Matrix& GetTransform(ETransform t) const { return m_Transform[static_cast<int>(t)]; }
    void SetViewport(const SViewport& vp);
    const SViewport& GetViewport() const { return m_Viewport; }
    const SDeviceState& State() const { return m_State; }

    // The whole state, for code that saves and restores it around its own drawing.
    struct SSavedState {
        SDeviceState state;
        CRenderTexture* texture = nullptr;
        Matrix transform[3];
        SViewport viewport;
    };
    void SaveState(SSavedState& out) const;
    void RestoreState(const SSavedState& in);

    // ---- resources ----
    // pixels: width * height words 0xAARRGGBB, rows top first; null leaves it black.
    // mipmaps: build the full chain (box filtered); sampled only with a mip filter.
    virtual CRenderTexture* CreateTexture(int width, int height, const uint32_t* pixels, bool mipmaps) = 0;
    virtual void UpdateTexture(CRenderTexture* tex, int x, int y, int width, int height,
                               const uint32_t* pixels) = 0;
    virtual CRenderTexture* CreateRenderTarget(int width, int height) = 0;
    virtual void ReleaseTexture(CRenderTexture* tex) = 0;
    virtual CRenderMesh* CreateMesh(const RVertex* vertices, int vertexCount, const uint16_t* indices,
                                    int indexCount, uint32_t format) = 0;
    virtual void ReleaseMesh(CRenderMesh* mesh) = 0;

    // ---- frame ----
    // Binds a render target texture, or the back buffer when null; like the original
    // device this resets the viewport to the whole target.
    void SetRenderTarget(CRenderTexture* target);
    CRenderTexture* GetRenderTarget() const { return m_pRenderTarget; }
    virtual void BeginScene();
    virtual void EndScene() {}
    // Clears the current viewport rectangle only.
    virtual void Clear(bool color, bool depth, uint32_t argb, float z) = 0;

    // ---- drawing ----
    void DrawPrimitiveUP(EPrimitive type, int primCount, const RVertex* vertices, uint32_t format);
    void DrawIndexedPrimitiveUP(EPrimitive type, int vertexCount, int primCount, const uint16_t* indices,
                                const RVertex* vertices, uint32_t format);
    // Triangles firstIndex / 3 ... of the mesh's index list, triangleCount of them.
    void DrawMesh(CRenderMesh* mesh, int firstIndex, int triangleCount);

    // While discarding, draws are taken (every state they set stays set) but
    // reach no back end and cost no rasterising: for pictures nobody sees, such
    // as the steps between two shown frames of a replay watched fast.
    void SetDiscarding(bool on);
    bool IsDiscarding() const { return m_bDiscarding; }

    // Puts the texels (left, top) - (right, bottom) of tex into the back buffer
    // with their top-left at pixel (x, y), exactly as they are: what an
    // unblended draw of them placed texel for texel writes, colour and alpha.
    // Depth stays as it was. Where copying does not pay or the back end cannot
    // copy, false: the caller draws them.
    virtual bool CopyTexels(CRenderTexture* /*tex*/, int /*left*/, int /*top*/, int /*right*/, int /*bottom*/,
                            int /*x*/, int /*y*/)
    {
        return false;
    }

    // Sends everything batched so far to the back end.
    virtual void Flush() = 0;
    // Flushes and waits until the back end has finished drawing (benchmarks).
    virtual void Finish() { Flush(); }

    // Shows the back buffer moved by (dx, dy) pixels; uncovered strips keep what the
    // previous picture left there.
    virtual void Present(int dx, int dy) = 0;

    // The back buffer as 640 x 480 words 0xAARRGGBB, rows top first. False when the
    // back end keeps no pixels.
    virtual bool ReadBackBuffer(std::vector<uint32_t>& out) = 0;
    // The last presented picture (after the shake offset), same layout.
    virtual bool ReadPresented(std::vector<uint32_t>& out) = 0;

    const SRenderStats& Stats() const { return m_Stats; }

    // ---- preparing the programs of draws ----
    // From now on the text of every kind of draw made is added to pKinds; null
    // stops.
    void RecordDrawKinds(std::set<std::string>* pKinds) { m_pRecordedKinds = pKinds; }
    // Draws one small primitive of each kind not prepared before into the current
    // target, so that the back end builds its programs now; the states are left as
    // they were, the picture and depth are not (clear them before they are shown).
    // Returns how many texts named no draw kind.
    int PrepareDrawKinds(const char* const* texts, int count);

protected:
    // Back-end hooks. Every setter that changes a value a batch depends on calls
    // Flush() first, so an open batch always draws with the current states; only the
    // world matrix may change inside a batch (it is applied on the CPU at submission),
    // and the material where the back end takes it with each vertex.
    virtual void OnRenderTargetChanged() {}
    // Called by SetMaterial before a changed material is stored. The default
    // flushes; a back end that can carry the material with each vertex of the
    // open batch keeps the batch open instead (the recorded kinds of draw then
    // say which batches mix materials).
    virtual void OnMaterialChanging() { Flush(); }
    // Records which blocks of the texture hold visible texels and which only
    // opaque ones, for the part of it that pixels (rows of width words, top
    // first) just replaced.
    static void UpdateCoverage(CRenderTexture* tex, int x, int y, int width, int height, const uint32_t* pixels);
    // Whether an update of a texture's pixels names some and stays inside it.
    static bool IsValidUpdate(const CRenderTexture* tex, int x, int y, int width, int height, const uint32_t* pixels)
    {
        return tex && pixels && x >= 0 && y >= 0 && width > 0 && height > 0 && x + width <= tex->Width() &&
               y + height <= tex->Height();
    }
    virtual void SubmitUP(EPrimitive type, int primCount, const RVertex* vertices, const uint16_t* indices,
                          int vertexCount, uint32_t format) = 0;
    virtual void SubmitMesh(CRenderMesh* mesh, int firstIndex, int triangleCount) = 0;

    // The kind of a draw of these vertices with the current states.
    // firstW: the clip-space w of the first vertex.
    SDrawKind CurrentDrawKind(int primitive, uint32_t format, bool mesh, const RVertex* vertices, int count,
                              float* firstW = nullptr) const;
    // Records the kind of a draw as the back end's batching will draw it.
    void RecordDraw(EPrimitive type, uint32_t format, const RVertex* vertices, int count);
    // A change of state ends the batch a back end has open.
    void EndBatch()
    {
        m_OpenBatch.open = false;
        Flush();
    }

    SDeviceState m_State;
    CRenderTexture* m_pTexture = nullptr;
    CRenderTexture* m_pRenderTarget = nullptr;
    Matrix m_Transform[3];
    SViewport m_Viewport;
    SRenderStats m_Stats;
    std::set<std::string>* m_pRecordedKinds = nullptr;
    bool m_bDiscarding = false;
    // The batch the recorded draws would be merged into (see RecordDraw).
    struct SOpenBatch {
        bool open = false;
        std::string key;  // the kind's text, sharing of w aside
        float w = 0.0f;   // clip-space w of its first vertex
        bool sameW = true;
        bool lit = false;
        SMaterial material;  // of its first draw
        bool materials = false;
    };
    SOpenBatch m_OpenBatch;
    std::set<std::string> m_PreparedKinds;
};
