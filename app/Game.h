// The program entry: start-up in the designed order, the main loop, shut-down.
#pragma once

class CInputControler;
class CTexture;

// The whole program; returns the process exit code: 0 normal end (also after a
// failed graphics set-up), 1 another copy runs, 255 (-1) no score name, no
// resource library or records that cannot be read, 2 a command line (or input
// script, --home folder or --audio-out file) that cannot be used, 3 no display
// to open the window on (without --headless).
int KorvoMain(int argc, const char* const* argv);

inline constexpr int kExitNoDisplay = 3;

// A picture of the window icon: the bytes of a PNG file.
struct SIconPng {
    const unsigned char* pData;
    unsigned long nSize;
};
// The window's icon in its sizes, set before KorvoMain (main gives the ones
// the build embeds); without them the window has the desktop's default.
void SetGameIcons(const SIconPng* icons, int count);

// Pieces of the start and end, in the order KorvoMain runs them:
// the global objects (fader, sky box) before the window ...
void SetUpGlobals();
// ... the world once the graphics device is up: the device linked for the
// objects, the noise handed to it, the play-field viewport, the world anchor ...
void StartWorld();
// ... the asset set, loaded behind the start-up picture, and the objects made
// from it: the world's residents (the craft ...) and the menus' models ...
void LoadGameAssets();
// ... and at the end, in order: the world cleared, the stage pictures, the
// music, the asset set with its objects (ReleaseGameAssets), the loading
// picture and the anchor released ...
void StopWorld();
void ReleaseGameAssets();
// ... then the graphics device (unlinked first), the input and the sound
// devices ...
void ReleaseDevices();
// ... and after the window, the global objects.
void TearDownGlobals();

// The single-instance lock's name.
inline constexpr const char* kInstanceLockName = "KorvoZeta";
// The window class: names the profile file "profile/korvoh.txt".
inline constexpr const char* kWindowClassName = "korvoh";
inline constexpr const char* kWindowTitle = "Meridane Zeta";
// Shown when no score name is set, followed by how to set one on this system
// (the design's settings program has a different name here).
inline constexpr const char* kNoScoreNameMessage = "先に config.exe を起動しスコアネームを設定して下さい。";
inline constexpr const char* kSetScoreNameHint = "Set a score name with: korvo-config --name NAME";
inline constexpr const char* kNoDisplayMessage =
    "no display to open the game window on (DISPLAY and WAYLAND_DISPLAY name none that answers); "
    "run with --headless to play without one";
// Warnings about the game's files (one that is not a file, records that could
// not be saved), beside standard error.
inline constexpr const char* kWarningLogFile = "log/warnings.txt";

extern CInputControler* g_pInput;
// The start-up loading picture, resource "#342" of type "TEXTURE"; null when
// neither the library nor an override file is there.
extern CTexture* g_pLoadingTexture;
