#include "stage/StageEvents.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "gfx/SimpleSprite.h"
#include "gfx/Texture.h"
#include "sound/SoundSystem.h"
#include "stage/CustomStageControler.h"
#include "stage/World.h"

namespace {

// The chapter's talk atlas a: the stage pictures in their load order.
CTexture* TalkAtlas(int atlas)
{
    const auto& pictures = g_StageControler.m_Resources;
    if (atlas < 0 || atlas >= pictures.Count()) return nullptr;
    return static_cast<CTexture*>(pictures.At(atlas));
}

CTexture* Portrait(int portrait)
{
    if (portrait < 0 || portrait >= 4) return nullptr;
    return g_pPortraits[portrait];
}

CObject& OrScratch(CObject* object)
{
    static CObject s_Scratch;
    return object ? *object : s_Scratch;
}

}  // namespace

void ShowSprite(int texture, float x, float y, const Vec3& vel, int appear, int stay, int vanish)
{
    CSimpleSprite::Spawn(x, y, FindTexture(texture), vel, appear, stay, vanish);
}

void ShowSprite(int texture, float x, float y, int appear, int stay, int vanish)
{
    ShowSprite(texture, x, y, g_vZero, appear, stay, vanish);
}

void ShowFadingSprite(int texture, float x, float y, int vanish) { ShowSprite(texture, x, y, 0, 0, vanish); }

void ShowCroppedSprite(int texture, float x, float y, int left, int top, int right, int bottom, int frames)
{
    CSimpleSprite::SpawnPart(x, y, FindTexture(texture), g_vZero, left, top, right, bottom, frames);
}

void ShowNumber(int value, float x, float y, int frames) { CSimpleSprite::SpawnNumber(x, y, value, g_vZero, frames); }

void ShowTalkLine(int atlas, int portrait, int side, int row, int frames, int se)
{
    CSimpleSprite::SpawnTalk(TalkAtlas(atlas), row, Portrait(portrait), side, frames);
    PlaySound(se);
}

void RunTalkCues(std::span<const STalkCue> cues, int32_t frame)
{
    for (const STalkCue& c : cues)
        if (c.nFrame == frame) ShowTalkLine(c.nAtlas, c.nPortrait, c.nSide, c.nRow, c.nFrames, c.nSE);
}

void PlaySound(int se) { PlaySE(se); }

void FadeOutMusic()
{
    for (int i = 0; i < g_MusicList.Count(); ++i)
        if (auto* music = dynamic_cast<CSound*>(g_MusicList.At(i))) music->FadeOut();
}

CObject& WorldAnchor() { return OrScratch(g_pWorldAnchor); }
CObject& IntroModel() { return OrScratch(g_pStageModel); }
