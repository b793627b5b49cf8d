// A loudness meter for the tests of what the game plays: EBU R128 loudness
// (libebur128) and sample peaks of 16-bit interleaved sound.
#pragma once

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

namespace loudness {

// Short-term loudness (LUFS) of the 3 s ending every hop after the first 3 s
// of frames [first, end); with integrated, the gated loudness of the whole
// span. Silence reads as -inf.
struct SMeasure {
    std::vector<double> shortTerm;
    double integrated = -std::numeric_limits<double>::infinity();
};

inline SMeasure Measure(const int16_t* samples, size_t first, size_t end, int channels, int rate,
                        double hopSeconds = 0.5)
{
    SMeasure m;
    ebur128_state* st =
        ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(rate), EBUR128_MODE_S | EBUR128_MODE_I);
    if (!st) return m;
    const size_t hop = std::max<size_t>(1, static_cast<size_t>(hopSeconds * rate));
    const size_t window = static_cast<size_t>(3 * rate);
    for (size_t f = first; f < end; f += hop) {
        const size_t n = std::min(hop, end - f);
        ebur128_add_frames_short(st, samples + f * static_cast<size_t>(channels), n);
        double lufs;
        if (f + n - first >= window && ebur128_loudness_shortterm(st, &lufs) == EBUR128_SUCCESS)
            m.shortTerm.push_back(lufs);
    }
    ebur128_loudness_global(st, &m.integrated);
    ebur128_destroy(&st);
    return m;
}

inline double Median(std::vector<double> v)
{
    if (v.empty()) return -std::numeric_limits<double>::infinity();
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The largest magnitude, and how many samples sit on the rails.
struct SPeaks {
    int peak = 0;
    size_t fullScale = 0;
};

inline SPeaks Peaks(const int16_t* samples, size_t count)
{
    SPeaks p;
    for (size_t i = 0; i < count; ++i) {
        const int v = std::abs(static_cast<int>(samples[i]));
        p.peak = std::max(p.peak, v);
        if (v >= 32767) ++p.fullScale;
    }
    return p;
}

inline double Dbfs(int peak)
{
    return 20.0 * std::log10(std::max(peak, 1) / 32768.0);
}

}  // namespace loudness
