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
    static int messages = 0;
    messages = 0;
    resetPlatformHooks();
    platformHooks().messageBox = [](const char* text, const char* caption) {
        EXPECT_STREQ(text, "No FPS set in timer");
        EXPECT_STREQ(caption, "Doh!");
        ++messages;
    };
    FrameTimer timer(0.0f, fakeCounter, fakeFrequency);
    timer.start();
    fakeNow += 1000;
    EXPECT_FALSE(timer.frameDue());
    EXPECT_FALSE(timer.frameDue());
    EXPECT_EQ(messages, 2);
    resetPlatformHooks();
}

TEST(FrameTimer, WaitPlanSleepsUntilShortlyBeforeTheFrame) {
    const int64_t us = 1000000;  // a microsecond counter
    WaitPlan far = planWait(16000, us);
    EXPECT_GT(far.waitMilliseconds, 10);
    EXPECT_LE(far.waitMilliseconds * 1000, 16000 - 1000);  // wakes at least a millisecond early
    WaitPlan near = planWait(1200, us);
    EXPECT_EQ(near.waitMilliseconds, 0);
    EXPECT_GT(near.sleepMicroseconds, 0);
    EXPECT_LT(near.sleepMicroseconds, 1200);
    WaitPlan now = planWait(100, us);
    EXPECT_EQ(now.waitMilliseconds + now.sleepMicroseconds, 0);
    WaitPlan broken = planWait(100, 0);
    EXPECT_EQ(broken.waitMilliseconds + broken.sleepMicroseconds, 0);
}
