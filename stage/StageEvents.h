// The building blocks of the chapter timelines: cue tables (frame -> what
// happens), talk-line rows, and one event primitive per kind (sprite, cropped
// sprite, number sprite, talk line, sound). A timeline is a handful of tables
// that read like the chapter's script; RunCues fires the rows of the frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Math.h"

class CObject;

// One scripted moment: at frame nFrame of the phase, pRun. A timeline's extra
// arguments (the chapter's result layout, say) reach every row of its table.
template <class... TArgs>
struct TCue {
    int32_t nFrame;
    void (*pRun)(TArgs...);
};
using SCue = TCue<>;

// Runs every row of the frame, in table order (an array or a span of cues). The
// frame is taken by value: a row that changes the phase resets the controller's
// age, and the rows after it in the same frame must still see the frame they
// were written for.
template <class TCues, class... TArgs>
void RunCues(const TCues& cues, int32_t frame, const TArgs&... args)
{
    for (const auto& c : cues)
        if (c.nFrame == frame) c.pRun(args...);
}

// The talk sounds: the usual one, and the one of the lines marked apart.
inline constexpr int kTalkSE = 162;
inline constexpr int kTalkAltSE = 163;
inline constexpr int kTalkFrames = 180;
inline constexpr int kNoPortrait = -1;

// One talk line of a timeline: row nRow of the chapter's talk atlas nAtlas,
// with portrait nPortrait (kNoPortrait: none) at the left (side 0) or the right.
struct STalkCue {
    int32_t nFrame;
    int32_t nAtlas;
    int32_t nPortrait;
    int32_t nSide;
    int32_t nRow;
    int32_t nFrames = kTalkFrames;
    int32_t nSE = kTalkSE;
};

// --- the event primitives -----------------------------------------------------

// A picture of the asset set (by number) at screen pixel (x, y), moving by vel
// pixels a frame: fades in over appear frames, stays stay frames, fades out over
// vanish frames. With appear and stay 0 it starts fading out at once.
void ShowSprite(int texture, float x, float y, const Vec3& vel, int appear, int stay, int vanish);
void ShowSprite(int texture, float x, float y, int appear, int stay, int vanish);
// The same picture fading out over vanish frames from the start.
void ShowFadingSprite(int texture, float x, float y, int vanish);
// The source rectangle (left, top, right, bottom) of a picture, at full opacity
// for frames frames.
void ShowCroppedSprite(int texture, float x, float y, int left, int top, int right, int bottom, int frames);
// value in decimal with the HUD digits at (x, y), fading out over frames.
void ShowNumber(int value, float x, float y, int frames);
// A talk line: the portrait (none for kNoPortrait) at its side and the atlas row
// of the current chapter for frames frames, with its sound from the start.
void ShowTalkLine(int atlas, int portrait, int side, int row, int frames = kTalkFrames, int se = kTalkSE);
// A sound effect of the asset set from the start.
void PlaySound(int se);
// Every music object starts its fade-out.
void FadeOutMusic();

// The objects the timelines move. Without the real one (a test that does not
// make it) a scratch object takes the moves, so no row needs a null check.
CObject& WorldAnchor();
CObject& IntroModel();

// Shows every talk line of the frame, in table order.
void RunTalkCues(std::span<const STalkCue> cues, int32_t frame);
