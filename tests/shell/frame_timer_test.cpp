#include <gtest/gtest.h>

#include <vector>

#include "app/headless_run.h"
#include "app/main_loop.h"
#include "framework/application.h"
#include "system/frame_timer.h"
#include "system/platform_hooks.h"

namespace {
int64_t fakeNow = 0;
int64_t fakeCounter() { return fakeNow; }
int64_t fakeFrequency() { return 1000; }  // 1000 / 60 = 16.67, truncated to 16 ticks per frame
}  // namespace

TEST(FrameTimer, FiresOnlyOncePastDueAndNeverCatchesUp) {
    fakeNow = 5000;
    FrameTimer timer(60.0f, fakeCounter, fakeFrequency);
    timer.start();  // it fires once the counter has passed due
    EXPECT_TRUE(timer.ticksPerFrame == 16 && timer.due == 5016 && timer.ticksUntilDue() == 17);

    fakeNow = 5016;  // equal to due: not yet
    EXPECT_FALSE(timer.frameDue());
    fakeNow = 5017;  // one tick later
    EXPECT_TRUE(timer.frameDue() && timer.due == 5017 + 16 && !timer.frameDue());

    // A stall of half a second fires exactly one frame; the next is one period after it.
    fakeNow += 500;
    EXPECT_TRUE(timer.frameDue() && !timer.frameDue());
    int64_t fired = fakeNow;
    fakeNow = fired + 16;
    EXPECT_FALSE(timer.frameDue());
    fakeNow = fired + 17;
    EXPECT_TRUE(timer.frameDue());
}

TEST(FrameTimer, AtDisplayRefreshGivesSixtyASecondAndSkipsAHiddenPause) {
    // Refreshes of 60, 120 and 144 Hz with a tick of jitter, for 10 s; then 3 s without refreshes.
    for (int hz : {60, 120, 144}) {
        fakeNow = 0;
        FrameTimer timer(60.0f, fakeCounter, fakeFrequency);
        timer.start();
        int frames = 0, refresh = 0;
        for (; refresh < 10 * hz; ++refresh) {
            fakeNow = refresh * 1000 / hz + (refresh % 3 == 0 ? 1 : 0);
            frames += timer.frameDueAtRefresh(1000 / hz / 2);
        }
        // 60 a second (a period of 16 ticks allows 62.5; a 60 Hz display at most 60)
        EXPECT_TRUE(frames >= 590 && frames <= 630) << hz << ": " << frames;
        fakeNow += 3000;
        EXPECT_TRUE(timer.frameDueAtRefresh(1000 / hz / 2) && !timer.frameDueAtRefresh(1000 / hz / 2)) << hz;  // no catch-up
    }
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

// A flood of input that never empties the queue (pointer moves under Wine can come so fast): the real
// main loop still fires frames on time and keeps handling messages between them.
TEST(MainLoop, AFloodOfMessagesDoesNotHoldTheFramesUp) {
    HeadlessRun run(64, 48, true);
    ASSERT_TRUE(run.ok()) << run.error();
    static int64_t now = 1000000;
    static std::vector<int64_t> fired;
    static int handled = 0;
    FrameTimer timer(60.0f, [] { return now; }, [] { return (int64_t)1000000; });  // microseconds
    timer.start();
    appSetFrameReadyHook([] { fired.push_back(now); });
    MainLoopHooks hooks;
    hooks.handleMessage = [] {
        now += 50;  // each message takes 50 us, and another one is always waiting
        if (fired.size() >= 30) requestQuit();
        return ++handled < 1000000;  // a loop that waits for an empty queue fails here, not hangs
    };
    hooks.waitForMessages = [](int ms) { now += (int64_t)ms * 1000; };
    hooks.sleepMicroseconds = [](int us) { now += us; };
    runMainLoop(timer, hooks);
    appSetFrameReadyHook(nullptr);

    ASSERT_GE(fired.size(), 30u);
    fired.insert(fired.begin(), 1000000);  // the first frame is on time too
    for (size_t i = 1; i < fired.size(); ++i)
        EXPECT_LE(fired[i] - fired[i - 1], 16666 + 32 * 50) << "frame " << i;  // a frame late by 32 messages at most
    EXPECT_GT(handled, 30 * 300);  // some 330 a frame
}
