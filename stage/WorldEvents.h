// What the world tells the shell.
//
// The world (player/, enemy/, stage/) lies below the shell (app/) and never
// calls it. Where the shell must act on something that happened in the world
// (a game over, a stage entered, the loading picture to show, a barrage's
// end), the world calls this interface; the shell derives a class from it and
// registers one instance in g_pWorldEvents at set-up. With nothing registered,
// as in the world's own tests, every call is skipped.
#pragma once

#include <cstdint>

class CWorldEvents {
public:
    virtual ~CWorldEvents() = default;

    // The game is over with this score: the craft's last miss has faded out,
    // or the last chapter has ended.
    virtual void GameEnded(int32_t score) = 0;
    // The stage controller has entered a stage (every SetStage, the same
    // stage again too); its entry work is done.
    virtual void StageChanged(int stage) = 0;
    // A chapter has moved on to a phase after its intro.
    virtual void PhaseChanged(int stage, int phase) = 0;
    // A chapter's music is about to be decoded, which holds the game up: the
    // stage is the chapter loading picture's for one frame, to be drawn now.
    virtual void LoadingFrameWanted() = 0;
    // A boss barrage has ended: captured (its bonus paid), or not (its hit
    // points ran out after a miss or a bomb, or its time ran out).
    virtual void BarrageEnded(int barrage, bool captured, int32_t bonus) = 0;
};

// The registered events; null means none.
extern CWorldEvents* g_pWorldEvents;
