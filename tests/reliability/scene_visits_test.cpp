// Every scene entered, played with and left many times: each visit starts from the same state as the
// first, and memory does not grow from visit to visit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/season.h"
#include "render/gl.h"
#include "tests/reliability/reliability_support.h"

namespace {

const int kWidth = 160, kHeight = 120;

// Heap growth allowed between the warm-up visits and the last: the 64 KiB buffer that the software GL
// driver takes and gives back from one frame to the next, and a few stray bytes. One visit's letters,
// fish or plants made anew would take several times as much.
const long kHeapSlack = 80 * 1024;

void clickRow(int index) {
    float left, top, right, bottom;
    appMenuRowRect(index, left, top, right, bottom);
    int x = (int)((left + right) / 2), y = (int)((top + bottom) / 2);
    onMouseMove(x, y);
    onMouseDown(x, y, 1);
    onMouseUp(x, y, 1);
}

}  // namespace

TEST(SceneVisits, EveryVisitStartsAsTheFirstAndMemoryStaysFlat) {
    const int visits = (int)environmentNumber("VELMORA_VISITS", 8);
    ScratchDirectory scratch;
    Monkey::Options options;
    options.seed = (uint64_t)environmentNumber("VELMORA_MONKEY_SEED", 77);
    options.allowQuit = false;
    options.allowEscape = false;
    options.allowScreenshots = false;
    Monkey monkey(kWidth, kHeight, options);
    HeadlessRun& run = monkey.run();
    ASSERT_TRUE(run.ok()) << run.error();
    run.skipToMenu();

    for (int scene = 0; scene < 4; ++scene) {
        std::vector<std::string> first;
        std::vector<long> heap;
        std::vector<long> resident;
        for (int visit = 0; visit < visits; ++visit) {
            ASSERT_EQ(appStateId(), APP_MENU);
            clickRow(scene);
            ASSERT_TRUE(run.runUntil([] { return appStateId() == APP_SEASON; }, 1000));
            ASSERT_EQ(appCurrentSeason(), appSeason(scene));

            std::vector<std::string> start = visitStartSnapshot(scene, appCurrentSeason());
            ASSERT_FALSE(start.empty());
            if (visit == 0)
                first = start;
            else
                ASSERT_EQ(snapshotDifference(first, start), "") << sceneNames[scene] << ", visit " << visit + 1;

            // Random play of a few hundred frames after the fade-in (a click skips the reading pause),
            // with a sample of frames drawn, then Escape. Each drawn frame is finished, so that the
            // software rasteriser holds no backlog of frames when the memory is read.
            int length = 700 + monkey.random.below(900);
            for (int f = 0; f < length; ++f) {
                if (f == 200) run.click(kWidth / 2, kHeight / 2);
                if (f > 200) monkey.sceneInput();
                run.runFrames(1);
                if (f % 150 == 0 || f == length - 1) {
                    appDraw();
                    glFinish();
                }
                ASSERT_EQ(appStateId(), APP_SEASON) << sceneNames[scene] << " left early at frame " << f;
            }
            std::string bad = firstNonFinite(scene, appCurrentSeason());
            ASSERT_EQ(bad, "") << sceneNames[scene] << ", visit " << visit + 1;
            monkey.releaseAll();
            onKeyDown(VK_CODE_ESCAPE);
            onKeyUp(VK_CODE_ESCAPE);
            ASSERT_TRUE(run.runUntil([] { return appStateId() == APP_MENU; }, 1000));
            appDraw();
            glFinish();
            heap.push_back((long)liveHeapBytes());
            resident.push_back((long)residentBytes());
        }

        // The first visits warm up (the driver settles its caches). After that the heap may swing by a
        // buffer the driver takes and gives back, but its low point must not rise: the least of the
        // last three visits against the least of visits two to four.
        if (visits >= 7) {
            long warm = std::min(heap[1], std::min(heap[2], heap[3]));
            long late = std::min(heap[visits - 1], std::min(heap[visits - 2], heap[visits - 3]));
            EXPECT_LE(late - warm, kHeapSlack) << sceneNames[scene] << ": the heap grew from visit to visit";
        }
        std::printf("visits: %-6s %d visits, heap after each (KiB):", sceneNames[scene], visits);
        for (long b : heap) std::printf(" %ld", b / 1024);
        std::printf("; resident (KiB): %ld .. %ld\n", resident.front() / 1024, resident.back() / 1024);
    }
}
