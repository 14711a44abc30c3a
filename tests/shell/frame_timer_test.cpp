#include <gtest/gtest.h>

#include "app/frame_timer.h"
#include "app/main_loop.h"
#include "app/platform.h"

namespace {
int64_t fakeNow = 0;
int64_t fakeCounter() { return fakeNow; }
int64_t fakeFrequency() { return 1000; }  // 1000 / 60 = 16.67, truncated to 16 ticks per frame
}  // namespace

TEST(FrameTimer, FiresOnlyOncePastDueAndNeverCatchesUp) {
    fakeNow = 5000;
    FrameTimer timer(60.0f, fakeCounter, fakeFrequency);
    EXPECT_EQ(timer.ticksPerFrame, 16);
    timer.start();
    EXPECT_EQ(timer.due, 5016);
    EXPECT_EQ(timer.ticksUntilDue(), 17);  // it fires once the counter has passed due

    fakeNow = 5016;  // equal to due: not yet
    EXPECT_FALSE(timer.frameDue());
    fakeNow = 5017;  // one tick later
    EXPECT_TRUE(timer.frameDue());
    EXPECT_EQ(timer.due, 5017 + 16);
    EXPECT_FALSE(timer.frameDue());

    // A stall of half a second fires exactly one frame; the next is one period after it.
    fakeNow += 500;
    EXPECT_TRUE(timer.frameDue());
    EXPECT_FALSE(timer.frameDue());
    int64_t fired = fakeNow;
    fakeNow = fired + 16;
    EXPECT_FALSE(timer.frameDue());
    fakeNow = fired + 17;
    EXPECT_TRUE(timer.frameDue());
}

TEST(FrameTimer, ZeroRateReportsAndNeverFires) {
    static int messages;
    messages = 0;
    resetPlatformHooks();
    platformHooks().messageBox = [](const char*, const char*) { ++messages; };
    FrameTimer timer(0.0f, fakeCounter, fakeFrequency);
    timer.start();
    fakeNow += 1000;
    EXPECT_FALSE(timer.frameDue() || timer.frameDue());
    EXPECT_EQ(messages, 2);
    resetPlatformHooks();
}

TEST(FrameTimer, WaitPlanSleepsUntilShortlyBeforeTheFrame) {
    const int64_t us = 1000000;  // a microsecond counter
    WaitPlan far = planWait(16000, us), near = planWait(1200, us), now = planWait(100, us), broken = planWait(100, 0);
    EXPECT_TRUE(far.waitMilliseconds > 10 && far.waitMilliseconds * 1000 <= 16000 - 1000);  // a millisecond early
    EXPECT_TRUE(near.waitMilliseconds == 0 && near.sleepMicroseconds > 0 && near.sleepMicroseconds < 1200);
    EXPECT_EQ(now.waitMilliseconds + now.sleepMicroseconds + broken.waitMilliseconds + broken.sleepMicroseconds, 0);
}
