// The sparks: small spinning triangles, one game-wide system drawn in one call
// from a fixed array of 1024 triangles.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Math.h"
#include "platform/Renderer.h"

struct SSpark {
    Vec3 vPos;
    Vec3 vCorner[3];
    Vec3 vRot;
    Vec3 vVel;
    int32_t nLife = 0;
    int32_t nTotal = 0;
    bool bDead = false;
};

class CSparkSystem {
public:
    static constexpr int kMaxDrawn = 1024;
    static constexpr int kSprayLife = 120;

    CSparkSystem();

    // count sparks flying outward in the XY plane, living frames.
    void Burst(const Vec3& pos, int count, int frames);
    // count sparks along dir, spread by +-0.4 half-turn, living 120 frames.
    void Spray(const Vec3& pos, const Vec3& dir, int count);
    // Dead sparks leave; the others move, age and spin.
    void Update();
    // The first 1024 sparks as one triangle list, alpha-blended and fading.
    void Draw();
    void Clear();
    // Writes the triangles of the first 1024 sparks; returns how many.
    int BuildVertices();

    int Count() const { return static_cast<int>(m_Sparks.size()); }

    std::vector<SSpark> m_Sparks;
    std::vector<RVertex> m_Vertices;   // 3 per spark drawn, kMaxDrawn sparks at most
};

extern CSparkSystem* g_pSparks;
