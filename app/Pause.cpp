#include "app/Pause.h"

#include <cstdint>
#include <string>

#include "app/Game.h"
#include "app/Scene.h"
#include "app/Viewer.h"
#include "core/Random.h"
#include "core/StageControler.h"
#include "gfx/GraphicsDevice.h"
#include "input/InputControler.h"
#include "platform/Controller.h"
#include "platform/Keyboard.h"
#include "platform/Window.h"
#include "sound/SoundSystem.h"
#include "stage/CustomStageControler.h"

namespace {

bool g_bPaused = false;
bool g_bPauseOnFocusLoss = false;
uint32_t g_dwPausedAt = 0;

constexpr int kPanelX = 160, kPanelY = 180, kPanelW = 320, kPanelH = 112;
constexpr uint32_t kTextColour = 0xFFFFFFFFu;

bool InPlay() { return GetSceneStage() >= CStageControler::STAGE_CHAPTER1; }

// P and Start give way to a binding of the player's; the Pause key never does.
bool KeyFree(int scanCode) { return !g_pInput || !g_pInput->GetBindings().UsesKey(scanCode); }
bool StartFree() { return !g_pInput || !g_pInput->GetBindings().UsesButton(PAD_BUTTON_START); }

std::string ResumeText()
{
    std::string keys = "Pause";
    if (KeyFree(SCAN_P)) keys += " / P";
    if (StartFree()) keys += " / Start";
    return keys + ": resume";
}

// The last picture dimmed, the panel over it; drawn once into the picture, so
// that presenting it again changes nothing.
void DrawPausePanel()
{
    if (!g_pDevice || !g_pDevice->IsReady()) return;
    CRandomLock lock(g_GameRand);
    CRenderer& renderer = *g_pDevice->GetRenderer();
    renderer.BeginScene();
    g_pDevice->SetFullScreenViewport();
    g_pDevice->FillRect(0, 0, CGraphicsDevice::kScreenWidth, CGraphicsDevice::kScreenHeight, 0.5f, 0.0f, 0.0f, 0.0f);
    g_pDevice->FillRect(kPanelX, kPanelY, kPanelW, kPanelH, 0.75f, 0.0f, 0.0f, 0.0f);
    g_pDevice->DrawRectFrame(static_cast<float>(kPanelX), static_cast<float>(kPanelY), static_cast<float>(kPanelW),
                             static_cast<float>(kPanelH), 1.0f, 1.0f, 1.0f, 1.0f);
    g_pDevice->DrawText(kPanelX + 24, kPanelY + 16, "PAUSED", kTextColour);
    g_pDevice->DrawText(kPanelX + 24, kPanelY + 48, ResumeText().c_str(), kTextColour, kPanelW - 48);
    g_pDevice->DrawText(kPanelX + 24, kPanelY + 72, "Escape: leave for the main menu", kTextColour, kPanelW - 48);
    DrawViewerBar();
    renderer.EndScene();
    renderer.Flush();
}

void Pause()
{
    if (g_bPaused || !InPlay()) return;
    g_bPaused = true;
    g_dwPausedAt = SceneClockMs();
    if (g_pSoundDevice) g_pSoundDevice->Hold(true);
    DrawPausePanel();
    ScenePauseChanged(true);
}

void Resume(bool countTime)
{
    if (!g_bPaused) return;
    g_bPaused = false;
    // The replay's play time is the wall-clock time since the game started:
    // the start moves on by the time paused, which is no time played.
    if (countTime) g_dwGameStartTime += SceneClockMs() - g_dwPausedAt;
    if (g_pSoundDevice) g_pSoundDevice->Hold(false);
    // Keys tapped during the pause belong to no step.
    if (g_pInput) g_pInput->ForgetPresses();
    ScenePauseChanged(false);
}

}  // namespace

bool IsScenePaused() { return g_bPaused; }

void ToggleScenePause()
{
    if (g_bPaused) Resume(true);
    else Pause();
}

void EndScenePause() { Resume(false); }

void ScenePauseEvent(const SWindowEvent& event)
{
    switch (event.type) {
    case EWindowEvent::KeyDown:
        if (event.repeat) break;
        if (event.key == EWindowKey::Pause || (event.key == EWindowKey::P && KeyFree(SCAN_P))) ToggleScenePause();
        break;
    case EWindowEvent::PadButtonDown:
        if (event.button == PAD_BUTTON_START && StartFree()) ToggleScenePause();
        break;
    case EWindowEvent::FocusLost:
        // Only a game someone plays live: a watched replay loses nothing.
        if (g_bPauseOnFocusLoss && !g_bReplayPlaying) Pause();
        break;
    default: break;
    }
}

void SetPauseOnFocusLoss(bool on) { g_bPauseOnFocusLoss = on; }

void RepaintPausedPicture()
{
    if (!g_bPaused) return;
    // What the step or jump started is held too.
    if (g_pSoundDevice) g_pSoundDevice->Hold(true);
    DrawPausePanel();
    ShowPausedPicture();
}

void ShowPausedPicture()
{
    if (g_pDevice && g_pDevice->IsReady()) g_pDevice->Present();
}
