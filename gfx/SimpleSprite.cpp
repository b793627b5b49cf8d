#include "gfx/SimpleSprite.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

CSpriteBatchScope::CSpriteBatchScope(CGraphicsDevice* device) : m_pDevice(device)
{
    if (!m_pDevice || !m_pDevice->GetRenderer() || m_pDevice->Sprite().IsBegun()) return;
    m_pDevice->Sprite().Begin();
    m_bOpened = true;
}

CSpriteBatchScope::~CSpriteBatchScope()
{
    if (m_bOpened) m_pDevice->Sprite().End();
}

CSimpleSprite::DrawNumberFn CSimpleSprite::s_pDrawNumber = nullptr;

CSimpleSprite::CSimpleSprite(CTexture* texture)
{
    m_pTexture = texture;
}

static CSimpleSprite* Place(CSimpleSprite* s, float x, float y, const Vec3& vel)
{
    s->SetPos(Vec3{x, y, 0.0f});
    s->SetVel(vel);
    g_OverlayList.Add(s);
    return s;
}

CSimpleSprite* CSimpleSprite::Spawn(float x, float y, CTexture* texture, const Vec3& vel, int appear, int stay,
                                    int vanish)
{
    CSimpleSprite* s = new CSimpleSprite(texture);
    s->m_bFade = true;
    s->m_nVanishTotal = vanish;
    if (appear != 0) {
        s->m_nLifeTotal = stay;
        s->SetAppear(appear);
    } else if (stay != 0) {
        // No appear time: the life countdown must start here, or the sprite
        // would stay for ever.
        s->SetLife(stay);
    } else {
        s->Vanish(vanish);
    }
    return Place(s, x, y, vel);
}

CSimpleSprite* CSimpleSprite::SpawnPart(float x, float y, CTexture* texture, const Vec3& vel, int left, int top,
                                        int right, int bottom, int frames)
{
    CSimpleSprite* s = new CSimpleSprite(texture);
    s->m_rcSource = SRect{left, top, right, bottom};
    s->Vanish(frames);
    return Place(s, x, y, vel);
}

CSimpleSprite* CSimpleSprite::SpawnTimed(float x, float y, CTexture* texture, const Vec3& vel, int frames)
{
    CSimpleSprite* s = new CSimpleSprite(texture);
    s->Vanish(frames);
    return Place(s, x, y, vel);
}

CSimpleSprite* CSimpleSprite::SpawnNumber(float x, float y, int value, const Vec3& vel, int frames)
{
    CSimpleSprite* s = new CSimpleSprite(nullptr);
    s->m_nNumber = value;
    s->Vanish(frames);
    return Place(s, x, y, vel);
}

CSimpleSprite* CSimpleSprite::SpawnTalk(CTexture* atlas, int row, CTexture* portrait, int side, int frames)
{
    if (portrait) SpawnTimed(side != 0 ? kPortraitRightX : kPortraitLeftX, kPortraitY, portrait, g_vZero, frames);
    return SpawnPart(kTalkX, kTalkY, atlas, g_vZero, 0, row * kTalkRowHeight, kTalkRowWidth,
                     (row + 1) * kTalkRowHeight, frames);
}

CSimpleSprite* CSimpleSprite::SpawnTalk(CTexture* atlas, int row, CTexture* portrait, int side)
{
    return SpawnTalk(atlas, row, portrait, side, kTalkFrames);
}

float CSimpleSprite::GetDrawAlpha() const
{
    if (!m_bFade && m_nNumber < 0) return 1.0f;
    switch (m_nState) {
    case STATE_APPEAR: return 1.0f - GetAppearRate();
    case STATE_ALIVE: return 1.0f;
    case STATE_VANISH: return GetVanishRate();
    default: return -1.0f;
    }
}

void CSimpleSprite::Draw()
{
    const float alpha = GetDrawAlpha();
    if (alpha < 0.0f) return;
    if (m_nNumber >= 0) {
        if (s_pDrawNumber) s_pDrawNumber(m_vPos.x, m_vPos.y, m_nNumber, alpha);
        return;
    }
    if (!m_pTexture || !m_pTexture->m_pDevice) return;
    CSpriteBatchScope batch(m_pTexture->m_pDevice);
    m_pTexture->DrawSprite(m_vPos.x, m_vPos.y, &m_rcSource, 1.0f, alpha);
}
