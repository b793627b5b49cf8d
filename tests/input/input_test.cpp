// CInputControler on a scripted input layer, and the device-layer tables.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "core/Util.h"
#include "input/InputControler.h"
#include "platform/Controller.h"
#include "platform/InputDriver.h"
#include "platform/Keyboard.h"
#include "tests/support/KeyTap.h"

namespace {

// What the fake devices report; the test changes it between updates.
struct SFakeWorld {
    uint8_t keys[256] = {};
    bool bKeyboardFails = false;
    bool bPadAttached = false;
    SJoyState pad;
    int32_t nMin = 0, nMax = 0;
    int nDeadZone = -1;
    int nPadReads = 0;
};

class CFakeKeyboard : public CKeyboardDevice {
public:
    explicit CFakeKeyboard(SFakeWorld& w) : m_w(w) {}
    bool GetState(uint8_t* pKeys) override
    {
        if (m_w.bKeyboardFails)
            return false;
        std::memcpy(pKeys, m_w.keys, 256);
        return true;
    }

private:
    SFakeWorld& m_w;
};

class CFakeController : public CControllerDevice {
public:
    explicit CFakeController(SFakeWorld& w) : m_w(w) {}
    bool IsAttached() const override { return m_w.bPadAttached; }
    std::string GetName() const override { return "fake pad"; }
    bool SetAxisRange(int32_t nMin, int32_t nMax) override
    {
        m_w.nMin = nMin;
        m_w.nMax = nMax;
        return true;
    }
    bool SetDeadZone(int n) override
    {
        m_w.nDeadZone = n;
        return true;
    }
    bool Poll() override { return m_w.bPadAttached; }
    bool GetState(SJoyState& st) override
    {
        ++m_w.nPadReads;
        st = m_w.pad;
        return m_w.bPadAttached;
    }

private:
    SFakeWorld& m_w;
};

class CFakeDriver : public CInputDriver {
public:
    CFakeDriver(SFakeWorld& w, bool bInit = true, bool bKeyboard = true) : m_w(w), m_bInit(bInit), m_bKeyboard(bKeyboard) {}
    bool Initialize() override { return m_bInit; }
    CKeyboardDevice* CreateKeyboard() override { return m_bKeyboard ? new CFakeKeyboard(m_w) : nullptr; }
    CControllerDevice* CreateController() override { return new CFakeController(m_w); }

private:
    SFakeWorld& m_w;
    bool m_bInit, m_bKeyboard;
};

// Runs each test in a program folder of its own (korvo.ini, log/dinput.txt).
class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Dir = std::filesystem::temp_directory_path() /
                ("mz_input_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_Dir);
        std::filesystem::create_directories(m_Dir);
        SetProgramDir(m_Dir.string());
    }
    void TearDown() override
    {
        SetProgramDir("");
        std::filesystem::remove_all(m_Dir);
    }
    void WriteIni(const std::string& text)
    {
        std::ofstream(m_Dir / "korvo.ini") << text;
    }
    std::string ReadLog()
    {
        std::ifstream f(m_Dir / "log" / "dinput.txt");
        return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    }
    CInputControler* Make(bool bInit = true, bool bKeyboard = true)
    {
        return new CInputControler(new CFakeDriver(m_w, bInit, bKeyboard), true, true);
    }
    SFakeWorld m_w;
    std::filesystem::path m_Dir;
};

}  // namespace

// ---------------------------------------------------------------------------
// Device layer

TEST(ScanCodes, StandardKeysMapToTheirClassicCodes)
{
    const struct {
        SDL_Scancode sdl;
        int code;
    } cases[] = {
        {SDL_SCANCODE_ESCAPE, 1},     {SDL_SCANCODE_1, 2},          {SDL_SCANCODE_0, 11},
        {SDL_SCANCODE_Q, 16},         {SDL_SCANCODE_W, 17},         {SDL_SCANCODE_RETURN, 28},
        {SDL_SCANCODE_LCTRL, 29},     {SDL_SCANCODE_A, 30},         {SDL_SCANCODE_LSHIFT, 42},
        {SDL_SCANCODE_Z, 44},         {SDL_SCANCODE_X, 45},         {SDL_SCANCODE_C, 46},
        {SDL_SCANCODE_M, 50},         {SDL_SCANCODE_KP_MULTIPLY, 55}, {SDL_SCANCODE_SPACE, 57},
        {SDL_SCANCODE_F1, 59},        {SDL_SCANCODE_F10, 68},       {SDL_SCANCODE_NUMLOCKCLEAR, 69},
        {SDL_SCANCODE_KP_7, 71},      {SDL_SCANCODE_KP_0, 82},      {SDL_SCANCODE_KP_PERIOD, 83},
        {SDL_SCANCODE_NONUSBACKSLASH, 86}, {SDL_SCANCODE_F11, 87},  {SDL_SCANCODE_F12, 88},
        {SDL_SCANCODE_KP_ENTER, 156}, {SDL_SCANCODE_RCTRL, 157},    {SDL_SCANCODE_KP_DIVIDE, 181},
        {SDL_SCANCODE_PRINTSCREEN, 183}, {SDL_SCANCODE_RALT, 184},  {SDL_SCANCODE_PAUSE, 197},
        {SDL_SCANCODE_HOME, 199},     {SDL_SCANCODE_UP, 200},       {SDL_SCANCODE_PAGEUP, 201},
        {SDL_SCANCODE_LEFT, 203},     {SDL_SCANCODE_RIGHT, 205},    {SDL_SCANCODE_END, 207},
        {SDL_SCANCODE_DOWN, 208},     {SDL_SCANCODE_PAGEDOWN, 209}, {SDL_SCANCODE_INSERT, 210},
        {SDL_SCANCODE_DELETE, 211},   {SDL_SCANCODE_LGUI, 219},     {SDL_SCANCODE_APPLICATION, 221},
        {SDL_SCANCODE_INTERNATIONAL3, 125},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScanCodeFromSdl(c.sdl), c.code) << SDL_GetScancodeName(c.sdl);
        EXPECT_EQ(SdlFromScanCode(static_cast<uint8_t>(c.code)), c.sdl) << c.code;
    }
    EXPECT_EQ(ScanCodeFromSdl(SDL_SCANCODE_AUDIOPLAY), 0);
    EXPECT_EQ(ScanCodeFromSdl(-1), 0);
    EXPECT_EQ(ScanCodeFromSdl(100000), 0);
    EXPECT_EQ(SdlFromScanCode(0), 0);
}

TEST(ScanCodes, NoTwoKeysShareACodeAndEveryLetterAndDigitHasOne)
{
    std::set<int> seen;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        const int code = ScanCodeFromSdl(s);
        if (code == 0)
            continue;
        EXPECT_TRUE(seen.insert(code).second) << "code " << code << " twice";
        EXPECT_EQ(SdlFromScanCode(static_cast<uint8_t>(code)), s);
    }
    for (int s = SDL_SCANCODE_A; s <= SDL_SCANCODE_0; ++s)
        EXPECT_NE(ScanCodeFromSdl(s), 0) << SDL_GetScancodeName(static_cast<SDL_Scancode>(s));
    EXPECT_GE(seen.size(), 105u);
}

TEST(JoystickAxis, RangeDeadZoneAndSaturationAsTheClassicDevice)
{
    // Range -1000 ... 1000, dead zone 5000: X = sign * round(2000 * (t - 0.5)).
    const struct {
        int raw, dead;
        int32_t expect;
    } cases[] = {
        {0, 5000, 0},        {16383, 5000, 0},    {-16384, 5000, 0},    {24576, 5000, 500},
        {24590, 5000, 501},  {32767, 5000, 1000}, {-32768, 5000, -1000}, {-24576, 5000, -500},
        {16384, 0, 500},     {-8192, 0, -250},    {32767, 10000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScaleJoystickAxis(c.raw, -1000, 1000, c.dead), c.expect) << c.raw << " dz " << c.dead;
    // Saturation: the end is reported from 90 % of the travel on.
    EXPECT_EQ(ScaleJoystickAxis(29491, -1000, 1000, 0, 9000), 1000);
    // Another range: centre and ends follow it.
    EXPECT_EQ(ScaleJoystickAxis(0, 0, 65535, 0), 32767);
    EXPECT_EQ(ScaleJoystickAxis(32767, 0, 65535, 0), 65535);
}

TEST(JoystickAxis, HatDirectionsAsPovAngles)
{
    EXPECT_EQ(PovFromHat(SDL_HAT_CENTERED), 0xFFFFFFFFu);
    EXPECT_EQ(PovFromHat(SDL_HAT_UP), 0u);
    EXPECT_EQ(PovFromHat(SDL_HAT_RIGHTUP), 4500u);
    EXPECT_EQ(PovFromHat(SDL_HAT_RIGHT), 9000u);
    EXPECT_EQ(PovFromHat(SDL_HAT_RIGHTDOWN), 13500u);
    EXPECT_EQ(PovFromHat(SDL_HAT_DOWN), 18000u);
    EXPECT_EQ(PovFromHat(SDL_HAT_LEFTDOWN), 22500u);
    EXPECT_EQ(PovFromHat(SDL_HAT_LEFT), 27000u);
    EXPECT_EQ(PovFromHat(SDL_HAT_LEFTUP), 31500u);
}

// ---------------------------------------------------------------------------
// CInputControler

TEST_F(Input, OpposingKeysLeftAndUpWin)
{
    std::unique_ptr<CInputControler> in(Make());
    const struct {
        std::vector<int> keys;
        float x, y;
    } cases[] = {
        {{203, 205}, -1.0f, 0.0f},  // left + right
        {{200, 208}, 0.0f, 1.0f},   // up + down
        {{205}, 1.0f, 0.0f},
        {{208}, 0.0f, -1.0f},
        {{203, 200}, -1.0f, 1.0f},
        {{}, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        std::memset(m_w.keys, 0, sizeof m_w.keys);
        for (int k : c.keys)
            m_w.keys[k] = 0x80;
        in->Update(0);
        EXPECT_EQ(in->GetCurrent(0).m_fX, c.x);
        EXPECT_EQ(in->GetCurrent(0).m_fY, c.y);
    }
}

TEST_F(Input, StickBandMapsAxisValuesAndTheKeyboardWinsPerAxis)
{
    m_w.bPadAttached = true;
    std::unique_ptr<CInputControler> in(Make());
    EXPECT_EQ(m_w.nMin, -1000);
    EXPECT_EQ(m_w.nMax, 1000);
    EXPECT_EQ(m_w.nDeadZone, 5000);
    // x from lX; y from lY with its sign turned (the stick pushed up reads negative).
    const struct {
        int32_t v;
        float x, y;
    } cases[] = {
        {500, 0.0f, 0.0f},     {501, 0.002f, -0.002f}, {1000, 1.0f, -1.0f},  {-500, 0.0f, 0.0f},
        {-501, -0.002f, 0.002f}, {-1000, -1.0f, 1.0f}, {750, 0.5f, -0.5f},  {0, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        m_w.pad.lX = c.v;
        m_w.pad.lY = c.v;
        in->Update(0);
        EXPECT_EQ(in->GetCurrent(0).m_fX, c.x) << c.v;
        EXPECT_EQ(in->GetCurrent(0).m_fY, c.y) << c.v;
    }
    // A held key decides its axis; the stick still moves the other.
    m_w.pad.lX = 1000;
    m_w.pad.lY = -1000;
    m_w.keys[203] = 0x80;
    in->Update(0);
    EXPECT_EQ(in->GetCurrent(0).m_fX, -1.0f);
    EXPECT_EQ(in->GetCurrent(0).m_fY, 1.0f);
    m_w.keys[203] = 0;
    m_w.keys[208] = 0x80;
    in->Update(0);
    EXPECT_EQ(in->GetCurrent(0).m_fX, 1.0f);
    EXPECT_EQ(in->GetCurrent(0).m_fY, -1.0f);
}

TEST_F(Input, ButtonsFromDefaultBindingsOfBothDevices)
{
    m_w.bPadAttached = true;
    std::unique_ptr<CInputControler> in(Make());
    // Keyboard: Z attack0, A attack1, X reload, left Shift dash, Q/W rolls, C blade.
    const int keys[] = {44, 30, 45, 42, 16, 17, 46};
    // Controller: attack0 0, attack1 2, reload 1, dash 7, leftroll 4, rightroll 5, blade 3.
    const int buttons[] = {0, 2, 1, 7, 4, 5, 3};
    auto field = [](const CInputRecord& r, int i) {
        const uint8_t v[] = {r.m_bAttack0, r.m_bAttack1, r.m_bReload, r.m_bDash, r.m_bLeftRoll, r.m_bRightRoll, r.m_bBlade};
        return v[i];
    };
    for (int i = 0; i < 7; ++i) {
        std::memset(m_w.keys, 0, sizeof m_w.keys);
        m_w.keys[keys[i]] = 0x80;
        in->Update(0);
        for (int j = 0; j < 7; ++j)
            EXPECT_EQ(field(in->GetCurrent(0), j), i == j ? 1 : 0) << "key " << keys[i] << " field " << j;
    }
    std::memset(m_w.keys, 0, sizeof m_w.keys);
    for (int i = 0; i < 7; ++i) {
        m_w.pad = SJoyState();
        m_w.pad.rgbButtons[buttons[i]] = 0x80;
        in->Update(0);
        for (int j = 0; j < 7; ++j)
            EXPECT_EQ(field(in->GetCurrent(0), j), i == j ? 1 : 0) << "button " << buttons[i] << " field " << j;
    }
    // Back (6) and the stick clicks are bound to nothing.
    m_w.pad = SJoyState();
    m_w.pad.rgbButtons[6] = m_w.pad.rgbButtons[8] = 0x80;
    in->Update(0);
    for (int j = 0; j < 7; ++j)
        EXPECT_EQ(field(in->GetCurrent(0), j), 0);
}

TEST_F(Input, BindingsFromKorvoIni)
{
    WriteIni("attack0key,abc\n"   // letters: scan code 0, no key
             "dashkey,\n"         // empty: the default (42)
             "upkey,17\n"         // W moves up
             "bladekey,57xyz\n"   // decimal prefix: Space
             "attack1key,999\n"   // no such key: bound to nothing, safely
             "dash, 3\n"
             "reload,-1\n");
    m_w.bPadAttached = true;
    std::unique_ptr<CInputControler> in(Make());
    const SInputBindings& b = in->GetBindings();
    EXPECT_EQ(b.nAttack0Key, 0);
    EXPECT_EQ(b.nDashKey, 42);
    EXPECT_EQ(b.nUp, 17);
    EXPECT_EQ(b.nBladeKey, 57);
    EXPECT_EQ(b.nAttack1Key, 999);
    EXPECT_EQ(b.nDash, 3);
    EXPECT_EQ(b.nReload, -1);
    EXPECT_EQ(b.nDown, 208);  // missing: default

    m_w.keys[44] = m_w.keys[17] = m_w.keys[57] = m_w.keys[42] = 0x80;
    m_w.pad.rgbButtons[3] = 0x80;
    in->Update(0);
    const CInputRecord& r = in->GetCurrent(0);
    EXPECT_EQ(r.m_bAttack0, 0);
    EXPECT_EQ(r.m_fY, 1.0f);
    EXPECT_EQ(r.m_bBlade, 1);  // Space, and button 3 (the default blade button)
    EXPECT_EQ(r.m_bDash, 1);
    EXPECT_EQ(r.m_bAttack1, 0);
    EXPECT_EQ(r.m_bReload, 0);
}

TEST_F(Input, LogOfTheSetUp)
{
    {
        m_w.bPadAttached = true;
        std::unique_ptr<CInputControler> in(Make());
    }
    EXPECT_EQ(ReadLog(),
              "Loading Bind Datas.\n -> Finished.\n"
              "Create DirectInput8 Object.\n -> Finished.\n"
              "Create Keyboard Device.\n -> Finished.\n"
              "Enumerate/Create Control Device.\n -> Finished.\n"
              "Setup Control Device.\n -> Finished.\n"
              "Setup Axes.\n -> Finished.\n"
              "Setup Buffering.\n -> Finished.\n");
    {
        m_w.bPadAttached = false;
        std::unique_ptr<CInputControler> in(Make());
        EXPECT_TRUE(in->HasControllerDevice());
    }
    const std::string log = ReadLog();  // emptied by each construction
    EXPECT_EQ(log.rfind("Loading Bind Datas.\n", 0), 0u);
    const std::string tail = "Enumerate/Create Control Device.\n -> Finished. (There is NO Control Device)\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
    {
        std::unique_ptr<CInputControler> in(Make(true, false));
        EXPECT_FALSE(in->HasKeyboard());
        EXPECT_FALSE(in->HasControllerDevice());  // set-up stops at the keyboard
        in->Update(0);
    }
    EXPECT_NE(ReadLog().find("Create Keyboard Device.\n -> Failed.\n"), std::string::npos);
    {
        std::unique_ptr<CInputControler> in(Make(false));
        EXPECT_FALSE(in->HasKeyboard());
        in->Update(0);
    }
    EXPECT_NE(ReadLog().find("Create DirectInput8 Object.\n -> Failed.\n"), std::string::npos);
}

TEST_F(Input, ControllerPluggedInLaterAndPulledOut)
{
    std::unique_ptr<CInputControler> in(Make());
    m_w.pad.lX = 1000;
    m_w.pad.rgbButtons[0] = 0x80;
    in->Update(0);
    EXPECT_EQ(in->GetCurrent(0).m_fX, 0.0f);
    m_w.bPadAttached = true;
    in->Update(0);
    EXPECT_EQ(in->GetCurrent(0).m_fX, 1.0f);
    EXPECT_EQ(in->GetCurrent(0).m_bAttack0, 1);
    m_w.bPadAttached = false;
    in->Update(0);
    EXPECT_EQ(in->GetCurrent(0).m_fX, 0.0f);
    EXPECT_EQ(in->GetCurrent(0).m_bAttack0, 0);
}

TEST_F(Input, FailedKeyboardReadReleasesButtonsKeepsAxesAndSkipsTheController)
{
    m_w.bPadAttached = true;
    std::unique_ptr<CInputControler> in(Make());
    m_w.keys[205] = m_w.keys[44] = 0x80;
    in->Update(0);
    ASSERT_EQ(in->GetCurrent(0).m_fX, 1.0f);
    const int nReads = m_w.nPadReads;
    m_w.bKeyboardFails = true;
    m_w.pad.rgbButtons[0] = 0x80;
    in->Update(0);
    EXPECT_EQ(in->GetCurrent(0).m_fX, 1.0f);
    EXPECT_EQ(in->GetCurrent(0).m_bAttack0, 0);
    EXPECT_EQ(m_w.nPadReads, nReads);
    EXPECT_EQ(in->GetPrevious(0).m_bAttack0, 1);
}

TEST_F(Input, ChannelsAndInjectedRecordsShiftCurrentIntoPrevious)
{
    std::unique_ptr<CInputControler> in(Make());
    m_w.keys[44] = 0x80;
    in->Update(1);  // the menus' channel; the game's stays untouched
    EXPECT_EQ(in->GetCurrent(1).m_bAttack0, 1);
    EXPECT_EQ(in->GetCurrent(0).m_bAttack0, 0);

    CInputRecord a;
    a.m_bBlade = 1;
    a.m_fX = 0.25f;
    CInputRecord b;
    b.m_bDash = 1;
    b.m_fY = -0.5f;
    in->InjectRecord(0, &a);
    in->InjectRecord(0, &b);
    EXPECT_EQ(in->GetPrevious(0).m_bBlade, 1);
    EXPECT_EQ(in->GetPrevious(0).m_fX, 0.25f);
    EXPECT_EQ(in->GetCurrent(0).m_bDash, 1);
    EXPECT_EQ(in->GetCurrent(0).m_bBlade, 0);
    EXPECT_EQ(in->GetCurrent(0).m_fY, -0.5f);
    // A press is "set in current, clear in previous", as in live play.
    EXPECT_TRUE(in->GetCurrent(0).m_bDash && !in->GetPrevious(0).m_bDash);

    in->InjectRecord(0, nullptr);
    in->InjectRecord(2, &a);
    in->InjectRecord(-1, &a);
    EXPECT_EQ(in->GetCurrent(0).m_bDash, 1);
    EXPECT_EQ(in->GetPrevious(0).m_bBlade, 1);
    EXPECT_EQ(in->GetCurrent(1).m_bAttack0, 1);
}

// The virtual slot: a replay player may derive and still be called through the base.
TEST_F(Input, InjectRecordIsVirtual)
{
    struct CCounting : CInputControler {
        using CInputControler::CInputControler;
        int n = 0;
        void InjectRecord(int ch, const CInputRecord* p) override
        {
            ++n;
            CInputControler::InjectRecord(ch, p);
        }
    };
    CCounting c(new CFakeDriver(m_w), true, true);
    CInputControler& base = c;
    CInputRecord r;
    base.InjectRecord(0, &r);
    EXPECT_EQ(c.n, 1);
}

// SDL's own input layer, as the game creates it: without a window or a
// controller it must still set up, log and poll without harm.
TEST_F(Input, SdlInputLayerRunsWithoutWindowOrController)
{
    {
        CInputControler in(static_cast<void*>(nullptr), true, true);
        EXPECT_TRUE(in.HasKeyboard());
        for (int i = 0; i < 3; ++i)
            in.Update(0);
        const CInputRecord& r = in.GetCurrent(0);
        EXPECT_EQ(r.m_bAttack0 | r.m_bDash | r.m_bBlade, 0);
    }
    const std::string log = ReadLog();
    EXPECT_EQ(log.rfind("Loading Bind Datas.\n -> Finished.\n"
                        "Create DirectInput8 Object.\n -> Finished.\n"
                        "Create Keyboard Device.\n -> Finished.\n"
                        "Enumerate/Create Control Device.\n", 0), 0u)
        << log;
    SDL_Quit();
}

// A tap shorter than a frame falls between two polls: the keyboard state never
// shows it, yet the step after it sees the key held, once.
TEST_F(Input, AKeyTappedBetweenTwoPollsIsHeldForOnePoll)
{
    {
        CInputControler in(static_cast<void*>(nullptr), true, false);
        in.Update(0);
        TapKey(SDL_SCANCODE_DOWN);
        TapKey(SDL_SCANCODE_Z);
        in.Update(0);
        EXPECT_EQ(in.GetCurrent(0).m_fY, -1.0f);
        EXPECT_EQ(in.GetCurrent(0).m_bAttack0, 1);
        in.Update(0);
        EXPECT_TRUE(in.GetCurrent(0).IsIdle());
        // Two taps of one key before a poll are one step held: a press needs
        // a released step before it, which only the next poll can give.
        TapKey(SDL_SCANCODE_X);
        TapKey(SDL_SCANCODE_X);
        in.Update(0);
        EXPECT_EQ(in.GetCurrent(0).m_bReload, 1);
        in.Update(0);
        EXPECT_EQ(in.GetCurrent(0).m_bReload, 0);
        // Taps that came before ForgetPresses (during a pause) reach no step.
        TapKey(SDL_SCANCODE_Z);
        in.ForgetPresses();
        in.Update(0);
        EXPECT_TRUE(in.GetCurrent(0).IsIdle());
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    SDL_Quit();
}

// The same for a controller's buttons and d-pad, through SDL's own joystick
// layer (a virtual device): pressed and released between two reads, held for
// the read after, then released. With a game-controller mapping the buttons
// take the classic numbers; without one, the raw numbers and the first hat.
TEST(SdlController, AButtonOrDirectionTappedBetweenTwoReadsIsHeldForOneRead)
{
    struct SCase {
        SDL_JoystickType type;
        int nButton;       // the SDL button tapped
        int nClassic;      // where the game reads it
        bool bHat;         // tap the hat (raw device) instead of the d-pad button
        int nDpadButton;   // the d-pad's down on a mapped pad
    };
    const SCase cases[] = {
        {SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_BUTTON_B, 1, false, SDL_CONTROLLER_BUTTON_DPAD_DOWN},
        {SDL_JOYSTICK_TYPE_UNKNOWN, 5, 5, true, -1},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.type == SDL_JOYSTICK_TYPE_GAMECONTROLLER ? "mapped pad" : "raw joystick");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        const int index = SDL_JoystickAttachVirtual(c.type, 2, SDL_CONTROLLER_BUTTON_MAX, c.bHat ? 1 : 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* device = SDL_JoystickOpen(index);
        ASSERT_NE(device, nullptr);
        {
            CSdlController pad;
            ASSERT_TRUE(pad.Initialize());
            ASSERT_TRUE(pad.SetAxisRange(-1000, 1000));
            ASSERT_TRUE(pad.Poll());
            SJoyState st;
            const auto tap = [&](bool hat, int n) {
                if (hat) SDL_JoystickSetVirtualHat(device, 0, static_cast<Uint8>(n));
                else SDL_JoystickSetVirtualButton(device, n, 1);
                ASSERT_TRUE(pad.Poll());
                if (hat) SDL_JoystickSetVirtualHat(device, 0, SDL_HAT_CENTERED);
                else SDL_JoystickSetVirtualButton(device, n, 0);
                ASSERT_TRUE(pad.Poll());
            };
            tap(false, c.nButton);
            ASSERT_TRUE(pad.GetState(st));
            EXPECT_EQ(st.rgbButtons[c.nClassic], 0x80);
            ASSERT_TRUE(pad.Poll());
            ASSERT_TRUE(pad.GetState(st));
            EXPECT_EQ(st.rgbButtons[c.nClassic], 0);

            tap(c.bHat, c.bHat ? SDL_HAT_DOWN : c.nDpadButton);
            ASSERT_TRUE(pad.GetState(st));
            EXPECT_EQ(st.lY, 1000) << "down";
            ASSERT_TRUE(pad.Poll());
            ASSERT_TRUE(pad.GetState(st));
            EXPECT_EQ(st.lY, 0);
        }
        SDL_JoystickClose(device);
        SDL_JoystickDetachVirtual(index);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
    SDL_Quit();
}
