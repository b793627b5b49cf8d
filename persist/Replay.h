// Replays: every game is recorded as its per-frame input and can be kept in one
// of ten slot files and watched again; the game is deterministic, so the input
// alone reproduces it.
//
// File (little-endian): a 72-byte header, then one record per frame, either a
// single byte 0 (idle frame) or a byte 1, x and y as 32-bit floats and the seven
// button bytes (16 bytes). After the records may follow a trailer of digests
// (CReplayTrailer); a reader that stops after the records never sees it, so a
// file with one is still of version 6 and one without still plays.
#pragma once

#include "persist/InputRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The replay format version, written into headers and required when a replay
// is read; shown on the main menu.
extern std::uint32_t g_nFormatVersion;

// Paths relative to the program folder.
inline constexpr const char* kReplayDir = "replay";
inline constexpr const char* kReplayTempFile = "replay/_tmp.dat";
inline constexpr int kReplaySlots = 10;
std::string ReplaySlotFile(int slot);  // "replay/replay%d.dat"

struct CReplayHeader {
    static constexpr std::size_t kSize = 72;
    static constexpr std::size_t kMaxScoreName = 16;

    std::uint32_t m_dwVersion = 0;
    char m_szScoreName[17] = {};   // zero-terminated, at most 16 bytes of text
    char m_szCheck[33] = {};       // 32 lowercase hex digits and a zero
    std::int32_t m_nChapter = 0;   // -1 full run, else the chapter index
    std::int32_t m_nScore = 0;
    std::int32_t m_nPlayTime = 0;  // frames
    std::uint32_t m_dwRecords = 0;

    void Encode(std::uint8_t out[kSize]) const;
    void Decode(const std::uint8_t in[kSize]);
};

// The check text: MD5 of score, play time, record count and version written in
// decimal one after another.
std::string ReplayCheckText(std::int32_t score, std::int32_t playTime,
                            std::uint32_t records, std::uint32_t version);

// One digest of the game's rule state, and the tags of what it was made of
// (the low 16 bits of each part's own hash, in digest order), so that a
// differing game can name the first part that differs.
struct SReplayDigest {
    std::uint64_t m_qwDigest = 0;
    std::vector<std::uint16_t> m_Tags;

    bool operator==(const SReplayDigest&) const = default;
};

// The trailer a game writes after its records: the digest of its rule state
// after every interval of steps, the digest and the score at its end.
//
//   offset  size
//   0       4    "MZDG"
//   4       4    trailer version, 1
//   8       4    interval in steps, 60
//   12      4    N, the number of interval digests
//   16      4    steps of play
//   20      4    final score, signed
//   24      8    final digest
//   32      8N   interval digests
//   ...          N + 1 tag lists (the intervals', then the final one's):
//                a 32-bit count, then that many 16-bit tags
//   end     8    checksum: XXH3-64 of every trailer byte before it
struct CReplayTrailer {
    static constexpr std::uint32_t kVersion = 1;
    static constexpr std::uint32_t kInterval = 60;
    static constexpr char kMagic[4] = {'M', 'Z', 'D', 'G'};

    std::uint32_t m_dwInterval = kInterval;
    std::uint32_t m_dwSteps = 0;
    std::int32_t m_nFinalScore = 0;
    std::vector<SReplayDigest> m_Intervals;
    SReplayDigest m_Final;

    std::vector<std::uint8_t> Encode() const;
    // False when the bytes are not exactly one whole, intact trailer.
    bool Decode(const std::uint8_t* data, std::size_t size);

    bool operator==(const CReplayTrailer&) const = default;
};

// What followed the records of the last file loaded.
enum class EReplayTrailer {
    None,      // nothing: a file of a game before digests were kept
    Intact,
    Damaged,   // bytes that are no intact trailer
};

class CReplay {
public:
    // Forgets every record and rewinds playback.
    void Clear();
    // Appends one frame.
    void Record(const CInputRecord& rec);
    // Copies the next frame into rec and advances; once the records are used up
    // rec is left untouched (playback starts each frame from an idle record).
    // True when a record was copied.
    bool Next(CInputRecord& rec);
    // Playback from the first record again.
    void Rewind() { m_nCursor = 0; }

    // Writes the recording to path (relative to the program folder unless
    // absolute). Play time is the wall-clock time of the game in whole seconds,
    // counted as 60 frames each. The old file is replaced only by a complete
    // new one. 0 on success, -1 on failure.
    // With a trailer, it follows the records.
    int Save(std::string_view path, std::int32_t chapter, std::string_view scoreName,
             std::int32_t score, std::uint32_t elapsedMs, const CReplayTrailer* trailer = nullptr);
    // The bytes Save writes (and the header it makes becomes GetHeader()).
    std::vector<std::uint8_t> Encode(std::int32_t chapter, std::string_view scoreName, std::int32_t score,
                                     std::uint32_t elapsedMs, const CReplayTrailer* trailer = nullptr);
    // Reads a replay. False when the file cannot be opened, is not a regular
    // file or is larger than kMaxReplayFileBytes, its header is incomplete, its
    // check text does not match, or its chapter selection is outside -1..255.
    // Records missing at the end of the file play as idle frames. A trailer
    // after the records is read too (GetTrailer); whatever follows the records
    // never refuses the file.
    bool Load(std::string_view path);
    // The same for the bytes of a replay file.
    bool LoadBytes(const std::uint8_t* data, std::size_t size);
    // Why the last Load or LoadBytes refused its file, in words that follow
    // the file's name ("is a folder", "is too short for a replay: ...",
    // "fails its check: ..."); "" when it was not refused.
    const std::string& GetLoadFault() const { return m_strLoadFault; }

    // Reads the headers of the ten slot files. A slot whose file cannot be read
    // (or is no regular file) gets an empty score name and keeps its other
    // fields.
    void ReadSlotTable();
    const CReplayHeader& GetSlot(int slot) const;
    // The slot's header passes the check a load makes (check text and
    // chapter): a slot that will be refused can look refused.
    bool IsSlotIntact(int slot) const;

    const CReplayHeader& GetHeader() const { return m_Header; }
    std::size_t GetRecordCount() const { return m_Records.size(); }
    std::size_t GetCursor() const { return m_nCursor; }
    const CInputRecord& GetRecord(std::size_t i) const { return m_Records[i]; }
    // After Load: whether the file held every record its header counts, and
    // what followed them.
    bool HasAllRecords() const { return m_Records.size() == m_Header.m_dwRecords; }
    EReplayTrailer GetTrailerState() const { return m_eTrailer; }
    const CReplayTrailer& GetTrailer() const { return m_Trailer; }

    static std::int32_t PlayTimeFrames(std::uint32_t elapsedMs);

private:
    std::vector<CInputRecord> m_Records;
    std::size_t m_nCursor = 0;
    CReplayHeader m_Header;
    EReplayTrailer m_eTrailer = EReplayTrailer::None;
    CReplayTrailer m_Trailer;
    std::string m_strLoadFault;
    CReplayHeader m_Slots[kReplaySlots];
    bool m_bSlotIntact[kReplaySlots] = {};
};

// The program's recorder.
extern CReplay g_Replay;

// The replay of the game that just ended, held in memory until the player has
// kept it in a slot or let it go. It is written as the temporary replay at
// once, and into a slot from memory, so that a write that failed (a full disk)
// can be tried again and never hangs on the temporary file.
class CFinishedReplay {
public:
    // Holds the bytes of the replay file and writes them as the temporary
    // replay. False when that write failed: the bytes are held all the same,
    // Fault() says why, and no earlier game's temporary replay is left to
    // pass for this one.
    bool Hold(std::vector<std::uint8_t> bytes);
    // Writes the held replay into the slot, replacing the slot's file in one
    // step, then removes the temporary replay (the game has moved into the
    // slot) and lets the replay go. False when nothing is held or the write
    // failed (Fault() says why); the slot's file then stays as it was, and
    // the replay stays held for another try.
    bool SaveToSlot(int slot);
    // Lets the replay go; the files stay as they are.
    void Forget();
    bool IsHeld() const { return m_bHeld; }
    // The last write that failed: the file's quoted path and why ("" after a
    // write that succeeded).
    const std::string& Fault() const { return m_strFault; }
    // The system's reason alone ("No space left on device").
    const std::string& Reason() const { return m_strReason; }

private:
    bool Write(std::string_view path);

    std::vector<std::uint8_t> m_Bytes;
    bool m_bHeld = false;
    std::string m_strFault;
    std::string m_strReason;
};
