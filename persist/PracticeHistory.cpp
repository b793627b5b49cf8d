#include "persist/PracticeHistory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/Text.h"
#include "core/Util.h"
#include "persist/SettingsFile.h"

CPracticeHistory g_PracticeHistory;

namespace {

// The three keys of a barrage, "barrage10.Tries" and so on.
enum EField { kTries, kCaptures, kBestBonus, kFields };
constexpr const char* kFieldNames[kFields] = {"Tries", "Captures", "BestBonus"};

std::string Key(int barrage, int field)
{
    char key[48];
    std::snprintf(key, sizeof key, "barrage%d.%s", barrage, kFieldNames[field]);
    return key;
}

std::int32_t& Field(SPracticeRecord& r, int field)
{
    return field == kTries ? r.m_nTries : field == kCaptures ? r.m_nCaptures : r.m_nBestBonus;
}

// The barrage and field a key names, as Key writes it (no other spelling).
bool ParseKey(const std::string& key, int& barrage, int& field)
{
    constexpr std::string_view kPrefix = "barrage";
    const size_t dot = key.find('.');
    if (key.rfind(kPrefix, 0) != 0 || dot == std::string::npos) return false;
    std::int32_t n = 0;
    if (!ParseWholeNumber(std::string_view(key).substr(kPrefix.size(), dot - kPrefix.size()), n) ||
        n >= CPracticeHistory::kBarrages)
        return false;
    for (int f = 0; f < kFields; ++f) {
        if (Key(n, f) == key) {
            barrage = n;
            field = f;
            return true;
        }
    }
    return false;
}

void SetWhy(std::string* pWhy, std::string text)
{
    if (pWhy) *pWhy = std::move(text);
}

}  // namespace

bool CPracticeHistory::FromEntries(const std::map<std::string, std::string>& entries, std::size_t unread,
                                   SPracticeRecord (&records)[kBarrages], std::string* pWhy)
{
    for (SPracticeRecord& r : records) r = SPracticeRecord{};
    // Nothing of a damaged file is taken.
    const auto damaged = [&records, pWhy](std::string why) {
        for (SPracticeRecord& r : records) r = SPracticeRecord{};
        SetWhy(pWhy, std::move(why));
        return false;
    };
    if (unread > 0) {
        return damaged(std::to_string(unread) + (unread == 1 ? " line is" : " lines are") + " no key and value");
    }
    for (const auto& [key, value] : entries) {
        int barrage = 0, field = 0;
        if (!ParseKey(key, barrage, field)) {
            return damaged("\"" + EscapeForDisplay(key) + "\" is no key of the history");
        }
        if (!ParseWholeNumber(value, Field(records[barrage], field))) {
            return damaged("the value of \"" + key + "\" is \"" + EscapeForDisplay(value) + "\", not a count");
        }
    }
    for (int b = 0; b < kBarrages; ++b) {
        const SPracticeRecord& r = records[b];
        const char* fault = r.m_nCaptures > r.m_nTries                  ? "more captures than tries"
                            : r.m_nCaptures == 0 && r.m_nBestBonus > 0 ? "a best bonus but no capture"
                                                                         : nullptr;
        if (fault) return damaged("barrage " + std::to_string(b) + " has " + fault);
    }
    return true;
}

void CPracticeHistory::Load()
{
    m_bDamaged = false;
    m_strKeptAside.clear();
    for (SPracticeRecord& r : m_Records) r = SPracticeRecord{};
    const CSettingsFile file(kPracticeFile);
    // One that cannot be read is named by the settings file itself, and never
    // replaced.
    if (!file.IsReadable()) return;
    std::string why;
    if (FromEntries(file.GetEntries(), file.GetUnreadPieces(), m_Records, &why)) return;
    m_bDamaged = true;
    WarnAboutFile(QuotedPath(kPracticeFile) + " is damaged (" + why +
                  "): the practice history is read as empty; the file is kept aside, as it is, when the history "
                  "is next saved");
}

bool CPracticeHistory::KeepDamagedAside(std::string* pWhy)
{
    std::vector<std::uint8_t> bytes;
    const EReadResult read = ReadRegularFile(kPracticeFile, bytes, kMaxSettingsFileBytes);
    if (read == EReadResult::Missing) return true;   // gone meanwhile: nothing to keep
    if (read != EReadResult::Ok) {
        SetWhy(pWhy, QuotedPath(kPracticeFile) + " " + ReadFaultText(kPracticeFile, read, kMaxSettingsFileBytes));
        return false;
    }
    // A name of its own: an earlier damaged file kept aside stays too.
    const std::string stamp = MakeTimestamp();
    std::string aside;
    for (int n = 1; aside.empty() || FileExists(aside); ++n) {
        aside = "practice-damaged-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".ini";
        if (n > 99) {
            SetWhy(pWhy, "no free name to keep the damaged " + QuotedPath(kPracticeFile) + " aside");
            return false;
        }
    }
    if (!WriteFileAtomic(aside, bytes.data(), bytes.size())) {
        SetWhy(pWhy, "the damaged " + QuotedPath(kPracticeFile) + " cannot be kept aside as " + QuotedPath(aside) +
                         ": " + std::strerror(errno));
        return false;
    }
    m_strKeptAside = aside;
    m_bDamaged = false;
    WarnAboutFile("The damaged " + QuotedPath(kPracticeFile) + " is kept as " + QuotedPath(aside) +
                  "; a new practice history replaces it");
    return true;
}

bool CPracticeHistory::Save(std::string* pWhy)
{
    CSettingsFile file(kPracticeFile);
    if (!file.IsReadable()) {
        SetWhy(pWhy, QuotedPath(kPracticeFile) + " " +
                         ReadFaultText(kPracticeFile, file.GetReadResult(), kMaxSettingsFileBytes));
        return false;
    }
    if (m_bDamaged && !KeepDamagedAside(pWhy)) return false;
    // The file holds the history and nothing else.
    file.Clear();
    for (int b = 0; b < kBarrages; ++b) {
        SPracticeRecord& r = m_Records[b];
        if (r.m_nTries == 0 && r.m_nCaptures == 0 && r.m_nBestBonus == 0) continue;
        for (int f = 0; f < kFields; ++f) file.SetInt(Key(b, f), Field(r, f));
    }
    if (file.Save()) return true;
    SetWhy(pWhy, QuotedPath(kPracticeFile) + ": " + file.GetSaveError());
    return false;
}

void CPracticeHistory::RecordTry(int barrage)
{
    if (barrage < 0 || barrage >= kBarrages) return;
    m_Records[barrage].m_nTries = AddSaturated(m_Records[barrage].m_nTries, 1);
}

void CPracticeHistory::RecordCapture(int barrage, std::int32_t bonus)
{
    if (barrage < 0 || barrage >= kBarrages) return;
    SPracticeRecord& r = m_Records[barrage];
    r.m_nCaptures = AddSaturated(r.m_nCaptures, 1);
    if (bonus > r.m_nBestBonus) r.m_nBestBonus = bonus;
}

const SPracticeRecord& CPracticeHistory::Get(int barrage) const
{
    static const SPracticeRecord kEmpty;
    if (barrage < 0 || barrage >= kBarrages) return kEmpty;
    return m_Records[barrage];
}

bool SavePracticeHistory()
{
    std::string why;
    if (g_PracticeHistory.Save(&why)) return true;
    WarnAboutFile("The practice history could not be saved: " + why +
                  ". It stays in memory and the next attempt tries again.");
    return false;
}
