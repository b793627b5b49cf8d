#include "platform/AudioDevice.h"

#include <SDL.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {
void LogLine(const CAudioDevice::LogFn& log, const std::string& s)
{
    if (log)
        log(s.c_str());
}
}  // namespace

CAudioDevice::~CAudioDevice()
{
    Close();
}

void CAudioDevice::Callback(void* pUser, uint8_t* pStream, int nLen)
{
    CAudioDevice* self = static_cast<CAudioDevice*>(pUser);
    // Opened for 16-bit stereo without allowed changes: SDL converts behind us.
    self->m_pMixer->Mix(reinterpret_cast<int16_t*>(pStream), nLen / 4);
}

bool CAudioDevice::OpenOn(const LogFn& log)
{
    SDL_AudioSpec want;
    SDL_AudioSpec have;
    SDL_zero(want);
    SDL_zero(have);
    want.freq = m_pMixer->GetOutputRate();
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 512;  // about 23 ms at 22050 Hz
    want.callback = m_bQueued ? nullptr : &CAudioDevice::Callback;
    want.userdata = m_bQueued ? nullptr : this;
    m_nDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_nDevice == 0) {
        LogLine(log, std::string(" -> Failed. (") + SDL_GetError() + ")\n");
        return false;
    }
    m_nDeviceRate = have.freq;
    const char* pDriver = SDL_GetCurrentAudioDriver();
    m_Driver = pDriver ? pDriver : "";
    m_bSilent = m_Driver == "dummy" || m_Driver == "disk";
    LogLine(log, m_bSilent ? " -> Finished. (every sound is silent)\n" : " -> Finished.\n");
    return true;
}

bool CAudioDevice::Open(CAudioMixer* pMixer, const std::string& capturePath, const LogFn& log, bool bQueued)
{
    Close();
    m_pMixer = pMixer;
    m_bQueued = bQueued;

    LogLine(log, "Initialize Audio.\n");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        m_bSubsystem = true;
        const char* pDriver = SDL_GetCurrentAudioDriver();
        LogLine(log, std::string(" -> Finished. (driver ") + (pDriver ? pDriver : "?") + ")\n");

        // The first ten output devices, as the game has always listed them.
        LogLine(log, "Enumerate Sound Devices.\n");
        const int nDevices = SDL_GetNumAudioDevices(0);
        for (int i = 0; i < nDevices && i < 10; ++i) {
            const char* pName = SDL_GetAudioDeviceName(i, 0);
            LogLine(log, std::string("  ") + (pName ? pName : "(unnamed)") + "\n");
        }
        LogLine(log, " -> Finished.\n");

        LogLine(log, "Create Sound Device.\n");
        OpenOn(log);
    } else {
        LogLine(log, std::string(" -> Failed. (") + SDL_GetError() + ")\n");
    }

    if (m_nDevice == 0) {
        // Keep the game's sounds running (and capturable) without a speaker.
        LogLine(log, "Create Silent Sound Device.\n");
        if (m_bSubsystem) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            m_bSubsystem = false;
        }
        if (SDL_AudioInit("dummy") == 0) {
            m_bOwnDriver = true;
            OpenOn(log);
        } else {
            LogLine(log, std::string(" -> Failed. (") + SDL_GetError() + ")\n");
        }
    }
    if (m_nDevice == 0) {
        Close();
        return false;
    }

    LogLine(log, "Set Primary Format.\n");
    LogLine(log, " -> Finished. (" + std::to_string(m_nDeviceRate) + " Hz, 16 bit, 2 channels)\n");

    if (!capturePath.empty()) {
        LogLine(log, "Open Audio Output File.\n");
        if (m_Capture.Open(capturePath, m_pMixer->GetOutputRate())) {
            m_pMixer->SetTap(&m_Capture);
            LogLine(log, " -> Finished. (" + capturePath + ")\n");
        } else {
            LogLine(log, " -> Failed. (" + capturePath + ": " + std::strerror(errno) + ")\n");
        }
    }

    SDL_PauseAudioDevice(m_nDevice, 0);
    return true;
}

void CAudioDevice::Queue(const int16_t* pStereo, int nFrames)
{
    if (!m_bQueued || m_nDevice == 0 || nFrames <= 0)
        return;
    const Uint32 bytesPerSecond = static_cast<Uint32>(m_pMixer->GetOutputRate()) * 4u;
    if (SDL_GetQueuedAudioSize(m_nDevice) > bytesPerSecond / 4u)
        return;
    SDL_QueueAudio(m_nDevice, pStereo, static_cast<Uint32>(nFrames) * 4u);
}

void CAudioDevice::Close()
{
    if (m_nDevice != 0) {
        // Waits for a running callback: after this the mixer is ours alone.
        SDL_CloseAudioDevice(m_nDevice);
        m_nDevice = 0;
    }
    if (m_pMixer)
        m_pMixer->SetTap(nullptr);
    m_Capture.Close();
    if (m_bOwnDriver) {
        SDL_AudioQuit();
        m_bOwnDriver = false;
    }
    if (m_bSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_bSubsystem = false;
    }
    m_bSilent = false;
    m_Driver.clear();
}
