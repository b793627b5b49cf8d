// The sound output: SDL's default audio device, fed by a CAudioMixer from SDL's
// audio thread. Opened for 22050 Hz, 16-bit stereo; when the device runs at
// another rate or format SDL converts (and resamples) behind the callback.
//
// When no sound device can be opened, SDL's silent driver takes its place: the
// mixer then still runs in real time (sounds play, end and report their status
// as usual, and the capture file is written), nothing is heard.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/AudioMixer.h"
#include "platform/AudioWaveFile.h"

class CAudioDevice {
public:
    using LogFn = std::function<void(const char*)>;

    CAudioDevice() = default;
    ~CAudioDevice();
    CAudioDevice(const CAudioDevice&) = delete;
    CAudioDevice& operator=(const CAudioDevice&) = delete;

    // Opens the output and starts mixing from pMixer (whose rate is asked for).
    // capturePath, when not empty, also receives the mixed output as a WAVE file.
    // Every step is reported through log as one "what\n" line followed by
    // " -> Finished.\n" or " -> Failed.\n" (with the reason in brackets).
    // Returns false only when not even the silent driver could be started.
    // Queued, the device does not call the mixer: the game mixes and hands it
    // the frames (Queue), as when the sound must keep to a video's steps.
    bool Open(CAudioMixer* pMixer, const std::string& capturePath, const LogFn& log, bool bQueued = false);
    // Queued devices: frames to play after those queued before. Beyond a
    // quarter of a second ahead they are dropped, so that a game running
    // faster than real time never piles up a delay.
    void Queue(const int16_t* pStereo, int nFrames);
    void Close();

    bool IsOpen() const { return m_nDevice != 0; }
    bool IsSilent() const { return m_bSilent; }   // no speaker behind the output
    bool IsCapturing() const { return m_Capture.IsOpen(); }
    const std::string& GetDriverName() const { return m_Driver; }
    int GetDeviceRate() const { return m_nDeviceRate; }

private:
    static void Callback(void* pUser, uint8_t* pStream, int nLen);
    bool OpenOn(const LogFn& log);

    CAudioMixer* m_pMixer = nullptr;
    uint32_t m_nDevice = 0;
    bool m_bSubsystem = false;
    bool m_bSilent = false;
    bool m_bOwnDriver = false;  // the silent driver was started by us
    bool m_bQueued = false;
    int m_nDeviceRate = 0;
    std::string m_Driver;
    CWaveFileWriter m_Capture;
};
