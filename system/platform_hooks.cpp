#include "system/platform_hooks.h"

#include <chrono>
#include <cstdio>

namespace {

int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
int64_t nanosecondsPerSecond() { return 1000000000; }
void messageToStderr(const char* text, const char* caption) {
    std::fprintf(stderr, "%s%s%s\n", caption ? caption : "", caption && *caption ? ": " : "", text);
}
void nothing() {}

PlatformHooks defaults() {
    return PlatformHooks{steadyNanoseconds, nanosecondsPerSecond, messageToStderr, nothing, nothing, nothing};
}

PlatformHooks hooks = defaults();

}  // namespace

PlatformHooks& platformHooks() { return hooks; }
void resetPlatformHooks() { hooks = defaults(); }
