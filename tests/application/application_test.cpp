#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "system/screenshot.h"

#include "app/headless_run.h"
#include "app/input_script.h"
#include "framework/application.h"
#include "framework/season.h"
#include "render/gl.h"
#include "tests/scratch_directory.h"

namespace {

// A scene that records what the application asks of it and finishes when told to.
struct SpyScene : ASeason {
    int resets = 0, updates = 0, draws = 0, keys = 0, presses = 0;
    std::string seen;  // keys and buttons, in order
    bool finishOnNextUpdate = false;
    void init(int, int, BitmapFont*) override {}
    void reset() override { ++resets; finished = false; }
    void update() override {
        ++updates;
        if (finishOnNextUpdate) finished = true;
    }
    void draw() override { ++draws; }
    void keyPressed(int key) override { ++keys, seen += "key " + std::to_string(key) + " "; }
    void keyReleased(int key) override { seen += "keyup " + std::to_string(key) + " "; }
    void mouseMoved(int, int) override {}
    void mousePressed(int, int, int b) override { ++presses, seen += "press " + std::to_string(b) + " "; }
    void mouseReleased(int, int, int b) override { seen += "release " + std::to_string(b) + " "; }
    void startExiting() override {}
};

}  // namespace

TEST(Application, OpeningMarksAndEscapeOnlyOnTheMenu) {
    HeadlessRun run(640, 480, false);
    ASSERT_TRUE(run.ok()) << run.error();
    // Escape is ignored in the opening and while the menu fades in; each state begins on its mark.
    const int marks[][2] = {{219, APP_INTRO}, {1, APP_TITLES}, {100, APP_MENU_APPEARING}, {99, APP_MENU_APPEARING}};
    for (const auto& m : marks) {
        run.tapKey(VK_CODE_ESCAPE);
        run.runFrames(m[0]);
        EXPECT_EQ(appStateId(), m[1]) << run.frame();
    }
    run.runFrames(1);
    EXPECT_TRUE(appStateId() == APP_MENU && run.frame() == 420);
    run.runFrames(30);  // the menu waits
    run.tapKey(VK_CODE_ESCAPE);
    EXPECT_TRUE(appStateId() == APP_EXITING && appStateFrame() == 570);
    EXPECT_TRUE(run.runFrames(199) && !quitRequested());
    EXPECT_FALSE(run.runFrames(1));
    EXPECT_TRUE(quitRequested());
}

TEST(Application, MenuRowsPickByAnyButtonIncludingEdgesAndTheWideHitArea) {
    HeadlessRun run(640, 480, false);
    ASSERT_TRUE(run.ok()) << run.error();
    SpyScene spy[4];
    for (int i = 0; i < 4; ++i) appReplaceSeasonForTesting(i, &spy[i]);
    run.skipToMenu();

    float l0, t0, r0, b0, l1, t1, r1, b1, l3, t3, r3, b3;
    appMenuRowRect(0, l0, t0, r0, b0), appMenuRowRect(1, l1, t1, r1, b1), appMenuRowRect(3, l3, t3, r3, b3);
    EXPECT_FLOAT_EQ(b0, t1);
    // 117 x 23.45 reference units a row (pixels at 640 x 480): the bands the sheet's names lie in.
    EXPECT_TRUE(std::fabs(r0 - l0 - 117) < 0.01f && std::fabs(b3 - t0 - 4 * 23.45f) < 0.01f);

    struct Case { float x, y; int button; int expected; };
    const Case cases[] = {
        {l0 + 5, (float)(int)b0, 1, 0},      // the pixel rows either side of the line between rows
        {l0 + 5, (float)(int)b0 + 1, 1, 1},  // 0 and 1: no dead row between them
        {r0 - 1, t1 + 5, 1, 1},    // right of the drawn panel, within 117 units
        {l0 + 5, (t1 + b1) / 2 + 23.45f, 3, 2},  // the right button
        {l0 + 5, (t1 + b1) / 2 + 2 * 23.45f, 5, 3},  // the wheel
        {l0 + 5, (t1 + b1) / 2 + 2 * 23.45f, 4, 3},
    };
    for (const Case& c : cases) {
        run.skipToMenu();
        run.press((int)c.x, (int)c.y, c.button);
        EXPECT_EQ(appStateId(), APP_ENTERING_SEASON) << "button " << c.button;
        EXPECT_EQ(appChosenSeason(), c.expected) << "at " << c.x << ", " << c.y;
        run.tapKey(VK_CODE_ESCAPE);  // ignored while fading into the scene
        EXPECT_EQ(appStateId(), APP_ENTERING_SEASON);
        run.runUntil([] { return appStateId() == APP_SEASON; }, 200);
        EXPECT_TRUE(appStateId() == APP_SEASON && appStateFrame() == 570);
        float clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_EQ(clear[0], c.expected == 3 ? 0.0f : 1.0f) << "Winter alone is on black";
        spy[c.expected].finishOnNextUpdate = true;
        run.runFrames(1);
        spy[c.expected].finishOnNextUpdate = false;
    }
    run.press(1, 1, 1);  // outside every row
    run.runFrames(110);
    EXPECT_EQ(appStateId(), APP_MENU);
}

TEST(Application, AFinishedSceneReturnsThroughTheFadeInAndIsResetOnce) {
    HeadlessRun run(640, 480, false);
    ASSERT_TRUE(run.ok()) << run.error();
    SpyScene spy;
    appReplaceSeasonForTesting(2, &spy);
    run.enterSeason(2);
    ASSERT_EQ(appStateId(), APP_SEASON);
    run.tapKey(VK_CODE_SPACE);
    run.press(10, 10, 1);
    run.runFrames(5);
    EXPECT_TRUE(spy.keys == 1 && spy.presses == 1 && spy.updates == 5);
    spy.finishOnNextUpdate = true;
    run.runFrames(1);
    EXPECT_TRUE(appStateId() == APP_MENU_APPEARING && appStateFrame() == 320 && spy.resets == 0);
    spy.finishOnNextUpdate = false;
    run.runFrames(1);
    EXPECT_TRUE(spy.resets == 1 && appCurrentSeason() == nullptr);
    run.tapKey(VK_CODE_SPACE);  // the menu's input never reaches a scene
    run.press(10, 10, 1);
    run.runFrames(200);
    EXPECT_TRUE(spy.resets == 1 && spy.keys == 1 && spy.presses == 1 && appStateId() == APP_MENU);
}

TEST(Application, CursorNeverShowsInTheOpeningOrClosing) {
    HeadlessRun run(640, 480, true);
    ASSERT_TRUE(run.ok()) << run.error();
    for (int i = 0; i < 420; ++i) {
        run.moveMouse(100 + i % 50, 100);
        run.runFrames(1);
        if (appStateId() == APP_INTRO || appStateId() == APP_TITLES) {
            ASSERT_EQ(appCursorAlpha(), 0.0f) << i;
        }
    }
    run.moveMouse(320, 40);
    run.runFrames(60);
    EXPECT_GT(appCursorAlpha(), 0.5f);

    run.tapKey(VK_CODE_ESCAPE);
    for (int i = 0; i < 199; ++i) {
        run.moveMouse(200, 200 + i % 7);
        run.press(200, 200, 1);
        run.runFrames(1);
        ASSERT_EQ(appCursorAlpha(), 0.0f) << "closing frame " << i;
    }
}

TEST(Application, F12SavesOneScreenshotPerFrameWithoutTheCursor) {
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());

    {
        HeadlessRun run(320, 240, true);
        ASSERT_TRUE(run.ok()) << run.error();
        run.skipToMenu();
        run.moveMouse(20, 20);
        run.runFrames(30);
        ASSERT_GT(appCursorAlpha(), 0.3f);
        setScreenshotCounter(0);
        run.keyUp(VK_CODE_F12);
        run.keyUp(VK_CODE_F12);  // two releases before one frame: one file
        run.runFrames(1);
        run.runFrames(1);
    }
    std::ifstream shot("Screenshot_0.tga", std::ios::binary);
    std::vector<unsigned char> tga((std::istreambuf_iterator<char>(shot)), {});
    ASSERT_EQ(tga.size(), 18u + 3u * 320 * 240);
    // The pixel under the pointer (20, 20 from the top) is the white page, not the blue disc.
    const unsigned char* p = &tga[18 + 3 * ((size_t)(240 - 1 - 20) * 320 + 20)];
    EXPECT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255);
    EXPECT_FALSE(std::ifstream("Screenshot_1.tga").good());
}

// The script that drives the browser build and the headless run it is compared with (tests/web):
// every verb read and delivered on its frame, and a line that cannot be read named by its number.
TEST(InputScript, DeliversEachVerbOnItsFrameAndNamesABadLine) {
    InputScript script;
    ASSERT_TRUE(script.parse("# a visit\n\n430 row 2\n431 move 7 9\n640 down 7 9 3\n641 up 7 9 3\n"
                             "642 key 27\n643 keyup 123\n700 capture\n"))
        << script.error;
    EXPECT_TRUE(script.lastFrame() == 700 && script.captures(700) && !script.captures(643));
    HeadlessRun run(160, 120, false);
    ASSERT_TRUE(run.ok()) << run.error();
    run.skipToMenu();
    SpyScene spy;
    appReplaceSeasonForTesting(2, &spy);
    for (int f = 430; f <= 643; ++f) {
        script.deliver(f);
        run.runFrames(1, false);
        if (f == 430) {
            EXPECT_TRUE(appStateId() == APP_ENTERING_SEASON && appChosenSeason() == 2);
        }
    }
    EXPECT_EQ(spy.seen, "press 3 release 3 key 27 keyup 123 ");
    for (const char* bad : {"5 move 1", "5 jump 1", "five move 1 2", "5 down 1 2"}) {
        InputScript broken;
        EXPECT_FALSE(broken.parse(std::string("# fine\n") + bad + "\n")) << bad;
        EXPECT_EQ(broken.error.rfind("line 2: ", 0), 0u) << bad << ": " << broken.error;
    }
}
