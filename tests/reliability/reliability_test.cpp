// The whole piece under seeded random input (the monkey). VELMORA_MONKEY_SEED and VELMORA_MONKEY_FRAMES
// pick another run; a failure names both, and the same two replay the same run.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/headless_run.h"
#include "bench/gallery_support.h"
#include "framework/application.h"
#include "framework/season.h"
#include "render/gl.h"
#include "tests/scratch_directory.h"

namespace {

// An environment variable as a number, or `fallback` when it is unset or not a number.
long long environmentNumber(const char* name, long long fallback) {
    const char* text = std::getenv(name);
    char* end = nullptr;
    long long value = text && *text ? std::strtoll(text, &end, 0) : fallback;
    return end && *end ? fallback : value;
}

// One run of the monkey: `frames` frames of random input, each scene visited for a random while and
// left by Escape. Returns a hash of every 53rd frame; counts visits per scene in `visits`.
unsigned long long monkeyRun(unsigned long long seed, long frames, int visits[4], std::string& failure) {
    const int w = 160, h = 120;
    HeadlessRun run(w, h, false);  // every 53rd frame is drawn below
    if (!run.ok()) return failure = run.error(), 0;
    Dice dice{seed};
    const int keys[] = {VK_CODE_ENTER, VK_CODE_SPACE, VK_CODE_CONTROL, VK_CODE_A, VK_CODE_Z, VK_CODE_F12, 400};
    unsigned long long hash = seed;
    std::vector<unsigned char> pixels(3 * w * h);
    int inScene = 0, dwell = 0;
    for (long f = 0; f < frames; ++f) {
        const int x = dice.below(w + 20) - 10, y = dice.below(h + 20) - 10;
        const int state = appStateId();
        if (state == APP_MENU) {
            float l, t, r, b;
            appMenuRowRect((visits[0] + visits[1] + visits[2] + visits[3]) % 4, l, t, r, b);  // in turn
            if (dice.below(60) == 0) run.click((int)(l + r) / 2, (int)(t + b) / 2, 1 + 2 * dice.below(2));
        } else if (state == APP_SEASON) {
            if (inScene++ == 0) {
                dwell = 300 + dice.below(2500);
                visits[appChosenSeason()] += 1;
            }
            switch (dice.below(12)) {
            case 0: case 1: case 2: case 3: run.moveMouse(x, y); break;
            case 4: run.press(x, y, dice.below(2) ? 1 : 3); break;
            case 5: run.release(x, y, dice.below(2) ? 1 : 3); break;
            case 6: run.wheel(x, y, dice.below(2) == 0); break;
            case 7: dice.below(8) == 0 ? run.tapKey(keys[dice.below(7)]) : run.keyDown(keys[dice.below(5)]); break;
            case 8: run.keyUp(keys[dice.below(5)]); break;
            default: break;
            }
            if (inScene == dwell) run.tapKey(VK_CODE_ESCAPE);
        } else {
            inScene = 0;
            if (dice.below(30) == 0) run.moveMouse(x, y);
        }
        if (!run.runFrames(1)) return failure = "the piece quit unasked at frame " + std::to_string(f), hash;
        if (f % 53 == 0) {
            appDraw();
            glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
            for (unsigned char c : pixels) hash = hash * 1099511628211ull ^ c;
        }
    }
    // Afterwards the piece still gets back to the menu and closes on Escape within its closing sequence.
    run.runUntil([] { return appStateId() == APP_SEASON || appStateId() == APP_MENU; }, 400);
    if (appStateId() == APP_SEASON) run.tapKey(VK_CODE_ESCAPE);
    if (!run.runUntil([] { return appStateId() == APP_MENU; }, 1200)) return failure = "not back on the menu", hash;
    run.tapKey(VK_CODE_ESCAPE);
    if (!run.runFrames(FRAME_PROGRAM_ENDS - FRAME_EXIT_STARTS - 1) || run.runFrames(1))
        failure = "the closing sequence did not end the piece on time";
    return hash;
}

}  // namespace

TEST(Monkey, SeededInputThroughTheWholePieceVisitsEverySceneAndReplays) {
    const unsigned long long seed = (unsigned long long)environmentNumber("VELMORA_MONKEY_SEED", 20261206);
    const long frames = (long)environmentNumber("VELMORA_MONKEY_FRAMES", 24000);
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());
    int visits[4] = {}, again[2][4] = {};
    std::string failure;
    monkeyRun(seed, frames, visits, failure);
    ASSERT_EQ(failure, "") << "seed " << seed << ", " << frames << " frames";
    for (int i = 0; i < 4 && frames >= 24000; ++i) EXPECT_GE(visits[i], 2) << "scene " << i << ", seed " << seed;
    // Its F12 screenshots: whole files are checked by the screenshot, F12 and window-states tests.
    // The same seed replays the same run: the same sampled frames.
    const long replay = std::min(frames, 4000L);
    EXPECT_EQ(monkeyRun(seed, replay, again[0], failure), monkeyRun(seed, replay, again[1], failure));
}
