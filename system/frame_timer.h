// Decides when the next frame is due, on a high-resolution counter. A frame fires only once the
// counter has passed `due`; the next is due one period after the moment it fired, so a late frame is
// never made up and two frames never run back to back.
#pragma once

#include <cstdint>

class FrameTimer {
public:
    using Counter = int64_t (*)();

    int64_t now = 0;
    int64_t last = 0;
    int64_t due = 0;
    int64_t ticksPerFrame = 0;
    int64_t frequency = 0;
    float framesPerSecond = 0;

    // Reads the counter through `counter` and its rate through `frequencyOf`; both default to the
    // platform's (system/platform_hooks.h).
    explicit FrameTimer(float framesPerSecond, Counter counter = nullptr, Counter frequencyOf = nullptr);

    void start();
    bool frameDue();
    // For a loop that can only look at the counter once per display refresh (the browser's animation
    // callback): a frame fires once it is due within `slack` ticks (half a refresh), and the next is
    // due one period after this one was due, so refresh jitter neither loses frames nor adds any and
    // a display at 120 or 144 Hz still gets 60 a second. More than a period late (a hidden page), the
    // lost frames are not made up: the next is due one period from now.
    bool frameDueAtRefresh(int64_t slack);
    // Ticks left until a frame would fire (0 when one would fire now); for waiting between frames.
    int64_t ticksUntilDue();
    // The counter as it reads now.
    int64_t readCounter() const { return read(); }

private:
    Counter read;
};

// The program's one timer at 60 frames per second.
FrameTimer& programFrameTimer();
const int FRAMES_PER_SECOND = 60;
