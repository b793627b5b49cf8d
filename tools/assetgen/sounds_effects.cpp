// The 41 sound effects. Each is drawn from a few shared voices (explosion,
// zap, whoosh, bell) shaped for its moment in the game. Levels, before the
// shared kEffectsTrim: ordinary effects peak at -1 dB, the rapid-fire ones
// that repeat several times a second sit lower so a held trigger does not
// drown the music, and so do sustained tones (alarm, refusal buzz), which at
// the same peak sound far louder than a decaying hit.
#include <cmath>
#include <functional>

#include "tools/assetgen/sounds.h"

namespace snd {

const int kEffectIds[41] = {115, 109, 107, 108, 105, 171, 112, 158, 147, 163, 162, 160, 113, 132,
                            168, 169, 119, 111, 102, 149, 152, 101, 110, 131, 116, 125, 126, 153,
                            148, 161, 134, 123, 118, 128, 170, 180, 142, 200, 400, 401, 402};

namespace {

constexpr float kFull = -1.0f;   // peak of ordinary effects, dB before the trim
constexpr float kRapid = -6.0f;  // peak of effects that repeat several times a second
// (Sustained tones such as the alarm and the refusal buzz also sit a little
// lower: at the same peak they sound far louder than a decaying hit.)

float Sec(int i)
{
    return static_cast<float>(i) / kRate;
}

Mono Gen(float seconds, const std::function<float(float)>& f)
{
    Mono s(Samples(seconds));
    for (size_t i = 0; i < s.size(); ++i) s[i] = f(Sec(static_cast<int>(i)));
    return s;
}

float Sin(double phaseTurns)
{
    return static_cast<float>(std::sin(2.0 * 3.14159265358979323846 * phaseTurns));
}

// Two-operator FM bell: inharmonic ratio gives the metal, the index decays
// faster than the body so the attack is bright and the tail pure.
Mono Bell(float seconds, float hz, float ratio, float index, float tau, float indexTau)
{
    return Gen(seconds, [=](float t) {
        double mod = index * ExpDecay(t, indexTau) * Sin(static_cast<double>(hz) * ratio * t);
        return Sin(static_cast<double>(hz) * t + mod / (2.0 * 3.14159265358979323846)) * ExpDecay(t, tau) *
               Clamp01(t / 0.002f);
    });
}

struct ExplosionParams {
    float seconds = 1.0f;
    float bodyTau = 0.25f;     // decay of the noise body
    float cutStart = 3000.0f;  // low-pass opening at the blast...
    float cutEnd = 200.0f;     // ...closing as it dies away
    float subHz = 70.0f;       // pitch of the thump
    float subTau = 0.15f;
    float subGain = 0.8f;
    float crackle = 0.3f;  // sparse debris clicks
    float drive = 1.5f;
    uint64_t seed = 1;
};

Mono Explosion(const ExplosionParams& p)
{
    CSynthRand rand(p.seed);
    CSvf body, crackleHp;
    COsc sub;
    COnePole rumble;
    return Gen(p.seconds, [&](float t) {
        float n = rand.Bipolar();
        float cut = Glide(t, p.seconds * 0.8f, p.cutStart, p.cutEnd);
        float env = Clamp01(t / 0.004f) * ExpDecay(t, p.bodyTau);
        float x = body.Lowpass(n, cut, 0.9f) * env;
        x += rumble.Lowpass(rand.Bipolar(), 120.0f) * 3.0f * ExpDecay(t, p.bodyTau * 2.5f);
        float subHz = Glide(t, 0.4f, p.subHz * 1.8f, p.subHz * 0.5f);
        x += sub.Sine(subHz) * p.subGain * ExpDecay(t, p.subTau) * Clamp01(t / 0.002f);
        // Debris: rarer as the blast fades.
        float chance = 0.02f * ExpDecay(t, p.seconds * 0.3f);
        float click = rand.Unit() < chance ? rand.Bipolar() : 0.0f;
        x += crackleHp.Highpass(click, 2000.0f) * p.crackle;
        // The last third fades out so a long rumble never stops dead.
        float fade = Clamp01((p.seconds - t) / (p.seconds * 0.35f));
        return SoftClip(x * p.drive) * fade;
    });
}

// A pitched zap: a bright oscillator falling (or rising) fast through a filter.
Mono Zap(float seconds, float f0, float f1, float glide, float tau, float cutoff, bool square)
{
    COsc osc, osc2;
    CSvf filt;
    return Gen(seconds, [&](float t) {
        float hz = Glide(t, glide, f0, f1);
        float v = square ? osc.Square(hz, 0.3f) : osc.Saw(hz);
        v = 0.7f * v + 0.3f * osc2.Saw(hz * 1.007f);
        return filt.Lowpass(v, cutoff, 1.2f) * ExpDecay(t, tau) * Clamp01(t / 0.002f);
    });
}

// Filtered noise swept in frequency with an amplitude shape: air, blades.
Mono Whoosh(float seconds, float f0, float fPeak, float f1, float peakAt, float q, uint64_t seed)
{
    CSynthRand rand(seed);
    CSvf filt;
    return Gen(seconds, [&](float t) {
        float hz = t < peakAt ? Glide(t, peakAt, f0, fPeak) : Glide(t - peakAt, seconds - peakAt, fPeak, f1);
        float env = t < peakAt ? std::pow(t / peakAt, 1.5f) : std::pow(1.0f - (t - peakAt) / (seconds - peakAt), 2.0f);
        return filt.Bandpass(rand.Bipolar(), hz, q) * env;
    });
}

Mono Chain(std::initializer_list<std::pair<Mono, float>> parts)
{
    Mono out;
    for (const auto& [part, offsetSeconds] : parts) MixInto(out, part, Samples(offsetSeconds), 1.0f);
    return out;
}

// --- the player's craft ----------------------------------------------------

Mono Shot()
{  // #101: twin shot, every fourth frame while firing
    COsc osc;
    CSvf hp;
    CSynthRand rand(101);
    return Gen(0.075f, [&](float t) {
        float hz = Glide(t, 0.05f, 2400.0f, 900.0f);
        float v = osc.Square(hz, 0.25f) * 0.6f + rand.Bipolar() * 0.4f * ExpDecay(t, 0.006f);
        return hp.Highpass(v, 500.0f) * ExpDecay(t, 0.02f);
    });
}

Mono ShotHit()
{  // #110: a shot striking an enemy
    CSynthRand rand(110);
    CSvf bp;
    COsc ping;
    return Gen(0.07f, [&](float t) {
        float n = bp.Bandpass(rand.Bipolar(), 3200.0f, 1.5f) * ExpDecay(t, 0.01f) * 1.5f;
        return n + ping.Tri(2600.0f) * 0.4f * ExpDecay(t, 0.018f);
    });
}

Mono BladeSwing()
{  // #115: the craft's blade sweeps
    Mono air = Whoosh(0.26f, 700.0f, 3800.0f, 1800.0f, 0.09f, 2.0f, 115);
    COsc shing;
    Mono ring = Gen(0.26f, [&](float t) {
        return shing.Sine(Glide(t, 0.26f, 2200.0f, 3100.0f)) * 0.12f * std::sin(kPi * Clamp01(t / 0.26f));
    });
    MixInto(air, ring, 0, 1.0f);
    return air;
}

Mono BladeStrike()
{  // #116: the craft's blade cuts an enemy
    Mono metal = Bell(0.4f, 980.0f, 1.414f, 5.0f, 0.12f, 0.03f);
    CSynthRand rand(116);
    CSvf hp;
    COsc thump;
    Mono hit = Gen(0.4f, [&](float t) {
        return hp.Highpass(rand.Bipolar(), 2500.0f) * ExpDecay(t, 0.012f) +
               thump.Sine(Glide(t, 0.08f, 220.0f, 90.0f)) * 0.6f * ExpDecay(t, 0.05f);
    });
    MixInto(metal, hit, 0, 0.8f);
    return metal;
}

Mono Dash()
{  // #111: a burst in one of eight directions
    Mono air = Whoosh(0.3f, 500.0f, 4500.0f, 2500.0f, 0.06f, 1.2f, 111);
    COsc jet, jet2;
    CSvf lp;
    Mono tone = Gen(0.3f, [&](float t) {
        float hz = Glide(t, 0.15f, 160.0f, 520.0f);
        float v = jet.Saw(hz) + jet2.Saw(hz * 1.5f) * 0.5f;
        return lp.Lowpass(v, Glide(t, 0.2f, 600.0f, 3000.0f), 1.5f) * ExpDecay(t, 0.08f) * 0.5f;
    });
    MixInto(air, tone, 0, 1.0f);
    return air;
}

Mono Miss()
{  // #125: hit, a spare craft lost
    ExplosionParams p;
    p.seconds = 0.9f;
    p.bodyTau = 0.14f;
    p.cutStart = 5000.0f;
    p.cutEnd = 400.0f;
    p.subHz = 90.0f;
    p.crackle = 0.5f;
    p.drive = 2.0f;
    p.seed = 125;
    Mono boom = Explosion(p);
    COsc alarm;
    Mono fall = Gen(0.9f, [&](float t) {
        return SoftClip(alarm.Square(Glide(t, 0.7f, 900.0f, 140.0f), 0.5f) * 1.5f) * 0.35f * Clamp01(t / 0.01f) *
               ExpDecay(t, 0.3f);
    });
    MixInto(boom, fall, 0, 1.0f);
    return boom;
}

Mono FinalExplosion()
{  // #142: the last craft is gone
    ExplosionParams p;
    p.seconds = 3.2f;
    p.bodyTau = 0.6f;
    p.cutStart = 4500.0f;
    p.cutEnd = 150.0f;
    p.subHz = 55.0f;
    p.subTau = 0.5f;
    p.subGain = 1.0f;
    p.crackle = 0.6f;
    p.drive = 2.2f;
    p.seed = 142;
    Mono boom = Explosion(p);
    p.seconds = 2.4f;
    p.bodyTau = 0.4f;
    p.seed = 1420;
    p.subGain = 0.6f;
    MixInto(boom, Explosion(p), Samples(0.35f), 0.6f);
    return WithReverb(boom, 0.5f, 0.86f, 0.4f, 0.0f);
}

Mono ScoreItem()
{  // #108: a score item collected
    Mono a = Bell(0.1f, 1318.5f, 2.0f, 1.5f, 0.05f, 0.02f);
    Mono b = Bell(0.22f, 1975.5f, 2.0f, 1.5f, 0.07f, 0.02f);
    Mono out = Chain({{a, 0.0f}, {b, 0.055f}});
    return out;
}

Mono Extend()
{  // #131: an extra craft
    const float notes[] = {72, 76, 79, 84, 88};
    Mono out;
    for (int k = 0; k < 5; ++k) {
        COsc osc, osc2;
        float hz = MidiHz(notes[k]);
        float len = k == 4 ? 0.6f : 0.09f;
        Mono n = Gen(len + 0.05f, [&](float t) {
            float v = osc.Square(hz, 0.25f) * 0.6f + osc2.Tri(hz * 2.0f) * 0.4f;
            float vib = k == 4 ? 1.0f + 0.2f * Clamp01((t - 0.15f) * 4.0f) * Sin(6.0 * t) : 1.0f;
            return v * Adsr(t, len, 0.003f, 0.1f, 0.6f, 0.05f) * vib;
        });
        MixInto(out, n, Samples(0.075f * k), 0.6f);
    }
    // A dotted echo keeps it light rather than loud.
    Mono echo = out;
    MixInto(out, echo, Samples(0.15f), 0.3f);
    return out;
}

Mono BombVolley()
{  // #153: 24 homing lasers leave the craft
    Mono out;
    CSynthRand rand(153);
    for (int k = 0; k < 8; ++k) {
        float f0 = 2400.0f + 800.0f * rand.Unit();
        Mono z = Zap(0.35f, f0, f0 * 0.25f, 0.3f, 0.12f, 5000.0f, k % 2 == 0);
        MixInto(out, z, Samples(0.045f * k), 0.45f);
    }
    MixInto(out, Whoosh(1.0f, 300.0f, 2500.0f, 600.0f, 0.3f, 0.8f, 1530), 0, 1.2f);
    COsc sub;
    Mono low = Gen(0.6f, [&](float t) { return sub.Sine(Glide(t, 0.4f, 120.0f, 50.0f)) * ExpDecay(t, 0.2f); });
    MixInto(out, low, 0, 0.6f);
    return out;
}

Mono LaserStrike()
{  // #147: a homing laser strikes
    Mono z = Zap(0.25f, 3000.0f, 180.0f, 0.12f, 0.07f, 6000.0f, false);
    CSynthRand rand(147);
    CSvf bp;
    Mono crack = Gen(0.25f, [&](float t) {
        return SoftClip(bp.Bandpass(rand.Bipolar(), 1800.0f, 0.8f) * 3.0f) * ExpDecay(t, 0.03f);
    });
    MixInto(z, crack, 0, 0.8f);
    return z;
}

// --- enemies ------------------------------------------------------------------

Mono BitFire()
{  // #118: an option bit fires at the craft
    COsc osc;
    return Gen(0.09f, [&](float t) {
        return osc.Sine(Glide(t, 0.07f, 1700.0f, 700.0f)) * ExpDecay(t, 0.03f) * Clamp01(t / 0.002f);
    });
}

Mono BitVolley()
{  // #128: a circling bit sprays both sides
    COsc osc;
    CSynthRand rand(128);
    CSvf hp;
    return Gen(0.08f, [&](float t) {
        float v = osc.Square(Glide(t, 0.05f, 980.0f, 620.0f), 0.5f) * 0.7f +
                  hp.Highpass(rand.Bipolar(), 3000.0f) * 0.4f * ExpDecay(t, 0.01f);
        return v * ExpDecay(t, 0.025f);
    });
}

Mono EnemyAimed()
{  // #109: an aimed shell from the pendulum barrage
    COsc osc, osc2;
    CSvf lp;
    return Gen(0.22f, [&](float t) {
        float hz = Glide(t, 0.18f, 640.0f, 260.0f);
        float v = osc.Square(hz, 0.5f) + osc2.Saw(hz * 0.5f) * 0.5f;
        return lp.Lowpass(v, Glide(t, 0.2f, 3500.0f, 500.0f), 2.0f) * ExpDecay(t, 0.07f) * Clamp01(t / 0.003f);
    });
}

Mono StreamTick()
{  // #119: the aimed stream, ten times a second
    COsc osc;
    CSynthRand rand(119);
    CSvf bp;
    return Gen(0.06f, [&](float t) {
        return (osc.Tri(Glide(t, 0.04f, 1900.0f, 1300.0f)) * 0.7f + bp.Bandpass(rand.Bipolar(), 5000.0f, 2.0f) * 0.5f) *
               ExpDecay(t, 0.014f) * Clamp01(t / 0.001f);
    });
}

Mono ScatterWarning()
{  // #132: the second before every bullet scatters
    COsc osc, trem;
    CSynthRand rand(132);
    CSvf bp;
    return Gen(1.0f, [&](float t) {
        float hz = Glide(t, 0.95f, 420.0f, 1500.0f);
        float wob = 0.6f + 0.4f * trem.Sine(Glide(t, 1.0f, 8.0f, 24.0f));
        float swell = Clamp01(t / 0.9f);
        float v = osc.Saw(hz) * 0.4f * wob + bp.Bandpass(rand.Bipolar(), hz * 2.0f, 3.0f) * 0.5f;
        return v * swell * swell * (t > 0.95f ? (1.0f - t) / 0.05f : 1.0f);
    });
}

Mono Burst()
{  // #170: a shell bursts into children
    CSynthRand rand(170);
    CSvf bp;
    COsc pop;
    return Gen(0.3f, [&](float t) {
        float n = bp.Bandpass(rand.Bipolar(), Glide(t, 0.2f, 2200.0f, 700.0f), 1.0f) * ExpDecay(t, 0.05f) * 1.4f;
        float body = pop.Sine(Glide(t, 0.1f, 320.0f, 90.0f)) * ExpDecay(t, 0.06f);
        return SoftClip((n + body) * Clamp01(t / 0.001f) * 1.5f);
    });
}

Mono BeamCharge()
{  // #123: a beam gathering (45 frames before it fires)
    COsc a, b, trem;
    CSvf lp;
    return Gen(0.8f, [&](float t) {
        float hz = Glide(t, 0.75f, 180.0f, 1800.0f);
        float v = a.Saw(hz) * 0.5f + b.Sine(hz * 2.01f) * 0.5f;
        float wob = 0.55f + 0.45f * trem.Sine(Glide(t, 0.75f, 6.0f, 30.0f));
        float swell = Clamp01(t / 0.7f);
        float tail = t > 0.74f ? Clamp01((0.8f - t) / 0.06f) : 1.0f;
        return lp.Lowpass(v, Glide(t, 0.75f, 500.0f, 6000.0f), 2.5f) * wob * swell * tail;
    });
}

Mono BeamFire()
{  // #134: a beam fires along its line
    COsc a, b, c, ring;
    CSvf lp;
    CSynthRand rand(134);
    CSvf hp;
    Mono out = Gen(0.9f, [&](float t) {
        float hz = Glide(t, 0.6f, 130.0f, 95.0f);
        float v = a.Saw(hz) + b.Saw(hz * 1.01f) + c.Square(hz * 2.0f, 0.4f) * 0.5f;
        v *= 0.6f + 0.4f * ring.Sine(hz * 7.3f);
        float bright = lp.Lowpass(v, Glide(t, 0.8f, 7000.0f, 400.0f), 1.0f);
        float hiss = hp.Highpass(rand.Bipolar(), 4000.0f) * ExpDecay(t, 0.12f);
        float env = Clamp01(t / 0.005f) * ExpDecay(t, 0.3f);
        return SoftClip((bright * 0.5f + hiss * 0.5f) * env * 1.8f);
    });
    return WithReverb(out, 0.25f, 0.7f, 0.5f, 0.0f);
}

// --- bosses and barrages ------------------------------------------------------

Mono BossSwing()
{  // #161: the boss's blade sweeps
    Mono air = Whoosh(0.42f, 250.0f, 1600.0f, 600.0f, 0.16f, 1.6f, 161);
    COsc hum, hum2;
    Mono low = Gen(0.42f, [&](float t) {
        float hz = Glide(t, 0.4f, 110.0f, 160.0f);
        return (hum.Saw(hz) * 0.5f + hum2.Sine(hz * 0.5f)) * 0.3f * std::sin(kPi * Clamp01(t / 0.42f));
    });
    MixInto(air, low, 0, 1.0f);
    return air;
}

Mono BladeClash()
{  // #171: blade against blade, the craft thrown back
    Mono ring = Bell(0.8f, 1240.0f, 2.76f, 6.0f, 0.25f, 0.04f);
    MixInto(ring, Bell(0.8f, 1861.0f, 1.41f, 3.0f, 0.18f, 0.03f), 0, 0.6f);
    CSynthRand rand(171);
    CSvf hp;
    Mono spark = Gen(0.2f, [&](float t) { return hp.Highpass(rand.Bipolar(), 3500.0f) * ExpDecay(t, 0.02f); });
    MixInto(ring, spark, 0, 1.2f);
    return WithReverb(ring, 0.3f, 0.75f, 0.3f, 0.0f);
}

Mono BossBladeHit()
{  // #200: the boss's blade cuts the craft
    CSynthRand rand(200);
    CSvf hp;
    COsc fall, thump;
    return Gen(0.45f, [&](float t) {
        float slash = hp.Highpass(rand.Bipolar(), Glide(t, 0.1f, 6000.0f, 1500.0f)) * ExpDecay(t, 0.04f);
        float tone = fall.Saw(Glide(t, 0.3f, 1400.0f, 200.0f)) * 0.35f * ExpDecay(t, 0.12f);
        float body = thump.Sine(Glide(t, 0.15f, 150.0f, 45.0f)) * 0.8f * ExpDecay(t, 0.1f);
        return SoftClip((slash + tone + body) * 1.6f) * Clamp01(t / 0.001f);
    });
}

Mono CutIn()
{  // #113: a barrage title (or the bomb) slides in
    Mono air = Whoosh(0.5f, 400.0f, 5000.0f, 2000.0f, 0.22f, 0.9f, 113);
    Mono metal = Bell(0.8f, 1567.98f, 3.01f, 4.0f, 0.22f, 0.05f);
    MixInto(metal, Bell(0.8f, 2093.0f, 2.0f, 2.0f, 0.2f, 0.05f), 0, 0.5f);
    COsc sub;
    Mono hit = Gen(0.5f, [&](float t) { return sub.Sine(Glide(t, 0.2f, 160.0f, 55.0f)) * ExpDecay(t, 0.12f); });
    MixInto(metal, hit, 0, 0.7f);
    MixInto(air, metal, Samples(0.22f), 0.9f);
    return WithReverb(air, 0.3f, 0.8f, 0.3f, 0.3f);
}

Mono BarrageBroken()
{  // #107: a barrage broken; bullets cleared, screen shaken
    ExplosionParams p;
    p.seconds = 1.6f;
    p.bodyTau = 0.3f;
    p.cutStart = 6000.0f;
    p.cutEnd = 250.0f;
    p.subHz = 60.0f;
    p.subTau = 0.3f;
    p.subGain = 1.0f;
    p.crackle = 0.2f;
    p.seed = 107;
    Mono boom = Explosion(p);
    // Glassy shatter: the bullets on screen dissolve.
    CSynthRand rand(1070);
    Mono glass;
    for (int k = 0; k < 10; ++k) {
        float hz = 2500.0f + 3000.0f * rand.Unit();
        MixInto(glass, Bell(0.6f, hz, 1.73f, 2.0f, 0.08f + 0.1f * rand.Unit(), 0.02f), Samples(0.03f * k + 0.02f),
                0.18f);
    }
    MixInto(boom, glass, 0, 1.0f);
    return WithReverb(boom, 0.35f, 0.8f, 0.4f, 0.0f);
}

Mono Capture()
{  // #168: the barrage's result (bonus or not)
    const float notes[] = {79, 83, 86, 90, 91};
    Mono out;
    for (int k = 0; k < 5; ++k) {
        Mono b = Bell(1.0f, MidiHz(notes[k]), 1.0f, 2.5f, 0.3f, 0.08f);
        MixInto(out, b, Samples(0.06f * k), 0.35f);
    }
    return WithReverb(out, 0.35f, 0.8f, 0.3f, 0.3f);
}

Mono BossDestroyed()
{  // #102: a boss goes down for good
    Mono out;
    const float at[] = {0.0f, 0.28f, 0.5f, 0.85f};
    for (int k = 0; k < 4; ++k) {
        ExplosionParams p;
        p.seconds = 1.0f;
        p.bodyTau = 0.15f;
        p.subHz = 85.0f - 5.0f * k;
        p.subTau = 0.12f;
        p.seed = 1020 + k;
        MixInto(out, Explosion(p), Samples(at[k]), 0.55f);
    }
    ExplosionParams big;
    big.seconds = 3.4f;
    big.bodyTau = 0.7f;
    big.cutStart = 5000.0f;
    big.cutEnd = 120.0f;
    big.subHz = 45.0f;
    big.subTau = 0.6f;
    big.subGain = 1.2f;
    big.crackle = 0.7f;
    big.drive = 2.5f;
    big.seed = 102;
    MixInto(out, Explosion(big), Samples(1.15f), 1.0f);
    return WithReverb(out, 0.45f, 0.88f, 0.4f, 0.0f);
}

Mono ZabExplosion()
{  // #105: a small zab bursts
    ExplosionParams p;
    p.seconds = 0.5f;
    p.bodyTau = 0.07f;
    p.cutStart = 6000.0f;
    p.cutEnd = 800.0f;
    p.subHz = 140.0f;
    p.subTau = 0.05f;
    p.subGain = 0.6f;
    p.crackle = 0.4f;
    p.seed = 105;
    return Explosion(p);
}

Mono RaptorExplosion()
{  // #148: a raptor explodes
    ExplosionParams p;
    p.seconds = 1.1f;
    p.bodyTau = 0.2f;
    p.cutStart = 4000.0f;
    p.cutEnd = 250.0f;
    p.subHz = 75.0f;
    p.subTau = 0.18f;
    p.subGain = 1.0f;
    p.crackle = 0.5f;
    p.drive = 1.8f;
    p.seed = 148;
    Mono boom = Explosion(p);
    return WithReverb(boom, 0.25f, 0.7f, 0.4f, 0.0f);
}

// --- story and presentation -------------------------------------------------

Mono FlyBy()
{  // #112: the craft roars past the camera in the opening
    CSynthRand rand(112);
    CSvf bp;
    COsc engine, engine2;
    CSvf lp;
    return Gen(1.3f, [&](float t) {
        float closest = 0.45f;
        float d = t - closest;
        float env = 1.0f / (1.0f + 25.0f * d * d);                     // loudest as it passes
        float pitch = d < 0.0f ? 1.15f : Glide(d, 0.3f, 1.15f, 0.8f);  // doppler drop
        float hz = 180.0f * pitch;
        float v = engine.Saw(hz) * 0.5f + engine2.Square(hz * 1.5f, 0.4f) * 0.3f;
        v = lp.Lowpass(v, 900.0f + 2500.0f * env, 1.0f);
        float air = bp.Bandpass(rand.Bipolar(), 1200.0f + 2800.0f * env * pitch, 0.7f);
        float fade = Clamp01(t / 0.05f) * Clamp01((1.3f - t) / 0.3f);
        return (v * 0.6f + air * 0.9f) * env * fade;
    });
}

Mono ApproachWarning()
{  // #158: the boss is near
    COsc a, b;
    CSvf lp;
    Mono out = Gen(2.4f, [&](float t) {
        int step = static_cast<int>(t / 0.2f);
        float hz = step % 2 == 0 ? 740.0f : 988.0f;
        float cycle = std::fmod(t, 0.8f);
        float gate = cycle < 0.4f ? 1.0f : 0.0f;  // two tones, then a rest
        float v = a.Square(hz, 0.5f) * 0.5f + b.Saw(hz * 0.5f) * 0.5f;
        float shaped = lp.Lowpass(v, 2500.0f, 1.0f);
        float edge = Clamp01(cycle / 0.01f) * Clamp01((0.4f - cycle) / 0.01f);
        return shaped * gate * edge;
    });
    return WithReverb(out, 0.35f, 0.75f, 0.4f, 0.0f);
}

Mono WarpFlash()
{  // #180: chapter 2 opens from a white flash
    CSynthRand rand(180);
    CSvf hp;
    COsc sub;
    Mono out = Gen(2.2f, [&](float t) {
        float boom = sub.Sine(Glide(t, 0.6f, 110.0f, 35.0f)) * ExpDecay(t, 0.45f);
        float air = hp.Highpass(rand.Bipolar(), Glide(t, 1.5f, 1500.0f, 6000.0f)) * ExpDecay(t, 0.5f) * 0.7f;
        return (boom + air) * Clamp01(t / 0.004f);
    });
    Mono shimmer;
    for (int k = 0; k < 6; ++k)
        MixInto(shimmer, Bell(2.0f, MidiHz(84.0f + 7.0f * (k % 3) + 12.0f * (k / 3)), 1.0f, 1.0f, 0.6f, 0.2f),
                Samples(0.05f * k), 0.12f);
    MixInto(out, shimmer, 0, 1.0f);
    return WithReverb(out, 0.5f, 0.88f, 0.3f, 0.0f);
}

Mono ResultFanfare()
{  // #169: chapter complete
    // C major rising to a held chord, bright brass-like saws.
    struct Note {
        float at, len, midi;
    };
    const Note notes[] = {{0.0f, 0.12f, 67}, {0.12f, 0.12f, 72}, {0.24f, 0.12f, 76}, {0.36f, 1.1f, 79},
                          {0.36f, 1.1f, 72}, {0.36f, 1.1f, 76},  {0.36f, 1.1f, 84}};
    Mono out;
    for (const Note& n : notes) {
        COsc a, b;
        CSvf lp;
        float hz = MidiHz(n.midi);
        Mono v = Gen(n.len + 0.4f, [&](float t) {
            float env = Adsr(t, n.len, 0.01f, 0.3f, 0.7f, 0.35f);
            float s = a.Saw(hz) + b.Saw(hz * 1.006f);
            return lp.Lowpass(s, 1200.0f + 3500.0f * env, 1.0f) * env;
        });
        MixInto(out, v, Samples(n.at), 0.25f);
    }
    return WithReverb(out, 0.35f, 0.8f, 0.4f, 0.0f);
}

Mono PanelOpen()
{  // #149: the result panel opens
    COsc osc;
    Mono sweep = Gen(0.25f, [&](float t) {
        return osc.Tri(Glide(t, 0.2f, 300.0f, 2400.0f)) * std::sin(kPi * Clamp01(t / 0.25f)) * 0.6f;
    });
    Mono click = Bell(0.3f, 2637.0f, 1.0f, 1.0f, 0.06f, 0.02f);
    MixInto(sweep, click, Samples(0.2f), 0.8f);
    return sweep;
}

Mono Tally()
{  // #152: one result line shown
    COsc a, b;
    return Gen(0.25f, [&](float t) {
        float hz = MidiHz(t < 0.05f ? 88.0f : 93.0f);
        return (a.Square(hz, 0.5f) * 0.5f + b.Sine(hz * 2.0f) * 0.3f) * ExpDecay(t, 0.07f) * Clamp01(t / 0.002f);
    });
}

Mono Shutter()
{  // #160: screenshot
    CSynthRand rand(160);
    CSvf bp;
    auto click = [&](float t) { return bp.Bandpass(rand.Bipolar(), 3500.0f, 1.2f) * ExpDecay(t, 0.006f); };
    Mono a = Gen(0.05f, click);
    Mono b = Gen(0.05f, click);
    COsc whir;
    Mono motor = Gen(0.12f, [&](float t) {
        return whir.Square(Glide(t, 0.12f, 300.0f, 500.0f), 0.5f) * 0.08f * std::sin(kPi * t / 0.12f);
    });
    return Chain({{a, 0.0f}, {motor, 0.02f}, {b, 0.11f}});
}

Mono Refusal()
{  // #126: that replay cannot be played
    COsc a, b;
    CSvf lp;
    return Gen(0.34f, [&](float t) {
        float gate = (t < 0.12f || (t > 0.18f && t < 0.32f)) ? 1.0f : 0.0f;
        float local = t < 0.15f ? t : t - 0.18f;
        float edge = Clamp01(local / 0.005f) * Clamp01(((t < 0.15f ? 0.12f : 0.14f) - local) / 0.005f);
        float v = a.Square(146.8f, 0.5f) + b.Square(155.6f, 0.5f);
        return lp.Lowpass(v, 1500.0f, 0.9f) * gate * edge;
    });
}

Mono TalkBlip()
{  // #162: a talk line appears
    COsc osc;
    return Gen(0.14f, [&](float t) {
        float hz = t < 0.06f ? 1046.5f : 1568.0f;
        float local = t < 0.06f ? t : t - 0.06f;
        return osc.Sine(hz) * ExpDecay(local, 0.03f) * Clamp01(local / 0.003f) * 0.8f;
    });
}

Mono IncomingCall()
{  // #163: the opening line of a chapter, over the radio
    CSynthRand rand(163);
    CSvf bp;
    Mono out = Gen(0.75f, [&](float t) {
        float crackle = rand.Unit() < 0.15f ? rand.Bipolar() : rand.Bipolar() * 0.2f;
        return bp.Bandpass(crackle, 2000.0f, 0.8f) * ExpDecay(t, 0.1f) * 0.8f;
    });
    for (int k = 0; k < 3; ++k) {
        COsc osc;
        Mono beep =
            Gen(0.07f, [&](float t) { return osc.Sine(1318.5f) * Clamp01(t / 0.003f) * Clamp01((0.07f - t) / 0.01f); });
        MixInto(out, beep, Samples(0.25f + 0.11f * k), 0.6f);
    }
    return out;
}

// --- slow motion --------------------------------------------------------------

Mono SlowStart()
{  // #400: time slows (the ambience follows after 75 frames)
    // A chord drops in pitch like a tape stopping, under a deep whoosh.
    Mono out;
    const float chord[] = {57, 64, 69, 72};
    for (float m : chord) {
        COsc a, b;
        CSvf lp;
        float hz = MidiHz(m);
        Mono v = Gen(1.3f, [&](float t) {
            float f = Glide(t, 1.1f, hz, hz * 0.35f);
            float s = a.Saw(f) + b.Saw(f * 1.004f);
            float env = Clamp01(t / 0.01f) * Clamp01((1.3f - t) / 0.4f);
            return lp.Lowpass(s, Glide(t, 1.2f, 5000.0f, 300.0f), 1.2f) * env;
        });
        MixInto(out, v, 0, 0.18f);
    }
    MixInto(out, Whoosh(1.3f, 3000.0f, 1200.0f, 150.0f, 0.15f, 0.7f, 400), 0, 1.0f);
    return WithReverb(out, 0.4f, 0.85f, 0.5f, 0.0f);
}

Mono SlowAmbience()
{  // #401: the slowed world, looping for as long as slow motion runs
    // Exactly 4 s; every component repeats a whole number of times in it, so
    // the end meets the start without a seam.
    const float len = 4.0f;
    const int n = Samples(len);
    CSynthRand rand(401);
    Mono noise(n);
    for (float& v : noise) v = rand.Bipolar();
    Mono out(n, 0.0f);
    // Two passes through the filter over the looped noise: the second pass
    // starts with the state the loop's own end leaves, so the wrap is smooth.
    CSvf air;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < n; ++i) {
            float t = Sec(i);
            float sweep = 600.0f + 400.0f * std::sin(2.0f * kPi * t / len);
            float a = air.Bandpass(noise[i], sweep, 1.5f);
            if (pass == 1) out[i] = a * 0.35f;
        }
    }
    for (int i = 0; i < n; ++i) {
        double t = Sec(i);
        // Drone partials at whole numbers of cycles per loop (multiples of 0.25 Hz).
        float drone = Sin(55.0 * t) * 0.5f + Sin(55.25 * t) * 0.5f + Sin(82.5 * t) * 0.25f;
        // A slow heartbeat, two beats per loop: lub-dub.
        float beat = 0.0f;
        for (int b = 0; b < 2; ++b) {
            for (int k = 0; k < 2; ++k) {
                double start = b * 2.0 + k * 0.28;
                double u = t - start;
                if (u < 0.0) u += len;
                if (u < 0.5) {
                    float amp = k == 0 ? 1.0f : 0.7f;
                    beat += Sin(48.0 * u - 30.0 * u * u) * amp * static_cast<float>(std::exp(-u / 0.09)) *
                            Clamp01(static_cast<float>(u) / 0.004f);
                }
            }
        }
        out[i] += drone * 0.35f + beat * 0.9f;
    }
    // Level only; no fades, no filtering: the loop must stay exact.
    Normalize(out, -4.0f);
    return out;
}

Mono SlowEnd()
{  // #402: time returns to speed
    Mono out;
    const float chord[] = {57, 64, 69, 72};
    for (float m : chord) {
        COsc a, b;
        CSvf lp;
        float hz = MidiHz(m);
        Mono v = Gen(0.8f, [&](float t) {
            float f = Glide(t, 0.5f, hz * 0.35f, hz);
            float s = a.Saw(f) + b.Saw(f * 1.004f);
            float env = Clamp01(t / 0.05f) * ExpDecay(t, 0.25f);
            return lp.Lowpass(s, Glide(t, 0.5f, 300.0f, 5000.0f), 1.2f) * env;
        });
        MixInto(out, v, 0, 0.18f);
    }
    MixInto(out, Whoosh(0.6f, 150.0f, 3500.0f, 2000.0f, 0.45f, 0.7f, 402), 0, 1.0f);
    return WithReverb(out, 0.3f, 0.8f, 0.5f, 0.0f);
}

struct EffectDef {
    int id;
    Mono (*make)();
    float peakDb;
};

const EffectDef kDefs[] = {
    {101, Shot, kRapid},           {110, ShotHit, kRapid},      {115, BladeSwing, kFull},
    {116, BladeStrike, kFull},     {111, Dash, kFull},          {125, Miss, kFull},
    {142, FinalExplosion, kFull},  {108, ScoreItem, -3.0f},     {131, Extend, kFull},
    {153, BombVolley, kFull},      {147, LaserStrike, -3.0f},   {118, BitFire, kRapid},
    {128, BitVolley, kRapid},      {109, EnemyAimed, -3.0f},    {119, StreamTick, kRapid},
    {132, ScatterWarning, kFull},  {170, Burst, -3.0f},         {123, BeamCharge, kFull},
    {134, BeamFire, kFull},        {161, BossSwing, kFull},     {171, BladeClash, kFull},
    {200, BossBladeHit, kFull},    {113, CutIn, kFull},         {107, BarrageBroken, kFull},
    {168, Capture, kFull},         {102, BossDestroyed, kFull}, {105, ZabExplosion, -3.0f},
    {148, RaptorExplosion, kFull}, {112, FlyBy, kFull},         {158, ApproachWarning, -3.0f},
    {180, WarpFlash, kFull},       {169, ResultFanfare, kFull}, {149, PanelOpen, kFull},
    {152, Tally, -3.0f},           {160, Shutter, kFull},       {126, Refusal, -4.0f},
    {162, TalkBlip, -3.0f},        {163, IncomingCall, -3.0f},  {400, SlowStart, kFull},
    {401, SlowAmbience, 0.0f},     {402, SlowEnd, kFull},
};

}  // namespace

bool IsLoopingEffect(int id)
{
    return id == 401;
}

bool RenderEffect(int id, Mono& out)
{
    for (const EffectDef& d : kDefs) {
        if (d.id != id) continue;
        out = d.make();
        if (IsLoopingEffect(id)) {
            // Levelled by its own recipe; only the trim applies.
            const float trim = std::pow(10.0f, kEffectsTrim / 20.0f);
            for (float& v : out) v *= trim;
        } else {
            FinishEffect(out, d.peakDb + kEffectsTrim);
            // Vorbis smears a sharp attack backwards by up to one short block
            // (256 samples at this rate). A block of silence in front keeps the
            // first sample at zero, so starting or restarting never clicks;
            // 12 ms is well inside a frame of latency.
            out.insert(out.begin(), 256, 0.0f);
        }
        return true;
    }
    return false;
}

}  // namespace snd
