#include "persist/Replay.h"

#include "core/Util.h"

#include <xxhash.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

std::uint32_t g_nFormatVersion = 6;
CReplay g_Replay;

namespace {

void PutU32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

void PutFloat(std::uint8_t* p, float f)
{
    std::uint32_t v;
    std::memcpy(&v, &f, sizeof v);
    PutU32(p, v);
}

float GetFloat(const std::uint8_t* p)
{
    std::uint32_t v = LoadLe32(p);
    float f;
    std::memcpy(&f, &v, sizeof f);
    return f;
}

// Records are not covered by the check text: keep what a damaged file feeds
// into the game within what the devices can produce.
float SaneAxis(float f)
{
    if (!std::isfinite(f))
        return 0.0f;
    if (f > 1.0f)
        return 1.0f;
    if (f < -1.0f)
        return -1.0f;
    return f;
}

std::uint8_t SaneButton(std::uint8_t b)
{
    return b ? 1 : 0;
}

constexpr std::size_t kLongRecord = 16;

constexpr std::size_t kTrailerFixed = 32;
constexpr std::size_t kChecksum = 8;

void PutU64(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    std::uint8_t b[4];
    PutU32(b, v);
    out.insert(out.end(), b, b + 4);
}

std::uint64_t GetU64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(LoadLe32(p)) | static_cast<std::uint64_t>(LoadLe32(p + 4)) << 32;
}

// Reads forward through bytes of a known length; a read past the end fails
// and every later one too.
class CByteReader {
public:
    CByteReader(const std::uint8_t* data, std::size_t size) : m_pData(data), m_nSize(size) {}
    bool Has(std::size_t n) const { return m_bOk && m_nSize - m_nPos >= n; }
    std::size_t Left() const { return m_nSize - m_nPos; }
    std::uint32_t U32()
    {
        if (!Take(4)) return 0;
        return LoadLe32(m_pData + m_nPos - 4);
    }
    std::uint64_t U64()
    {
        if (!Take(8)) return 0;
        return GetU64(m_pData + m_nPos - 8);
    }
    std::uint16_t U16()
    {
        if (!Take(2)) return 0;
        const std::uint8_t* p = m_pData + m_nPos - 2;
        return static_cast<std::uint16_t>(p[0] | p[1] << 8);
    }
    bool Ok() const { return m_bOk; }

private:
    bool Take(std::size_t n)
    {
        if (!Has(n)) {
            m_bOk = false;
            return false;
        }
        m_nPos += n;
        return true;
    }
    const std::uint8_t* m_pData;
    std::size_t m_nSize;
    std::size_t m_nPos = 0;
    bool m_bOk = true;
};

// Reads the tag list of one digest; false when the bytes cannot hold it.
bool ReadTags(CByteReader& in, SReplayDigest& d)
{
    const std::uint32_t n = in.U32();
    if (!in.Ok() || in.Left() / 2 < n)
        return false;
    d.m_Tags.resize(n);
    for (std::uint16_t& t : d.m_Tags)
        t = in.U16();
    return in.Ok();
}

// The stored check text must be exactly the digest of the header's fields and
// its terminating zero; the chapter selection must be one a game can have.
// "" when the header passes, else why it does not.
std::string HeaderFault(const std::uint8_t raw[CReplayHeader::kSize], const CReplayHeader& h)
{
    const std::string check = ReplayCheckText(h.m_nScore, h.m_nPlayTime, h.m_dwRecords, g_nFormatVersion);
    if (std::memcmp(raw + 21, check.c_str(), 33) != 0)
        return "fails its check: the check text does not match the header (damaged, or of another version)";
    if (h.m_nChapter < -1 || h.m_nChapter > 255)
        return "names chapter selection " + std::to_string(h.m_nChapter) + ", which no game has";
    return std::string();
}

bool HeaderPassesCheck(const std::uint8_t raw[CReplayHeader::kSize], const CReplayHeader& h)
{
    return HeaderFault(raw, h).empty();
}

} // namespace

std::vector<std::uint8_t> CReplayTrailer::Encode() const
{
    std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
    PutU32(out, kVersion);
    PutU32(out, m_dwInterval);
    PutU32(out, static_cast<std::uint32_t>(m_Intervals.size()));
    PutU32(out, m_dwSteps);
    PutU32(out, static_cast<std::uint32_t>(m_nFinalScore));
    PutU64(out, m_Final.m_qwDigest);
    for (const SReplayDigest& d : m_Intervals)
        PutU64(out, d.m_qwDigest);
    const auto putTags = [&](const SReplayDigest& d) {
        PutU32(out, static_cast<std::uint32_t>(d.m_Tags.size()));
        for (std::uint16_t t : d.m_Tags) {
            out.push_back(static_cast<std::uint8_t>(t));
            out.push_back(static_cast<std::uint8_t>(t >> 8));
        }
    };
    for (const SReplayDigest& d : m_Intervals)
        putTags(d);
    putTags(m_Final);
    PutU64(out, XXH3_64bits(out.data(), out.size()));
    return out;
}

bool CReplayTrailer::Decode(const std::uint8_t* data, std::size_t size)
{
    *this = CReplayTrailer{};
    if (!data || size < kTrailerFixed + kChecksum || std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return false;
    const std::size_t body = size - kChecksum;
    if (XXH3_64bits(data, body) != GetU64(data + body))
        return false;
    CByteReader in(data + sizeof kMagic, body - sizeof kMagic);
    const std::uint32_t version = in.U32();
    m_dwInterval = in.U32();
    const std::uint32_t n = in.U32();
    m_dwSteps = in.U32();
    m_nFinalScore = static_cast<std::int32_t>(in.U32());
    m_Final.m_qwDigest = in.U64();
    // Each interval takes at least 12 bytes: its digest and its tag count.
    if (version != kVersion || m_dwInterval == 0 || in.Left() / 12 < n)
        return false;
    m_Intervals.resize(n);
    for (SReplayDigest& d : m_Intervals)
        d.m_qwDigest = in.U64();
    for (SReplayDigest& d : m_Intervals)
        if (!ReadTags(in, d))
            return false;
    return ReadTags(in, m_Final) && in.Left() == 0;
}

std::string ReplaySlotFile(int slot)
{
    return std::string(kReplayDir) + "/replay" + std::to_string(slot) + ".dat";
}

void CReplayHeader::Encode(std::uint8_t out[kSize]) const
{
    std::memset(out, 0, kSize);
    PutU32(out + 0, m_dwVersion);
    std::memcpy(out + 4, m_szScoreName, kMaxScoreName);  // byte 20 stays zero
    std::memcpy(out + 21, m_szCheck, 32);                 // byte 53 stays zero
    PutU32(out + 56, static_cast<std::uint32_t>(m_nChapter));
    PutU32(out + 60, static_cast<std::uint32_t>(m_nScore));
    PutU32(out + 64, static_cast<std::uint32_t>(m_nPlayTime));
    PutU32(out + 68, m_dwRecords);
}

void CReplayHeader::Decode(const std::uint8_t in[kSize])
{
    m_dwVersion = LoadLe32(in + 0);
    std::memcpy(m_szScoreName, in + 4, sizeof m_szScoreName);
    m_szScoreName[kMaxScoreName] = '\0';
    std::memcpy(m_szCheck, in + 21, sizeof m_szCheck);
    m_szCheck[32] = '\0';
    m_nChapter = static_cast<std::int32_t>(LoadLe32(in + 56));
    m_nScore = static_cast<std::int32_t>(LoadLe32(in + 60));
    m_nPlayTime = static_cast<std::int32_t>(LoadLe32(in + 64));
    m_dwRecords = LoadLe32(in + 68);
}

std::string ReplayCheckText(std::int32_t score, std::int32_t playTime,
                            std::uint32_t records, std::uint32_t version)
{
    std::string text = std::to_string(score) + std::to_string(playTime) +
                       std::to_string(records) + std::to_string(version);
    return Md5Hex(text);
}

std::int32_t CReplay::PlayTimeFrames(std::uint32_t elapsedMs)
{
    return static_cast<std::int32_t>(elapsedMs / 1000) * 60;
}

void CReplay::Clear()
{
    m_Records.clear();
    m_nCursor = 0;
}

void CReplay::Record(const CInputRecord& rec)
{
    m_Records.push_back(rec);
}

bool CReplay::Next(CInputRecord& rec)
{
    if (m_nCursor >= m_Records.size())
        return false;
    rec = m_Records[m_nCursor++];
    return true;
}

int CReplay::Save(std::string_view path, std::int32_t chapter, std::string_view scoreName,
                  std::int32_t score, std::uint32_t elapsedMs, const CReplayTrailer* trailer)
{
    const std::vector<std::uint8_t> bytes = Encode(chapter, scoreName, score, elapsedMs, trailer);
    std::string full = ResolvePath(path);
    std::string dir = DirName(full);
    if (!dir.empty() && !CreateDirectories(dir))
        return -1;
    return WriteFileAtomic(full, bytes.data(), bytes.size()) ? 0 : -1;
}

std::vector<std::uint8_t> CReplay::Encode(std::int32_t chapter, std::string_view scoreName, std::int32_t score,
                                          std::uint32_t elapsedMs, const CReplayTrailer* trailer)
{
    CReplayHeader h;
    h.m_dwVersion = g_nFormatVersion;
    std::size_t nameLen = scoreName.size() < CReplayHeader::kMaxScoreName
                              ? scoreName.size()
                              : CReplayHeader::kMaxScoreName;
    // A long name is cut to the field, but never inside a UTF-8 character:
    // a half character would show as garbage in the replay lists.
    if (nameLen < scoreName.size())
        while (nameLen > 0 && (static_cast<unsigned char>(scoreName[nameLen]) & 0xC0) == 0x80)
            --nameLen;
    std::memcpy(h.m_szScoreName, scoreName.data(), nameLen);
    h.m_nChapter = chapter;
    h.m_nScore = score;
    h.m_nPlayTime = PlayTimeFrames(elapsedMs);
    h.m_dwRecords = static_cast<std::uint32_t>(m_Records.size());
    std::string check = ReplayCheckText(h.m_nScore, h.m_nPlayTime, h.m_dwRecords, h.m_dwVersion);
    std::memcpy(h.m_szCheck, check.data(), 32);

    std::vector<std::uint8_t> bytes(CReplayHeader::kSize);
    h.Encode(bytes.data());
    for (const CInputRecord& r : m_Records) {
        if (r.IsIdle()) {
            bytes.push_back(0);
            continue;
        }
        std::uint8_t rec[kLongRecord];
        rec[0] = 1;
        PutFloat(rec + 1, r.m_fX);
        PutFloat(rec + 5, r.m_fY);
        rec[9] = r.m_bAttack0;
        rec[10] = r.m_bAttack1;
        rec[11] = r.m_bReload;
        rec[12] = r.m_bDash;
        rec[13] = r.m_bLeftRoll;
        rec[14] = r.m_bRightRoll;
        rec[15] = r.m_bBlade;
        bytes.insert(bytes.end(), rec, rec + kLongRecord);
    }
    if (trailer) {
        const std::vector<std::uint8_t> t = trailer->Encode();
        bytes.insert(bytes.end(), t.begin(), t.end());
    }
    m_Header = h;
    return bytes;
}

bool CReplay::Load(std::string_view path)
{
    Clear();
    std::vector<std::uint8_t> bytes;
    const EReadResult read = ReadRegularFile(path, bytes, kMaxReplayFileBytes);
    if (read != EReadResult::Ok) {
        m_strLoadFault = ReadFaultText(path, read, kMaxReplayFileBytes);
        return false;
    }
    return LoadBytes(bytes.data(), bytes.size());
}

bool CReplay::LoadBytes(const std::uint8_t* data, std::size_t size)
{
    Clear();
    m_eTrailer = EReplayTrailer::None;
    m_Trailer = CReplayTrailer{};
    m_strLoadFault.clear();
    if (!data || size < CReplayHeader::kSize) {
        m_strLoadFault = "is too short for a replay: " + std::to_string(data ? size : 0) + " bytes, less than its " +
                         std::to_string(CReplayHeader::kSize) + "-byte header";
        return false;
    }
    m_Header.Decode(data);
    m_strLoadFault = HeaderFault(data, m_Header);
    if (!m_strLoadFault.empty())
        return false;

    // Read what the file holds, never more than the header claims; a count
    // larger than the file leaves the remaining frames idle, which is what
    // playback gives once the records are used up.
    std::size_t pos = CReplayHeader::kSize;
    for (std::uint32_t i = 0; i < m_Header.m_dwRecords && pos < size; ++i) {
        const std::uint8_t flag = data[pos++];
        CInputRecord r;
        if (flag != 0) {
            if (size - pos < kLongRecord - 1)
                break;
            const std::uint8_t* rest = data + pos;
            pos += kLongRecord - 1;
            r.m_fX = SaneAxis(GetFloat(rest + 0));
            r.m_fY = SaneAxis(GetFloat(rest + 4));
            r.m_bAttack0 = SaneButton(rest[8]);
            r.m_bAttack1 = SaneButton(rest[9]);
            r.m_bReload = SaneButton(rest[10]);
            r.m_bDash = SaneButton(rest[11]);
            r.m_bLeftRoll = SaneButton(rest[12]);
            r.m_bRightRoll = SaneButton(rest[13]);
            r.m_bBlade = SaneButton(rest[14]);
        }
        m_Records.push_back(r);
    }
    // What follows the records is the trailer; a file cut short has none.
    if (HasAllRecords() && pos < size)
        m_eTrailer = m_Trailer.Decode(data + pos, size - pos) ? EReplayTrailer::Intact : EReplayTrailer::Damaged;
    return true;
}

void CReplay::ReadSlotTable()
{
    for (int i = 0; i < kReplaySlots; ++i) {
        // A pipe or a device in a slot's place is an empty slot, never a wait.
        std::vector<std::uint8_t> head;
        m_bSlotIntact[i] = false;
        if (ReadRegularFileHead(ReplaySlotFile(i), head, CReplayHeader::kSize) == EReadResult::Ok &&
            head.size() == CReplayHeader::kSize) {
            m_Slots[i].Decode(head.data());
            m_bSlotIntact[i] = HeaderPassesCheck(head.data(), m_Slots[i]);
        } else {
            m_Slots[i].m_szScoreName[0] = '\0';
        }
    }
}

bool CReplay::IsSlotIntact(int slot) const
{
    return slot >= 0 && slot < kReplaySlots && m_bSlotIntact[slot];
}

const CReplayHeader& CReplay::GetSlot(int slot) const
{
    static const CReplayHeader kEmpty;
    if (slot < 0 || slot >= kReplaySlots)
        return kEmpty;
    return m_Slots[slot];
}

bool CFinishedReplay::Write(std::string_view path)
{
    const std::string full = ResolvePath(path);
    const std::string dir = DirName(full);
    errno = 0;
    if ((dir.empty() || CreateDirectories(dir)) && WriteFileAtomic(full, m_Bytes.data(), m_Bytes.size())) {
        m_strFault.clear();
        m_strReason.clear();
        return true;
    }
    m_strReason = errno ? std::strerror(errno) : "its folder cannot be made";
    m_strFault = QuotedPath(full) + " cannot be written: " + m_strReason;
    return false;
}

bool CFinishedReplay::Hold(std::vector<std::uint8_t> bytes)
{
    m_Bytes = std::move(bytes);
    m_bHeld = true;
    if (Write(kReplayTempFile))
        return true;
    // An earlier game's temporary replay must not pass for this one.
    std::remove(ResolvePath(kReplayTempFile).c_str());
    return false;
}

bool CFinishedReplay::SaveToSlot(int slot)
{
    if (!m_bHeld || slot < 0 || slot >= kReplaySlots)
        return false;
    if (!Write(ReplaySlotFile(slot)))
        return false;
    std::remove(ResolvePath(kReplayTempFile).c_str());
    Forget();
    return true;
}

void CFinishedReplay::Forget()
{
    m_Bytes.clear();
    m_Bytes.shrink_to_fit();
    m_bHeld = false;
}
