#include "app/headless_run.h"

#include <algorithm>

#include "app/headless_context.h"
#include "app/input_session.h"
#include "app/png_writer.h"
#include "app/season_list.h"
#include "framework/application.h"
#include "framework/season.h"
#include "render/random_generator.h"
#include "system/platform_hooks.h"

namespace {
// The frame clock of a headless run: one frame per step, never real time.
int64_t headlessTicks = 0;
int64_t headlessCounter() { return headlessTicks; }
int64_t headlessFrequency() { return 60; }
}  // namespace

HeadlessRun::HeadlessRun(int width, int height, bool drawFrames, const SmoothingChoice& smoothing)
    : w(width), h(height), draw(drawFrames), context(new HeadlessContext(width, height)) {
    if (!context->ok()) return;
    resetPlatformHooks();
    platformHooks().counter = headlessCounter;
    platformHooks().counterFrequency = headlessFrequency;
    programSmoothing().start(headlessGlProc, width, height, smoothing);
    platformHooks().frameDrawn = frameSmoothingResolve;
    platformHooks().swapBuffers = frameSmoothingNextFrame;
    randomReset();
    appInit(width, height, seasonList());
    appSetFrameReadyHook([this]() {
        if (captureNext) {
            pixels.resize((size_t)w * h * 3);
            readFramePixels(w, h, pixels.data());
            captureNext = false;
        }
    });
}

HeadlessRun::~HeadlessRun() {
    if (context->ok()) programSmoothing().stop();  // its framebuffer goes with this context
    appSetFrameReadyHook(nullptr);
    resetPlatformHooks();
}

bool HeadlessRun::ok() const { return context->ok(); }
const std::string& HeadlessRun::error() const { return context->error(); }

void HeadlessRun::step(bool drawn) {
    // Input scheduled for this frame arrives first, as the message pump drains before the frame.
    for (size_t i = 0; i < schedule.size();) {
        if (schedule[i].first <= frames) {
            auto action = std::move(schedule[i].second);
            schedule.erase(schedule.begin() + (long)i);
            action();
        } else {
            ++i;
        }
    }
    headlessTicks += 1;
    appUpdate();
    if (drawn)
        appDraw();
    else if (draw)
        appSkipDraw();
    frames += 1;
}

bool HeadlessRun::runFrames(int n, bool captureLast) {
    for (int i = 0; i < n; ++i) {
        if (quitRequested()) return false;
        if (i == n - 1) captureNext = draw && captureLast;
        step(draw);
    }
    return !quitRequested();
}

bool HeadlessRun::skipFrames(int n) {
    for (int i = 0; i < n; ++i) {
        if (quitRequested()) return false;
        step(false);
    }
    return !quitRequested();
}

bool HeadlessRun::runUntil(const std::function<bool()>& done, int maxFrames) {
    for (int i = 0; i < maxFrames; ++i) {
        if (done()) return true;
        if (quitRequested()) return false;
        captureNext = draw;
        step(draw);
    }
    return done();
}

void HeadlessRun::at(int frameNumber, std::function<void()> action) {
    schedule.emplace_back(frameNumber, std::move(action));
}

// Input enters where a platform layer hands it on: the session, which passes it to the application.
void HeadlessRun::moveMouse(int x, int y) { sessionInput(mouseEvent(INPUT_MOVE, x, y)); }
void HeadlessRun::press(int x, int y, int button) { sessionInput(mouseEvent(INPUT_PRESS, x, y, button)); }
void HeadlessRun::release(int x, int y, int button) { sessionInput(mouseEvent(INPUT_RELEASE, x, y, button)); }
void HeadlessRun::click(int x, int y, int button) {
    moveMouse(x, y);
    press(x, y, button);
    release(x, y, button);
}
void HeadlessRun::wheel(int x, int y, bool forward) { press(x, y, forward ? 4 : 5); }
void HeadlessRun::keyDown(int key) { sessionInput(keyEvent(INPUT_KEY_DOWN, key)); }
void HeadlessRun::keyUp(int key) { sessionInput(keyEvent(INPUT_KEY_UP, key)); }
void HeadlessRun::tapKey(int key) {
    keyDown(key);
    keyUp(key);
}

void HeadlessRun::drag(int x0, int y0, int x1, int y1, int frameCount, int button) {
    if (frameCount < 1) frameCount = 1;
    moveMouse(x0, y0);
    press(x0, y0, button);
    for (int i = 1; i <= frameCount; ++i) {
        int x = x0 + (x1 - x0) * i / frameCount;
        int y = y0 + (y1 - y0) * i / frameCount;
        moveMouse(x, y);
        runFrames(1);
    }
    release(x1, y1, button);
}

void HeadlessRun::skipToMenu() {
    runUntil([] { return appStateId() == APP_MENU; }, 2000);
}

void HeadlessRun::enterSeason(int index) {
    skipToMenu();
    float left, top, right, bottom;
    appMenuRowRect(index, left, top, right, bottom);
    int x = (int)((left + right) / 2), y = (int)((top + bottom) / 2);
    click(x, y, 1);
    runUntil([] { return appStateId() == APP_SEASON; }, 1000);
}

ASeason* HeadlessRun::season(int index) const { return appSeason(index); }

Rgb HeadlessRun::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h || pixels.size() < (size_t)w * h * 3) return Rgb{0, 0, 0};
    const unsigned char* p = &pixels[((size_t)y * w + x) * 3];
    return Rgb{p[0], p[1], p[2]};
}

std::vector<unsigned char> HeadlessRun::takeLastFrame() {
    std::vector<unsigned char> taken;
    taken.swap(pixels);
    return taken;
}

bool HeadlessRun::savePng(const std::string& path) const {
    if (pixels.size() < (size_t)w * h * 3) return false;
    return writePng(path, w, h, pixels.data());
}
