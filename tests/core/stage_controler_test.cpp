// CStageControler: stage and phase changes, stage textures, world reset,
// chapter results.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/StageControler.h"
#include "core_test_support.h"

namespace {

using Log = std::vector<std::string>;

class CLoggedResource : public CResource {
public:
    explicit CLoggedResource(std::string name) : m_Name(std::move(name)) {}
    ~CLoggedResource() override { LogEvent("delete " + m_Name); }
    void Release() override { LogEvent("release " + m_Name); }
    std::string m_Name;
};

// Loads two textures per stage and remembers the frame counter its script saw.
class CTestControler : public CStageControler {
public:
    void LoadStage(int stage) override
    {
        LogEvent("load " + std::to_string(stage));
        AddResource(new CLoggedResource("tex" + std::to_string(stage) + "a"));
        AddResource(new CLoggedResource("tex" + std::to_string(stage) + "b"));
    }
    void Update() override
    {
        CStageControler::Update();
        m_Seen.push_back(m_nAge);
    }
    ~CTestControler() override { ReleaseResources(); }
    std::vector<int> m_Seen;
};

using StageControlerTest = CoreWorldTest;

TEST_F(StageControlerTest, SetStageRestartsEvenWithTheSameNumber)
{
    CFakeDevice device;
    g_pDeviceLink = &device;
    CTestControler c;
    c.SetStage(3);
    EXPECT_EQ(EventLog(), (Log{"unbind 0", "load 3"}));
    c.SetPhase(2);
    c.Update();
    c.Update();

    EventLog().clear();
    c.SetStage(3);
    EXPECT_EQ(c.m_nStage, 3);
    EXPECT_EQ(c.m_nPhase, 0);
    EXPECT_EQ(c.m_nAge, -1);
    // The old textures go, first to last, before the stage loads anew.
    EXPECT_EQ(EventLog(),
              (Log{"unbind 0", "release tex3a", "delete tex3a", "release tex3b", "delete tex3b", "load 3"}));
    EXPECT_EQ(c.m_Resources.Count(), 2);
}

TEST_F(StageControlerTest, FirstUpdateAfterSetPhaseSeesFrameZero)
{
    CTestControler c;
    c.SetStage(0);
    c.Update();
    c.Update();
    c.Update();
    c.SetPhase(4);
    EXPECT_EQ(c.m_nPhase, 4);
    c.Update();
    c.Update();
    EXPECT_EQ(c.m_Seen, (std::vector<int>{0, 1, 2, 0, 1}));
}

class CFakeRecords : public CChapterRecords {
public:
    void MarkReached(int chapter) override { m_Reached.push_back(chapter); }
    int GetBestScore(int chapter) const override
    {
        auto it = m_Best.find(chapter);
        return it == m_Best.end() ? 0 : it->second;
    }
    void SetBestScore(int chapter, int score) override { m_Best[chapter] = score; }
    std::vector<int> m_Reached;
    std::map<int, int> m_Best;
};

TEST_F(StageControlerTest, RecordResultInEveryReplayAndChapterCombination)
{
    struct Case {
        bool replay, single;
        int score;
        std::vector<int> reached;
        int best;
    };
    const Case cases[] = {
        {false, false, 800, {2}, 800},  // full run, live: next chapter unlocked, best kept
        {false, true, 800, {}, 800},    // single chapter: best kept, nothing unlocked
        {true, false, 800, {}, 500},    // watched replay: records untouched
        {true, true, 800, {}, 500},    {false, false, 300, {2}, 500},  // lower score leaves the best
        {false, false, 500, {2}, 500},                                 // equal score is not "better"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.replay) + std::to_string(c.single) + " " + std::to_string(c.score));
        CFakeRecords records;
        records.m_Best[1] = 500;
        g_pChapterRecords = &records;
        CStageControler controler;
        int score = c.score;
        controler.RecordResult(1, &score, c.replay, c.single);
        EXPECT_EQ(score, 0);
        EXPECT_EQ(records.m_Reached, c.reached);
        EXPECT_EQ(records.GetBestScore(1), c.best);
        g_pChapterRecords = nullptr;
    }
    // Without a records store the score is still consumed.
    CStageControler controler;
    int score = 10;
    controler.RecordResult(0, &score, false, false);
    EXPECT_EQ(score, 0);
    controler.RecordResult(0, nullptr, false, false);
}

TEST_F(StageControlerTest, ResetWorldRunsItsStepsInOrder)
{
    CFakeDevice device;
    CFakeHooks hooks;
    g_pDeviceLink = &device;
    g_pWorldHooks = &hooks;
    g_EnemyList.Add(new CLoggedObject("enemy"));
    g_MusicList.Add(new CLoggedMusic("m1"));
    g_MusicList.Add(new CLoggedMusic("m2"));

    CStageControler c;
    c.ResetWorld();
    EXPECT_EQ(EventLog(), (Log{"fog 0 0 0", "fader", "delete enemy", "camera", "bg2d", "pause m1", "pause m2",
                               "stop m1", "stop m2"}));
    EXPECT_EQ(g_MusicList.Count(), 2);

    // Without device or hooks only the lists are touched.
    g_pDeviceLink = nullptr;
    g_pWorldHooks = nullptr;
    EventLog().clear();
    c.ResetWorld();
    EXPECT_EQ(EventLog(), (Log{"pause m1", "pause m2", "stop m1", "stop m2"}));
}

}  // namespace
