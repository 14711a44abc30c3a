// The main loop's opt-in frame log: one line per frame with when it was due, when it started and
// ended, and the start-up marks; nothing at all unless it was opened.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/frame_timer.h"
#include "app/headless_run.h"
#include "app/main_loop.h"
#include "app/platform.h"
#include "bench/bench_stats.h"
#include "framework/application.h"

namespace {

int64_t fakeNow = 0;
int fired = 0;
int64_t fakeCounter() { return fakeNow; }
int64_t microsecondsPerSecond() { return 1000000; }

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

}  // namespace

TEST(FrameLog, RecordsEveryFrameWithItsLatenessAndTheStartUpMarks) {
    HeadlessRun run(64, 48, true);
    ASSERT_TRUE(run.ok()) << run.error();
    const std::string path = testing::TempDir() + "velmora_frame_log_test.txt";
    ASSERT_TRUE(frameLogOpen(path.c_str()));
    ASSERT_TRUE(frameLogActive());
    frameLogMark("window");

    fakeNow = 5000000;
    fired = 0;
    platformHooks().counter = fakeCounter;  // the log reads the end of a frame here
    FrameTimer timer(60.0f, fakeCounter, microsecondsPerSecond);
    timer.start();
    appSetFrameReadyHook([] {
        fakeNow += 3000;  // every frame's drawing takes 3 ms
        fired += 1;
    });
    MainLoopHooks hooks;
    hooks.handleMessage = [] {
        fakeNow += 20;
        if (fired >= 12) requestQuit();
        return false;
    };
    hooks.waitForMessages = [](int ms) { fakeNow += (int64_t)ms * 1000; };
    hooks.sleepMicroseconds = [](int us) { fakeNow += us; };
    runMainLoop(timer, hooks);
    appSetFrameReadyHook(nullptr);
    frameLogClose();
    EXPECT_FALSE(frameLogActive());

    std::vector<bench::FrameRecord> frames;
    std::vector<std::string> marks;
    for (const std::string& line : lines(path)) {
        bench::FrameRecord r;
        if (bench::parseFrameRecord(line, r)) {
            frames.push_back(r);
        } else {
            ASSERT_EQ(line[0], '#') << line;
            char name[32];
            long long since, realtime;
            if (std::sscanf(line.c_str(), "# mark %31s %lld realtime %lld", name, &since, &realtime) == 3) {
                marks.push_back(std::string(name) + (frames.empty() ? " before" : " after"));
                EXPECT_GT(realtime, 1600000000000000LL);  // microseconds since the epoch, not seconds
            }
        }
    }
    ASSERT_EQ((int)frames.size(), fired);
    EXPECT_EQ(marks, (std::vector<std::string>{"open before", "window before", "first_frame after"}));
    for (size_t i = 0; i < frames.size(); ++i) {
        const bench::FrameRecord& f = frames[i];
        // A frame starts only once its due time has passed, within a turn of the loop.
        EXPECT_GT(f.start, f.due) << i;
        EXPECT_LE(f.start - f.due, 20) << i;
        EXPECT_EQ(f.end - f.start, 3000) << i;
        EXPECT_GE(f.cpuEnd, f.cpuStart) << i;
        if (i > 0) {
            EXPECT_EQ(f.due, frames[i - 1].start + timer.ticksPerFrame) << i;
        }
    }
    EXPECT_EQ(frames[0].due, 5000000 + timer.ticksPerFrame);
    std::remove(path.c_str());
}

TEST(FrameLog, OffUnlessOpened) {
    frameLogClose();
    EXPECT_FALSE(frameLogActive());
    frameLogMark("nothing");  // harmless while off

    unsetenv("VELMORA_FRAME_LOG");
    EXPECT_FALSE(frameLogOpenFromEnvironment());
    setenv("VELMORA_FRAME_LOG", "", 1);
    EXPECT_FALSE(frameLogOpenFromEnvironment());
    EXPECT_FALSE(frameLogOpen("/nonexistent-folder/velmora.log"));
    EXPECT_FALSE(frameLogActive());

    const std::string path = testing::TempDir() + "velmora_frame_log_env.txt";
    setenv("VELMORA_FRAME_LOG", path.c_str(), 1);
    EXPECT_TRUE(frameLogOpenFromEnvironment());
    EXPECT_TRUE(frameLogActive());
    frameLogClose();
    unsetenv("VELMORA_FRAME_LOG");
    std::vector<std::string> written = lines(path);
    ASSERT_EQ(written.size(), 2u);  // the header and the mark of opening
    EXPECT_EQ(written[1].rfind("# mark open ", 0), 0u);
    std::remove(path.c_str());
}
