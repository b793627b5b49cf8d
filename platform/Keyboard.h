// The keyboard as the game reads it: 256 bytes indexed by the classic PC scan
// codes ("DirectInput" numbering, which korvo.ini's bindings use: 44 = Z,
// 200 = cursor up), 0x80 for a key held. Keys are found by their position on
// the board, not by the letter printed on them.
#pragma once
#include <cstdint>

constexpr int KEYBOARD_STATE_SIZE = 256;

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
};

// The keyboard of SDL's focused window (no window or no focus: nothing held).
class CSdlKeyboard : public CKeyboardDevice {
public:
    bool GetState(uint8_t* pKeys) override;
};
