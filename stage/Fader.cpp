#include "stage/Fader.h"

#include "gfx/GraphicsDevice.h"

CFader* g_pFader = nullptr;

CFader::CFader() = default;

void CFader::Start(int frames, int mode, float maxAlpha, float r, float g, float b)
{
    m_nCount = m_nTotal = frames;
    m_nMode = mode;
    m_fMaxAlpha = maxAlpha;
    m_fRed = r;
    m_fGreen = g;
    m_fBlue = b;
}

void CFader::Off() { m_nMode = MODE_OFF; }
void CFader::FadeFromBlack(int frames) { Start(frames, MODE_FROM, 1.0f, 0.0f, 0.0f, 0.0f); }
void CFader::FadeToBlack(int frames) { Start(frames, MODE_TO, 1.0f, 0.0f, 0.0f, 0.0f); }
void CFader::FlashWhite() { Start(kFlashFrames, MODE_FROM, 1.0f, 1.0f, 1.0f, 1.0f); }
void CFader::LongFlashWhite() { Start(kLongFlashFrames, MODE_FROM, 1.0f, 1.0f, 1.0f, 1.0f); }
void CFader::FlashColor(float r, float g, float b) { Start(kFlashFrames, MODE_FROM, 1.0f, r, g, b); }
void CFader::FlashColor(float maxAlpha, float r, float g, float b)
{
    Start(kFlashFrames, MODE_FROM, maxAlpha, r, g, b);
}

float CFader::GetAlpha() const
{
    float alpha = 0.0f;
    switch (m_nMode) {
    case MODE_FROM:
        if (m_nCount == 0) return -1.0f;
        alpha = static_cast<float>(m_nCount) / static_cast<float>(m_nTotal);
        break;
    case MODE_TO:
        if (m_nCount == m_nTotal) return -1.0f;
        alpha = 1.0f - static_cast<float>(m_nCount) / static_cast<float>(m_nTotal);
        break;
    default: return -1.0f;
    }
    return alpha * m_fMaxAlpha;
}

void CFader::Update()
{
    if (m_nCount > 0) --m_nCount;
}

void CFader::Draw()
{
    const float alpha = GetAlpha();
    if (alpha < 0.0f || !g_pDevice) return;
    g_pDevice->FillRect(0, 0, CGraphicsDevice::kScreenWidth, CGraphicsDevice::kScreenHeight, alpha, m_fRed, m_fGreen,
                        m_fBlue);
}
