#include "app/main_loop.h"

#include "app/frame_timer.h"
#include "framework/application.h"

namespace {
// Margins that keep frames on time: waking from a message wait can be a millisecond late, from a
// short sleep a fraction of that. The last quarter millisecond is polled.
const int64_t kWaitMarginUs = 1500;
const int64_t kPollUs = 250;
}  // namespace

WaitPlan planWait(int64_t ticksLeft, int64_t frequency) {
    if (ticksLeft <= 0 || frequency <= 0) return WaitPlan{0, 0};
    int64_t us = (int64_t)((double)ticksLeft * 1e6 / (double)frequency);
    if (us > 1000000) us = 1000000;
    if (us > kWaitMarginUs + 1000) return WaitPlan{(int)((us - kWaitMarginUs) / 1000), 0};
    if (us > kPollUs) return WaitPlan{0, (int)(us - kPollUs)};
    return WaitPlan{0, 0};
}

void runMainLoop(FrameTimer& timer, const MainLoopHooks& hooks) {
    do {
        hooks.drainMessages();
        if (timer.frameDue()) {
            appUpdate();
            appDraw();
            continue;
        }
        if (quitRequested()) break;
        WaitPlan plan = planWait(timer.ticksUntilDue(), timer.frequency);
        if (plan.waitMilliseconds > 0)
            hooks.waitForMessages(plan.waitMilliseconds);
        else if (plan.sleepMicroseconds > 0)
            hooks.sleepMicroseconds(plan.sleepMicroseconds);
    } while (!quitRequested());
}
