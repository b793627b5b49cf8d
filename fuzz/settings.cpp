// Settings files ("korvo.ini", "critical.ini", the window profile, the
// practice history): parsing, the numbers read from them, and writing back
// what was read.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "persist/PracticeHistory.h"
#include "persist/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::map<std::string, std::string> entries;
    const size_t unread =
        CSettingsFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size), ',', entries);
    // The practice history read from the same bytes: a history that holds
    // together, or refused with a reason and nothing taken.
    static SPracticeRecord records[CPracticeHistory::kBarrages];
    std::string why;
    const bool history = CPracticeHistory::FromEntries(entries, unread, records, &why);
    if (!history && why.empty()) __builtin_trap();
    for (const SPracticeRecord& r : records) {
        if (r.m_nTries < 0 || r.m_nCaptures < 0 || r.m_nBestBonus < 0 || r.m_nCaptures > r.m_nTries) __builtin_trap();
        if (!history && (r.m_nTries != 0 || r.m_nCaptures != 0 || r.m_nBestBonus != 0)) __builtin_trap();
    }
    for (const auto& [key, value] : entries) {
        if (key.size() > CSettingsFile::kMaxKey || value.size() > CSettingsFile::kMaxValue) __builtin_trap();
        (void)ParseDecimal(value);
    }
    // A store written back reads back the same, as long as no value holds a
    // line end of its own (no reader can tell those from the next line).
    bool plain = true;
    for (const auto& [key, value] : entries)
        if (key.find_first_of(",\n\r") != std::string::npos || value.find_first_of("\n\r") != std::string::npos ||
            key.rfind("\xEF\xBB\xBF", 0) == 0)
            plain = false;
    if (plain) {
        std::map<std::string, std::string> again;
        CSettingsFile::Parse(CSettingsFile::Format(entries, ','), ',', again);
        if (again != entries) __builtin_trap();
    }
    return 0;
}
