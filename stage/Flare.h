// CFlare: an additive glow in the world that shrinks away over 60 frames; hits
// of the blade, the lasers and the beams.
#pragma once

#include "core/Object.h"

class CFlare : public CObject {
public:
    static constexpr int kFrames = 60;

    CFlare(float width, float height);

    // A 3 x 3 flare at pos; a long 0.5 x 15 one at pos turned by rot. Both are
    // added to the foreground list.
    static CFlare* Spawn(const Vec3& pos);
    static CFlare* SpawnLong(const Vec3& pos, const Vec3& rot);
    // The glow picture (resource "#239" of type "TEXTURE"); not owned.
    static CTexture* s_pTexture;

    void Draw() override;

    float m_fWidth = 0.0f;
    float m_fHeight = 0.0f;
};
