#include "enemy/Raptor.h"

#include "assets/AssetSet.h"
#include "enemy/BarrageFire.h"
#include "gfx/Model.h"
#include "player/MyKorvo.h"

namespace {
constexpr int kExplosionSE = 148;
constexpr int kDepartFrames = 180;   // 60 x 3
constexpr float kDepartSpeed = 0.125f;
constexpr int kTurnFrames = 6;       // 60 x 0.1
constexpr int kScatterPattern = 24;
}  // namespace

CRaptor::CRaptor() : CSmallEnemy(g_pRaptorModel, kHp, kScore, 0.5f, kExplosionSE)
{
    m_pFire[0]->SetPattern(kScatterPattern);
}

void CRaptor::Update()
{
    if (CountDownAppear()) return;
    CEnemy::Update();
    if (m_nAge == m_nDepartFrame) {
        // x = 0 counts as the left.
        const float vx = m_vPos.x <= 0.0f ? -kDepartSpeed : kDepartSpeed;
        AccelTo(Vec3{vx, 0.0f, 0.0f}, kDepartFrames);
    }
    if (!m_bStraight && g_pPlayer) RotateTo(FaceToward(g_pPlayer), kTurnFrames);
    LeaveIfOffField();
}

void CRaptor::Draw()
{
    if (m_nState == STATE_APPEAR || !m_pModel || !BeginModelDraw()) return;
    m_pModel->Draw();
}
