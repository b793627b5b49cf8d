#include "stage/DigitalNumber.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/SimpleSprite.h"
#include "gfx/Texture.h"

CTexture* CDigitalNumber::s_pDigits[10] = {};

CDigitalNumber::CDigitalNumber(int value) : m_strNumber(std::to_string(value)) {}

CDigitalNumber* CDigitalNumber::Spawn(const Vec3& pos, const Vec3& vel, int value)
{
    CDigitalNumber* n = new CDigitalNumber(value);
    n->SetPos(pos);
    n->SetVel(vel);
    n->Vanish(kFrames);
    g_ForegroundList.Add(n);
    return n;
}

bool CDigitalNumber::Project(const Vec3& pos, const Matrix& view, const Matrix& proj, const SViewport& vp, float& x,
                             float& y)
{
    Matrix m;
    MatrixMultiply(m, view, proj);
    const float cx = pos.x * m.m[0][0] + pos.y * m.m[1][0] + pos.z * m.m[2][0] + m.m[3][0];
    const float cy = pos.x * m.m[0][1] + pos.y * m.m[1][1] + pos.z * m.m[2][1] + m.m[3][1];
    const float cw = pos.x * m.m[0][3] + pos.y * m.m[1][3] + pos.z * m.m[2][3] + m.m[3][3];
    if (!(cw > 0.0f)) return false;
    x = static_cast<float>(vp.x) + (1.0f + cx / cw) * static_cast<float>(vp.width) * 0.5f;
    y = static_cast<float>(vp.y) + (1.0f - cy / cw) * static_cast<float>(vp.height) * 0.5f;
    return true;
}

void CDigitalNumber::Draw()
{
    if (!g_pDevice || !g_pDevice->GetRenderer()) return;
    float sx = 0.0f, sy = 0.0f;
    if (!Project(m_vPos, g_pDevice->GetTransform(ETransform::View), g_pDevice->GetTransform(ETransform::Projection),
                 g_pDevice->GetViewport(), sx, sy))
        return;
    const float alpha = GetVanishRate();
    const float left = FirstDigitX(sx, static_cast<int>(m_strNumber.size()));
    CSpriteBatchScope batch(g_pDevice);
    for (size_t i = 0; i < m_strNumber.size(); ++i) {
        const char c = m_strNumber[i];
        if (c < '0' || c > '9') continue;
        CTexture* digit = s_pDigits[c - '0'];
        if (digit) digit->DrawSpriteBlend(left + static_cast<float>(kDigitStep * static_cast<int>(i)), sy, alpha);
    }
}
