#include "tests/support/HostileFiles.h"
#include "tests/support/TempHome.h"

#include "persist/GlobalResult.h"
#include "persist/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

using Records = TempHome;

TEST_F(Records, ReachedOnlyForExactlyOne)
{
    const struct {
        const char* value;
        bool reached;
    } kCases[] = {
        {"1", true}, {"2", false}, {"0", false}, {"01", false}, {"1 ", false},
        {" 1", false}, {"", false}, {"true", false}, {"11", false},
    };
    for (const auto& c : kCases) {
        WriteFile("critical.ini", std::string("chaptor3.Reached,") + c.value + "\n");
        CGlobalResult r;
        r.Load();
        EXPECT_EQ(r.IsReached(3), c.reached) << '"' << c.value << '"';
    }
}

TEST_F(Records, LoadsNameCountersAndChapters)
{
    WriteFile("critical.ini",
              "scorename, Ace Pilot\nplaycount,12abc\nplaytime,3600\n"
              "chaptor1.Reached,1\nchaptor1.ScoreMax,125000\nchaptor255.ScoreMax,7\n"
              "chaptor0.ScoreMax,\n");
    CGlobalResult r;
    r.Load();
    EXPECT_EQ(r.GetScoreName(), " Ace Pilot");
    EXPECT_TRUE(r.HasScoreName());
    EXPECT_EQ(r.GetPlayCount(), 12);
    EXPECT_EQ(r.GetPlayTime(), 3600);
    EXPECT_TRUE(r.IsReached(1));
    EXPECT_EQ(r.GetBestScore(1), 125000);
    EXPECT_EQ(r.GetBestScore(255), 7);
    EXPECT_EQ(r.GetBestScore(0), 0);
    EXPECT_FALSE(r.IsReached(2));
}

TEST_F(Records, MissingFileGivesNoScoreNameAndZeroes)
{
    CGlobalResult r;
    r.Load();
    EXPECT_FALSE(r.HasScoreName());
    EXPECT_EQ(r.GetPlayCount(), 0);
    EXPECT_EQ(r.GetPlayTime(), 0);
    EXPECT_FALSE(Exists("critical.ini"));  // loading writes nothing
}

TEST_F(Records, ChapterZeroAlwaysCountsAsReached)
{
    WriteFile("critical.ini", "chaptor0.Reached,0\n");
    CGlobalResult r;
    r.Load();
    EXPECT_TRUE(r.IsReached(0));
    EXPECT_FALSE(r.GetStoredReached(0));
    EXPECT_FALSE(r.IsReached(-1));
    EXPECT_FALSE(r.IsReached(256));
}

TEST_F(Records, OldRecordsFileIsCarriedOverOnlyWhenTheNewOneIsMissing)
{
    WriteFile("korvo.ini", "scorename,old\n");
    {
        CGlobalResult r;
        r.Load();
        EXPECT_EQ(r.GetScoreName(), "old");
    }
    // The settings file keeps its contents (its graphics keys and bindings).
    EXPECT_EQ(ReadFile("korvo.ini"), "scorename,old\n");
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,old\n");

    WriteFile("korvo.ini", "scorename,settings\n");
    {
        CGlobalResult r;
        r.Load();
        EXPECT_EQ(r.GetScoreName(), "old");
    }
    EXPECT_EQ(ReadFile("korvo.ini"), "scorename,settings\n");
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,old\n");
}

// The old file's barrage keys come over too, whichever of the two loads runs
// first, and the first save of the barrage records keeps them.
TEST_F(Records, CarriedOverBarrageRecordsAreReadAndKept)
{
    const char* kOld = "scorename,old\nchaptor1.Reached,1\n"
                       "barrage10.TotalCount,7\nbarrage10.ClearCount,3\nbarrage10.ScoreMax,250000\n";
    for (const bool barragesFirst : {false, true}) {
        SCOPED_TRACE(barragesFirst ? "barrage table loaded first" : "records loaded first");
        std::filesystem::remove(PathOf("critical.ini"));
        WriteFile("korvo.ini", kOld);
        CGlobalResult r;
        CBarrageTable t;
        if (barragesFirst) {
            t.Load();
            r.Load();
        } else {
            LoadRecords(r, t);
        }
        EXPECT_EQ(r.GetScoreName(), "old");
        EXPECT_TRUE(r.GetStoredReached(1));
        EXPECT_EQ(t.Get(10).m_nTotalCount, 7);
        EXPECT_EQ(t.Get(10).m_nClearCount, 3);
        EXPECT_EQ(t.Get(10).m_nScoreMax, 250000);
        EXPECT_EQ(t.Get(10).m_strName, barragesFirst ? "" : "E.R.L テンパランス");
        ASSERT_TRUE(t.Save());
        CSettingsFile f("critical.ini");
        EXPECT_EQ(f.GetString("barrage10.TotalCount"), "7");
        EXPECT_EQ(f.GetString("barrage10.ScoreMax"), "250000");
    }
}

TEST_F(Records, SaveWritesEveryKeyKeepsOthersAndPrefersTheFilesScoreName)
{
    WriteFile("critical.ini", "scorename,pilot\nbarrage10.ClearCount,4\nunknown,x\n");
    CGlobalResult r;
    r.Load();
    r.CountGameStarted();
    r.CountGameStarted();
    r.AddPlayTimeSecond();
    r.MarkReached(1);
    r.SetBestScore(0, 5000);

    // The settings tool renamed the player while the game ran.
    WriteFile("critical.ini", "scorename,renamed\nbarrage10.ClearCount,4\nunknown,x\n");
    ASSERT_TRUE(r.Save());
    EXPECT_EQ(r.GetScoreName(), "renamed");

    CSettingsFile f("critical.ini");
    EXPECT_EQ(f.GetString("scorename"), "renamed");
    EXPECT_EQ(f.GetString("playcount"), "2");
    EXPECT_EQ(f.GetString("playtime"), "1");
    EXPECT_EQ(f.GetString("chaptor0.ScoreMax"), "5000");
    EXPECT_EQ(f.GetString("chaptor0.Reached"), "0");
    EXPECT_EQ(f.GetString("chaptor1.Reached"), "1");
    EXPECT_EQ(f.GetString("chaptor255.Reached"), "0");
    EXPECT_EQ(f.GetString("chaptor255.ScoreMax"), "0");
    EXPECT_EQ(f.GetString("barrage10.ClearCount"), "4");
    EXPECT_EQ(f.GetString("unknown"), "x");
    EXPECT_EQ(f.GetEntries().size(), 3u + 2u * 256u + 2u);
}

TEST_F(Records, ScoreNameAbsentFromTheFileKeepsTheOneInMemory)
{
    CGlobalResult r;
    r.SetScoreName("mem");
    ASSERT_TRUE(r.Save());
    CSettingsFile f("critical.ini");
    EXPECT_EQ(f.GetString("scorename"), "mem");
}

TEST_F(Records, PlayCountSurvivesARestart)
{
    WriteFile("critical.ini", "scorename,p\nplaycount,41\n");
    {
        CGlobalResult r;
        r.Load();
        r.CountGameStarted();
        ASSERT_TRUE(r.Save());
    }
    CGlobalResult r;
    r.Load();
    EXPECT_EQ(r.GetPlayCount(), 42);
}

TEST_F(Records, ChaptersOutsideTheTableAreIgnored)
{
    CGlobalResult r;
    r.MarkReached(256);
    r.MarkReached(-5);
    r.SetBestScore(300, 1);
    EXPECT_EQ(r.GetBestScore(300), 0);
    EXPECT_EQ(r.GetBestScore(-1), 0);
}

TEST_F(Records, CountersSaturateInsteadOfOverflowing)
{
    WriteFile("critical.ini", "playcount,2147483647\nplaytime,2147483647\n");
    CGlobalResult r;
    r.Load();
    r.CountGameStarted();
    r.AddPlayTimeSecond();
    EXPECT_EQ(r.GetPlayCount(), 2147483647);
    EXPECT_EQ(r.GetPlayTime(), 2147483647);
}

TEST(GlobalResult, TheProgramsRecordsAreTheChapterRecords)
{
    EXPECT_EQ(g_pChapterRecords, &g_GlobalResult);
    {
        CGlobalResult local;  // a second object does not take over
        EXPECT_EQ(g_pChapterRecords, &g_GlobalResult);
    }
    EXPECT_EQ(g_pChapterRecords, &g_GlobalResult);
}

using Barrages = TempHome;

TEST_F(Barrages, NamesOfTheTwoBosses)
{
    CBarrageTable t;
    t.LoadNames();
    const struct {
        int index;
        const char* name;
    } kNames[] = {
        {10, "E.R.L テンパランス"}, {11, "E.R.L エンプレス"}, {12, "E.R.L マジシャン"},
        {13, "E.R.L ハイエロファント"}, {20, "ハーフエッジ"}, {21, "ハルバード"},
        {22, "ダブルディザスター"}, {23, "ダンシングエッジ"}, {24, "ジャッジメントソード"},
    };
    int named = 0;
    for (int i = 0; i < CBarrageTable::kBarrages; ++i)
        named += t.Get(i).m_strName.empty() ? 0 : 1;
    EXPECT_EQ(named, 9);
    for (const auto& n : kNames)
        EXPECT_EQ(t.Get(n.index).m_strName, n.name) << n.index;
}

TEST_F(Barrages, LoadAndSaveShareTheFileWithTheChapterRecords)
{
    WriteFile("critical.ini",
              "scorename,pilot\nchaptor1.Reached,1\n"
              "barrage10.TotalCount,5\nbarrage10.ClearCount,2\nbarrage10.ScoreMax,80000\n"
              "barrage127.TotalCount,x\n");
    CBarrageTable t;
    t.Load();
    EXPECT_EQ(t.Get(10).m_nTotalCount, 5);
    EXPECT_EQ(t.Get(10).m_nClearCount, 2);
    EXPECT_EQ(t.Get(10).m_nScoreMax, 80000);
    EXPECT_EQ(t.Get(127).m_nTotalCount, 0);

    t.RecordStart(10, false);
    t.RecordCapture(10, 90000, false);
    t.RecordStart(20, false);
    ASSERT_TRUE(t.Save());

    CSettingsFile f("critical.ini");
    EXPECT_EQ(f.GetString("scorename"), "pilot");
    EXPECT_EQ(f.GetString("chaptor1.Reached"), "1");
    EXPECT_EQ(f.GetString("barrage10.TotalCount"), "6");
    EXPECT_EQ(f.GetString("barrage10.ClearCount"), "3");
    EXPECT_EQ(f.GetString("barrage10.ScoreMax"), "90000");
    EXPECT_EQ(f.GetString("barrage20.TotalCount"), "1");
    EXPECT_EQ(f.GetString("barrage0.ScoreMax"), "0");
    EXPECT_EQ(f.GetString("barrage127.TotalCount"), "0");
    EXPECT_EQ(f.GetEntries().size(), 2u + 3u * 128u);
}

TEST_F(Barrages, AReplayNeverChangesTheCounts)
{
    CBarrageTable t;
    t.RecordStart(11, true);
    t.RecordCapture(11, 5000, true);
    EXPECT_EQ(t.Get(11).m_nTotalCount, 0);
    EXPECT_EQ(t.Get(11).m_nClearCount, 0);
    EXPECT_EQ(t.Get(11).m_nScoreMax, 0);
}

TEST_F(Barrages, ALowerBonusCountsTheCaptureButKeepsTheBest)
{
    CBarrageTable t;
    t.RecordCapture(12, 7000, false);
    t.RecordCapture(12, 3000, false);
    EXPECT_EQ(t.Get(12).m_nClearCount, 2);
    EXPECT_EQ(t.Get(12).m_nScoreMax, 7000);
    t.RecordStart(128, false);  // outside the table: ignored
    t.RecordCapture(-1, 1, false);
    EXPECT_EQ(t.Get(128).m_nTotalCount, 0);
}

// A save that fails (here a full disk) keeps the old file and is told once,
// naming the file; the records stay in memory and the next save tries again.
TEST_F(Records, AFailedSaveIsToldOnceAndTriedAgain)
{
    WriteFile(kRecordsFile, "scorename,pilot\n");
    CGlobalResult r;
    ASSERT_TRUE(r.Load());
    r.AddPlayTimeSecond();
    std::vector<std::string> warnings;
    CaptureFileWarnings capture(&warnings);
    {
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.Ok());
        for (int attempt = 0; attempt < 2; ++attempt) {
            std::string why;
            EXPECT_FALSE(NoteRecordsSave(r.Save(&why), why));
            std::string barrageWhy;
            EXPECT_FALSE(NoteRecordsSave(g_BarrageTable.Save(&barrageWhy), barrageWhy));
        }
    }
    EXPECT_EQ(ReadFile(kRecordsFile), "scorename,pilot\n");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(PathOf(kRecordsFile)), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("play count"), std::string::npos) << warnings[0];

    std::string why;
    EXPECT_TRUE(NoteRecordsSave(r.Save(&why), why));
    EXPECT_NE(ReadFile(kRecordsFile).find("playtime,1\n"), std::string::npos);
    EXPECT_EQ(warnings.size(), 1u);
}

// A records file that cannot be read is reported to the caller, so the game
// never starts on (and later overwrites) records it could not see.
TEST_F(Records, ARecordsFileThatIsNoRegularFileIsReportedAndKept)
{
    std::vector<std::string> warnings;
    CaptureFileWarnings capture(&warnings);
    std::filesystem::create_directories(PathOf(kRecordsFile));
    CGlobalResult r;
    EXPECT_FALSE(r.Load());
    EXPECT_EQ(r.GetReadResult(), EReadResult::NotAFile);
    EXPECT_FALSE(r.Save());
    EXPECT_TRUE(std::filesystem::is_directory(PathOf(kRecordsFile)));
    std::filesystem::remove(PathOf(kRecordsFile));
    EXPECT_TRUE(r.Load());  // missing is fine: no score name, nothing lost
}

}  // namespace
