#include "core/Random.h"

CRandom g_GameRand;
CRandom g_EffectRand;

namespace {
constexpr int kN = CRandom::kStateWords;
constexpr int kM = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
// 1 / 4294967295 rounded to single precision is exactly 2^-32.
constexpr float kInvMaxFloat = 1.0f / 4294967295.0f;
constexpr double kInvMax = 1.0 / 4294967295.0;
}  // namespace

void CRandom::Seed(uint32_t s)
{
    m_State[0] = s;
    for (int i = 1; i < kN; ++i) {
        const uint32_t prev = m_State[i - 1];
        m_State[i] = 1812433253u * (prev ^ (prev >> 30)) + static_cast<uint32_t>(i);
    }
    m_nIndex = kN;
    m_nDraws = 0;
}

uint32_t CRandom::NextOutput()
{
    if (m_nLocks > 0) ++m_nLockedDraws;
    if (m_nIndex >= kN) {
        if (m_nIndex == kN + 1) Seed(5489u);
        int k = 0;
        for (; k < kN - kM; ++k) {
            const uint32_t y = (m_State[k] & kUpperMask) | (m_State[k + 1] & kLowerMask);
            m_State[k] = m_State[k + kM] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
        }
        for (; k < kN - 1; ++k) {
            const uint32_t y = (m_State[k] & kUpperMask) | (m_State[k + 1] & kLowerMask);
            m_State[k] = m_State[k + (kM - kN)] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
        }
        const uint32_t y = (m_State[kN - 1] & kUpperMask) | (m_State[0] & kLowerMask);
        m_State[kN - 1] = m_State[kM - 1] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
        m_nIndex = 0;
    }
    ++m_nDraws;
    uint32_t y = m_State[m_nIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

float CRandom::ScaleReal(uint32_t y)
{
    // The only conversion of a draw to float. The double product is rounded to
    // single precision; the exact value is never near a single-precision
    // halfway point, so this is one rounding.
    return static_cast<float>(static_cast<double>(y) * kInvMax);
}

int CRandom::ScaleInteger(uint32_t y, int n)
{
    // y * n is exact in 64 bits; converting it rounds once to single precision,
    // and the scale by 2^-32 is exact.
    const float product = static_cast<float>(static_cast<int64_t>(y) * static_cast<int64_t>(n));
    const float scaled = product * kInvMaxFloat;
    // Only n near the int limits can round past them; keep the cast defined.
    if (scaled >= 2147483648.0f || scaled < -2147483648.0f) return n;
    return static_cast<int>(scaled);
}

float CRandom::Real()
{
    return ScaleReal(NextOutput());
}

int CRandom::Integer(int n)
{
    return ScaleInteger(NextOutput(), n);
}
