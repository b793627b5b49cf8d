#include "tools/korvo-config/KorvoConfig.h"

#include "core/Util.h"

#include <cstdio>

namespace {

// The first name of a code is the one shown; the others are accepted too.
// Scan codes follow the rows of the board, so letters and digits are listed
// one by one rather than computed.
const std::vector<SKeyName> kKeyNames = {
    {"Escape", 1}, {"Esc", 1},
    {"1", 2}, {"2", 3}, {"3", 4}, {"4", 5}, {"5", 6}, {"6", 7}, {"7", 8}, {"8", 9}, {"9", 10},
    {"0", 11},
    {"Minus", 12}, {"-", 12}, {"Equals", 13}, {"=", 13},
    {"Backspace", 14}, {"Back", 14}, {"Tab", 15},
    {"Q", 16}, {"W", 17}, {"E", 18}, {"R", 19}, {"T", 20}, {"Y", 21}, {"U", 22}, {"I", 23},
    {"O", 24}, {"P", 25},
    {"LBracket", 26}, {"[", 26}, {"RBracket", 27}, {"]", 27},
    {"Enter", 28}, {"Return", 28}, {"LCtrl", 29}, {"LControl", 29},
    {"A", 30}, {"S", 31}, {"D", 32}, {"F", 33}, {"G", 34}, {"H", 35}, {"J", 36}, {"K", 37},
    {"L", 38},
    {"Semicolon", 39}, {";", 39}, {"Apostrophe", 40}, {"'", 40}, {"Grave", 41}, {"`", 41},
    {"LShift", 42}, {"Shift", 42}, {"Backslash", 43}, {"\\", 43},
    {"Z", 44}, {"X", 45}, {"C", 46}, {"V", 47}, {"B", 48}, {"N", 49}, {"M", 50},
    {"Comma", 51}, {",", 51}, {"Period", 52}, {".", 52}, {"Slash", 53}, {"/", 53},
    {"RShift", 54}, {"NumpadMultiply", 55}, {"Numpad*", 55},
    {"LAlt", 56}, {"Alt", 56}, {"Space", 57}, {"CapsLock", 58},
    {"F1", 59}, {"F2", 60}, {"F3", 61}, {"F4", 62}, {"F5", 63}, {"F6", 64}, {"F7", 65},
    {"F8", 66}, {"F9", 67}, {"F10", 68},
    {"NumLock", 69}, {"ScrollLock", 70},
    {"Numpad7", 71}, {"Numpad8", 72}, {"Numpad9", 73}, {"NumpadMinus", 74}, {"Numpad-", 74},
    {"Numpad4", 75}, {"Numpad5", 76}, {"Numpad6", 77}, {"NumpadPlus", 78}, {"Numpad+", 78},
    {"Numpad1", 79}, {"Numpad2", 80}, {"Numpad3", 81}, {"Numpad0", 82},
    {"NumpadPeriod", 83}, {"Numpad.", 83},
    {"ISOBackslash", 86}, {"<", 86},
    {"F11", 87}, {"F12", 88}, {"F13", 100}, {"F14", 101}, {"F15", 102},
    {"Kana", 112}, {"Ro", 115}, {"Henkan", 121}, {"Convert", 121},
    {"Muhenkan", 123}, {"NoConvert", 123}, {"Yen", 125},
    {"NumpadEquals", 141}, {"NumpadEnter", 156}, {"RCtrl", 157}, {"RControl", 157},
    {"NumpadComma", 179}, {"NumpadSlash", 181}, {"NumpadDivide", 181}, {"Numpad/", 181},
    {"PrintScreen", 183}, {"RAlt", 184}, {"AltGr", 184}, {"Pause", 197},
    {"Home", 199}, {"Up", 200}, {"PageUp", 201}, {"Left", 203}, {"Right", 205},
    {"End", 207}, {"Down", 208}, {"PageDown", 209}, {"Insert", 210}, {"Delete", 211},
    {"LWin", 219}, {"RWin", 220}, {"Menu", 221}, {"Apps", 221},
};

const char* const kPadNames[] = {"A", "B", "X", "Y", "LB", "RB", "Back", "Start", "LS", "RS"};

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char ca = a[i], cb = b[i];
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb - 'A' + 'a');
        if (ca != cb)
            return false;
    }
    return true;
}

// A whole decimal number within [lo, hi]; no sign, blanks or trailing text.
bool ParseWhole(std::string_view text, int lo, int hi, int& value)
{
    if (text.empty() || text.size() > 4)
        return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi)
        return false;
    value = v;
    return true;
}

const std::vector<SBinding> kBindings = {
    {"up", "upkey", 200, false},
    {"down", "downkey", 208, false},
    {"left", "leftkey", 203, false},
    {"right", "rightkey", 205, false},
    {"attack0", "attack0key", 44, false},
    {"attack1", "attack1key", 30, false},
    {"reload", "reloadkey", 45, false},
    {"dash", "dashkey", 42, false},
    {"leftroll", "leftrollkey", 16, false},
    {"rightroll", "rightrollkey", 17, false},
    {"blade", "bladekey", 46, false},
    {"pad.attack0", "attack0", 0, true},
    {"pad.attack1", "attack1", 2, true},
    {"pad.reload", "reload", 1, true},
    {"pad.dash", "dash", 7, true},
    {"pad.blade", "blade", 3, true},
    {"pad.leftroll", "leftroll", 4, true},
    {"pad.rightroll", "rightroll", 5, true},
};

} // namespace

int ScanCodeFromName(std::string_view name)
{
    if (EqualNoCase(name, "None"))
        return 0;
    if (name.size() > 1 && name[0] == '#') {
        int code = 0;
        return ParseWhole(name.substr(1), 0, 255, code) ? code : -1;
    }
    for (const SKeyName& k : kKeyNames)
        if (EqualNoCase(name, k.m_pszName))
            return k.m_nCode;
    return -1;
}

std::string NameOfScanCode(int code)
{
    if (code == 0)
        return "None";
    for (const SKeyName& k : kKeyNames)
        if (k.m_nCode == code)
            return k.m_pszName;
    return "#" + std::to_string(code);
}

const std::vector<SKeyName>& KeyNames()
{
    return kKeyNames;
}

int PadButtonFromName(std::string_view name)
{
    int button = 0;
    if (ParseWhole(name, 0, 31, button))
        return button;
    for (int i = 0; i < static_cast<int>(std::size(kPadNames)); ++i)
        if (EqualNoCase(name, kPadNames[i]))
            return i;
    return -1;
}

std::string NameOfPadButton(int button)
{
    std::string text = std::to_string(button);
    if (button >= 0 && button < static_cast<int>(std::size(kPadNames)))
        text += std::string(" (") + kPadNames[button] + ")";
    return text;
}

const std::vector<SBinding>& Bindings()
{
    return kBindings;
}

const SBinding* FindBinding(std::string_view action)
{
    for (const SBinding& b : kBindings)
        if (EqualNoCase(action, b.m_pszAction))
            return &b;
    return nullptr;
}

int EffectiveBinding(const SBinding& binding, std::string_view stored)
{
    return stored.empty() ? binding.m_nDefault : ParseDecimal(stored);
}

bool ParseBindingValue(const SBinding& binding, std::string_view value, std::string& stored,
                       std::string& error)
{
    if (EqualNoCase(value, "default")) {
        stored.clear();  // an empty value gives the game's default
        return true;
    }
    if (binding.m_bPad) {
        const int button = PadButtonFromName(value);
        if (button < 0) {
            error = "\"" + std::string(value) + "\" is not a controller button for " +
                    binding.m_pszAction + ": write 0-31 or A, B, X, Y, LB, RB, Back, Start, LS, RS";
            return false;
        }
        stored = std::to_string(button);
        return true;
    }
    const int code = ScanCodeFromName(value);
    if (code < 0) {
        error = "unknown key name \"" + std::string(value) + "\" for " + binding.m_pszAction +
                " (korvo-config --keys lists the names; #N gives scan code N)";
        return false;
    }
    stored = std::to_string(code);
    return true;
}
