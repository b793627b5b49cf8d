#include "input/InputControler.h"

#include <string>

#include "core/Util.h"
#include "persist/SettingsFile.h"
#include "platform/InputDriver.h"

namespace {
const char* const kLogFile = "log/dinput.txt";

void Log(const char* text)
{
    WriteLog(kLogFile, text);
}
}  // namespace

CInputControler::CInputControler(void* /*pWindow*/, bool bUseKeyboard, bool bUseController)
    : m_pDriver(new CSdlInputDriver())
{
    Construct(bUseKeyboard, bUseController);
}

CInputControler::CInputControler(CInputDriver* pDriver, bool bUseKeyboard, bool bUseController)
    : m_pDriver(pDriver)
{
    Construct(bUseKeyboard, bUseController);
}

CInputControler::~CInputControler()
{
    delete m_pController;
    delete m_pKeyboard;
    delete m_pDriver;
}

void CInputControler::Construct(bool bUseKeyboard, bool bUseController)
{
    WriteLog(kLogFile, nullptr);
    LoadBindings();

    Log("Create DirectInput8 Object.\n");
    if (!m_pDriver || !m_pDriver->Initialize()) {
        Log(" -> Failed.\n");
        return;
    }
    Log(" -> Finished.\n");

    if (bUseKeyboard) {
        Log("Create Keyboard Device.\n");
        m_pKeyboard = m_pDriver->CreateKeyboard();
        if (!m_pKeyboard || !m_pKeyboard->Acquire()) {
            Log(" -> Failed.\n");
            return;  // the controller is then not set up either
        }
        Log(" -> Finished.\n");
    }

    if (bUseController) {
        Log("Enumerate/Create Control Device.\n");
        m_pController = m_pDriver->CreateController();
        if (!m_pController) {
            Log(" -> Failed.\n");
            return;
        }
        // The axes are set up even without a controller, for one plugged in
        // later: range -1000 ... 1000, dead zone half of each half-travel.
        const bool bAxes = m_pController->SetAxisRange(-1000, 1000) && m_pController->SetDeadZone(5000);
        if (!m_pController->IsAttached()) {
            Log(" -> Finished. (There is NO Control Device)\n");
            return;
        }
        Log(" -> Finished.\n");
        Log("Setup Control Device.\n");
        Log(" -> Finished.\n");
        Log("Setup Axes.\n");
        Log(bAxes ? " -> Finished.\n" : " -> Failed.\n");
        // State reads only, no event buffer: nothing to set up on this layer.
        Log("Setup Buffering.\n");
        Log(" -> Finished.\n");
        m_pController->Acquire();
    }
}

void CInputControler::LoadBindings()
{
    Log("Loading Bind Datas.\n");
    {
        CSettingsFile ini("korvo.ini");
        // An empty or missing value keeps the default; anything else is read as
        // a decimal prefix (letters alone give 0).
        auto read = [&ini](const char* key, int32_t& value) {
            const std::string s = ini.GetString(key, "");
            if (!s.empty())
                value = ParseDecimal(s);
        };
        SInputBindings& b = m_Bindings;
        read("attack0key", b.nAttack0Key);
        read("attack1key", b.nAttack1Key);
        read("reloadkey", b.nReloadKey);
        read("dashkey", b.nDashKey);
        read("bladekey", b.nBladeKey);
        read("leftrollkey", b.nLeftRollKey);
        read("rightrollkey", b.nRightRollKey);
        read("upkey", b.nUp);
        read("downkey", b.nDown);
        read("leftkey", b.nLeft);
        read("rightkey", b.nRight);
        read("attack0", b.nAttack0);
        read("attack1", b.nAttack1);
        read("reload", b.nReload);
        read("dash", b.nDash);
        read("blade", b.nBlade);
        read("leftroll", b.nLeftRoll);
        read("rightroll", b.nRightRoll);
    }
    Log(" -> Finished.\n");
}

bool CInputControler::KeyDown(int32_t nScanCode) const
{
    // A binding outside the table names no key.
    return nScanCode >= 0 && nScanCode < 256 && m_Keys[nScanCode] != 0;
}

bool CInputControler::ButtonDown(int32_t nButton) const
{
    return nButton >= 0 && nButton < 32 && m_Joy.rgbButtons[nButton] != 0;
}

void CInputControler::InjectRecord(int nChannel, const CInputRecord* pRecord)
{
    if (!pRecord || nChannel < 0 || nChannel >= kChannels)
        return;
    m_Previous[nChannel] = m_Current[nChannel];
    m_Current[nChannel] = *pRecord;
}

void CInputControler::ForgetPresses()
{
    if (m_pKeyboard) m_pKeyboard->ForgetPresses();
    if (m_pController) m_pController->ForgetPresses();
}

namespace {

// A stick value of -1000 ... 1000 with the 500-unit band in the middle: 500
// gives 0, 501 gives 0.002 (times the sign of factor), 1000 gives 1.
float StickAxis(int32_t v, float factor)
{
    if (v > 500) return static_cast<float>(v - 500) * factor;
    if (v < -500) return static_cast<float>(v + 500) * factor;
    return 0.0f;
}

}  // namespace

void CInputControler::Update(int nChannel)
{
    if (nChannel < 0 || nChannel >= kChannels)
        return;
    CInputRecord& cur = m_Current[nChannel];
    m_Previous[nChannel] = cur;
    cur.m_bAttack0 = cur.m_bAttack1 = cur.m_bReload = cur.m_bDash = 0;
    cur.m_bLeftRoll = cur.m_bRightRoll = cur.m_bBlade = 0;
    const SInputBindings& b = m_Bindings;

    if (m_pKeyboard) {
        if (!m_pKeyboard->GetState(m_Keys)) {
            m_pKeyboard->Acquire();
            for (uint8_t& k : m_Keys)
                k = 0;
            return;
        }
        for (uint8_t& k : m_Keys)
            k = (k & 0x80) ? 1 : 0;
        cur.m_fX = KeyDown(b.nLeft) ? -1.0f : (KeyDown(b.nRight) ? 1.0f : 0.0f);
        cur.m_fY = KeyDown(b.nUp) ? 1.0f : (KeyDown(b.nDown) ? -1.0f : 0.0f);
        cur.m_bAttack0 |= KeyDown(b.nAttack0Key);
        cur.m_bAttack1 |= KeyDown(b.nAttack1Key);
        cur.m_bReload |= KeyDown(b.nReloadKey);
        cur.m_bDash |= KeyDown(b.nDashKey);
        cur.m_bLeftRoll |= KeyDown(b.nLeftRollKey);
        cur.m_bRightRoll |= KeyDown(b.nRightRollKey);
        cur.m_bBlade |= KeyDown(b.nBladeKey);
    }

    if (m_pController) {
        if (!m_pController->Poll() || !m_pController->GetState(m_Joy)) {
            m_pController->Acquire();
            m_Joy = SJoyState();
            // Without a keyboard nothing else sets the axes: a stick value must
            // not outlive its controller.
            if (!m_pKeyboard)
                cur.m_fX = cur.m_fY = 0.0f;
            return;
        }
        // The keyboard has priority per axis; the stick's own 500-unit band
        // comes on top of the device dead zone.
        // Stick up reads negative: y takes the opposite sign.
        if (cur.m_fX == 0.0f) cur.m_fX = StickAxis(m_Joy.lX, 0.002f);
        if (cur.m_fY == 0.0f) cur.m_fY = StickAxis(m_Joy.lY, -0.002f);
        cur.m_bAttack0 |= ButtonDown(b.nAttack0);
        cur.m_bAttack1 |= ButtonDown(b.nAttack1);
        cur.m_bReload |= ButtonDown(b.nReload);
        cur.m_bDash |= ButtonDown(b.nDash);
        cur.m_bLeftRoll |= ButtonDown(b.nLeftRoll);
        cur.m_bRightRoll |= ButtonDown(b.nRightRoll);
        cur.m_bBlade |= ButtonDown(b.nBlade);
    }
}
