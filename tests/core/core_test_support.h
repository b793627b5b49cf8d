// Shared fixtures for the object framework tests: a recording stand-in for the
// graphics device, recording world hooks, an object that logs what happens to
// it, and a fixture that leaves the game-wide state as it found it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/DeviceLink.h"
#include "core/ObjectLists.h"
#include "core/WorldHooks.h"

// One log of events for everything a test observes, in order.
inline std::vector<std::string>& EventLog()
{
    static std::vector<std::string> log;
    return log;
}
inline void LogEvent(const std::string& e)
{
    EventLog().push_back(e);
}

class CFakeDevice : public CDeviceLink {
public:
    // Slow motion as the device runs it: a countdown and a phase bit that flips
    // on every device update while the countdown runs.
    int m_nSlowCount = 0;
    bool m_bToggle = false;
    Matrix m_World;
    Matrix m_View;
    int m_nWorldSets = 0;

    void DeviceUpdate()
    {
        if (m_nSlowCount > 0) {
            --m_nSlowCount;
            m_bToggle = !m_bToggle;
        }
    }

    bool IsSlowMotion() const override { return m_nSlowCount > 0; }
    bool SlowMotionToggle() const override { return m_bToggle; }
    void SetWorldTransform(const Matrix& world) override
    {
        m_World = world;
        ++m_nWorldSets;
    }
    void GetViewTransform(Matrix& out) const override { out = m_View; }
    void SetTextureFilter(int mode) override { LogEvent("filter " + std::to_string(mode)); }
    void ClearDepth() override { LogEvent("clear depth"); }
    void SetFogColor(int r, int g, int b) override
    {
        LogEvent("fog " + std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b));
    }
    void UnbindTexture(int stage) override { LogEvent("unbind " + std::to_string(stage)); }
};

class CFakeHooks : public CWorldHooks {
public:
    void ResetFader() override { LogEvent("fader"); }
    void ResetCamera() override { LogEvent("camera"); }
    void ClearBackgroundLayers() override { LogEvent("bg2d"); }
    void TickSlowMotionCooldown() override { LogEvent("cooldown"); }
};

// An object that logs its draws, updates and deletion under its name.
class CLoggedObject : public CObject {
public:
    explicit CLoggedObject(std::string name) : m_Name(std::move(name)) {}
    ~CLoggedObject() override { LogEvent("delete " + m_Name); }
    void Draw() override
    {
        ++m_nDraws;
        LogEvent("draw " + m_Name);
    }
    void Update() override
    {
        CObject::Update();
        ++m_nUpdates;
        LogEvent("update " + m_Name);
    }
    std::string m_Name;
    int m_nDraws = 0;
    int m_nUpdates = 0;
};

class CLoggedMusic : public CPausableObject {
public:
    explicit CLoggedMusic(std::string name) : m_Name(std::move(name)) {}
    ~CLoggedMusic() override { LogEvent("delete " + m_Name); }
    void Pause() override { LogEvent("pause " + m_Name); }
    void Resume() override { LogEvent("resume " + m_Name); }
    void Reset() override
    {
        CObject::Reset();
        LogEvent("stop " + m_Name);
    }
    void Update() override { LogEvent("update " + m_Name); }
    std::string m_Name;
};

// Leaves the game-wide lists empty and no device or hooks registered.
class CoreWorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EventLog().clear();
        g_pDeviceLink = nullptr;
        g_pWorldHooks = nullptr;
    }
    void TearDown() override
    {
        g_pDeviceLink = nullptr;
        g_pWorldHooks = nullptr;
        DeleteAll(g_OverlayList);
        DeleteAll(g_EffectList);
        DeleteAll(g_EnemyShotList);
        DeleteAll(g_EnemyList);
        DeleteAll(g_ScoreItemList);
        DeleteAll(g_ForegroundList);
        DeleteAll(g_SoundList);
        DeleteAll(g_MusicList);
        DeleteAll(g_TerrainList);
        EventLog().clear();
    }
};
