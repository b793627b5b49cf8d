// The two chapters' timelines, run by the stage controller's update with the
// phase and its frame, and what both chapters share: the craft and camera moves
// that recur, the result screen and the chapter end.
#pragma once

#include <cstdint>
#include <span>

#include "core/Math.h"
#include "stage/StageEvents.h"

struct SResultScreen;

// A chapter's timeline: a cue table and a talk table per phase.
struct SChapterScript {
    int32_t nStage;
    std::span<const SCue> intro, waves, approach, boss;
    std::span<const STalkCue> introTalk, wavesTalk, bossTalk, destroyedTalk, withdrewTalk;
    // The waves go on during the boss fight, this many frames behind (-1: none).
    int32_t nBossWavesDelay;
    const SResultScreen* pResult;
};
extern const SChapterScript kChapter1Script;
extern const SChapterScript kChapter2Script;

// One update of a chapter's timeline at the phase's frame: the wave script where
// the phase has waves, then the phase's cues and talk lines.
void RunChapter(const SChapterScript& script, int phase, int frame);

// --- shared moves -----------------------------------------------------------------

class CMyKorvo;
// The craft the timelines move (RunChapter runs only while it exists).
CMyKorvo& Craft();
// The chapter's next phase; its first update sees frame 0.
void NextPhase(int phase);

// The script takes the craft over (controls, bounds and collisions off) or gives
// it back.
void LockCraft();
void UnlockCraft();
// The camera's eye and up vector glide over frames.
void CameraEyeTo(const Vec3& eye, int frames);
void CameraUpTo(const Vec3& up, int frames);
// The glow behind the craft that ends the approach's stop.
void BackfireBehindCraft();
// The approach's dark band at the left of the play field.
void ApproachPanel(int width);

// --- the result screen (phases 4 and 5) ----------------------------------------

// What differs between the chapters' result screens.
struct SResultScreen {
    int32_t nChapter;
    Vec3 vEye;             // where the camera glides from frame 240
    Vec3 vModelFrom;       // the intro model's rise from frame 360
    Vec3 vModelTo;
    int32_t nRankAt[3];    // chapter scores of the ranks "#190", "#191", "#192"
    int32_t nFadeFrame;    // picture and music fade out
    int32_t nEndFrame;     // the chapter ends
};
extern const SResultScreen kResultScreen1;
extern const SResultScreen kResultScreen2;

// The rank picture ("#190" best ... "#193") for a chapter score.
int RankPicture(const SResultScreen& screen, int32_t chapterScore);
// Where a result figure of this value starts so that it ends by the right panel.
float ResultNumberX(int32_t value);
// The result screen's rows of this frame (talk lines are the chapter's own).
void RunResultScreen(const SResultScreen& screen, int frame);

// The chapter's result recorded (unless a replay plays or the game keeps no
// records); then chapter 2 after chapter 1 of a full run, otherwise the game's
// end through the craft.
void EndChapter(int chapter);
