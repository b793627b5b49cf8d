// The key/value text store behind "korvo.ini", "critical.ini" and the window
// profile: one "key,value" line per entry, read whole when opened, rewritten
// whole (sorted by key) when saved or closed after a change.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Util.h"
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
    // a missing or unreadable file gives an empty store. Only a regular file of
    // at most kMaxSettingsFileBytes is read; anything else (a folder, a pipe, a
    // device, a huge file) is named in a file warning and never replaced, so
    // that what it holds is not lost to a store that could not read it.
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
    // Pieces of the file that were not read as a key and value: no separator,
    // or cut short by a zero byte. A file written by a store has none.
    std::size_t GetUnreadPieces() const { return m_nUnreadPieces; }

    // Stores the value; the store counts as changed only if it differs.
    void SetString(std::string_view key, std::string_view value);
    void SetInt(std::string_view key, std::int32_t value);
    // Forgets every entry (the store counts as changed if it held any).
    void Clear();

    // Rewrites the file from the store when it changed, creating its folder if
    // missing. The old file is replaced only by a complete new one. True when
    // nothing needed writing or the write succeeded; on failure (or when the
    // file could not be read) the store stays changed so that a later save
    // tries again.
    bool Save();

    bool IsModified() const { return m_bModified; }
    // Why the last Save failed ("" after a good one).
    const std::string& GetSaveError() const { return m_strSaveError; }
    // How reading the file went (Ok or Missing for a usable store).
    EReadResult GetReadResult() const { return m_eRead; }
    bool IsReadable() const { return m_eRead == EReadResult::Ok || m_eRead == EReadResult::Missing; }
    const std::string& GetPath() const { return m_strPath; }
    const std::map<std::string, std::string>& GetEntries() const { return m_Entries; }

    // The file's text for a store (used by Save): entries in key order.
    static std::string Format(const std::map<std::string, std::string>& entries, char separator);
    // Parses file bytes into entries as the reader does. One UTF-8 byte-order
    // mark at the start (as some editors write) is not part of the first key.
    // Returns the pieces not read (see GetUnreadPieces).
    static std::size_t Parse(std::string_view text, char separator, std::map<std::string, std::string>& entries);

private:
    std::map<std::string, std::string> m_Entries;  // std::string orders byte-wise
    bool m_bModified = false;
    std::size_t m_nUnreadPieces = 0;
    EReadResult m_eRead = EReadResult::Missing;
    std::string m_strSaveError;
    std::string m_strPath;
    char m_cSeparator = ',';
};
