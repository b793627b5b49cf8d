// The sound system: one output device with its mixer, and the sounds played on
// it. Effects are decoded completely from Ogg Vorbis when they are loaded and
// kept as 16-bit PCM in a static buffer of the mixer; music keeps only its Ogg
// data and is decoded while it plays, a little ahead, by the mixer (minutes of
// PCM would be tens of MiB). Both behave alike to the sample.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Math.h"
#include "core/Object.h"

class CAudioBuffer;
class CAudioDevice;
class CAudioMixer;
class CWaveFileWriter;

// Output format of the mixer (the speakers may run at another rate; SDL
// resamples behind the mixer then).
constexpr int SOUND_OUTPUT_RATE = 22050;

class CSoundSystem {
public:
    // Opens the default sound device at 22050 Hz, 16-bit stereo and logs every
    // step to "log/dsound.txt" (emptied first). Without a usable device the
    // mixer runs on a silent output, so sounds still play and end on time. When
    // captureFile is not empty ("--audio-out"), the mixed output is also
    // written there as a WAVE file. pWindow is not needed by this layer.
    // Stepped, the game mixes (Render) and the device plays what it mixed: the
    // sound then keeps to the game's steps (a video's).
    explicit CSoundSystem(void* pWindow = nullptr, const std::string& captureFile = std::string(),
                          bool bStepped = false);
    // A system whose mixer nothing drives: Render() pulls its output. Logs
    // nothing. For tests and tools.
    struct Offline {};
    CSoundSystem(Offline, int nRate = SOUND_OUTPUT_RATE);
    ~CSoundSystem();  // sounds deleted later stay silent
    CSoundSystem(const CSoundSystem&) = delete;
    CSoundSystem& operator=(const CSoundSystem&) = delete;

    // The mixer sounds are created in; null when no output exists at all, in
    // which case every sound stays silent and unloaded.
    CAudioMixer* GetMixer() const { return m_pMixer; }
    bool HasOutput() const { return m_pMixer != nullptr; }
    // True when a real (audible) device is open.
    bool IsAudible() const;
    // True when the mixed output goes to a WAVE file too.
    bool IsCapturing() const;
    const std::string& GetProgramFolder() const { return m_strProgramDir; }

    // Offline and stepped systems only: mixes nFrames stereo frames into pOut
    // (and into the capture file; a stepped system also plays them). Does
    // nothing on a device-driven system.
    void Render(int16_t* pOut, int nFrames);
    bool OpenCapture(const std::string& path);  // offline systems only

    // While held, every sound playing now stays silent at its sample and goes
    // on from there when released (the game is paused).
    void Hold(bool bHold);

    // While muted nothing is heard and no sound advances (a replay re-played
    // unseen to a point); CutEffects then stops every effect it started, the
    // music plays on.
    void SetMuted(bool bMuted);
    void CutEffects();

    // A replay watched fast starts effects faster than they can be heard: while
    // a spacing is set, an effect that started less than nMs of heard output
    // ago is not started again (0: every start plays). CSound asks through
    // TakeEffectStart with the output frame of its last start.
    void SetEffectSpacing(int nMs) { m_nSpacingMs = nMs; }
    int GetEffectSpacing() const { return m_nSpacingMs; }
    bool TakeEffectStart(uint64_t& nLastStartFrame) const;

private:
    int m_nSpacingMs = 0;
    CAudioMixer* m_pMixer = nullptr;
    CAudioDevice* m_pDevice = nullptr;
    CWaveFileWriter* m_pOfflineCapture = nullptr;
    bool m_bOffline = false;
    bool m_bStepped = false;
    std::string m_strProgramDir;
};

// The game's sound system; null until the program entry creates it.
extern CSoundSystem* g_pSoundDevice;

// One sound (music or effect). A CObject so that the sound and music lists can
// run its fade-out and its chained follow-up sound once per frame.
class CSound : public CPausableObject {
public:
    // How a sound keeps its samples.
    enum class EStorage { Decoded, Streamed };

    // Loads the sound "name" of type "SE" or "BGM" (streamed): the override
    // file type/<number>.ogg beside the program when it exists, else the library
    // resource. A missing resource shows "Undefined Resource %s %s"; a damaged
    // one is reported likewise; either way the sound stays silent.
    CSound(CSoundSystem* pSystem, const char* name, const char* type);
    // Loads from Ogg Vorbis bytes in memory (label names it in messages).
    CSound(CSoundSystem* pSystem, const uint8_t* pOgg, size_t nSize, const char* label,
           EStorage storage = EStorage::Decoded);
    ~CSound() override;

    // Volume 0, fade cancelled, from the beginning, once.
    void Play();
    // Volume 0, fade cancelled, from the beginning, looping (music).
    void PlayLoop();
    // Pan := (integer part of pos.x) x 500, then Play().
    void PlayAt(const Vec3& pos);
    // Pan as PlayAt, the given volume (hundredths of a decibel), fade cancelled,
    // from the beginning, once.
    void PlayAtVolume(const Vec3& pos, int nVolume);
    // Volume 0, fade cancelled, on from the current position.
    void Resume(bool bLoop);
    // Play() now, and start next from its beginning at full volume (looping
    // when bLoop) nFrames updates later.
    void PlayThen(CSound* pNext, bool bLoop, int nFrames);
    // Lowers the volume by 10 each update; stops below -4999 (500 updates from
    // full volume).
    void FadeOut();
    // Stops a playing sound (keeping its position), cancels fade and chain.
    bool StopIfPlaying();

    // Slot 1: stops the sound (keeping its position), full volume, fade and
    // chain cancelled.
    void Reset() override;
    // Slot 12: the base update, then the fade and the chain.
    void Update() override;
    // The music list's group pause: stop if playing and remember it; Resume()
    // then plays on (looping) only what the pause stopped.
    void Pause() override;
    void Resume() override;

    bool IsLoaded() const { return m_pBuffer != nullptr; }
    bool IsPlaying() const;
    int GetVolume() const;
    int GetPan() const;
    uint32_t GetPosition() const;  // byte offset of the play cursor

    // Fields in their fixed order.
    CSoundSystem* m_pSystem = nullptr;
    uint32_t m_nBytes = 0;
    bool m_bFading = false;
    int32_t m_nChainDelay = 0;
    CSound* m_pChainNext = nullptr;
    bool m_bChainLoop = false;
    CAudioBuffer* m_pBuffer = nullptr;

private:
    bool Load(std::vector<uint8_t>&& ogg, EStorage storage, std::string* pError);
    bool LoadDecoded(const std::vector<uint8_t>& ogg, std::string* pError);
    bool LoadStreamed(std::vector<uint8_t>&& ogg, std::string* pError);
    void StartFromBeginning(bool bLoop);
    // An effect's start, unless the system thins it (SetEffectSpacing).
    bool MayStartEffect();
    bool m_bPausedByGroup = false;
    uint64_t m_nLastStartFrame = ~uint64_t{0};
};
