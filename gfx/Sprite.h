// Screen sprites as the original sprite helper drew them: Begin saves the device
// states and sets its own (alpha blending, alpha test > 0, no culling, no fog, no
// lighting, clamped linear sampling, identity world and view, and an orthographic
// projection over the current viewport that puts texel (i, j) of a sprite drawn at
// (x, y) exactly on pixel (x + i, y + j)); Draw queues a quad; End restores the
// states. Quads with the same texture that follow one another become one draw call.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Math.h"
#include "platform/Renderer.h"

struct SRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Whoever keeps its own record of renderer states beside the sprite (the
// graphics device's cache): End restores the renderer's states as Begin found
// them, so the record is saved at Begin and put back at End with them.
class CSpriteStateKeeper {
public:
    virtual void SaveKeptStates() = 0;
    virtual void RestoreKeptStates() = 0;

protected:
    ~CSpriteStateKeeper() = default;
};

class CSprite {
public:
    explicit CSprite(CRenderer* renderer, CSpriteStateKeeper* keeper = nullptr)
        : m_pRenderer(renderer), m_pKeeper(keeper) {}

    void Begin();
    // tex: the texture; src: the part of it (null: all of it at its texture size);
    // center: subtracted from position (null: 0); position: the pixel of the
    // top-left corner (null: 0); color 0xAARRGGBB multiplies the texels.
    void Draw(CRenderTexture* tex, const SRect* src, const Vec3* center, const Vec3* position, uint32_t color);
    // Corners of a drawn quad are transformed by this matrix (row vectors); scaling
    // and rotation are about the screen origin. Identity after construction.
    void SetTransform(const Matrix& m) { m_Transform = m; }
    const Matrix& GetTransform() const { return m_Transform; }
    void End();
    bool IsBegun() const { return m_bBegun; }

    // A quad with explicit corner pixels and texture coordinates, inside Begin/End;
    // used for text, whose glyphs are cut at the edge of their box.
    void DrawQuad(CRenderTexture* tex, float x0, float y0, float x1, float y1, float u0, float v0, float u1,
                  float v1, uint32_t color, float z = 0.0f);

private:
    // Blending and the alpha test off for the lifetime of the switch.
    struct SBlendSwitch {
        explicit SBlendSwitch(CRenderer& r);
        ~SBlendSwitch();
        SBlendSwitch(const SBlendSwitch&) = delete;
        SBlendSwitch& operator=(const SBlendSwitch&) = delete;
        CRenderer& renderer;
        uint32_t blend, test;
    };
    // Part of a row of texture blocks (texel columns), and a texel rectangle.
    struct SRun {
        int left, right;
        bool opaque;
        bool operator==(const SRun&) const = default;
    };
    struct SPiece {
        int left, top, right, bottom;
        bool opaque;
    };

    // Whether texels of alpha 255 drawn in this colour under the current states
    // give the same pixels with blending and the alpha test off.
    bool CanSkipBlending(uint32_t color) const;
    // Whether opaque texels drawn unblended at (x, y, z), texel for texel,
    // would write the texels themselves and no depth the frame reads again:
    // then the back end may copy them instead.
    bool CanCopyTexels(uint32_t color, float z) const;
    void EmitQuad(CRenderTexture* tex, float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
                  uint32_t color, float z);

    CRenderer* m_pRenderer;
    CSpriteStateKeeper* m_pKeeper;
    CRenderer::SSavedState m_Saved;
    Matrix m_Transform{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    bool m_bBegun = false;
    // Scratch of Draw, kept to spare allocations.
    std::vector<SRun> m_Row, m_Previous;
    std::vector<SPiece> m_Rects;
};
