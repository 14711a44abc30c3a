// A fixed scripted visit of the whole piece, headless, with a hash of every drawn frame: the opening,
// the menu, each season entered from the menu and played (reading pause skipped, camera swung, the
// scene's own button, wheel, zoom keys, pause, Enter and Space), left with Escape, and the closing.
// Run it before and after a change that must not alter the pictures and compare the two outputs:
//
//   velmora_frame_hashes [WxH] > before.txt   ... change ...   velmora_frame_hashes > after.txt
//   diff before.txt after.txt
//
// Each line is "frame hash state"; the last line is a digest of the whole run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/headless_run.h"
#include "framework/application.h"

namespace {

uint64_t fnv1a(const unsigned char* data, size_t n, uint64_t h = 1469598103934665603ull) {
    for (size_t i = 0; i < n; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

uint64_t digest = 1469598103934665603ull;

void frames(HeadlessRun& run, int n) {
    for (int i = 0; i < n; ++i) {
        if (!run.runFrames(1)) return;
        const auto& px = run.lastFrame();
        uint64_t h = fnv1a(px.data(), px.size());
        digest = fnv1a(reinterpret_cast<const unsigned char*>(&h), sizeof h, digest);
        std::printf("%d %016llx %d\n", run.frame(), (unsigned long long)h, appStateId());
    }
}

void until(HeadlessRun& run, int state, int maxFrames) {
    for (int i = 0; i < maxFrames && appStateId() != state && !quitRequested(); ++i) frames(run, 1);
}

void drag(HeadlessRun& run, int x0, int y0, int x1, int y1, int n, int button) {
    run.moveMouse(x0, y0);
    run.press(x0, y0, button);
    for (int i = 1; i <= n; ++i) {
        run.moveMouse(x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * i / n);
        frames(run, 1);
    }
    run.release(x1, y1, button);
}

void visit(HeadlessRun& run, int season) {
    const int w = run.width(), h = run.height();
    float left, top, right, bottom;
    appMenuRowRect(season, left, top, right, bottom);
    run.click((int)((left + right) / 2), (int)((top + bottom) / 2), 1);
    until(run, APP_SEASON, 1000);
    frames(run, 150);                       // fade-in and part of the reading pause
    run.click(w / 2, h / 2, 1);             // skip the pause
    frames(run, 420);                       // dissolve (where there is one) and the camera swing
    drag(run, w / 5, h * 2 / 3, w * 4 / 5, h / 2, 60, 1);   // the scene's own left-button play
    drag(run, w / 2, h / 2, w * 2 / 3, h / 3, 40, 3);       // swing the camera round
    run.wheel(w / 2, h / 2, true);
    frames(run, 20);
    run.wheel(w / 2, h / 2, false);
    frames(run, 20);
    run.keyDown('A');
    frames(run, 20);
    run.keyUp('A');
    run.keyDown('Z');
    frames(run, 20);
    run.keyUp('Z');
    run.tapKey(17);                         // Ctrl: pause
    frames(run, 30);
    run.tapKey(17);
    run.tapKey(32);                         // Space (Autumn's whirlwind)
    frames(run, 60);
    run.tapKey(13);                         // Enter (Autumn's return to the text)
    drag(run, w / 2, h / 2, w / 3, h / 2, 30, 1);
    frames(run, 120);
    run.tapKey(27);                         // Escape: fade out to the menu
    until(run, APP_MENU, 1000);
    frames(run, 10);
}

}  // namespace

int main(int argc, char** argv) {
    int w = 640, h = 360;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &w, &h) != 2) {
        std::fprintf(stderr, "usage: velmora_frame_hashes [WxH]\n");
        return 2;
    }
    HeadlessRun run(w, h);
    if (!run.ok()) {
        std::fprintf(stderr, "no headless context: %s\n", run.error().c_str());
        return 1;
    }
    until(run, APP_MENU, 2000);
    for (int s = 0; s < 4; ++s) visit(run, s);
    run.tapKey(27);                         // the closing
    for (int i = 0; i < 1000 && !quitRequested(); ++i) frames(run, 1);
    std::printf("digest %016llx frames %d\n", (unsigned long long)digest, run.frame());
    return 0;
}
