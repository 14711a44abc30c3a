// The fixed-rate main loop: drain the window's messages, run one update and one draw whenever the
// frame timer says a frame is due, and between frames sleep until shortly before the next one is due
// instead of spinning a core.
#pragma once

#include <cstdint>

class FrameTimer;

struct MainLoopHooks {
    void (*drainMessages)();                 // dispatches every waiting message
    void (*waitForMessages)(int milliseconds);  // returns early when a message arrives
    void (*sleepMicroseconds)(int microseconds);
};

// How to wait when `ticksLeft` ticks (of `frequency` per second) remain before the next frame:
// a message-aware wait of `waitMilliseconds`, then a plain sleep of `sleepMicroseconds`; both 0 means
// the frame is close enough to poll for.
struct WaitPlan {
    int waitMilliseconds;
    int sleepMicroseconds;
};
WaitPlan planWait(int64_t ticksLeft, int64_t frequency);

// Runs until the application asks to quit.
void runMainLoop(FrameTimer& timer, const MainLoopHooks& hooks);
