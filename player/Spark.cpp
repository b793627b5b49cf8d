#include "player/Spark.h"

#include <algorithm>

#include "core/Random.h"
#include "gfx/GraphicsDevice.h"
#include "player/EffectStates.h"

CSparkSystem* g_pSparks = nullptr;

namespace {

constexpr float kCornerTurn = 0.6666f;   // a third of a turn, as the triangle is made

// A new spark at pos with its velocity; the spin and the corners follow.
SSpark MakeSpark(const Vec3& pos, const Vec3& vel, int life)
{
    SSpark s;
    s.vPos = pos;
    s.vVel = vel;
    s.nLife = life;
    s.nTotal = life;
    s.vCorner[0] = Vec3{0.0f, 0.025f, 0.0f};
    s.vCorner[1] = s.vCorner[0];
    RotateZ(s.vCorner[1], kCornerTurn);
    s.vCorner[2] = s.vCorner[0];
    RotateZ(s.vCorner[2], 2.0f * kCornerTurn);
    const float rz = g_GameRand.Real();
    const float ry = g_GameRand.Real();
    const float rx = g_GameRand.Real();
    s.vRot = Vec3{2.0f * rx, 2.0f * ry, 2.0f * rz};
    return s;
}

}  // namespace

CSparkSystem::CSparkSystem() : m_Vertices(static_cast<size_t>(kMaxDrawn) * 3) {}

void CSparkSystem::Burst(const Vec3& pos, int count, int frames)
{
    for (int i = 0; i < count; ++i) {
        const float rLength = g_GameRand.Real();
        const float rTurn = g_GameRand.Real();
        Vec3 v{0.0f, 1.0f, 0.0f};
        SetLength(v, (rLength + 0.5f) * 0.05f);
        RotateZ(v, 2.0f * rTurn);
        m_Sparks.push_back(MakeSpark(pos, v, frames));
    }
}

void CSparkSystem::Spray(const Vec3& pos, const Vec3& dir, int count)
{
    for (int i = 0; i < count; ++i) {
        const float rLength = g_GameRand.Real();
        const float rTurn = g_GameRand.Real();
        Vec3 v = dir;
        SetLength(v, 0.05f * rLength + 0.025f);
        RotateZ(v, 0.8f * rTurn - 0.4f);
        m_Sparks.push_back(MakeSpark(pos, v, kSprayLife));
    }
}

void CSparkSystem::Update()
{
    size_t kept = 0;
    for (SSpark& s : m_Sparks) {
        if (s.bDead) continue;
        AddTo(s.vPos, s.vVel);
        if (--s.nLife <= 0) s.bDead = true;
        s.vRot.x += 0.05f;
        s.vRot.y += 0.05f;
        m_Sparks[kept++] = s;
    }
    m_Sparks.resize(kept);
}

int CSparkSystem::BuildVertices()
{
    const int n = std::min(static_cast<int>(m_Sparks.size()), kMaxDrawn);
    for (int i = 0; i < n; ++i) {
        const SSpark& s = m_Sparks[static_cast<size_t>(i)];
        const float fade = s.nTotal > 0 ? static_cast<float>(s.nLife) / static_cast<float>(s.nTotal) : 0.0f;
        const uint32_t alpha = static_cast<uint32_t>(fade * 255.0f) & 0xFFu;
        // The material lights the spark; the vertex carries its fading alpha.
        const uint32_t colour = (alpha << 24) | 0x00010101u;
        for (int c = 0; c < 3; ++c) {
            Vec3 p = s.vCorner[c];
            RotateXYZ(p, s.vRot.x, s.vRot.y, s.vRot.z);
            AddTo(p, s.vPos);
            RVertex& v = m_Vertices[static_cast<size_t>(i) * 3 + static_cast<size_t>(c)];
            v.x = p.x;
            v.y = p.y;
            v.z = p.z;
            v.diffuse = colour;
            v.u = 0.0f;
            v.v = 0.0f;
        }
    }
    return n;
}

void CSparkSystem::Draw()
{
    // The vertices serve the picture alone: a jump's unseen steps skip them.
    if (!g_pDevice || g_pDevice->IsPictureUnseen()) return;
    const int n = BuildVertices();
    if (n == 0) return;
    CGraphicsDevice& d = *g_pDevice;
    SetParticleStates(d, 0);
    d.UnbindTexture(0);
    Matrix identity;
    MatrixIdentity(identity);
    d.SetWorldTransform(identity);
    d.DrawPrimitiveUP(EPrimitive::TriangleList, n, m_Vertices.data(), FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
}

void CSparkSystem::Clear() { m_Sparks.clear(); }
