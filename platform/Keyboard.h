// The keyboard as the game reads it: 256 bytes indexed by the classic PC scan
// codes ("DirectInput" numbering, which korvo.ini's bindings use: 44 = Z,
// 200 = cursor up), 0x80 for a key held. Keys are found by their position on
// the board, not by the letter printed on them.
#pragma once
#include <cstdint>

#include "platform/PressLatch.h"

union SDL_Event;

constexpr int KEYBOARD_STATE_SIZE = 256;
// Scan codes the game itself knows (the rest come from the bindings).
constexpr int SCAN_P = 25;
constexpr int SCAN_PAUSE = 197;

// Scan code of an SDL scancode (USB usage number); 0 for keys without one.
uint8_t ScanCodeFromSdl(int nSdlScancode);
// The SDL scancode of a scan code; 0 (unknown) for codes no key produces.
int SdlFromScanCode(uint8_t nScanCode);

class CKeyboardDevice {
public:
    virtual ~CKeyboardDevice() = default;
    // Fills keys[KEYBOARD_STATE_SIZE]; false when the state cannot be read.
    virtual bool GetState(uint8_t* pKeys) = 0;
    // Takes the device back after a failed read.
    virtual bool Acquire() { return true; }
    // Forgets the presses seen since the last read (a pause ended: what was
    // pressed during it must not reach the game).
    virtual void ForgetPresses() {}
};

// The keyboard of SDL's focused window (no window or no focus: nothing held).
// A key pressed and released since the last read counts as held for that read.
class CSdlKeyboard : public CKeyboardDevice {
public:
    CSdlKeyboard();
    ~CSdlKeyboard() override;
    CSdlKeyboard(const CSdlKeyboard&) = delete;
    CSdlKeyboard& operator=(const CSdlKeyboard&) = delete;
    bool GetState(uint8_t* pKeys) override;
    void ForgetPresses() override { m_Pressed.Clear(); }

private:
    static int OnEvent(void* pUser, SDL_Event* pEvent);
    CPressLatch<KEYBOARD_STATE_SIZE> m_Pressed;
};
