#include "stage/CinemaScope.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"

CCinemaScope::CCinemaScope(int width) : m_nWidth(width) {}

CCinemaScope* CCinemaScope::Spawn(int width, int appear, int stay, int vanish)
{
    CCinemaScope* p = new CCinemaScope(width);
    p->m_nVanishTotal = vanish;
    if (appear != 0) {
        p->m_nLifeTotal = stay;
        p->SetAppear(appear);
    } else if (stay != 0) {
        p->SetLife(stay);
    } else {
        p->Vanish(vanish);
    }
    g_ForegroundList.Add(p);
    return p;
}

bool CCinemaScope::GetBand(int& width, float& alpha) const
{
    const float w = static_cast<float>(m_nWidth);
    float f = 0.0f;
    switch (m_nState) {
    case STATE_APPEAR: {
        const float a = GetAppearRate();
        f = w * (1.0f - a);
        alpha = 0.5f - 0.5f * a;
        break;
    }
    case STATE_ALIVE:
        f = w;
        alpha = 0.5f;
        break;
    case STATE_VANISH: {
        const float v = GetVanishRate();
        f = w * v;
        alpha = 0.5f * v;
        break;
    }
    default: return false;
    }
    width = static_cast<int>(f);
    return true;
}

void CCinemaScope::Draw()
{
    int width = 0;
    float alpha = 0.0f;
    if (!g_pDevice || !GetBand(width, alpha)) return;
    g_pDevice->FillRect(140, 0, width, CGraphicsDevice::kScreenHeight, alpha, 0.0f, 0.0f, 0.0f);
}
