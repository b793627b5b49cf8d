// The key/value text store behind "korvo.ini", "critical.ini" and the window
// profile: one "key,value" line per entry, read whole when opened, rewritten
// whole (sorted by key) when saved or closed after a change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class CSettingsFile {
public:
    // Longest piece of a line read at once; longer lines are read as several.
    static constexpr std::size_t kMaxLine = 1023;
    static constexpr std::size_t kMaxKey = 255;
    static constexpr std::size_t kMaxValue = 767;

    // Opens name (relative to the program folder unless absolute) and reads it;
    // a missing or unreadable file gives an empty store.
    explicit CSettingsFile(std::string_view name);
    // Saves when something changed.
    ~CSettingsFile();

    CSettingsFile(const CSettingsFile&) = delete;
    CSettingsFile& operator=(const CSettingsFile&) = delete;

    // Fills buf (size bytes) with zeros, then the default, then the key's value
    // if present, each cut to fit with its terminating zero.
    void GetString(const char* key, char* buf, std::size_t size, const char* def) const;
    std::string GetString(std::string_view key, std::string_view def = {}) const;
    // The value as a decimal number; def when the key is missing or empty.
    std::int32_t GetInt(std::string_view key, std::int32_t def) const;
    bool Has(std::string_view key) const;

    // Stores the value; the store counts as changed only if it differs.
    void SetString(std::string_view key, std::string_view value);
    void SetInt(std::string_view key, std::int32_t value);

    // Rewrites the file from the store when it changed, creating its folder if
    // missing. The old file is replaced only by a complete new one. True when
    // nothing needed writing or the write succeeded; on failure the store stays
    // changed so that a later save tries again.
    bool Save();

    bool IsModified() const { return m_bModified; }
    const std::string& GetPath() const { return m_strPath; }
    const std::map<std::string, std::string>& GetEntries() const { return m_Entries; }

    // The file's text for a store (used by Save): entries in key order.
    static std::string Format(const std::map<std::string, std::string>& entries, char separator);
    // Parses file bytes into entries as the reader does.
    static void Parse(std::string_view text, char separator, std::map<std::string, std::string>& entries);

private:
    std::map<std::string, std::string> m_Entries;  // std::string orders byte-wise
    bool m_bModified = false;
    std::string m_strPath;
    char m_cSeparator = ',';
};
