// The craft in the real program: a scripted chapter 1 where it moves, fires,
// dashes, swings, bombs and turns slow motion on and off, seen in the
// snapshots and the HUD; and an idle craft that the enemies shoot down, whose
// game ends in a kept temporary replay that plays back the same way.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <thread>
#include <utility>

#include "core/Util.h"
#include "game_home.h"
#include "persist/Replay.h"

namespace {

// A full game starts at step 12 (title, then main menu item 0).
const std::string kStartGame = "5 attack0\n12 attack0\n";
// The control test plays chapter 1 from its waves (the intro holds the craft)
// from step 0 on.
constexpr int kAction = 60;      // the step every variant acts on
constexpr int kLook = 75;        // where its effect is looked at
constexpr int kVolleyLook = 150; // the bomb's lasers (fired 60 frames after it) in flight
constexpr int kLate = 200;       // the bomb's cut-in has left the HUD

// The play field's columns and the HUD's left column.
constexpr int kFieldX0 = 140, kFieldX1 = 500;

// Width of a HUD bar from x = 5 on row y: the run of pixels whose colour is
// the bar's (green: the gauge and the stock; yellow where the whole thirds of
// the gauge are counted).
int BarWidth(const SPicture& p, int y, bool yellow)
{
    int width = 0;
    for (int x = 5; x < 5 + 117; ++x) {
        const uint8_t* c = p.At(x, y);
        const bool green = c[1] > 100 && c[0] < 60;
        const bool both = c[1] > 100 && c[0] > 100;
        if (yellow ? both : (green || both)) width = x - 5 + 1;
    }
    return width;
}

int Brightness(const SPicture& p, int x0, int y0, int x1, int y1)
{
    long sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) sum += p.At(x, y)[0] + p.At(x, y)[1] + p.At(x, y)[2];
    return static_cast<int>(sum / ((x1 - x0) * (y1 - y0)));
}

// One run of the game with the common start and one action line.
struct SVariant {
    SVariant(const char* n, std::string a) : name(n), action(std::move(a)) {}

    const char* name;
    std::string action;
    CGameHome home;
    SPicture look, volley, late, before;

    void Run(int frames)
    {
        const std::string shots = std::to_string(kAction - 1) + "," + std::to_string(kLook) + "," +
                                  std::to_string(kVolleyLook) + "," + std::to_string(kLate);
        ASSERT_EQ(home.Run(action, frames, {"--stage", "0:1", "--snapshot-at", shots}, false), 0)
            << name << home.Err();
        ASSERT_TRUE(before.Load(Snapshot(home, kAction - 1))) << name;
        ASSERT_TRUE(look.Load(Snapshot(home, kLook))) << name;
        ASSERT_TRUE(volley.Load(Snapshot(home, kVolleyLook))) << name;
        ASSERT_TRUE(late.Load(Snapshot(home, kLate))) << name;
    }
};

}  // namespace

TEST(Play, EveryControlShowsInThePictureAndTheHud)
{
    const std::string at = std::to_string(kAction);
    const std::string span = at + "-" + std::to_string(kLook);
    SVariant idle{"idle", ""};
    SVariant move{"move", span + " x=-1\n"};
    SVariant fire{"fire", std::to_string(kAction) + "-" + std::to_string(kVolleyLook) + " attack0\n"};
    SVariant dash{"dash", at + " dash x=1\n"};
    SVariant blade{"blade", span + " blade x=1\n"};
    SVariant bomb{"bomb", at + " reload\n"};
    SVariant slow{"slow", at + " reload x=1\n" + std::to_string(kLook + 10) + " reload x=1\n"};
    SVariant* all[] = {&idle, &move, &fire, &dash, &blade, &bomb, &slow};
    // Two games at a time.
    for (size_t i = 0; i < std::size(all); i += 2) {
        std::thread second;
        if (i + 1 < std::size(all)) second = std::thread([v = all[i + 1]] { v->Run(kLate + 1); });
        all[i]->Run(kLate + 1);
        if (second.joinable()) second.join();
    }
    if (HasFailure()) return;

    for (SVariant* v : all) {
        SCOPED_TRACE(v->name);
        // The same input up to the action: the same picture (but for the
        // frames-per-second figure in the top right corner).
        EXPECT_EQ(v->before.CountDifferent(idle.before, 0, 20, 640, 480), 0);
        EXPECT_EQ(v->before.CountDifferent(idle.before, 0, 0, 560, 20), 0);
    }
    // Two spare crafts: 2/9 of the stock bar (once the chapter has faded in).
    EXPECT_EQ(BarWidth(idle.late, 145, false), 2 * 117 / 9);
    for (SVariant* v : {&move, &fire, &dash, &blade, &bomb, &slow}) {
        SCOPED_TRACE(v->name);
        EXPECT_GT(v->look.CountDifferent(idle.look, kFieldX0, 0, kFieldX1, 480), 100);
    }
    // Moving, firing, dashing and swinging change nothing in the HUD's gauge.
    for (SVariant* v : {&move, &dash, &blade}) {
        SCOPED_TRACE(v->name);
        EXPECT_EQ(BarWidth(v->look, 96, false), BarWidth(idle.look, 96, false));
    }

    // The gauge, 3600 at the start and one more every frame of play, holds
    // one bomb: its yellow third shows. The bomb spends it (read once its
    // flash and cut-in have gone).
    const int full = BarWidth(idle.late, 96, false);
    EXPECT_NEAR(full, (3600 + kLate) * 117 / 10800, 1);
    EXPECT_EQ(BarWidth(idle.late, 96, true), 39);
    EXPECT_NEAR(BarWidth(bomb.late, 96, false), full - 39, 2);   // give or take an item
    EXPECT_EQ(BarWidth(bomb.late, 96, true), 0);
    // Its lasers fly 60 frames after it, and strike.
    EXPECT_GT(bomb.volley.CountDifferent(idle.volley, kFieldX0, 0, kFieldX1, 480), 1000);

    // Slow motion darkens the screen as it starts, costs 900 and drains 10
    // on every update (every second frame) until it is switched off 25
    // frames later.
    EXPECT_LT(Brightness(slow.look, kFieldX0, 0, kFieldX1, 480), Brightness(idle.look, kFieldX0, 0, kFieldX1, 480));
    EXPECT_NEAR(BarWidth(slow.late, 96, false), (3600 + kLate - 900 - 10 * 13) * 117 / 10800, 1);

    // Firing on into the first wave shoots zabs down: the score shows.
    EXPECT_GT(fire.volley.CountDifferent(idle.volley, 60, 10, 128, 24), 0);
}

TEST(Play, TheLastCraftLostEndsTheGameOnTheSaveListWithItsReplay)
{
    CGameHome home;
    // An idle craft in chapter 1: the enemies' bullets and bodies take its
    // three crafts; 480 frames after the last the save list opens.
    ASSERT_EQ(home.Run(kStartGame, 2600), 0) << home.Err();
    const std::string stages = home.Stages();
    const size_t end = stages.find(":-5");
    ASSERT_NE(end, std::string::npos) << stages;
    const size_t endWord = stages.rfind(' ', end) + 1;
    const int endStep = std::stoi(stages.substr(endWord));
    EXPECT_EQ(stages.substr(0, endWord), "0:-1 0:-6 5:-2 12:-3L 12:0 ");

    SetProgramDir(home.path.string() + "/");
    CReplay replay;
    const bool loaded = replay.Load(kReplayTempFile);   // its check text holds
    SetProgramDir("");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(replay.GetHeader().m_nChapter, -1);
    EXPECT_STREQ(replay.GetHeader().m_szScoreName, "tester");
    // One record for every step of play: from the step after the start (the
    // start's own input belongs to the menu) to the one before the end.
    EXPECT_EQ(replay.GetRecordCount(), static_cast<size_t>(endStep - 13));
    const int played = endStep - 12;   // steps from the start to the end

    // The same game again, kept in slot 0; then from the main menu (item 2)
    // the replay list, and slot 0 watched: the same game ends on the same
    // frame of play, on the replay list this time. (The chapter's music is
    // loaded already: no loading frame.)
    const int keep = endStep + 5;
    const int watch = keep + 8;
    const std::string script = kStartGame + std::to_string(keep) + " attack0\n" +
                               std::to_string(keep + 2) + " y=-1\n" + std::to_string(keep + 4) + " y=-1\n" +
                               std::to_string(keep + 6) + " attack0\n" + std::to_string(watch) + " attack0\n";
    ASSERT_EQ(home.Run(script, watch + played + 20), 0) << home.Err();
    EXPECT_TRUE(fs::exists(home.path / "replay" / "replay0.dat"));
    EXPECT_FALSE(fs::exists(home.path / "replay" / "_tmp.dat"));
    const std::string k = std::to_string(keep), w = std::to_string(watch);
    EXPECT_EQ(home.Stages(), "0:-1 0:-6 5:-2 12:-3L 12:0 " + std::to_string(endStep) + ":-5 " + k + ":-2 " +
                                 std::to_string(keep + 6) + ":-4 " + w + ":0 " +
                                 std::to_string(watch + played) + ":-4");
}
