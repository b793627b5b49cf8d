#include "platform/ProcessMemory.h"

#include <sys/resource.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

int64_t PeakResidentKiB()
{
    // The kernel keeps the high-water mark itself, so no peak between two
    // looks is missed; on Linux ru_maxrss is in KiB.
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return static_cast<int64_t>(usage.ru_maxrss);
}

void KeepLargeBlocksOutOfTheHeap()
{
#if defined(__GLIBC__)
    // Left to itself the C library raises the size from which a block is
    // mapped on its own each time such a block is freed (up to 32 MiB). The
    // OpenGL driver's large short-lived blocks (pictures being uploaded,
    // vertex storage, shader compilation) then land in the heap, which
    // fragments and grows game after game: +60 MiB over an hour of play. A
    // fixed threshold keeps them apart and gives them back when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // Fixing it also fixes the free space kept at the heap's top at 128 KiB,
    // and a frame's own allocations then give the top back and take it again
    // some fifty times a frame; 8 MiB of room ends that.
    mallopt(M_TRIM_THRESHOLD, 8 * 1024 * 1024);
#endif
}
