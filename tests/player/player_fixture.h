// The craft's world for in-process tests: a private program folder, a graphics
// device without a renderer (its slow-motion and shake counters work, drawing
// does nothing) and the craft's world (tests/support/CraftWorld.h). The object
// lists are emptied after each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/ObjectLists.h"
#include "enemy/Enemy.h"
#include "gfx/GraphicsDevice.h"
#include "persist/InputRecord.h"
#include "platform/Resources.h"
#include "tests/support/CraftWorld.h"
#include "tests/support/TempHome.h"

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

// Every object deleted, persistent bullets too; the sound and music lists,
// which hold the tests' own sounds, only emptied.
inline void EmptyWorldLists()
{
    ClearWorld();
    DeleteAll(g_EnemyShotList);
    g_SoundList.RemoveAll();
    g_MusicList.RemoveAll();
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pHome = std::make_unique<CTempHome>("mz-player");
        m_strHome = m_pHome->Dir();
        SetResourceMessageSink([](const char*) {});
        m_pDevice = new CGraphicsDevice();
        g_pDevice = m_pDevice;
        g_pDeviceLink = m_pDevice;
        m_pCraft = m_World.Start(m_pDevice);
    }

    void TearDown() override
    {
        EmptyWorldLists();
        m_World.Stop();
        g_pDeviceLink = nullptr;
        g_pDevice = nullptr;
        delete m_pDevice;
        SetResourceMessageSink(nullptr);
        m_pHome.reset();
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

    std::unique_ptr<CTempHome> m_pHome;
    std::string m_strHome;   // with a trailing separator
    CGraphicsDevice* m_pDevice = nullptr;
    CCraftWorld m_World;
    CSlowMotion& m_SlowMotion = m_World.m_SlowMotion;
    CMyKorvo* m_pCraft = nullptr;
    CInputRecord m_Before;
};
