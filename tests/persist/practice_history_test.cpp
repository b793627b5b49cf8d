// The practice history in "practice.ini": its keys, its safe save, and a
// damaged file read as empty with a warning and kept aside, never lost.
#include "tests/support/HostileFiles.h"
#include "tests/support/TempHome.h"

#include "persist/PracticeHistory.h"
#include "persist/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using PracticeHistory = TempHome;

void ExpectEmpty(const CPracticeHistory& h)
{
    for (int b = -1; b <= CPracticeHistory::kBarrages; ++b) {
        const SPracticeRecord& r = h.Get(b);
        EXPECT_EQ(r.m_nTries + r.m_nCaptures + r.m_nBestBonus, 0) << "barrage " << b;
    }
}

// The files of the folder whose names begin with prefix.
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    return names;
}

TEST_F(PracticeHistory, KeysAreTriesCapturesAndBestBonusOfEachBarrageTried)
{
    CPracticeHistory h;
    h.Load();
    ExpectEmpty(h);
    h.RecordTry(10);
    h.RecordTry(10);
    h.RecordTry(10);
    h.RecordCapture(10, 412000);
    h.RecordCapture(10, 200000);   // a lower bonus counts, the best stays
    h.RecordTry(24);
    h.RecordTry(128);              // no barrage: ignored
    h.RecordCapture(-1, 5);
    ASSERT_TRUE(h.Save());
    EXPECT_EQ(ReadFile(kPracticeFile), "barrage10.BestBonus,412000\nbarrage10.Captures,2\nbarrage10.Tries,3\n"
                                       "barrage24.BestBonus,0\nbarrage24.Captures,0\nbarrage24.Tries,1\n");

    CPracticeHistory again;
    again.Load();
    EXPECT_FALSE(again.IsDamaged());
    EXPECT_EQ(again.Get(10).m_nTries, 3);
    EXPECT_EQ(again.Get(10).m_nCaptures, 2);
    EXPECT_EQ(again.Get(10).m_nBestBonus, 412000);
    EXPECT_EQ(again.Get(24).m_nTries, 1);
    EXPECT_EQ(again.Get(11).m_nTries, 0);
}

// As every settings file: CR LF line ends and a byte-order mark are read, an
// empty line is no damage, and counts saturate instead of wrapping.
TEST_F(PracticeHistory, AnEditedButSoundFileIsRead)
{
    WriteFile(kPracticeFile, "\xEF\xBB\xBF" "barrage12.Tries,2147483647\r\n\r\nbarrage12.Captures,1\r\n"
                             "barrage12.BestBonus,1000\r\n");
    CPracticeHistory h;
    h.Load();
    EXPECT_FALSE(h.IsDamaged());
    h.RecordTry(12);
    EXPECT_EQ(h.Get(12).m_nTries, 2147483647);
    EXPECT_EQ(h.Get(12).m_nCaptures, 1);
    EXPECT_EQ(h.Get(12).m_nBestBonus, 1000);
}

// A save that fails part way (a full disk) keeps the old file whole and is
// told once; the history stays in memory and the next save writes it.
TEST_F(PracticeHistory, AFailedSaveKeepsTheOldFileAndIsTriedAgain)
{
    const std::string old = "barrage20.BestBonus,0\nbarrage20.Captures,0\nbarrage20.Tries,1\n";
    WriteFile(kPracticeFile, old);
    CPracticeHistory& h = g_PracticeHistory;
    h.Load();
    for (int i = 0; i < 40; ++i) h.RecordTry(10 + i % 4);
    std::vector<std::string> warnings;
    CaptureFileWarnings capture(&warnings);
    {
        FileSizeLimit limit(old.size() + 8);
        ASSERT_TRUE(limit.Ok());
        std::string why;
        EXPECT_FALSE(h.Save(&why));
        EXPECT_NE(why.find(PathOf(kPracticeFile)), std::string::npos) << why;
        EXPECT_FALSE(SavePracticeHistory());
        EXPECT_FALSE(SavePracticeHistory());
    }
    EXPECT_EQ(ReadFile(kPracticeFile), old);
    EXPECT_EQ(FilesStartingWith(Dir(), "practice").size(), 1u) << "no temporary file left behind";
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("practice history could not be saved"), std::string::npos) << warnings[0];

    ASSERT_TRUE(h.Save());
    CPracticeHistory again;
    again.Load();
    EXPECT_EQ(again.Get(10).m_nTries, 10);
    EXPECT_EQ(again.Get(20).m_nTries, 1);
}

// Whatever a damaged file holds, it is read as an empty history with one
// warning naming it, and left as it is; the next save keeps a copy of it
// beside the new history, byte for byte.
TEST_F(PracticeHistory, ADamagedFileIsReadAsEmptyWithAWarningAndKeptAside)
{
    const struct {
        const char* what;
        std::string bytes;
        const char* says;
    } kDamaged[] = {
        {"bytes of something else", std::string("\x7f" "ELF\x02\x01\x01\0\0\0garbage,\xff\xfe", 20), "no key and value"},
        {"a line that is no key", "barrage10.Tries,2\nhello\n", "no key and value"},
        {"a key of no barrage", "barrage10.Tries,2\nscorename,pilot\n", "\"scorename\" is no key"},
        {"a barrage past the table", "barrage128.Tries,1\n", "no key"},
        {"a number spelt otherwise", "barrage010.Tries,1\n", "no key"},
        {"a value that is no count", "barrage10.Tries,two\n", "not a count"},
        {"a negative count", "barrage10.Tries,-3\n", "not a count"},
        {"a count past 32 bits", "barrage10.Tries,4294967296\n", "not a count"},
        {"more captures than tries", "barrage11.Tries,1\nbarrage11.Captures,2\n", "more captures than tries"},
        {"a bonus without a capture", "barrage11.Tries,1\nbarrage11.BestBonus,200\n", "best bonus but no capture"},
    };
    for (const auto& d : kDamaged) {
        SCOPED_TRACE(d.what);
        for (const std::string& name : FilesStartingWith(Dir(), "practice")) std::filesystem::remove(PathOf(name));
        WriteFile(kPracticeFile, d.bytes);
        std::vector<std::string> warnings;
        CaptureFileWarnings capture(&warnings);
        CPracticeHistory h;
        h.Load();
        EXPECT_TRUE(h.IsDamaged());
        ExpectEmpty(h);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find(PathOf(kPracticeFile) + "\" is damaged"), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find(d.says), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("read as empty"), std::string::npos) << warnings[0];
        EXPECT_EQ(ReadFile(kPracticeFile), d.bytes) << "reading changes nothing";

        h.RecordTry(13);
        ASSERT_TRUE(h.Save());
        EXPECT_FALSE(h.IsDamaged());
        EXPECT_EQ(ReadFile(kPracticeFile), "barrage13.BestBonus,0\nbarrage13.Captures,0\nbarrage13.Tries,1\n");
        const std::vector<std::string> kept = FilesStartingWith(Dir(), "practice-damaged-");
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(h.GetKeptAside(), kept[0]);
        EXPECT_EQ(ReadFile(kept[0]), d.bytes);
        EXPECT_NE(warnings.back().find(kept[0]), std::string::npos) << warnings.back();
        // Only once: the next save just writes.
        ASSERT_TRUE(h.Save());
        EXPECT_EQ(FilesStartingWith(Dir(), "practice-damaged-").size(), 1u);
    }
}

// Something that is no regular file in the history's place is named, read as
// an empty history and never replaced; the attempts still play.
TEST_F(PracticeHistory, AFolderInItsPlaceIsNeitherReadNorReplaced)
{
    std::filesystem::create_directories(PathOf(kPracticeFile));
    std::vector<std::string> warnings;
    CaptureFileWarnings capture(&warnings);
    CPracticeHistory h;
    h.Load();
    ExpectEmpty(h);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(PathOf(kPracticeFile)), std::string::npos) << warnings[0];
    h.RecordTry(10);
    std::string why;
    EXPECT_FALSE(h.Save(&why));
    EXPECT_NE(why.find("is a folder"), std::string::npos) << why;
    EXPECT_TRUE(std::filesystem::is_directory(PathOf(kPracticeFile)));
    EXPECT_TRUE(FilesStartingWith(Dir(), "practice-damaged-").empty());
}

}  // namespace
