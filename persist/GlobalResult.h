// The player's records in "critical.ini": score name, play count and time, per
// chapter the best score and whether it was reached (CGlobalResult), and per
// boss barrage how often it was met and captured and its best bonus
// (CBarrageTable). Both read the whole file and rewrite it whole, so each keeps
// the other's keys.
#pragma once

#include "core/ChapterRecords.h"
#include "core/Util.h"

#include <cstdint>
#include <string>

// The records file, relative to the program folder.
inline constexpr const char* kRecordsFile = "critical.ini";
// The older name of the records file, renamed to kRecordsFile on first start.
inline constexpr const char* kOldRecordsFile = "korvo.ini";

class CGlobalResult : public CChapterRecords {
public:
    static constexpr int kChapters = 256;

    // With bRegister the object becomes g_pChapterRecords (the program's one
    // instance does this); it unregisters itself when destroyed.
    explicit CGlobalResult(bool bRegister = false);
    ~CGlobalResult() override;

    CGlobalResult(const CGlobalResult&) = delete;
    CGlobalResult& operator=(const CGlobalResult&) = delete;

    // Copies "korvo.ini" to "critical.ini" when only the former exists, then
    // reads the name, the counters and the chapter records (nothing is written).
    // False when the records file exists but cannot be read (not a regular
    // file, too large, no permission): the game must not start on it, since
    // it could neither show nor keep what the file holds.
    bool Load();
    // How reading the records file went, for the program's message.
    EReadResult GetReadResult() const { return m_eRead; }
    // Re-reads the score name from the file (the settings tool may have changed
    // it; the file's name wins), then writes every key of this object.
    // False when the file could not be written, with the reason in *pWhy.
    bool Save(std::string* pWhy = nullptr);

    const std::string& GetScoreName() const { return m_strScoreName; }
    void SetScoreName(const std::string& name) { m_strScoreName = name; }
    // The program refuses to start without a score name.
    bool HasScoreName() const { return !m_strScoreName.empty(); }

    std::int32_t GetPlayCount() const { return m_nPlayCount; }
    // One more game started live (not a watched replay).
    void CountGameStarted();
    std::int32_t GetPlayTime() const { return m_nPlayTime; }
    // One more second of the program running.
    void AddPlayTimeSecond();

    // Chapter 0 always counts as reached, so the chapter menu has a chapter to
    // stop on whatever the file says. Out-of-range chapters are not reached.
    bool IsReached(int chapter) const;
    // The flag as stored (chapter 0 included), for saving and tests.
    bool GetStoredReached(int chapter) const;

    // CChapterRecords. Chapters outside 0..255 are ignored (best score 0).
    void MarkReached(int chapter) override;
    int GetBestScore(int chapter) const override;
    void SetBestScore(int chapter, int score) override;

private:
    struct SChapter {
        std::int32_t m_nScoreMax = 0;
        bool m_bReached = false;
    };

    std::int32_t m_nPlayCount = 0;
    std::int32_t m_nPlayTime = 0;
    std::string m_strScoreName;
    EReadResult m_eRead = EReadResult::Missing;
    SChapter m_Chapters[kChapters];
};

// The program's records; registered as g_pChapterRecords.
extern CGlobalResult g_GlobalResult;

struct CBarrageRecord {
    std::int32_t m_nTotalCount = 0;  // times the barrage was started
    std::int32_t m_nClearCount = 0;  // times it was captured
    std::int32_t m_nScoreMax = 0;    // best capture bonus
    std::string m_strName;           // display name; empty for unnamed entries
};

class CBarrageTable {
public:
    static constexpr int kBarrages = 128;

    // Names of the two bosses' barrages (10-13 and 20-24).
    void LoadNames();
    // Reads the counts of every barrage from "critical.ini" (carrying the old
    // file over first, as CGlobalResult::Load does).
    void Load();
    // Writes the counts of every barrage into "critical.ini". False when the
    // file could not be written, with the reason in *pWhy.
    bool Save(std::string* pWhy = nullptr) const;

    // A barrage begins: its total count grows unless a replay plays.
    void RecordStart(int barrage, bool bReplay);
    // A barrage was captured with bonus: clear count and best, unless a replay
    // plays.
    void RecordCapture(int barrage, std::int32_t bonus, bool bReplay);

    // Entries outside 0..127 read as an empty record.
    const CBarrageRecord& Get(int barrage) const;

private:
    CBarrageRecord m_Records[kBarrages];
};

extern CBarrageTable g_BarrageTable;

// Tells the player when the records could not be saved (a read-only folder, a
// full disk): the old file is kept, but the session's play count, time and
// results would otherwise be lost without a word. Said once per run, through
// the file warnings; the records stay in memory and the next save tries again.
// Returns bSaved.
bool NoteRecordsSave(bool bSaved, const std::string& why);

// Saves the program's barrage records (at a game's end) or, with bChapters,
// also the chapter records, name and counters (at exit), telling a failure as
// NoteRecordsSave does. True when everything was saved.
bool SaveRecords(bool bChapters);

// The program's start: the records (with the carry-over of the old file), the
// barrage names, the barrage records, in this order.
// False when the records file is there but cannot be read (see
// CGlobalResult::Load).
bool LoadRecords(CGlobalResult& records, CBarrageTable& barrages);
