// Watching a replay: speed, frame step, jumps, and the progress bar. None of it
// touches the game's rules: a watched replay runs the same steps with the same
// records whatever the viewer does, and its digests are compared as it plays.
//
// - Speed x1, x2, x4 or x8 (keys 1-4, the script's speed1 ... speed8); the
//   fast key F, the controller's Back button (while no action is bound to it)
//   or the script's fast give x4 while held. At a speed above x1 a frame of the
//   main loop runs that many steps back to back and only the last one's
//   picture is drawn; the others still run every Draw() (drawing sets some
//   rule state), their draws are discarded before the rasteriser.
// - Frame step: "." (the script's step) runs exactly one step while paused.
// - Jumps: "[" and "]" 10 s back and forward, Page Up and Page Down 60 s (the
//   script's seekback and seekfwd, 10 s). A jump back plays the replay again
//   from its start, unseen, unheard and unpaced, to the step; a jump forward
//   plays on the same way. The effects then sounding are cut, the music plays
//   on.
// - The bar over the bottom of the play field: the step against the total,
//   the chapter and boss starts passed so far, the speed and a pause mark; H
//   hides it. It is drawn after the picture a video or snapshot takes.
#pragma once

#include <cstdint>
#include <string>

class CInputScript;
struct SWindowEvent;

// A replay is being watched in play.
bool IsWatchingReplay();
// Steps the next frame of the main loop runs: 1 unless a replay is watched,
// else its speed (x4 while the fast key is held).
int ViewerStepsPerFrame();
// The chosen speed (1, 2, 4 or 8), the fast key aside.
int GetViewerSpeed();

// The window's keys and buttons of the viewer; true when the event was one.
bool ViewerWindowEvent(const SWindowEvent& event);
// The input script's viewer commands of this frame.
void ApplyViewerScript(const CInputScript& script, int64_t frame);

// A step asked for while paused (taken once).
bool TakeViewerStep();
// The start of a frame of the main loop: the effects thinned for the speed,
// and the jump asked for since the last frame, if any.
void ViewerFrame();
// Jumps to step target of the watched replay (clamped to its length).
void JumpReplayTo(int64_t target);

// The replay's steps played so far and its length.
int64_t WatchedStep();
int64_t WatchedLength();

// A new replay starts (its marks are forgotten); the scene tells the viewer
// of stages and phases entered, which it marks on the bar.
void ViewerReplayStarted();
void ViewerStageEntered(int stage);
void ViewerPhaseEntered(int phase);

// Draws the bar, unless hidden or no replay is watched.
void DrawViewerBar();
// The keys of the viewer, one per line, for the HUD's panel.
const char* ViewerControlsText();
