// CSound on an offline sound system: the game's sound operations, measured on
// the statuses they leave and on the samples the mixer renders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <SDL.h>

#include "core/Util.h"
#include "platform/Resources.h"
#include "sound/SoundSystem.h"
#include "tests/sound/OggFixture.h"

namespace {

// Ogg bytes of a tone that lasts nFrames at 22050 Hz mono.
const std::vector<uint8_t>& ToneOgg(size_t nFrames)
{
    static std::vector<std::pair<size_t, std::vector<uint8_t>>> cache;
    for (const auto& c : cache)
        if (c.first == nFrames)
            return c.second;
    cache.emplace_back(nFrames, EncodeOgg(MakeTone(nFrames, 1, 22050, 441.0, 0.5), 1, 22050, 0.4f));
    return cache.back().second;
}

std::vector<int16_t> Render(CSoundSystem& sys, int nFrames)
{
    std::vector<int16_t> out(2 * static_cast<size_t>(nFrames));
    sys.Render(out.data(), nFrames);
    return out;
}

std::vector<std::string> g_Messages;
void CatchMessage(const char* text)
{
    g_Messages.push_back(text);
}

// The game's sound operations hold for sounds decoded whole (effects) and for
// streamed ones (music) alike.
class SoundOps : public ::testing::TestWithParam<CSound::EStorage> {
protected:
    // A tone of nFrames frames stored the way the test's parameter says.
    CSound Tone(CSoundSystem& sys, size_t nFrames, const char* label)
    {
        return CSound(&sys, ToneOgg(nFrames).data(), ToneOgg(nFrames).size(), label, GetParam());
    }
};

// A program folder of its own, for override files and logs.
class SoundFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Dir = std::filesystem::temp_directory_path() /
                ("mz_sound_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_Dir);
        std::filesystem::create_directories(m_Dir / "SE");
        SetProgramDir(m_Dir.string());
        g_Messages.clear();
        SetResourceMessageSink(CatchMessage);
    }
    void TearDown() override
    {
        SetResourceMessageSink(nullptr);
        SetProgramDir("");
        std::filesystem::remove_all(m_Dir);
    }
    void WriteFile(const std::string& rel, const std::vector<uint8_t>& bytes)
    {
        std::ofstream f(m_Dir / rel, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::path m_Dir;
};

}  // namespace

TEST_P(SoundOps, FadeFromFullVolumeStopsOnThe500thUpdate)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound s = Tone(sys, 4000, "tone");
    ASSERT_TRUE(s.IsLoaded());
    s.PlayLoop();
    s.FadeOut();
    for (int i = 1; i < 500; ++i)
        s.Update();
    EXPECT_TRUE(s.IsPlaying());
    EXPECT_EQ(s.GetVolume(), -4990);
    EXPECT_TRUE(s.m_bFading);
    s.Update();
    EXPECT_FALSE(s.IsPlaying());
    EXPECT_FALSE(s.m_bFading);
    // Playing again cancels nothing left over: full volume.
    s.Play();
    EXPECT_EQ(s.GetVolume(), 0);
}

TEST_P(SoundOps, PlayThenStartsTheNextSoundExactlyThatManyUpdatesLater)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    // The first sound is short: the chain waits independently of it.
    CSound start = Tone(sys, 500, "start");
    CSound loop = Tone(sys, 4000, "loop");
    loop.PlayAtVolume(Vec3{0, 0, 0}, -2000);
    loop.StopIfPlaying();
    start.PlayThen(&loop, true, 75);
    EXPECT_TRUE(start.IsPlaying());
    Render(sys, 1000);  // the first sound ends
    EXPECT_FALSE(start.IsPlaying());
    for (int i = 1; i < 75; ++i) {
        start.Update();
        ASSERT_FALSE(loop.IsPlaying()) << "update " << i;
    }
    start.Update();
    EXPECT_TRUE(loop.IsPlaying());
    EXPECT_EQ(loop.GetVolume(), 0);
    EXPECT_EQ(loop.GetPosition(), 0u);
    EXPECT_EQ(start.m_pChainNext, nullptr);
    Render(sys, 5000);
    EXPECT_TRUE(loop.IsPlaying());  // looping
}

TEST_P(SoundOps, StopIfPlayingCancelsTheChainAndTheFade)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound a = Tone(sys, 4000, "a");
    CSound b = Tone(sys, 500, "b");
    EXPECT_FALSE(a.StopIfPlaying());
    a.PlayThen(&b, false, 3);
    a.FadeOut();
    EXPECT_TRUE(a.StopIfPlaying());
    EXPECT_FALSE(a.m_bFading);
    for (int i = 0; i < 5; ++i)
        a.Update();
    EXPECT_FALSE(b.IsPlaying());
    EXPECT_FALSE(a.StopIfPlaying());
}

TEST_P(SoundOps, ResumeAfterStopIfPlayingContinuesFromTheSameSample)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound s = Tone(sys, 6000, "tone");
    s.Play();
    const std::vector<int16_t> straight = Render(sys, 4000);

    s.Play();
    std::vector<int16_t> first = Render(sys, 1234);
    ASSERT_TRUE(s.StopIfPlaying());
    const std::vector<int16_t> gap = Render(sys, 300);
    EXPECT_EQ(gap, std::vector<int16_t>(600, 0));
    s.Resume(false);
    const std::vector<int16_t> rest = Render(sys, 4000 - 1234);
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(first, straight);
}

TEST_P(SoundOps, HeldSoundsStayAtTheirSampleAndGoOnWhenReleased)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound s = Tone(sys, 6000, "tone");
    CSound other = Tone(sys, 6000, "other");
    s.Play();
    const std::vector<int16_t> straight = Render(sys, 4000);

    s.Play();
    std::vector<int16_t> first = Render(sys, 1234);
    sys.Hold(true);
    // Held, it still plays as far as the game can tell, but is not heard and
    // does not move on.
    EXPECT_TRUE(s.IsPlaying());
    const uint32_t at = s.GetPosition();
    EXPECT_EQ(Render(sys, 300), std::vector<int16_t>(600, 0));
    EXPECT_EQ(s.GetPosition(), at);
    // A sound started while the others are held is heard (the snapshot's click).
    other.Play();
    const std::vector<int16_t> click = Render(sys, 100);
    EXPECT_NE(click, std::vector<int16_t>(200, 0));
    other.StopIfPlaying();
    EXPECT_EQ(s.GetPosition(), at);
    sys.Hold(false);
    const std::vector<int16_t> rest = Render(sys, 4000 - 1234);
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(first, straight);
}

TEST_P(SoundOps, MutedNothingIsHeardOrMovesOnAndCutEffectsKeepsOnlyTheMusic)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound s = Tone(sys, 6000, "tone");
    s.Play();
    Render(sys, 1000);
    const uint32_t at = s.GetPosition();
    sys.SetMuted(true);
    // Started, stopped, restarted unheard: the game may do anything meanwhile.
    EXPECT_EQ(Render(sys, 500), std::vector<int16_t>(1000, 0));
    EXPECT_EQ(s.GetPosition(), at);
    s.Play();
    EXPECT_EQ(Render(sys, 500), std::vector<int16_t>(1000, 0));
    EXPECT_EQ(s.GetPosition(), 0u);
    sys.CutEffects();
    sys.SetMuted(false);
    // A sound held whole is an effect and was cut; a streamed one is music
    // and plays on.
    const bool music = GetParam() == CSound::EStorage::Streamed;
    EXPECT_EQ(s.IsPlaying(), music);
    EXPECT_EQ(Render(sys, 200) != std::vector<int16_t>(400, 0), music);
}

TEST_P(SoundOps, WithASpacingAnEffectStartsAtMostOncePerSpacingOfHeardOutput)
{
    const int spacingFrames = 50 * 22050 / 1000;
    for (const int spacing : {0, 50}) {
        SCOPED_TRACE(spacing);
        CSoundSystem sys(CSoundSystem::Offline{});
        sys.SetEffectSpacing(spacing);
        CSound s = Tone(sys, 6000, "tone");
        s.Play();
        Render(sys, spacingFrames - 1);
        // Too soon: with a spacing the effect plays on instead of restarting.
        s.Play();
        EXPECT_EQ(s.GetPosition() == 0u, spacing == 0);
        s.PlayAtVolume(Vec3{}, -100);
        EXPECT_EQ(s.GetPosition() == 0u, spacing == 0);
        Render(sys, 1);
        // A spacing later it restarts.
        s.Play();
        EXPECT_EQ(s.GetPosition(), 0u);
    }
}

TEST_P(SoundOps, PlayAtPansBy500PerWholeUnitOfX)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound s = Tone(sys, 500, "tone");
    struct Case {
        float x;
        int pan;
    } cases[] = {{3.6f, 1500}, {-0.5f, 0}, {0.99f, 0}, {-3.61f, -1500}, {1.0f, 500},
                   {30.0f, 10000}, {-1e30f, -10000}, {NAN, 0}};
    for (const Case& c : cases) {
        s.PlayAt(Vec3{c.x, 5.0f, 0.0f});
        EXPECT_EQ(s.GetPan(), c.pan) << c.x;
        EXPECT_TRUE(s.IsPlaying());
    }
}

TEST_P(SoundOps, PlayAtVolumeAttenuatesTheRenderedSound)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound s = Tone(sys, 3000, "tone");
    s.PlayAt(Vec3{3.0f, 0, 0});  // pan 1500: right full, left at -15 dB
    const std::vector<int16_t> full = Render(sys, 2000);
    s.PlayAtVolume(Vec3{0, 0, 0}, -500);
    const std::vector<int16_t> quiet = Render(sys, 2000);
    double sumFullR = 0, sumFullL = 0, sumQuiet = 0;
    for (size_t i = 0; i < 2000; ++i) {
        sumFullL += std::abs(full[2 * i]);
        sumFullR += std::abs(full[2 * i + 1]);
        sumQuiet += std::abs(quiet[2 * i]);
    }
    EXPECT_NEAR(sumFullL / sumFullR, 0.1778, 0.001);
    EXPECT_NEAR(sumQuiet / sumFullR, 0.5623, 0.001);
}

TEST_P(SoundOps, ManyLoudSoundsAtOnceDoNotClip)
{
    // Three half-scale tones in phase would sum to one and a half times full
    // scale; what the game plays stays at or under -1 dBFS.
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound a = Tone(sys, 3000, "a"), b = Tone(sys, 3000, "b"), c = Tone(sys, 3000, "c");
    a.Play();
    b.Play();
    c.Play();
    int peak = 0;
    for (int16_t v : Render(sys, 3000))
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 16384) << "the tones are there";
    EXPECT_LE(peak, 29204);
}

TEST_P(SoundOps, ResetAndTheMusicGroupPause)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    CSound playing = Tone(sys, 4000, "playing");
    CSound idle = Tone(sys, 4000, "idle");
    playing.PlayLoop();
    Render(sys, 100);
    playing.Pause();
    idle.Pause();
    EXPECT_FALSE(playing.IsPlaying());
    EXPECT_EQ(playing.GetPosition(), 200u);
    playing.Resume();
    idle.Resume();
    EXPECT_TRUE(playing.IsPlaying());
    EXPECT_EQ(playing.GetPosition(), 200u);
    EXPECT_FALSE(idle.IsPlaying());  // the pause did not stop it: nothing to resume

    playing.FadeOut();
    playing.Update();
    playing.Reset();
    EXPECT_FALSE(playing.IsPlaying());
    EXPECT_EQ(playing.GetVolume(), 0);
    EXPECT_FALSE(playing.m_bFading);
}

TEST_P(SoundOps, ASoundWithoutDataIsSilentAndHarmless)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    const std::vector<uint8_t> junk(3000, 0x4F);
    CSound damaged(&sys, junk.data(), junk.size(), "junk", GetParam());
    CSound none(nullptr, "#1", "SE");
    for (CSound* s : {&damaged, &none}) {
        EXPECT_FALSE(s->IsLoaded());
        s->Play();
        s->PlayLoop();
        s->PlayAt(Vec3{1, 1, 1});
        s->PlayAtVolume(Vec3{1, 1, 1}, -100);
        s->Resume(true);
        s->PlayThen(s, true, 1);
        s->FadeOut();
        s->Update();
        s->Update();
        EXPECT_FALSE(s->StopIfPlaying());
        s->Reset();
        EXPECT_FALSE(s->IsPlaying());
    }
    EXPECT_EQ(Render(sys, 10), std::vector<int16_t>(20, 0));
}

INSTANTIATE_TEST_SUITE_P(Storage, SoundOps, ::testing::Values(CSound::EStorage::Decoded, CSound::EStorage::Streamed),
                         [](const auto& info) {
                             return info.param == CSound::EStorage::Decoded ? "Decoded" : "Streamed";
                         });

// Music is streamed: it holds its Ogg data, not its PCM, yet it renders the very
// samples of the same sound decoded whole, across loops, a pause and a rewind,
// also where the mixer resamples it.
TEST_F(SoundFiles, MusicIsStreamedAndSoundsLikeTheDecodedSound)
{
    struct Case {
        int nChannels, nRate;
    } cases[] = {{1, 22050}, {2, 22050}, {2, 44100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.nChannels << " channels at " << c.nRate << " Hz");
        const std::vector<uint8_t> ogg = EncodeOgg(MakeNoise(9000, c.nChannels), c.nChannels, c.nRate, 0.4f);
        std::filesystem::create_directories(m_Dir / "BGM");
        WriteFile("BGM/109.ogg", ogg);
        CSoundSystem streamSys(CSoundSystem::Offline{}), decodedSys(CSoundSystem::Offline{});
        CSound music(&streamSys, "#109", "BGM");
        CSound decoded(&decodedSys, ogg.data(), ogg.size(), "decoded");
        ASSERT_TRUE(music.IsLoaded());
        EXPECT_EQ(music.m_nBytes, decoded.m_nBytes);
        for (CSound* s : {&music, &decoded})
            s->PlayLoop();
        EXPECT_EQ(Render(streamSys, 25000), Render(decodedSys, 25000));
        for (CSound* s : {&music, &decoded})
            s->Pause();
        EXPECT_EQ(music.GetPosition(), decoded.GetPosition());
        for (CSound* s : {&music, &decoded})
            s->Resume();
        EXPECT_EQ(Render(streamSys, 3000), Render(decodedSys, 3000));
        for (CSound* s : {&music, &decoded})
            s->PlayLoop();  // from the beginning
        EXPECT_EQ(Render(streamSys, 7000), Render(decodedSys, 7000));
    }
    EXPECT_TRUE(g_Messages.empty());
}

TEST_F(SoundFiles, LoadsTheOverrideFileAndReportsMissingOrDamagedSounds)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    WriteFile("SE/115.ogg", ToneOgg(3000));
    std::vector<uint8_t> damaged = ToneOgg(3000);
    damaged.resize(200);
    WriteFile("SE/116.ogg", damaged);

    CSound good(&sys, "#115", "SE");
    EXPECT_TRUE(good.IsLoaded());
    EXPECT_EQ(good.m_nBytes, 6000u);
    EXPECT_TRUE(g_Messages.empty());

    CSound missing(&sys, "#999", "SE");
    EXPECT_FALSE(missing.IsLoaded());
    ASSERT_EQ(g_Messages.size(), 1u);
    EXPECT_EQ(g_Messages[0], "Undefined Resource SE #999");

    CSound bad(&sys, "#116", "SE");
    EXPECT_FALSE(bad.IsLoaded());
    ASSERT_EQ(g_Messages.size(), 2u);
    EXPECT_NE(g_Messages[1].find("116.ogg"), std::string::npos) << g_Messages[1];
}

TEST_F(SoundFiles, CaptureHoldsExactlyTheRenderedOutput)
{
    CSoundSystem sys(CSoundSystem::Offline{});
    const std::string path = (m_Dir / "out.wav").string();
    ASSERT_TRUE(sys.OpenCapture(path));
    CSound s(&sys, ToneOgg(3000).data(), ToneOgg(3000).size(), "tone");
    s.PlayAt(Vec3{-1.0f, 0, 0});
    const std::vector<int16_t> a = Render(sys, 2500);
    const std::vector<int16_t> b = Render(sys, 1000);
    ASSERT_TRUE(sys.OpenCapture(path + ".2"));  // closes the first file

    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> wav((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_EQ(wav.size(), 44u + 3500u * 4u);
    auto le32 = [&wav](size_t at) { return uint32_t(wav[at]) | uint32_t(wav[at + 1]) << 8 | uint32_t(wav[at + 2]) << 16 | uint32_t(wav[at + 3]) << 24; };
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(le32(4), wav.size() - 8);
    EXPECT_EQ(le32(24), 22050u);
    EXPECT_EQ(le32(40), 3500u * 4u);
    std::vector<int16_t> samples((wav.size() - 44) / 2);
    std::memcpy(samples.data(), wav.data() + 44, samples.size() * 2);
    std::vector<int16_t> expect = a;
    expect.insert(expect.end(), b.begin(), b.end());
    EXPECT_EQ(samples, expect);
}

// The real output path on SDL's silent driver, and with no usable driver at all:
// either way the mixer runs in real time, the capture file receives it and the
// log says what happened.
TEST_F(SoundFiles, DeviceOutputIsCapturedAndLogged)
{
    struct Case {
        const char* driver;
        const char* expectInLog;
    } cases[] = {
        {"dummy", "Create Sound Device.\n -> Finished. (every sound is silent)\n"},
        {"no-such-driver", "Create Silent Sound Device.\n -> Finished. (every sound is silent)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.driver);
        ::setenv("SDL_AUDIODRIVER", c.driver, 1);
        const std::string path = (m_Dir / "run.wav").string();
        {
            CSoundSystem sys(nullptr, path);
            ASSERT_TRUE(sys.HasOutput());
            EXPECT_FALSE(sys.IsAudible());
            EXPECT_TRUE(sys.IsCapturing());
            CSound s(&sys, ToneOgg(3000).data(), ToneOgg(3000).size(), "tone");
            s.Play();
            // The silent driver paces the mixer like a sound card.
            for (int i = 0; i < 300 && s.IsPlaying(); ++i)
                SDL_Delay(10);
            EXPECT_FALSE(s.IsPlaying());
        }
        ::unsetenv("SDL_AUDIODRIVER");

        std::ifstream log(m_Dir / "log" / "dsound.txt");
        const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find(c.expectInLog), std::string::npos) << text;
        EXPECT_NE(text.find("Open Audio Output File.\n -> Finished."), std::string::npos) << text;

        std::ifstream f(path, std::ios::binary);
        std::vector<uint8_t> wav((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        ASSERT_GT(wav.size(), 44u + 3000u * 4u);
        const uint32_t nData = uint32_t(wav[40]) | uint32_t(wav[41]) << 8 | uint32_t(wav[42]) << 16 | uint32_t(wav[43]) << 24;
        EXPECT_EQ(nData, wav.size() - 44);
        int nLoud = 0;
        for (size_t i = 44; i + 1 < wav.size(); i += 2)
            nLoud += std::abs(static_cast<int16_t>(wav[i] | wav[i + 1] << 8)) > 8000;
        EXPECT_GT(nLoud, 1000);  // the tone is in the file
    }
}
