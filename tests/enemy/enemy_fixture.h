// The world every enemy test starts from: empty object lists, g_GameRand seeded
// as at a chapter start, the craft at (0, -3), the two particle systems, six
// distinct (empty) bullet pictures, and a log of the sound effects played.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "enemy/EnemyShot.h"
#include "gfx/Texture.h"
#include "player/LightParticle.h"
#include "player/MyKorvo.h"
#include "player/Spark.h"

inline std::vector<int>& PlayedSounds()
{
    static std::vector<int> played;
    return played;
}

// The objects of a list that are of type T, in list order.
template <class T>
std::vector<T*> ObjectsOf(const CObjectList& list)
{
    std::vector<T*> out;
    for (int i = 0; i < list.Count(); ++i)
        if (T* p = dynamic_cast<T*>(list.At(i))) out.push_back(p);
    return out;
}

inline std::vector<CEnemyShot*> Shots() { return ObjectsOf<CEnemyShot>(g_EnemyShotList); }

inline int CountPlayed(int number)
{
    int n = 0;
    for (int s : PlayedSounds()) n += s == number;
    return n;
}

// Difference of two angles in half-turns, folded into (-1, 1].
inline float AngleDiff(float a, float b)
{
    float d = std::fmod(a - b, 2.0f);
    if (d > 1.0f) d -= 2.0f;
    if (d <= -1.0f) d += 2.0f;
    return d;
}

inline float AngleOf(const Vec3& v) { return DirectionAngle(v.x, v.y); }

class CEnemyWorld : public ::testing::Test {
protected:
    static constexpr Vec3 kCraftAt{0.0f, -3.0f, 0.0f};

    void SetUp() override { ResetGameState(); }

    void TearDown() override
    {
        ClearLists();
        g_pPlaySEListener = nullptr;
        g_pPlayer = nullptr;
        g_pLightParticles = nullptr;
        g_pSparks = nullptr;
        for (CTexture*& t : g_pBulletTextures) t = nullptr;
    }

    void ResetGameState()
    {
        ClearLists();
        g_GameRand.Seed(1024);
        g_pDeviceLink = nullptr;
        m_pCraft = std::make_unique<CMyKorvo>(nullptr, nullptr, 1.0f);
        m_pCraft->SetPos(kCraftAt);
        g_pPlayer = m_pCraft.get();
        m_pParticles = std::make_unique<CLightParticleSystem>(nullptr, false);
        g_pLightParticles = m_pParticles.get();
        m_pSparks = std::make_unique<CSparkSystem>();
        g_pSparks = m_pSparks.get();
        for (int i = 0; i < kBulletTextures; ++i) g_pBulletTextures[i] = &m_Textures[i];
        PlayedSounds().clear();
        g_pPlaySEListener = [](int number) { PlayedSounds().push_back(number); };
    }

    static void ClearLists()
    {
        DeleteAll(g_EnemyList);
        DeleteAll(g_EnemyShotList);   // beams too
        DeleteAll(g_EffectList);
        DeleteAll(g_ScoreItemList);
        DeleteAll(g_ForegroundList);
        DeleteAll(g_OverlayList);
    }

    // The picture number of a bullet's texture (-1: none of the six).
    int TextureNumber(const CTexture* t) const
    {
        for (int i = 0; i < kBulletTextures; ++i)
            if (t == &m_Textures[i]) return i;
        return -1;
    }

    std::unique_ptr<CMyKorvo> m_pCraft;
    std::unique_ptr<CLightParticleSystem> m_pParticles;
    std::unique_ptr<CSparkSystem> m_pSparks;
    CTexture m_Textures[kBulletTextures];
};
