// The chapter timelines checked at the frames where a mistake would show:
// phase changes, frame-0 events, talk lines, the escorts' delay, the result
// screen's figures and ranks, the chapter end and its records, the chapter
// music and the test stage.
#include "chapters_fixture.h"

#include "enemy/Boss0.h"
#include "gfx/Texture.h"
#include "stage/ChapterScript.h"
#include "tests/support/WorldEventsLog.h"

namespace {

using SC = CStageControler;

// Puts the running phase on frame f - 1, so the next update sees frame f.
void JumpTo(int frame) { g_StageControler.m_nAge = frame - 1; }

}  // namespace

using ChapterTimeline = ChapterWorld;

TEST_F(ChapterTimeline, PhasesEndAtTheirFrames)
{
    struct SPhaseEnd {
        int nStage, nPhase, nLastFrame;
    };
    const SPhaseEnd ends[] = {
        {SC::STAGE_CHAPTER1, SC::PHASE_INTRO, 480},   {SC::STAGE_CHAPTER1, SC::PHASE_WAVES, 2280},
        {SC::STAGE_CHAPTER1, SC::PHASE_APPROACH, 709}, {SC::STAGE_CHAPTER2, SC::PHASE_INTRO, 779},
        {SC::STAGE_CHAPTER2, SC::PHASE_WAVES, 2220},   {SC::STAGE_CHAPTER2, SC::PHASE_APPROACH, 648},
    };
    for (const SPhaseEnd& e : ends) {
        SCOPED_TRACE(testing::Message() << "stage " << e.nStage << " phase " << e.nPhase);
        StartAt(e.nStage, e.nPhase);
        Script(e.nLastFrame);   // frames 0 ... last - 1
        EXPECT_EQ(g_StageControler.m_nPhase, e.nPhase);
        EXPECT_EQ(g_StageControler.m_nAge, e.nLastFrame - 1);
        Script(1);              // the last frame moves on
        EXPECT_EQ(g_StageControler.m_nPhase, e.nPhase + 1);
        Script(1);
        EXPECT_EQ(g_StageControler.m_nAge, 0) << "the next phase starts on frame 0";
        ClearWorld();
    }
}

TEST_F(ChapterTimeline, FrameZeroEventsFireOncePerPhaseEntry)
{
    StartAt(SC::STAGE_CHAPTER1, SC::PHASE_WAVES);
    Script(2);
    // The title banner and the waves' first formation of eight.
    EXPECT_EQ(SpritesAt(148.0f, 458.0f).size(), 1u);
    EXPECT_EQ(g_EnemyList.Count(), 8);
    g_StageControler.SetPhase(SC::PHASE_WAVES);
    Script(1);
    EXPECT_EQ(SpritesAt(148.0f, 458.0f).size(), 2u);
    EXPECT_EQ(g_EnemyList.Count(), 16);
}

TEST_F(ChapterTimeline, TalkLinesShowTheirRowPortraitTimeAndSound)
{
    constexpr float kLeft = -30.0f, kRight = 414.0f;
    struct STalk {
        int nStage, nPhase, nFrame;
        int nAtlas, nRow;
        int nPortrait;   // -1: none
        float fPortraitX;
        int nFrames, nSE;
    };
    const STalk talks[] = {
        {0, SC::PHASE_INTRO, 180, 0, 0, 0, kLeft, 180, 163},
        {0, SC::PHASE_WAVES, 60, 0, 2, -1, 0.0f, 180, 162},
        {0, SC::PHASE_WAVES, 420, 0, 4, 0, kLeft, 180, 162},
        {0, SC::PHASE_WAVES, 600, 0, 5, 1, kRight, 180, 162},
        {0, SC::PHASE_WAVES, 1680, 0, 11, -1, 0.0f, 180, 163},
        {0, SC::PHASE_BOSS, 540, 1, 3, 1, kLeft, 120, 162},
        {0, SC::PHASE_BOSS, 1140, 1, 7, 1, kRight, 180, 162},
        {0, SC::PHASE_RESULT_WITHDREW, 120, 3, 0, 0, kLeft, 240, 162},
        {1, SC::PHASE_INTRO, 600, 0, 2, -1, 0.0f, 180, 162},
        {1, SC::PHASE_WAVES, 1620, 0, 12, -1, 0.0f, 180, 163},
        {1, SC::PHASE_BOSS, 1620, 1, 10, 2, kLeft, 180, 162},
        {1, SC::PHASE_BOSS, 3960, 1, 23, 0, kLeft, 120, 162},
        {1, SC::PHASE_RESULT_DESTROYED, 660, 2, 4, -1, 0.0f, 180, 163},
    };
    for (const STalk& t : talks) {
        SCOPED_TRACE(testing::Message() << "stage " << t.nStage << " phase " << t.nPhase << " frame " << t.nFrame);
        StartAt(t.nStage, t.nPhase);
        JumpTo(t.nFrame);
        DeleteAll(g_OverlayList);
        PlayedSounds().clear();
        Script(1);
        const std::vector<CSimpleSprite*> rows = SpritesAt(64.0f, 448.0f);
        ASSERT_EQ(rows.size(), 1u);
        const CSimpleSprite& row = *rows[0];
        EXPECT_EQ(static_cast<CResource*>(row.m_pTexture), g_StageControler.m_Resources.At(t.nAtlas));
        EXPECT_EQ(row.m_rcSource.top, 16 * t.nRow);
        EXPECT_EQ(row.m_rcSource.bottom, 16 * t.nRow + 16);
        EXPECT_EQ(row.m_rcSource.right, 512);
        EXPECT_EQ(row.m_nVanishTotal, t.nFrames);
        const std::vector<CSimpleSprite*> left = SpritesAt(kLeft, 336.0f), right = SpritesAt(kRight, 336.0f);
        EXPECT_EQ(left.size() + right.size(), t.nPortrait >= 0 ? 1u : 0u);
        for (const CSimpleSprite* p : t.fPortraitX == kLeft ? left : right) {
            EXPECT_EQ(p->m_pTexture, g_pPortraits[t.nPortrait]);
            EXPECT_EQ(p->m_nVanishTotal, t.nFrames);
        }
        EXPECT_EQ(CountSound(t.nSE), 1);
        EXPECT_EQ(CountSound(t.nSE == 162 ? 163 : 162), 0);
        ClearWorld();
    }
}

TEST_F(ChapterTimeline, OnlyTheSecondBossHasEscortsAndTheyStart600FramesIn)
{
    for (int stage : {SC::STAGE_CHAPTER1, SC::STAGE_CHAPTER2}) {
        SCOPED_TRACE(testing::Message() << "stage " << stage);
        StartAt(stage, SC::PHASE_BOSS);
        Script(600);
        EXPECT_EQ(g_EnemyList.Count(), 1) << "the boss alone";
        Script(1);
        // Frame 600: chapter 2's waves start from their frame 0 (a raptor
        // pair); chapter 1 has its own two raptors there.
        EXPECT_EQ(g_EnemyList.Count(), 3);
        ClearWorld();
    }
}

TEST_F(ChapterTimeline, ResultFiguresEndByTheRightPanel)
{
    struct SFigure {
        int32_t nValue;
        float fX;   // 640 - 5 digits - 140 - 4
    };
    const SFigure figures[] = {{0, 491.0f}, {98765, 471.0f}, {1234567, 461.0f}};
    for (const SFigure& f : figures) {
        SCOPED_TRACE(f.nValue);
        StartAt(SC::STAGE_CHAPTER2, SC::PHASE_RESULT_DESTROYED);
        m_pCraft->m_nChapterScore = f.nValue;
        m_pCraft->m_nScore = f.nValue;
        JumpTo(300);
        Script(1);
        JumpTo(420);
        Script(1);
        for (float y : {237.0f, 274.0f}) {
            const std::vector<CSimpleSprite*> at = SpritesAt(f.fX, y);
            ASSERT_EQ(at.size(), 1u) << "y " << y;
            EXPECT_EQ(at[0]->m_nNumber, f.nValue);
        }
        ClearWorld();
    }
}

TEST_F(ChapterTimeline, RankThresholdsAreInclusive)
{
    struct SRank {
        const SResultScreen* pScreen;
        int32_t nScore;
        int nPicture;
    };
    const SRank ranks[] = {
        {&kResultScreen1, 1700000, 190}, {&kResultScreen1, 1699999, 191}, {&kResultScreen1, 1500000, 191},
        {&kResultScreen1, 1499999, 192}, {&kResultScreen1, 1300000, 192}, {&kResultScreen1, 1299999, 193},
        {&kResultScreen1, 0, 193},       {&kResultScreen2, 2000000, 190}, {&kResultScreen2, 1999999, 191},
        {&kResultScreen2, 1700000, 191}, {&kResultScreen2, 1400000, 192}, {&kResultScreen2, 1399999, 193},
    };
    for (const SRank& r : ranks)
        EXPECT_EQ(RankPicture(*r.pScreen, r.nScore), r.nPicture) << r.nScore;
}

TEST_F(ChapterTimeline, ChapterEndRecordsAndMovesOn)
{
    struct SEnd {
        int nChapter, nSelection;
        bool bReplay, bTestGame;
        bool bGameOver;        // the game ends (the shell is told), else chapter 2 starts
        bool bRecorded;        // best score kept
        bool bNextReached;     // the chapter after it marked reached
    };
    const SEnd ends[] = {
        {0, -1, false, false, false, true, true},  {0, 0, false, false, true, true, false},
        {1, -1, false, false, true, true, true},   {1, 1, false, false, true, true, false},
        {0, -1, true, false, false, false, false}, {1, -1, true, false, true, false, false},
        {0, -1, false, true, false, false, false}, {1, 1, false, true, true, false, false},
    };
    CWorldEventsLog shell;
    for (const SEnd& e : ends) {
        SCOPED_TRACE(testing::Message() << "chapter " << e.nChapter << " selection " << e.nSelection << " replay "
                                        << e.bReplay << " test game " << e.bTestGame);
        g_GlobalResult.Load();
        shell.m_GamesEnded.clear();
        g_nChapterSelection = e.nSelection;
        g_bReplayPlaying = e.bReplay;
        g_bUnrecorded = e.bTestGame;
        StartAt(e.nChapter, SC::PHASE_RESULT_WITHDREW);
        m_pCraft->m_nChapterScore = 1234567;
        JumpTo(e.nChapter == 0 ? 1080 : 1260);
        Script(1);
        // Where a game over leads (save list, replay list) is the shell's choice.
        EXPECT_EQ(g_StageControler.m_nStage, e.bGameOver ? e.nChapter : SC::STAGE_CHAPTER2);
        EXPECT_EQ(shell.m_GamesEnded, e.bGameOver ? std::vector<int32_t>{m_pCraft->m_nScore} : std::vector<int32_t>{});
        EXPECT_EQ(m_pCraft->m_nChapterScore, 0) << "zeroed in every case";
        EXPECT_EQ(g_GlobalResult.GetBestScore(e.nChapter), e.bRecorded ? 1234567 : 0);
        EXPECT_EQ(g_GlobalResult.GetStoredReached(e.nChapter + 1), e.bNextReached);
        ClearWorld();
    }
}

TEST_F(ChapterTimeline, ResultScreenFadesOutAndEndsOnTheChaptersFrames)
{
    // Chapter 1 fades out at 600 and ends at 1080; chapter 2 at 780 and 1260.
    struct SFrames {
        int nStage, nFade, nEnd;
    };
    for (const SFrames& f : {SFrames{0, 600, 1080}, SFrames{1, 780, 1260}}) {
        SCOPED_TRACE(f.nStage);
        CWorldEventsLog shell;
        g_nChapterSelection = f.nStage;   // a single chapter: its end is the game's
        StartAt(f.nStage, SC::PHASE_RESULT_DESTROYED);
        Script(f.nFade);
        EXPECT_EQ(g_pFader->m_nMode, CFader::MODE_FROM) << "still the chapter's arrival fade";
        Script(1);
        EXPECT_EQ(g_pFader->m_nMode, CFader::MODE_TO);
        EXPECT_EQ(g_pFader->m_nTotal, 480);
        Script(f.nEnd - f.nFade - 1);
        EXPECT_TRUE(shell.m_GamesEnded.empty());
        Script(1);
        EXPECT_EQ(shell.m_GamesEnded.size(), 1u);
    }
}

TEST_F(ChapterTimeline, ChapterMusicLoadsOncePerRun)
{
    const int loads = g_StageControler.m_nMusicLoads;
    g_StageControler.SetStage(SC::STAGE_CHAPTER1);
    CSound* music = g_StageControler.m_pChapterMusic[0];
    ASSERT_NE(music, nullptr);
    g_StageControler.SetStage(SC::STAGE_MAIN_MENU);
    g_StageControler.SetStage(SC::STAGE_CHAPTER1);
    EXPECT_EQ(g_StageControler.m_nMusicLoads, loads + 1);
    EXPECT_EQ(g_StageControler.m_pChapterMusic[0], music);
    EXPECT_EQ(g_MusicList.Count(), 1);
}

// What the shell hears of: every stage entered, each phase of a chapter after
// its intro, and one frame of the loading picture while the chapter's music
// is decoded (the first time only), on the loading picture's own stage.
TEST_F(ChapterTimeline, TheShellIsToldOfStagesLaterPhasesAndTheMusicLoad)
{
    CWorldEventsLog shell;
    g_StageControler.SetStage(SC::STAGE_CHAPTER1);
    Script(481);   // the intro's last frame moves on to the waves
    g_StageControler.SetStage(SC::STAGE_MAIN_MENU);
    g_StageControler.SetStage(SC::STAGE_CHAPTER1);
    EXPECT_EQ(shell.m_Stages, (std::vector<int>{SC::STAGE_CHAPTER1, SC::STAGE_MAIN_MENU, SC::STAGE_CHAPTER1}));
    EXPECT_EQ(shell.m_Phases, (std::vector<std::pair<int, int>>{{SC::STAGE_CHAPTER1, SC::PHASE_WAVES}}));
    EXPECT_EQ(shell.m_LoadingFrameStages, std::vector<int>{SC::STAGE_CHAPTER_LOADING});
    EXPECT_TRUE(shell.m_GamesEnded.empty());
}

TEST_F(ChapterTimeline, TestStageSpawnsABossEvery1200Frames)
{
    const auto bosses = [] {
        int n = 0;
        for (int i = 0; i < g_EnemyList.Count(); ++i) n += dynamic_cast<CBoss0*>(g_EnemyList.At(i)) ? 1 : 0;
        return n;
    };
    g_StageControler.SetStage(SC::STAGE_BOSS_TEST);
    Script(1);
    EXPECT_EQ(bosses(), 1) << "on the first update";
    Script(1199);
    EXPECT_EQ(bosses(), 1);
    Script(1);
    EXPECT_EQ(bosses(), 2);
}
