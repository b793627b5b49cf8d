// The device states both particle systems draw with.
#pragma once

#include "gfx/GraphicsDevice.h"

// White material, no fog, no culling, solid fill, and the given blend mode
// (0 alpha, 1 additive).
inline void SetParticleStates(CGraphicsDevice& d, int blendMode)
{
    d.SetMaterialColor(1.0f, 1.0f, 1.0f, 1.0f);
    d.SetFog(0);
    d.SetCullMode(0);
    d.SetWireframe(0);
    d.SetBlendMode(blendMode);
}
