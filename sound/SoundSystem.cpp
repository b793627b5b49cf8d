#include "sound/SoundSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
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

CSoundSystem* g_pSoundDevice = nullptr;

// ---------------------------------------------------------------------------
// CSoundSystem

CSoundSystem::CSoundSystem(void* /*pWindow*/, const std::string& captureFile, bool bStepped)
    : m_bStepped(bStepped), m_strProgramDir(GetProgramDir())
{
    WriteLog(kLogFile, nullptr);
    m_pMixer = new CAudioMixer(SOUND_OUTPUT_RATE);
    m_pMixer->SetLimiter(true);
    m_pDevice = new CAudioDevice();
    const bool bOpen =
        m_pDevice->Open(m_pMixer, captureFile, [](const char* text) { WriteLog(kLogFile, text); }, bStepped);
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
    m_pMixer->SetLimiter(true);  // heard (and captured) as a device would play it
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
    if (!m_pMixer || (!m_bOffline && !m_bStepped))
        return;
    m_pMixer->Mix(pOut, nFrames);
    if (m_bStepped && m_pDevice)
        m_pDevice->Queue(pOut, nFrames);
}

void CSoundSystem::Hold(bool bHold)
{
    if (m_pMixer)
        m_pMixer->HoldPlaying(bHold);
}

void CSoundSystem::SetMuted(bool bMuted)
{
    if (m_pMixer)
        m_pMixer->SetMuted(bMuted);
}

void CSoundSystem::CutEffects()
{
    if (m_pMixer)
        m_pMixer->StopWholeSounds();
}

bool CSoundSystem::TakeEffectStart(uint64_t& nLastStartFrame) const
{
    if (m_nSpacingMs <= 0 || !m_pMixer)
        return true;
    const uint64_t now = m_pMixer->GetFramesMixed();
    const uint64_t spacing = static_cast<uint64_t>(m_nSpacingMs) * static_cast<uint64_t>(m_pMixer->GetOutputRate()) / 1000u;
    if (nLastStartFrame != ~uint64_t{0} && now >= nLastStartFrame && now - nLastStartFrame < spacing)
        return false;
    nLastStartFrame = now;
    return true;
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
    const EStorage storage = std::strcmp(type, "BGM") == 0 ? EStorage::Streamed : EStorage::Decoded;
    std::string error;
    if (!Load(std::move(bytes), storage, &error)) {
        const std::string text = "Damaged Sound " + what + ": " + error;
        WriteLog(kLogFile, (text + "\n").c_str());
        ShowResourceMessage(text.c_str());
    }
}

CSound::CSound(CSoundSystem* pSystem, const uint8_t* pOgg, size_t nSize, const char* label, EStorage storage)
    : m_pSystem(pSystem)
{
    if (!pSystem || !pSystem->HasOutput())
        return;
    std::string error;
    std::vector<uint8_t> bytes;
    if (pOgg)
        bytes.assign(pOgg, pOgg + nSize);
    if (!Load(std::move(bytes), storage, &error)) {
        const std::string text = std::string("Damaged Sound ") + (label ? label : "") + ": " + error;
        WriteLog(kLogFile, (text + "\n").c_str());
    }
}

CSound::~CSound()
{
    delete m_pBuffer;
}

bool CSound::Load(std::vector<uint8_t>&& ogg, EStorage storage, std::string* pError)
{
    if (!(storage == EStorage::Streamed ? LoadStreamed(std::move(ogg), pError) : LoadDecoded(ogg, pError)))
        return false;
    m_nBytes = m_pBuffer->GetBytes();
    return true;
}

bool CSound::LoadDecoded(const std::vector<uint8_t>& ogg, std::string* pError)
{
    std::vector<uint8_t> image;
    if (!DecodeOggToWave(ogg.data(), ogg.size(), image, pError))
        return false;
    SWaveInfo info;
    if (!ParseWaveImage(image.data(), image.size(), info, pError))
        return false;
    std::vector<int16_t> samples(info.nDataBytes / 2);
    std::memcpy(samples.data(), image.data() + info.nDataOffset, samples.size() * 2);
    image = std::vector<uint8_t>();  // free the image before the buffer holds its copy
    m_pBuffer = m_pSystem->GetMixer()->CreateBuffer(info.nChannels, info.nRate, std::move(samples));
    if (!m_pBuffer && pError)
        *pError = "the sound buffer could not be created";
    return m_pBuffer != nullptr;
}

namespace {

// Music decoded while it plays, from its own copy of the Ogg data.
class COggStreamSource : public CAudioStreamSource {
public:
    explicit COggStreamSource(std::vector<uint8_t>&& ogg) : m_Ogg(std::move(ogg)) {}
    bool Open(std::string* pError) { return m_Reader.Open(m_Ogg.data(), m_Ogg.size(), pError); }
    bool Rewind() override { return Open(nullptr); }
    int Read(int16_t* pOut, int nFrames) override { return m_Reader.Read(pOut, nFrames); }
    const COggVorbisReader& Reader() const { return m_Reader; }

private:
    std::vector<uint8_t> m_Ogg;
    COggVorbisReader m_Reader;
};

}  // namespace

bool CSound::LoadStreamed(std::vector<uint8_t>&& ogg, std::string* pError)
{
    auto pSource = std::make_unique<COggStreamSource>(std::move(ogg));
    if (!pSource->Open(pError))
        return false;
    const int nChannels = pSource->Reader().Channels();
    const int nRate = static_cast<int>(pSource->Reader().Rate());
    // Its length, decoded once through (the frames are dropped): the same count
    // as the whole decoding gives, which positions and loops need.
    const uint64_t nLimit = kMaxDecodedPcmBytes / (2u * static_cast<uint64_t>(nChannels));
    uint64_t nFrames = 0;
    for (int n; nFrames <= nLimit && (n = pSource->Read(nullptr, 1 << 20)) > 0;)
        nFrames += static_cast<uint64_t>(n);
    if (nFrames == 0 || nFrames > nLimit || nFrames > 0xFFFFFFFFu) {
        if (pError)
            *pError = nFrames == 0 ? "the Vorbis stream holds no sound" : "the decoded sound is too long";
        return false;
    }
    if (!pSource->Rewind()) {
        if (pError)
            *pError = "the Vorbis stream cannot be read again";
        return false;
    }
    m_pBuffer = m_pSystem->GetMixer()->CreateStreamBuffer(nChannels, nRate, static_cast<uint32_t>(nFrames),
                                                          std::move(pSource));
    if (!m_pBuffer && pError)
        *pError = "the sound buffer could not be created";
    return m_pBuffer != nullptr;
}

void CSound::StartFromBeginning(bool bLoop)
{
    m_pBuffer->SetVolume(0);
    m_bFading = false;
    m_pBuffer->SetCurrentPosition(0);
    m_pBuffer->Play(bLoop ? SOUND_PLAY_LOOPING : 0u);
}

bool CSound::MayStartEffect() { return !m_pSystem || m_pSystem->TakeEffectStart(m_nLastStartFrame); }

void CSound::Play()
{
    if (m_pBuffer && MayStartEffect())
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
    if (!m_pBuffer || !MayStartEffect())
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
