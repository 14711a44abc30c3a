// The fixed-rate main loop: handle the window's messages, run one update and one draw whenever the
// frame timer says a frame is due, and between frames sleep until shortly before the next one is due
// instead of spinning a core.
#pragma once

#include <cstdint>

#include "app/opening_hours.h"

class FrameTimer;

struct MainLoopHooks {
    bool (*handleMessage)();                 // dispatches one waiting message; false when none waits
    void (*waitForMessages)(int milliseconds);  // returns early when a message arrives
    void (*sleepMicroseconds)(int microseconds);
    void (*beforeFrame)() = nullptr;         // right before every appUpdate; may be null
    int (*minuteOfDay)() = nullptr;          // the local time for the opening hours; null: the system's
};

// A piece left running where it is shown (--hours, --log). Outside its opening hours the screen is
// black, nothing is updated or drawn, and the loop only waits on messages, a second at a time; when
// the hours begin, the piece starts again from its opening (appInit on a screen of width x height, the
// session afresh). With a health log open (app/health_log.h) the loop writes its lines. Run as a
// systemd service (app/service_notify.h) it sends READY=1 once up, then WATCHDOG=1 about once a second:
// from the frame path while open, from its waits while closed; a loop that hangs sends nothing more.
struct Exhibition {
    OpeningHours hours;  // none: always open
    int width = 0, height = 0;
};

// How to wait when `ticksLeft` ticks (of `frequency` per second) remain before the next frame:
// a message-aware wait of `waitMilliseconds`, then a plain sleep of `sleepMicroseconds`; both 0 means
// the frame is close enough to poll for.
struct WaitPlan {
    int waitMilliseconds;
    int sleepMicroseconds;
};
WaitPlan planWait(int64_t ticksLeft, int64_t frequency);

// Runs until the application asks to quit. Each turn handles the waiting messages first; under a flood
// that never empties the queue, the turn ends once a frame is due and at least kMessagesPerTurn were
// handled, so frames go on while input keeps coming (and input still moves when frames run late).
const int kMessagesPerTurn = 32;
void runMainLoop(FrameTimer& timer, const MainLoopHooks& hooks, const Exhibition& exhibition = Exhibition());

// Tunes the C library's allocator for the software renderer, once, before the GL context is made:
// freed memory stays in the process instead of going back to the system at once. The renderer frees
// and allocates blocks of some 64 KB many times a frame; handed back and taken again, each costs fresh
// page faults, which on a virtual machine made a frame of six hundred letters take over 100 ms. Does
// nothing where the C library has no such setting.
void keepFreedMemory();

// An opt-in timing log for measuring the real loop (bench/frame_pacing.sh). Off unless opened; while
// off, the loop pays one pointer test per frame and the marks return at once.
//
// Lines starting with '#' are comments and start-up marks:
//   # mark <name> <microseconds since frameLogOpen> realtime <microseconds since the epoch>
// Every other line is one frame, times in microseconds:
//   <due> <start> <end> <cpuStart> <cpuEnd>
// due, start and end on the frame timer's counter (due: when the frame became due; start: when the
// loop saw it; end: after appUpdate, appDraw and the buffer swap); cpuStart and cpuEnd are the CPU time
// of the whole process (all threads) at start and end.
//
// Opens `path` (truncating it); false if it cannot be written. Replaces a log already open.
bool frameLogOpen(const char* path);
// Opens the file named by the environment variable VELMORA_FRAME_LOG, if it is set and not empty.
bool frameLogOpenFromEnvironment();
bool frameLogActive();
void frameLogMark(const char* name);
// Writes out and closes the log (also done at process exit).
void frameLogClose();
