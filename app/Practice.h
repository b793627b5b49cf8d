// Barrage practice: the list of the bosses' barrages (stage -9, opened from the
// records list by a push to the right), an attempt at one (its chapter's play
// with only its boss, standing just before the barrage), the result panel over
// the attempt once the barrage has ended, and the history practice keeps in
// "practice.ini". Practice keeps no records of real games, no replay and no
// play time.
#pragma once

#include <cstdint>

#include "app/SceneKit.h"

// The list's cursor: an index into the barrages of PracticeBarrages().
extern MenuCursor g_PracticeCursor;

// What a row shows for a barrage never met in a real game.
inline constexpr const char* kUnmetBarrage = "？？？";
// The records list's line that tells of practice.
inline constexpr const char* kPracticeHint = "→  Barrage practice: any barrage you have met, on its own";

void DrawPracticeList();
void InputPracticeList();

// A barrage met in a real game (its total count in the records is not 0):
// the list offers only these.
bool IsPracticeChoosable(int barrage);

// Practice is on screen: its list or an attempt.
bool InPractice();
// An attempt keeps its history unless the pilot plays it or nothing can hit
// the craft.
bool PracticeKeepsHistory();

// An attempt at the barrage from its start (the try counted in the history).
// False, with nothing changed, for a number no boss has.
bool StartPracticeAttempt(int barrage);
// The world's word that a barrage ended; the attempt's result when it is the
// attempt's barrage.
void PracticeBarrageEnded(int barrage, bool captured, int32_t bonus);
// After every step of play: an attempt also ends with the craft's last miss;
// the result panel comes up a moment after the end, and the craft is then
// taken out of the player's hands.
void PracticeStepped();

// The result panel is up: play's input goes to it (retry, back), not to the
// craft. Drawn over everything, the fader included.
bool IsPracticePanelShown();
void InputPracticePanel();
void DrawPracticePanel();
