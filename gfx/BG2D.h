// CBG2D: a 2D backdrop that scrolls down the play field, 2 pixels a frame,
// tiling a 512-pixel-tall picture seamlessly. The game keeps eight layers
// (g_BG2D); the bosses put their barrage backdrop on one, the world reset
// clears them all.
#pragma once

#include "core/Object.h"

class CBG2D : public CObject {
public:
    static constexpr int kLayers = 8;
    static constexpr float kTileHeight = 512.0f;
    static constexpr float kScrollPerFrame = 2.0f;

    CBG2D();

    // The picture shown (not owned); null shows nothing.
    void SetTexture(CTexture* texture) { m_pTexture = texture; }
    // Every layer shows nothing.
    static void ClearAll();
    // Left edge that centres a picture of this width on the 360-pixel play field
    // that starts at x = 140.
    static int LeftFor(int textureWidth);

    void Update() override;
    void Draw() override;
};

extern CBG2D g_BG2D[CBG2D::kLayers];
