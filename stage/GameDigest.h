// The digest of the game's rule state: what a replay has to reproduce step by
// step. It is made of parts, each hashed on its own: the scene (stage, phase,
// its frame, the running barrage), the game generator's position, the craft,
// and every object that bears on the rules (enemies, enemy bullets and beams,
// score items, the craft's shots, the bomb's lasers, the free satellites) with
// its position, velocity, state, age and hit points. Presentation (camera,
// fader, particles, pictures, sound) takes no part, so that watching a replay
// another way cannot change its digests.
#pragma once

#include <string>
#include <vector>

#include "persist/Replay.h"

// The digest of the game now. With parts, each part is also described there,
// in digest order ("enemy bullet 3 of 40 (CEnemyShot): pos ..."), to name the
// first one that differs.
SReplayDigest TakeGameDigest(std::vector<std::string>* parts = nullptr);

// Which part two digests' tag lists first differ in (a count that differs
// counts as a difference at the shorter list's end); -1 when the lists agree.
int FirstDifferentPart(const SReplayDigest& a, const SReplayDigest& b);
