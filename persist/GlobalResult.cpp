#include "persist/GlobalResult.h"

#include "core/Util.h"
#include "persist/SettingsFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Key(const char* format, int index)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, index);
    return buf;
}

bool SaveReporting(CSettingsFile& file, std::string* pWhy)
{
    const bool bSaved = file.Save();
    if (!bSaved && pWhy)
        *pWhy = "\"" + file.GetPath() + "\": " + file.GetSaveError();
    return bSaved;
}

// Records used to live in the settings file. Carry them over the first time,
// but copy rather than move: the same file still holds the player's graphics
// keys and bindings, which a rename would throw away. Both loads do this
// first, so neither reads an empty file whichever comes first.
void CarryOverOldRecords()
{
    if (FileExists(kOldRecordsFile) && !FileExists(kRecordsFile)) {
        std::vector<std::uint8_t> old;
        if (ReadWholeFile(kOldRecordsFile, old, kMaxSettingsFileBytes))
            WriteFileAtomic(kRecordsFile, old.data(), old.size());
    }
}

} // namespace

bool NoteRecordsSave(bool bSaved, const std::string& why)
{
    if (!bSaved)
        WarnAboutFile("The records could not be saved to " + why +
                      ". The old records file is kept; this session's play count, play time and "
                      "results stay in memory and the next save tries again.");
    return bSaved;
}

bool SaveRecords(bool bChapters)
{
    std::string why;
    bool bSaved = NoteRecordsSave(g_BarrageTable.Save(&why), why);
    if (bChapters && !NoteRecordsSave(g_GlobalResult.Save(&why), why))
        bSaved = false;
    return bSaved;
}

CGlobalResult g_GlobalResult(true);
CBarrageTable g_BarrageTable;

CGlobalResult::CGlobalResult(bool bRegister)
{
    if (bRegister)
        g_pChapterRecords = this;
}

CGlobalResult::~CGlobalResult()
{
    if (g_pChapterRecords == this)
        g_pChapterRecords = nullptr;
}

bool CGlobalResult::Load()
{
    CarryOverOldRecords();
    CSettingsFile file(kRecordsFile);
    m_eRead = file.GetReadResult();
    m_strScoreName = file.GetString("scorename", "");
    m_nPlayCount = file.GetInt("playcount", 0);
    m_nPlayTime = file.GetInt("playtime", 0);
    for (int d = 0; d < kChapters; ++d) {
        m_Chapters[d].m_bReached = file.GetString(Key("chaptor%d.Reached", d)) == "1";
        m_Chapters[d].m_nScoreMax = file.GetInt(Key("chaptor%d.ScoreMax", d), 0);
    }
    return file.IsReadable();
}

bool CGlobalResult::Save(std::string* pWhy)
{
    CSettingsFile file(kRecordsFile);
    if (file.Has("scorename"))
        m_strScoreName = file.GetString("scorename");
    file.SetString("scorename", m_strScoreName);
    file.SetInt("playcount", m_nPlayCount);
    file.SetInt("playtime", m_nPlayTime);
    for (int d = 0; d < kChapters; ++d) {
        file.SetString(Key("chaptor%d.Reached", d), m_Chapters[d].m_bReached ? "1" : "0");
        file.SetInt(Key("chaptor%d.ScoreMax", d), m_Chapters[d].m_nScoreMax);
    }
    return SaveReporting(file, pWhy);
}

void CGlobalResult::CountGameStarted()
{
    m_nPlayCount = AddSaturated(m_nPlayCount, 1);
}

void CGlobalResult::AddPlayTimeSecond()
{
    m_nPlayTime = AddSaturated(m_nPlayTime, 1);
}

bool CGlobalResult::IsReached(int chapter) const
{
    if (chapter == 0)
        return true;
    return GetStoredReached(chapter);
}

bool CGlobalResult::GetStoredReached(int chapter) const
{
    if (chapter < 0 || chapter >= kChapters)
        return false;
    return m_Chapters[chapter].m_bReached;
}

void CGlobalResult::MarkReached(int chapter)
{
    if (chapter >= 0 && chapter < kChapters)
        m_Chapters[chapter].m_bReached = true;
}

int CGlobalResult::GetBestScore(int chapter) const
{
    if (chapter < 0 || chapter >= kChapters)
        return 0;
    return m_Chapters[chapter].m_nScoreMax;
}

void CGlobalResult::SetBestScore(int chapter, int score)
{
    if (chapter >= 0 && chapter < kChapters)
        m_Chapters[chapter].m_nScoreMax = score;
}

void CBarrageTable::LoadNames()
{
    static const struct {
        int nIndex;
        const char* pszName;
    } kNames[] = {
        {10, "E.R.L テンパランス"},
        {11, "E.R.L エンプレス"},
        {12, "E.R.L マジシャン"},
        {13, "E.R.L ハイエロファント"},
        {20, "ハーフエッジ"},
        {21, "ハルバード"},
        {22, "ダブルディザスター"},
        {23, "ダンシングエッジ"},
        {24, "ジャッジメントソード"},
    };
    for (const auto& n : kNames)
        m_Records[n.nIndex].m_strName = n.pszName;
}

void CBarrageTable::Load()
{
    CarryOverOldRecords();
    CSettingsFile file(kRecordsFile);
    for (int d = 0; d < kBarrages; ++d) {
        m_Records[d].m_nClearCount = file.GetInt(Key("barrage%d.ClearCount", d), 0);
        m_Records[d].m_nTotalCount = file.GetInt(Key("barrage%d.TotalCount", d), 0);
        m_Records[d].m_nScoreMax = file.GetInt(Key("barrage%d.ScoreMax", d), 0);
    }
}

bool CBarrageTable::Save(std::string* pWhy) const
{
    CSettingsFile file(kRecordsFile);
    for (int d = 0; d < kBarrages; ++d) {
        file.SetInt(Key("barrage%d.ClearCount", d), m_Records[d].m_nClearCount);
        file.SetInt(Key("barrage%d.TotalCount", d), m_Records[d].m_nTotalCount);
        file.SetInt(Key("barrage%d.ScoreMax", d), m_Records[d].m_nScoreMax);
    }
    return SaveReporting(file, pWhy);
}

void CBarrageTable::RecordStart(int barrage, bool bReplay)
{
    if (bReplay || barrage < 0 || barrage >= kBarrages)
        return;
    m_Records[barrage].m_nTotalCount = AddSaturated(m_Records[barrage].m_nTotalCount, 1);
}

void CBarrageTable::RecordCapture(int barrage, std::int32_t bonus, bool bReplay)
{
    if (bReplay || barrage < 0 || barrage >= kBarrages)
        return;
    CBarrageRecord& r = m_Records[barrage];
    r.m_nClearCount = AddSaturated(r.m_nClearCount, 1);
    if (bonus > r.m_nScoreMax)
        r.m_nScoreMax = bonus;
}

const CBarrageRecord& CBarrageTable::Get(int barrage) const
{
    static const CBarrageRecord kEmpty;
    if (barrage < 0 || barrage >= kBarrages)
        return kEmpty;
    return m_Records[barrage];
}

bool LoadRecords(CGlobalResult& records, CBarrageTable& barrages)
{
    const bool bRead = records.Load();
    barrages.LoadNames();
    barrages.Load();
    return bRead;
}
