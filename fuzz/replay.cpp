// Replay files: the header with its check text, then idle and long records.
#include <cstddef>
#include <cstdint>

#include "persist/Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CReplay replay;
    if (replay.LoadBytes(data, size)) {
        // What was loaded plays back within what the devices can produce.
        CInputRecord r;
        while (replay.Next(r))
            if (r.m_fX < -1.0f || r.m_fX > 1.0f || r.m_fY < -1.0f || r.m_fY > 1.0f || r.m_bAttack0 > 1)
                __builtin_trap();
        if (replay.GetRecordCount() > replay.GetHeader().m_dwRecords) __builtin_trap();
    }
    // The slot list reads headers alone.
    if (size >= CReplayHeader::kSize) {
        CReplayHeader h;
        h.Decode(data);
        if (h.m_szScoreName[CReplayHeader::kMaxScoreName] != '\0' || h.m_szCheck[32] != '\0') __builtin_trap();
    }
    return 0;
}
