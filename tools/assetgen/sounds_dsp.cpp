#include "tools/assetgen/sounds_dsp.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace snd {

uint32_t CSynthRand::Next()
{
    m_nState += 0x9E3779B97F4A7C15ull;
    uint64_t z = m_nState;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<uint32_t>(z >> 32);
}

float CSynthRand::Unit()
{
    return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f);
}

float CSynthRand::Bipolar()
{
    return Unit() * 2.0f - 1.0f;
}

// ---------------------------------------------------------------------------

namespace {
// Correction around a step of the naive waveform; t in [0, 1), dt = hz / rate.
float PolyBlep(double t, double dt)
{
    if (t < dt) {
        double x = t / dt;
        return static_cast<float>(x + x - x * x - 1.0);
    }
    if (t > 1.0 - dt) {
        double x = (t - 1.0) / dt;
        return static_cast<float>(x * x + x + x + 1.0);
    }
    return 0.0f;
}
}  // namespace

double COsc::Advance(float hz, double& dt)
{
    dt = std::fabs(static_cast<double>(hz)) / kRate;
    if (dt > 0.49) dt = 0.49;
    double t = m_dPhase;
    m_dPhase += dt;
    if (m_dPhase >= 1.0) m_dPhase -= std::floor(m_dPhase);
    return t;
}

float COsc::Sine(float hz)
{
    double dt;
    double t = Advance(hz, dt);
    return static_cast<float>(std::sin(2.0 * 3.14159265358979323846 * t));
}

float COsc::Saw(float hz)
{
    double dt;
    double t = Advance(hz, dt);
    return static_cast<float>(2.0 * t - 1.0) - PolyBlep(t, dt);
}

float COsc::Square(float hz, float width)
{
    double dt;
    double t = Advance(hz, dt);
    double w = std::clamp(static_cast<double>(width), 0.05, 0.95);
    float v = t < w ? 1.0f : -1.0f;
    v += PolyBlep(t, dt);
    double t2 = t - w;
    if (t2 < 0.0) t2 += 1.0;
    v -= PolyBlep(t2, dt);
    // Remove the pulse's own offset so narrow pulses carry no DC.
    return v - static_cast<float>(2.0 * w - 1.0);
}

float COsc::Tri(float hz)
{
    double dt;
    double t = Advance(hz, dt);
    double v = t < 0.5 ? 4.0 * t - 1.0 : 3.0 - 4.0 * t;
    return static_cast<float>(v);
}

// ---------------------------------------------------------------------------

void CSvf::Run(float x, float cutoffHz, float q)
{
    if (cutoffHz != m_fCutoff) {  // most voices hold a cutoff for many samples
        m_fCutoff = cutoffHz;
        float fc = std::clamp(cutoffHz, 10.0f, 0.45f * kRate);
        m_fG = std::tan(kPi * fc / kRate);
    }
    float g = m_fG;
    float k = 1.0f / std::max(q, 0.05f);
    float a1 = 1.0f / (1.0f + g * (g + k));
    float a2 = g * a1;
    float a3 = g * a2;
    float v3 = x - m_fIc2;
    float v1 = a1 * m_fIc1 + a2 * v3;
    float v2 = m_fIc2 + a2 * m_fIc1 + a3 * v3;
    m_fIc1 = 2.0f * v1 - m_fIc1;
    m_fIc2 = 2.0f * v2 - m_fIc2;
    m_fLp = v2;
    m_fBp = v1;
    m_fHp = x - k * v1 - v2;
}

float COnePole::Lowpass(float x, float hz)
{
    if (hz != m_fHz) {
        m_fHz = hz;
        m_fA = 1.0f - std::exp(-2.0f * kPi * std::max(hz, 1.0f) / kRate);
    }
    m_fY += m_fA * (x - m_fY);
    return m_fY;
}

// ---------------------------------------------------------------------------

CReverb::CReverb(float room, float damp) : m_fFeedback(room), m_fDamp(damp)
{
    static const int kCombs[8] = {558, 594, 639, 678, 711, 746, 779, 809};
    static const int kAllpasses[4] = {278, 221, 171, 113};
    const int kSpread = 11;
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 8; ++i) m_Comb[side][i].buf.assign(kCombs[i] + side * kSpread, 0.0f);
        for (int i = 0; i < 4; ++i) m_Allpass[side][i].buf.assign(kAllpasses[i] + side * kSpread, 0.0f);
    }
}

float CReverb::RunComb(Comb& c, float x)
{
    float out = c.buf[c.pos];
    c.store = out * (1.0f - m_fDamp) + c.store * m_fDamp;
    c.buf[c.pos] = x + c.store * m_fFeedback;
    if (++c.pos == static_cast<int>(c.buf.size())) c.pos = 0;
    return out;
}

float CReverb::RunAllpass(Allpass& a, float x)
{
    float b = a.buf[a.pos];
    float out = b - x;
    a.buf[a.pos] = x + b * 0.5f;
    if (++a.pos == static_cast<int>(a.buf.size())) a.pos = 0;
    return out;
}

void CReverb::Process(float inL, float inR, float& outL, float& outR)
{
    float in = (inL + inR) * 0.015f;
    float acc[2] = {0.0f, 0.0f};
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 8; ++i) acc[side] += RunComb(m_Comb[side][i], in);
        for (int i = 0; i < 4; ++i) acc[side] = RunAllpass(m_Allpass[side][i], acc[side]);
    }
    outL = acc[0];
    outR = acc[1];
}

CPingPong::CPingPong(int samples, float feedback, float toneHz)
    : m_L(samples), m_R(samples), m_fFeedback(feedback), m_fTone(toneHz)
{}

void CPingPong::Process(float inL, float inR, float& outL, float& outR)
{
    float dl = m_L.Read();
    float dr = m_R.Read();
    // Input enters on the left; each repeat crosses to the other side.
    m_L.Write(0.5f * (inL + inR) + m_ToneR.Lowpass(dr, m_fTone) * m_fFeedback);
    m_R.Write(m_ToneL.Lowpass(dl, m_fTone) * m_fFeedback);
    outL = dl;
    outR = dr;
}

// ---------------------------------------------------------------------------

float Clamp01(float x)
{
    return std::clamp(x, 0.0f, 1.0f);
}

float ExpDecay(float t, float tau)
{
    return t <= 0.0f ? 1.0f : std::exp(-t / tau);
}

float Ramp(float t, float t0, float t1, float v0, float v1)
{
    if (t <= t0) return v0;
    if (t >= t1) return v1;
    return v0 + (v1 - v0) * (t - t0) / (t1 - t0);
}

float Glide(float t, float dur, float f0, float f1)
{
    float u = dur > 0.0f ? Clamp01(t / dur) : 1.0f;
    return f0 * std::pow(f1 / f0, u);
}

float Adsr(float t, float gate, float a, float d, float s, float r)
{
    if (t < 0.0f) return 0.0f;
    auto held = [&](float u) {
        if (u < a) return u / a;
        float v = u - a;
        return s + (1.0f - s) * std::exp(-v / std::max(d, 1e-4f));
    };
    if (t < gate) return held(t);
    float atGate = held(gate);
    float v = t - gate;
    if (v >= r) return 0.0f;
    // Exponential-looking release that still reaches exactly zero.
    float u = 1.0f - v / r;
    return atGate * u * u;
}

float MidiHz(float note)
{
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

float SoftClip(float x)
{
    // Linear up to 0.5, then a smooth knee toward 1.
    float a = std::fabs(x);
    if (a <= 0.5f) return x;
    float y = 0.5f + 0.5f * std::tanh((a - 0.5f) * 2.0f);
    return x < 0.0f ? -y : y;
}

int Samples(float seconds)
{
    return static_cast<int>(seconds * kRate);
}

float PeakOf(const Mono& s)
{
    float p = 0.0f;
    for (float v : s) p = std::max(p, std::fabs(v));
    return p;
}

void Normalize(Mono& s, float peakDb)
{
    float peak = PeakOf(s);
    if (peak <= 0.0f) return;
    float gain = std::pow(10.0f, peakDb / 20.0f) / peak;
    for (float& v : s) v *= gain;
}

void FinishEffect(Mono& s, float peakDb)
{
    COnePole dc;
    for (float& v : s) v = dc.Highpass(v, 15.0f);
    int n = static_cast<int>(s.size());
    int in = std::min(n / 4, Samples(0.002f));
    int out = std::min(n / 4, Samples(0.01f));
    for (int i = 0; i < in; ++i) s[i] *= static_cast<float>(i) / in;
    for (int i = 0; i < out; ++i) s[n - 1 - i] *= static_cast<float>(i) / out;
    Normalize(s, peakDb);
}

double LoudnessOf(const std::vector<float>& samples, int channels)
{
    double lufs = -std::numeric_limits<double>::infinity();
    ebur128_state* st = ebur128_init(static_cast<unsigned>(channels), kRate, EBUR128_MODE_I);
    if (!st) return lufs;
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    if (ebur128_add_frames_float(st, samples.data(), frames) == EBUR128_SUCCESS) ebur128_loudness_global(st, &lufs);
    ebur128_destroy(&st);
    return lufs;
}

void SetLoudness(std::vector<float>& samples, int channels, float lufs)
{
    const double now = LoudnessOf(samples, channels);
    if (!std::isfinite(now)) return;
    const float gain = static_cast<float>(std::pow(10.0, (lufs - now) / 20.0));
    for (float& v : samples) v *= gain;
}

void MixInto(Mono& dst, const Mono& src, int offset, float gain)
{
    if (offset < 0) return;
    if (dst.size() < src.size() + offset) dst.resize(src.size() + offset, 0.0f);
    for (size_t i = 0; i < src.size(); ++i) dst[offset + i] += src[i] * gain;
}

Mono WithReverb(const Mono& dry, float wet, float room, float damp, float tailSeconds)
{
    CReverb rev(room, damp);
    Mono out(dry.size() + Samples(tailSeconds), 0.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        float x = i < dry.size() ? dry[i] : 0.0f;
        float l, r;
        rev.Process(x, x, l, r);
        out[i] = x + wet * 0.5f * (l + r);
    }
    return out;
}

}  // namespace snd
