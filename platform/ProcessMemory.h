// How the process holds memory: its resident set's high-water mark, written to
// the logs so that long runs can show whether memory keeps growing, and how
// the C library places large blocks.
#pragma once

#include <cstdint>

// The largest resident set of the process so far, in KiB (0 if unknown).
int64_t PeakResidentKiB();

// Large blocks (128 KiB and more) get pages of their own, given back when
// freed, for the whole run. Call once, first thing.
void KeepLargeBlocksOutOfTheHeap();
