#include "app/FrameTimer.h"

FrameTimer g_FrameTimer;

void CFramePacer::Schedule(uint32_t now)
{
    if (!m_bAlternator) {
        m_bAlternator = true;
        m_Timer.m_dwNextFrame = now + 16;
    } else {
        m_bAlternator = false;
        m_Timer.m_dwNextFrame = now + 17;
    }
}

void CFramePacer::Start()
{
    const uint32_t now = m_Clock.NowMs();
    m_Timer.m_dwNow = now;
    Schedule(now);
    m_Timer.NextSecond();
}

bool CFramePacer::BeginPass(bool displayPaced, bool unpaced)
{
    const uint32_t now = m_Clock.NowMs();
    m_Timer.m_dwNow = now;
    if (!displayPaced && !unpaced && !Reached(now, m_Timer.m_dwNextFrame)) return false;
    Schedule(now);
    return true;
}

bool CFramePacer::CheckSecond()
{
    if (!Reached(m_Timer.m_dwNow, m_Timer.m_dwNextSecond)) return false;
    m_Timer.NextSecond();
    return true;
}

void CFramePacer::WaitForNextDue(bool displayPaced, bool unpaced)
{
    if (displayPaced || unpaced) return;
    uint32_t due = m_Timer.m_dwNextFrame;
    if (static_cast<int32_t>(m_Timer.m_dwNextSecond - due) < 0) due = m_Timer.m_dwNextSecond;
    m_Clock.WaitUntilMs(due);
}
