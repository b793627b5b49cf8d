// korvo-config, the game's companion settings program: the score name in
// "critical.ini", the graphics keys and the key and controller bindings in
// "korvo.ini". Both files are read whole and rewritten whole through
// CSettingsFile, so every key this program does not own is kept.
//
// The logic lives here, apart from main(), so that it can be tested in-process.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/Text.h"

// The settings file of graphics keys and bindings.
inline constexpr const char* kSettingsFile = "korvo.ini";

// A score name is stored in every replay header as at most this many bytes.
inline constexpr std::size_t kReplayScoreNameBytes = 16;

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a file or the game's folder could not be written, or input ended
inline constexpr int kExitUsage = 2;   // a command line or value that cannot be used

// --- Keyboard keys --------------------------------------------------------
// Key names as a player writes them, matched without regard to case, mapped to
// the keyboard scan codes the game stores in korvo.ini.

// The scan code of a key name; "#N" gives the raw code N (0-255) and "None"
// gives 0 (no key). -1 when the name is unknown.
int ScanCodeFromName(std::string_view name);

// The usual name of a scan code ("Z", "Up", "LShift"), "None" for 0, and "#N"
// for a code without a name.
std::string NameOfScanCode(int code);

// Every named key with its code, in scan-code order (for --keys).
struct SKeyName {
    const char* m_pszName;
    int m_nCode;
};
const std::vector<SKeyName>& KeyNames();

// --- Controller buttons ---------------------------------------------------

// A button number 0-31, or one of the pad names A, B, X, Y, LB, RB, Back,
// Start, LS, RS (any case). -1 when neither.
int PadButtonFromName(std::string_view name);
// "0 (A)", "7 (Start)", "12".
std::string NameOfPadButton(int button);

// --- Bindings -------------------------------------------------------------

struct SBinding {
    const char* m_pszAction;  // the name used with --bind ("attack0", "pad.attack0")
    const char* m_pszIniKey;  // its key in korvo.ini
    int m_nDefault;           // the game's default scan code or button
    bool m_bPad;              // a controller button rather than a keyboard key
};
// The eleven keyboard bindings, then the seven controller buttons, in the
// order the game reads them.
const std::vector<SBinding>& Bindings();
// nullptr when the action is unknown (case-insensitive).
const SBinding* FindBinding(std::string_view action);

// The value the game takes for a binding from a korvo.ini value: the default
// for an empty value, else the decimal prefix (letters give 0).
int EffectiveBinding(const SBinding& binding, std::string_view stored);

// Checks a --bind value and gives the text to store ("" restores the default
// through the word "default"). False with a message for a bad value.
bool ParseBindingValue(const SBinding& binding, std::string_view value, std::string& stored,
                       std::string& error);

// --- Graphics keys --------------------------------------------------------

// windowmode, vsync, bitdepth, behavior, modelquality, windowscale.
const std::vector<std::string>& GraphicsKeys();
bool IsGraphicsKey(std::string_view key);
// Checks a --set value for a graphics key and gives the text to store ("" for
// "default"). False with a message for a bad value.
bool ParseGraphicsValue(std::string_view key, std::string_view value, std::string& stored,
                        std::string& error);
// What a stored graphics value means to the game ("a window", "16-bit", ...).
std::string DescribeGraphicsValue(std::string_view key, std::string_view stored);

// --- Score name -----------------------------------------------------------

// The longest prefix of text of at most maxBytes bytes that ends on a UTF-8
// character boundary (text must be valid UTF-8).
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// Checks a score name and gives the text to store: blanks at both ends are
// dropped; an empty name, bytes that are not UTF-8 or a control character
// (a line feed would break the file; C1 controls and direction overrides would
// garble a terminal or the replay list) are refused with a message. A name longer
// than a replay keeps is cut to 16 bytes at a character boundary, with a
// warning, so that records and replays show the same name.
bool PrepareScoreName(std::string_view name, std::string& stored, std::string& error,
                      std::string& warning);

// --- The program ----------------------------------------------------------

struct SConfigIo {
    std::istream& m_In;
    std::ostream& m_Out;
    std::ostream& m_Err;
    bool m_bTerminal;  // standard input is a terminal (interactive questions allowed)
};

// Runs the program with args (without the program name). Every argument is
// checked before any file is written; a usage error writes nothing.
int RunKorvoConfig(const std::vector<std::string>& args, SConfigIo& io);

// The --help text.
std::string KorvoConfigHelp();
