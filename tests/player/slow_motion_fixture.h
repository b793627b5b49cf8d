// The craft's world with a running slow-motion controller: its start,
// ambience and end sounds and a looping music, all short tones of an offline
// sound system.
#pragma once

#include <memory>

#include "sound/SoundSystem.h"
#include "tests/player/player_fixture.h"
#include "tests/sound/OggFixture.h"

inline std::unique_ptr<CSound> MakeSound(CSoundSystem& sys, double seconds, double hz, const char* label)
{
    const size_t frames = static_cast<size_t>(seconds * 22050.0);
    const std::vector<uint8_t> ogg = EncodeOgg(MakeTone(frames, 1, 22050, hz), 1, 22050);
    auto s = std::make_unique<CSound>(&sys, ogg.data(), ogg.size(), label);
    EXPECT_TRUE(s->IsLoaded()) << label;
    return s;
}

class SlowMotionTest : public PlayerTest {
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        m_pStart = MakeSound(m_System, 0.2, 440.0, "start");
        m_pAmbience = MakeSound(m_System, 1.0, 220.0, "ambience");
        m_pEnd = MakeSound(m_System, 0.2, 660.0, "end");
        m_pMusic = MakeSound(m_System, 2.0, 330.0, "music");
        m_SlowMotion.SetSounds(m_pStart.get(), m_pAmbience.get(), m_pEnd.get());
        g_SoundList.Add(m_pStart.get());
        g_MusicList.Add(m_pMusic.get());
        m_pMusic->PlayLoop();
    }
    void TearDown() override
    {
        g_SoundList.RemoveAll();
        g_MusicList.RemoveAll();
        PlayerTest::TearDown();
    }
    // Audio for the given number of frames of 60 a second.
    void Play(int frames)
    {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 368 * 2);
        m_System.Render(out.data(), frames * 368);
    }

    CSoundSystem m_System{CSoundSystem::Offline{}};
    std::unique_ptr<CSound> m_pStart, m_pAmbience, m_pEnd, m_pMusic;
};

