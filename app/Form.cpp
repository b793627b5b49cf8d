#include "app/Form.h"

#include "app/Pause.h"
#include "app/Viewer.h"
#include "app/Scene.h"
#include "core/Util.h"
#include "persist/SettingsFile.h"

CForm* g_pForm = nullptr;

CForm::CForm(const char* className, const SWindowConfig& config, int defaultX, int defaultY)
{
    m_pProfile = std::make_unique<CSettingsFile>(std::string("profile/") + className + ".txt");
    const std::string left = m_pProfile->GetString("left", "");
    const std::string top = m_pProfile->GetString("top", "");
    SWindowConfig c = config;
    c.x = left.empty() ? defaultX : ParseDecimal(left);
    c.y = top.empty() ? defaultY : ParseDecimal(top);
    if (!m_Window.Create(c, m_strError)) m_Window.Destroy();
}

CForm::~CForm()
{
    // The profile is saved when the window is destroyed, not here.
    m_Window.Destroy();
}

void CForm::SavePosition()
{
    if (!m_pProfile) return;
    int x = 0, y = 0;
    m_Window.GetPosition(x, y);
    m_pProfile->SetString("left", std::to_string(x));
    m_pProfile->SetString("top", std::to_string(y));
    m_pProfile->Save();
}

void CForm::Show() { m_Window.Show(); }

void CForm::Destroy()
{
    if (m_bQuit) return;
    SavePosition();
    m_bQuit = true;
}

void CForm::ToggleFullScreen()
{
    const bool fullScreen = !m_Window.IsFullScreen();
    if (!m_Window.SetFullScreen(fullScreen)) return;
    // Kept as the next start's choice, in the key the settings tool writes.
    CSettingsFile ini("korvo.ini");
    ini.SetString("windowmode", fullScreen ? "1" : "0");
    if (!ini.Save())
        WarnAboutFile("\"" + ini.GetPath() + "\": the window mode cannot be kept: " + ini.GetSaveError());
}

void CForm::BeginDrag(int x, int y)
{
    // A full-screen window stays where it is.
    if (m_Window.IsFullScreen()) return;
    m_Window.CaptureMouse(true);
    m_bDragging = true;
    m_nDragX = static_cast<int16_t>(x);
    m_nDragY = static_cast<int16_t>(y);
}

void CForm::Drag()
{
    if (!m_bDragging) return;
    int px = 0, py = 0;
    m_Window.GetGlobalMouse(px, py);
    // The grabbed point stays under the cursor.
    m_Window.SetPosition(px - m_nDragX, py - m_nDragY);
}

void CForm::EndDrag()
{
    m_Window.CaptureMouse(false);
    m_bDragging = false;
}

void GameWindowProc(CForm& form, const SWindowEvent& event)
{
    switch (event.type) {
    case EWindowEvent::CloseRequest: form.Destroy(); break;
    case EWindowEvent::KeyDown:
        if (event.key == EWindowKey::Escape) {
            // In play Escape abandons the game for the main menu (a practice
            // attempt for its list, and that list leads back to the records);
            // in the other menus it ends the program.
            SceneEscape();
        } else if (event.key == EWindowKey::F11) {
            // One snapshot per key-down, key repeats included.
            SceneSnapshot();
        } else if (event.key == EWindowKey::Enter && event.alt) {
            if (!event.repeat) form.ToggleFullScreen();
        } else if (!ViewerWindowEvent(event)) {
            ScenePauseEvent(event);
        }
        break;
    case EWindowEvent::KeyUp:
    case EWindowEvent::PadButtonUp: ViewerWindowEvent(event); break;
    case EWindowEvent::PadButtonDown:
        if (!ViewerWindowEvent(event)) ScenePauseEvent(event);
        break;
    case EWindowEvent::FocusLost: ScenePauseEvent(event); break;
    case EWindowEvent::MouseDown: form.BeginDrag(event.x, event.y); break;
    case EWindowEvent::MouseMove: form.Drag(); break;
    case EWindowEvent::MouseUp: form.EndDrag(); break;
    default: break;
    }
}
