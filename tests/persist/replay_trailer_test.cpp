// The digest trailer after a replay's records: laid out as documented, read
// back whole, invisible to a reader that stops after the records, and taken
// as damaged (never trusted, never refusing the file) when anything in it is
// off.
#include "tests/support/TempHome.h"

#include "persist/Replay.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using ReplayTrailer = TempHome;

void Put(std::string& s, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string WithChecksum(std::string body)
{
    Put(body, XXH3_64bits(body.data(), body.size()), 8);
    return body;
}

CReplayTrailer Sample()
{
    CReplayTrailer t;
    t.m_dwSteps = 130;
    t.m_nFinalScore = -7;
    t.m_Intervals = {{0x1122334455667788ull, {1, 2, 0xBEEF}}, {0x0102030405060708ull, {}}};
    t.m_Final = {0xA0A1A2A3A4A5A6A7ull, {9}};
    return t;
}

// The sample laid out by hand from the documented table.
std::string SampleBytes()
{
    std::string b = "MZDG";
    Put(b, 1, 4);     // version
    Put(b, 60, 4);    // interval
    Put(b, 2, 4);     // interval digests
    Put(b, 130, 4);   // steps
    Put(b, static_cast<std::uint32_t>(-7), 4);
    Put(b, 0xA0A1A2A3A4A5A6A7ull, 8);
    Put(b, 0x1122334455667788ull, 8);
    Put(b, 0x0102030405060708ull, 8);
    Put(b, 3, 4);
    Put(b, 1, 2);
    Put(b, 2, 2);
    Put(b, 0xBEEF, 2);
    Put(b, 0, 4);
    Put(b, 1, 4);
    Put(b, 9, 2);
    return WithChecksum(b);
}

CReplay SomeGame()
{
    CReplay r;
    for (int i = 0; i < 130; ++i) {
        CInputRecord rec;
        if (i % 3 == 0) rec.m_fX = 0.5f;
        if (i % 7 == 0) rec.m_bAttack0 = 1;
        r.Record(rec);
    }
    return r;
}

std::string AsString(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

}  // namespace

TEST(ReplayTrailerFormat, EncodesTheDocumentedLayoutAndDecodesItBack)
{
    const std::string bytes = SampleBytes();
    EXPECT_EQ(AsString(Sample().Encode()), bytes);

    CReplayTrailer back;
    ASSERT_TRUE(back.Decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_EQ(back, Sample());
}

TEST(ReplayTrailerFormat, AnythingOffIsRefusedWithoutTrustingItsCounts)
{
    const std::string good = SampleBytes();
    const std::string body = good.substr(0, good.size() - 8);
    std::string hugeIntervals = body;
    hugeIntervals.replace(12, 4, std::string(4, '\xFF'));
    std::string hugeTags = body;
    hugeTags.replace(48, 4, std::string(4, '\xFF'));
    std::string version2 = body;
    version2[4] = 2;
    std::string interval0 = body;
    interval0.replace(8, 4, std::string(4, '\0'));
    const struct {
        const char* what;
        std::string bytes;
    } kCases[] = {
        {"empty", ""},
        {"magic", "X" + good.substr(1)},
        {"a flipped digest bit", good.substr(0, 40) + static_cast<char>(good[40] ^ 1) + good.substr(41)},
        {"a flipped checksum bit", good.substr(0, good.size() - 1) + static_cast<char>(good.back() ^ 1)},
        {"one byte short", good.substr(0, good.size() - 1)},
        {"one byte more", good + '\0'},
        {"four billion intervals, checksum right", WithChecksum(hugeIntervals)},
        {"four billion tags, checksum right", WithChecksum(hugeTags)},
        {"another trailer version", WithChecksum(version2)},
        {"an interval of 0 steps", WithChecksum(interval0)},
        {"tags cut off, checksum right", WithChecksum(body.substr(0, body.size() - 2))},
    };
    for (const auto& c : kCases) {
        CReplayTrailer t;
        EXPECT_FALSE(t.Decode(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size())) << c.what;
    }
}

TEST_F(ReplayTrailer, FollowsTheRecordsOfAnUnchangedVersion6File)
{
    CReplay plain = SomeGame();
    ASSERT_EQ(plain.Save("replay/plain.dat", -1, "Pilot", 4321, 12000), 0);
    CReplay proved = SomeGame();
    const CReplayTrailer trailer = Sample();
    ASSERT_EQ(proved.Save("replay/proved.dat", -1, "Pilot", 4321, 12000, &trailer), 0);

    // Header (version 6, the same check text) and records are byte for byte
    // those of a file without digests; the trailer only follows them.
    const std::string without = ReadFile("replay/plain.dat");
    const std::string with = ReadFile("replay/proved.dat");
    ASSERT_EQ(with.size(), without.size() + SampleBytes().size());
    EXPECT_EQ(with.substr(0, without.size()), without);
    EXPECT_EQ(with.substr(without.size()), SampleBytes());
    EXPECT_EQ(with[0], 6);
    EXPECT_EQ(with.substr(21, 32), ReplayCheckText(4321, 720, 130, 6));

    CReplay back;
    ASSERT_TRUE(back.Load("replay/proved.dat"));
    EXPECT_TRUE(back.HasAllRecords());
    ASSERT_EQ(back.GetRecordCount(), 130u);
    EXPECT_EQ(back.GetRecord(3).m_fX, 0.5f);
    EXPECT_EQ(back.GetRecord(7).m_bAttack0, 1);
    EXPECT_EQ(back.GetTrailerState(), EReplayTrailer::Intact);
    EXPECT_EQ(back.GetTrailer(), trailer);

    CReplay old;
    ASSERT_TRUE(old.Load("replay/plain.dat"));
    EXPECT_EQ(old.GetTrailerState(), EReplayTrailer::None);
    EXPECT_EQ(old.GetRecordCount(), 130u);
}

TEST_F(ReplayTrailer, ADamagedTrailerStillPlaysAndACutFileHasNone)
{
    CReplay game = SomeGame();
    const CReplayTrailer trailer = Sample();
    ASSERT_EQ(game.Save("replay/proved.dat", 0, "Pilot", 4321, 12000, &trailer), 0);
    const std::string bytes = ReadFile("replay/proved.dat");
    const std::size_t recordsEnd = bytes.size() - SampleBytes().size();

    // The game's own reading stops after the records: damage behind them
    // never refuses the file.
    WriteFile("replay/damaged.dat", bytes.substr(0, bytes.size() - 3));
    CReplay damaged;
    ASSERT_TRUE(damaged.Load("replay/damaged.dat"));
    EXPECT_EQ(damaged.GetRecordCount(), 130u);
    EXPECT_EQ(damaged.GetTrailerState(), EReplayTrailer::Damaged);

    // Cut inside the records: what is there plays, and nothing is a trailer.
    WriteFile("replay/cut.dat", bytes.substr(0, recordsEnd - 5));
    CReplay cut;
    ASSERT_TRUE(cut.Load("replay/cut.dat"));
    EXPECT_FALSE(cut.HasAllRecords());
    EXPECT_EQ(cut.GetTrailerState(), EReplayTrailer::None);

    // A later load forgets the earlier one's trailer.
    ASSERT_TRUE(damaged.Load("replay/cut.dat"));
    EXPECT_EQ(damaged.GetTrailerState(), EReplayTrailer::None);
}
