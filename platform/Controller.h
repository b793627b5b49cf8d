// The game controller as the game reads it: the classic joystick state block
// (axes, hats, 32 buttons), with the axis range and dead zone that the game
// sets on it. Buttons are numbered as such a pad has always shown through the
// classic interface: A 0, B 1, X 2, Y 3, LB 4, RB 5, Back 6, Start 7, left
// stick 8, right stick 9. A joystick SDL knows no mapping for shows its raw
// button numbers.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/PressLatch.h"

union SDL_Event;

// The Start button in that numbering.
constexpr int PAD_BUTTON_START = 7;

struct SJoyState {
    int32_t lX = 0, lY = 0, lZ = 0;      // +X right, +Y down (toward the player)
    int32_t lRx = 0, lRy = 0, lRz = 0;
    int32_t rglSlider[2] = {0, 0};
    uint32_t rgdwPOV[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};  // centred
    uint8_t rgbButtons[32] = {};         // 0x80 while held
};

// A raw axis value (-32768 ... 32767, 0 at rest) as the classic interface
// reports it after its range, dead zone and saturation (both in 1/10000 of the
// travel from the centre to each end): inside the dead zone the centre, past
// the saturation the end, in between rescaled linearly from the dead-zone edge,
// rounded half away from zero.
int32_t ScaleJoystickAxis(int nRaw, int32_t nMin, int32_t nMax, int nDeadZone, int nSaturation = 10000);

// The number of an SDL game-controller button (SDL_GameControllerButton) in the
// numbering above; -1 for a button without one (the d-pad, the guide button).
int PadButtonNumber(int nSdlButton);

// Hat directions (SDL_HAT_* bits: up 1, right 2, down 4, left 8) as a POV value
// in hundredths of a degree clockwise from up; 0xFFFFFFFF when centred.
uint32_t PovFromHat(unsigned nHat);

class CControllerDevice {
public:
    virtual ~CControllerDevice() = default;
    // True while a controller is plugged in and open.
    virtual bool IsAttached() const = 0;
    virtual std::string GetName() const = 0;
    // The reported range of the stick axes (X and Y), and their dead zone.
    virtual bool SetAxisRange(int32_t nMin, int32_t nMax) = 0;
    virtual bool SetDeadZone(int nDeadZone) = 0;
    // Brings the state up to date; false when no controller is there.
    virtual bool Poll() = 0;
    virtual bool GetState(SJoyState& state) = 0;
    virtual bool Acquire() { return IsAttached(); }
    // Forgets the presses seen since the last read (see CKeyboardDevice).
    virtual void ForgetPresses() {}
};

// The first joystick SDL finds (through its game-controller mapping when it has
// one). Unplugging simply leaves the device absent; the next Poll() after a
// controller is plugged in opens it, so hot-plugging needs no event handling.
// The d-pad (or first hat) drives the stick axes while the stick is centred.
// A button or d-pad direction pressed and released since the last read counts
// as held for that read.
class CSdlController : public CControllerDevice {
public:
    CSdlController();
    ~CSdlController() override;
    CSdlController(const CSdlController&) = delete;
    CSdlController& operator=(const CSdlController&) = delete;
    // Starts SDL's joystick and game-controller support; false when it fails.
    bool Initialize();
    bool IsAttached() const override;
    std::string GetName() const override;
    bool SetAxisRange(int32_t nMin, int32_t nMax) override;
    bool SetDeadZone(int nDeadZone) override;
    bool Poll() override;
    bool GetState(SJoyState& state) override;
    void ForgetPresses() override { m_Pressed.Clear(); }

private:
    void Close();
    bool OpenFirst();
    void Opened();
    static int OnEvent(void* pUser, SDL_Event* pEvent);

    // Latched presses: buttons 0 ... 31, then the hat's directions (SDL_HAT_* bits).
    static constexpr int kHatLatch = 32;
    CPressLatch<kHatLatch + 4> m_Pressed;
    std::atomic<int32_t> m_nInstance{-1};  // the open joystick's SDL instance id
    std::atomic<bool> m_bPad{false};       // it is opened through a game-controller mapping

    bool m_bInitialized = false;
    void* m_pPad = nullptr;       // SDL_GameController*
    void* m_pJoystick = nullptr;  // SDL_Joystick*, the pad's or a raw one
    int32_t m_nMin = 0;        // the classic default range of an axis
    int32_t m_nMax = 65535;
    int m_nDeadZone = 0;
};
