// The small enemies' spawn functions and the wave script that the chapter
// timelines call every frame of their wave phases.
#pragma once

#include "core/Math.h"

// A raptor from `from` gliding to `to` over 120 frames, facing the craft.
void SpawnRaptor(const Vec3& from, const Vec3& to);
// The same, keeping its heading (facing -Y) instead of turning to the craft.
void SpawnStraightRaptor(const Vec3& from, const Vec3& to);
// Two raptors from the left (side 0) or the right (side 1).
void SpawnRaptorPair(int side);
// One zab at pos, accelerating toward where the craft is now.
void SpawnZab(const Vec3& pos);
// count zabs of a formation kind 0 ... 5, 12 frames apart; every 4th drops an item.
void SpawnZabFormation(int kind, const Vec3& pos, int count);

// The waves of a chapter (stage 0 or 1) and phase at the given frame.
void EnemyWaveScript(int stage, int phase, int frame);
