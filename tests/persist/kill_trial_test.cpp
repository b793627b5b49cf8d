// Crash-safe saves, proved by killing: a child process saves the records
// ("critical.ini", both of its writers), the settings ("korvo.ini") and replays
// (the temporary file and a slot) over and over through the game's own code,
// and is killed with SIGKILL at a random moment. Afterwards every file must
// hold a whole version, old or new: never a torn, empty or mixed one.
//
// MZ_KILL_TRIALS sets the number of trials (100 by default).
#include "tests/support/TempHome.h"

#include "persist/GlobalResult.h"
#include "persist/Replay.h"
#include "persist/SettingsFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kBarrage = 10;
constexpr int kChapter = 1;

// Generation g of every file. The records file gets its chapter part (play
// time g, best score g) and then its barrage part (count and best bonus g):
// each part is whole on its own, whatever the other holds.
void SaveGeneration(int g)
{
    CGlobalResult records;
    records.Load();
    for (int i = records.GetPlayTime(); i < g; ++i) records.AddPlayTimeSecond();
    records.SetBestScore(kChapter, g);
    records.Save();

    CBarrageTable barrages;
    barrages.Load();
    for (int i = barrages.Get(kBarrage).m_nTotalCount; i < g; ++i) barrages.RecordStart(kBarrage, false);
    barrages.RecordCapture(kBarrage, g, false);
    barrages.Save();

    {
        CSettingsFile settings("korvo.ini");
        settings.SetInt("generation", g);
        settings.SetInt("windowscale", g % 8 + 1);
        settings.SetString("note", std::string(static_cast<size_t>(g % 300), 'n'));
    }

    CReplay replay;
    for (int f = 0; f < g % 50 + 1; ++f) {
        CInputRecord r;
        r.m_fX = 0.5f;
        r.m_bAttack0 = 1;
        replay.Record(r);
    }
    CFinishedReplay finished;
    finished.Hold(replay.Encode(-1, "tester", g, 0));
    if (g % 2 == 0) finished.SaveToSlot(0);
}

class KillTrials : public TempHome {
protected:
    void SetUp() override
    {
        WriteFile(kRecordsFile, "scorename,tester\nzz.note,kept\n");
        WriteFile("korvo.ini", "attack0key,44\nzz.other,kept\n");
        std::filesystem::create_directories(PathOf(kReplayDir));
        SaveGeneration(0);
    }

    // Every file is one whole version; a record of what was seen.
    void CheckFiles(int trial, std::vector<int>& generations)
    {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const std::string records = ReadFile(kRecordsFile);
        ASSERT_FALSE(records.empty());
        CSettingsFile r(kRecordsFile);
        // Whole lines in key order, every key there: a torn file fails one.
        EXPECT_EQ(CSettingsFile::Format(r.GetEntries(), ','), records);
        EXPECT_EQ(r.GetEntries().size(), 1u + 3u + 2u * CGlobalResult::kChapters + 3u * CBarrageTable::kBarrages);
        EXPECT_EQ(r.GetString("scorename"), "tester");
        EXPECT_EQ(r.GetString("zz.note"), "kept");
        const int g = r.GetInt("playtime", -1);
        EXPECT_EQ(r.GetInt("chaptor1.ScoreMax", -1), g);
        const int b = r.GetInt("barrage10.TotalCount", -1);
        EXPECT_EQ(r.GetInt("barrage10.ScoreMax", -1), b);
        generations.push_back(std::max(g, b));

        const std::string settingsText = ReadFile("korvo.ini");
        ASSERT_FALSE(settingsText.empty());
        CSettingsFile s("korvo.ini");
        EXPECT_EQ(CSettingsFile::Format(s.GetEntries(), ','), settingsText);
        const int sg = s.GetInt("generation", -1);
        EXPECT_GE(sg, 0);
        EXPECT_EQ(s.GetInt("windowscale", -1), sg % 8 + 1);
        EXPECT_EQ(s.GetString("note"), std::string(static_cast<size_t>(sg % 300), 'n'));
        EXPECT_EQ(s.GetString("attack0key"), "44");
        EXPECT_EQ(s.GetString("zz.other"), "kept");

        for (const std::string& name : {std::string(kReplayTempFile), ReplaySlotFile(0)}) {
            if (!Exists(name)) {
                // Only the temporary file may be gone: moved into the slot.
                EXPECT_EQ(name, kReplayTempFile);
                continue;
            }
            CReplay replay;
            ASSERT_TRUE(replay.Load(name)) << name;
            const int rg = replay.GetHeader().m_nScore;
            EXPECT_EQ(replay.GetRecordCount(), static_cast<size_t>(rg % 50 + 1)) << name;
            EXPECT_EQ(ReadFile(name).size(), CReplayHeader::kSize + 16 * replay.GetRecordCount()) << name;
        }
    }
};

TEST_F(KillTrials, EveryFileHoldsAWholeVersionAfterAKillAtAnyMoment)
{
    const char* env = std::getenv("MZ_KILL_TRIALS");
    const int trials = env ? std::atoi(env) : 100;
    std::mt19937 rng(20240607u);
    // Up to a few rounds of saves: kills land before, inside and between them.
    std::uniform_int_distribution<int> delayUs(0, 40000);
    std::vector<int> generations;
    int generation = 1;
    for (int trial = 0; trial < trials; ++trial) {
        const int first = generation;
        // The child says each version it finished; on a loaded machine a
        // random delay alone may end every child before its first version.
        int done[2];
        ASSERT_EQ(::pipe(done), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(done[0]);
            for (int g = first;; ++g) {
                SaveGeneration(g);
                const char c = 1;
                if (::write(done[1], &c, 1) < 0) {}
            }
        }
        ::close(done[1]);
        // One trial in ten waits for a whole version first, so the files go
        // through versions whatever the load; the others are killed anywhere.
        if (trial % 10 == 0) {
            char c = 0;
            ASSERT_EQ(::read(done[0], &c, 1), 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
        ::kill(pid, SIGKILL);
        ::close(done[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));
        CheckFiles(trial, generations);
        if (HasFailure()) return;
        // The next child goes on from the version the files hold.
        generation = generations.back() + 1;
        // Temporary files of the killed writer are its own leftovers.
        for (const std::string& dir : {Dir(), PathOf(kReplayDir)})
            for (const auto& e : std::filesystem::directory_iterator(dir))
                if (e.path().filename().string().find(".tmp") != std::string::npos) std::filesystem::remove(e.path());
    }
    // The kills did land while the files changed, not only before the first save.
    EXPECT_GE(generations.back(), trials / 10);
    std::printf("%d kills; the files went through %d versions\n", trials, generations.back());
}

}  // namespace
