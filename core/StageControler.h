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
