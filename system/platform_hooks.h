// What the application needs from the platform it runs on, as a handful of hooks. Each backend (the
// SDL2 window, the headless EGL run) fills them in before appInit; the defaults do nothing harmful.
#pragma once

#include <cstdint>

struct PlatformHooks {
    int64_t (*counter)();           // high-resolution counter, ticks
    int64_t (*counterFrequency)();  // ticks per second
    void (*messageBox)(const char* text, const char* caption);
    void (*swapBuffers)();
    void (*hideCursor)();
    // The frame is drawn: where it was drawn offscreen (multisampled), it is put where it is shown and
    // read back, before the screenshot and the cursor.
    void (*frameDrawn)();
};

PlatformHooks& platformHooks();
// The defaults: a steady nanosecond clock, messages on standard error, no swap, no cursor.
void resetPlatformHooks();
