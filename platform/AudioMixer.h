// A small software mixer standing in for the sound card's secondary buffers.
//
// Each CAudioBuffer plays a sound of 16-bit PCM (mono or stereo, any rate) and
// behaves like a static sound buffer: volume and pan in hundredths of a decibel
// (0 = full, -10000 = silent; pan attenuates only the far channel), play once
// or looping, stop keeping the position, status queries. A buffer holds its
// whole sound, or streams it: a source decodes the frames on demand, a little
// ahead of the position, on the thread that mixes; both behave alike to the
// sample.
//
// Thread model: the game thread calls the buffer operations; the audio thread
// calls CAudioMixer::Mix(). Every piece of voice state (a stream's decoder too)
// is guarded by the mixer's one mutex, held by Mix() for one chunk and by each
// buffer call for a few instructions, so neither side ever sees a half-changed
// voice.
#pragma once
#include <cstddef>
#include <cstdint>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/AudioLimiter.h"

// Play flags and status bits, numbered as the game's sound code expects them.
enum : uint32_t {
    SOUND_PLAY_LOOPING = 0x1,
    SOUND_STATUS_PLAYING = 0x1,
    SOUND_STATUS_LOOPING = 0x4,
};
constexpr int SOUND_VOLUME_MIN = -10000;
constexpr int SOUND_VOLUME_MAX = 0;
constexpr int SOUND_PAN_LEFT = -10000;
constexpr int SOUND_PAN_RIGHT = 10000;

// Amplitude factor of an attenuation in hundredths of a decibel: 10^(v/2000);
// anything at or below -10000 is silence.
float AttenuationToGain(int nHundredthsDb);

class CAudioMixer;

// Where a streamed buffer's frames come from, in order. Used only by the thread
// that mixes, under the mixer's lock.
class CAudioStreamSource {
public:
    virtual ~CAudioStreamSource() = default;
    // Back to the first frame; false when that fails.
    virtual bool Rewind() = 0;
    // Writes up to nFrames frames (interleaved samples) to pOut and returns how
    // many; fewer only at the end of the data.
    virtual int Read(int16_t* pOut, int nFrames) = 0;
};

class CAudioBuffer {
public:
    // Unregisters from the mixer; safe while the audio thread runs, and after
    // the mixer is gone.
    ~CAudioBuffer();
    CAudioBuffer(const CAudioBuffer&) = delete;
    CAudioBuffer& operator=(const CAudioBuffer&) = delete;

    // Starts at the current position. A buffer already playing is not restarted:
    // only its looping flag changes.
    bool Play(uint32_t nFlags);
    // Pauses; the position stays on the next sample to be played.
    void Stop();
    // Byte offsets into the PCM data (rounded down to whole frames).
    void SetCurrentPosition(uint32_t nBytes);
    uint32_t GetCurrentPosition() const;
    // Both clamp to their valid ranges and report whether the value was in range.
    bool SetVolume(int nVolume);
    int GetVolume() const;
    bool SetPan(int nPan);
    int GetPan() const;
    uint32_t GetStatus() const;

    int GetChannels() const { return m_nChannels; }
    int GetRate() const { return m_nRate; }
    uint32_t GetFrames() const { return m_nFrames; }
    uint32_t GetBytes() const { return m_nFrames * static_cast<uint32_t>(m_nChannels) * 2u; }

private:
    friend class CAudioMixer;
    // Frames at hand for mixing: frame f, for nFirst <= f < nEnd, starts at
    // pData + (f - nFirst) * channels; pFrame0 is the first frame, which follows
    // the last one when looping.
    struct SFrames {
        const int16_t* pData;
        uint32_t nFirst, nEnd;
        const int16_t* pFrame0;
    };

    CAudioBuffer(CAudioMixer* pMixer, int nChannels, int nRate, uint32_t nFrames, std::vector<int16_t>&& samples,
                 std::unique_ptr<CAudioStreamSource> pSource);
    std::unique_lock<std::mutex> Lock() const;
    void UpdateGains();  // under the lock
    // Audio thread, under the lock.
    void MixInto(float* pAcc, int nFrames);
    int MixFrames(float* pAcc, int i, int nFrames, const SFrames& src);
    // The frames from f on that nOut output frames at most read.
    SFrames FramesFrom(uint32_t f, int nOut);
    // A streamed buffer decodes so that its window holds up to nWant frames from f on.
    void FillWindow(uint32_t f, uint64_t nWant);

    CAudioMixer* m_pMixer;  // null once the mixer is destroyed
    const int m_nChannels;
    const int m_nRate;
    const uint32_t m_nFrames;
    std::vector<int16_t> m_Samples;  // the whole sound, unless streamed

    // A streamed buffer: its source, the decoded frames
    // [m_nWindowFirst, m_nDecoded) (m_nDecoded is the source's next frame) and a
    // copy of its first frame. Audio thread, under the lock.
    std::unique_ptr<CAudioStreamSource> m_pSource;
    std::vector<int16_t> m_Window;
    uint32_t m_nWindowFirst = 0;
    uint32_t m_nDecoded = 0;
    int16_t m_Frame0[2] = {0, 0};

    // Shared with the audio thread (guarded by the mixer's mutex).
    bool m_bPlaying = false;
    bool m_bHeld = false;  // playing, but not mixed (CAudioMixer::HoldPlaying)
    bool m_bLooping = false;
    uint64_t m_nPos = 0;   // frame position, 32.32 fixed point
    uint64_t m_nStep = 0;  // source frames per output frame, 32.32 fixed point
    int m_nVolume = 0;
    int m_nPan = 0;
    float m_fGainL = 1.0f;
    float m_fGainR = 1.0f;
};

class CAudioMixer {
public:
    // Optional tap that receives every block of mixed output, on the audio
    // thread, after the lock is released.
    class COutputTap {
    public:
        virtual ~COutputTap() = default;
        virtual void OnMixed(const int16_t* pStereo, int nFrames) = 0;
    };

    explicit CAudioMixer(int nOutputRate = 22050);
    // Buffers may outlive their mixer: they then keep their settings and play
    // nothing.
    ~CAudioMixer();
    CAudioMixer(const CAudioMixer&) = delete;
    CAudioMixer& operator=(const CAudioMixer&) = delete;

    int GetOutputRate() const { return m_nOutputRate; }

    // A new stopped buffer at position 0, volume 0, pan 0. Returns null for a
    // channel count other than 1 or 2, a rate outside 100 ... 200000 Hz, or
    // sample data that is not a whole number of frames.
    CAudioBuffer* CreateBuffer(int nChannels, int nRate, std::vector<int16_t> samples);
    // The same, for a sound of nFrames frames that pSource decodes while it
    // plays. Null also when the source gives no first frame.
    CAudioBuffer* CreateStreamBuffer(int nChannels, int nRate, uint32_t nFrames,
                                     std::unique_ptr<CAudioStreamSource> pSource);

    // Audio thread: writes nFrames interleaved stereo frames (saturated sum of
    // every playing buffer, through the limiter when it is on) and advances the
    // buffers.
    void Mix(int16_t* pOut, int nFrames);

    void SetTap(COutputTap* pTap);
    // Off by default: the plain saturating sum of a hardware mixer. The game
    // turns it on for what it plays, so that many loud voices at once never
    // clip (CPeakLimiter).
    void SetLimiter(bool bOn);

    // Holding: every buffer playing now stays where it is, still playing but
    // silent, until released; buffers started or stopped meanwhile are no
    // longer held.
    void HoldPlaying(bool bHold);

    int CountPlaying() const;

    // While muted the output is silence and no buffer advances: the game may
    // start and stop sounds at any pace meanwhile (a replay re-played unseen)
    // and nothing of it is heard.
    void SetMuted(bool bMuted) { m_bMuted = bMuted; }
    // Stops every buffer that holds its whole sound (the effects), keeping the
    // streamed ones (the music).
    void StopWholeSounds();
    // Output frames mixed so far: the clock of what has been heard.
    uint64_t GetFramesMixed() const { return m_nFramesMixed; }

private:
    friend class CAudioBuffer;
    static bool CanPlay(int nChannels, int nRate, uint64_t nFrames);
    CAudioBuffer* Register(CAudioBuffer* pBuffer);
    void Unregister(CAudioBuffer* pBuffer);

    const int m_nOutputRate;
    mutable std::mutex m_Mutex;
    std::vector<CAudioBuffer*> m_Buffers;  // creation order
    std::vector<float> m_Acc;              // scratch of one chunk
    COutputTap* m_pTap = nullptr;
    CPeakLimiter m_Limiter;
    bool m_bLimit = false;
    std::atomic<bool> m_bMuted{false};
    std::atomic<uint64_t> m_nFramesMixed{0};
    std::mutex m_OutputMutex;              // one Mix() at a time; guards the tap and the limiter
};
