// The small synthesiser behind every effect and piece of music: oscillators,
// noise, envelopes, filters, a delay and a reverb. Everything runs at the
// game's mixing rate and is deterministic: the only randomness is a seeded
// generator of our own, never the library's distributions.
#pragma once
#include <cstdint>
#include <vector>

namespace snd {

constexpr int kRate = 22050;
constexpr float kPi = 3.14159265358979f;

// splitmix64: small, fast and identical on every platform.
class CSynthRand {
public:
    explicit CSynthRand(uint64_t seed) : m_nState(seed) {}
    uint32_t Next();
    float Unit();     // [0, 1)
    float Bipolar();  // [-1, 1)

private:
    uint64_t m_nState;
};

// Oscillator with its own phase; band-limited saw and pulse (polyBLEP) so
// bright notes do not alias badly at our low rate.
class COsc {
public:
    explicit COsc(double phase = 0.0) : m_dPhase(phase) {}
    float Sine(float hz);
    float Saw(float hz);
    float Square(float hz, float width = 0.5f);
    float Tri(float hz);
    double Phase() const { return m_dPhase; }

private:
    double Advance(float hz, double& dt);
    double m_dPhase;
};

// Topology-preserving state-variable filter: stable while the cutoff moves.
class CSvf {
public:
    void Run(float x, float cutoffHz, float q);
    float Lp() const { return m_fLp; }
    float Bp() const { return m_fBp; }
    float Hp() const { return m_fHp; }
    float Lowpass(float x, float hz, float q = 0.707f)
    {
        Run(x, hz, q);
        return m_fLp;
    }
    float Bandpass(float x, float hz, float q = 0.707f)
    {
        Run(x, hz, q);
        return m_fBp;
    }
    float Highpass(float x, float hz, float q = 0.707f)
    {
        Run(x, hz, q);
        return m_fHp;
    }

private:
    float m_fIc1 = 0.0f, m_fIc2 = 0.0f;
    float m_fCutoff = -1.0f, m_fG = 0.0f;
    float m_fLp = 0.0f, m_fBp = 0.0f, m_fHp = 0.0f;
};

class COnePole {
public:
    float Lowpass(float x, float hz);
    float Highpass(float x, float hz) { return x - Lowpass(x, hz); }

private:
    float m_fY = 0.0f;
    float m_fHz = -1.0f, m_fA = 0.0f;
};

// Feedback delay line (mono); the caller mixes its output.
class CDelayLine {
public:
    explicit CDelayLine(int samples) : m_Buf(samples > 0 ? samples : 1, 0.0f) {}
    float Read() const { return m_Buf[m_nPos]; }
    void Write(float x)
    {
        m_Buf[m_nPos] = x;
        if (++m_nPos == static_cast<int>(m_Buf.size())) m_nPos = 0;
    }

private:
    std::vector<float> m_Buf;
    int m_nPos = 0;
};

// Eight damped combs and four all-passes per side, tuned for 22050 Hz.
class CReverb {
public:
    CReverb(float room, float damp);
    void Process(float inL, float inR, float& outL, float& outR);

private:
    struct Comb {
        std::vector<float> buf;
        int pos = 0;
        float store = 0.0f;
    };
    struct Allpass {
        std::vector<float> buf;
        int pos = 0;
    };
    float RunComb(Comb& c, float x);
    static float RunAllpass(Allpass& a, float x);
    Comb m_Comb[2][8];
    Allpass m_Allpass[2][4];
    float m_fFeedback;
    float m_fDamp;
};

// Ping-pong delay with a low-passed feedback path.
class CPingPong {
public:
    CPingPong(int samples, float feedback, float toneHz);
    void Process(float inL, float inR, float& outL, float& outR);

private:
    CDelayLine m_L, m_R;
    COnePole m_ToneL, m_ToneR;
    float m_fFeedback;
    float m_fTone;
};

// Envelope and pitch helpers; t in seconds.
float Clamp01(float x);
float ExpDecay(float t, float tau);
float Ramp(float t, float t0, float t1, float v0, float v1);  // linear, held outside
float Glide(float t, float dur, float f0, float f1);          // exponential pitch glide
float Adsr(float t, float gate, float a, float d, float s, float r);
float MidiHz(float note);
float SoftClip(float x);

using Mono = std::vector<float>;

int Samples(float seconds);
float PeakOf(const Mono& s);
// Effects: DC removed, start and end eased to silence, peak scaled to the given
// level in dBFS.
void FinishEffect(Mono& s, float peakDb);
void Normalize(Mono& s, float peakDb);
// Adds src into dst starting at offset (dst grows as needed).
void MixInto(Mono& dst, const Mono& src, int offset, float gain);
// Integrated loudness (EBU R128, LUFS) of interleaved samples; -inf for
// silence.
double LoudnessOf(const std::vector<float>& samples, int channels);
// Scales the samples so that their integrated loudness is lufs.
void SetLoudness(std::vector<float>& samples, int channels, float lufs);
// A mono signal sent through the reverb, returned mono; tail extends it.
Mono WithReverb(const Mono& dry, float wet, float room, float damp, float tailSeconds);

}  // namespace snd
