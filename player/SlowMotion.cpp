#include "player/SlowMotion.h"

#include "core/ObjectLists.h"
#include "gfx/GraphicsDevice.h"
#include "sound/SoundSystem.h"
#include "stage/Fader.h"

namespace {
CSlowMotion g_SlowMotion;   // lives for the whole run
}  // namespace

CSlowMotion* g_pSlowMotion = &g_SlowMotion;

void CSlowMotion::SetSounds(CSound* start, CSound* ambience, CSound* end)
{
    m_pStart = start;
    m_pAmbience = ambience;
    m_pEnd = end;
}

bool CSlowMotion::Start()
{
    if (!m_bEnabled || m_bRunning || m_nCooldown > 0) return false;
    if (g_pFader) g_pFader->FlashColor(0.5f, 0.0f, 0.0f, 0.0f);
    if (g_pDevice) g_pDevice->BeginSlowMotion(kFrames);
    if (m_pStart) m_pStart->PlayThen(m_pAmbience, true, kAmbienceDelay);
    m_Stopped.clear();
    for (int i = 0; i < g_MusicList.Count(); ++i) {
        CSound* music = static_cast<CSound*>(g_MusicList.At(i));
        if (music && music->StopIfPlaying()) m_Stopped.push_back(music);
    }
    m_bRunning = true;
    return true;
}

// The start sound outlives its own sound while its chained ambience waits
// (the chain counts at half rate in slow motion): stopping it must also drop
// that chain, or the ambience would start after the end and loop on.
void CSlowMotion::SilenceStart()
{
    if (m_pStart) {
        m_pStart->StopIfPlaying();
        m_pStart->m_nChainDelay = 0;
        m_pStart->m_pChainNext = nullptr;
    }
    if (m_pAmbience) m_pAmbience->StopIfPlaying();
}

void CSlowMotion::Stop()
{
    if (!m_bRunning) return;
    m_bRunning = false;
    if (g_pDevice) g_pDevice->EndSlowMotion();
    SilenceStart();
    if (m_pEnd) m_pEnd->Play();
    m_nCooldown = kCooldown;
}

void CSlowMotion::Hold()
{
    if (m_bRunning && g_pDevice) g_pDevice->HoldSlowMotion(kFrames);
}

void CSlowMotion::TickCooldown()
{
    if (m_nCooldown <= 0) return;
    if (--m_nCooldown > 0) return;
    // Only music still on the music list is touched: the list owns it.
    for (CSound* music : m_Stopped) {
        for (int i = 0; i < g_MusicList.Count(); ++i) {
            if (g_MusicList.At(i) == music) {
                music->Resume(true);
                break;
            }
        }
    }
    m_Stopped.clear();
}

void CSlowMotion::Cancel()
{
    if (m_bRunning && g_pDevice) g_pDevice->EndSlowMotion();
    if (m_bRunning) SilenceStart();
    m_bRunning = false;
    m_nCooldown = 0;
    m_Stopped.clear();
}
