// CAutopilot: a pilot that plays in place of a person. Each step it reads the
// game as the screen shows it (the craft, the bullets, the enemies, the menu
// cursors) and gives channel 0's record for that step, which the game then
// records like a person's input: its games are ordinary replays.
//
// In play it looks ahead at the bullets and enemies near the craft, weighs a
// fan of moves (sixteen directions, for a few frames or the whole look-ahead,
// and staying put) by how soon they would be hit and how close they pass, and
// takes the safest, drawn toward a place below its target. It fires in short
// taps (a volley every fourth step without ever charging, so the craft keeps
// its full speed), swings the blade at an enemy within its reach, and bombs
// when every move would be hit at the next step and the gauge allows. In the
// menus it starts a full run from the title and leaves the replay save list
// without keeping the replay.
//
// It decides from the game's state alone and draws no random numbers, so a
// run is the same every time and never disturbs the game's own sequence.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Math.h"
#include "persist/InputRecord.h"

class CAutopilot {
public:
    // Steps looked ahead.
    static constexpr int kHorizon = 16;

    // Channel 0's record for this step; previous is the record of the step
    // before (presses need a step without the button first).
    CInputRecord Decide(const CInputRecord& previous);

    // What the last step in play saw: the number of hits every move would
    // take first (kHorizon + 1: none within the look-ahead), for tests.
    int LastFirstHit() const { return m_nLastFirstHit; }

private:
    // Something to keep away from: a circle moving in a straight line.
    struct SThreat {
        Vec3 vPos;
        Vec3 vVel;
        float fRadius;
        int nFrames;   // dangerous for this many more tests (beams fade)
    };
    struct SPlan {
        float fX, fY;  // the input's direction (0, 0: stay)
        int nMoves;    // steps it moves before staying
    };

    CInputRecord Menus(int stage, const CInputRecord& previous) const;
    CInputRecord Fly(const CInputRecord& previous);
    void GatherThreats();
    // The first test (1 ... kHorizon) at which the plan is hit, kHorizon + 1
    // when none; cost adds how close it passes and how far from the goal it ends.
    int Evaluate(const SPlan& plan, const Vec3& goal, float& cost) const;
    Vec3 Goal() const;
    // The blade input toward the nearest enemy within reach, if one is.
    bool BladeTarget(float& x, float& y) const;

    std::vector<SThreat> m_Threats;
    int m_nBladeFrames = 0;   // steps the blade button has been held
    int m_nLastFirstHit = kHorizon + 1;
};
