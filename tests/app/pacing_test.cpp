// The main loop's pacing rules, with a clock the test moves by hand.
#include <gtest/gtest.h>

#include <vector>

#include "app/FrameTimer.h"

namespace {

class CFakeClock : public CClock {
public:
    uint32_t now = 0;
    std::vector<uint32_t> waits;
    uint32_t NowMs() override { return now; }
    void WaitUntilMs(uint32_t due) override
    {
        waits.push_back(due);
        if (static_cast<int32_t>(due - now) > 0) now = due;
    }
};

// Idle passes once a millisecond from the clock's time up to end (exclusive);
// returns the times at which steps ran.
std::vector<uint32_t> RunPasses(CFramePacer& pacer, CFakeClock& clock, FrameTimer& timer, uint32_t end,
                                bool display = false)
{
    std::vector<uint32_t> steps;
    for (; static_cast<int32_t>(end - clock.now) > 0; ++clock.now) {
        if (pacer.BeginPass(display, false)) {
            steps.push_back(clock.now);
            timer.CountFrame();
        }
        pacer.CheckSecond();
    }
    return steps;
}

}  // namespace

TEST(FramePacing, StepsOf16And17CountedFromThePresentTime)
{
    FrameTimer timer;
    CFakeClock clock;
    clock.now = 1000;
    CFramePacer pacer(timer, clock);
    pacer.Start();
    EXPECT_EQ(timer.m_dwNextFrame, 1016u);
    const auto steps = RunPasses(pacer, clock, timer, 1120);
    const std::vector<uint32_t> expect = {1016, 1033, 1049, 1066, 1082, 1099, 1115};
    EXPECT_EQ(steps, expect);
}

TEST(FramePacing, LateStepIsFollowedByOneStepNotABurst)
{
    FrameTimer timer;
    CFakeClock clock;
    clock.now = 0;
    CFramePacer pacer(timer, clock);
    pacer.Start();
    auto steps = RunPasses(pacer, clock, timer, 20);
    ASSERT_EQ(steps, std::vector<uint32_t>{16});
    // The window was dragged: the next pass comes 300 ms later.
    clock.now = 320;
    steps = RunPasses(pacer, clock, timer, 400);
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(steps[0], 320u);
    EXPECT_TRUE(steps[1] == 336u || steps[1] == 337u) << steps[1];
    EXPECT_EQ(steps.size(), 5u);  // 320, 336, 353, 369, 386
}

TEST(FramePacing, FramesPerSecondChangesOnlyAtTheSecondMark)
{
    FrameTimer timer;
    CFakeClock clock;
    clock.now = 5000;
    CFramePacer pacer(timer, clock);
    pacer.Start();
    EXPECT_EQ(timer.m_dwNextSecond, 6000u);
    RunPasses(pacer, clock, timer, 6000);
    EXPECT_EQ(timer.m_nFps, 0);  // the first second shows 0
    // Steps at 5016, then +17, +16, ...: the 60th is at 5990.
    EXPECT_EQ(timer.m_nFrames, 60);
    // The mark is taken on the first pass at or after it, even with no step due.
    clock.now = 6000;
    EXPECT_FALSE(pacer.BeginPass(false, false));
    EXPECT_TRUE(pacer.CheckSecond());
    EXPECT_EQ(timer.m_nFps, 60);
    EXPECT_EQ(timer.m_nFrames, 0);
    EXPECT_EQ(timer.m_dwNextSecond, 7000u);
    ++clock.now;
    RunPasses(pacer, clock, timer, 6999);
    EXPECT_EQ(timer.m_nFps, 60);
    EXPECT_FALSE(pacer.CheckSecond());
}

TEST(FramePacing, SecondMarkTakenLateCountsFromThatPass)
{
    FrameTimer timer;
    CFakeClock clock;
    CFramePacer pacer(timer, clock);
    pacer.Start();
    clock.now = 1450;  // a long stall across the mark
    pacer.BeginPass(false, false);
    EXPECT_TRUE(pacer.CheckSecond());
    EXPECT_EQ(timer.m_dwNextSecond, 2450u);
    EXPECT_FALSE(pacer.CheckSecond());
}

TEST(FramePacing, DisplayPacedOrUnpacedStepsEveryPass)
{
    FrameTimer timer;
    CFakeClock clock;
    CFramePacer pacer(timer, clock);
    pacer.Start();
    EXPECT_TRUE(pacer.BeginPass(true, false));
    EXPECT_TRUE(pacer.BeginPass(true, false));
    EXPECT_TRUE(pacer.BeginPass(false, true));
    EXPECT_FALSE(pacer.BeginPass(false, false));
    pacer.WaitForNextDue(true, false);
    pacer.WaitForNextDue(false, true);
    EXPECT_TRUE(clock.waits.empty());
}

TEST(FramePacing, IdleWaitEndsAtTheNextStepOrSecondMark)
{
    FrameTimer timer;
    CFakeClock clock;
    clock.now = 100;
    CFramePacer pacer(timer, clock);
    pacer.Start();
    pacer.WaitForNextDue(false, false);
    ASSERT_EQ(clock.waits.size(), 1u);
    EXPECT_EQ(clock.waits[0], 116u);
    EXPECT_TRUE(pacer.BeginPass(false, false));
    // Just before the second mark the mark comes first.
    clock.now = 1095;
    timer.m_dwNextFrame = 1110;
    pacer.WaitForNextDue(false, false);
    EXPECT_EQ(clock.waits.back(), 1100u);
}

TEST(FramePacing, ClockWrapAround)
{
    FrameTimer timer;
    CFakeClock clock;
    clock.now = 0xFFFFFFF8u;
    CFramePacer pacer(timer, clock);
    pacer.Start();
    const auto steps = RunPasses(pacer, clock, timer, 0x30u);
    const std::vector<uint32_t> expect = {8u, 25u, 41u};
    EXPECT_EQ(steps, expect);
}
