#include "assets/AssetSet.h"

#include <cstdio>
#include <vector>

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"
#include "gfx/Texture.h"
#include "sound/SoundSystem.h"

CModel* g_pKorvoModel = nullptr;
CModel* g_pStageModelMesh = nullptr;
CModel* g_pCursorMesh = nullptr;
CModel* g_pZabModel = nullptr;
CModel* g_pScoreItemModel = nullptr;
CModel* g_pRaptorModel = nullptr;
CModel* g_pSpareModel = nullptr;
CModel* g_pShellModel = nullptr;
CModel* g_pOptionModel = nullptr;
CModel* g_pBossModel = nullptr;
CModel* g_pChapterBGModel[2] = {};
CModel* g_pSpareModel2 = nullptr;
CModel* g_pKorvoExtraModel = nullptr;
CModel* g_pMenuModelA = nullptr;
CModel* g_pMenuModelB = nullptr;

CTexture* g_pRowBarTexture = nullptr;
CTexture* g_pLeftPanelTexture = nullptr;
CTexture* g_pRightPanelTexture = nullptr;
CTexture* g_pFpsLabelTexture = nullptr;
CTexture* g_pMainMenuTexture = nullptr;
CTexture* g_pChapterLoadingTexture = nullptr;
CTexture* g_pHudFrameTexture = nullptr;
CTexture* g_pReplayMarkerTexture = nullptr;
CTexture* g_pGlowTexture = nullptr;
CTexture* g_pShotTexture = nullptr;
CTexture* g_pShockWaveTexture = nullptr;
CTexture* g_pHudDigits[11] = {};
CTexture* g_pExplosionFrames[16] = {};
CTexture* g_pNumberDigits[10] = {};
CTexture* g_pPortraits[4] = {};
CTexture* g_pBarrageTitles[128] = {};
CTexture* g_pBulletTextures[kBulletTextures] = {};
CTexture* g_pZabFlareTexture = nullptr;

namespace {

// The single pictures in load order; the numbered sequences are loaded where
// their marker (negative: -1 glyphs, -2 explosion, -3 digits) stands.
const int kTextureOrder[] = {
    105, 111, 101, 102, 247, 106, 107, 113, 114, 116, 117, 118, 103, 239, 430, 431, 187, 343, 344,
    345, 347, 354, 355, 222, 223, 348, 380, 381, 382, 383, 440, 441, 442, 443, 444, 169, 170, 450,
    350, 401, 131, 402, 351, 400, 352, 130, 115, 341, 132, 190, 191, 192, 193, 110, 410, 160, 185,
    161, -1, -2, -3,
};

const int kSoundOrder[] = {
    115, 109, 107, 108, 105, 171, 112, 158, 147, 163, 162, 160, 113, 132, 168, 169, 119, 111, 102, 149, 152,
    101, 110, 131, 116, 125, 126, 153, 148, 161, 134, 123, 118, 128, 170, 180, 142, 200, 400, 401, 402,
};
constexpr int kSoundCount = sizeof kSoundOrder / sizeof kSoundOrder[0];

struct STextureSlot {
    int nNumber;
    CTexture* pTexture;
};
std::vector<STextureSlot> g_Textures;  // every single picture, in load order
CSound* g_pSounds[kSoundCount] = {};
std::vector<CModel*> g_Models;         // every model object, for release

CTexture* LoadTexture(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "#%d", number);
    return CTexture::Create(name, "TEXTURE");
}

CModel* LoadModel(int number, bool wireframe)
{
    char name[16];
    std::snprintf(name, sizeof name, "#%d", number);
    CModel* m = CModel::Create(name, "MODEL");
    if (m) {
        m->m_bWireframe = wireframe;
        g_Models.push_back(m);
    }
    return m;
}

// The full model when the quality allows it, else "#121" as wireframe.
CModel* LoadModelOrSubstitute(int number, int quality, int limit)
{
    return UsesFullModel(quality, limit) ? LoadModel(number, false) : LoadModel(121, true);
}

void LoadModels()
{
    const int q = g_pDevice ? g_pDevice->GetModelQuality() : 0;
    g_pKorvoModel = LoadModelOrSubstitute(101, q, -4);
    g_pStageModelMesh = LoadModelOrSubstitute(105, q, -3);
    g_pCursorMesh = LoadModel(103, true);
    g_pZabModel = LoadModel(106, false);
    g_pScoreItemModel = LoadModel(104, false);
    g_pRaptorModel = LoadModelOrSubstitute(107, q, -2);
    g_pSpareModel = LoadModelOrSubstitute(108, q, -1);
    g_pShellModel = LoadModel(109, true);
    g_pOptionModel = UsesFullModel(q, -2) ? LoadModel(120, false) : LoadModel(103, false);
    g_pBossModel = LoadModel(121, true);
    g_pChapterBGModel[0] = UsesFullModel(q, -5) ? LoadModel(102, true) : nullptr;
    g_pChapterBGModel[1] = UsesFullModel(q, -5) ? LoadModel(113, true) : nullptr;
    g_pSpareModel2 = LoadModel(111, false);
    g_pKorvoExtraModel = LoadModel(122, false);
    g_pMenuModelA = LoadModel(200, false);
    g_pMenuModelB = LoadModel(201, false);
}

void LoadTextures()
{
    for (int number : kTextureOrder) {
        if (number == -1) {
            for (int i = 0; i < 11; ++i) g_pHudDigits[i] = LoadTexture(171 + i);
        } else if (number == -2) {
            for (int i = 0; i < 16; ++i) g_pExplosionFrames[i] = LoadTexture(141 + i);
        } else if (number == -3) {
            for (int i = 0; i < 10; ++i) g_pNumberDigits[i] = LoadTexture(120 + i);
        } else {
            g_Textures.push_back({number, LoadTexture(number)});
        }
    }
    g_pRowBarTexture = FindTexture(111);
    g_pLeftPanelTexture = FindTexture(101);
    g_pRightPanelTexture = FindTexture(102);
    g_pFpsLabelTexture = FindTexture(247);
    g_pMainMenuTexture = FindTexture(343);
    g_pChapterLoadingTexture = FindTexture(344);
    g_pHudFrameTexture = FindTexture(110);
    g_pReplayMarkerTexture = FindTexture(410);
    g_pGlowTexture = FindTexture(239);
    g_pShotTexture = FindTexture(103);
    g_pShockWaveTexture = FindTexture(187);
    const int bullets[kBulletTextures] = {107, 113, 114, 116, 117, 118};
    for (int i = 0; i < kBulletTextures; ++i) g_pBulletTextures[i] = FindTexture(bullets[i]);
    g_pZabFlareTexture = FindTexture(185);
    const int portraits[4] = {345, 347, 354, 355};
    for (int i = 0; i < 4; ++i) g_pPortraits[i] = FindTexture(portraits[i]);
    g_pBarrageTitles[0] = FindTexture(348);
    for (int i = 0; i < 4; ++i) g_pBarrageTitles[10 + i] = FindTexture(380 + i);
    for (int i = 0; i < 5; ++i) g_pBarrageTitles[20 + i] = FindTexture(440 + i);
}

void LoadSounds()
{
    for (int i = 0; i < kSoundCount; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "#%d", kSoundOrder[i]);
        g_pSounds[i] = g_pSoundDevice ? new CSound(g_pSoundDevice, name, "SE") : nullptr;
    }
    // The slow-motion sound fades out, which takes its update every frame.
    if (CSound* slow = FindSE(kSlowMotionSE)) g_SoundList.Add(slow);
}

void DeleteTexture(CTexture*& t)
{
    if (!t) return;
    t->Release();
    delete t;
    t = nullptr;
}

}  // namespace

bool UsesFullModel(int quality, int limit) { return quality > limit; }

CSound* FindSE(int number)
{
    for (int i = 0; i < kSoundCount; ++i)
        if (kSoundOrder[i] == number) return g_pSounds[i];
    return nullptr;
}

CTexture* FindTexture(int number)
{
    for (const STextureSlot& s : g_Textures)
        if (s.nNumber == number) return s.pTexture;
    return nullptr;
}

void (*g_pPlaySEListener)(int number) = nullptr;

void PlaySE(int number)
{
    if (g_pPlaySEListener) g_pPlaySEListener(number);
    if (CSound* s = FindSE(number)) s->Play();
}

void PlaySEAt(int number, const Vec3& pos, int volume)
{
    if (g_pPlaySEListener) g_pPlaySEListener(number);
    if (CSound* s = FindSE(number)) s->PlayAtVolume(pos, volume);
}

void LoadAssetSet()
{
    LoadModels();
    LoadTextures();
    LoadSounds();
}

void ReleaseAssetSet()
{
    // The sound list holds the slow-motion sound but the set owns it.
    g_SoundList.RemoveWhere([](void* p) { return p == FindSE(kSlowMotionSE); }, [](void*) {});
    for (CSound*& s : g_pSounds) {
        delete s;
        s = nullptr;
    }
    for (STextureSlot& s : g_Textures) DeleteTexture(s.pTexture);
    g_Textures.clear();
    for (CTexture*& t : g_pHudDigits) DeleteTexture(t);
    for (CTexture*& t : g_pExplosionFrames) DeleteTexture(t);
    for (CTexture*& t : g_pNumberDigits) DeleteTexture(t);
    g_pRowBarTexture = g_pLeftPanelTexture = g_pRightPanelTexture = g_pFpsLabelTexture = nullptr;
    g_pMainMenuTexture = g_pChapterLoadingTexture = g_pHudFrameTexture = g_pReplayMarkerTexture = nullptr;
    g_pGlowTexture = g_pShotTexture = g_pShockWaveTexture = nullptr;
    for (CTexture*& t : g_pPortraits) t = nullptr;
    for (CTexture*& t : g_pBarrageTitles) t = nullptr;
    for (CTexture*& t : g_pBulletTextures) t = nullptr;
    g_pZabFlareTexture = nullptr;
    for (CModel* m : g_Models) {
        m->Release();
        delete m;
    }
    g_Models.clear();
    g_pKorvoModel = g_pStageModelMesh = g_pCursorMesh = g_pZabModel = g_pScoreItemModel = nullptr;
    g_pRaptorModel = g_pSpareModel = g_pShellModel = g_pOptionModel = g_pBossModel = nullptr;
    g_pChapterBGModel[0] = g_pChapterBGModel[1] = nullptr;
    g_pSpareModel2 = g_pKorvoExtraModel = g_pMenuModelA = g_pMenuModelB = nullptr;
}
