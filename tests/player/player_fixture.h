// The craft's world for in-process tests: a private program folder, a graphics
// device without a renderer (its slow-motion and shake counters work, drawing
// does nothing), the fader, both particle systems, a fresh slow-motion
// controller and the craft after Reset. Every sound the game asks for is
// logged by number. The object lists are emptied after each test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "core/Util.h"
#include "enemy/Enemy.h"
#include "gfx/GraphicsDevice.h"
#include "persist/InputRecord.h"
#include "platform/Resources.h"
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

// A plain enemy in the enemy list: hit points, radius, flags as given.
inline CEnemy* AddEnemy(const Vec3& pos, int hp, float radius = 0.5f)
{
    CEnemy* e = new CEnemy(nullptr);
    e->SetPos(pos);
    e->m_nHp = e->m_nMaxHp = hp;
    e->m_fRadius = radius;
    g_EnemyList.Add(e);
    return e;
}

// An enemy bullet: a bare object with a hit radius.
inline CObject* AddBullet(const Vec3& pos, float radius = 0.05f)
{
    CObject* b = new CObject();
    b->SetPos(pos);
    b->m_fRadius = radius;
    g_EnemyShotList.Add(b);
    return b;
}

inline void EmptyWorldLists()
{
    DeleteAll(g_OverlayList);
    DeleteAll(g_EffectList);
    DeleteAll(g_EnemyShotList);
    DeleteAll(g_EnemyList);
    DeleteAll(g_ScoreItemList);
    DeleteAll(g_ForegroundList);
    g_SoundList.RemoveAll();
    g_MusicList.RemoveAll();
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "mz_player_XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_strHome = tmpl + "/";
        SetProgramDir(m_strHome);
        SetResourceMessageSink([](const char*) {});
        PlayedSounds().clear();
        g_pPlaySEListener = [](int n) { PlayedSounds().push_back(n); };

        m_pDevice = new CGraphicsDevice();
        g_pDevice = m_pDevice;
        g_pDeviceLink = m_pDevice;
        g_pFader = new CFader();
        g_pLightParticles = new CLightParticleSystem(nullptr, false);
        g_pSparks = new CSparkSystem();
        m_pSavedSlowMotion = g_pSlowMotion;
        g_pSlowMotion = &m_SlowMotion;
        g_GameRand.Seed(1024);
        m_pCraft = new CMyKorvo(m_pDevice, nullptr, 1.0f);
        g_pPlayer = m_pCraft;
        m_pCraft->Reset();
    }

    void TearDown() override
    {
        EmptyWorldLists();
        delete m_pCraft;
        g_pPlayer = nullptr;
        g_pSlowMotion = m_pSavedSlowMotion;
        delete g_pSparks;
        g_pSparks = nullptr;
        delete g_pLightParticles;
        g_pLightParticles = nullptr;
        delete g_pFader;
        g_pFader = nullptr;
        g_pDeviceLink = nullptr;
        g_pDevice = nullptr;
        delete m_pDevice;
        g_pPlaySEListener = nullptr;
        SetResourceMessageSink(nullptr);
        SetProgramDir("");
        std::error_code ec;
        std::filesystem::remove_all(m_strHome, ec);
    }

    // One frame of play as the game runs it: the device's update, the craft's
    // step (draw, then update unless slow motion skips it), the world lists,
    // then the control step with this frame's input.
    void Frame(const CInputRecord& now = CInputRecord{})
    {
        m_pDevice->Update();
        m_pCraft->Step();
        StepWorldLists();
        StepForegroundLists();
        m_pCraft->Control(now, m_Before);
        m_Before = now;
    }

    // Only the control step (no update of anything).
    void Control(const CInputRecord& now)
    {
        m_pCraft->Control(now, m_Before);
        m_Before = now;
    }

    // Updates of the craft alone (no input).
    void UpdateCraft(int n)
    {
        for (int i = 0; i < n; ++i) m_pCraft->Update();
    }

    static CInputRecord Input(float x = 0.0f, float y = 0.0f)
    {
        CInputRecord r;
        r.m_fX = x;
        r.m_fY = y;
        return r;
    }

    std::string m_strHome;
    CGraphicsDevice* m_pDevice = nullptr;
    CMyKorvo* m_pCraft = nullptr;
    CSlowMotion m_SlowMotion;
    CSlowMotion* m_pSavedSlowMotion = nullptr;
    CInputRecord m_Before;
};
