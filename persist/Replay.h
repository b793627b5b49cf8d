// Replays: every game is recorded as its per-frame input and can be kept in one
// of ten slot files and watched again; the game is deterministic, so the input
// alone reproduces it.
//
// File (little-endian): a 72-byte header, then one record per frame, either a
// single byte 0 (idle frame) or a byte 1, x and y as 32-bit floats and the seven
// button bytes (16 bytes).
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

    // Writes the recording to path (relative to the program folder unless
    // absolute). Play time is the wall-clock time of the game in whole seconds,
    // counted as 60 frames each. The old file is replaced only by a complete
    // new one. 0 on success, -1 on failure.
    int Save(std::string_view path, std::int32_t chapter, std::string_view scoreName,
             std::int32_t score, std::uint32_t elapsedMs);
    // Reads a replay. False when the file cannot be opened, is not a regular
    // file or is larger than kMaxReplayFileBytes, its header is incomplete, its
    // check text does not match, or its chapter selection is outside -1..255.
    // Records missing at the end of the file play as idle frames.
    bool Load(std::string_view path);
    // The same for the bytes of a replay file.
    bool LoadBytes(const std::uint8_t* data, std::size_t size);

    // Reads the headers of the ten slot files. A slot whose file cannot be read
    // (or is no regular file) gets an empty score name and keeps its other
    // fields.
    void ReadSlotTable();
    const CReplayHeader& GetSlot(int slot) const;
    // The slot's header passes the check a load makes (check text and
    // chapter): a slot that will be refused can look refused.
    bool IsSlotIntact(int slot) const;

    // Moves the temporary replay into a slot, replacing the slot's replay in one
    // step. When there is no temporary replay, or the move fails, the slot keeps
    // what it held. True when the slot now holds the temporary replay.
    static bool KeepInSlot(int slot);

    const CReplayHeader& GetHeader() const { return m_Header; }
    std::size_t GetRecordCount() const { return m_Records.size(); }
    std::size_t GetCursor() const { return m_nCursor; }
    const CInputRecord& GetRecord(std::size_t i) const { return m_Records[i]; }

    static std::int32_t PlayTimeFrames(std::uint32_t elapsedMs);

private:
    std::vector<CInputRecord> m_Records;
    std::size_t m_nCursor = 0;
    CReplayHeader m_Header;
    CReplayHeader m_Slots[kReplaySlots];
    bool m_bSlotIntact[kReplaySlots] = {};
};

// The program's recorder.
extern CReplay g_Replay;
