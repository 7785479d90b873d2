// Stopwatch, timer resolution and the frame pacer on the headless virtual clock.
#include <gtest/gtest.h>

#include "system.h"
#include "timing/gvlTimer.h"

namespace {

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::InitOptions o;
        o.backend = plat::Backend::Headless;
        ASSERT_TRUE(plat::Init(o));
    }
    void TearDown() override { plat::Shutdown(); }
};

TEST_F(TimerTest, PauseNestsAndLeavesThePausedSpanOut) {
    CTimer t;
    plat::Sleep(10);
    EXPECT_EQ(t.Get(), 10u);
    t.Pause();
    t.Pause();
    plat::Sleep(50);
    EXPECT_EQ(t.Get(), 10u);
    t.Restart();
    plat::Sleep(5);
    EXPECT_TRUE(t.IsPaused());  // still paused after one restart
    EXPECT_EQ(t.Get(), 10u);
    t.Restart();
    EXPECT_FALSE(t.IsPaused());
    EXPECT_EQ(t.Get(), 10u);
    plat::Sleep(3);
    EXPECT_EQ(t.Get(), 13u);
    // An extra restart changes nothing.
    t.Restart();
    EXPECT_EQ(t.Get(), 13u);
    t.Pause();
    plat::Sleep(4);
    EXPECT_EQ(t.Get(), 13u);
}

TEST_F(TimerTest, SetAndResetWhileRunningAndPaused) {
    CTimer t;
    t.Set(500);
    EXPECT_EQ(t.Get(), 500u);
    plat::Sleep(7);
    EXPECT_EQ(t.Get(), 507u);
    t.Pause();
    t.Set(100);
    plat::Sleep(9);
    EXPECT_EQ(t.Get(), 100u);
    t.Reset();
    EXPECT_FALSE(t.IsPaused());
    EXPECT_EQ(t.Get(), 0u);
}

TEST_F(TimerTest, OneResolutionGuardForAllTimers) {
    ASSERT_EQ(CTimer::LiveCount(), 0);
    int before = plat::RaisedTimerPeriods();
    {
        CTimer a;
        EXPECT_EQ(plat::RaisedTimerPeriods(), before + 1);
        EXPECT_NE(g_TimeGetTimeCreater.get(), nullptr);
        CTimeGetTimeWrapper* first = g_TimeGetTimeCreater.get();
        {
            CTimer b;
            CFPSTimer c;
            EXPECT_EQ(CTimer::LiveCount(), 3);
            EXPECT_EQ(g_TimeGetTimeCreater.get(), first);
            EXPECT_EQ(plat::RaisedTimerPeriods(), before + 1);
        }
        EXPECT_EQ(g_TimeGetTimeCreater.get(), first);
    }
    EXPECT_EQ(CTimer::LiveCount(), 0);
    EXPECT_EQ(g_TimeGetTimeCreater.get(), nullptr);
    EXPECT_EQ(plat::RaisedTimerPeriods(), before);
}

TEST_F(TimerTest, PacerWaitsSixteenAndSeventeen) {
    CFPSTimer f;
    f.SetFPS(60);
    EXPECT_EQ(f.GetFrameTime(), 1092266u);
    const uint32_t expected[] = {16, 17, 16, 17, 17, 16, 17, 17, 16};
    uint32_t start = plat::TickCount();
    for (uint32_t w : expected) {
        uint32_t before = plat::TickCount();
        f.WaitFrame();
        EXPECT_EQ(f.GetLastWait(), w);
        EXPECT_EQ(plat::TickCount() - before, w);
        EXPECT_FALSE(f.ToBeSkip());
    }
    for (int i = 9; i < 60; ++i) f.WaitFrame();
    uint32_t total = plat::TickCount() - start;
    EXPECT_GE(total, 999u);
    EXPECT_LE(total, 1000u);
    EXPECT_EQ(f.GetFrameCount(), 60u);
}

TEST_F(TimerTest, BusyFramesSleepOnlyTheRest) {
    CFPSTimer f;
    f.SetFPS(60);
    plat::Sleep(5);
    f.WaitFrame();
    EXPECT_EQ(f.GetLastWait(), 11u);
    EXPECT_EQ(f.GetBusyTime(), 5u);
}

TEST_F(TimerTest, HundredMillisecondFrameSkipsAndCatchesUp) {
    CFPSTimer f;
    f.SetFPS(60);
    const uint32_t origin = plat::TickCount();
    for (int i = 0; i < 6; ++i) f.WaitFrame();
    plat::Sleep(100);
    f.WaitFrame();
    EXPECT_EQ(f.GetLastWait(), 0u);
    EXPECT_TRUE(f.ToBeSkip());
    // The frames after it do not sleep until the schedule is caught up.
    int noSleep = 0;
    for (;;) {
        f.WaitFrame();
        if (f.GetLastWait() != 0) break;
        ++noSleep;
        ASSERT_LT(noSleep, 10);
    }
    EXPECT_GE(noSleep, 3);
    EXPECT_FALSE(f.ToBeSkip());
    // Back on the 60-per-second schedule: frame k ends at about k * 16.67 ms.
    uint32_t frames = f.GetFrameCount();
    uint32_t elapsed = plat::TickCount() - origin;
    EXPECT_NEAR(double(elapsed), frames * 1000.0 / 60.0, 1.0);
}

TEST_F(TimerTest, QuarterSecondLateIsForgotten) {
    CFPSTimer f;
    f.SetFPS(60);
    f.WaitFrame();
    plat::Sleep(400);
    f.WaitFrame();
    EXPECT_EQ(f.GetLastWait(), 0u);
    EXPECT_FALSE(f.ToBeSkip());
    // The schedule restarts from now: the next frame gets a full wait.
    f.WaitFrame();
    EXPECT_GE(f.GetLastWait(), 16u);
}

TEST_F(TimerTest, SkipCountCoversTheLastWindow) {
    CFPSTimer f;
    f.SetFPS(10);  // 100 ms frames
    for (int i = 0; i < 10; ++i) {
        if (i == 3 || i == 6) plat::Sleep(100 + 3 * 100);  // late by 300 ms or more: forgotten
        else if (i == 5) plat::Sleep(100 + 200);            // late 200: not 3 x 100
        f.WaitFrame();
    }
    EXPECT_EQ(f.GetSkipFrameCount(), 0u);
    CFPSTimer g;
    g.SetFPS(60);
    for (int i = 0; i < 60; ++i) {
        if (i == 10 || i == 30) plat::Sleep(100);
        g.WaitFrame();
    }
    EXPECT_EQ(g.GetSkipFrameCount(), 0u);  // the window is not complete yet
    g.WaitFrame();
    EXPECT_GE(g.GetSkipFrameCount(), 2u);
}

TEST_F(TimerTest, RealRateAndIdleShare) {
    CFPSTimer f;
    f.SetFPS(60);
    for (int i = 0; i < 15; ++i) f.WaitFrame();
    EXPECT_EQ(f.GetRealFPS(), 0u);
    EXPECT_EQ(f.GetCPUPower(), 0u);
    f.WaitFrame();
    EXPECT_EQ(f.GetRealFPS(), 60u);
    EXPECT_EQ(f.GetCPUPower(), 100u);
    for (int i = 0; i < 40; ++i) {
        plat::Sleep(8);
        f.WaitFrame();
    }
    EXPECT_GE(f.GetRingCounter(), 32u);
    EXPECT_LT(f.GetRingCounter(), 64u);
    EXPECT_EQ(f.GetRealFPS(), 60u);
    EXPECT_EQ(f.GetCPUPower(), 100u - (60u * 8 * 16) / 160);  // 52
    // Half speed: every frame takes 33 ms.
    for (int i = 0; i < 40; ++i) {
        plat::Sleep(33);
        f.WaitFrame();
    }
    EXPECT_EQ(f.GetRealFPS(), 30u);
}

TEST_F(TimerTest, RateZeroDoesNotWait) {
    CFPSTimer f;
    f.SetFPS(0);
    EXPECT_EQ(f.GetFrameTime(), 1092266u);  // kept
    uint32_t t = plat::TickCount();
    for (int i = 0; i < 5; ++i) f.WaitFrame();
    EXPECT_EQ(plat::TickCount(), t);
    EXPECT_EQ(f.GetFrameCount(), 5u);
    f.SetFPS(30);
    EXPECT_EQ(f.GetFrameTime(), 65536000u / 30);
    EXPECT_EQ(f.GetFrameCount(), 0u);
}

}  // namespace
