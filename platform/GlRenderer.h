// The OpenGL back end: an OpenGL 3.3 core context and one shader pair that computes
// exactly what the original fixed-function pipeline did (per-vertex directional
// lighting with material sources, per-vertex linear fog, texture stage 0 combiners,
// alpha test), so the game's pictures do not depend on a driver's fixed-function
// emulation. The picture is drawn into a 640 x 480 framebuffer (the back buffer),
// presented through a second persistent one (so a shaken picture leaves the
// previous frame in the uncovered strips) and scaled into the window, 4:3 kept.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/MeshEdges.h"
#include "platform/Renderer.h"

// What the renderer needs of the window or offscreen surface that owns the context.
class CGlSurface {
public:
    virtual ~CGlSurface() = default;
    virtual void SwapBuffers() = 0;
    virtual void GetDrawableSize(int& width, int& height) = 0;
};

// Where the 640 x 480 picture lands in a drawable of the given size: the largest
// 4:3 rectangle that fits, centred; the rest stays black. A whole multiple of
// 640 x 480 is scaled pixel for pixel (sharp), any other size smoothly.
struct SLetterbox {
    int x = 0;       // left edge of the picture, pixels from the drawable's left
    int y = 0;       // top edge of the picture, pixels from the drawable's top
    int width = 0;   // size of the picture on the drawable
    int height = 0;
    bool whole = false;  // width and height are the same whole multiple of 640 and 480
};
SLetterbox ComputeLetterbox(int drawableWidth, int drawableHeight);

class CGlRenderer : public CRenderer {
public:
    // The context must be current on this thread.
    explicit CGlRenderer(CGlSurface* surface);
    ~CGlRenderer() override;

    // Compiles the shaders, creates the framebuffers and buffers. On failure returns
    // false with a reason in error.
    bool Initialize(std::string& error);
    const char* Name() const override { return "OpenGL"; }
    // Version and renderer strings of the context, for the log.
    std::string Description() const;
    // How many shader variants have been built so far.
    int ProgramCount() const { return static_cast<int>(m_Programs.size()); }

    CRenderTexture* CreateTexture(int width, int height, const uint32_t* pixels, bool mipmaps) override;
    void UpdateTexture(CRenderTexture* tex, int x, int y, int width, int height, const uint32_t* pixels) override;
    CRenderTexture* CreateRenderTarget(int width, int height) override;
    void ReleaseTexture(CRenderTexture* tex) override;
    CRenderMesh* CreateMesh(const RVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount,
                            uint32_t format) override;
    void ReleaseMesh(CRenderMesh* mesh) override;

    void Clear(bool color, bool depth, uint32_t argb, float z) override;
    void Flush() override;
    bool CopyTexels(CRenderTexture* tex, int left, int top, int right, int bottom, int x, int y) override;
    void Finish() override;
    void Present(int dx, int dy) override;
    bool ReadBackBuffer(std::vector<uint32_t>& out) override;
    bool ReadPresented(std::vector<uint32_t>& out) override;

    // An offscreen surface (headless) is seen by no one: Present then keeps the
    // presented picture (ReadPresented) but neither scales it onto the surface nor
    // swaps.
    void SetSurfaceShown(bool shown) { m_bSurfaceShown = shown; }

    // Copies the presented picture to the surface (letterboxed) without swapping,
    // and reads the surface back: for tests of the window scaling.
    bool CompositeAndReadSurface(std::vector<uint32_t>& out, int& width, int& height);

    // The material of one vertex of a batch whose lit draws differ in material.
    struct SVertexMaterial {
        float diffuse[4], ambient[4], emissive[4];
    };

protected:
    void OnRenderTargetChanged() override;
    void OnMaterialChanging() override;
    void SubmitUP(EPrimitive type, int primCount, const RVertex* vertices, const uint16_t* indices,
                  int vertexCount, uint32_t format) override;
    void SubmitMesh(CRenderMesh* mesh, int firstIndex, int triangleCount) override;

private:
    enum class EClass { None, Points, Lines, Triangles };
    void AppendVertex(const RVertex& v, uint32_t format);
    // Sets everything a draw needs; false when its shader variant cannot be built.
    // Lit draws take the material (the current one unless given) as constant
    // vertex attributes (a batch with materials per vertex enables their arrays
    // over them); diffuseAlpha replaces its diffuse alpha.
    bool ApplyState(uint32_t format, bool meshDraw, const float* diffuseAlpha = nullptr,
                    const SVertexMaterial* material = nullptr);
    // How a wireframe mesh draw under the current states may go as the list of
    // its edges; alpha: the alpha of all its pixels where that counts.
    enum class EEdges { None, Ordered, Grouped };
    EEdges EdgesFor(uint32_t format, float& alpha) const;
    // Whether a box of the current world lies wholly outside the view.
    bool IsUnseen(const SBox& box) const;
    SVertexMaterial CurrentMaterial() const;
    // Whether draws of this format are lit under the current states (the only
    // draws the material reaches).
    bool IsLit(uint32_t format) const;
    // Appends bytes to the bound stream buffer of target; returns their offset.
    size_t StreamWrite(unsigned target, size_t& capacity, size_t& offset, const void* data, size_t bytes);
    unsigned ProgramFor(uint32_t key, const std::string& defines, std::string& error);
    void BindTarget();
    void Composite();
    bool ReadFramebuffer(unsigned fbo, int width, int height, std::vector<uint32_t>& out, bool forceOpaque);

    CGlSurface* m_pSurface;
    bool m_bSurfaceShown = true;
    bool m_bReady = false;
    std::unordered_map<uint32_t, unsigned> m_Programs;  // shader variants by state key
    unsigned m_nCurrentProgram = 0;
    unsigned m_nVao = 0;
    unsigned m_nStreamVbo = 0;
    size_t m_nStreamCapacity = 0;
    size_t m_nStreamOffset = 0;  // where the next batch's vertices go
    unsigned m_nStreamIbo = 0;
    size_t m_nIndexCapacity = 0;
    size_t m_nIndexOffset = 0;
    unsigned m_nMaterialVbo = 0;
    size_t m_nMaterialCapacity = 0;
    size_t m_nMaterialOffset = 0;
    unsigned m_nSampler = 0;
    unsigned m_nBackFbo = 0, m_nBackColor = 0, m_nBackDepth = 0;
    unsigned m_nWindowFbo = 0, m_nWindowColor = 0;
    unsigned m_nUbo = 0;
    // The back buffer's depth: the value of its last whole clear, and whether any
    // draw has written depth since (partial depth clears are skipped otherwise).
    float m_fBackDepth = 1.0f;
    bool m_bBackDepthWritten = false;

    // The open batch.
    std::vector<RVertex> m_Batch;
    std::vector<uint32_t> m_BatchIndices;
    // The material of the batch's first draw; one per vertex once a lit draw
    // with another material joined the batch (empty before).
    SVertexMaterial m_BatchMaterial{};
    std::vector<SVertexMaterial> m_BatchMaterials;
    EClass m_BatchClass = EClass::None;
    uint32_t m_nBatchFormat = 0;
    int m_nBatchDraws = 0;
    // Whether every vertex of the open batch has the same clip-space w (that of
    // the first), and the column that computes it from a world-space position.
    bool m_bBatchAffine = true;
    float m_fBatchW = 0.0f;
    float m_BatchWColumn[4] = {0.0f, 0.0f, 0.0f, 1.0f};

    // World matrix the batched vertices are moved with, and its normal matrix.
    Matrix m_CachedWorld;
    Matrix m_CachedWorldNormal;
    bool m_bWorldIdentity = true;
};
