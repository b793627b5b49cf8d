// The game's sound set: which effects and pieces exist and how each is made.
#pragma once
#include <vector>

#include "tools/assetgen/sounds_dsp.h"

namespace snd {

// Every effect the asset set loads, in its load order.
extern const int kEffectIds[41];

// Renders effect `id` (mono, 22050 Hz, finished and levelled). Returns false
// for an id that is not one of kEffectIds.
bool RenderEffect(int id, Mono& out);

// True for effects that are played looping and so must wrap without a seam.
bool IsLoopingEffect(int id);

// Music ids, and a piece rendered as interleaved stereo whose length is a whole
// number of bars and whose end runs seamlessly into its start.
extern const int kMusicIds[3];
bool RenderMusic(int id, std::vector<float>& stereo);

}  // namespace snd
