// CInputControler turns the keyboard and one game controller into one input
// record per frame: seven buttons and two axes, bound through korvo.ini.
//
// Two channels each hold the previous and the current record: channel 0 is the
// game's input (polled live, or written by the replay player through
// InjectRecord, so the game cannot tell the two apart); channel 1 is polled
// while a replay plays, so that the menus still hear the real devices. A button
// is pressed this frame when it is set in current and clear in previous.
#pragma once
#include <cstdint>

#include "persist/InputRecord.h"
#include "platform/Controller.h"

class CInputDriver;
class CKeyboardDevice;
class CControllerDevice;

// Binding defaults and keys of korvo.ini.
struct SInputBindings {
    // Keyboard scan codes.
    int32_t nUp = 200, nDown = 208, nLeft = 203, nRight = 205;
    int32_t nAttack0Key = 44, nAttack1Key = 30, nReloadKey = 45, nDashKey = 42;
    int32_t nLeftRollKey = 16, nRightRollKey = 17, nBladeKey = 46;
    // Controller button numbers.
    int32_t nAttack0 = 0, nAttack1 = 2, nReload = 1, nDash = 7;
    int32_t nLeftRoll = 4, nRightRoll = 5, nBlade = 3;

    // An action of the game is bound to the key (scan code) or to the button.
    bool UsesKey(int32_t nScanCode) const
    {
        for (int32_t k : {nUp, nDown, nLeft, nRight, nAttack0Key, nAttack1Key, nReloadKey, nDashKey, nLeftRollKey,
                          nRightRollKey, nBladeKey})
            if (k == nScanCode) return true;
        return false;
    }
    bool UsesButton(int32_t nButton) const
    {
        for (int32_t b : {nAttack0, nAttack1, nReload, nDash, nLeftRoll, nRightRoll, nBlade})
            if (b == nButton) return true;
        return false;
    }
};

class CInputControler {
public:
    static constexpr int kChannels = 2;

    // Sets up SDL's keyboard and controller (the window is not needed by this
    // layer), reading the bindings from korvo.ini and logging every step to
    // "log/dinput.txt" (emptied first).
    CInputControler(void* pWindow, bool bUseKeyboard, bool bUseController);
    // The same on another input layer (takes ownership of pDriver; null gives
    // no devices).
    CInputControler(CInputDriver* pDriver, bool bUseKeyboard, bool bUseController);
    virtual ~CInputControler();
    CInputControler(const CInputControler&) = delete;
    CInputControler& operator=(const CInputControler&) = delete;

    // Slot 0: previous := current, then current := *pRecord. A null record
    // changes nothing. Channels outside 0 ... 1 are ignored.
    virtual void InjectRecord(int nChannel, const CInputRecord* pRecord);

    // Polls the devices into the channel's current record (once per frame). A
    // key or button pressed and released since the last poll counts as held.
    void Update(int nChannel);
    // The devices forget the presses seen since the last poll (a pause ended).
    void ForgetPresses();

    const CInputRecord& GetCurrent(int nChannel) const { return m_Current[Clamp(nChannel)]; }
    const CInputRecord& GetPrevious(int nChannel) const { return m_Previous[Clamp(nChannel)]; }
    const SInputBindings& GetBindings() const { return m_Bindings; }
    bool HasKeyboard() const { return m_pKeyboard != nullptr; }
    // A controller device exists (one may still be unplugged).
    bool HasControllerDevice() const { return m_pController != nullptr; }

    // The 256-byte keyboard state of the last Update, 0/1 per scan code.
    const uint8_t* GetKeyState() const { return m_Keys; }

    CInputRecord m_Previous[kChannels];
    CInputRecord m_Current[kChannels];

private:
    void Construct(bool bUseKeyboard, bool bUseController);
    void LoadBindings();
    bool KeyDown(int32_t nScanCode) const;
    bool ButtonDown(int32_t nButton) const;
    static int Clamp(int nChannel) { return nChannel == 1 ? 1 : 0; }

    CInputDriver* m_pDriver = nullptr;
    CKeyboardDevice* m_pKeyboard = nullptr;
    CControllerDevice* m_pController = nullptr;
    uint8_t m_Keys[256] = {};
    SJoyState m_Joy;
    SInputBindings m_Bindings;
};
