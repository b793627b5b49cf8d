// The software mixer, measured on rendered samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/AudioMixer.h"

namespace {

std::vector<int16_t> Constant(size_t nFrames, int nChannels, int16_t v)
{
    return std::vector<int16_t>(nFrames * static_cast<size_t>(nChannels), v);
}

// Mono ramp 0, 1, 2, ...: every output sample names the source frame it came from.
std::vector<int16_t> Ramp(size_t nFrames)
{
    std::vector<int16_t> v(nFrames);
    for (size_t i = 0; i < nFrames; ++i)
        v[i] = static_cast<int16_t>(i);
    return v;
}

std::vector<int16_t> Render(CAudioMixer& mixer, int nFrames)
{
    std::vector<int16_t> out(2 * static_cast<size_t>(nFrames), 12345);
    mixer.Mix(out.data(), nFrames);
    return out;
}

// Frames of a sound held in memory, served the way a decoder serves them; it can
// be told to give out early or to refuse to start over.
class CPcmSource : public CAudioStreamSource {
public:
    CPcmSource(std::vector<int16_t> samples, int nChannels, size_t nGivesOutAt = SIZE_MAX)
        : m_Samples(std::move(samples)), m_nChannels(static_cast<size_t>(nChannels)),
          m_nEnd(std::min(nGivesOutAt, m_Samples.size() / m_nChannels))
    {
    }
    bool Rewind() override
    {
        m_nNext = 0;
        ++m_nRewinds;
        return m_nRewinds <= m_nRewindsAllowed;
    }
    int Read(int16_t* pOut, int nFrames) override
    {
        const size_t n = std::min(static_cast<size_t>(nFrames), m_nEnd - m_nNext);
        std::copy_n(m_Samples.begin() + static_cast<std::ptrdiff_t>(m_nNext * m_nChannels), n * m_nChannels, pOut);
        m_nNext += n;
        return static_cast<int>(n);
    }
    int m_nRewinds = 0;
    int m_nRewindsAllowed = 1 << 30;

private:
    std::vector<int16_t> m_Samples;
    size_t m_nChannels;
    size_t m_nEnd;
    size_t m_nNext = 0;
};

// Distinct samples: each names its frame and channel.
std::vector<int16_t> Pattern(size_t nFrames, int nChannels)
{
    std::vector<int16_t> v(nFrames * static_cast<size_t>(nChannels));
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<int16_t>(static_cast<int>((i * 37 + (i % 2) * 5000) % 20000) - 10000);
    return v;
}

}  // namespace

TEST(AudioMixer, VolumeAndPanAttenuateAsDecibels)
{
    // Gain = 10^(mB / 2000); pan attenuates only the far channel and adds to the
    // volume. Measured on a full-scale constant.
    struct Case {
        int volume, pan;
        double left, right;
    } cases[] = {
        {0, 0, 1.0, 1.0},
        {-500, 0, 0.5623, 0.5623},
        {-600, 0, 0.5012, 0.5012},
        {-2000, 0, 0.1, 0.1},
        {0, 1500, 0.1778, 1.0},     // right full, left at -15 dB
        {0, -2173, 1.0, 0.0819},
        {-500, 870, 0.2065, 0.5623},
        {0, 10000, 0.0, 1.0},
        {0, -10000, 1.0, 0.0},
        {-10000, 0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        CAudioMixer mixer(22050);
        CAudioBuffer* b = mixer.CreateBuffer(1, 22050, Constant(4096, 1, 32000));
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(b->SetVolume(c.volume));
        EXPECT_TRUE(b->SetPan(c.pan));
        b->Play(0);
        std::vector<int16_t> out = Render(mixer, 1000);
        SCOPED_TRACE(::testing::Message() << "volume " << c.volume << " pan " << c.pan);
        EXPECT_NEAR(out[500] / 32000.0, c.left, 0.001);
        EXPECT_NEAR(out[501] / 32000.0, c.right, 0.001);
        delete b;
    }
}

TEST(AudioMixer, OutOfRangeVolumeAndPanAreClampedAndReported)
{
    CAudioMixer mixer;
    CAudioBuffer* b = mixer.CreateBuffer(1, 22050, Constant(100, 1, 1000));
    EXPECT_FALSE(b->SetVolume(300));
    EXPECT_EQ(b->GetVolume(), 0);
    EXPECT_FALSE(b->SetVolume(-12000));
    EXPECT_EQ(b->GetVolume(), -10000);
    EXPECT_FALSE(b->SetPan(15000));
    EXPECT_EQ(b->GetPan(), 10000);
    delete b;
}

TEST(AudioMixer, StereoSourceKeepsItsChannelsApart)
{
    CAudioMixer mixer;
    std::vector<int16_t> pcm;
    for (int i = 0; i < 64; ++i) {
        pcm.push_back(1000);
        pcm.push_back(-2000);
    }
    CAudioBuffer* b = mixer.CreateBuffer(2, 22050, pcm);
    b->SetPan(-600);  // right at -6 dB; the left signal does not move across
    b->Play(0);
    std::vector<int16_t> out = Render(mixer, 10);
    EXPECT_EQ(out[0], 1000);
    EXPECT_NEAR(out[1], -2000 * 0.5012, 1.0);
    delete b;
}

TEST(AudioMixer, OneShotStopsAtItsEndAndRewinds)
{
    CAudioMixer mixer;
    CAudioBuffer* b = mixer.CreateBuffer(1, 22050, Ramp(100));
    b->Play(0);
    EXPECT_EQ(b->GetStatus(), SOUND_STATUS_PLAYING);
    std::vector<int16_t> out = Render(mixer, 150);
    EXPECT_EQ(out[2 * 99], 99);
    EXPECT_EQ(out[2 * 100], 0);  // silence after the end
    EXPECT_EQ(out[2 * 149 + 1], 0);
    EXPECT_EQ(b->GetStatus(), 0u);
    EXPECT_EQ(b->GetCurrentPosition(), 0u);
    // Playing again starts at the beginning.
    b->Play(0);
    out = Render(mixer, 3);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[4], 2);
    delete b;
}

TEST(AudioMixer, LoopWrapsWithoutAGap)
{
    CAudioMixer mixer;
    CAudioBuffer* b = mixer.CreateBuffer(1, 22050, Ramp(100));
    b->Play(SOUND_PLAY_LOOPING);
    EXPECT_EQ(b->GetStatus(), SOUND_STATUS_PLAYING | SOUND_STATUS_LOOPING);
    std::vector<int16_t> out = Render(mixer, 2500);  // spans several mix chunks
    for (int i = 0; i < 2500; ++i)
        ASSERT_EQ(out[2 * static_cast<size_t>(i)], i % 100) << "frame " << i;
    EXPECT_EQ(b->GetStatus(), SOUND_STATUS_PLAYING | SOUND_STATUS_LOOPING);
    delete b;
}

TEST(AudioMixer, StopKeepsThePositionAndPlayResumesThere)
{
    CAudioMixer mixer;
    CAudioBuffer* b = mixer.CreateBuffer(1, 22050, Ramp(1000));
    b->Play(0);
    Render(mixer, 300);
    b->Stop();
    EXPECT_EQ(b->GetStatus(), 0u);
    EXPECT_EQ(b->GetCurrentPosition(), 600u);  // bytes of the mono 16-bit data
    std::vector<int16_t> out = Render(mixer, 50);
    EXPECT_EQ(out[20], 0);
    b->Play(0);
    out = Render(mixer, 2);
    EXPECT_EQ(out[0], 300);
    EXPECT_EQ(out[2], 301);
    delete b;
}

TEST(AudioMixer, PlayOnAPlayingBufferOnlyChangesTheLoopFlag)
{
    CAudioMixer mixer;
    CAudioBuffer* b = mixer.CreateBuffer(1, 22050, Ramp(1000));
    b->Play(SOUND_PLAY_LOOPING);
    Render(mixer, 10);
    b->Play(0);
    EXPECT_EQ(b->GetStatus(), SOUND_STATUS_PLAYING);
    std::vector<int16_t> out = Render(mixer, 1);
    EXPECT_EQ(out[0], 10);
    // Rewinding a playing buffer jumps at once.
    b->SetCurrentPosition(0);
    out = Render(mixer, 1);
    EXPECT_EQ(out[0], 0);
    delete b;
}

TEST(AudioMixer, VoicesAddAndSaturate)
{
    CAudioMixer mixer;
    CAudioBuffer* a = mixer.CreateBuffer(1, 22050, Constant(100, 1, 30000));
    CAudioBuffer* b = mixer.CreateBuffer(1, 22050, Constant(100, 1, 30000));
    CAudioBuffer* c = mixer.CreateBuffer(1, 22050, Constant(100, 1, -1000));
    a->Play(0);
    c->Play(0);
    EXPECT_EQ(Render(mixer, 1)[0], 29000);
    b->Play(0);
    EXPECT_EQ(Render(mixer, 1)[0], 32767);
    a->SetVolume(-10000);
    b->SetVolume(-10000);
    c->SetVolume(-10000);
    EXPECT_EQ(mixer.CountPlaying(), 3);  // silent voices still run
    delete a;
    delete b;
    delete c;
    EXPECT_EQ(mixer.CountPlaying(), 0);
}

// The limiter the game plays through: a sum that would clip comes out at the
// ceiling, with both channels turned down alike; the gain then comes back
// smoothly and completely, so what follows is again the exact sum.
TEST(AudioMixer, TheLimiterHoldsALoudSumUnderTheCeilingAndThenLetsGo)
{
    CAudioMixer mixer(22050);
    mixer.SetLimiter(true);
    CAudioBuffer* bed = mixer.CreateBuffer(2, 22050, Pattern(22050 * 3, 2));  // within +-10000
    CAudioBuffer* hit = mixer.CreateBuffer(1, 22050, Constant(200, 1, 30000));
    bed->Play(SOUND_PLAY_LOOPING);
    const std::vector<int16_t> before = Render(mixer, 1000);
    const std::vector<int16_t> pattern = Pattern(22050 * 3, 2);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), pattern.begin())) << "below the ceiling nothing changes";

    hit->Play(0);
    const std::vector<int16_t> loud = Render(mixer, 200);
    int peak = 0;
    for (size_t i = 0; i < loud.size(); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(loud[i])));
        // One gain for both channels: each keeps its share of the sum.
        const double want = pattern[2000 + i] + 30000.0;
        if (i % 2 == 0) {
            const double gain = loud[i] / want;
            EXPECT_NEAR(loud[i + 1] / (pattern[2000 + i + 1] + 30000.0), gain, 0.001) << "frame " << i / 2;
        }
    }
    EXPECT_LE(peak, static_cast<int>(CPeakLimiter::kCeiling));
    EXPECT_GT(peak, static_cast<int>(CPeakLimiter::kCeiling) - 3) << "limited to the ceiling, not below it";

    // After the hit: held, then a slow return. No step between frames is a jump
    // (the ear hears a fast swing of the gain as pumping).
    const std::vector<int16_t> after = Render(mixer, 22050);
    double lastGain = -1.0;
    for (size_t f = 0; f < 22050; ++f) {
        const int src = pattern[(2 * (1200 + f)) % pattern.size()];
        if (std::abs(src) < 2000) continue;  // too small to read the gain from
        const double gain = after[2 * f] / static_cast<double>(src);
        if (lastGain > 0) {
            EXPECT_NEAR(gain, lastGain, 0.01) << "frame " << f;
        }
        lastGain = gain;
    }
    EXPECT_GT(lastGain, 0.9) << "most of the way back after a second";
    // Three seconds on, the gain is exactly 1 again: the plain sum to the bit.
    Render(mixer, 2 * 22050);
    const std::vector<int16_t> later = Render(mixer, 1000);
    const size_t at = 2 * ((1200 + 3 * 22050) % (22050 * 3));
    EXPECT_TRUE(std::equal(later.begin(), later.end(), pattern.begin() + static_cast<std::ptrdiff_t>(at)));
    delete hit;
    delete bed;
}

TEST(AudioMixer, OtherRatesAreResampledLinearly)
{
    CAudioMixer mixer(22050);
    // 11025 Hz: every source frame lasts two output frames, with the midpoint
    // interpolated; 44100 Hz: every second source frame.
    std::vector<int16_t> src = {0, 1000, 2000, 3000};
    CAudioBuffer* half = mixer.CreateBuffer(1, 11025, src);
    half->Play(0);
    std::vector<int16_t> out = Render(mixer, 10);
    const int expectHalf[] = {0, 500, 1000, 1500, 2000, 2500, 3000, 1500, 0, 0};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[2 * static_cast<size_t>(i)], expectHalf[i]) << i;
    EXPECT_EQ(half->GetStatus(), 0u);
    // Looping, the frame after the last is the first: the seam is interpolated
    // toward it.
    half->Play(SOUND_PLAY_LOOPING);
    out = Render(mixer, 10);
    const int expectLoop[] = {0, 500, 1000, 1500, 2000, 2500, 3000, 1500, 0, 500};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[2 * static_cast<size_t>(i)], expectLoop[i]) << i;
    delete half;

    CAudioBuffer* dbl = mixer.CreateBuffer(1, 44100, Ramp(100));
    dbl->Play(0);
    out = Render(mixer, 60);
    EXPECT_EQ(out[2 * 10], 20);
    EXPECT_EQ(out[2 * 49], 98);
    EXPECT_EQ(out[2 * 50], 0);
    delete dbl;
}

TEST(AudioMixer, RefusesBuffersItCannotPlay)
{
    CAudioMixer mixer;
    EXPECT_EQ(mixer.CreateBuffer(3, 22050, Constant(10, 3, 0)), nullptr);
    EXPECT_EQ(mixer.CreateBuffer(2, 22050, std::vector<int16_t>(5)), nullptr);  // half a frame
    EXPECT_EQ(mixer.CreateBuffer(1, 0, Constant(10, 1, 0)), nullptr);
    CAudioBuffer* empty = mixer.CreateBuffer(1, 22050, {});
    ASSERT_NE(empty, nullptr);
    empty->Play(0);  // nothing to play: it simply does not start
    EXPECT_EQ(empty->GetStatus(), 0u);
    EXPECT_EQ(Render(mixer, 4)[0], 0);
    delete empty;
}

TEST(AudioMixer, BuffersMayOutliveTheirMixer)
{
    // Shut-down order is not always buffers first.
    CAudioMixer* mixer = new CAudioMixer();
    CAudioBuffer* b = mixer->CreateBuffer(1, 22050, Ramp(100));
    b->Play(SOUND_PLAY_LOOPING);
    delete mixer;
    EXPECT_EQ(b->GetStatus(), 0u);
    b->SetVolume(-100);
    b->Play(0);
    b->Stop();
    EXPECT_EQ(b->GetVolume(), -100);
    delete b;
}

// A streamed buffer decodes its frames while it plays; whatever the game does
// with it, it sounds, stops, loops and reports positions exactly as the same
// sound held whole: short sounds (many loops a chunk) and long ones, mono and
// stereo, at the output rate and resampled.
TEST(AudioMixer, StreamedBuffersBehaveExactlyLikeWholeOnes)
{
    for (int nChannels : {1, 2})
        for (int nRate : {22050, 44100, 11025, 17000})
            for (uint32_t nFrames : {100u, 5000u}) {
                SCOPED_TRACE(::testing::Message() << nChannels << " channels, " << nRate << " Hz, " << nFrames
                                                  << " frames");
                const std::vector<int16_t> pcm = Pattern(nFrames, nChannels);
                CAudioMixer wholeMixer, streamMixer;
                CAudioBuffer* whole = wholeMixer.CreateBuffer(nChannels, nRate, pcm);
                auto* pSource = new CPcmSource(pcm, nChannels);
                CAudioBuffer* stream = streamMixer.CreateStreamBuffer(nChannels, nRate, nFrames,
                                                                      std::unique_ptr<CAudioStreamSource>(pSource));
                ASSERT_TRUE(whole && stream);
                EXPECT_EQ(stream->GetBytes(), whole->GetBytes());
                const uint32_t nFrameBytes = 2u * static_cast<uint32_t>(nChannels);
                // The same operations on both, then the same rendered frames.
                struct Step {
                    const char* what;
                    std::function<void(CAudioBuffer*)> op;
                    int nRender;
                } steps[] = {
                    {"loop", [](CAudioBuffer* b) { b->Play(SOUND_PLAY_LOOPING); }, 3000},
                    {"stop", [](CAudioBuffer* b) { b->Stop(); }, 100},
                    {"resume once", [](CAudioBuffer* b) { b->Play(0); }, 2 * static_cast<int>(nFrames) + 700},
                    {"from a third, looping",
                     [&](CAudioBuffer* b) {
                         b->SetCurrentPosition(nFrames / 3 * nFrameBytes);
                         b->Play(SOUND_PLAY_LOOPING);
                     },
                     700},
                    {"rewind while playing", [](CAudioBuffer* b) { b->SetCurrentPosition(0); }, 500},
                    {"from near the end", [&](CAudioBuffer* b) { b->SetCurrentPosition((nFrames - 3) * nFrameBytes); },
                     40},
                    {"loop off while playing", [](CAudioBuffer* b) { b->Play(0); }, 2 * static_cast<int>(nFrames) + 500},
                    {"play from the start", [](CAudioBuffer* b) { b->Play(0); }, 1500},
                };
                for (const Step& step : steps) {
                    SCOPED_TRACE(step.what);
                    step.op(whole);
                    step.op(stream);
                    ASSERT_EQ(Render(streamMixer, step.nRender), Render(wholeMixer, step.nRender));
                    EXPECT_EQ(stream->GetCurrentPosition(), whole->GetCurrentPosition());
                    EXPECT_EQ(stream->GetStatus(), whole->GetStatus());
                }
                // Decoding starts over only where the sound does.
                EXPECT_LT(pSource->m_nRewinds, 40);
                delete whole;
                delete stream;
            }
}

// A source whose data gives out before the sound's length, or that cannot start
// over, ends the sound there: silence, not a stall or a crash.
TEST(AudioMixer, AStreamThatGivesOutEndsThere)
{
    const std::vector<int16_t> pcm = Ramp(3000);
    {
        CAudioMixer mixer;
        CAudioBuffer* b = mixer.CreateStreamBuffer(1, 22050, 3000,
                                                   std::make_unique<CPcmSource>(pcm, 1, size_t(1200)));
        ASSERT_NE(b, nullptr);
        b->Play(SOUND_PLAY_LOOPING);
        const std::vector<int16_t> out = Render(mixer, 2000);
        EXPECT_EQ(out[2 * 1199], 1199);
        EXPECT_EQ(out[2 * 1200], 0);
        EXPECT_EQ(out[2 * 1999], 0);
        EXPECT_EQ(b->GetStatus(), 0u);
        delete b;
    }
    {
        CAudioMixer mixer;
        auto* pSource = new CPcmSource(pcm, 1);
        CAudioBuffer* b = mixer.CreateStreamBuffer(1, 22050, 3000, std::unique_ptr<CAudioStreamSource>(pSource));
        ASSERT_NE(b, nullptr);
        pSource->m_nRewindsAllowed = pSource->m_nRewinds;  // no more
        b->Play(SOUND_PLAY_LOOPING);
        const std::vector<int16_t> out = Render(mixer, 4000);
        EXPECT_EQ(out[2 * 2999], 2999);
        EXPECT_EQ(out[2 * 3000], 0) << "the loop cannot start over";
        EXPECT_EQ(b->GetStatus(), 0u);
        delete b;
    }
    CAudioMixer mixer;
    EXPECT_EQ(mixer.CreateStreamBuffer(1, 22050, 3000, std::make_unique<CPcmSource>(pcm, 1, size_t(0))), nullptr)
        << "no first frame";
    EXPECT_EQ(mixer.CreateStreamBuffer(1, 22050, 0, std::make_unique<CPcmSource>(pcm, 1)), nullptr);
    EXPECT_EQ(mixer.CreateStreamBuffer(3, 22050, 1000, std::make_unique<CPcmSource>(pcm, 1)), nullptr);
}

// The audio thread mixes while the game thread plays, stops, changes and
// deletes buffers. Run under ThreadSanitizer this proves the shared state is
// guarded.
TEST(AudioMixer, GameThreadAndAudioThreadShareVoicesSafely)
{
    CAudioMixer mixer;
    std::atomic<bool> bStop{false};
    std::atomic<long> nMixed{0};
    std::thread audio([&] {
        std::vector<int16_t> out(2 * 512);
        while (!bStop.load()) {
            mixer.Mix(out.data(), 512);
            nMixed += 512;
        }
    });
    std::vector<CAudioBuffer*> buffers;
    for (int i = 0; i < 6; ++i)
        buffers.push_back(mixer.CreateBuffer(1 + i % 2, 11025 + 11025 * (i % 3), Constant(2000, 1 + i % 2, 100)));
    // Streamed ones decode on the audio thread.
    for (int i = 0; i < 2; ++i)
        buffers.push_back(mixer.CreateStreamBuffer(1 + i, 22050 + 22050 * i, 3000,
                                                   std::make_unique<CPcmSource>(Pattern(3000, 1 + i), 1 + i)));
    for (int round = 0; round < 2000; ++round) {
        CAudioBuffer* b = buffers[static_cast<size_t>(round % 8)];
        b->SetVolume(-(round % 3000));
        b->SetPan((round % 2000) - 1000);
        b->SetCurrentPosition(0);
        b->Play(round % 2 ? SOUND_PLAY_LOOPING : 0u);
        if (round % 5 == 0)
            b->Stop();
        (void)b->GetStatus();
        (void)b->GetCurrentPosition();
        if (round % 100 == 99) {
            delete buffers[0];
            buffers[0] = mixer.CreateBuffer(2, 22050, Constant(500, 2, -300));
            buffers[0]->Play(SOUND_PLAY_LOOPING);
        }
    }
    while (nMixed.load() < 4096)
        std::this_thread::yield();
    bStop = true;
    audio.join();
    for (CAudioBuffer* b : buffers)
        delete b;
}
