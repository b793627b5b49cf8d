// Small figures the frame benchmarks share.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <vector>

// The CPU time of every thread of the process (the rasteriser's included), in
// milliseconds: less disturbed by a busy machine than the wall clock.
inline double ProcessCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The least of the repetitions, for ComputeStatistics.
inline double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Five repetitions in milliseconds of real time, reported as their aggregates
// with the least of them: a busy machine only ever adds time.
inline void LeastOfFiveRepetitions(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->ComputeStatistics("min", MinOf)
        ->ReportAggregatesOnly(true);
}
