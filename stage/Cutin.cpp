#include "stage/Cutin.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/SimpleSprite.h"
#include "gfx/Sprite.h"
#include "gfx/Texture.h"
#include "sound/SoundSystem.h"

CSound* CCutin::s_pSound = nullptr;

CCutin::CCutin(CTexture* picture, int side) : m_nSide(side)
{
    m_pTexture = picture;
    SetPos(Vec3{side == 0 ? -static_cast<float>(kWidth) : 640.0f, 60.0f, 0.0f});
}

void CCutin::Spawn(CTexture* picture, CTexture* text, int side)
{
    g_OverlayList.Add(new CCutin(picture, side));
    g_OverlayList.Add(new CCutinString(text, side));
    if (s_pSound) s_pSound->Play();
}

void CCutin::Update()
{
    CObject::Update();
    if (m_nPhase != 0) return;
    bool stop = false;
    if (m_nSide == 0) {
        m_vPos.x += kSpeed;
        stop = m_vPos.x > -kSpeed;
    } else {
        m_vPos.x -= kSpeed;
        stop = m_vPos.x < 640.0f - 343.0f;
    }
    if (stop) {
        SetLife(30);
        m_nVanishTotal = 60;
        m_nPhase = 1;
    }
}

void CCutin::Draw()
{
    if (!m_pTexture || !m_pTexture->m_pDevice) return;
    const float v = GetVanishRate();
    const SRect rect{0, 0, kWidth, kHeight};
    CSpriteBatchScope batch(m_pTexture->m_pDevice);
    m_pTexture->DrawSprite(m_vPos.x, m_vPos.y, &rect, 2.0f - v, v);
}

CCutinString::CCutinString(CTexture* text, int side) : m_nSide(side)
{
    m_pTexture = text;
    SetPos(Vec3{side == 0 ? -208.0f : 640.0f, 350.0f, 0.0f});
}

void CCutinString::Update()
{
    if (m_nWait > 0) {
        --m_nWait;
        return;
    }
    CObject::Update();
    if (m_nSide == 0) {
        if (m_nPhase == 0) {
            m_vPos.x += kSpeed;
            if (m_vPos.x > 134.0f) {
                m_nWait = kPause;
                m_nPhase = 1;
            }
        } else if (m_nPhase == 1) {
            m_vPos.y += kDrift;
            if (m_vPos.y > 480.0f - 42.0f) {
                SetLife(240);
                m_nVanishTotal = 120;
                m_nPhase = 2;
            }
        }
    } else {
        if (m_nPhase == 0) {
            m_vPos.x -= kSpeed;
            if (m_vPos.x < 640.0f - 282.0f) {
                m_vPos.x = 640.0f - 282.0f;
                m_nWait = kPause;
                m_nPhase = 1;
            }
        } else if (m_nPhase == 1) {
            m_vPos.y -= kDrift;
            if (m_vPos.y < 32.0f) {
                m_vPos.y = 32.0f;
                SetLife(240);
                m_nVanishTotal = 120;
                m_nPhase = 2;
            }
        }
    }
}

void CCutinString::Draw()
{
    if (!m_pTexture || !m_pTexture->m_pDevice) return;
    CSpriteBatchScope batch(m_pTexture->m_pDevice);
    m_pTexture->DrawSprite(m_vPos.x, m_vPos.y, nullptr, 1.0f, GetVanishRate());
}
