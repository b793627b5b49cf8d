// The game's sound set: which effects and pieces exist and how each is made.
#pragma once
#include <vector>

#include "tools/assetgen/sounds_dsp.h"

namespace snd {

// Gain staging of the whole sound set. Every piece of music has the same
// integrated loudness, so the title sounds as loud as play; effects sit
// kEffectsTrim below the peaks they are written for, so that music and a
// busy moment of effects together stay below full scale.
constexpr float kMusicLoudness = -18.0f;  // LUFS
constexpr float kEffectsTrim = -9.0f;     // dB

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
