// The input layer under CInputControler: makes the keyboard and the game
// controller devices. A test gives CInputControler a driver of its own to feed
// chosen key and stick states.
#pragma once

#include "platform/Controller.h"
#include "platform/Keyboard.h"

class CInputDriver {
public:
    virtual ~CInputDriver() = default;
    // Starts the input layer; false when it cannot (no devices then).
    virtual bool Initialize() = 0;
    // New devices, owned by the caller; null when the device cannot be created.
    // A controller device exists even while no controller is plugged in, so
    // that one plugged in later is picked up.
    virtual CKeyboardDevice* CreateKeyboard() = 0;
    virtual CControllerDevice* CreateController() = 0;
};

// SDL's keyboard state and its joysticks / game controllers.
class CSdlInputDriver : public CInputDriver {
public:
    ~CSdlInputDriver() override;
    bool Initialize() override;
    CKeyboardDevice* CreateKeyboard() override;
    CControllerDevice* CreateController() override;

private:
    bool m_bEvents = false;
};
