#include "tests/support/HostileFiles.h"
#include "tests/support/TempHome.h"

#include "persist/Replay.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

void PutLE(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A header laid out by hand: version, name (17 bytes), check text (33 bytes),
// two zero bytes, chapter, score, play time, record count.
std::string Header(const std::string& name, const std::string& check, std::int32_t chapter,
                   std::int32_t score, std::int32_t playTime, std::uint32_t records,
                   std::uint32_t version = 6)
{
    std::string h(72, '\0');
    PutLE(h, 0, version);
    h.replace(4, name.size(), name);
    h.replace(21, check.size(), check);
    PutLE(h, 56, static_cast<std::uint32_t>(chapter));
    PutLE(h, 60, static_cast<std::uint32_t>(score));
    PutLE(h, 64, static_cast<std::uint32_t>(playTime));
    PutLE(h, 68, records);
    return h;
}

std::string LongRecord(float x, float y, const char (&buttons)[8])
{
    std::string r(1, '\1');
    std::uint32_t bits;
    std::memcpy(&bits, &x, 4);
    r += std::string(4, '\0');
    PutLE(r, 1, bits);
    std::memcpy(&bits, &y, 4);
    r += std::string(4, '\0');
    PutLE(r, 5, bits);
    for (int i = 0; i < 7; ++i)
        r += static_cast<char>(buttons[i] - '0');
    return r;
}

CInputRecord Input(float x, float y, const char (&buttons)[8])
{
    CInputRecord r;
    r.m_fX = x;
    r.m_fY = y;
    r.m_bAttack0 = buttons[0] - '0';
    r.m_bAttack1 = buttons[1] - '0';
    r.m_bReload = buttons[2] - '0';
    r.m_bDash = buttons[3] - '0';
    r.m_bLeftRoll = buttons[4] - '0';
    r.m_bRightRoll = buttons[5] - '0';
    r.m_bBlade = buttons[6] - '0';
    return r;
}

bool Same(const CInputRecord& a, const CInputRecord& b)
{
    return std::memcmp(&a.m_fX, &b.m_fX, 4) == 0 && std::memcmp(&a.m_fY, &b.m_fY, 4) == 0 &&
           a.m_bAttack0 == b.m_bAttack0 && a.m_bAttack1 == b.m_bAttack1 &&
           a.m_bReload == b.m_bReload && a.m_bDash == b.m_bDash &&
           a.m_bLeftRoll == b.m_bLeftRoll && a.m_bRightRoll == b.m_bRightRoll &&
           a.m_bBlade == b.m_bBlade;
}

// MD5 of "1234" "600" "700" "6", the example of the file format.
const char* const kExampleCheck = "4cd581095ee23b0f4de1c83c7aacb205";

using Replay = TempHome;

TEST(ReplayCheck, DigestOfScoreTimeCountAndVersionInDecimal)
{
    EXPECT_EQ(ReplayCheckText(1234, 600, 700, 6), kExampleCheck);
    EXPECT_EQ(ReplayCheckText(1234, 600, 700, 6), Md5Hex("12346007006"));
    EXPECT_EQ(ReplayCheckText(-5, 0, 4000000000u, 6), Md5Hex("-5040000000006"));
}

TEST(ReplayCheck, PlayTimeIsWholeSecondsTimesSixty)
{
    EXPECT_EQ(CReplay::PlayTimeFrames(0), 0);
    EXPECT_EQ(CReplay::PlayTimeFrames(999), 0);
    EXPECT_EQ(CReplay::PlayTimeFrames(1000), 60);
    EXPECT_EQ(CReplay::PlayTimeFrames(10999), 600);
    EXPECT_EQ(CReplay::PlayTimeFrames(4294967295u), 4294967 * 60);
}

TEST_F(Replay, SaveWritesTheHeaderAndOneByteForEachIdleFrame)
{
    CReplay r;
    for (int i = 0; i < 700; ++i)
        r.Record(CInputRecord{});
    ASSERT_EQ(r.Save("replay/_tmp.dat", -1, "Pilot", 1234, 10500), 0);

    std::string expected = Header("Pilot", kExampleCheck, -1, 1234, 600, 700) + std::string(700, '\0');
    std::string got = ReadFile("replay/_tmp.dat");
    ASSERT_EQ(got.size(), 72u + 700u);
    EXPECT_EQ(got, expected);
}

TEST_F(Replay, ShortRecordOnlyForAnIdleFrame)
{
    const struct {
        const char* what;
        CInputRecord in;
        std::string bytes;
    } kCases[] = {
        {"idle", Input(0.0f, 0.0f, "0000000"), std::string(1, '\0')},
        {"negative zero is zero", Input(-0.0f, 0.0f, "0000000"), std::string(1, '\0')},
        {"x only", Input(0.5f, 0.0f, "0000000"), LongRecord(0.5f, 0.0f, "0000000")},
        {"y only", Input(0.0f, -1.0f, "0000000"), LongRecord(0.0f, -1.0f, "0000000")},
        {"attack0", Input(0.0f, 0.0f, "1000000"), LongRecord(0.0f, 0.0f, "1000000")},
        {"blade", Input(0.0f, 0.0f, "0000001"), LongRecord(0.0f, 0.0f, "0000001")},
        {"all", Input(1.0f, 1.0f, "1111111"), LongRecord(1.0f, 1.0f, "1111111")},
        {"order of buttons", Input(0.25f, 0.0f, "0101010"), LongRecord(0.25f, 0.0f, "0101010")},
    };
    for (const auto& c : kCases) {
        CReplay r;
        r.Record(c.in);
        ASSERT_EQ(r.Save("replay/_tmp.dat", 0, "", 0, 0), 0);
        std::string got = ReadFile("replay/_tmp.dat");
        ASSERT_GE(got.size(), 72u) << c.what;
        EXPECT_EQ(got.substr(72), c.bytes) << c.what;
    }
    // The long form is exactly 16 bytes: 01, x, y as little-endian floats,
    // then attack0 .. blade.
    EXPECT_EQ(LongRecord(0.5f, 0.0f, "1000001"),
              std::string("\x01\x00\x00\x00\x3f\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x01", 16));
}

TEST_F(Replay, HeaderFieldsNameChapterAndCutName)
{
    CReplay r;
    r.Record(Input(0.0f, 1.0f, "0000000"));
    ASSERT_EQ(r.Save("replay/_tmp.dat", 1, "ABCDEFGHIJKLMNOPQRSTU", -20, 61999), 0);
    std::string check = Md5Hex("-20" "3660" "1" "6");
    EXPECT_EQ(ReadFile("replay/_tmp.dat").substr(0, 72),
              Header("ABCDEFGHIJKLMNOP", check, 1, -20, 3660, 1));
    EXPECT_STREQ(r.GetHeader().m_szScoreName, "ABCDEFGHIJKLMNOP");
}

TEST_F(Replay, LongNameIsCutAtACharacterBoundary)
{
    // Sixteen bytes would end inside the sixth three-byte character.
    const std::string name = "ABCあいうえおか";  // 3 + 6 * 3 = 21 bytes
    const struct {
        std::string in, stored;
    } cases[] = {
        {name, "ABCあいうえ"},                 // 15 bytes: the fifth character fits whole
        {"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP"},  // ASCII still takes all 16
        {"ABCDEFGHIJKLMNOあ", "ABCDEFGHIJKLMNO"},  // a character straddling byte 16 goes
    };
    for (const auto& c : cases) {
        CReplay r;
        ASSERT_EQ(r.Save("replay/_tmp.dat", -1, c.in, 0, 0), 0);
        EXPECT_STREQ(r.GetHeader().m_szScoreName, c.stored.c_str()) << c.in;
    }
}

TEST_F(Replay, LoadPlaysTheRecordsBackThenLeavesTheRecordUntouched)
{
    const CInputRecord frames[] = {
        Input(0.0f, 0.0f, "0000000"), Input(-1.0f, 1.0f, "1000000"),
        Input(0.002f, -0.998f, "0010011"), Input(0.0f, 0.0f, "0000000"),
    };
    CReplay rec;
    for (const auto& f : frames)
        rec.Record(f);
    ASSERT_EQ(rec.Save("replay/replay3.dat", 1, "p", 99, 2000), 0);

    CReplay play;
    ASSERT_TRUE(play.Load("replay/replay3.dat"));
    EXPECT_EQ(play.GetHeader().m_nChapter, 1);
    EXPECT_EQ(play.GetHeader().m_nScore, 99);
    EXPECT_EQ(play.GetHeader().m_nPlayTime, 120);
    EXPECT_STREQ(play.GetHeader().m_szScoreName, "p");
    ASSERT_EQ(play.GetRecordCount(), 4u);
    for (const auto& f : frames) {
        CInputRecord got;
        ASSERT_TRUE(play.Next(got));
        EXPECT_TRUE(Same(got, f));
    }
    CInputRecord marker = Input(0.5f, 0.5f, "1111111");
    EXPECT_FALSE(play.Next(marker));
    EXPECT_TRUE(Same(marker, Input(0.5f, 0.5f, "1111111")));

    play.Clear();
    EXPECT_EQ(play.GetRecordCount(), 0u);
    EXPECT_EQ(play.GetCursor(), 0u);
}

TEST_F(Replay, AFileWithOneChangedByteInItsCheckedFieldsIsRefused)
{
    CReplay rec;
    for (int i = 0; i < 3; ++i)
        rec.Record(Input(0.0f, 1.0f, "1000000"));
    ASSERT_EQ(rec.Save("replay/_tmp.dat", -1, "pilot", 5000, 30000), 0);
    const std::string good = ReadFile("replay/_tmp.dat");
    const struct {
        const char* what;
        std::size_t offset;
        bool accepted;
    } kCases[] = {
        {"check text", 30, false}, {"check terminator", 53, false},
        {"score", 60, false},       {"score high byte", 63, false},
        {"play time", 64, false},   {"record count", 68, false}, {"record count high", 71, false},
        {"score name (not checked)", 5, true},
        // The check is computed with the program's own version, not the file's.
        {"version (not checked)", 0, true},
    };
    for (const auto& c : kCases) {
        std::string bad = good;
        bad[c.offset] = static_cast<char>(bad[c.offset] ^ 0x01);
        WriteFile("replay/replay0.dat", bad);
        CReplay play;
        EXPECT_EQ(play.Load("replay/replay0.dat"), c.accepted) << c.what;
        if (!c.accepted) {
            EXPECT_EQ(play.GetRecordCount(), 0u) << c.what;
        }
    }
    WriteFile("replay/replay0.dat", good);
    CReplay play;
    EXPECT_TRUE(play.Load("replay/replay0.dat"));
}

TEST_F(Replay, MissingShortOrOutOfRangeFilesAreRefusedAndSayWhy)
{
    const std::string ok = Header("p", ReplayCheckText(0, 0, 0, 6), 1, 0, 0, 0);
    const struct {
        const char* what;
        std::string bytes;   // empty: a folder when folder is set, else no file
        bool folder;
        const char* fault;   // "" when the file is accepted
    } kCases[] = {
        {"missing", "", false, "does not exist"},
        {"a folder", "", true, "is a folder"},
        {"71 bytes", ok.substr(0, 71), false, "is too short for a replay: 71 bytes, less than its 72-byte header"},
        {"check text", Header("p", ReplayCheckText(1, 0, 0, 6), 1, 0, 0, 0), false, "fails its check: the check text"},
        {"chapter 256", Header("p", ReplayCheckText(0, 0, 0, 6), 256, 0, 0, 0), false, "names chapter selection 256"},
        {"chapter -2", Header("p", ReplayCheckText(0, 0, 0, 6), -2, 0, 0, 0), false, "names chapter selection -2"},
        {"chapter 1", ok, false, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(PathOf("replay/replay9.dat"));
        if (c.folder) std::filesystem::create_directories(PathOf("replay/replay9.dat"));
        if (!c.bytes.empty()) WriteFile("replay/replay9.dat", c.bytes);
        CReplay play;
        EXPECT_EQ(play.Load("replay/replay9.dat"), c.fault[0] == '\0');
        EXPECT_EQ(play.GetLoadFault().substr(0, std::strlen(c.fault)), c.fault) << play.GetLoadFault();
    }
}

TEST_F(Replay, ATruncatedFilePlaysIdleFramesAfterItsEnd)
{
    CReplay rec;
    for (int i = 0; i < 5; ++i)
        rec.Record(Input(1.0f, 0.0f, "0100000"));
    ASSERT_EQ(rec.Save("replay/_tmp.dat", -1, "p", 1, 1000), 0);
    std::string whole = ReadFile("replay/_tmp.dat");
    WriteFile("replay/replay1.dat", whole.substr(0, 72 + 16 + 8));  // one and a half records

    CReplay play;
    ASSERT_TRUE(play.Load("replay/replay1.dat"));
    EXPECT_EQ(play.GetRecordCount(), 1u);
    CInputRecord frame;  // playback starts each frame from an idle record
    ASSERT_TRUE(play.Next(frame));
    EXPECT_TRUE(Same(frame, Input(1.0f, 0.0f, "0100000")));
    for (int i = 0; i < 4; ++i) {
        CInputRecord idle;
        EXPECT_FALSE(play.Next(idle));
        EXPECT_TRUE(idle.IsIdle());
    }
}

TEST_F(Replay, AHeaderClaimingFourBillionRecordsReadsOnlyWhatIsThere)
{
    const std::uint32_t claimed = 4000000000u;
    std::string file = Header("p", Md5Hex("0" "0" "4000000000" "6"), -1, 0, 0, claimed) +
                       std::string(1, '\0') + LongRecord(0.0f, 1.0f, "0000000") + std::string(1, '\0');
    WriteFile("replay/replay2.dat", file);
    CReplay play;
    ASSERT_TRUE(play.Load("replay/replay2.dat"));
    EXPECT_EQ(play.GetHeader().m_dwRecords, claimed);
    EXPECT_EQ(play.GetRecordCount(), 3u);
}

TEST_F(Replay, RecordsOutsideWhatTheDevicesGiveAreMadeSafe)
{
    float nan = std::nanf("");
    std::string file = Header("p", ReplayCheckText(0, 0, 3, 6), -1, 0, 0, 3) +
                       LongRecord(nan, 5.0f, "0000000") +
                       LongRecord(-INFINITY, -2.0f, "0000000") + std::string(1, '\x07');
    std::string bad = LongRecord(0.5f, 0.0f, "1000000");
    bad[9] = 7;    // attack0 byte 7
    bad[15] = 2;   // blade byte 2
    file.replace(file.size() - 1, 1, bad);
    WriteFile("replay/replay4.dat", file);

    CReplay play;
    ASSERT_TRUE(play.Load("replay/replay4.dat"));
    ASSERT_EQ(play.GetRecordCount(), 3u);
    EXPECT_TRUE(Same(play.GetRecord(0), Input(0.0f, 1.0f, "0000000")));
    EXPECT_TRUE(Same(play.GetRecord(1), Input(0.0f, -1.0f, "0000000")));
    EXPECT_TRUE(Same(play.GetRecord(2), Input(0.5f, 0.0f, "1000001")));
}

TEST_F(Replay, SaveFailsWhenTheFileCannotBeCreated)
{
    WriteFile("replay", "a file where the folder should be");
    CReplay r;
    r.Record(CInputRecord{});
    EXPECT_EQ(r.Save("replay/_tmp.dat", -1, "p", 0, 0), -1);
}

TEST_F(Replay, SlotTableReadsTheTenHeaders)
{
    CReplay r;
    r.Record(CInputRecord{});
    ASSERT_EQ(r.Save("replay/replay0.dat", -1, "first", 100, 0), 0);
    ASSERT_EQ(r.Save("replay/replay3.dat", 1, "second", 200, 0), 0);
    WriteFile("replay/replay5.dat", "too short");

    CReplay table;
    table.ReadSlotTable();
    EXPECT_STREQ(table.GetSlot(0).m_szScoreName, "first");
    EXPECT_EQ(table.GetSlot(0).m_nChapter, -1);
    EXPECT_EQ(table.GetSlot(0).m_nScore, 100);
    EXPECT_STREQ(table.GetSlot(3).m_szScoreName, "second");
    EXPECT_EQ(table.GetSlot(3).m_nChapter, 1);
    for (int i : {1, 2, 4, 5, 6, 7, 8, 9})
        EXPECT_STREQ(table.GetSlot(i).m_szScoreName, "") << i;
    EXPECT_STREQ(table.GetSlot(10).m_szScoreName, "");
    // Whether a slot would pass a load's check, for the list to show it.
    EXPECT_TRUE(table.IsSlotIntact(0));
    EXPECT_TRUE(table.IsSlotIntact(3));
    EXPECT_FALSE(table.IsSlotIntact(5));
    EXPECT_FALSE(table.IsSlotIntact(1));
    EXPECT_FALSE(table.IsSlotIntact(10));
    std::string edited = ReadFile("replay/replay0.dat");
    edited[60] = static_cast<char>(edited[60] + 1);  // the score
    WriteFile("replay/replay7.dat", edited);
    std::string far = ReadFile("replay/replay0.dat");
    far[56] = far[57] = far[58] = '\xFF';
    far[59] = '\x7F';  // chapter 0x7FFFFFFF
    WriteFile("replay/replay6.dat", far);
    table.ReadSlotTable();
    EXPECT_FALSE(table.IsSlotIntact(7));
    EXPECT_FALSE(table.IsSlotIntact(6));
    EXPECT_EQ(table.GetSlot(6).m_nChapter, 0x7FFFFFFF);

    // A slot that disappears loses its name and keeps its other fields.
    std::filesystem::remove(PathOf("replay/replay3.dat"));
    table.ReadSlotTable();
    EXPECT_STREQ(table.GetSlot(3).m_szScoreName, "");
    EXPECT_EQ(table.GetSlot(3).m_nScore, 200);
}

TEST_F(Replay, AFinishedGameIsWrittenAtOnceAndKeptInASlotFromMemory)
{
    CReplay r;
    r.Record(CInputRecord{});
    ASSERT_EQ(r.Save("replay/replay2.dat", -1, "old", 1, 0), 0);
    const std::string old = ReadFile("replay/replay2.dat");
    // Encode gives exactly the bytes Save writes.
    const std::vector<std::uint8_t> bytes = r.Encode(0, "new", 2, 0);
    const std::string fresh(bytes.begin(), bytes.end());
    ASSERT_EQ(r.Save("replay/replay9.dat", 0, "new", 2, 0), 0);
    EXPECT_EQ(ReadFile("replay/replay9.dat"), fresh);

    CFinishedReplay finished;
    EXPECT_FALSE(finished.SaveToSlot(2)) << "nothing held";
    EXPECT_EQ(ReadFile("replay/replay2.dat"), old);
    ASSERT_TRUE(finished.Hold(bytes)) << finished.Fault();
    EXPECT_EQ(ReadFile(kReplayTempFile), fresh);

    // A slot whose name is taken by a folder that is not empty: refused and
    // named, the replay still held; no slot number past the ten.
    std::filesystem::create_directories(PathOf("replay/replay4.dat/x"));
    EXPECT_FALSE(finished.SaveToSlot(4));
    EXPECT_NE(finished.Fault().find("\"" + PathOf("replay/replay4.dat") + "\" cannot be written: "), std::string::npos)
        << finished.Fault();
    EXPECT_FALSE(finished.SaveToSlot(10));
    EXPECT_TRUE(finished.IsHeld());

    // Kept: the slot holds the game, the temporary replay has moved into it.
    EXPECT_TRUE(finished.SaveToSlot(2));
    EXPECT_EQ(ReadFile("replay/replay2.dat"), fresh);
    EXPECT_FALSE(Exists(kReplayTempFile));
    EXPECT_FALSE(finished.IsHeld());
    EXPECT_FALSE(finished.SaveToSlot(3));
}

// On a full disk the temporary replay cannot be written: that is said, no
// earlier game's temporary replay stays to pass for this one, a slot save
// fails whole (the slot's old file untouched, nothing left beside it), and
// once there is room the held replay is saved after all.
TEST_F(Replay, AFullDiskCostsNeitherTheHeldReplayNorASlot)
{
    CReplay r;
    r.Record(CInputRecord{});
    ASSERT_EQ(r.Save("replay/replay3.dat", -1, "old", 1, 0), 0);
    ASSERT_EQ(r.Save(kReplayTempFile, -1, "earlier", 5, 0), 0);
    const std::string old = ReadFile("replay/replay3.dat");
    CReplay game;
    for (int i = 0; i < 1000; ++i) game.Record(Input(0.5f, -0.25f, "1000001"));
    const std::vector<std::uint8_t> bytes = game.Encode(-1, "pilot", 777, 60000);
    ASSERT_GT(bytes.size(), 16000u);

    CFinishedReplay finished;
    {
        FileSizeLimit full(4096);
        ASSERT_TRUE(full.Ok());
        EXPECT_FALSE(finished.Hold(bytes));
        EXPECT_EQ(finished.Fault(), "\"" + PathOf(kReplayTempFile) + "\" cannot be written: " + std::strerror(EFBIG));
        EXPECT_EQ(finished.Reason(), std::strerror(EFBIG));
        EXPECT_TRUE(finished.IsHeld());
        EXPECT_FALSE(Exists(kReplayTempFile));
        EXPECT_FALSE(finished.SaveToSlot(3));
        EXPECT_NE(finished.Fault().find(PathOf("replay/replay3.dat")), std::string::npos) << finished.Fault();
        EXPECT_TRUE(finished.IsHeld());
    }
    EXPECT_EQ(ReadFile("replay/replay3.dat"), old);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(PathOf("replay"))) names.push_back(e.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"replay3.dat"});

    EXPECT_TRUE(finished.SaveToSlot(3)) << finished.Fault();
    EXPECT_EQ(finished.Fault(), "");
    CReplay kept;
    ASSERT_TRUE(kept.Load("replay/replay3.dat"));
    EXPECT_EQ(kept.GetHeader().m_nScore, 777);
    EXPECT_EQ(kept.GetRecordCount(), 1000u);
}

// A pipe or a device in a slot's place is an empty slot that cannot be
// watched, and neither the list nor the load waits on it.
TEST_F(Replay, ASlotThatIsNoRegularFileIsEmptyAndNeverWaitedOn)
{
    CReplay r;
    r.Record(CInputRecord{});
    ASSERT_EQ(r.Save("replay/replay1.dat", -1, "kept", 10, 0), 0);
    ASSERT_EQ(::mkfifo(PathOf("replay/replay2.dat").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", PathOf("replay/replay3.dat"));
    std::filesystem::create_directories(PathOf("replay/replay4.dat"));

    Watchdog watchdog(10);
    CReplay table;
    table.ReadSlotTable();
    EXPECT_STREQ(table.GetSlot(1).m_szScoreName, "kept");
    for (int i : {2, 3, 4}) {
        EXPECT_STREQ(table.GetSlot(i).m_szScoreName, "") << i;
        EXPECT_FALSE(table.Load(ReplaySlotFile(i))) << i;
        EXPECT_EQ(table.GetLoadFault(),
                  i == 4 ? "is a folder" : "is not a regular file (a pipe, device or socket)");
    }
    EXPECT_TRUE(table.Load(ReplaySlotFile(1)));
}

}  // namespace
