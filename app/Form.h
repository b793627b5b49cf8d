// CForm: the game's one top-level window. It opens the window at the position
// remembered in its profile ("profile/" + class name + ".txt", keys "left" and
// "top"), hidden until Show, and writes the position back when the window is
// destroyed. The game's window procedure (GameWindowProc) handles closing,
// Escape, F11, Alt+Enter, the pause keys and the loss of focus, and dragging
// the borderless window with the left mouse button.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Window.h"

class CSettingsFile;

class CForm {
public:
    // config gives everything but the position: the window opens at the profile's
    // "left"/"top" when they hold text, else at (defaultX, defaultY).
    CForm(const char* className, const SWindowConfig& config, int defaultX, int defaultY);
    virtual ~CForm();
    CForm(const CForm&) = delete;
    CForm& operator=(const CForm&) = delete;

    // Slot 0: writes the window's position to the profile and saves it.
    virtual void SavePosition();

    bool IsCreated() const { return m_Window.IsCreated(); }
    const std::string& GetError() const { return m_strError; }
    // Shows the window if it is hidden, at its current position.
    void Show();
    // The window is destroyed: SavePosition, then the main loop is told to end.
    void Destroy();
    bool IsQuitPosted() const { return m_bQuit; }
    CWindow& Window() { return m_Window; }
    // Alt+Enter: between a window and full screen, the choice kept in korvo.ini
    // ("windowmode") for the next start.
    void ToggleFullScreen();

    // Dragging: the left button went down at client position (x, y), the mouse
    // moved, the button came up.
    void BeginDrag(int x, int y);
    void Drag();
    void EndDrag();
    bool IsDragging() const { return m_bDragging; }

private:
    std::unique_ptr<CSettingsFile> m_pProfile;
    int16_t m_nDragX = 0;
    int16_t m_nDragY = 0;
    bool m_bDragging = false;
    bool m_bQuit = false;
    CWindow m_Window;
    std::string m_strError;
};

extern CForm* g_pForm;

// The game's window procedure for one event.
void GameWindowProc(CForm& form, const SWindowEvent& event);
