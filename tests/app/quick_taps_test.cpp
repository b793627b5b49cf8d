// Keys tapped faster than a frame, in the program's own process on SDL's own
// input layer: each tap is pressed and released before the next step, as SDL
// queues it, and still counts.
#include <gtest/gtest.h>

#include <SDL.h>

#include "app/Menus.h"
#include "game_fixture.h"
#include "input/InputControler.h"
#include "tests/support/KeyTap.h"

namespace {

class QuickTaps : public CInProcessGame {};

}  // namespace

// Each tap of Down is over before the next step, yet each moves the cursor once.
TEST_F(QuickTaps, EightTapsOfDownMoveTheMenuCursorEightTimes)
{
    delete g_pInput;
    g_pInput = new CInputControler(static_cast<void*>(nullptr), true, false);
    SetSceneStage(CStageControler::STAGE_MAIN_MENU);
    g_MainMenuCursor.m_nIndex = 0;
    Step();
    for (int k = 0; k < 8; ++k) {
        TapKey(SDL_SCANCODE_DOWN);
        Step();
        Step();
        EXPECT_EQ(g_MainMenuCursor.m_nIndex, (k + 1) % 4) << "tap " << k + 1;
    }
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}
