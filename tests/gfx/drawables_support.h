// Helpers of the drawable tests: plain-colour textures on a device, and the
// game-wide lists emptied between tests.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

// A w x h texture of one colour (0xAARRGGBB), or of rows taken from rowColor(y).
template <class F>
std::unique_ptr<CTexture> MakeTextureRows(CGraphicsDevice* device, int w, int h, F rowColor)
{
    auto t = std::make_unique<CTexture>(device);
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = rowColor(y);
    t->m_nWidth = w;
    t->m_nHeight = h;
    if (device && device->GetRenderer()) t->m_pTexture = device->GetRenderer()->CreateTexture(w, h, px.data(), false);
    return t;
}

inline std::unique_ptr<CTexture> MakeTexture(CGraphicsDevice* device, int w, int h, uint32_t argb)
{
    return MakeTextureRows(device, w, h, [argb](int) { return argb; });
}

// Deletes whatever a test left in the lists its objects go to.
struct CListsCleaner {
    ~CListsCleaner()
    {
        DeleteAll(g_OverlayList);
        DeleteAll(g_EffectList);
        DeleteAll(g_ForegroundList);
    }
};
