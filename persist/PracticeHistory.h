// The history of barrage practice in "practice.ini", a file of its own beside
// the records: per barrage the attempts begun, those captured and the best
// bonus of practice. Practice never touches the records of real games.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// The history file, relative to the program folder.
inline constexpr const char* kPracticeFile = "practice.ini";

struct SPracticeRecord {
    std::int32_t m_nTries = 0;      // attempts begun
    std::int32_t m_nCaptures = 0;   // attempts that captured the barrage
    std::int32_t m_nBestBonus = 0;  // the best bonus of those
};

class CPracticeHistory {
public:
    // Record numbers as in "critical.ini".
    static constexpr int kBarrages = 128;

    // Reads the file; a missing one is an empty history. A file that holds
    // anything but a history (a line that is no key and value, a key of no
    // barrage, a value that is no count, more captures than tries, a best
    // bonus without a capture) is read as empty and named in a file warning;
    // the next save keeps a copy of it before writing. So does a file that
    // cannot be read (it is never replaced, as with every settings file).
    void Load();
    // Writes every record into the file through the safe save (a damaged file
    // copied aside first). False when nothing could be written, with the
    // reason in *pWhy; the history stays in memory for the next save.
    bool Save(std::string* pWhy = nullptr);

    // An attempt at the barrage begins; one was captured with bonus.
    void RecordTry(int barrage);
    void RecordCapture(int barrage, std::int32_t bonus);

    // Numbers outside 0 ... 127 read as an empty record.
    const SPracticeRecord& Get(int barrage) const;
    // The file on disk held something that is no history and is not yet
    // kept aside.
    bool IsDamaged() const { return m_bDamaged; }
    // Where the last save kept the damaged file ("" when none was kept).
    const std::string& GetKeptAside() const { return m_strKeptAside; }

    // The history that entries hold (unread: the pieces of the file that were
    // no key and value), or false with what is wrong in *pWhy.
    static bool FromEntries(const std::map<std::string, std::string>& entries, std::size_t unread,
                            SPracticeRecord (&records)[kBarrages], std::string* pWhy);

private:
    bool KeepDamagedAside(std::string* pWhy);

    SPracticeRecord m_Records[kBarrages];
    bool m_bDamaged = false;
    std::string m_strKeptAside;
};

// The program's practice history.
extern CPracticeHistory g_PracticeHistory;

// Saves the program's practice history; a failure is said once through the
// file warnings (the history stays in memory and the next save tries again).
bool SavePracticeHistory();
