#include "platform/AudioMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr int kChunkFrames = 1024;
constexpr uint64_t kOne = uint64_t(1) << 32;
}  // namespace

float AttenuationToGain(int nHundredthsDb)
{
    if (nHundredthsDb <= SOUND_VOLUME_MIN)
        return 0.0f;
    if (nHundredthsDb >= 0)
        return 1.0f;
    return static_cast<float>(std::pow(10.0, nHundredthsDb / 2000.0));
}

// ---------------------------------------------------------------------------
// CAudioBuffer

CAudioBuffer::CAudioBuffer(CAudioMixer* pMixer, int nChannels, int nRate, uint32_t nFrames,
                           std::vector<int16_t>&& samples, std::unique_ptr<CAudioStreamSource> pSource)
    : m_pMixer(pMixer),
      m_nChannels(nChannels),
      m_nRate(nRate),
      m_nFrames(nFrames),
      m_Samples(std::move(samples)),
      m_pSource(std::move(pSource))
{
    // Rational step computed once, so a 22050 Hz sound on a 22050 Hz mixer steps
    // by exactly one frame and takes the copying path.
    m_nStep = (static_cast<uint64_t>(nRate) << 32) / static_cast<uint64_t>(pMixer->GetOutputRate());
    if (m_pSource) {
        // Room for what one chunk of output reads, and the frame after it.
        const uint64_t nCapacity = ((static_cast<uint64_t>(kChunkFrames) * m_nStep) >> 32) + 3;
        m_Window.resize(static_cast<size_t>(nCapacity) * static_cast<size_t>(nChannels));
    }
}

CAudioBuffer::~CAudioBuffer()
{
    if (m_pMixer)
        m_pMixer->Unregister(this);
}

std::unique_lock<std::mutex> CAudioBuffer::Lock() const
{
    // A buffer that outlived its mixer has no audio thread left to guard against.
    return m_pMixer ? std::unique_lock<std::mutex>(m_pMixer->m_Mutex) : std::unique_lock<std::mutex>();
}

bool CAudioBuffer::Play(uint32_t nFlags)
{
    const std::unique_lock<std::mutex> lock = Lock();
    m_bLooping = (nFlags & SOUND_PLAY_LOOPING) != 0;
    m_bPlaying = m_nFrames > 0;
    m_bHeld = false;
    return true;
}

void CAudioBuffer::Stop()
{
    const std::unique_lock<std::mutex> lock = Lock();
    m_bPlaying = false;
    m_bHeld = false;
}

void CAudioBuffer::SetCurrentPosition(uint32_t nBytes)
{
    const std::unique_lock<std::mutex> lock = Lock();
    uint32_t nFrame = nBytes / static_cast<uint32_t>(m_nChannels * 2);
    if (nFrame >= m_nFrames)
        nFrame = 0;
    m_nPos = static_cast<uint64_t>(nFrame) << 32;
}

uint32_t CAudioBuffer::GetCurrentPosition() const
{
    const std::unique_lock<std::mutex> lock = Lock();
    return static_cast<uint32_t>(m_nPos >> 32) * static_cast<uint32_t>(m_nChannels * 2);
}

bool CAudioBuffer::SetVolume(int nVolume)
{
    const bool bInRange = nVolume >= SOUND_VOLUME_MIN && nVolume <= SOUND_VOLUME_MAX;
    nVolume = std::clamp(nVolume, SOUND_VOLUME_MIN, SOUND_VOLUME_MAX);
    const std::unique_lock<std::mutex> lock = Lock();
    m_nVolume = nVolume;
    UpdateGains();
    return bInRange;
}

int CAudioBuffer::GetVolume() const
{
    const std::unique_lock<std::mutex> lock = Lock();
    return m_nVolume;
}

bool CAudioBuffer::SetPan(int nPan)
{
    const bool bInRange = nPan >= SOUND_PAN_LEFT && nPan <= SOUND_PAN_RIGHT;
    nPan = std::clamp(nPan, SOUND_PAN_LEFT, SOUND_PAN_RIGHT);
    const std::unique_lock<std::mutex> lock = Lock();
    m_nPan = nPan;
    UpdateGains();
    return bInRange;
}

int CAudioBuffer::GetPan() const
{
    const std::unique_lock<std::mutex> lock = Lock();
    return m_nPan;
}

uint32_t CAudioBuffer::GetStatus() const
{
    const std::unique_lock<std::mutex> lock = Lock();
    if (!m_bPlaying)
        return 0;
    return SOUND_STATUS_PLAYING | (m_bLooping ? SOUND_STATUS_LOOPING : 0u);
}

void CAudioBuffer::UpdateGains()
{
    // Pan never boosts: it only attenuates the channel on the far side, and its
    // attenuation adds to the volume's.
    m_fGainL = AttenuationToGain(m_nVolume - std::max(m_nPan, 0));
    m_fGainR = AttenuationToGain(m_nVolume + std::min(m_nPan, 0));
}

void CAudioBuffer::MixInto(float* pAcc, int nFrames)
{
    const uint64_t nEnd = static_cast<uint64_t>(m_nFrames) << 32;
    int i = 0;
    while (i < nFrames && m_bPlaying) {
        const int nBefore = i;
        i = MixFrames(pAcc, i, nFrames, FramesFrom(static_cast<uint32_t>(m_nPos >> 32), nFrames - i));
        if (m_nPos >= nEnd) {
            if (m_bLooping) {
                m_nPos %= nEnd;
            } else {
                // A finished one-shot stops by itself and rewinds.
                m_bPlaying = false;
                m_nPos = 0;
            }
        } else if (i == nBefore) {
            // A stream whose data gave out before its length: it ends here.
            m_bPlaying = false;
            m_nPos = 0;
        }
    }
}

int CAudioBuffer::MixFrames(float* pAcc, int i, int nFrames, const SFrames& src)
{
    const float gL = m_fGainL;
    const float gR = m_fGainR;
    const bool bAudible = gL != 0.0f || gR != 0.0f;
    const uint64_t nEnd = static_cast<uint64_t>(m_nFrames) << 32;
    const size_t nChannels = static_cast<size_t>(m_nChannels);
    auto frame = [&](uint32_t f) { return src.pData + static_cast<size_t>(f - src.nFirst) * nChannels; };
    if (m_nStep == kOne && (m_nPos & (kOne - 1)) == 0) {
        // Same rate as the output: copy whole frames up to the end of the data
        // (or of what is at hand).
        const uint32_t nFrame = static_cast<uint32_t>(m_nPos >> 32);
        if (nFrame < src.nFirst || nFrame >= src.nEnd)
            return i;
        const int n = static_cast<int>(std::min<uint64_t>(src.nEnd - nFrame, static_cast<uint64_t>(nFrames - i)));
        if (bAudible) {
            float* a = pAcc + 2 * i;
            const int16_t* p = frame(nFrame);
            if (m_nChannels == 1) {
                for (int k = 0; k < n; ++k) {
                    const float v = p[k];
                    a[2 * k] += v * gL;
                    a[2 * k + 1] += v * gR;
                }
            } else {
                for (int k = 0; k < n; ++k) {
                    a[2 * k] += p[2 * k] * gL;
                    a[2 * k + 1] += p[2 * k + 1] * gR;
                }
            }
        }
        m_nPos += static_cast<uint64_t>(n) << 32;
        return i + n;
    }
    // Other rates: linear interpolation between neighbouring frames. The frame
    // after the last is the first one when looping, else silence.
    for (; i < nFrames && m_nPos < nEnd; ++i) {
        const uint32_t f0 = static_cast<uint32_t>(m_nPos >> 32);
        const bool bLast = f0 + 1 >= m_nFrames;
        if (f0 < src.nFirst || f0 >= src.nEnd || (!bLast && f0 + 1 >= src.nEnd))
            break;  // beyond what is at hand
        const bool bNext = !bLast || m_bLooping;
        const int16_t* p0 = frame(f0);
        const int16_t* p1 = bLast ? src.pFrame0 : p0 + nChannels;
        const float t = static_cast<float>(m_nPos & (kOne - 1)) * (1.0f / 4294967296.0f);
        if (bAudible) {
            if (m_nChannels == 1) {
                const float a0 = p0[0];
                const float a1 = bNext ? p1[0] : 0.0f;
                const float v = a0 + (a1 - a0) * t;
                pAcc[2 * i] += v * gL;
                pAcc[2 * i + 1] += v * gR;
            } else {
                const float l0 = p0[0];
                const float r0 = p0[1];
                const float l1 = bNext ? p1[0] : 0.0f;
                const float r1 = bNext ? p1[1] : 0.0f;
                pAcc[2 * i] += (l0 + (l1 - l0) * t) * gL;
                pAcc[2 * i + 1] += (r0 + (r1 - r0) * t) * gR;
            }
        }
        m_nPos += m_nStep;
    }
    return i;
}

CAudioBuffer::SFrames CAudioBuffer::FramesFrom(uint32_t f, int nOut)
{
    if (!m_pSource)
        return {m_Samples.data(), 0, m_nFrames, m_Samples.data()};
    // The source frames nOut output frames reach from the current position, and
    // the one after to interpolate toward.
    const uint64_t nWant = (((m_nPos & (kOne - 1)) + static_cast<uint64_t>(nOut) * m_nStep) >> 32) + 2;
    FillWindow(f, nWant);
    return {m_Window.data(), m_nWindowFirst, m_nDecoded, m_Frame0};
}

void CAudioBuffer::FillWindow(uint32_t f, uint64_t nWant)
{
    const size_t nChannels = static_cast<size_t>(m_nChannels);
    const uint32_t nCapacity = static_cast<uint32_t>(m_Window.size() / nChannels);
    if (f < m_nWindowFirst || f > m_nDecoded) {
        // Elsewhere in the sound (a rewind, a loop, a new position): decode
        // again from the start if f lies behind, then on up to f.
        if (f < m_nDecoded) {
            m_nDecoded = 0;
            if (!m_pSource->Rewind()) {
                m_nWindowFirst = m_nDecoded = m_nFrames;  // nothing more to hear
                return;
            }
        }
        while (m_nDecoded < f) {
            const int n = m_pSource->Read(m_Window.data(), static_cast<int>(std::min(f - m_nDecoded, nCapacity)));
            if (n <= 0)
                break;
            m_nDecoded += static_cast<uint32_t>(n);
        }
        m_nWindowFirst = m_nDecoded;
        if (m_nDecoded < f)
            return;  // the data gave out before f
    } else if (f > m_nWindowFirst) {
        // Frames before f have been heard.
        std::memmove(m_Window.data(), m_Window.data() + static_cast<size_t>(f - m_nWindowFirst) * nChannels,
                     static_cast<size_t>(m_nDecoded - f) * nChannels * sizeof(int16_t));
        m_nWindowFirst = f;
    }
    const uint64_t nTarget = std::min<uint64_t>({nWant, nCapacity, m_nFrames - f});
    while (m_nDecoded - f < nTarget) {
        const uint32_t nHave = m_nDecoded - f;
        const int n = m_pSource->Read(m_Window.data() + static_cast<size_t>(nHave) * nChannels,
                                      static_cast<int>(nTarget - nHave));
        if (n <= 0)
            break;
        m_nDecoded += static_cast<uint32_t>(n);
    }
}

// ---------------------------------------------------------------------------
// CAudioMixer

CAudioMixer::CAudioMixer(int nOutputRate)
    : m_nOutputRate(nOutputRate > 0 ? nOutputRate : 22050), m_Acc(2 * kChunkFrames), m_Limiter(m_nOutputRate)
{
}

CAudioMixer::~CAudioMixer()
{
    // Buffers still alive (deleted later in a shut-down) stop talking to us.
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (CAudioBuffer* p : m_Buffers) {
        p->m_pMixer = nullptr;
        p->m_bPlaying = false;
    }
    m_Buffers.clear();
}

bool CAudioMixer::CanPlay(int nChannels, int nRate, uint64_t nFrames)
{
    // Byte positions are 32-bit, as in the game's sound interface.
    return nChannels >= 1 && nChannels <= 2 && nRate >= 100 && nRate <= 200000 &&
           nFrames * static_cast<uint64_t>(nChannels) <= 0x7FFFFFFFu / 2u;
}

CAudioBuffer* CAudioMixer::Register(CAudioBuffer* pBuffer)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Buffers.push_back(pBuffer);
    return pBuffer;
}

CAudioBuffer* CAudioMixer::CreateBuffer(int nChannels, int nRate, std::vector<int16_t> samples)
{
    if (nChannels < 1 || samples.size() % static_cast<size_t>(nChannels) != 0)
        return nullptr;
    const uint64_t nFrames = samples.size() / static_cast<size_t>(nChannels);
    if (!CanPlay(nChannels, nRate, nFrames))
        return nullptr;
    return Register(new CAudioBuffer(this, nChannels, nRate, static_cast<uint32_t>(nFrames), std::move(samples),
                                     nullptr));
}

CAudioBuffer* CAudioMixer::CreateStreamBuffer(int nChannels, int nRate, uint32_t nFrames,
                                              std::unique_ptr<CAudioStreamSource> pSource)
{
    if (!pSource || nFrames == 0 || !CanPlay(nChannels, nRate, nFrames))
        return nullptr;
    // The first frame is kept: a loop goes back to it before the source does.
    int16_t frame0[2] = {0, 0};
    if (pSource->Read(frame0, 1) != 1 || !pSource->Rewind())
        return nullptr;
    auto* pBuffer = new CAudioBuffer(this, nChannels, nRate, nFrames, std::vector<int16_t>(), std::move(pSource));
    pBuffer->m_Frame0[0] = frame0[0];
    pBuffer->m_Frame0[1] = frame0[1];
    return Register(pBuffer);
}

void CAudioMixer::Unregister(CAudioBuffer* pBuffer)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto it = std::find(m_Buffers.begin(), m_Buffers.end(), pBuffer);
    if (it != m_Buffers.end())
        m_Buffers.erase(it);
}

void CAudioMixer::SetTap(COutputTap* pTap)
{
    std::lock_guard<std::mutex> lock(m_OutputMutex);
    m_pTap = pTap;
}

void CAudioMixer::SetLimiter(bool bOn)
{
    std::lock_guard<std::mutex> lock(m_OutputMutex);
    m_bLimit = bOn;
}

void CAudioMixer::HoldPlaying(bool bHold)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (CAudioBuffer* p : m_Buffers)
        p->m_bHeld = bHold && p->m_bPlaying;
}

void CAudioMixer::StopWholeSounds()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (CAudioBuffer* p : m_Buffers) {
        if (p->m_pSource) continue;
        p->m_bPlaying = false;
        p->m_bHeld = false;
    }
}

int CAudioMixer::CountPlaying() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    int n = 0;
    for (const CAudioBuffer* p : m_Buffers)
        n += p->m_bPlaying ? 1 : 0;
    return n;
}

void CAudioMixer::Mix(int16_t* pOut, int nFrames)
{
    std::lock_guard<std::mutex> outputLock(m_OutputMutex);
    m_nFramesMixed += static_cast<uint64_t>(std::max(nFrames, 0));
    if (m_bMuted) {
        std::fill(pOut, pOut + 2 * std::max(nFrames, 0), int16_t{0});
        if (m_pTap && nFrames > 0)
            m_pTap->OnMixed(pOut, nFrames);
        return;
    }
    int nDone = 0;
    while (nDone < nFrames) {
        const int n = std::min(kChunkFrames, nFrames - nDone);
        float* acc = m_Acc.data();
        std::fill(acc, acc + 2 * n, 0.0f);
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            for (CAudioBuffer* p : m_Buffers) {
                if (p->m_bPlaying && !p->m_bHeld)
                    p->MixInto(acc, n);
            }
        }
        if (m_bLimit)
            m_Limiter.Process(acc, n);
        // Saturate like the hardware mixer; never normalise by the voice count.
        int16_t* out = pOut + 2 * nDone;
        for (int k = 0; k < 2 * n; ++k) {
            const float v = std::clamp(acc[k], -32768.0f, 32767.0f);
            out[k] = static_cast<int16_t>(v);
        }
        if (m_pTap)
            m_pTap->OnMixed(out, n);
        nDone += n;
    }
}
