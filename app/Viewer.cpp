#include "app/Viewer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Game.h"
#include "app/Pause.h"
#include "app/Scene.h"
#include "core/Random.h"
#include "core/StageControler.h"
#include "gfx/GraphicsDevice.h"
#include "input/InputControler.h"
#include "input/InputScript.h"
#include "persist/Replay.h"
#include "platform/Window.h"
#include "sound/SoundSystem.h"
#include "stage/CustomStageControler.h"

namespace {

constexpr int kStepsPerSecond = 60;
constexpr int64_t kShortJump = 10 * kStepsPerSecond;
constexpr int64_t kLongJump = 60 * kStepsPerSecond;
constexpr int kHeldSpeed = 4;
constexpr int kPadBack = 6;  // the controller's Back button

// Effects started while a replay runs faster than x1 are thinned: the same
// effect starts at most once per this many milliseconds of heard output, so
// x8 gives neither a buzz of restarts nor more voices than x1 does.
constexpr int kEffectSpacingMs = 50;

// The bar: a thin line over the bottom of the play field (x 140 ... 500),
// its figures in a small box at its right end, clear of the talk lines.
constexpr int kBarX = 146, kBarW = 348, kBarY = 474, kBarH = 3;
constexpr int kMarkH = 7;
constexpr int kTextW = 104, kTextH = 15;
constexpr int kTextX = kBarX + kBarW - kTextW, kTextY = kBarY - 4 - kTextH;

int g_nSpeed = 1;
bool g_bFastKey = false;
bool g_bFastPad = false;
bool g_bFastScript = false;
bool g_bBarHidden = false;
bool g_bStepAsked = false;
int64_t g_nJump = 0;   // steps to jump by, asked since the last frame
bool g_bJumpAsked = false;

struct SMark {
    int64_t nStep;
    bool bBoss;   // else a chapter's start
};
std::vector<SMark> g_Marks;   // by step

bool BackFree() { return !g_pInput || !g_pInput->GetBindings().UsesButton(kPadBack); }

void AskJump(int64_t steps)
{
    g_nJump += steps;
    g_bJumpAsked = true;
}

void AddMark(bool boss)
{
    const int64_t step = WatchedStep();
    if (step <= 0) return;
    auto at = std::lower_bound(g_Marks.begin(), g_Marks.end(), step,
                               [](const SMark& m, int64_t s) { return m.nStep < s; });
    if (at != g_Marks.end() && at->nStep == step && at->bBoss == boss) return;
    g_Marks.insert(at, SMark{step, boss});
}

std::string Clock(int64_t steps)
{
    const int64_t seconds = steps / kStepsPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace

bool IsWatchingReplay() { return g_bReplayPlaying && GetSceneStage() >= CStageControler::STAGE_CHAPTER1; }

int GetViewerSpeed() { return g_nSpeed; }

int ViewerStepsPerFrame()
{
    if (!IsWatchingReplay()) return 1;
    const bool held = g_bFastKey || g_bFastPad || g_bFastScript;
    return held ? std::max(g_nSpeed, kHeldSpeed) : g_nSpeed;
}

bool ViewerWindowEvent(const SWindowEvent& event)
{
    const bool down = event.type == EWindowEvent::KeyDown;
    if (event.type == EWindowEvent::PadButtonDown || event.type == EWindowEvent::PadButtonUp) {
        if (event.button != kPadBack || !BackFree()) return false;
        g_bFastPad = event.type == EWindowEvent::PadButtonDown;
        return true;
    }
    if (!down && event.type != EWindowEvent::KeyUp) return false;
    if (event.key == EWindowKey::F) {
        g_bFastKey = down;
        return true;
    }
    if (!down || event.alt) return false;
    switch (event.key) {
    case EWindowKey::Digit1: g_nSpeed = 1; break;
    case EWindowKey::Digit2: g_nSpeed = 2; break;
    case EWindowKey::Digit3: g_nSpeed = 4; break;
    case EWindowKey::Digit4: g_nSpeed = 8; break;
    case EWindowKey::Period: g_bStepAsked = IsScenePaused(); break;
    case EWindowKey::LeftBracket: AskJump(-kShortJump); break;
    case EWindowKey::RightBracket: AskJump(kShortJump); break;
    case EWindowKey::PageUp: AskJump(-kLongJump); break;
    case EWindowKey::PageDown: AskJump(kLongJump); break;
    case EWindowKey::H:
        if (!event.repeat) g_bBarHidden = !g_bBarHidden;
        break;
    default: return false;
    }
    return true;
}

void ApplyViewerScript(const CInputScript& script, int64_t frame)
{
    const SViewerCommands c = script.ViewerAt(frame);
    g_bFastScript = c.bFast;
    if (c.nSpeed > 0) g_nSpeed = c.nSpeed;
    if (c.bStep && IsScenePaused()) g_bStepAsked = true;
    if (c.nSeek != 0) AskJump(c.nSeek * kShortJump);
}

bool TakeViewerStep()
{
    const bool step = g_bStepAsked && IsScenePaused() && IsWatchingReplay();
    g_bStepAsked = false;
    return step;
}

int64_t WatchedStep() { return static_cast<int64_t>(g_Replay.GetCursor()); }
int64_t WatchedLength() { return static_cast<int64_t>(g_Replay.GetRecordCount()); }

void ViewerFrame()
{
    // Above x1 the effects are thinned; at x1 (and out of a replay) every
    // start plays, as in play.
    if (g_pSoundDevice) g_pSoundDevice->SetEffectSpacing(ViewerStepsPerFrame() > 1 ? kEffectSpacingMs : 0);
    if (!g_bJumpAsked) return;
    const int64_t by = g_nJump;
    g_bJumpAsked = false;
    g_nJump = 0;
    if (IsWatchingReplay()) JumpReplayTo(WatchedStep() + by);
}

void JumpReplayTo(int64_t target)
{
    if (!IsWatchingReplay() || WatchedLength() <= 0) return;
    // The last record stays to be played in sight: the game ends with it.
    target = std::clamp<int64_t>(target, 0, WatchedLength() - 1);
    if (target == WatchedStep()) return;
    SceneNote("jump from replay step " + std::to_string(WatchedStep()) + " to " + std::to_string(target));
    if (g_pSoundDevice) g_pSoundDevice->SetMuted(true);
    if (target < WatchedStep()) RestartReplay();
    // Unseen steps but the last, whose picture shows where the jump landed.
    while (IsWatchingReplay() && WatchedStep() < target) SceneUnseenStep(WatchedStep() + 1 == target);
    if (g_pSoundDevice) {
        g_pSoundDevice->CutEffects();
        g_pSoundDevice->SetMuted(false);
    }
    if (IsScenePaused()) RepaintPausedPicture();
}

void ViewerReplayStarted() { g_Marks.clear(); }

void ViewerStageEntered(int stage)
{
    if (g_bReplayPlaying && stage >= CStageControler::STAGE_CHAPTER1) AddMark(false);
}

void ViewerPhaseEntered(int phase)
{
    if (g_bReplayPlaying && phase == CStageControler::PHASE_BOSS) AddMark(true);
}

void DrawViewerBar()
{
    if (g_bBarHidden || !IsWatchingReplay() || !g_pDevice || !g_pDevice->IsReady()) return;
    const int64_t length = std::max<int64_t>(WatchedLength(), 1);
    const int64_t step = std::min(WatchedStep(), length);
    CRandomLock lock(g_GameRand);
    g_pDevice->SetFullScreenViewport();
    g_pDevice->FillRect(kBarX - 2, kBarY - 2, kBarW + 4, kBarH + 4, 0.6f, 0.0f, 0.0f, 0.0f);
    g_pDevice->FillRect(kBarX, kBarY, kBarW, kBarH, 0.8f, 0.25f, 0.25f, 0.3f);
    const int done = static_cast<int>(static_cast<int64_t>(kBarW) * step / length);
    if (done > 0) g_pDevice->FillRect(kBarX, kBarY, done, kBarH, 0.9f, 1.0f, 1.0f, 1.0f);
    for (const SMark& m : g_Marks) {
        const int x = kBarX + static_cast<int>(static_cast<int64_t>(kBarW) * std::min(m.nStep, length) / length);
        if (m.bBoss) g_pDevice->FillRect(x, kBarY + kBarH - kMarkH, 2, kMarkH, 1.0f, 1.0f, 0.3f, 0.2f);
        else g_pDevice->FillRect(x, kBarY + kBarH - kMarkH, 2, kMarkH, 1.0f, 0.3f, 0.7f, 1.0f);
    }
    std::string text = Clock(step) + " / " + Clock(length) + "  x" + std::to_string(ViewerStepsPerFrame());
    if (IsScenePaused()) text += "  II";
    g_pDevice->FillRect(kTextX, kTextY, kTextW, kTextH, 0.6f, 0.0f, 0.0f, 0.0f);
    g_pDevice->DrawText(kTextX + 4, kTextY + 1, text.c_str(), 0xFFFFFFFFu, kTextW - 4);
}

const char* ViewerControlsText()
{
    return "1 - 4: x1  x2  x4  x8\n"
           "F held: x4\n"
           "P: pause\n"
           ". (paused): one step\n"
           "[  ]: 10 s back, on\n"
           "PgUp  PgDn: 60 s\n"
           "H: bar\n"
           "Z: free camera";
}
