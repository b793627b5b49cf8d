#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#endif

#include <algorithm>
#include <vector>

#include "platform/Controller.h"

namespace {

struct SHook {
    WindowEventHook hook;
    void* user;
};
std::vector<SHook>& Hooks()
{
    static std::vector<SHook> hooks;
    return hooks;
}

#if defined(SDL_VIDEO_DRIVER_X11)
// The X11 display and window under an SDL window; false on another system.
bool X11Window(SDL_Window* window, Display*& display, ::Window& xwindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    display = info.info.x11.display;
    xwindow = info.info.x11.window;
    return true;
}

// A window manager runs that puts windows into full screen when they ask
// (it lists _NET_WM_STATE_FULLSCREEN among what it supports).
bool WindowManagerProvidesFullScreen(Display* display)
{
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        data && type == XA_ATOM && format == 32) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == fullScreen;
    }
    if (data) XFree(data);
    return found;
}
#endif

}  // namespace

void AddWindowEventHook(WindowEventHook hook, void* user)
{
    if (hook) Hooks().push_back({hook, user});
}

void RemoveWindowEventHook(WindowEventHook hook, void* user)
{
    auto& h = Hooks();
    for (size_t i = 0; i < h.size(); ++i)
        if (h[i].hook == hook && h[i].user == user) {
            h.erase(h.begin() + static_cast<long>(i));
            return;
        }
}

CWindow::~CWindow() { Destroy(); }

bool CWindow::Create(const SWindowConfig& config, std::string& error)
{
    Destroy();
    m_Config = config;
    if (m_Config.scale < 1) m_Config.scale = 1;
    if (!InitVideo(config.headless, error)) return false;
    m_bVideoInit = true;
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    if (config.openGl) flags |= SDL_WINDOW_OPENGL;
    if (config.fullScreen && !config.headless) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (config.openGl) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    }
    const int w = config.surfaceWidth > 0 ? config.surfaceWidth : config.width * m_Config.scale;
    const int h = config.surfaceHeight > 0 ? config.surfaceHeight : config.height * m_Config.scale;
    m_pWindow = SDL_CreateWindow(config.title ? config.title : "", config.x, config.y, w, h, flags);
    if (!m_pWindow) {
        error = std::string("window: ") + SDL_GetError();
        return false;
    }
    if (m_Config.fullScreen && !config.headless) CoverDisplay();
    return true;
}

void CWindow::CoverDisplay()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    // SDL only asks the window manager; with none (a bare X server) the window
    // would stay where it was created while SDL reports it full screen.
    Display* display = nullptr;
    ::Window xwindow = 0;
    if (!X11Window(m_pWindow, display, xwindow) || WindowManagerProvidesFullScreen(display)) return;
    SDL_Rect bounds;
    const int index = SDL_GetWindowDisplayIndex(m_pWindow);
    if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &bounds) != 0) return;
    XMoveResizeWindow(display, xwindow, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                      static_cast<unsigned>(bounds.h));
    XRaiseWindow(display, xwindow);
    XFlush(display);
#endif
}

bool CWindow::SetFullScreen(bool fullScreen)
{
    if (!m_pWindow || m_Config.headless) return false;
    if (fullScreen == m_Config.fullScreen) return true;
    // The place to come back to, wherever the window was moved meanwhile.
    if (fullScreen) SDL_GetWindowPosition(m_pWindow, &m_Config.x, &m_Config.y);
    if (SDL_SetWindowFullscreen(m_pWindow, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
    m_Config.fullScreen = fullScreen;
    if (fullScreen) {
        CoverDisplay();
    } else {
        // Back to the window's own size and place, whoever had changed them.
        SDL_SetWindowSize(m_pWindow, m_Config.width * m_Config.scale, m_Config.height * m_Config.scale);
        SDL_SetWindowPosition(m_pWindow, m_Config.x, m_Config.y);
    }
    return true;
}

bool CWindow::CreateGlContext(std::string& error)
{
    if (!m_pWindow) {
        error = "no window";
        return false;
    }
    if (m_pContext) return true;
    m_pContext = SDL_GL_CreateContext(m_pWindow);
    if (!m_pContext) {
        error = std::string("OpenGL context: ") + SDL_GetError();
        return false;
    }
    if (SDL_GL_MakeCurrent(m_pWindow, m_pContext) != 0) {
        error = std::string("OpenGL context: ") + SDL_GetError();
        return false;
    }
    return true;
}

void CWindow::Destroy()
{
    if (m_pContext) {
        SDL_GL_DeleteContext(m_pContext);
        m_pContext = nullptr;
    }
    if (m_pWindow) {
        SDL_DestroyWindow(m_pWindow);
        m_pWindow = nullptr;
    }
    if (m_bVideoInit) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        m_bVideoInit = false;
    }
}

void CWindow::Show()
{
    if (m_pWindow && !IsShown()) SDL_ShowWindow(m_pWindow);
}

bool CWindow::IsShown() const
{
    return m_pWindow && (SDL_GetWindowFlags(m_pWindow) & SDL_WINDOW_SHOWN) != 0;
}

void CWindow::SetTitle(const char* title)
{
    if (m_pWindow) SDL_SetWindowTitle(m_pWindow, title ? title : "");
}

void CWindow::SetIcons(const SWindowIcon* icons, int count)
{
    if (!m_pWindow || !icons || count <= 0) return;
    const SWindowIcon* largest = std::max_element(
        icons, icons + count, [](const SWindowIcon& a, const SWindowIcon& b) { return a.width < b.width; });
    if (!largest->pRgba || largest->width <= 0 || largest->height <= 0) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(largest->pRgba), largest->width,
                                                              largest->height, 32, largest->width * 4,
                                                              SDL_PIXELFORMAT_RGBA32);
    if (surface) {
        SDL_SetWindowIcon(m_pWindow, surface);
        SDL_FreeSurface(surface);
    }
#if defined(SDL_VIDEO_DRIVER_X11)
    // SDL offers one size; the X11 property takes them all (width, height, then
    // ARGB pixels, one long each), so the desktop need not scale.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(m_pWindow, &info) || info.subsystem != SDL_SYSWM_X11) return;
    std::vector<unsigned long> data;
    for (int i = 0; i < count; ++i) {
        const SWindowIcon& icon = icons[i];
        if (!icon.pRgba || icon.width <= 0 || icon.height <= 0) continue;
        data.push_back(static_cast<unsigned long>(icon.width));
        data.push_back(static_cast<unsigned long>(icon.height));
        for (int p = 0; p < icon.width * icon.height; ++p) {
            const uint8_t* c = icon.pRgba + static_cast<size_t>(p) * 4;
            data.push_back(static_cast<unsigned long>(c[3]) << 24 | static_cast<unsigned long>(c[0]) << 16 |
                           static_cast<unsigned long>(c[1]) << 8 | c[2]);
        }
    }
    Display* display = info.info.x11.display;
    const Atom property = XInternAtom(display, "_NET_WM_ICON", False);
    XChangeProperty(display, info.info.x11.window, property, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    XFlush(display);
#endif
}

void CWindow::GetPosition(int& x, int& y) const
{
    x = m_Config.x;
    y = m_Config.y;
    if (m_pWindow && !m_Config.fullScreen) SDL_GetWindowPosition(m_pWindow, &x, &y);
}

void CWindow::SetPosition(int x, int y)
{
    m_Config.x = x;
    m_Config.y = y;
    if (m_pWindow && !m_Config.fullScreen) SDL_SetWindowPosition(m_pWindow, x, y);
}

void CWindow::SetCursorVisible(bool visible)
{
    if (m_bVideoInit) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void CWindow::GetGlobalMouse(int& x, int& y) const
{
    x = y = 0;
    if (m_bVideoInit) SDL_GetGlobalMouseState(&x, &y);
}

void CWindow::CaptureMouse(bool capture)
{
    if (m_bVideoInit) SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}

int CWindow::GetRefreshRate() const
{
    if (!m_pWindow) return 0;
    const int display = SDL_GetWindowDisplayIndex(m_pWindow);
    SDL_DisplayMode mode;
    if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0) return 0;
    return mode.refresh_rate;
}

bool CWindow::SetSwapInterval(int interval)
{
    return m_pContext && SDL_GL_SetSwapInterval(interval) == 0;
}

static EWindowKey MapKey(SDL_Scancode sc)
{
    switch (sc) {
    case SDL_SCANCODE_ESCAPE: return EWindowKey::Escape;
    case SDL_SCANCODE_F11: return EWindowKey::F11;
    case SDL_SCANCODE_RETURN: return EWindowKey::Enter;
    case SDL_SCANCODE_PAUSE: return EWindowKey::Pause;
    case SDL_SCANCODE_P: return EWindowKey::P;
    case SDL_SCANCODE_1: return EWindowKey::Digit1;
    case SDL_SCANCODE_2: return EWindowKey::Digit2;
    case SDL_SCANCODE_3: return EWindowKey::Digit3;
    case SDL_SCANCODE_4: return EWindowKey::Digit4;
    case SDL_SCANCODE_F: return EWindowKey::F;
    case SDL_SCANCODE_PERIOD: return EWindowKey::Period;
    case SDL_SCANCODE_LEFTBRACKET: return EWindowKey::LeftBracket;
    case SDL_SCANCODE_RIGHTBRACKET: return EWindowKey::RightBracket;
    case SDL_SCANCODE_PAGEUP: return EWindowKey::PageUp;
    case SDL_SCANCODE_PAGEDOWN: return EWindowKey::PageDown;
    case SDL_SCANCODE_H: return EWindowKey::H;
    default: return EWindowKey::Other;
    }
}

bool CWindow::PollEvent(SWindowEvent& out)
{
    if (!m_bVideoInit) return false;
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return false;
    for (const SHook& h : Hooks()) h.hook(e, h.user);
    out = SWindowEvent{};
    out.type = EWindowEvent::Other;
    const Uint32 id = m_pWindow ? SDL_GetWindowID(m_pWindow) : 0;
    switch (e.type) {
    case SDL_QUIT: out.type = EWindowEvent::CloseRequest; break;
    case SDL_WINDOWEVENT:
        if (e.window.windowID != id) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) out.type = EWindowEvent::CloseRequest;
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST || e.window.event == SDL_WINDOWEVENT_MINIMIZED)
            out.type = EWindowEvent::FocusLost;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        out.type = e.type == SDL_KEYDOWN ? EWindowEvent::KeyDown : EWindowEvent::KeyUp;
        out.key = MapKey(e.key.keysym.scancode);
        out.repeat = e.key.repeat != 0;
        out.alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        out.button = PadButtonNumber(e.cbutton.button);
        if (out.button >= 0)
            out.type = e.type == SDL_CONTROLLERBUTTONDOWN ? EWindowEvent::PadButtonDown : EWindowEvent::PadButtonUp;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT) {
            out.type = e.type == SDL_MOUSEBUTTONDOWN ? EWindowEvent::MouseDown : EWindowEvent::MouseUp;
            out.x = e.button.x;
            out.y = e.button.y;
        }
        break;
    case SDL_MOUSEMOTION:
        out.type = EWindowEvent::MouseMove;
        out.x = e.motion.x;
        out.y = e.motion.y;
        break;
    default: break;
    }
    return true;
}

void CWindow::SwapBuffers()
{
    if (m_pWindow && m_pContext) SDL_GL_SwapWindow(m_pWindow);
}

void CWindow::GetDrawableSize(int& width, int& height)
{
    width = m_Config.surfaceWidth > 0 ? m_Config.surfaceWidth : m_Config.width * m_Config.scale;
    height = m_Config.surfaceHeight > 0 ? m_Config.surfaceHeight : m_Config.height * m_Config.scale;
    if (!m_pWindow || !m_pContext) return;
#if defined(SDL_VIDEO_DRIVER_X11)
    // SDL gives the size it asked for (the whole display in full screen), not
    // the one the X server applied; the server's answer is what is drawn on.
    Display* display = nullptr;
    ::Window xwindow = 0;
    XWindowAttributes attributes;
    if (X11Window(m_pWindow, display, xwindow) && XGetWindowAttributes(display, xwindow, &attributes)) {
        width = attributes.width;
        height = attributes.height;
        return;
    }
#endif
    SDL_GL_GetDrawableSize(m_pWindow, &width, &height);
}

bool CWindow::InitVideo(bool headless, std::string& error)
{
    if (headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("video: ") + SDL_GetError();
        return false;
    }
    return true;
}

bool CWindow::IsOnRealDisplay()
{
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    if (!driver) return false;
    const std::string name = driver;
    return name != "offscreen" && name != "dummy";
}

void CWindow::QuitVideo() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

std::vector<SDisplayModeInfo> CWindow::GetDisplayModes()
{
    std::vector<SDisplayModeInfo> modes;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return modes;
    const int n = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < n; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
        modes.push_back({m.w, m.h, m.refresh_rate, static_cast<int>(SDL_BITSPERPIXEL(m.format))});
    }
    return modes;
}

void CWindow::GetScreenSize(int& width, int& height)
{
    width = 640;
    height = 480;
    SDL_Rect r;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayBounds(0, &r) == 0) {
        width = r.w;
        height = r.h;
    }
}
