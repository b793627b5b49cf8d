// The asset set: every model, picture and sound effect the game uses outside the
// stage pictures, loaded once at start-up into game-wide pointers. It only loads
// and holds them: the objects made from them belong to the world
// (stage/World.h) and to the shell's menus. Nothing here is loaded per frame.
#pragma once

#include "core/Math.h"

class CModel;
class CTexture;
class CSound;

// Models (null when not loaded: the chapter backgrounds at quality <= -5, or a
// failed allocation).
extern CModel* g_pKorvoModel;       // "#101"
extern CModel* g_pStageModelMesh;   // "#105"
extern CModel* g_pCursorMesh;       // "#103", wireframe
extern CModel* g_pZabModel;         // "#106"
extern CModel* g_pScoreItemModel;   // "#104"
extern CModel* g_pRaptorModel;      // "#107"
extern CModel* g_pSpareModel;       // "#108"
extern CModel* g_pShellModel;       // "#109", wireframe
extern CModel* g_pOptionModel;      // "#120"
extern CModel* g_pBossModel;        // "#121", wireframe
extern CModel* g_pChapterBGModel[2];  // "#102", "#113", wireframe
extern CModel* g_pSpareModel2;      // "#111"
extern CModel* g_pKorvoExtraModel;  // "#122"
extern CModel* g_pMenuModelA;       // "#200"
extern CModel* g_pMenuModelB;       // "#201"

// Pictures with a role in the shell; the others are reached through FindTexture.
extern CTexture* g_pRowBarTexture;      // "#111"
extern CTexture* g_pLeftPanelTexture;   // "#101"
extern CTexture* g_pRightPanelTexture;  // "#102"
extern CTexture* g_pFpsLabelTexture;    // "#247"
extern CTexture* g_pMainMenuTexture;    // "#343"
extern CTexture* g_pChapterLoadingTexture;  // "#344"
extern CTexture* g_pHudFrameTexture;    // "#110"
extern CTexture* g_pReplayMarkerTexture;  // "#410"
extern CTexture* g_pGlowTexture;        // "#239"
extern CTexture* g_pShotTexture;        // "#103": the craft's shots
extern CTexture* g_pShockWaveTexture;   // "#187"
extern CTexture* g_pHudDigits[11];      // "#171" ... "#181": "0" ... "9", "/"
extern CTexture* g_pExplosionFrames[16];  // "#141" ... "#156"
extern CTexture* g_pNumberDigits[10];   // "#120" ... "#129"
extern CTexture* g_pPortraits[4];       // "#345", "#347", "#354", "#355"
// The enemy bullet pictures 0 ... 5: "#107", "#113", "#114", "#116", "#117", "#118".
inline constexpr int kBulletTextures = 6;
extern CTexture* g_pBulletTextures[kBulletTextures];
extern CTexture* g_pZabFlareTexture;    // "#185"
// Indexed by barrage record index; null where a barrage has no title picture.
extern CTexture* g_pBarrageTitles[128];

// Sound effects by number ("#126" is 126); null for a number outside the set.
CSound* FindSE(int number);
// A single picture of the set by number; null when the set holds none.
CTexture* FindTexture(int number);
// Plays an effect of the set from the start (nothing when it is missing).
void PlaySE(int number);
// The same at a place of the play field: panned by pos.x, at volume (hundredths
// of a decibel, 0 = full).
void PlaySEAt(int number, const Vec3& pos, int volume = 0);
// Told the number of every effect the two calls above are asked to play, even
// a missing one; null: nobody listens. Tests follow the game's sounds here.
extern void (*g_pPlaySEListener)(int number);

// The refusal sound of the replay lists and the screenshot sound.
inline constexpr int kRefusalSE = 126;
inline constexpr int kSnapshotSE = 160;
// The cut-in's sound; the slow-motion sound, which is also on the sound list.
inline constexpr int kCutinSE = 113;
inline constexpr int kSlowMotionSE = 400;

// Loads everything in the designed order ("#400" also goes on the sound list).
void LoadAssetSet();
// Destroys every sound, texture and model; the sound list lets go of "#400"
// first. Whatever was made from them is released before.
void ReleaseAssetSet();
// The model chosen for a quality setting: the full model when quality > limit,
// else the wireframe "#121" substitute. Exposed for tests.
bool UsesFullModel(int quality, int limit);
