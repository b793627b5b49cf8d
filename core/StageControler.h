// CStageControler, the base of the stage timeline.
//
// It holds the stage number (which is also the scene) and the phase within it,
// uses its own m_nAge as the frame counter of the current phase, and owns the
// textures loaded for the current stage. The game's one controller derives from
// it and supplies the script; it is stepped directly by the scene frame, not
// through a list.
#pragma once

#include <cstdint>

#include "core/ChapterRecords.h"
#include "core/Object.h"
#include "core/PointerList.h"
#include "core/Resource.h"

class CStageControler : public CObject {
public:
    // Stage numbers: the scene (negative: menus and loading) or the chapter.
    // Logs and replays keep the numbers.
    enum {
        STAGE_PRACTICE = -9,        // barrage practice: the barrages met, one at a time
        STAGE_CHAPTER_MENU = -8,
        STAGE_RECORDS = -7,
        STAGE_TITLE = -6,
        STAGE_SAVE_LIST = -5,       // after a played game
        STAGE_REPLAY_LIST = -4,     // also after a watched replay
        STAGE_CHAPTER_LOADING = -3,
        STAGE_MAIN_MENU = -2,
        STAGE_STARTUP = -1,
        STAGE_CHAPTER1 = 0,
        STAGE_CHAPTER2 = 1,
        STAGE_BOSS_TEST = 111,      // a boss every 1200 frames
    };
    // Phases of a chapter.
    enum {
        PHASE_INTRO = 0,
        PHASE_WAVES = 1,
        PHASE_APPROACH = 2,
        PHASE_BOSS = 3,
        PHASE_RESULT_DESTROYED = 4,   // the boss was destroyed
        PHASE_RESULT_WITHDREW = 5,    // the boss withdrew after its time
    };

    CStageControler();
    // Frees m_Resources' array, not the textures (ReleaseResources does that).
    ~CStageControler() override;                                            // 13

    // --- virtual operations after CObject's, in slot order -----------------
    // Outside a replay: marks chapter + 1 as reached unless a single chapter
    // was played, and keeps *score as the chapter's best if it beats it.
    // *score := 0 in every case.
    virtual void RecordResult(int chapter, int* score, bool replay, bool singleChapter);  // 14
    // Fog black, fader reset, ClearWorld, camera reset, no textures on the 2D
    // backgrounds, music paused then stopped.
    virtual void ResetWorld();                                              // 15
    // Unbinds texture stage 0, then releases and deletes every stage texture.
    virtual void ReleaseResources();                                        // 16
    // Nothing here; the subclass loads the stage's textures (AddResource).
    virtual void LoadStage(int stage);                                      // 17
    // Stage := stage, SetPhase(0), ReleaseResources(), LoadStage(stage). The
    // only way to change the scene; the same number again restarts the stage.
    virtual void SetStage(int stage);                                       // 18
    // The next update sees frame 0 of the phase.
    virtual void SetPhase(int phase);                                       // 19

    // Hands a loaded stage texture to the controller, which owns it from then on.
    void AddResource(CResource* resource) { m_Resources.Add(resource); }

    int32_t m_nStage = 0;
    int32_t m_nPhase = 0;
    TPointerList<CResource> m_Resources;
};
