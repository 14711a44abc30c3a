// What the piece does when things go wrong around it: screenshots that cannot be written, a frame
// clock that stalls, a window squashed to no height.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/frame_timer.h"
#include "app/headless_run.h"
#include "app/main_loop.h"
#include "app/screenshot.h"
#include "app/window_size.h"
#include "framework/application.h"
#include "framework/season.h"
#include "render/gl.h"
#include "tests/reliability/reliability_support.h"

namespace {

long fileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void pressF12(HeadlessRun& run) {
    run.keyDown(VK_CODE_F12);
    run.keyUp(VK_CODE_F12);
    run.runFrames(1);
}

}  // namespace

// Through F12 in the running piece: an existing file is skipped, a write cut short by a file-size
// limit leaves no partial file, a working directory that is gone gives no file; the piece runs on
// and the next screenshot is whole.
TEST(FailurePaths, ScreenshotsThatCannotBeWrittenLeaveNoFileAndThePieceRunsOn) {
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.path().empty());
    const int w = 96, h = 72;
    const long whole = 18L + 3L * w * h;
    HeadlessRun run(w, h, true);
    ASSERT_TRUE(run.ok()) << run.error();
    run.skipToMenu();
    setScreenshotCounter(0);

    { std::ofstream("Screenshot_0.tga") << "keep me"; }
    pressF12(run);
    EXPECT_EQ(readAll("Screenshot_0.tga"), "keep me");
    EXPECT_EQ(fileSize("Screenshot_1.tga"), whole);

    // The disk fills (here: a file-size limit) after the header: the file is removed again.
    struct rlimit previous;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    struct rlimit small = previous;
    small.rlim_cur = 4096;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    pressF12(run);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(fileSize("Screenshot_2.tga"), -1) << "a partial screenshot was left behind";

    // The working directory is removed under the running piece.
    int counter = screenshotCounter();
    ASSERT_EQ(mkdir("gone", 0755), 0);
    ASSERT_EQ(chdir("gone"), 0);
    ASSERT_EQ(rmdir((scratch.path() + "/gone").c_str()), 0);
    pressF12(run);
    EXPECT_EQ(screenshotCounter(), counter);
    ASSERT_EQ(chdir(scratch.path().c_str()), 0);

    // The piece runs on: into a scene and a whole screenshot of it.
    run.enterSeason(2);
    ASSERT_EQ(appStateId(), APP_SEASON);
    run.runFrames(30);
    pressF12(run);
    EXPECT_EQ(fileSize("Screenshot_" + std::to_string(counter) + ".tga"), whole);
    EXPECT_EQ(scratch.countFiles("Screenshot_"), 3);
}

// The main loop on a frame clock that stalls for half a second (the window dragged, the machine
// busy): exactly one frame fires after the stall, the next one a frame period later, and no frame
// is made up.
TEST(FailurePaths, AStallOfHalfASecondFiresOneFrameThenTheNextOnePeriodLater) {
    HeadlessRun run(64, 48, true);
    ASSERT_TRUE(run.ok()) << run.error();

    static int64_t now = 0;
    static std::vector<int64_t> fired;
    static int stallAfter = 0;
    static bool stalled = false;
    now = 1000000;
    fired.clear();
    stallAfter = 30;
    stalled = false;
    FrameTimer timer(60.0f, [] { return now; }, [] { return (int64_t)1000000; });  // microseconds
    const int64_t period = timer.ticksPerFrame;
    ASSERT_EQ(period, 16666);
    timer.start();
    appSetFrameReadyHook([] { fired.push_back(now); });

    MainLoopHooks hooks;
    hooks.handleMessage = [] {
        now += 20;  // one turn of the loop, no message waiting
        if (!stalled && (int)fired.size() == stallAfter) {
            now += 500000;
            stalled = true;
        }
        if (fired.size() >= 45) requestQuit();
        return false;
    };
    hooks.waitForMessages = [](int ms) { now += (int64_t)ms * 1000; };
    hooks.sleepMicroseconds = [](int us) { now += us; };
    runMainLoop(timer, hooks);
    appSetFrameReadyHook(nullptr);

    ASSERT_GE(fired.size(), 45u);
    // Every frame was one update: the opening counted exactly as many frames as were drawn.
    EXPECT_EQ(appStateFrame(), (int)fired.size());
    for (size_t i = 1; i < fired.size(); ++i) {
        int64_t gap = fired[i] - fired[i - 1];
        EXPECT_GT(gap, period) << "frame " << i;
        if (i == (size_t)stallAfter) {
            EXPECT_GE(gap, 500000) << "the frame after the stall";
        } else {
            EXPECT_LE(gap, period + 100) << "frame " << i;  // on time, within a few turns of the loop
        }
    }
}

// A flood of input that never empties the queue (pointer moves under Wine can come so fast): the frames
// still come on time, and the messages keep being handled between them.
TEST(FailurePaths, AFloodOfMessagesDoesNotHoldTheFramesUp) {
    HeadlessRun run(64, 48, true);
    ASSERT_TRUE(run.ok()) << run.error();
    static int64_t now = 0;
    static std::vector<int64_t> fired;
    static int handled = 0;
    now = 1000000;
    fired.clear();
    handled = 0;
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
    EXPECT_LE(fired[0] - 1000000, timer.ticksPerFrame + kMessagesPerTurn * 50);
    for (size_t i = 1; i < fired.size(); ++i)
        EXPECT_LE(fired[i] - fired[i - 1], timer.ticksPerFrame + kMessagesPerTurn * 50) << "frame " << i;
    EXPECT_GT(handled, 30 * 300);  // some 330 a frame
}

// A window squashed to no height: a one-pixel-high viewport, and the scenes draw and pick through it
// without a value going bad; back at full size the frame is whole again.
TEST(FailurePaths, AWindowOfHeightZeroKeepsTheSceneRunning) {
    const int w = 120, h = 90;
    HeadlessRun run(w, h, true);
    ASSERT_TRUE(run.ok()) << run.error();
    for (int scene = 0; scene < 4; ++scene) {
        run.enterSeason(scene);
        ASSERT_EQ(appStateId(), APP_SEASON);
        run.runFrames(201);
        run.click(w / 2, h / 2);  // past the reading pause
        run.runFrames(250);
        ASSERT_TRUE(scenePlaying(appCurrentSeason())) << sceneNames[scene];

        applyWindowSize(w, 0);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], w);
        EXPECT_EQ(viewport[3], 1);
        run.drag(10, 10, w - 10, h - 10, 60, 1);
        run.drag(w - 10, 10, 10, h - 10, 30, 3);
        run.runFrames(60);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        EXPECT_EQ(firstNonFinite(scene, appCurrentSeason()), "") << sceneNames[scene];

        applyWindowSize(w, h);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[3], h);
        run.tapKey(VK_CODE_ESCAPE);
        run.runUntil([] { return appStateId() == APP_MENU; }, 1000);
        ASSERT_EQ(appStateId(), APP_MENU);
    }
    // The menu after it all: the panel is drawn again over the white page.
    run.runFrames(1);
    int marked = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) marked += run.pixel(x, y).r < 250 ? 1 : 0;
    printf("DEBUG marked %d\n", marked);
    EXPECT_GT(marked, 20);
}
