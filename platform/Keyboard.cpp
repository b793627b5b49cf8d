#include "platform/Keyboard.h"

#include <SDL.h>

#include <cstring>

namespace {

struct SKeyPair {
    uint8_t nScan;
    SDL_Scancode nSdl;
};

// The 104 keys of the US board, the ISO 105th key and the Japanese extras.
// Letters and digits are not consecutive in scan-code order (it follows the
// rows of the board), hence a table.
const SKeyPair kKeys[] = {
    {1, SDL_SCANCODE_ESCAPE},
    {2, SDL_SCANCODE_1}, {3, SDL_SCANCODE_2}, {4, SDL_SCANCODE_3}, {5, SDL_SCANCODE_4},
    {6, SDL_SCANCODE_5}, {7, SDL_SCANCODE_6}, {8, SDL_SCANCODE_7}, {9, SDL_SCANCODE_8},
    {10, SDL_SCANCODE_9}, {11, SDL_SCANCODE_0},
    {12, SDL_SCANCODE_MINUS}, {13, SDL_SCANCODE_EQUALS}, {14, SDL_SCANCODE_BACKSPACE},
    {15, SDL_SCANCODE_TAB},
    {16, SDL_SCANCODE_Q}, {17, SDL_SCANCODE_W}, {18, SDL_SCANCODE_E}, {19, SDL_SCANCODE_R},
    {20, SDL_SCANCODE_T}, {21, SDL_SCANCODE_Y}, {22, SDL_SCANCODE_U}, {23, SDL_SCANCODE_I},
    {24, SDL_SCANCODE_O}, {25, SDL_SCANCODE_P},
    {26, SDL_SCANCODE_LEFTBRACKET}, {27, SDL_SCANCODE_RIGHTBRACKET}, {28, SDL_SCANCODE_RETURN},
    {29, SDL_SCANCODE_LCTRL},
    {30, SDL_SCANCODE_A}, {31, SDL_SCANCODE_S}, {32, SDL_SCANCODE_D}, {33, SDL_SCANCODE_F},
    {34, SDL_SCANCODE_G}, {35, SDL_SCANCODE_H}, {36, SDL_SCANCODE_J}, {37, SDL_SCANCODE_K},
    {38, SDL_SCANCODE_L},
    {39, SDL_SCANCODE_SEMICOLON}, {40, SDL_SCANCODE_APOSTROPHE}, {41, SDL_SCANCODE_GRAVE},
    {42, SDL_SCANCODE_LSHIFT}, {43, SDL_SCANCODE_BACKSLASH},
    {44, SDL_SCANCODE_Z}, {45, SDL_SCANCODE_X}, {46, SDL_SCANCODE_C}, {47, SDL_SCANCODE_V},
    {48, SDL_SCANCODE_B}, {49, SDL_SCANCODE_N}, {50, SDL_SCANCODE_M},
    {51, SDL_SCANCODE_COMMA}, {52, SDL_SCANCODE_PERIOD}, {53, SDL_SCANCODE_SLASH},
    {54, SDL_SCANCODE_RSHIFT}, {55, SDL_SCANCODE_KP_MULTIPLY}, {56, SDL_SCANCODE_LALT},
    {57, SDL_SCANCODE_SPACE}, {58, SDL_SCANCODE_CAPSLOCK},
    {59, SDL_SCANCODE_F1}, {60, SDL_SCANCODE_F2}, {61, SDL_SCANCODE_F3}, {62, SDL_SCANCODE_F4},
    {63, SDL_SCANCODE_F5}, {64, SDL_SCANCODE_F6}, {65, SDL_SCANCODE_F7}, {66, SDL_SCANCODE_F8},
    {67, SDL_SCANCODE_F9}, {68, SDL_SCANCODE_F10},
    {69, SDL_SCANCODE_NUMLOCKCLEAR}, {70, SDL_SCANCODE_SCROLLLOCK},
    {71, SDL_SCANCODE_KP_7}, {72, SDL_SCANCODE_KP_8}, {73, SDL_SCANCODE_KP_9},
    {74, SDL_SCANCODE_KP_MINUS},
    {75, SDL_SCANCODE_KP_4}, {76, SDL_SCANCODE_KP_5}, {77, SDL_SCANCODE_KP_6},
    {78, SDL_SCANCODE_KP_PLUS},
    {79, SDL_SCANCODE_KP_1}, {80, SDL_SCANCODE_KP_2}, {81, SDL_SCANCODE_KP_3},
    {82, SDL_SCANCODE_KP_0}, {83, SDL_SCANCODE_KP_PERIOD},
    {86, SDL_SCANCODE_NONUSBACKSLASH},
    {87, SDL_SCANCODE_F11}, {88, SDL_SCANCODE_F12},
    {100, SDL_SCANCODE_F13}, {101, SDL_SCANCODE_F14}, {102, SDL_SCANCODE_F15},
    {112, SDL_SCANCODE_INTERNATIONAL2},  // kana
    {115, SDL_SCANCODE_INTERNATIONAL1},  // ro
    {121, SDL_SCANCODE_INTERNATIONAL4},  // henkan
    {123, SDL_SCANCODE_INTERNATIONAL5},  // muhenkan
    {125, SDL_SCANCODE_INTERNATIONAL3},  // yen
    {141, SDL_SCANCODE_KP_EQUALS},
    {156, SDL_SCANCODE_KP_ENTER}, {157, SDL_SCANCODE_RCTRL},
    {179, SDL_SCANCODE_KP_COMMA},
    {181, SDL_SCANCODE_KP_DIVIDE}, {183, SDL_SCANCODE_PRINTSCREEN}, {184, SDL_SCANCODE_RALT},
    {197, SDL_SCANCODE_PAUSE},
    {199, SDL_SCANCODE_HOME}, {200, SDL_SCANCODE_UP}, {201, SDL_SCANCODE_PAGEUP},
    {203, SDL_SCANCODE_LEFT}, {205, SDL_SCANCODE_RIGHT},
    {207, SDL_SCANCODE_END}, {208, SDL_SCANCODE_DOWN}, {209, SDL_SCANCODE_PAGEDOWN},
    {210, SDL_SCANCODE_INSERT}, {211, SDL_SCANCODE_DELETE},
    {219, SDL_SCANCODE_LGUI}, {220, SDL_SCANCODE_RGUI}, {221, SDL_SCANCODE_APPLICATION},
    {222, SDL_SCANCODE_POWER}, {223, SDL_SCANCODE_SLEEP},
};

struct STables {
    uint8_t scanFromSdl[SDL_NUM_SCANCODES] = {};
    int sdlFromScan[KEYBOARD_STATE_SIZE] = {};
    STables()
    {
        for (const SKeyPair& k : kKeys) {
            scanFromSdl[k.nSdl] = k.nScan;
            sdlFromScan[k.nScan] = k.nSdl;
        }
    }
};

const STables& Tables()
{
    static const STables t;
    return t;
}

}  // namespace

uint8_t ScanCodeFromSdl(int nSdlScancode)
{
    if (nSdlScancode < 0 || nSdlScancode >= SDL_NUM_SCANCODES)
        return 0;
    return Tables().scanFromSdl[nSdlScancode];
}

int SdlFromScanCode(uint8_t nScanCode)
{
    return Tables().sdlFromScan[nScanCode];
}

CSdlKeyboard::CSdlKeyboard() { SDL_AddEventWatch(&CSdlKeyboard::OnEvent, this); }

CSdlKeyboard::~CSdlKeyboard() { SDL_DelEventWatch(&CSdlKeyboard::OnEvent, this); }

// Sees every event as it is queued, before anyone takes it from the queue.
int CSdlKeyboard::OnEvent(void* pUser, SDL_Event* pEvent)
{
    if (pEvent->type == SDL_KEYDOWN && !pEvent->key.repeat) {
        const uint8_t nScan = ScanCodeFromSdl(pEvent->key.keysym.scancode);
        if (nScan != 0) static_cast<CSdlKeyboard*>(pUser)->m_Pressed.Press(nScan);
    }
    return 1;
}

bool CSdlKeyboard::GetState(uint8_t* pKeys)
{
    std::memset(pKeys, 0, KEYBOARD_STATE_SIZE);
    int nKeys = 0;
    const Uint8* pState = SDL_GetKeyboardState(&nKeys);
    if (!pState)
        return false;
    for (const SKeyPair& k : kKeys) {
        // Take() for every key, so that a held key leaves no press behind.
        const bool bPressed = m_Pressed.Take(k.nScan);
        if ((k.nSdl < nKeys && pState[k.nSdl]) || bPressed)
            pKeys[k.nScan] = 0x80;
    }
    return true;
}
