// The three pieces of music: title (calm), chapter 1 (driving), chapter 2
// (darker, faster). Each is a whole number of bars at a tempo whose sixteenth
// note is a whole number of samples, and everything is rendered on a circular
// timeline: a note or echo ringing past the end continues at the start, and
// the delay, reverb and DC filter run over the loop twice so their state at
// the start is the state the end leaves. The wrap is therefore seamless.
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tools/assetgen/sounds.h"

namespace snd {

const int kMusicIds[3] = {109, 111, 113};

namespace {

// --- notation ------------------------------------------------------------------

constexpr int kStepsPerBar = 16;

struct Note {
    int step;  // absolute sixteenth from the start of the piece
    int len;   // in sixteenths
    int midi;
    float vel;
};

// "C#5", "Eb4", "A3" -> MIDI number (C4 = 60); -1 when not a note.
int ParseNoteName(const std::string& s)
{
    static const int kPc[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (s.empty() || s[0] < 'A' || s[0] > 'G') return -1;
    int pc = kPc[s[0] - 'A'];
    size_t i = 1;
    if (i < s.size() && s[i] == '#') {
        ++pc;
        ++i;
    } else if (i < s.size() && s[i] == 'b') {
        --pc;
        ++i;
    }
    if (i >= s.size()) return -1;
    int octave = std::stoi(s.substr(i));
    return 12 * (octave + 1) + pc;
}

// A melody on the sixteenth grid: one token per step; a note name starts a
// note, "-" holds it, "." rests; "|" separates bars for the eye only.
std::vector<Note> Melody(int firstBar, const std::string& grid, float vel = 1.0f)
{
    std::vector<Note> notes;
    int step = firstBar * kStepsPerBar;
    size_t pos = 0;
    while (pos < grid.size()) {
        size_t end = grid.find(' ', pos);
        if (end == std::string::npos) end = grid.size();
        std::string tok = grid.substr(pos, end - pos);
        pos = end + 1;
        if (tok.empty() || tok == "|") continue;
        if (tok == "-") {
            if (!notes.empty()) ++notes.back().len;
        } else if (tok != ".") {
            int midi = ParseNoteName(tok);
            if (midi >= 0) notes.push_back({step, 1, midi, vel});
        }
        ++step;
    }
    return notes;
}

// Chord symbols: "Am", "F", "C#m", "Bb"; a bare root is major.
struct Chord {
    int root;  // pitch class
    bool minor;
};

Chord ParseChord(const std::string& s)
{
    std::string name = s;
    bool minor = !name.empty() && name.back() == 'm';
    if (minor) name.pop_back();
    int midi = ParseNoteName(name + "4");
    return {midi % 12, minor};
}

std::vector<Chord> Chords(const std::string& list)
{
    std::vector<Chord> out;
    size_t pos = 0;
    while (pos < list.size()) {
        size_t end = list.find(' ', pos);
        if (end == std::string::npos) end = list.size();
        std::string tok = list.substr(pos, end - pos);
        pos = end + 1;
        if (!tok.empty() && tok != "|") out.push_back(ParseChord(tok));
    }
    return out;
}

// The chord's three tones placed in [low, low + 12), ascending.
std::vector<int> Voicing(const Chord& c, int low)
{
    int pcs[3] = {c.root, (c.root + (c.minor ? 3 : 4)) % 12, (c.root + 7) % 12};
    std::vector<int> v;
    for (int pc : pcs) {
        int n = low + ((pc - low) % 12 + 12) % 12;
        v.push_back(n);
    }
    std::sort(v.begin(), v.end());
    return v;
}

int RootIn(const Chord& c, int low)
{
    return low + ((c.root - low) % 12 + 12) % 12;
}

// Drum lane: 16 characters per bar, 'x' a hit, 'o' a softer hit, '.' nothing.
std::vector<Note> Lane(int firstBar, int bars, const std::string& pattern)
{
    std::vector<Note> out;
    for (int b = 0; b < bars; ++b)
        for (int i = 0; i < kStepsPerBar && i < static_cast<int>(pattern.size()); ++i) {
            char ch = pattern[i];
            if (ch == 'x' || ch == 'o')
                out.push_back({(firstBar + b) * kStepsPerBar + i, 1, 0, ch == 'x' ? 1.0f : 0.55f});
        }
    return out;
}

void Append(std::vector<Note>& dst, const std::vector<Note>& src)
{
    dst.insert(dst.end(), src.begin(), src.end());
}

// --- voices ----------------------------------------------------------------------

float Sin(double turns)
{
    return static_cast<float>(std::sin(2.0 * 3.14159265358979323846 * turns));
}

Mono Kick(float punch)
{
    Mono s(Samples(0.4f));
    COsc osc;
    CSynthRand rand(7001);
    COnePole clickLp;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float hz = 45.0f + 130.0f * ExpDecay(t, 0.025f);
        float body = osc.Sine(hz) * ExpDecay(t, 0.16f) * Clamp01((0.4f - t) / 0.1f);
        float click = clickLp.Lowpass(rand.Bipolar(), 4000.0f) * ExpDecay(t, 0.003f) * 0.6f;
        // A half-millisecond rise: punchy, but no sample-to-sample jump.
        s[i] = SoftClip((body + click) * punch) * Clamp01(t / 0.0005f);
    }
    return s;
}

Mono Snare()
{
    Mono s(Samples(0.3f));
    COsc tone;
    CSynthRand rand(7002);
    CSvf bp, hp;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float n = rand.Bipolar();
        float body = tone.Sine(Glide(t, 0.05f, 240.0f, 180.0f)) * ExpDecay(t, 0.045f) * 0.7f;
        float rattle =
            bp.Bandpass(n, 3200.0f, 0.6f) * ExpDecay(t, 0.07f) + hp.Highpass(n, 6000.0f) * ExpDecay(t, 0.05f) * 0.5f;
        s[i] = (body + rattle * 1.2f) * Clamp01((0.3f - t) / 0.05f) * Clamp01(t / 0.0007f);
    }
    return s;
}

Mono Clap()
{
    Mono s(Samples(0.3f));
    CSynthRand rand(7003);
    CSvf bp;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float env = 0.0f;
        for (int k = 0; k < 3; ++k) {
            float u = t - 0.011f * k;
            if (u >= 0.0f) env = std::max(env, ExpDecay(u, k == 2 ? 0.07f : 0.006f));
        }
        s[i] = bp.Bandpass(rand.Bipolar(), 1300.0f, 1.1f) * env * 1.6f * Clamp01((0.3f - t) / 0.05f) *
               Clamp01(t / 0.0007f);
    }
    return s;
}

// Metallic hat: six square partials at inharmonic ratios plus noise, high-passed.
Mono Hat(float decay, float seconds, uint64_t seed)
{
    static const float kRatios[6] = {2.0f, 3.0f, 4.16f, 5.43f, 6.79f, 8.21f};
    Mono s(Samples(seconds));
    COsc osc[6];
    CSynthRand rand(seed);
    CSvf hp, hp2;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float m = 0.0f;
        for (int k = 0; k < 6; ++k) m += osc[k].Square(330.0f * kRatios[k], 0.5f);
        float x = m * 0.12f + rand.Bipolar() * 0.6f;
        x = hp2.Highpass(hp.Highpass(x, 6500.0f), 6500.0f);
        s[i] = x * ExpDecay(t, decay) * Clamp01((seconds - t) / 0.02f) * Clamp01(t / 0.0005f);
    }
    return s;
}

Mono Crash()
{
    Mono s(Samples(2.0f));
    CSynthRand rand(7005);
    CSvf hp;
    COsc osc[4];
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float m = osc[0].Square(511.0f, 0.5f) + osc[1].Square(763.0f, 0.5f) + osc[2].Square(1017.0f, 0.5f) +
                  osc[3].Square(1381.0f, 0.5f);
        float x = hp.Highpass(rand.Bipolar() + m * 0.15f, 4000.0f);
        s[i] = x * ExpDecay(t, 0.55f) * Clamp01(t / 0.002f) * Clamp01((2.0f - t) / 0.3f);
    }
    return s;
}

// Noise rising through a band-pass over `seconds`, leading into a section.
Mono Riser(float seconds, uint64_t seed)
{
    Mono s(Samples(seconds));
    CSynthRand rand(seed);
    CSvf bp;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float u = t / seconds;
        s[i] = bp.Bandpass(rand.Bipolar(), Glide(t, seconds, 300.0f, 7000.0f), 1.5f) * u * u *
               Clamp01((seconds - t) / 0.01f);
    }
    return s;
}

enum class BassStyle { Soft, Drive, Grit };

Mono Bass(int midi, float gate, BassStyle style)
{
    float hz = MidiHz(static_cast<float>(midi));
    float rel = style == BassStyle::Soft ? 0.15f : 0.04f;
    Mono s(Samples(gate + rel));
    COsc a, b, c;
    CSvf lp;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float v;
        switch (style) {
        case BassStyle::Soft: {
            v = a.Sine(hz) + b.Saw(hz) * 0.25f;
            v = lp.Lowpass(v, 500.0f, 0.7f) * Adsr(t, gate, 0.01f, 0.4f, 0.7f, rel);
            break;
        }
        case BassStyle::Drive: {
            v = a.Saw(hz) * 0.6f + b.Square(hz, 0.5f) * 0.4f + c.Sine(hz * 0.5f) * 0.5f;
            float cut = 220.0f + 1700.0f * ExpDecay(t, 0.05f);
            v = SoftClip(lp.Lowpass(v, cut, 1.4f) * 1.3f) * Adsr(t, gate, 0.003f, 0.1f, 0.8f, rel);
            break;
        }
        case BassStyle::Grit:
        default: {
            v = a.Saw(hz) + b.Saw(hz * 1.008f) + c.Sine(hz * 0.5f);
            v = std::tanh(v * 2.5f);
            float cut = 260.0f + 2400.0f * ExpDecay(t, 0.04f);
            v = lp.Lowpass(v, cut, 2.0f) * Adsr(t, gate, 0.002f, 0.08f, 0.75f, rel);
            break;
        }
        }
        s[i] = v;
    }
    return s;
}

enum class PluckStyle { Glass, Saw, Square };

Mono Pluck(int midi, float gate, PluckStyle style)
{
    float hz = MidiHz(static_cast<float>(midi));
    Mono s(Samples(gate + 0.25f));
    COsc a, b;
    CSvf lp;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float v;
        switch (style) {
        case PluckStyle::Glass: {
            double mod = 1.6 * ExpDecay(t, 0.08f) * Sin(hz * 2.0 * t);
            v = Sin(hz * t + mod / (2.0 * 3.14159265358979323846)) * ExpDecay(t, 0.35f);
            break;
        }
        case PluckStyle::Saw: {
            v = a.Saw(hz) + b.Saw(hz * 1.005f) * 0.6f;
            v = lp.Lowpass(v, 500.0f + 3500.0f * ExpDecay(t, 0.07f), 1.3f) * ExpDecay(t, 0.18f);
            break;
        }
        case PluckStyle::Square:
        default: {
            v = a.Square(hz, 0.3f) + b.Saw(hz * 0.5f) * 0.4f;
            v = lp.Lowpass(v, 600.0f + 3000.0f * ExpDecay(t, 0.05f), 2.0f) * ExpDecay(t, 0.12f);
            break;
        }
        }
        float release = t > gate ? Clamp01(1.0f - (t - gate) / 0.25f) : 1.0f;
        s[i] = v * release * Clamp01(t / 0.002f);
    }
    return s;
}

// A wide pad: two detuned saws per side, slow to rise and to fade.
void Pad(int midi, float gate, float cutoff, Mono& left, Mono& right)
{
    float hz = MidiHz(static_cast<float>(midi));
    const float rel = 0.9f;
    int n = Samples(gate + rel);
    left.assign(n, 0.0f);
    right.assign(n, 0.0f);
    COsc l1(0.0), l2(0.37), r1(0.61), r2(0.13);
    CSvf fl, fr;
    for (int i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float env = Adsr(t, gate, 0.35f, 0.6f, 0.8f, rel);
        float wob = 1.0f + 0.0015f * Sin(0.3 * t);
        left[i] = fl.Lowpass(l1.Saw(hz * 0.996f * wob) + l2.Saw(hz * 1.003f), cutoff, 0.8f) * env;
        right[i] = fr.Lowpass(r1.Saw(hz * 1.004f) + r2.Saw(hz * 0.997f * wob), cutoff, 0.8f) * env;
    }
}

enum class LeadStyle { Soft, Bright, Hard };

Mono Lead(int midi, float gate, LeadStyle style)
{
    float hz = MidiHz(static_cast<float>(midi));
    const float rel = 0.18f;
    Mono s(Samples(gate + rel));
    COsc a, b, c;
    CSvf lp;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        // Vibrato grows in after the attack, as a player would add it.
        float vib = 1.0f + 0.012f * Clamp01((t - 0.2f) * 3.0f) * Sin(5.5 * t);
        float f = hz * vib;
        float v;
        switch (style) {
        case LeadStyle::Soft:
            v = a.Sine(f) * 0.7f + b.Tri(f * 2.0f) * 0.15f + c.Saw(f) * 0.15f;
            v = lp.Lowpass(v, 2500.0f, 0.7f);
            break;
        case LeadStyle::Bright:
            v = a.Saw(f) + b.Saw(f * 1.006f) * 0.8f + c.Square(f * 0.5f, 0.5f) * 0.3f;
            v = lp.Lowpass(v, 1800.0f + 2500.0f * ExpDecay(t, 0.15f), 1.2f);
            break;
        case LeadStyle::Hard:
        default:
            v = a.Square(f, 0.25f) + b.Saw(f * 1.01f) * 0.7f;
            v = std::tanh(lp.Lowpass(v, 1500.0f + 3500.0f * ExpDecay(t, 0.1f), 1.8f) * 1.8f);
            break;
        }
        s[i] = v * Adsr(t, gate, 0.008f, 0.25f, 0.75f, rel);
    }
    return s;
}

// --- the circular mix ------------------------------------------------------------

struct Bus {
    std::vector<float> l, r;
    void Init(int n)
    {
        l.assign(n, 0.0f);
        r.assign(n, 0.0f);
    }
};

class CLoopMix {
public:
    CLoopMix(int stepSamples, int bars) : m_nStep(stepSamples), m_nLen(stepSamples * kStepsPerBar * bars)
    {
        m_Dry.Init(m_nLen);
        m_Ducked.Init(m_nLen);
        m_Reverb.Init(m_nLen);
        m_Delay.Init(m_nLen);
        m_Duck.assign(m_nLen, 1.0f);
    }
    int Length() const { return m_nLen; }
    int StepSamples() const { return m_nStep; }
    float StepSeconds() const { return static_cast<float>(m_nStep) / kRate; }

    struct Send {
        float gain = 1.0f;
        float pan = 0.0f;     // -1 left ... +1 right
        bool ducked = false;  // follows the kick's side-chain
        float reverb = 0.0f;
        float delay = 0.0f;
    };

    void Place(const Mono& l, const Mono& r, int step, const Send& s)
    {
        float pl = std::cos((s.pan + 1.0f) * kPi * 0.25f) * 1.41421356f;
        float pr = std::sin((s.pan + 1.0f) * kPi * 0.25f) * 1.41421356f;
        Bus& bus = s.ducked ? m_Ducked : m_Dry;
        long start = static_cast<long>(step) * m_nStep;
        for (size_t i = 0; i < l.size(); ++i) {
            long idx = (start + static_cast<long>(i)) % m_nLen;
            float vl = l[i] * s.gain * pl;
            float vr = r[i] * s.gain * pr;
            bus.l[idx] += vl;
            bus.r[idx] += vr;
            m_Reverb.l[idx] += vl * s.reverb;
            m_Reverb.r[idx] += vr * s.reverb;
            m_Delay.l[idx] += vl * s.delay;
            m_Delay.r[idx] += vr * s.delay;
        }
    }
    void Place(const Mono& m, int step, const Send& s) { Place(m, m, step, s); }

    // A kick at `step` pulls the ducked bus down and lets it swell back.
    void DuckAt(int step, float depth)
    {
        long start = static_cast<long>(step) * m_nStep;
        int len = m_nStep * 4;
        const int attack = Samples(0.004f);  // a dip, not a step
        for (int i = 0; i < len; ++i) {
            float u = static_cast<float>(i) / len;
            float g = 1.0f - depth * (1.0f - u) * (1.0f - u) * std::min(1.0f, static_cast<float>(i) / attack);
            long idx = (start + i) % m_nLen;
            m_Duck[idx] = std::min(m_Duck[idx], g);
        }
    }

    // Sums the buses through the effects and returns interleaved stereo.
    std::vector<float> Render(float reverbRoom, float reverbGain, int delaySteps, float delayFeedback, float delayGain)
    {
        std::vector<float> l(m_nLen), r(m_nLen);
        for (int i = 0; i < m_nLen; ++i) {
            l[i] = m_Dry.l[i] + m_Ducked.l[i] * m_Duck[i];
            r[i] = m_Dry.r[i] + m_Ducked.r[i] * m_Duck[i];
        }
        // The effects first run over the loop's last seconds, so that at the
        // start they hold the state its end leaves; their memory is far
        // shorter than the warm-up.
        const int warm = std::min(m_nLen, 10 * kRate);
        CReverb reverb(reverbRoom, 0.45f);
        CPingPong delay(m_nStep * delaySteps, delayFeedback, 3500.0f);
        float rl, rr, dl, dr;
        for (int i = m_nLen - warm; i < m_nLen; ++i) {
            reverb.Process(m_Reverb.l[i], m_Reverb.r[i], rl, rr);
            delay.Process(m_Delay.l[i], m_Delay.r[i], dl, dr);
        }
        for (int i = 0; i < m_nLen; ++i) {
            reverb.Process(m_Reverb.l[i], m_Reverb.r[i], rl, rr);
            delay.Process(m_Delay.l[i], m_Delay.r[i], dl, dr);
            l[i] += rl * reverbGain + dl * delayGain;
            r[i] += rr * reverbGain + dr * delayGain;
        }
        COnePole dcL, dcR;
        std::vector<float> out(2 * static_cast<size_t>(m_nLen));
        for (int i = m_nLen - warm; i < m_nLen; ++i) {
            dcL.Highpass(l[i], 25.0f);
            dcR.Highpass(r[i], 25.0f);
        }
        for (int i = 0; i < m_nLen; ++i) {
            out[2 * i] = dcL.Highpass(l[i], 25.0f);
            out[2 * i + 1] = dcR.Highpass(r[i], 25.0f);
        }
        // Shape: the loudest moment just past the knee, so drum peaks do not
        // set the level of the whole piece. Level: every piece equally loud
        // (the title as loud as play), well below full scale so the effects
        // have room on top.
        float peak = 0.0f;
        for (float v : out) peak = std::max(peak, std::fabs(v));
        float gain = peak > 0.0f ? 1.15f / peak : 1.0f;
        for (float& v : out) v = SoftClip(v * gain);
        SetLoudness(out, 2, kMusicLoudness);
        return out;
    }

private:
    int m_nStep;
    int m_nLen;
    Bus m_Dry, m_Ducked, m_Reverb, m_Delay;
    std::vector<float> m_Duck;
};

// Voices are cached by their parameters: a piece repeats the same notes often.
class CVoiceCache {
public:
    const Mono& Get(const std::string& key, const std::function<Mono()>& make)
    {
        auto it = m_Cache.find(key);
        if (it != m_Cache.end()) return it->second;
        return m_Cache.emplace(key, make()).first->second;
    }

private:
    std::map<std::string, Mono> m_Cache;
};

std::string Key(const char* kind, int midi, int len, int style)
{
    return std::string(kind) + ":" + std::to_string(midi) + ":" + std::to_string(len) + ":" + std::to_string(style);
}

// Shared arrangement helpers ------------------------------------------------------

void PlacePads(CLoopMix& mix, CVoiceCache& cache, const std::vector<Chord>& chords, int firstBar, int lastBar, int low,
               float cutoff, float gain)
{
    for (int bar = firstBar; bar <= lastBar; ++bar) {
        const Chord& c = chords[bar];
        float gate = mix.StepSeconds() * kStepsPerBar - 0.05f;
        for (int n : Voicing(c, low)) {
            std::string key = Key("pad", n, static_cast<int>(cutoff), static_cast<int>(gate * 1000));
            Mono right;
            const Mono& l = cache.Get(key + "L", [&] {
                Mono left;
                Pad(n, gate, cutoff, left, right);
                return left;
            });
            const Mono& r = cache.Get(key + "R", [&] { return right; });
            CLoopMix::Send s;
            s.gain = gain;
            s.ducked = true;
            s.reverb = 0.6f;
            mix.Place(l, r, bar * kStepsPerBar, s);
        }
    }
}

void PlaceNotes(CLoopMix& mix, CVoiceCache& cache, const std::vector<Note>& notes, const char* kind, int style,
                const std::function<Mono(int, float)>& make, CLoopMix::Send send)
{
    for (const Note& n : notes) {
        float gate = mix.StepSeconds() * n.len * 0.9f;
        const Mono& v = cache.Get(Key(kind, n.midi, n.len, style), [&] { return make(n.midi, gate); });
        CLoopMix::Send s = send;
        s.gain *= n.vel;
        mix.Place(v, n.step, s);
    }
}

void PlaceHits(CLoopMix& mix, const Mono& voice, const std::vector<Note>& hits, CLoopMix::Send send)
{
    for (const Note& h : hits) {
        CLoopMix::Send s = send;
        s.gain *= h.vel;
        mix.Place(voice, h.step, s);
    }
}

void PlaceKicks(CLoopMix& mix, const Mono& kick, const std::vector<Note>& hits, float gain, float duck)
{
    CLoopMix::Send s;
    s.gain = gain;
    for (const Note& h : hits) {
        CLoopMix::Send k = s;
        k.gain *= h.vel;
        mix.Place(kick, h.step, k);
        if (duck > 0.0f) mix.DuckAt(h.step, duck * h.vel);
    }
}

// Arpeggio over each bar's chord: `order` indexes the chord's tones in
// [low, low + 12) and an octave above (0..5); one note per `every` steps.
std::vector<Note> Arpeggio(const std::vector<Chord>& chords, int firstBar, int lastBar, int low,
                           const std::vector<int>& order, int every, int len)
{
    std::vector<Note> out;
    for (int bar = firstBar; bar <= lastBar; ++bar) {
        std::vector<int> v = Voicing(chords[bar], low);
        for (int k = 0; k < 3; ++k) v.push_back(v[k] + 12);
        int count = kStepsPerBar / every;
        for (int i = 0; i < count; ++i) {
            int idx = order[(bar * count + i) % order.size()];
            out.push_back({bar * kStepsPerBar + i * every, len, v[idx], i % 2 == 0 ? 1.0f : 0.8f});
        }
    }
    return out;
}

// Bass from a rhythm lane: each hit plays the bar's root (or its octave for 'o').
std::vector<Note> BassLine(const std::vector<Chord>& chords, int firstBar, int lastBar, int low,
                           const std::string& lane, int len)
{
    std::vector<Note> out;
    for (int bar = firstBar; bar <= lastBar; ++bar) {
        int root = RootIn(chords[bar], low);
        for (int i = 0; i < kStepsPerBar && i < static_cast<int>(lane.size()); ++i) {
            if (lane[i] == 'x') out.push_back({bar * kStepsPerBar + i, len, root, 1.0f});
            if (lane[i] == 'o') out.push_back({bar * kStepsPerBar + i, len, root + 12, 0.85f});
            if (lane[i] == 'f') out.push_back({bar * kStepsPerBar + i, len, root + 7, 0.85f});
        }
    }
    return out;
}

// --- title: calm, D minor, 105 BPM, 28 bars -------------------------------------

std::vector<float> Title()
{
    CLoopMix mix(3150, 28);  // 105 BPM: a sixteenth is 3150 samples
    CVoiceCache cache;
    const auto chords = Chords("Dm Bb F C | Dm Bb F C Dm Bb F A | Gm Bb F C Gm Bb A A | Dm Bb F C Gm Bb C A");

    PlacePads(mix, cache, chords, 0, 27, 57, 1400.0f, 0.16f);

    CLoopMix::Send arp;
    arp.gain = 0.22f;
    arp.delay = 0.45f;
    arp.reverb = 0.35f;
    auto glass = [](int m, float g) { return Pluck(m, g, PluckStyle::Glass); };
    std::vector<Note> arpNotes = Arpeggio(chords, 0, 27, 62, {0, 2, 4, 1, 3, 5, 4, 2}, 2, 2);
    for (size_t i = 0; i < arpNotes.size(); ++i) {
        CLoopMix::Send s = arp;
        s.pan = (i % 2 == 0) ? -0.35f : 0.35f;
        PlaceNotes(mix, cache, {arpNotes[i]}, "glass", 0, glass, s);
    }

    CLoopMix::Send bass;
    bass.gain = 0.5f;
    auto soft = [](int m, float g) { return Bass(m, g, BassStyle::Soft); };
    PlaceNotes(mix, cache, BassLine(chords, 4, 27, 38, "x.....x...x.....", 5), "bass", 0, soft, bass);

    Mono kick = Kick(1.0f);
    std::vector<Note> kicks = Lane(4, 20, "x.........x.....");
    PlaceKicks(mix, kick, kicks, 0.55f, 0.0f);
    CLoopMix::Send drum;
    drum.gain = 0.28f;
    drum.reverb = 0.5f;
    PlaceHits(mix, Clap(), Lane(12, 12, "........x......."), drum);
    CLoopMix::Send hat;
    hat.gain = 0.12f;
    hat.pan = 0.3f;
    PlaceHits(mix, Hat(0.02f, 0.08f, 7101), Lane(8, 16, "..o...x...o...x."), hat);
    hat.pan = -0.3f;
    hat.gain = 0.07f;
    PlaceHits(mix, Hat(0.012f, 0.05f, 7102), Lane(12, 8, "o.o.o.o.o.o.o.o."), hat);
    CLoopMix::Send fx;
    fx.gain = 0.18f;
    fx.reverb = 0.6f;
    Mono crash = Crash();
    for (int bar : {4, 12, 20}) PlaceHits(mix, crash, {{bar * kStepsPerBar, 1, 0, 1.0f}}, fx);
    fx.gain = 0.12f;
    PlaceHits(mix, Riser(mix.StepSeconds() * 32, 7103), {{10 * kStepsPerBar, 1, 0, 1.0f}}, fx);

    std::vector<Note> lead =
        Melody(12, "D5 - - - - - Bb4 - C5 - D5 - - - G5 - | F5 - - - - - D5 - - - C5 - Bb4 - - - | "
                   "A4 - - - - - C5 - F5 - - - E5 - D5 - | E5 - - - - - - - G4 - C5 - E5 - - - | "
                   "D5 - - - - - Bb4 - C5 - D5 - - - G5 - | F5 - - - - - G5 - - - A5 - Bb5 - - - | "
                   "A5 - - - - - - - - - G5 - E5 - C#5 - | E5 - - - - - - - - - - - . . . . | "
                   "A5 - - - - - - - F5 - - - D5 - - - | F5 - - - - - - - D5 - - - Bb4 - - - | "
                   "C5 - - - - - - - F5 - - - A5 - - - | G5 - - - - - - - - - - - E5 - - - | "
                   "D5 - - - - - - - G5 - - - Bb5 - - - | A5 - - - - - - - F5 - - - D5 - - - | "
                   "E5 - - - - - - - G5 - - - C5 - - - | C#5 - - - - - - - - - - - . . . .");
    CLoopMix::Send ld;
    ld.gain = 0.2f;
    ld.delay = 0.35f;
    ld.reverb = 0.45f;
    ld.pan = 0.1f;
    auto softLead = [](int m, float g) { return Lead(m, g, LeadStyle::Soft); };
    PlaceNotes(mix, cache, lead, "lead", 0, softLead, ld);

    return mix.Render(0.86f, 0.9f, 6, 0.45f, 0.5f);
}

// --- chapter 1: driving, A minor, 135 BPM, 36 bars ------------------------------

std::vector<float> Chapter1()
{
    CLoopMix mix(2450, 36);  // 135 BPM: a sixteenth is 2450 samples
    CVoiceCache cache;
    const auto chords =
        Chords("Am Am F G | Am F C G Am F C G | Am F C G Am F G G | F G Em Am F G E E | Am F C G Am F G G");

    Mono kick = Kick(1.3f);
    std::vector<Note> kicks = Lane(0, 20, "x...x...x...x...");
    Append(kicks, Lane(20, 4, "x.........x....."));
    Append(kicks, Lane(24, 3, "x...x...x...x..."));
    Append(kicks, Lane(27, 1, "x...x...x...xxxx"));
    Append(kicks, Lane(28, 8, "x...x...x...x..."));
    PlaceKicks(mix, kick, kicks, 0.8f, 0.55f);

    CLoopMix::Send drum;
    drum.gain = 0.38f;
    drum.reverb = 0.25f;
    Mono clap = Clap();
    Mono snare = Snare();
    std::vector<Note> claps = Lane(4, 16, "....x.......x...");
    Append(claps, Lane(24, 12, "....x.......x..."));
    PlaceHits(mix, clap, claps, drum);
    drum.gain = 0.3f;
    std::vector<Note> rolls;
    for (int bar : {11, 19, 27, 35}) Append(rolls, Lane(bar, 1, "............oxxx"));
    Append(rolls, Lane(23, 1, "........o.o.oxxx"));
    PlaceHits(mix, snare, rolls, drum);

    CLoopMix::Send hat;
    hat.gain = 0.14f;
    hat.pan = 0.25f;
    Mono closed = Hat(0.018f, 0.07f, 7201);
    Mono open = Hat(0.09f, 0.3f, 7202);
    PlaceHits(mix, closed, Lane(4, 32, "o.o.o.o.o.o.o.o."), hat);
    hat.pan = -0.2f;
    hat.gain = 0.12f;
    PlaceHits(mix, closed, Lane(12, 8, ".o.o.o.o.o.o.o.o"), hat);
    PlaceHits(mix, closed, Lane(28, 8, ".o.o.o.o.o.o.o.o"), hat);
    hat.pan = 0.0f;
    hat.gain = 0.16f;
    PlaceHits(mix, open, Lane(0, 36, "..x...x...x...x."), hat);

    CLoopMix::Send fx;
    fx.gain = 0.22f;
    fx.reverb = 0.4f;
    Mono crash = Crash();
    for (int bar : {4, 12, 20, 28}) PlaceHits(mix, crash, {{bar * kStepsPerBar, 1, 0, 1.0f}}, fx);
    fx.gain = 0.14f;
    Mono riser = Riser(mix.StepSeconds() * 16, 7203);
    for (int bar : {3, 11, 27, 35}) PlaceHits(mix, riser, {{bar * kStepsPerBar, 1, 0, 1.0f}}, fx);

    CLoopMix::Send bass;
    bass.gain = 0.42f;
    bass.ducked = true;
    auto drive = [](int m, float g) { return Bass(m, g, BassStyle::Drive); };
    PlaceNotes(mix, cache, BassLine(chords, 0, 3, 33, ".xxx.xxx.xxx.xxx", 1), "bass", 1, drive, bass);
    PlaceNotes(mix, cache, BassLine(chords, 4, 19, 33, ".xox.xox.xox.xox", 1), "bass", 1, drive, bass);
    PlaceNotes(mix, cache, BassLine(chords, 20, 23, 33, "x.......x..x..x.", 2), "bass", 1, drive, bass);
    PlaceNotes(mix, cache, BassLine(chords, 24, 35, 33, ".xox.xox.xox.xof", 1), "bass", 1, drive, bass);

    CLoopMix::Send arp;
    arp.gain = 0.13f;
    arp.ducked = true;
    arp.delay = 0.3f;
    arp.reverb = 0.2f;
    arp.pan = -0.3f;
    auto saw = [](int m, float g) { return Pluck(m, g, PluckStyle::Saw); };
    PlaceNotes(mix, cache, Arpeggio(chords, 4, 35, 64, {0, 1, 2, 3, 4, 3, 2, 1}, 1, 1), "arp", 1, saw, arp);

    PlacePads(mix, cache, chords, 12, 35, 55, 1800.0f, 0.09f);

    const std::string theme = "E5 - - E5 - - A5 - - - G5 - E5 - D5 - | C5 - - - A4 - - - C5 - D5 - E5 - - - | "
                              "G5 - - G5 - - E5 - - - C5 - D5 - E5 - | D5 - - - - - - - B4 - - - G4 - - - | "
                              "E5 - - E5 - - A5 - - - B5 - C6 - B5 - | A5 - - - F5 - - - A5 - C6 - A5 - - - | "
                              "B5 - - - G5 - - - D5 - - - G5 - A5 - | B5 - - - - - - - - - - - . . . .";
    CLoopMix::Send ld;
    ld.gain = 0.17f;
    ld.delay = 0.25f;
    ld.reverb = 0.3f;
    ld.pan = 0.15f;
    auto bright = [](int m, float g) { return Lead(m, g, LeadStyle::Bright); };
    PlaceNotes(mix, cache, Melody(12, theme), "lead", 1, bright, ld);
    PlaceNotes(mix, cache, Melody(28, theme), "lead", 1, bright, ld);
    // The last section doubles the theme an octave down for weight.
    std::vector<Note> low = Melody(28, theme, 0.6f);
    for (Note& n : low) n.midi -= 12;
    ld.pan = -0.15f;
    PlaceNotes(mix, cache, low, "lead", 1, bright, ld);

    CLoopMix::Send bell;
    bell.gain = 0.16f;
    bell.delay = 0.4f;
    bell.reverb = 0.4f;
    auto glass = [](int m, float g) { return Pluck(m, g, PluckStyle::Glass); };
    PlaceNotes(mix, cache,
               Melody(24, "A5 - - - C6 - - - A5 - - - F5 - - - | G5 - - - B5 - - - D6 - - - B5 - - - | "
                          "G#5 - - - B5 - - - E6 - - - B5 - - - | G#5 - - - - - - - - - - - . . . ."),
               "bell", 0, glass, bell);

    return mix.Render(0.8f, 0.7f, 3, 0.35f, 0.4f);
}

// --- chapter 2: dark and fast, E minor, 150 BPM, 40 bars ---------------------------

std::vector<float> Chapter2()
{
    CLoopMix mix(2205, 40);  // 150 BPM: a sixteenth is 2205 samples
    CVoiceCache cache;
    const auto chords = Chords("Em Em C B Em Em C B | Em F Em D C D Em B | Em C Am B Em C Am B | C C Am Am F F B B | "
                               "Em C D B Em C D B");

    Mono kick = Kick(1.5f);
    std::vector<Note> kicks = Lane(0, 24, "x...x...x...x...");
    Append(kicks, Lane(28, 3, "x...x...x...x..."));
    Append(kicks, Lane(31, 1, "x...x...x.x.xxxx"));
    Append(kicks, Lane(32, 8, "x...x...x...x..x"));
    PlaceKicks(mix, kick, kicks, 0.85f, 0.5f);

    CLoopMix::Send drum;
    drum.gain = 0.4f;
    drum.reverb = 0.3f;
    Mono snare = Snare();
    std::vector<Note> snares = Lane(8, 16, "....x.......x...");
    Append(snares, Lane(32, 8, "....x.......x..o"));
    Append(snares, Lane(30, 1, "....o...o...o.o."));
    Append(snares, Lane(31, 1, "o.o.o.o.oooooxxx"));
    PlaceHits(mix, snare, snares, drum);

    CLoopMix::Send hat;
    hat.gain = 0.13f;
    hat.pan = 0.3f;
    Mono closed = Hat(0.015f, 0.06f, 7301);
    Mono open = Hat(0.08f, 0.25f, 7302);
    PlaceHits(mix, closed, Lane(0, 24, "xoooxoooxoooxooo"), hat);
    PlaceHits(mix, closed, Lane(28, 12, "xoooxoooxoooxooo"), hat);
    hat.pan = -0.25f;
    hat.gain = 0.15f;
    PlaceHits(mix, open, Lane(16, 8, "..x...x...x...x."), hat);
    PlaceHits(mix, open, Lane(32, 8, "..x...x...x...x."), hat);

    CLoopMix::Send fx;
    fx.gain = 0.22f;
    fx.reverb = 0.4f;
    Mono crash = Crash();
    for (int bar : {0, 8, 16, 24, 32}) PlaceHits(mix, crash, {{bar * kStepsPerBar, 1, 0, 1.0f}}, fx);
    fx.gain = 0.16f;
    PlaceHits(mix, Riser(mix.StepSeconds() * 64, 7303), {{28 * kStepsPerBar, 1, 0, 1.0f}}, fx);
    PlaceHits(mix, Riser(mix.StepSeconds() * 16, 7304), {{15 * kStepsPerBar, 1, 0, 1.0f}}, fx);
    PlaceHits(mix, Riser(mix.StepSeconds() * 16, 7305), {{39 * kStepsPerBar, 1, 0, 1.0f}}, fx);

    CLoopMix::Send bass;
    bass.gain = 0.36f;
    bass.ducked = true;
    auto grit = [](int m, float g) { return Bass(m, g, BassStyle::Grit); };
    PlaceNotes(mix, cache, BassLine(chords, 0, 23, 28, "xxoxxxoxxxoxxxox", 1), "bass", 2, grit, bass);
    PlaceNotes(mix, cache, BassLine(chords, 24, 27, 28, "x...............", 16), "bass", 2, grit, bass);
    PlaceNotes(mix, cache, BassLine(chords, 28, 39, 28, "xxoxxxoxxxoxxfox", 1), "bass", 2, grit, bass);

    PlacePads(mix, cache, chords, 0, 39, 52, 900.0f, 0.13f);

    CLoopMix::Send arp;
    arp.gain = 0.11f;
    arp.ducked = true;
    arp.delay = 0.3f;
    arp.reverb = 0.2f;
    arp.pan = 0.35f;
    auto square = [](int m, float g) { return Pluck(m, g, PluckStyle::Square); };
    std::vector<int> order = {0, 3, 1, 4, 2, 5, 4, 3};
    PlaceNotes(mix, cache, Arpeggio(chords, 8, 23, 64, order, 1, 1), "arp", 2, square, arp);
    PlaceNotes(mix, cache, Arpeggio(chords, 24, 27, 64, order, 2, 2), "arp", 2, square, arp);
    PlaceNotes(mix, cache, Arpeggio(chords, 28, 39, 64, order, 1, 1), "arp", 2, square, arp);

    CLoopMix::Send ld;
    ld.gain = 0.15f;
    ld.delay = 0.25f;
    ld.reverb = 0.3f;
    ld.pan = -0.1f;
    auto hard = [](int m, float g) { return Lead(m, g, LeadStyle::Hard); };
    PlaceNotes(mix, cache,
               Melody(16, "E5 - - - G5 - - - B5 - - - A5 - G5 - | E5 - - - - - - - C5 - D5 - E5 - - - | "
                          "A5 - - - G5 - - - E5 - - - C5 - D5 - | D#5 - - - - - - - F#5 - - - B5 - - - | "
                          "E5 - - - G5 - - - B5 - - - C6 - B5 - | G5 - - - E5 - - - G5 - - - C6 - - - | "
                          "B5 - - - A5 - - - E5 - - - F5 - E5 - | D#5 - - - - - - - - - - - . . . ."),
               "lead", 2, hard, ld);
    PlaceNotes(mix, cache,
               Melody(32, "B5 - - - - - G5 - - - E5 - - - G5 - | C6 - - - - - G5 - - - E5 - G5 - C6 - | "
                          "D6 - - - - - A5 - - - F#5 - A5 - D6 - | D#6 - - - - - - - B5 - - - F#5 - - - | "
                          "E6 - - - - - B5 - - - G5 - - - E5 - | G5 - - - - - E5 - - - C5 - E5 - G5 - | "
                          "F#5 - - - - - A5 - - - D6 - - - C6 - | B5 - - - - - - - - - - - . . . ."),
               "lead", 2, hard, ld);

    CLoopMix::Send bell;
    bell.gain = 0.14f;
    bell.delay = 0.45f;
    bell.reverb = 0.5f;
    auto glass = [](int m, float g) { return Pluck(m, g, PluckStyle::Glass); };
    PlaceNotes(mix, cache,
               Melody(24, "E6 - - - - - - - B5 - - - - - - - | C6 - - - - - - - G5 - - - - - - - | "
                          "A5 - - - - - - - E6 - - - - - - - | C6 - - - - - - - B5 - - - - - - - | "
                          "A5 - - - - - - - C6 - - - - - - - | F6 - - - - - - - E6 - - - - - - - | "
                          "D#6 - - - - - - - F#6 - - - - - - - | B5 - - - - - - - - - - - . . . ."),
               "bell", 0, glass, bell);

    return mix.Render(0.82f, 0.6f, 3, 0.4f, 0.35f);
}

}  // namespace

bool RenderMusic(int id, std::vector<float>& stereo)
{
    switch (id) {
    case 109: stereo = Title(); return true;
    case 111: stereo = Chapter1(); return true;
    case 113: stereo = Chapter2(); return true;
    default: return false;
    }
}

}  // namespace snd
