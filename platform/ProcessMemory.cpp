#include "platform/ProcessMemory.h"

#include <sys/resource.h>

int64_t PeakResidentKiB()
{
    // The kernel keeps the high-water mark itself, so no peak between two
    // looks is missed; on Linux ru_maxrss is in KiB.
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return static_cast<int64_t>(usage.ru_maxrss);
}
