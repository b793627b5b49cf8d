// Presses seen since the last read, whether or not still held: a whole press
// and release may fall between two reads of a device's state, and without the
// latch such a tap would never be seen. Set from the event that reports the
// press (on whichever thread queues it), taken by the read.
#pragma once

#include <atomic>
#include <cstdint>

template <int N>
class CPressLatch {
public:
    void Press(int nIndex)
    {
        if (nIndex >= 0 && nIndex < N) m_Bits[nIndex / 32].fetch_or(Bit(nIndex));
    }
    // True when pressed since the last Take of the index.
    bool Take(int nIndex)
    {
        return nIndex >= 0 && nIndex < N && (m_Bits[nIndex / 32].fetch_and(~Bit(nIndex)) & Bit(nIndex)) != 0;
    }
    void Clear()
    {
        for (std::atomic<uint32_t>& bits : m_Bits) bits.store(0);
    }

private:
    static uint32_t Bit(int nIndex) { return 1u << (nIndex % 32); }
    std::atomic<uint32_t> m_Bits[(N + 31) / 32] = {};
};
