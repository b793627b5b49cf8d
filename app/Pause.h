// Pausing play: a live game or a watched replay stops between two steps. While
// paused no step runs (no input is read or recorded, no digest is taken), the
// sounds hold at their sample, the time does not count towards the replay's
// play time, and the last picture stays under a dimmed panel. So a game paused
// any number of times leaves the same replay as one never paused.
//
// The Pause key always pauses and resumes; P and the controller's Start button
// do so while no action of the game is bound to them. A live game pauses by
// itself when its window loses the focus or is minimised, where a person plays
// it (SetPauseOnFocusLoss). Escape still leaves the game for the main menu.
#pragma once

struct SWindowEvent;

bool IsScenePaused();
// Pauses play, or resumes it; outside play nothing happens.
void ToggleScenePause();
// Ends a pause because the game ends (Escape): the sounds go on, no time is
// counted.
void EndScenePause();

// The window's part: the pause keys and button and the loss of focus.
void ScenePauseEvent(const SWindowEvent& event);
// A live game pauses when the window loses the focus (not for scripts, the
// autopilot or a headless run, which no one is watching).
void SetPauseOnFocusLoss(bool on);

// One frame of the main loop while paused: shows the paused picture again (it
// may have been covered or the window resized).
void ShowPausedPicture();
// A paused replay moved (a frame step, a jump): the panel again over the new
// picture, and the sounds it started held.
void RepaintPausedPicture();
