// The light particles: glowing camera-facing dots, one game-wide system that
// the play frame steps (update, then draw) after the world.
#pragma once

#include <vector>

#include "core/Object.h"

class CLightParticle : public CObject {
public:
    CLightParticle();
    // Half-width drawn now: m_fSize for the first half of its life, then
    // shrinking linearly to nothing.
    float DrawnSize() const;

    float m_fSize = 0.0f;   // half-width of its square
};

class CLightParticleSystem {
public:
    CLightParticleSystem(CTexture* texture, bool flag);
    ~CLightParticleSystem();
    CLightParticleSystem(const CLightParticleSystem&) = delete;
    CLightParticleSystem& operator=(const CLightParticleSystem&) = delete;

    // count particles spread around pos, drifting outward, vanishing over frames.
    void Burst(const Vec3& pos, float spread, int count, int frames);
    // One still particle at a random point within 2 of pos (the barrage warning).
    void Scatter(const Vec3& pos, int frames);
    // Update (at half rate in slow motion), then draw every live particle.
    void Step();
    // The two halves of Step: dead particles deleted, the others updated; and
    // one camera-facing square each, additive.
    void Update();
    void Draw();
    // Deletes every particle (a new chapter or game).
    void Clear();

    int Count() const { return static_cast<int>(m_Particles.size()); }

    CTexture* m_pTexture = nullptr;
    std::vector<CLightParticle*> m_Particles;   // owned
    bool m_bFlag = false;
};

extern CLightParticleSystem* g_pLightParticles;
