#include "persist/SettingsFile.h"

#include <cerrno>
#include <cstring>
#include <vector>

CSettingsFile::CSettingsFile(std::string_view name)
    : m_strPath(ResolvePath(name))
{
    std::vector<std::uint8_t> bytes;
    m_eRead = ReadRegularFile(m_strPath, bytes, kMaxSettingsFileBytes);
    if (m_eRead == EReadResult::Ok)
        m_nUnreadPieces = Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                m_cSeparator, m_Entries);
    else if (!IsReadable())
        WarnAboutFile("\"" + m_strPath + "\" " + ReadResultText(m_eRead, kMaxSettingsFileBytes) +
                      ": its settings are not read, and it is not replaced");
}

CSettingsFile::~CSettingsFile()
{
    Save();
}

std::size_t CSettingsFile::Parse(std::string_view text, char separator,
                                 std::map<std::string, std::string>& entries)
{
    std::size_t unread = 0;
    // Line ends as a text-mode reader sees them: CR LF counts as LF.
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    std::string data;
    data.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        data += text[i];
    }

    std::size_t pos = 0;
    while (pos < data.size()) {
        // One piece: up to and including a line feed, at most kMaxLine bytes.
        std::size_t end = pos;
        while (end < data.size() && end - pos < kMaxLine) {
            if (data[end++] == '\n')
                break;
        }
        std::string_view piece(data.data() + pos, end - pos);
        pos = end;

        // The piece is handled as a C string: a zero byte ends it.
        std::size_t nul = piece.find('\0');
        if (nul != std::string_view::npos) {
            piece = piece.substr(0, nul);
            ++unread;
        }
        std::size_t comma = piece.find(separator);
        if (comma == std::string_view::npos) {
            // An empty line is no damage; a line of something else is.
            if (nul == std::string_view::npos && piece != "\n")
                ++unread;
            continue;
        }
        std::string_view key = piece.substr(0, comma);
        std::string_view value = piece.substr(comma + 1);
        if (!value.empty() && value.back() == '\n')
            value.remove_suffix(1);
        if (key.size() > kMaxKey)
            key = key.substr(0, kMaxKey);
        if (value.size() > kMaxValue)
            value = value.substr(0, kMaxValue);
        // First occurrence wins.
        entries.emplace(std::string(key), std::string(value));
    }
    return unread;
}

std::string CSettingsFile::Format(const std::map<std::string, std::string>& entries, char separator)
{
    std::string text;
    for (const auto& [key, value] : entries) {
        text += key;
        text += separator;
        text += value;
        text += '\n';
    }
    return text;
}

void CSettingsFile::GetString(const char* key, char* buf, std::size_t size, const char* def) const
{
    if (!buf || size == 0)
        return;
    std::memset(buf, 0, size);
    auto copy = [buf, size](const char* s, std::size_t n) {
        if (n > size - 1)
            n = size - 1;
        std::memcpy(buf, s, n);
        buf[n] = '\0';
    };
    if (def)
        copy(def, std::strlen(def));
    if (!key)
        return;
    auto it = m_Entries.find(key);
    if (it != m_Entries.end())
        copy(it->second.data(), it->second.size());
}

std::string CSettingsFile::GetString(std::string_view key, std::string_view def) const
{
    auto it = m_Entries.find(std::string(key));
    return it != m_Entries.end() ? it->second : std::string(def);
}

std::int32_t CSettingsFile::GetInt(std::string_view key, std::int32_t def) const
{
    auto it = m_Entries.find(std::string(key));
    if (it == m_Entries.end() || it->second.empty())
        return def;
    return ParseDecimal(it->second);
}

bool CSettingsFile::Has(std::string_view key) const
{
    return m_Entries.find(std::string(key)) != m_Entries.end();
}

void CSettingsFile::SetString(std::string_view key, std::string_view value)
{
    auto [it, inserted] = m_Entries.try_emplace(std::string(key), value);
    if (inserted) {
        m_bModified = true;
    } else if (it->second != value) {
        it->second.assign(value);
        m_bModified = true;
    }
}

void CSettingsFile::SetInt(std::string_view key, std::int32_t value)
{
    SetString(key, std::to_string(value));
}

void CSettingsFile::Clear()
{
    if (m_Entries.empty())
        return;
    m_Entries.clear();
    m_bModified = true;
}

bool CSettingsFile::Save()
{
    if (!m_bModified)
        return true;
    m_strSaveError.clear();
    if (!IsReadable()) {
        m_strSaveError = "the file " + ReadResultText(m_eRead, kMaxSettingsFileBytes);
        return false;
    }
    std::string dir = DirName(m_strPath);
    if (!dir.empty() && !CreateDirectories(dir)) {
        m_strSaveError = "its folder cannot be created";
        return false;
    }
    std::string text = Format(m_Entries, m_cSeparator);
    if (!WriteFileAtomic(m_strPath, text.data(), text.size())) {
        m_strSaveError = std::strerror(errno);
        return false;
    }
    m_bModified = false;
    return true;
}
