// How much memory the process has held: its resident set's high-water mark,
// written to the logs so that long runs can show whether memory keeps growing.
#pragma once

#include <cstdint>

// The largest resident set of the process so far, in KiB (0 if unknown).
int64_t PeakResidentKiB();
