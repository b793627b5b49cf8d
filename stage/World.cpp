#include "stage/World.h"

#include "assets/AssetSet.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/SimpleModel.h"
#include "player/LightParticle.h"
#include "player/MyKorvo.h"
#include "player/SlowMotion.h"
#include "player/Spark.h"
#include "stage/Cutin.h"
#include "stage/DigitalNumber.h"
#include "stage/Flare.h"
#include "stage/WorldEvents.h"

CObject* g_pWorldAnchor = nullptr;
CObject* g_pStageModel = nullptr;
CWorldEvents* g_pWorldEvents = nullptr;

namespace {

// The presentation objects' pictures and sound (null: they draw or play nothing).
void ConnectPresentation(CTexture* glow, CTexture* const* digits, CSound* cutin)
{
    CFlare::s_pTexture = glow;
    for (int i = 0; i < 10; ++i) CDigitalNumber::s_pDigits[i] = digits ? digits[i] : nullptr;
    CCutin::s_pSound = cutin;
}

}  // namespace

void CreateWorldObjects()
{
    ConnectPresentation(g_pGlowTexture, g_pNumberDigits, FindSE(kCutinSE));
    g_pLightParticles = new CLightParticleSystem(g_pGlowTexture, false);
    g_pSparks = new CSparkSystem();
    g_pPlayer = new CMyKorvo(g_pDevice, g_pKorvoModel, 1.0f);
    g_pStageModel = new CSimpleModel(g_pStageModelMesh, Vec3{});
    g_pStageModel->Kill();
    if (g_pSlowMotion) g_pSlowMotion->SetSounds(FindSE(400), FindSE(401), FindSE(402));
}

void ReleaseWorldObjects()
{
    delete g_pPlayer;
    g_pPlayer = nullptr;
    delete g_pSparks;
    g_pSparks = nullptr;
    delete g_pLightParticles;
    g_pLightParticles = nullptr;
    if (g_pSlowMotion) g_pSlowMotion->SetSounds(nullptr, nullptr, nullptr);
    delete g_pStageModel;
    g_pStageModel = nullptr;
    ConnectPresentation(nullptr, nullptr, nullptr);
}
