#include "ConfigHome.h"

#include "persist/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(KeyNames, NamesGiveTheKeyboardScanCodes)
{
    const struct {
        const char* name;
        int code;
    } kCases[] = {
        {"Z", 44}, {"z", 44}, {"A", 30}, {"X", 45}, {"C", 46}, {"Q", 16}, {"W", 17}, {"M", 50},
        {"1", 2}, {"9", 10}, {"0", 11}, {"Escape", 1}, {"esc", 1}, {"Enter", 28},
        {"LShift", 42}, {"RShift", 54}, {"LCtrl", 29}, {"RCtrl", 157}, {"Space", 57},
        {"F1", 59}, {"F10", 68}, {"F11", 87}, {"F12", 88}, {"Up", 200}, {"Down", 208},
        {"Left", 203}, {"Right", 205}, {"PageDown", 209}, {"Delete", 211},
        {"Numpad8", 72}, {"NumpadEnter", 156}, {"NumpadSlash", 181}, {"RAlt", 184},
        {"ISOBackslash", 86}, {"Yen", 125}, {"Menu", 221},
        {"#44", 44}, {"#0", 0}, {"#255", 255}, {"None", 0},
        // Not keys.
        {"Foo", -1}, {"", -1}, {"#", -1}, {"#256", -1}, {"#-1", -1}, {"#4x", -1}, {"Z ", -1},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(ScanCodeFromName(c.name), c.code) << '"' << c.name << '"';
}

TEST(KeyNames, EveryCodeShowsANameThatReadsBack)
{
    EXPECT_EQ(NameOfScanCode(44), "Z");
    EXPECT_EQ(NameOfScanCode(200), "Up");
    EXPECT_EQ(NameOfScanCode(42), "LShift");
    EXPECT_EQ(NameOfScanCode(0), "None");
    EXPECT_EQ(NameOfScanCode(84), "#84");  // no key has this code
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(ScanCodeFromName(NameOfScanCode(code)), code) << code;
}

TEST(KeyNames, ControllerButtons)
{
    const struct {
        const char* name;
        int button;
    } kCases[] = {
        {"0", 0}, {"2", 2}, {"31", 31}, {"A", 0}, {"b", 1}, {"X", 2}, {"Y", 3}, {"LB", 4},
        {"RB", 5}, {"Back", 6}, {"start", 7}, {"LS", 8}, {"RS", 9},
        {"32", -1}, {"-1", -1}, {"Guide", -1}, {"", -1}, {"1.5", -1},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(PadButtonFromName(c.name), c.button) << '"' << c.name << '"';
}

TEST(Bindings, DefaultsAreTheGamesControls)
{
    // korvo.ini key, the --bind action, and the default as a player names it.
    const struct {
        const char* iniKey;
        const char* action;
        const char* shown;
    } kKeyboard[] = {
        {"attack0key", "attack0", "Z"},    {"attack1key", "attack1", "A"},
        {"reloadkey", "reload", "X"},      {"dashkey", "dash", "LShift"},
        {"bladekey", "blade", "C"},        {"leftrollkey", "leftroll", "Q"},
        {"rightrollkey", "rightroll", "W"}, {"upkey", "up", "Up"},
        {"downkey", "down", "Down"},       {"leftkey", "left", "Left"},
        {"rightkey", "right", "Right"},
    };
    for (const auto& k : kKeyboard) {
        const SBinding* b = FindBinding(k.action);
        ASSERT_NE(b, nullptr) << k.action;
        EXPECT_STREQ(b->m_pszIniKey, k.iniKey);
        EXPECT_FALSE(b->m_bPad);
        EXPECT_EQ(NameOfScanCode(EffectiveBinding(*b, "")), k.shown) << k.action;
    }
    const struct {
        const char* iniKey;
        int button;
    } kPad[] = {{"attack0", 0}, {"attack1", 2}, {"reload", 1}, {"dash", 7},
                {"blade", 3},   {"leftroll", 4}, {"rightroll", 5}};
    for (const auto& p : kPad) {
        const SBinding* b = FindBinding(std::string("pad.") + p.iniKey);
        ASSERT_NE(b, nullptr) << p.iniKey;
        EXPECT_STREQ(b->m_pszIniKey, p.iniKey);
        EXPECT_TRUE(b->m_bPad);
        EXPECT_EQ(EffectiveBinding(*b, ""), p.button);
    }
    EXPECT_EQ(Bindings().size(), 18u);
    EXPECT_EQ(FindBinding("pad.up"), nullptr);  // the stick and d-pad move; no button
    // A stored value is read as the game reads it: letters bind no key.
    EXPECT_EQ(EffectiveBinding(*FindBinding("attack0"), "abc"), 0);
    EXPECT_EQ(EffectiveBinding(*FindBinding("attack0"), "57"), 57);
}

TEST(ScoreName, StoredCutOrRefused)
{
    const struct {
        const char* what;
        std::string in;
        bool ok;
        std::string stored;
        bool warned;
    } kCases[] = {
        {"plain", "bob", true, "bob", false},
        {"blanks at the ends go", "  bob smith  ", true, "bob smith", false},
        {"16 bytes fit a replay", "abcdefghijklmnop", true, "abcdefghijklmnop", false},
        {"17 bytes are cut", "abcdefghijklmnopq", true, "abcdefghijklmnop", true},
        {"a comma is a plain byte of the value", "a,b", true, "a,b", false},
        {"five kana fit in 15 bytes", "あいうえお", true, "あいうえお", false},
        {"the sixth kana would straddle byte 16", "あいうえおか", true, "あいうえお", true},
        {"cut before a character that starts at byte 15", "abcdefghijklmnoあ", true,
         "abcdefghijklmno", true},
        {"a 4-byte character ends exactly at 16", "abcdefghijkl\xF0\x9F\x98\x80xyz", true,
         "abcdefghijkl\xF0\x9F\x98\x80", true},
        {"empty", "", false, "", false},
        {"only blanks", "   ", false, "", false},
        {"a line feed would split the file's line", "bob\nplaycount,0", false, "", false},
        {"tab", "a\tb", false, "", false},
        {"not UTF-8", "\xFF\xFE", false, "", false},
        {"a cut-off character", "ab\xE3\x81", false, "", false},
        {"an overlong form", "\xC0\xAF", false, "", false},
        {"a C1 control (CSI) would drive a terminal", "a\xC2\x9B" "31mb", false, "", false},
        {"a right-to-left override would turn the list around", "ab\xE2\x80\xAE" "cd", false, "", false},
        {"a left-to-right isolate", "ab\xE2\x81\xA6" "cd", false, "", false},
        {"an escape byte", "\x1B[2J", false, "", false},
        {"a right-to-left script itself is fine", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", true,
         "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", false},
    };
    for (const auto& c : kCases) {
        std::string stored, error, warning;
        const bool ok = PrepareScoreName(c.in, stored, error, warning);
        EXPECT_EQ(ok, c.ok) << c.what;
        if (ok) {
            EXPECT_EQ(stored, c.stored) << c.what;
            EXPECT_EQ(!warning.empty(), c.warned) << c.what;
            EXPECT_TRUE(IsValidUtf8(stored)) << c.what;
        } else {
            EXPECT_FALSE(error.empty()) << c.what;
        }
    }
}

TEST(DisplayText, ControlsAndStrayBytesAreEscapedEverythingElsePasses)
{
    const struct {
        std::string in, out;
    } kCases[] = {
        {"Alice", "Alice"},
        {"テスト", "テスト"},
        {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
        {"\x1B[31mred", "\\x1B[31mred"},
        {"\x7F", "\\x7F"},
        {"a\xC2\x9B" "b", "a\\u{009B}b"},
        {"x\xE2\x80\xAE" "y", "x\\u{202E}y"},
        {"\xFF\xFE", "\\xFF\\xFE"},
        {"\x83\x65", "\\x83e"},  // Shift-JIS bytes are not UTF-8
        {"back\\slash", "back\\\\slash"},
        {std::string("nul\0", 4), "nul\\x00"},
    };
    for (const auto& c : kCases) EXPECT_EQ(EscapeForDisplay(c.in), c.out) << c.in;
}

using Config = ConfigHome;

TEST_F(Config, ScoreNameKeepsEveryOtherRecord)
{
    // The game's own keys and an unknown one, unsorted as a hand-edited file may be.
    WriteFile("critical.ini",
              "playtime,3600\nscorename,old\nchaptor0.Reached,1\nbarrage10.ClearCount,2\n"
              "zz.note,kept, with comma\nplaycount,5\n");
    ASSERT_EQ(Run({"--name", "あいうえおか"}), 0) << m_Err.str();
    EXPECT_EQ(ReadFile("critical.ini"),
              "barrage10.ClearCount,2\nchaptor0.Reached,1\nplaycount,5\nplaytime,3600\n"
              "scorename,あいうえお\nzz.note,kept, with comma\n");
    EXPECT_NE(m_Err.str().find("16 bytes"), std::string::npos) << m_Err.str();
    EXPECT_FALSE(Exists("korvo.ini"));  // only the records were asked for
}

// A name someone wrote into the file by hand reaches the terminal escaped,
// whichever way it is shown.
TEST_F(Config, StoredNamesAreShownEscaped)
{
    WriteFile("critical.ini", "scorename,\x1B]0;owned\x07\xC2\x9B" "2J\xE2\x80\xAE" "x\n");
    const std::string escaped = "\\x1B]0;owned\\x07\\u{009B}2J\\u{202E}x";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--show"}, std::vector<std::string>{"--get", "scorename"}}) {
        ASSERT_EQ(Run(args), 0) << m_Err.str();
        EXPECT_NE(m_Out.str().find(escaped), std::string::npos) << m_Out.str();
        EXPECT_EQ(m_Out.str().find('\x1B'), std::string::npos);
        EXPECT_EQ(m_Out.str().find("\xE2\x80\xAE"), std::string::npos);
    }
}

TEST_F(Config, SettingsKeepUnknownKeysAndTheOtherFile)
{
    const std::string records = "scorename,bob\nplaycount,1\n";
    WriteFile("critical.ini", records);
    WriteFile("korvo.ini", "upkey,72\nmykey,hello\nwindowmode,1\n,empty key\n");
    ASSERT_EQ(Run({"--set", "windowmode=window", "--set=windowscale=2", "--bind", "attack0=Space",
                   "--bind", "pad.dash=Start", "--bind", "up=default", "--set", "bitdepth=32"}),
              0)
        << m_Err.str();
    EXPECT_EQ(ReadFile("korvo.ini"),
              ",empty key\nattack0key,57\nbitdepth,1\ndash,7\nmykey,hello\nupkey,\n"
              "windowmode,0\nwindowscale,2\n");
    EXPECT_EQ(ReadFile("critical.ini"), records);

    // What the game reads back from it.
    CSettingsFile ini(PathOf("korvo.ini"));
    EXPECT_EQ(EffectiveBinding(*FindBinding("up"), ini.GetString("upkey")), 200);
}

TEST_F(Config, UsageErrorsWriteNothing)
{
    const std::string settings = "attack0key,44\nother,1\n";
    const std::vector<std::vector<std::string>> kCases = {
        {"--bind", "attack0=Foo"},
        {"--bind", "jump=Z"},
        {"--bind", "attack0"},
        {"--bind", "pad.up=1"},
        {"--bind", "pad.attack0=32"},
        {"--set", "windowmode=2"},
        {"--set", "windowscale=0"},
        {"--set", "windowscale=9"},
        {"--set", "modelquality=1"},
        {"--set", "modelquality=-2x"},
        {"--set", "attack0key=44"},  // bindings go through --bind
        {"--set"},
        {"--name", ""},
        {"--name", "a\nb"},
        {"--frobnicate"},
        {"--show=yes"},
        // A good change followed by a bad one: the good one is not written either.
        {"--name", "bob", "--set", "windowmode=0", "--bind", "attack0=Nope"},
    };
    for (const auto& args : kCases) {
        WriteFile("korvo.ini", settings);
        const auto before = Listing();
        EXPECT_EQ(Run(args), kExitUsage) << args.back();
        EXPECT_FALSE(m_Err.str().empty()) << args.back();
        EXPECT_EQ(ReadFile("korvo.ini"), settings) << args.back();
        EXPECT_EQ(Listing(), before) << args.back();
    }
}

TEST_F(Config, RecordsKeptInTheOldFileAreCarriedOver)
{
    // An older game kept its records in korvo.ini; the game copies them to a
    // missing critical.ini at start, so setting a name must not create a
    // records file that hides them.
    const std::string old = "chaptor1.Reached,1\nplaycount,9\nwindowmode,0\n";
    WriteFile("korvo.ini", old);
    ASSERT_EQ(Run({"--name", "bob"}), 0) << m_Err.str();
    EXPECT_EQ(ReadFile("critical.ini"),
              "chaptor1.Reached,1\nplaycount,9\nscorename,bob\nwindowmode,0\n");
    EXPECT_EQ(ReadFile("korvo.ini"), old);
}

TEST_F(Config, SettingsAloneAreNotTakenForRecords)
{
    WriteFile("korvo.ini", "windowmode,0\nattack0key,57\n");
    ASSERT_EQ(Run({"--name", "bob"}), 0) << m_Err.str();
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,bob\n");
}

TEST_F(Config, InteractiveSession)
{
    WriteFile("korvo.ini", "mykey,1\n");
    // Name, a refused window mode then a good one, yes to bindings, then one
    // answer per binding in order: keep all but attack0 (a bad name first) and
    // the controller's attack0.
    std::string input = "alice\n7\n0\ny\n";
    for (const SBinding& b : Bindings()) {
        if (std::string(b.m_pszAction) == "attack0")
            input += "Nope\nSpace\n";
        else if (std::string(b.m_pszAction) == "pad.attack0")
            input += "B\n";
        else
            input += "\n";
    }
    ASSERT_EQ(Run({}, input, true), 0) << m_Err.str();
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,alice\n");
    EXPECT_EQ(ReadFile("korvo.ini"), "attack0,1\nattack0key,57\nmykey,1\nwindowmode,0\n");
    EXPECT_NE(m_Out.str().find("unknown key name \"Nope\""), std::string::npos);
}

TEST_F(Config, InteractiveSessionCutShortWritesNothing)
{
    WriteFile("critical.ini", "scorename,bob\n");
    EXPECT_EQ(Run({}, "carol\n0\n", true), kExitFailed);  // input ends at the bindings question
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,bob\n");
    EXPECT_FALSE(Exists("korvo.ini"));
}

// From the desktop's menu the program runs in a terminal of its own, which
// closes when it ends: with --wait it holds the outcome until Enter, and
// leaves nothing unread in the input to the session.
TEST_F(Config, WaitHoldsTheTerminalOpenWhateverTheOutcome)
{
    const struct {
        std::vector<std::string> args;
        std::string input;
        bool terminal;
        int rc;
        bool waits;
    } kCases[] = {
        {{"--wait"}, "alice\n0\nn\n\n", true, kExitOk, true},   // the whole session, then Enter
        {{"--wait", "--bogus"}, "\n", true, kExitUsage, true},     // a failure is held too
        {{"--wait", "--show"}, "", false, kExitOk, false},         // no terminal: nobody to wait for
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(Run(c.args, c.input, c.terminal), c.rc) << m_Err.str();
        const std::string out = m_Out.str();
        const size_t prompt = out.find("Press Enter to close.");
        EXPECT_EQ(prompt != std::string::npos, c.waits) << out;
        if (c.waits) {
            EXPECT_EQ(out.size(), prompt + std::string("Press Enter to close.").size()) << "said last";
        }
    }
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,alice\n");
}

TEST_F(Config, AskNameOnlyWhenNoneIsSet)
{
    ASSERT_EQ(Run({"--ask-name"}, "\n  \nalice\n"), 0) << m_Err.str();
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,alice\n");

    ASSERT_EQ(Run({"--ask-name"}, "mallory\n"), 0);
    EXPECT_EQ(ReadFile("critical.ini"), "scorename,alice\n");
    EXPECT_EQ(m_Out.str().find("Score name"), std::string::npos) << "asked although set";

    std::filesystem::remove(PathOf("critical.ini"));
    EXPECT_EQ(Run({"--ask-name"}, ""), kExitFailed);
    EXPECT_TRUE(Listing().empty());
}

TEST_F(Config, GetAndShowReadWithoutWriting)
{
    WriteFile("critical.ini", "scorename,bob\n");
    WriteFile("korvo.ini", "attack0key,57\nwindowmode,0\n");
    ASSERT_EQ(Run({"--get", "scorename", "--get", "windowmode", "--get", "vsync", "--show"}), 0);
    const std::string out = m_Out.str();
    EXPECT_EQ(out.rfind("bob\n0\n\n", 0), 0u) << out;
    EXPECT_NE(out.find("Space"), std::string::npos) << out;       // attack0 on scan code 57
    EXPECT_NE(out.find("a window"), std::string::npos) << out;
    EXPECT_EQ(Listing(), (std::set<std::string>{"critical.ini", "korvo.ini"}));
}

}  // namespace
