#include "platform/InputDriver.h"

#include <SDL.h>

CSdlInputDriver::~CSdlInputDriver()
{
    if (m_bEvents)
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

bool CSdlInputDriver::Initialize()
{
    if (!m_bEvents)
        m_bEvents = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
    return m_bEvents;
}

CKeyboardDevice* CSdlInputDriver::CreateKeyboard()
{
    return new CSdlKeyboard();
}

CControllerDevice* CSdlInputDriver::CreateController()
{
    CSdlController* p = new CSdlController();
    if (!p->Initialize()) {
        delete p;
        return nullptr;
    }
    return p;
}
