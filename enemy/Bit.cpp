#include "enemy/Bit.h"

#include "assets/AssetSet.h"
#include "core/Random.h"
#include "enemy/EnemyShot.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"
#include "player/MyKorvo.h"

namespace {
constexpr int kFireInterval = 15;      // 60 x 0.25
constexpr float kShotSpeed = 0.06f;
constexpr int kShotTexture = 0;
constexpr int kFireSE = 119;
}  // namespace

CBit::CBit(const Vec3& pos)
{
    SetPos(pos);
    m_nShots = 0;
    Kill();
}

void CBit::Activate()
{
    CObject::Activate();
    MoveToRandomPoint();
}

void CBit::OnMoveEnd() { m_nShots = 1; }

void CBit::MoveToRandomPoint()
{
    const float r1 = g_GameRand.Real();
    const float r2 = g_GameRand.Real();
    const float r3 = g_GameRand.Real();
    const Vec3 target{6.0f * r2 - 3.0f, 4.0f - 6.0f * r1, 0.0f};
    const int frames = static_cast<int>((0.5f * r3 + 1.0f) * 60.0f);
    MoveTo(target, frames);
}

void CBit::Update()
{
    if (m_nState != STATE_ALIVE) return;
    CObject::Update();
    if (g_pPlayer) m_vRot.z = FaceToward(g_pPlayer).z;
    if (m_nShots >= 1 && m_nAge % kFireInterval == 0) {
        EmitAimedShaped(m_vPos, g_pPlayer, kShotSpeed, 1, kShotTexture);
        PlaySEAt(kFireSE, m_vPos);
        m_nShots -= 1;
        if (m_nShots == 0) MoveToRandomPoint();
    }
}

void CBit::Draw() { DrawBitModel(*this); }

void DrawBitModel(CObject& bit)
{
    if (bit.m_nState != CObject::STATE_ALIVE || !g_pDevice || !g_pOptionModel) return;
    bit.SetWorldTransform();
    g_pDevice->SetCullMode(0);
    g_pDevice->SetWireframe(0);
    g_pDevice->SetFog(0);
    g_pDevice->SetBlendMode(0);
    g_pOptionModel->Draw();
}
