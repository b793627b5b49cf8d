// Writes the mixer's output to a 16-bit PCM WAVE file, exactly as the speakers
// get it, so that a run without a window or a sound card can still be heard and
// measured ("--audio-out FILE.wav").
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/AudioMixer.h"

class CWaveFileWriter : public CAudioMixer::COutputTap {
public:
    CWaveFileWriter() = default;
    ~CWaveFileWriter() override;
    CWaveFileWriter(const CWaveFileWriter&) = delete;
    CWaveFileWriter& operator=(const CWaveFileWriter&) = delete;

    // Creates (or empties) the file and writes a header for an empty stereo
    // 16-bit stream at nRate. False when the file cannot be created.
    bool Open(const std::string& path, int nRate);
    // Appends interleaved stereo frames (called on the audio thread). The header
    // is brought up to date about once a second, so that a run that is killed
    // still leaves a playable file.
    void OnMixed(const int16_t* pStereo, int nFrames) override;
    // Completes the header and closes the file.
    void Close();

    bool IsOpen() const { return m_pFile != nullptr; }
    uint64_t GetFramesWritten() const { return m_nFrames; }

private:
    void WriteHeader();

    std::FILE* m_pFile = nullptr;
    int m_nRate = 0;
    uint64_t m_nFrames = 0;
    uint64_t m_nFramesAtHeader = 0;
    bool m_bFull = false;
};
