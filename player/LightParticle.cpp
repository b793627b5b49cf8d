#include "player/LightParticle.h"

#include "core/Random.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "player/EffectStates.h"

CLightParticleSystem* g_pLightParticles = nullptr;

CLightParticle::CLightParticle() = default;

float CLightParticle::DrawnSize() const
{
    // Full size for the first half of its life, shrinking to nothing in the second.
    const float v = GetVanishRate();
    const float k = v <= 0.5f ? 2.0f * v : 1.0f;
    return m_fSize * k;
}

CLightParticleSystem::CLightParticleSystem(CTexture* texture, bool flag) : m_pTexture(texture), m_bFlag(flag) {}

CLightParticleSystem::~CLightParticleSystem() { Clear(); }

void CLightParticleSystem::Burst(const Vec3& pos, float spread, int count, int frames)
{
    const float half = spread / 2.0f;
    for (int i = 0; i < count; ++i) {
        CLightParticle* p = new CLightParticle();
        const float rz = g_GameRand.Real();
        const float ry = g_GameRand.Real();
        const float rx = g_GameRand.Real();
        p->SetPos(Vec3{pos.x + (rx * spread - half), pos.y + (ry * spread - half), pos.z + (rz * spread - half)});
        const float dx = g_GameRand.Real();
        const float dy = g_GameRand.Real();
        const float dz = g_GameRand.Real();
        Vec3 dir{dx - 0.5f, dy - 0.5f, dz - 0.5f};
        SetLength(dir, 1.0f);
        const float speed = g_GameRand.Real();
        p->SetVel(dir * (0.01f * speed + 0.002f));
        p->Vanish(frames);
        const float size = g_GameRand.Real();
        p->m_fSize = 0.03f * size + 0.01f;
        m_Particles.push_back(p);
    }
}

void CLightParticleSystem::Scatter(const Vec3& pos, int frames)
{
    CLightParticle* p = new CLightParticle();
    const float rz = g_GameRand.Real();
    const float ry = g_GameRand.Real();
    const float rx = g_GameRand.Real();
    p->SetPos(Vec3{pos.x + (4.0f * rx - 2.0f), pos.y + (4.0f * ry - 2.0f), pos.z + (4.0f * rz - 2.0f)});
    p->Vanish(frames);
    p->m_fSize = 1.0f;
    m_Particles.push_back(p);
}

void CLightParticleSystem::Update()
{
    // Dead particles leave in one pass that keeps the order of the others.
    size_t kept = 0;
    for (CLightParticle* p : m_Particles) {
        if (p->m_nState == CObject::STATE_DEAD) {
            delete p;
            continue;
        }
        p->Update();
        m_Particles[kept++] = p;
    }
    m_Particles.resize(kept);
}

void CLightParticleSystem::Draw()
{
    if (!g_pDevice || !m_pTexture) return;
    CGraphicsDevice& d = *g_pDevice;
    SetParticleStates(d, 1);
    d.SetDepthTest(0);
    Matrix world;
    d.GetBillboardMatrix(world);
    for (const CLightParticle* p : m_Particles) {
        if (p->m_nState == CObject::STATE_DEAD) continue;
        const float s = p->DrawnSize();
        world.m[3][0] = p->m_vPos.x;
        world.m[3][1] = p->m_vPos.y;
        world.m[3][2] = p->m_vPos.z;
        d.SetWorldTransform(world);
        // Every particle is its own strip; the renderer joins them into one draw.
        m_pTexture->DrawQuad(2.0f * s, 2.0f * s, 0.0f);
    }
}

void CLightParticleSystem::Step()
{
    // In slow motion the particles move on the device's alternate frames only.
    const bool slow = g_pDeviceLink && g_pDeviceLink->IsSlowMotion();
    if (!slow || g_pDeviceLink->SlowMotionToggle()) Update();
    Draw();
}

void CLightParticleSystem::Clear()
{
    for (CLightParticle* p : m_Particles) delete p;
    m_Particles.clear();
}
