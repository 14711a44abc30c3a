// The long runs, headless on the frame clock, run by hand (they take minutes to a quarter of an hour):
//
//   velmora_soak scenes [frames]        a simulated hour (216 000 frames) in each scene under random
//                                       input; resident memory may not grow by more than 8 MiB after
//                                       the first sixth (the software renderer's buffers settling)
//   velmora_soak gallery-day [frames]   24 simulated hours (5 184 000 frames) of gallery mode, a person
//                                       dropping in once an hour; memory flat, every value finite,
//                                       every season visited, never the closing
//
// Both print their figures; on a failure they print a line saying what failed and exit with 1.
// docs/reliability.md has the figures measured and how short a day may be.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/headless_run.h"
#include "app/input_session.h"
#include "app/main_loop.h"
#include "bench/gallery_support.h"
#include "framework/application.h"
#include "framework/season.h"

#ifdef __SANITIZE_ADDRESS__
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);  // the runtime's own count (no header)
#endif

namespace {

// Resident memory (/proc/self/statm).
long residentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// The bytes the heap has handed out and not taken back (the allocator's own figure; under
// AddressSanitizer its count, which leaves out the quarantine).
long liveHeapBytes() {
#ifdef __SANITIZE_ADDRESS__
    return (long)__sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 info = mallinfo2();
    return (long)(info.uordblks + info.hblkhd);
#endif
}

int failed(const std::string& what) {
    std::printf("velmora_soak: FAILED: %s\n", what.c_str());
    return 1;
}

// An hour in each scene at 320 x 240 under random input, a frame drawn every simulated second.
int scenes(long frames) {
    HeadlessRun run(320, 240, false);
    if (!run.ok()) return failed(run.error());
    Dice dice{4242};
    for (int scene = 0; scene < 4; ++scene) {
        auto began = std::chrono::steady_clock::now();
        run.enterSeason(scene);
        run.runFrames(201);
        run.click(160, 120);  // past the reading pause
        long start = 0;
        for (long f = 1; f <= frames; ++f) {
            const int x = dice.below(320), y = dice.below(240), roll = dice.below(40);
            run.moveMouse(x, y);
            if (roll == 0) run.press(x, y, 1 + 2 * dice.below(2));
            if (roll == 1) run.release(x, y, 1 + 2 * dice.below(2));
            if (roll == 2) run.tapKey(VK_CODE_ENTER);
            run.runFrames(1);
            if (f % 60 == 0) appDraw();
            if (appStateId() != APP_SEASON)
                return failed(std::string(sceneNames[scene]) + " left at frame " + std::to_string(f));
            if (f == frames / 6) start = residentBytes();
        }
        const long end = residentBytes();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        std::printf("scenes: %s, %ld frames in %.0f s; resident %ld -> %ld KiB, live heap %ld KiB\n",
                    sceneNames[scene], frames, seconds, start / 1024, end / 1024, liveHeapBytes() / 1024);
        if (end - start >= 8L << 20)
            return failed(std::string(sceneNames[scene]) + ": resident memory grew by 8 MiB or more");
        run.tapKey(VK_CODE_ESCAPE);
        run.runUntil([] { return appStateId() == APP_MENU; }, 1200);
    }
    return 0;
}

// A day of gallery mode at 320 x 240, drawn once a simulated second; memory read once an hour.
int galleryDay(long day) {
    const long hour = std::max(1L, day / 24);
    const int w = 320, h = 240;
    keepFreedMemory();
    HeadlessRun run(w, h, false);
    if (!run.ok()) return failed(run.error());
    const std::string error = startGallery(w, h);
    if (!error.empty()) return failed(error);
    long visits[4] = {}, interacting[4] = {};
    int lastState = -1;
    std::vector<long> resident, heap;
    auto began = std::chrono::steady_clock::now();
    for (long f = 1; f <= day; ++f) {
        // Once an hour a person drops in for a minute: a few clicks wherever the piece is.
        const long intoHour = f % hour;
        if (intoHour >= 30 * 60 && intoHour < 31 * 60 && intoHour % 120 == 0) {
            const int x = (int)(intoHour % 7) * w / 7, y = h / 2;
            sessionInput(mouseEvent(INPUT_MOVE, x, y));
            sessionInput(mouseEvent(INPUT_PRESS, x, y, 1));
            sessionInput(mouseEvent(INPUT_RELEASE, x, y, 1));
        }
        galleryFrame(run, f % 60 == 0);
        const int state = appStateId();
        if (state == APP_EXITING) return failed("the closing began at frame " + std::to_string(f));
        if (state == APP_SEASON) {
            const int s = appChosenSeason();
            if (lastState != APP_SEASON) visits[s] += 1;
            if (sceneInteracting(appCurrentSeason())) interacting[s] += 1;
            const std::string bad = f % 600 == 0 ? firstNonFinite(appCurrentSeason()) : "";
            if (!bad.empty()) return failed(bad + " not finite at frame " + std::to_string(f));
        }
        lastState = state;
        if (f % hour == 0) {
            for (int s = 0; s < 4; ++s) {
                const std::string bad = firstNonFinite(appSeason(s));
                if (!bad.empty())
                    return failed(sceneNames[s] + (": " + bad + " not finite at frame " + std::to_string(f)));
            }
            resident.push_back(residentBytes());
            heap.push_back(liveHeapBytes());
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    sessionFinish();
    if (resident.size() < 4) return failed("fewer than four hours");
    // Low points after the first hour: the least of hours 2-4 against the least of the last three.
    auto lowest = [](const std::vector<long>& v, size_t first) {
        return *std::min_element(v.begin() + (long)first, v.begin() + (long)first + 3);
    };
    const size_t n = resident.size();
    const long residentStart = lowest(resident, 1), residentEnd = lowest(resident, n - 3);
    const long heapStart = lowest(heap, 1), heapEnd = lowest(heap, n - 3);
    std::printf("gallery day: %ld frames at %dx%d in %.0f s; visits %ld %ld %ld %ld, frames interacting %ld %ld %ld "
                "%ld; resident %ld -> %ld KiB, live heap %ld -> %ld KiB\n",
                day, w, h, seconds, visits[0], visits[1], visits[2], visits[3], interacting[0], interacting[1],
                interacting[2], interacting[3], residentStart / 1024, residentEnd / 1024, heapStart / 1024,
                heapEnd / 1024);
    std::printf("gallery day: resident KiB by hour:");
    for (long r : resident) std::printf(" %ld", r / 1024);
    std::printf("\n");
    for (int s = 0; s < 4; ++s)
        if (visits[s] <= day / (4 * 12 * 60 * 60))
            return failed(std::string(sceneNames[s]) + " visited too seldom: " + std::to_string(visits[s]));
    if (heapEnd - heapStart > 128 * 1024) return failed("the live heap grew by more than 128 KiB");
#ifndef __SANITIZE_ADDRESS__
    if (residentEnd - residentStart > 8 * 1024 * 1024) return failed("resident memory grew by more than 8 MiB");
#endif
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    char* end = nullptr;
    const long frames = argc > 2 ? std::strtol(argv[2], &end, 10) : 0;
    if (argc > 3 || (argc > 2 && (*end || frames < 1)) || (mode != "scenes" && mode != "gallery-day")) {
        std::fprintf(stderr, "usage: velmora_soak scenes [frames per scene] | gallery-day [frames]\n");
        return 2;
    }
    if (mode == "scenes") return scenes(argc > 2 ? frames : 216000);
    return galleryDay(argc > 2 ? frames : 24L * 60 * 60 * 60);
}
