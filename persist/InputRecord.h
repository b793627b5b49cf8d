// One frame of input as the game consumes it: seven buttons and two axes. The
// input object fills it from the devices, replays store and play it back.
#pragma once

#include <cstdint>

struct CInputRecord {
    std::uint8_t m_bAttack0 = 0;
    std::uint8_t m_bAttack1 = 0;
    std::uint8_t m_bReload = 0;
    std::uint8_t m_bDash = 0;
    std::uint8_t m_bLeftRoll = 0;
    std::uint8_t m_bRightRoll = 0;
    std::uint8_t m_bBlade = 0;
    float m_fX = 0.0f;  // -1 .. 1, right positive
    float m_fY = 0.0f;  // -1 .. 1, up positive

    // No button held and both axes at zero: what a replay stores in one byte.
    bool IsIdle() const
    {
        return m_fX == 0.0f && m_fY == 0.0f && !m_bAttack0 && !m_bAttack1 && !m_bReload &&
               !m_bDash && !m_bLeftRoll && !m_bRightRoll && !m_bBlade;
    }
};
