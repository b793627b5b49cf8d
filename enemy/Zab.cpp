#include "enemy/Zab.h"

#include "assets/AssetSet.h"
#include "gfx/Model.h"
#include "gfx/Texture.h"

namespace {
constexpr int kExplosionSE = 105;
constexpr float kFlareSize = 3.0f;
}  // namespace

CZab::CZab() : CSmallEnemy(g_pZabModel, kHp, kScore, 0.25f, kExplosionSE)
{
    SetRotVel(Vec3{0.01f, 0.0f, 0.007f});
}

void CZab::Update()
{
    if (CountDownAppear()) return;
    CEnemy::Update();
    LeaveIfOffField();
}

void CZab::Draw()
{
    if (!BeginModelDraw()) return;
    if (m_nState != STATE_APPEAR) {
        if (m_pModel) m_pModel->Draw();
        return;
    }
    const float appear = GetAppearRate();
    if (m_pModel) m_pModel->DrawFaded(1.0f - appear);
    // Alpha 0: additive, so the flare only brightens.
    if (m_bFlare && g_pZabFlareTexture) g_pZabFlareTexture->DrawBillboard(kFlareSize * appear, 0.0f);
}
