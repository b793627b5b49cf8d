// CSimpleSprite: a picture (or a number) on the screen, in pixels, that fades
// in and out or simply disappears after a while; the stage script's banners,
// title pictures, talk lines and result figures.
//
// Every creator adds the sprite to the overlay list, which owns it.
#pragma once

#include <cstdint>

#include "core/Object.h"
#include "gfx/Sprite.h"

class CGraphicsDevice;

// Opens a sprite batch on the device for the lifetime of the scope unless one is
// already open (the HUD pass opens one around the overlay list; the title loop
// does not), so screen sprites draw in either case.
class CSpriteBatchScope {
public:
    explicit CSpriteBatchScope(CGraphicsDevice* device);
    ~CSpriteBatchScope();
    CSpriteBatchScope(const CSpriteBatchScope&) = delete;
    CSpriteBatchScope& operator=(const CSpriteBatchScope&) = delete;

private:
    CGraphicsDevice* m_pDevice = nullptr;
    bool m_bOpened = false;
};

class CSimpleSprite : public CObject {
public:
    // Where a talk line's row of text sits, and its portrait.
    static constexpr float kTalkX = 64.0f;
    static constexpr float kTalkY = 448.0f;
    static constexpr int kTalkRowHeight = 16;
    static constexpr int kTalkRowWidth = 512;
    static constexpr float kPortraitLeftX = -30.0f;
    static constexpr float kPortraitRightX = 414.0f;
    static constexpr float kPortraitY = 336.0f;
    static constexpr int kTalkFrames = 180;

    // The HUD's number drawing (5-pixel digits), which number sprites use. The
    // scene code sets it; while it is null number sprites draw nothing.
    using DrawNumberFn = void (*)(float x, float y, int value, float alpha);
    static DrawNumberFn s_pDrawNumber;

    explicit CSimpleSprite(CTexture* texture);

    // Fades in over appear frames, stays stay frames, fades out over vanish
    // frames. With no appear time it starts alive.
    static CSimpleSprite* Spawn(float x, float y, CTexture* texture, const Vec3& vel, int appear, int stay,
                                int vanish);
    // The given source rectangle, shown at full opacity for frames frames.
    static CSimpleSprite* SpawnPart(float x, float y, CTexture* texture, const Vec3& vel, int left, int top,
                                    int right, int bottom, int frames);
    // The whole picture at full opacity for frames frames.
    static CSimpleSprite* SpawnTimed(float x, float y, CTexture* texture, const Vec3& vel, int frames);
    // value in decimal with the HUD digits, fading out over frames frames.
    static CSimpleSprite* SpawnNumber(float x, float y, int value, const Vec3& vel, int frames);
    // A talk line: the portrait (none when null) at the left (side 0) or the
    // right (any other side) and row row of the talk atlas, both for frames
    // frames. Returns the row's sprite.
    static CSimpleSprite* SpawnTalk(CTexture* atlas, int row, CTexture* portrait, int side, int frames);
    // The same for the usual 180 frames.
    static CSimpleSprite* SpawnTalk(CTexture* atlas, int row, CTexture* portrait, int side);

    // The opacity it is drawn with now; negative when it is not drawn.
    float GetDrawAlpha() const;

    void Draw() override;

    bool m_bFade = false;
    SRect m_rcSource;          // all 0: the whole texture
    int32_t m_nNumber = -1;    // 0 or more: drawn as a decimal number instead
};
