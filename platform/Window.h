// The game window on SDL2: one borderless 640 x 480 window (scaled by a whole
// factor), or borderless desktop full screen with the picture letterboxed, or, in
// headless mode, an offscreen surface with no window at all (SDL's offscreen video
// driver over EGL). It owns the OpenGL context and turns SDL's events into the few
// the game window handles; other subsystems can watch the raw events through hooks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/GlRenderer.h"

union SDL_Event;

struct SDisplayModeInfo {
    int width = 0, height = 0;
    int refreshRate = 0;   // Hz; 0 when unknown
    int bitsPerPixel = 0;
};

struct SWindowConfig {
    int width = 640;           // logical size; the window is width * scale pixels wide
    int height = 480;
    int scale = 1;
    int x = 0, y = 0;          // top-left corner on the desktop
    bool fullScreen = false;   // borderless desktop full screen
    bool headless = false;     // offscreen: no window, no display
    bool openGl = true;        // false for the null renderer: no context
    // Size of the surface in pixels when not 0: a headless surface of a display's
    // size stands in for full screen (tests of the letterboxing).
    int surfaceWidth = 0, surfaceHeight = 0;
    const char* title = "";
};

// One size of the window's icon: R, G, B, A bytes, rows top first.
struct SWindowIcon {
    int width = 0, height = 0;
    const uint8_t* pRgba = nullptr;
};

enum class EWindowEvent {
    None,
    CloseRequest,   // the window manager asks the window to close
    KeyDown,
    KeyUp,
    MouseDown,      // left button
    MouseUp,        // left button
    MouseMove,
    FocusLost,      // the window lost the keyboard focus or was minimised
    PadButtonDown,  // a button of the opened game controller
    PadButtonUp,
    Other,
};

// The keys the window itself acts on (the game reads its bindings from the
// keyboard state); the last row are the controls of a watched replay.
enum class EWindowKey {
    Other, Escape, F11, Enter, Pause, P,
    Digit1, Digit2, Digit3, Digit4, F, Period, LeftBracket, RightBracket, PageUp, PageDown, H,
};

struct SWindowEvent {
    EWindowEvent type = EWindowEvent::None;
    EWindowKey key = EWindowKey::Other;
    bool repeat = false;   // key repeat
    bool alt = false;      // KeyDown: an Alt key is held
    int button = -1;       // PadButtonDown/Up: the button's number (platform/Controller.h)
    int x = 0, y = 0;      // mouse position in window pixels
};

// Raw SDL events for other subsystems (controller hot-plugging, keyboard state):
// every hook sees every event the loop pumps, before the window handles it.
using WindowEventHook = void (*)(const SDL_Event& event, void* user);
void AddWindowEventHook(WindowEventHook hook, void* user);
void RemoveWindowEventHook(WindowEventHook hook, void* user);

class CWindow : public CGlSurface {
public:
    CWindow() = default;
    ~CWindow() override;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // Initialises SDL video (the offscreen driver when headless) and creates the
    // window hidden. False with a reason on failure.
    bool Create(const SWindowConfig& config, std::string& error);
    // Creates the OpenGL 3.3 core context and makes it current.
    bool CreateGlContext(std::string& error);
    void Destroy();
    bool IsCreated() const { return m_pWindow != nullptr; }
    bool IsHeadless() const { return m_Config.headless; }
    bool IsFullScreen() const { return m_Config.fullScreen; }
    // Between a window of 640 x 480 times the scale, at the position it had, and
    // borderless desktop full screen. False when the system refuses.
    bool SetFullScreen(bool fullScreen);

    void Show();
    bool IsShown() const;
    void SetTitle(const char* title);
    // The window's icon in several sizes; the desktop shows the one that suits
    // it (under X11 all sizes are offered, elsewhere the largest).
    void SetIcons(const SWindowIcon* icons, int count);
    // The window's place on the desktop; in full screen, the place it takes
    // again as a window.
    void GetPosition(int& x, int& y) const;
    void SetPosition(int x, int y);
    void SetCursorVisible(bool visible);
    // The mouse position on the desktop.
    void GetGlobalMouse(int& x, int& y) const;
    void CaptureMouse(bool capture);

    // Refresh rate of the window's display in Hz; 0 when unknown.
    int GetRefreshRate() const;
    // 1: wait for the display; 0: do not. False when the driver refuses.
    bool SetSwapInterval(int interval);

    // Pumps SDL and returns the next event (hooks see it first). False when none.
    bool PollEvent(SWindowEvent& out);

    // CGlSurface
    void SwapBuffers() override;
    // The size the window really has, which a window manager (or the lack of
    // one) may have made other than the size asked for.
    void GetDrawableSize(int& width, int& height) override;

    // SDL video for the process (the offscreen driver when headless); counted, so
    // each successful InitVideo needs one QuitVideo.
    static bool InitVideo(bool headless, std::string& error);
    // True when SDL video runs on a display someone can see, not on the
    // offscreen or dummy driver SDL falls back to without one.
    static bool IsOnRealDisplay();
    static void QuitVideo();
    // The display modes of the primary display, in the order the system lists them.
    static std::vector<SDisplayModeInfo> GetDisplayModes();
    // Size of the primary display's desktop (for centring the window); 640 x 480
    // when unknown or before InitVideo.
    static void GetScreenSize(int& width, int& height);

private:
    // Full screen without a window manager that provides it: the window is put
    // over the whole display by itself.
    void CoverDisplay();

    SWindowConfig m_Config;
    struct SDL_Window* m_pWindow = nullptr;
    void* m_pContext = nullptr;
    bool m_bVideoInit = false;
};
