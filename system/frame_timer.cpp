#include "system/frame_timer.h"

#include "system/platform_hooks.h"

namespace {
int64_t platformCounter() { return platformHooks().counter(); }
int64_t platformFrequency() { return platformHooks().counterFrequency(); }
}  // namespace

FrameTimer::FrameTimer(float fps, Counter counter, Counter frequencyOf)
    : framesPerSecond(fps), read(counter ? counter : platformCounter) {
    last = 0;
    frequency = frequencyOf ? frequencyOf() : platformFrequency();
    // A zero rate is reported by frameDue; no division by it here.
    ticksPerFrame = fps > 0 ? (int64_t)((double)frequency / (double)fps) : 0;
}

void FrameTimer::start() {
    last = read();
    due = last + ticksPerFrame;
}

bool FrameTimer::frameDue() {
    if (framesPerSecond == 0.0f) {
        platformHooks().messageBox("No FPS set in timer", "Doh!");
        return false;
    }
    now = read();
    if (now <= due) return false;
    last = now;
    due = now + ticksPerFrame;
    return true;
}

bool FrameTimer::frameDueAtRefresh(int64_t slack) {
    if (framesPerSecond == 0.0f) {
        platformHooks().messageBox("No FPS set in timer", "Doh!");
        return false;
    }
    now = read();
    if (now + slack < due) return false;
    last = now;
    due = now - due > ticksPerFrame ? now + ticksPerFrame : due + ticksPerFrame;
    return true;
}

int64_t FrameTimer::ticksUntilDue() {
    int64_t left = due + 1 - read();
    return left > 0 ? left : 0;
}

FrameTimer& programFrameTimer() {
    static FrameTimer timer((float)FRAMES_PER_SECOND);
    return timer;
}
