// The game's random numbers: the standard 32-bit Mersenne Twister.
//
// g_GameRand drives the game rules and is re-seeded with 1024 at every chapter
// start, so a replay (which stores only input) repeats every draw. Only gameplay
// code in the frame update may draw from it, one draw per statement (checked
// over the sources by tools/drawcheck), in a fixed order; drawing passes lock
// it (see Lock). g_EffectRand drives presentation (particles, menus) and may differ
// between a game and its replay. Each draw consumes exactly one 32-bit output.
#pragma once

#include <cstdint>

class CRandom {
public:
    static constexpr int kStateWords = 624;

    constexpr CRandom() = default;

    // Standard MT19937 initialisation; the next draw regenerates the state.
    void Seed(uint32_t s);
    // Next output y * (1 / 4294967295): a value in [0, 1], both ends included,
    // rounded once to single precision. A float, so that gameplay arithmetic on
    // it stays in single precision like the rest of the game's.
    float Real();
    // Next output scaled to 0 ... n (n only for the very top outputs).
    int Integer(int n);

    // The scaling of Integer for a given output y: y * n * (1 / 4294967295) at
    // single precision, truncated toward zero. The exact product y * n is
    // rounded once, as the game's single-precision arithmetic does.
    static int ScaleInteger(uint32_t y, int n);
    // The scaling of Real for a given output y.
    static float ScaleReal(uint32_t y);

    // Drawing code must not draw from the game's generator (a replay would not
    // repeat it). While locked (locks nest) every draw still happens but is
    // counted; tests of whole frames expect the count to stay 0.
    void Lock() { ++m_nLocks; }
    void Unlock() { --m_nLocks; }
    bool IsLocked() const { return m_nLocks > 0; }
    int64_t LockedDraws() const { return m_nLockedDraws; }
    void ClearLockedDraws() { m_nLockedDraws = 0; }

    // Outputs drawn since the last seeding: where the sequence stands (a
    // replay's digests compare it).
    uint64_t Draws() const { return m_nDraws; }

protected:
    // One raw tempered output (seeds with 5489 on first use). Game code draws
    // only through Real and Integer.
    uint32_t NextOutput();

private:
    uint32_t m_State[kStateWords] = {};
    int m_nIndex = kStateWords + 1;   // 624: used up; 625: never seeded
    int m_nLocks = 0;
    int64_t m_nLockedDraws = 0;
    uint64_t m_nDraws = 0;
};

// Locks a generator for the length of a scope (a drawing pass).
class CRandomLock {
public:
    explicit CRandomLock(CRandom& r) : m_Random(r) { m_Random.Lock(); }
    ~CRandomLock() { m_Random.Unlock(); }
    CRandomLock(const CRandomLock&) = delete;
    CRandomLock& operator=(const CRandomLock&) = delete;

private:
    CRandom& m_Random;
};

extern CRandom g_GameRand;
extern CRandom g_EffectRand;
