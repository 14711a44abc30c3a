// The soak run, off by default (VELMORA_SOAK=1): one simulated hour in each scene with the monkey's
// input going on, resident memory and the live heap sampled every simulated minute. After ten minutes
// of warm-up neither may grow. VELMORA_SOAK_FRAMES shortens or lengthens the hour;
// VELMORA_SOAK_DRAW_EVERY sets how often a frame is drawn (default once a simulated second; each drawn
// frame is finished, so the software rasteriser never holds a backlog of frames in memory).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "framework/application.h"
#include "framework/season.h"
#include "render/gl.h"
#include "tests/reliability/reliability_support.h"

namespace {

const int kWidth = 320, kHeight = 240;
const long kHour = 216000;
const long kMinute = 3600;
// Resident memory may still creep while the software rasteriser's buffers of many sizes settle into
// the allocator (a few MiB an hour in Winter, none at all with drawing off); the live heap may not.
const long kResidentSlack = 8 * 1024 * 1024;
const long kHeapSlack = 128 * 1024;

}  // namespace

TEST(Soak, OneSimulatedHourInEachSceneWithFlatMemory) {
    if (!environmentFlag("VELMORA_SOAK")) GTEST_SKIP() << "set VELMORA_SOAK=1 to run the soak";
    const long frames = (long)environmentNumber("VELMORA_SOAK_FRAMES", kHour);
    const long drawEvery = std::max(0LL, environmentNumber("VELMORA_SOAK_DRAW_EVERY", 60));
    const long warmUp = std::min(frames / 6, 10 * kMinute);

    keepFreedMemory();  // as the program itself starts
    ScratchDirectory scratch;
    Monkey::Options options;
    options.seed = (uint64_t)environmentNumber("VELMORA_MONKEY_SEED", 4242);
    options.allowQuit = false;
    options.allowEscape = false;
    options.frames = frames;
    armCrashReport(options.seed, options.frames);
    Monkey monkey(kWidth, kHeight, options);
    HeadlessRun& run = monkey.run();
    ASSERT_TRUE(run.ok()) << run.error();
    std::printf("soak: %ld frames per scene at %dx%d, every %ld. frame drawn, %s build\n", frames, kWidth,
                kHeight, drawEvery, builtWithAddressSanitizer() ? "AddressSanitizer" : "plain");

    for (int scene = 0; scene < 4; ++scene) {
        run.enterSeason(scene);
        ASSERT_EQ(appStateId(), APP_SEASON);
        run.runFrames(201);
        run.click(kWidth / 2, kHeight / 2);  // past the reading pause

        auto started = std::chrono::steady_clock::now();
        std::vector<long> resident, heap;
        long playing = 0, pausedFor = 0;
        for (long f = 1; f <= frames; ++f) {
            crashReportFrame(f);
            monkey.sceneInput();
            // Ctrl pauses; a pause is let go after a simulated ten seconds, so the hour is spent moving.
            pausedFor = scenePaused(appCurrentSeason()) ? pausedFor + 1 : 0;
            if (pausedFor > 600) {
                onKeyDown(VK_CODE_CONTROL);
                onKeyUp(VK_CODE_CONTROL);
            }
            run.runFrames(1);
            if (drawEvery > 0 && f % drawEvery == 0) {
                appDraw();
                glFinish();
            }
            ASSERT_EQ(appStateId(), APP_SEASON) << sceneNames[scene] << " left at frame " << f;
            if (scenePlaying(appCurrentSeason())) ++playing;
            if (f % 60 == 0) {
                std::string bad = firstNonFinite(scene, appCurrentSeason());
                ASSERT_EQ(bad, "") << sceneNames[scene] << " at frame " << f;
            }
            if (f % kMinute == 0 || f == warmUp) {
                resident.push_back((long)residentBytes());
                heap.push_back((long)liveHeapBytes());
            }
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        ASSERT_EQ(firstNonFinite(scene, appCurrentSeason()), "");

        // From the end of the warm-up on, the low points of memory must not rise: the least of the
        // first five samples (simulated minutes) against the least of the last five. Peaks are left
        // out; the software rasteriser takes and gives back buffers of tens of megabytes as it draws.
        size_t from = (size_t)std::min<long>((long)resident.size() - 1, warmUp / kMinute);
        size_t window = std::min<size_t>(5, resident.size() - from);
        auto lowest = [](const std::vector<long>& v, size_t first, size_t count) {
            return *std::min_element(v.begin() + (long)first, v.begin() + (long)(first + count));
        };
        long residentStart = lowest(resident, from, window), residentEnd = lowest(resident, resident.size() - window, window);
        long heapStart = lowest(heap, from, window), heapEnd = lowest(heap, heap.size() - window, window);
        long residentPeak = *std::max_element(resident.begin() + (long)from, resident.end());
        std::printf("soak: %-6s %ld frames (%ld in play) in %.0f s, %.1f us/frame; resident %ld -> %ld KiB (peak %ld), "
                    "heap %ld -> %ld KiB\n",
                    sceneNames[scene], frames, playing, seconds, 1e6 * seconds / frames, residentStart / 1024,
                    residentEnd / 1024, residentPeak / 1024, heapStart / 1024, heapEnd / 1024);
        std::printf("soak: %-6s resident KiB by simulated minute:", sceneNames[scene]);
        for (long r : resident) std::printf(" %ld", r / 1024);
        std::printf("\n");
        std::fflush(stdout);
        EXPECT_LE(heapEnd - heapStart, kHeapSlack) << sceneNames[scene];
        // AddressSanitizer's quarantine holds freed memory for a while, so only the heap count is
        // meaningful there.
        if (!builtWithAddressSanitizer()) {
            EXPECT_LE(residentEnd - residentStart, kResidentSlack) << sceneNames[scene];
        }
        EXPECT_GT(playing, frames / 2) << sceneNames[scene];

        monkey.releaseAll();
        onKeyDown(VK_CODE_ESCAPE);
        onKeyUp(VK_CODE_ESCAPE);
        ASSERT_TRUE(run.runUntil([] { return appStateId() == APP_MENU; }, 1000));
    }
    disarmCrashReport();
}
