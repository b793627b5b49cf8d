// CCustomStageControler: the game's one stage controller. It loads each stage's
// pictures, does each stage's entry work (world reset, menu slot table, title
// music, the chapter set-up) and runs the timelines: the title loop, the main
// menu's return to it, the test stage and the two chapters.
#pragma once

#include <cstdint>
#include <vector>

#include "core/StageControler.h"

class CSound;
class CTexture;

// Game-wide values of the scene flow and the script.
extern int32_t g_nChapterSelection;   // -1 full run, else the chapter played alone
extern bool g_bReplayPlaying;         // a replay is being watched
extern int32_t g_nBarrageIndex;       // running boss barrage record, -1 none
extern bool g_bInvulnerable;          // testing: nothing can hit the craft
extern bool g_bUnrecorded;            // testing: the game keeps no records and no replay
extern bool g_bAutopilot;             // the autopilot plays: its games keep replays, no records
extern int32_t g_nPracticeBarrage;    // a practice attempt at this barrage runs, -1 none

// Records (chapter results, barrage counts, the play count) come from the
// player's own games only: not from a watched replay, not from a test game (one
// nothing could hit, or one started in the middle of a chapter), not from the
// autopilot's, not from practice. The temporary replay is kept by all but test
// games.
inline bool KeepsRecords() { return !g_bReplayPlaying && !g_bUnrecorded && !g_bAutopilot && g_nPracticeBarrage < 0; }

// Practice. The barrages it offers: the record numbers of both bosses'
// barrages, in the order they are fought.
std::vector<int32_t> PracticeBarrages();
// The chapter whose boss fights the barrage; -1 for a number no boss has.
int PracticeChapter(int barrage);
// An attempt: the generator is seeded with this plus the barrage's record
// number, so an attempt played the same way plays out the same.
inline constexpr uint32_t kPracticeSeed = 1024;
// Frames of the boss's pause (or entry) before the barrage begins: the
// chapter's fade-in.
inline constexpr int kPracticeLeadIn = 120;
// The craft's stock in an attempt: the stock bar full.
inline constexpr int kPracticeStock = 9;

class CCustomStageControler : public CStageControler {
public:
    ~CCustomStageControler() override;

    void Update() override;                  // 12
    void ResetWorld() override;              // 15
    void LoadStage(int stage) override;      // 17
    void SetStage(int stage) override;       // 18
    // Inherited, and a chapter's later phases are told to the scene log.
    void SetPhase(int phase) override;       // 19

    // Releases the stage pictures and deletes the music objects (shut-down).
    void Shutdown();

    // A practice attempt: the barrage's chapter set up as for a game (its
    // background, music, fog and fade-in), in its boss phase without the
    // timeline; the craft reset with a full stock and gauge; the generator
    // seeded; the boss standing kPracticeLeadIn frames before the barrage.
    // False (and nothing done) for a number no boss has.
    bool StartPractice(int barrage);

    CSound* m_pTitleMusic = nullptr;
    CSound* m_pChapterMusic[2] = {};
    // Times a chapter's music was loaded (once per program run is the rule).
    int m_nMusicLoads = 0;

private:
    void StartChapter(int chapter);
    void UpdateTitleLoop();
    // The running chapter's timeline for its phase, on the phase's frame counter.
    void UpdateChapter();
    CTexture* StageTexture(int index) const;
};

extern CCustomStageControler g_StageControler;
