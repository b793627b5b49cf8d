// The input script of --input-script.
#include <cstddef>
#include <cstdint>
#include <string>

#include "input/InputScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CInputScript script;
    std::string error;
    if (script.LoadText(std::string(reinterpret_cast<const char*>(data), size), error)) {
        const int64_t last = script.LastStep();
        for (int64_t step : {int64_t(0), last, last - 1, last + 1}) {
            const CInputRecord r = script.RecordAt(step);
            if (r.m_fX < -1.0f || r.m_fX > 1.0f || r.m_fY < -1.0f || r.m_fY > 1.0f) __builtin_trap();
            (void)script.EscapeAt(step);
            (void)script.PauseAt(step);
        }
    } else {
        // A message that quotes the script never carries a raw control byte.
        for (char c : error)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
    }
    return 0;
}
