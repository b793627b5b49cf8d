#include "sound/SoundSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/Util.h"
#include "platform/AudioDevice.h"
#include "platform/AudioMixer.h"
#include "platform/AudioWaveFile.h"
#include "platform/Resources.h"
#include "sound/OggDecoder.h"

namespace {
const char* const kLogFile = "log/dsound.txt";

// Pan of a source at x: the integer part of x, times 500 (x = 3.6 pans 1500).
// Clamped before the conversion so that no position can overflow it; the
// buffer clamps the result to fully left or right.
int PanOfX(float x)
{
    if (std::isnan(x))
        return 0;
    return static_cast<int>(std::clamp(x, -100.0f, 100.0f)) * 500;
}
}  // namespace

// ---------------------------------------------------------------------------
// CSoundSystem

CSoundSystem::CSoundSystem(void* /*pWindow*/, const std::string& captureFile)
    : m_strProgramDir(GetProgramDir())
{
    WriteLog(kLogFile, nullptr);
    m_pMixer = new CAudioMixer(SOUND_OUTPUT_RATE);
    m_pDevice = new CAudioDevice();
    const bool bOpen = m_pDevice->Open(m_pMixer, captureFile, [](const char* text) { WriteLog(kLogFile, text); });
    if (!bOpen) {
        // Nothing can drive a mixer: sounds stay unloaded and silent.
        WriteLog(kLogFile, "No sound output: every sound is silent.\n");
        delete m_pDevice;
        m_pDevice = nullptr;
        delete m_pMixer;
        m_pMixer = nullptr;
    }
}

CSoundSystem::CSoundSystem(Offline, int nRate) : m_bOffline(true), m_strProgramDir(GetProgramDir())
{
    WriteLog(kLogFile, nullptr);
    WriteLog(kLogFile, "Create Offline Mixer (headless: no sound device is opened).\n -> Finished.\n");
    m_pMixer = new CAudioMixer(nRate);
}

CSoundSystem::~CSoundSystem()
{
    delete m_pDevice;  // stops the audio thread before the mixer goes
    if (m_pMixer)
        m_pMixer->SetTap(nullptr);
    delete m_pOfflineCapture;
    delete m_pMixer;
}

bool CSoundSystem::IsAudible() const
{
    return m_pDevice && m_pDevice->IsOpen() && !m_pDevice->IsSilent();
}

bool CSoundSystem::IsCapturing() const
{
    if (m_pDevice)
        return m_pDevice->IsCapturing();
    return m_pOfflineCapture && m_pOfflineCapture->IsOpen();
}

void CSoundSystem::Render(int16_t* pOut, int nFrames)
{
    if (m_bOffline && m_pMixer)
        m_pMixer->Mix(pOut, nFrames);
}

bool CSoundSystem::OpenCapture(const std::string& path)
{
    if (!m_bOffline || !m_pMixer)
        return false;
    m_pMixer->SetTap(nullptr);
    delete m_pOfflineCapture;
    m_pOfflineCapture = new CWaveFileWriter();
    if (!m_pOfflineCapture->Open(path, m_pMixer->GetOutputRate()))
        return false;
    m_pMixer->SetTap(m_pOfflineCapture);
    return true;
}

// ---------------------------------------------------------------------------
// CSound

CSound::CSound(CSoundSystem* pSystem, const char* name, const char* type) : m_pSystem(pSystem)
{
    if (!pSystem || !pSystem->HasOutput() || !name || !type)
        return;
    std::vector<uint8_t> bytes;
    std::string overridePath;
    const EResourceOrigin origin = LoadResourceBytes(name, type, ".ogg", bytes, &overridePath);
    if (origin == RESOURCE_MISSING) {
        ReportUndefinedResource(type, name);
        return;
    }
    const std::string what = origin == RESOURCE_OVERRIDE ? overridePath : std::string(type) + " " + name;
    std::string error;
    if (!LoadOgg(bytes.data(), bytes.size(), what.c_str(), &error)) {
        const std::string text = "Damaged Sound " + what + ": " + error;
        WriteLog(kLogFile, (text + "\n").c_str());
        ShowResourceMessage(text.c_str());
    }
}

CSound::CSound(CSoundSystem* pSystem, const uint8_t* pOgg, size_t nSize, const char* label) : m_pSystem(pSystem)
{
    if (!pSystem || !pSystem->HasOutput())
        return;
    std::string error;
    if (!LoadOgg(pOgg, nSize, label ? label : "", &error)) {
        const std::string text = std::string("Damaged Sound ") + (label ? label : "") + ": " + error;
        WriteLog(kLogFile, (text + "\n").c_str());
    }
}

CSound::~CSound()
{
    delete m_pBuffer;
}

bool CSound::LoadOgg(const uint8_t* pOgg, size_t nSize, const char* /*what*/, std::string* pError)
{
    std::vector<uint8_t> image;
    if (!DecodeOggToWave(pOgg, nSize, image, pError))
        return false;
    SWaveInfo info;
    if (!ParseWaveImage(image.data(), image.size(), info, pError))
        return false;
    std::vector<int16_t> samples(info.nDataBytes / 2);
    std::memcpy(samples.data(), image.data() + info.nDataOffset, samples.size() * 2);
    image = std::vector<uint8_t>();  // free the image before the buffer holds its copy
    const uint32_t nBytes = static_cast<uint32_t>(samples.size() * 2);
    m_pBuffer = m_pSystem->GetMixer()->CreateBuffer(info.nChannels, info.nRate, std::move(samples));
    if (!m_pBuffer) {
        if (pError)
            *pError = "the sound buffer could not be created";
        return false;
    }
    m_nBytes = nBytes;
    return true;
}

void CSound::StartFromBeginning(bool bLoop)
{
    m_pBuffer->SetVolume(0);
    m_bFading = false;
    m_pBuffer->SetCurrentPosition(0);
    m_pBuffer->Play(bLoop ? SOUND_PLAY_LOOPING : 0u);
}

void CSound::Play()
{
    if (m_pBuffer)
        StartFromBeginning(false);
}

void CSound::PlayLoop()
{
    if (m_pBuffer)
        StartFromBeginning(true);
}

void CSound::PlayAt(const Vec3& pos)
{
    if (!m_pBuffer)
        return;
    m_pBuffer->SetPan(PanOfX(pos.x));
    Play();
}

void CSound::PlayAtVolume(const Vec3& pos, int nVolume)
{
    if (!m_pBuffer)
        return;
    m_pBuffer->SetPan(PanOfX(pos.x));
    m_pBuffer->SetVolume(nVolume);
    m_bFading = false;
    m_pBuffer->SetCurrentPosition(0);
    m_pBuffer->Play(0);
}

void CSound::Resume(bool bLoop)
{
    if (!m_pBuffer)
        return;
    m_pBuffer->SetVolume(0);
    m_bFading = false;
    m_pBuffer->Play(bLoop ? SOUND_PLAY_LOOPING : 0u);
}

void CSound::PlayThen(CSound* pNext, bool bLoop, int nFrames)
{
    Play();
    m_pChainNext = pNext;
    m_bChainLoop = bLoop;
    m_nChainDelay = nFrames;
}

void CSound::FadeOut()
{
    m_bFading = true;
}

bool CSound::StopIfPlaying()
{
    if (!m_pBuffer || (m_pBuffer->GetStatus() & SOUND_STATUS_PLAYING) == 0)
        return false;
    m_pBuffer->Stop();
    m_bFading = false;
    m_nChainDelay = 0;
    m_pChainNext = nullptr;
    return true;
}

void CSound::Reset()
{
    m_bFading = false;
    m_nChainDelay = 0;
    m_pChainNext = nullptr;
    m_bPausedByGroup = false;
    if (m_pBuffer) {
        m_pBuffer->Stop();
        m_pBuffer->SetVolume(0);
    }
}

void CSound::Update()
{
    CPausableObject::Update();
    if (m_bFading) {
        const int nVolume = (m_pBuffer ? m_pBuffer->GetVolume() : 0) - 10;
        if (m_pBuffer)
            m_pBuffer->SetVolume(nVolume);
        if (nVolume < -4999) {
            if (m_pBuffer)
                m_pBuffer->Stop();
            m_bFading = false;
        }
    }
    if (m_nChainDelay > 0) {
        --m_nChainDelay;
        if (m_nChainDelay == 0 && m_pChainNext) {
            CSound* pNext = m_pChainNext;
            m_pChainNext = nullptr;
            if (m_bChainLoop)
                pNext->PlayLoop();
            else
                pNext->Play();
        }
    }
}

void CSound::Pause()
{
    m_bPausedByGroup = StopIfPlaying();
}

void CSound::Resume()
{
    if (m_bPausedByGroup) {
        m_bPausedByGroup = false;
        Resume(true);
    }
}

bool CSound::IsPlaying() const
{
    return m_pBuffer && (m_pBuffer->GetStatus() & SOUND_STATUS_PLAYING) != 0;
}

int CSound::GetVolume() const
{
    return m_pBuffer ? m_pBuffer->GetVolume() : 0;
}

int CSound::GetPan() const
{
    return m_pBuffer ? m_pBuffer->GetPan() : 0;
}

uint32_t CSound::GetPosition() const
{
    return m_pBuffer ? m_pBuffer->GetCurrentPosition() : 0;
}
