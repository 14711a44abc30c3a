// The real application (appInit, appUpdate, appDraw and appInput) run headless in an EGL
// context on the frame clock, with input scripted by frame number and no real-time waiting.
//
//   HeadlessRun run(1024, 768);
//   run.enterSeason(0);               // opening, menu, click the Spring row, wait for the scene
//   run.moveMouse(500, 400);
//   run.press(500, 400, 1);
//   run.runFrames(120);
//   run.savePng("spring.png");        // the last frame, without the cursor
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frame_smoothing.h"

class HeadlessContext;
class ASeason;

struct Rgb {
    unsigned char r, g, b;
};

class HeadlessRun {
public:
    // Makes the context and calls appInit. The random generator is put back to its starting state
    // first, so every run draws the same numbers. `drawFrames` false skips appDraw (simulation only).
    // Frames are exact unless `smoothing` asks for multisampling and wider lines.
    HeadlessRun(int width = 1024, int height = 768, bool drawFrames = true,
                const SmoothingChoice& smoothing = SmoothingChoice{true, 0, 1});
    ~HeadlessRun();

    bool ok() const;
    const std::string& error() const;
    int width() const { return w; }
    int height() const { return h; }

    // Frames run since appInit (each one appUpdate then appDraw).
    int frame() const { return frames; }
    // Multisamples per pixel granted to the frames (0 in exact mode).
    int samples() const { return programSmoothing().samples(); }
    // Turns appDraw on or off for the frames that follow (a test can skip to the frame it looks at).
    void setDrawing(bool on) { draw = on; }
    // Runs n frames, delivering input scheduled with at() before each frame's update. Stops early,
    // returning false, once the application has asked to quit. The last frame is read back for
    // lastFrame() unless `captureLast` is false.
    bool runFrames(int n, bool captureLast = true);
    // Runs n frames that are not drawn (appSkipDraw): the frames drawn after them are the same as
    // after drawn ones. What a render does before its first frame.
    bool skipFrames(int n);
    // Runs until `done` holds (checked before each frame) or maxFrames have run; true if it held.
    bool runUntil(const std::function<bool()>& done, int maxFrames);
    // Schedules an action before the update of absolute frame number `frameNumber`.
    void at(int frameNumber, std::function<void()> action);

    // Input, delivered at once (as the message pump does between frames).
    void moveMouse(int x, int y);
    void press(int x, int y, int button);
    void release(int x, int y, int button);
    void click(int x, int y, int button = 1);   // press and release
    void wheel(int x, int y, bool forward);      // button 4 or 5, a press with no release
    void keyDown(int key);
    void keyUp(int key);
    void tapKey(int key);                        // down and up
    // Holds `button`, moves from (x0, y0) to (x1, y1) over `frames` frames, releases.
    void drag(int x0, int y0, int x1, int y1, int frames, int button = 1);

    // Runs the opening until the menu takes clicks.
    void skipToMenu();
    // From the menu (or the opening): picks the row of `index` and runs until the scene is shown.
    void enterSeason(int index);
    ASeason* season(int index) const;

    // The last drawn frame, before the cursor was drawn over it.
    const std::vector<unsigned char>& lastFrame() const { return pixels; }  // RGB, rows from the top
    std::vector<unsigned char> takeLastFrame();  // the same, handed over (lastFrame() is then empty)
    Rgb pixel(int x, int y) const;
    bool savePng(const std::string& path) const;

private:
    int w, h;
    bool draw;
    int frames = 0;
    std::unique_ptr<HeadlessContext> context;
    std::vector<std::pair<int, std::function<void()>>> schedule;
    std::vector<unsigned char> pixels;
    bool captureNext = false;
    void step(bool drawn);
};
