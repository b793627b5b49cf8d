#include "platform/Controller.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

SDL_GameController* Pad(void* p)
{
    return static_cast<SDL_GameController*>(p);
}
SDL_Joystick* Joy(void* p)
{
    return static_cast<SDL_Joystick*>(p);
}

// The pad's buttons in the order the classic interface numbers them.
const SDL_GameControllerButton kPadButtons[] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,          SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,      SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
};

int32_t Centre(int32_t nMin, int32_t nMax)
{
    return static_cast<int32_t>(nMin + (static_cast<int64_t>(nMax) - nMin) / 2);
}

// -1, 0 or +1 along one axis of a hat (both opposite directions: 0).
int HatDirection(unsigned nHat, unsigned nMinus, unsigned nPlus)
{
    return ((nHat & nPlus) ? 1 : 0) - ((nHat & nMinus) ? 1 : 0);
}

// An axis left at the default range 0 ... 65535.
int32_t Unscaled(int nRaw)
{
    return nRaw + 32768;
}

}  // namespace

int32_t ScaleJoystickAxis(int nRaw, int32_t nMin, int32_t nMax, int nDeadZone, int nSaturation)
{
    const int32_t nCentre = Centre(nMin, nMax);
    if (nRaw == 0)
        return nCentre;
    const double t = std::abs(nRaw) / (nRaw < 0 ? 32768.0 : 32767.0);
    const double dz = std::clamp(nDeadZone, 0, 10000) / 10000.0;
    const double sat = std::clamp(nSaturation, 0, 10000) / 10000.0;
    if (t <= dz)
        return nCentre;
    if (t >= sat)
        return nRaw > 0 ? nMax : nMin;
    const double fHalf = nRaw > 0 ? static_cast<double>(nMax) - nCentre : static_cast<double>(nCentre) - nMin;
    const long nOffset = std::lround((t - dz) / (sat - dz) * fHalf);  // half away from zero
    return static_cast<int32_t>(nRaw > 0 ? nCentre + nOffset : nCentre - nOffset);
}

int PadButtonNumber(int nSdlButton)
{
    for (int i = 0; i < static_cast<int>(sizeof kPadButtons / sizeof kPadButtons[0]); ++i)
        if (kPadButtons[i] == nSdlButton) return i;
    return -1;
}

uint32_t PovFromHat(unsigned nHat)
{
    const int dx = HatDirection(nHat, SDL_HAT_LEFT, SDL_HAT_RIGHT);
    const int dy = HatDirection(nHat, SDL_HAT_UP, SDL_HAT_DOWN);
    static const uint32_t kPov[3][3] = {
        // dx = -1, 0, +1
        {31500, 0, 4500},             // up
        {27000, 0xFFFFFFFFu, 9000},   // level
        {22500, 18000, 13500},        // down
    };
    return kPov[dy + 1][dx + 1];
}

CSdlController::CSdlController() = default;

CSdlController::~CSdlController()
{
    Close();
    if (m_bInitialized) {
        SDL_DelEventWatch(&CSdlController::OnEvent, this);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
}

bool CSdlController::Initialize()
{
    if (!m_bInitialized) {
        m_bInitialized = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
        if (m_bInitialized) SDL_AddEventWatch(&CSdlController::OnEvent, this);
    }
    if (m_bInitialized)
        OpenFirst();
    return m_bInitialized;
}

void CSdlController::Close()
{
    if (m_pPad)
        SDL_GameControllerClose(Pad(m_pPad));
    else if (m_pJoystick)
        SDL_JoystickClose(Joy(m_pJoystick));
    m_pPad = nullptr;
    m_pJoystick = nullptr;
    m_nInstance = -1;
    m_bPad = false;
    m_Pressed.Clear();
}

bool CSdlController::OpenFirst()
{
    const int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i) {
        if (SDL_IsGameController(i)) {
            if (SDL_GameController* pPad = SDL_GameControllerOpen(i)) {
                m_pPad = pPad;
                m_pJoystick = SDL_GameControllerGetJoystick(pPad);
                Opened();
                return true;
            }
        } else if (SDL_Joystick* pJoy = SDL_JoystickOpen(i)) {
            m_pJoystick = pJoy;
            Opened();
            return true;
        }
    }
    return false;
}

void CSdlController::Opened()
{
    m_nInstance = SDL_JoystickInstanceID(Joy(m_pJoystick));
    m_bPad = m_pPad != nullptr;
    m_Pressed.Clear();
}

// Sees every event of the open controller as it is queued. A pad reports its
// buttons through the mapping; a joystick without one through its raw numbers.
int CSdlController::OnEvent(void* pUser, SDL_Event* pEvent)
{
    CSdlController& self = *static_cast<CSdlController*>(pUser);
    const int32_t nInstance = self.m_nInstance;
    const bool bPad = self.m_bPad;
    switch (pEvent->type) {
    case SDL_CONTROLLERBUTTONDOWN:
        if (!bPad || pEvent->cbutton.which != nInstance) break;
        switch (pEvent->cbutton.button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP: self.m_Pressed.Press(kHatLatch + 0); break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: self.m_Pressed.Press(kHatLatch + 1); break;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN: self.m_Pressed.Press(kHatLatch + 2); break;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: self.m_Pressed.Press(kHatLatch + 3); break;
        default: self.m_Pressed.Press(PadButtonNumber(pEvent->cbutton.button)); break;
        }
        break;
    case SDL_JOYBUTTONDOWN:
        if (!bPad && pEvent->jbutton.which == nInstance && pEvent->jbutton.button < 32)
            self.m_Pressed.Press(pEvent->jbutton.button);
        break;
    case SDL_JOYHATMOTION:
        if (!bPad && pEvent->jhat.which == nInstance && pEvent->jhat.hat == 0)
            for (int bit = 0; bit < 4; ++bit)
                if (pEvent->jhat.value & (1u << bit)) self.m_Pressed.Press(kHatLatch + bit);
        break;
    default: break;
    }
    return 1;
}

bool CSdlController::IsAttached() const
{
    return m_pJoystick && SDL_JoystickGetAttached(Joy(m_pJoystick));
}

std::string CSdlController::GetName() const
{
    const char* p = nullptr;
    if (m_pPad)
        p = SDL_GameControllerName(Pad(m_pPad));
    else if (m_pJoystick)
        p = SDL_JoystickName(Joy(m_pJoystick));
    return p ? p : "";
}

bool CSdlController::SetAxisRange(int32_t nMin, int32_t nMax)
{
    if (nMin >= nMax)
        return false;
    m_nMin = nMin;
    m_nMax = nMax;
    return true;
}

bool CSdlController::SetDeadZone(int nDeadZone)
{
    if (nDeadZone < 0 || nDeadZone > 10000)
        return false;
    m_nDeadZone = nDeadZone;
    return true;
}

bool CSdlController::Poll()
{
    if (!m_bInitialized)
        return false;
    // Reads the devices and notices controllers plugged in or pulled out.
    SDL_JoystickUpdate();
    if (m_pJoystick && !SDL_JoystickGetAttached(Joy(m_pJoystick)))
        Close();
    if (!m_pJoystick)
        OpenFirst();
    return IsAttached();
}

bool CSdlController::GetState(SJoyState& st)
{
    st = SJoyState();
    if (!IsAttached())
        return false;
    int nX = 0, nY = 0;
    unsigned nHat = 0;
    if (m_pPad) {
        SDL_GameController* p = Pad(m_pPad);
        nX = SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_LEFTX);
        nY = SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_LEFTY);
        st.lRx = Unscaled(SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_RIGHTX));
        st.lRy = Unscaled(SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_RIGHTY));
        // Both triggers share one axis: left toward +, right toward -.
        st.lZ = 32767 + SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_TRIGGERLEFT) -
                SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
        for (int i = 0; i < static_cast<int>(sizeof kPadButtons / sizeof kPadButtons[0]); ++i)
            st.rgbButtons[i] = SDL_GameControllerGetButton(p, kPadButtons[i]) ? 0x80 : 0;
        nHat = (SDL_GameControllerGetButton(p, SDL_CONTROLLER_BUTTON_DPAD_UP) ? SDL_HAT_UP : 0u) |
               (SDL_GameControllerGetButton(p, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) ? SDL_HAT_RIGHT : 0u) |
               (SDL_GameControllerGetButton(p, SDL_CONTROLLER_BUTTON_DPAD_DOWN) ? SDL_HAT_DOWN : 0u) |
               (SDL_GameControllerGetButton(p, SDL_CONTROLLER_BUTTON_DPAD_LEFT) ? SDL_HAT_LEFT : 0u);
    } else {
        SDL_Joystick* j = Joy(m_pJoystick);
        const int nAxes = SDL_JoystickNumAxes(j);
        nX = nAxes > 0 ? SDL_JoystickGetAxis(j, 0) : 0;
        nY = nAxes > 1 ? SDL_JoystickGetAxis(j, 1) : 0;
        st.lZ = nAxes > 2 ? Unscaled(SDL_JoystickGetAxis(j, 2)) : 0;
        st.lRx = nAxes > 3 ? Unscaled(SDL_JoystickGetAxis(j, 3)) : 0;
        st.lRy = nAxes > 4 ? Unscaled(SDL_JoystickGetAxis(j, 4)) : 0;
        st.lRz = nAxes > 5 ? Unscaled(SDL_JoystickGetAxis(j, 5)) : 0;
        const int nButtons = SDL_JoystickNumButtons(j);
        for (int i = 0; i < nButtons && i < 32; ++i)
            st.rgbButtons[i] = SDL_JoystickGetButton(j, i) ? 0x80 : 0;
        if (SDL_JoystickNumHats(j) > 0)
            nHat = SDL_JoystickGetHat(j, 0);
    }
    // Taps since the last read (SDL_HAT_UP, RIGHT, DOWN, LEFT are bits 0 ... 3).
    for (int i = 0; i < 32; ++i)
        if (m_Pressed.Take(i)) st.rgbButtons[i] = 0x80;
    for (int bit = 0; bit < 4; ++bit)
        if (m_Pressed.Take(kHatLatch + bit)) nHat |= 1u << bit;
    st.rgdwPOV[0] = PovFromHat(nHat);
    st.lX = ScaleJoystickAxis(nX, m_nMin, m_nMax, m_nDeadZone);
    st.lY = ScaleJoystickAxis(nY, m_nMin, m_nMax, m_nDeadZone);
    // The d-pad steers like a stick pushed fully, while the stick rests.
    const int32_t nCentre = Centre(m_nMin, m_nMax);
    const int dx = HatDirection(nHat, SDL_HAT_LEFT, SDL_HAT_RIGHT);
    const int dy = HatDirection(nHat, SDL_HAT_UP, SDL_HAT_DOWN);
    if (st.lX == nCentre && dx != 0)
        st.lX = dx > 0 ? m_nMax : m_nMin;
    if (st.lY == nCentre && dy != 0)
        st.lY = dy > 0 ? m_nMax : m_nMin;
    return true;
}
