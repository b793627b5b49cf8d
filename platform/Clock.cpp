#include "platform/Clock.h"

#include <sched.h>
#include <time.h>

#include <cerrno>

namespace {
// How long before the due time the sleep ends; the rest is spun. Covers the
// scheduler's wake-up latency on an idle machine.
constexpr int64_t kSpinNs = 300'000;
}  // namespace

CSystemClock::CSystemClock() : m_nOriginNs(0) { m_nOriginNs = NowNs(); }

int64_t CSystemClock::NowNs() const
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec - m_nOriginNs;
}

uint32_t CSystemClock::NowMs() { return static_cast<uint32_t>(NowNs() / 1'000'000); }

void CSystemClock::WaitUntilMs(uint32_t due)
{
    const int32_t ahead = static_cast<int32_t>(due - NowMs());
    if (ahead <= 0) return;
    // The due millisecond begins at this instant of the monotonic clock.
    const int64_t dueNs = NowNs() / 1'000'000 * 1'000'000 + static_cast<int64_t>(ahead) * 1'000'000;
    const int64_t wakeNs = dueNs - kSpinNs + m_nOriginNs;
    timespec ts;
    ts.tv_sec = static_cast<time_t>(wakeNs / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(wakeNs % 1'000'000'000);
    while (NowNs() + m_nOriginNs < wakeNs) {
        const int rc = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
        if (rc != 0 && rc != EINTR) break;
    }
    while (static_cast<int32_t>(due - NowMs()) > 0) sched_yield();
}
