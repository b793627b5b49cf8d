// Play (stage 0 and above): the frame's world and HUD, and the step's input.
#pragma once

#include <cstdint>

// The world in its order (anchor, 2D background, craft, stage model, the list
// passes), then the HUD over the side columns and the gauge bars.
void DrawPlay();
// The craft's control step with channel 0; while a replay plays, the free
// camera on live input (channel 1). Also the input of the loading pictures.
void InputPlay();

// A barrage's history as the HUD shows it beside the barrage's name: captured,
// met (or tried) and the best bonus.
struct SBarrageHistory {
    int32_t nCaptures = 0;
    int32_t nTries = 0;
    int32_t nBest = 0;
};
// In a game the barrage's records (as they are now, also while a replay
// plays); in a practice attempt its practice history.
SBarrageHistory HudBarrageHistory(int barrage);

// HUD figures: the gauge bar's width for a gauge of the maximum, and the width
// of the yellow bar counting its whole thirds (0, 39, 78 or 117).
int GaugeBarWidth(int gauge, int gaugeMax);
int GaugeThirdsWidth(int gauge);
int StockBarWidth(int stock);
