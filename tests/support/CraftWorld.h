// The craft's world for in-process tests: the fader, both particle systems, a
// fresh slow-motion controller and the craft after Reset, with every sound the
// game asks for logged by number. Start and Stop put the globals in place and
// back; the caller owns the program folder, the device and the lists.
#pragma once

#include <algorithm>
#include <vector>

#include "assets/AssetSet.h"
#include "core/Random.h"
#include "player/LightParticle.h"
#include "player/MyKorvo.h"
#include "player/SlowMotion.h"
#include "player/Spark.h"
#include "stage/Fader.h"

inline std::vector<int>& PlayedSounds()
{
    static std::vector<int> played;
    return played;
}

inline int CountSound(int number)
{
    const std::vector<int>& p = PlayedSounds();
    return static_cast<int>(std::count(p.begin(), p.end(), number));
}

class CCraftWorld {
public:
    // device: recorded by the craft (null: none). The game generator is
    // seeded as at a chapter start.
    CMyKorvo* Start(CDeviceLink* device)
    {
        PlayedSounds().clear();
        g_pPlaySEListener = [](int n) { PlayedSounds().push_back(n); };
        g_pFader = new CFader();
        g_pLightParticles = new CLightParticleSystem(nullptr, false);
        g_pSparks = new CSparkSystem();
        m_pSavedSlowMotion = g_pSlowMotion;
        g_pSlowMotion = &m_SlowMotion;
        g_GameRand.Seed(1024);
        m_pCraft = new CMyKorvo(device, nullptr, 1.0f);
        g_pPlayer = m_pCraft;
        m_pCraft->Reset();
        return m_pCraft;
    }

    void Stop()
    {
        delete m_pCraft;
        m_pCraft = g_pPlayer = nullptr;
        g_pSlowMotion = m_pSavedSlowMotion;
        delete g_pSparks;
        g_pSparks = nullptr;
        delete g_pLightParticles;
        g_pLightParticles = nullptr;
        delete g_pFader;
        g_pFader = nullptr;
        g_pPlaySEListener = nullptr;
    }

    CSlowMotion m_SlowMotion;

private:
    CMyKorvo* m_pCraft = nullptr;
    CSlowMotion* m_pSavedSlowMotion = nullptr;
};
