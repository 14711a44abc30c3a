#include "app/platform_sdl.h"

#include <SDL.h>

#include <cstdio>
#include <ctime>

#include "app/frame_smoothing.h"
#include "app/framebuffer_sizes.h"
#include "app/health_log.h"
#include "app/input_session.h"
#include "app/key_mapping.h"
#include "app/main_loop.h"
#include "app/season_list.h"
#include "framework/application.h"
#include "render/gl.h"
#include "system/frame_timer.h"
#include "system/platform_hooks.h"
#include "system/window_size.h"

namespace {

SDL_Window* window = nullptr;
// Drawable pixels per window unit (1 except on high-density screens), for mouse positions.
float pointerScaleX = 1, pointerScaleY = 1;
SmoothingChoice smoothing;  // from the command line

int64_t sdlCounter() { return (int64_t)SDL_GetPerformanceCounter(); }
int64_t sdlFrequency() { return (int64_t)SDL_GetPerformanceFrequency(); }
void sdlMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "velmora: %s\n", text);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption ? caption : "", text, nullptr);
}
void sdlSwap() {
    SDL_GL_SwapWindow(window);
    frameSmoothingNextFrame();
}
void sdlHideCursor() { SDL_ShowCursor(SDL_DISABLE); }

void resized() {
    int w = 0, h = 0, ww = 0, wh = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    SDL_GetWindowSize(window, &ww, &wh);
    pointerScaleX = ww > 0 ? (float)w / ww : 1;
    pointerScaleY = wh > 0 ? (float)h / wh : 1;
    applyWindowSize(w, h);
    if (w > 0 && h > 0) programSmoothing().start(SDL_GL_GetProcAddress, w, h, smoothing);
}

int px(int x) { return (int)(x * pointerScaleX); }
int py(int y) { return (int)(y * pointerScaleY); }

void dispatch(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT:
        requestQuit();
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) resized();
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) requestQuit();
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        int key = virtualKeyFromSdl(e.key.keysym.sym);
        if (key == 0) break;  // no virtual-key code: the application never sees it
        sessionInput(keyEvent(e.type == SDL_KEYDOWN ? INPUT_KEY_DOWN : INPUT_KEY_UP, key));
        break;
    }
    case SDL_MOUSEMOTION:
        sessionInput(mouseEvent(INPUT_MOVE, px(e.motion.x), py(e.motion.y)));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int button = buttonFromSdl(e.button.button);
        if (button == 0) break;
        sessionInput(mouseEvent(e.type == SDL_MOUSEBUTTONDOWN ? INPUT_PRESS : INPUT_RELEASE, px(e.button.x),
                                py(e.button.y), button));
        break;
    }
    case SDL_MOUSEWHEEL: {
        int steps = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        if (steps == 0) break;  // sideways only
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        // A turn reads as a press of button 4 (forward) or 5 (back), never followed by a release.
        sessionInput(mouseEvent(INPUT_PRESS, px(x), py(y), wheelButton(steps)));
        break;
    }
    default:
        break;
    }
}

bool handleMessage() {
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return false;
    dispatch(e);
    return true;
}

void waitForMessages(int milliseconds) { SDL_WaitEventTimeout(nullptr, milliseconds); }

void sleepMicroseconds(int microseconds) {
    timespec t{0, (long)microseconds * 1000L};
    nanosleep(&t, nullptr);
}

// A replay ends the program when its last frame has been played.
void beforeFrame() {
    if (sessionReplayOver()) requestQuit();
    sessionBeforeFrame();
}

// Screenshots match --render only when the window has the framebuffer sizes asked for, and a driver
// may hand out others; said once on standard error. (Alpha is not compared: nothing reads it back.)
void noteFramebufferSizes() {
    const GLenum names[5] = {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_DEPTH_BITS, GL_STENCIL_BITS};
    GLint got[5] = {};
    for (int i = 0; i < 5; ++i) glGetIntegerv(names[i], &got[i]);
    const FramebufferSizes& s = kFramebufferSizes;
    if (got[0] == s.red && got[1] == s.green && got[2] == s.blue && got[3] == s.depth && got[4] == s.stencil) return;
    std::fprintf(stderr,
                 "velmora: the window has %d/%d/%d colour, %d depth and %d stencil bits, not %d/%d/%d, %d and %d: "
                 "its pictures may differ from --render in a few pixels\n",
                 got[0], got[1], got[2], got[3], got[4], s.red, s.green, s.blue, s.depth, s.stencil);
}

}  // namespace

int runSdlProgram(const CommandLine& options) {
    // A replay is read whole before anything is shown: a malformed file draws nothing.
    InputRecording replay;
    if (options.mode == CommandLine::REPLAY) {
        std::string error;
        if (!readRecordingFile(options.recordingPath, replay, error)) {
            std::fprintf(stderr, "velmora: %s\n", error.c_str());
            return 1;
        }
    }
    // A recording that cannot be written is said before a window opens.
    if (!options.recordPath.empty()) {
        std::FILE* file = std::fopen(options.recordPath.c_str(), "a");
        if (!file) {
            std::fprintf(stderr, "velmora: cannot write the recording %s\n", options.recordPath.c_str());
            return 1;
        }
        std::fclose(file);
    }
    if (!options.logPath.empty() && !healthLogOpen(options.logPath)) {
        std::fprintf(stderr, "velmora: cannot write the log %s\n", options.logPath.c_str());
        return 1;
    }
    frameLogOpenFromEnvironment();  // VELMORA_FRAME_LOG: timing of start-up and of every frame
    keepFreedMemory();
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "velmora: cannot open a display (%s)\n", SDL_GetError());
        return 1;
    }
    // With no display to reach, SDL falls back to a driver that shows nothing (an offscreen buffer)
    // and the piece would run unseen for ever. Such a driver is taken only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (driver && !(requested && *requested) &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        std::fprintf(stderr, "velmora: cannot open a display (no X11 or Wayland display found)\n");
        SDL_Quit();
        return 1;
    }
    SDL_DisableScreenSaver();
    frameLogMark("sdl_init");

    // The desktop's size and colour depth, read once: the window and the display mode use exactly them.
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        std::fprintf(stderr, "velmora: cannot read the desktop's display mode (%s)\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    int screenWidth = desktop.w, screenHeight = desktop.h;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, kFramebufferSizes.red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, kFramebufferSizes.green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, kFramebufferSizes.blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, kFramebufferSizes.alpha);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kFramebufferSizes.depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, kFramebufferSizes.stencil);

    platformHooks().counter = sdlCounter;
    platformHooks().counterFrequency = sdlFrequency;
    platformHooks().messageBox = sdlMessageBox;
    platformHooks().swapBuffers = sdlSwap;
    platformHooks().hideCursor = sdlHideCursor;
    platformHooks().frameDrawn = frameSmoothingResolve;
    smoothing = options.smoothing;

    // Full screen at the desktop's own mode: the monitor's resolution is never changed.
    int x = SDL_WINDOWPOS_UNDEFINED_DISPLAY(0), y = SDL_WINDOWPOS_UNDEFINED_DISPLAY(0);
    window = SDL_CreateWindow("Velmora", x, y, screenWidth, screenHeight,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (!window) {
        sdlMessageBox("Display mode failed", "");
        window = SDL_CreateWindow("Velmora", x, y, screenWidth, screenHeight, SDL_WINDOW_OPENGL);
    }
    if (!window) {
        std::fprintf(stderr, "velmora: cannot open a window (%s)\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_ShowCursor(SDL_DISABLE);
    frameLogMark("window");

    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        std::fprintf(stderr, "velmora: no OpenGL context (%s)\n", SDL_GetError());
        SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    SDL_GL_SetSwapInterval(0);  // the frame timer sets the pace, not the display
    noteFramebufferSizes();
    resized();
    std::printf("Renderer: %s\n", programSmoothing().description().c_str());
    frameLogMark("context");

    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(window, &drawableWidth, &drawableHeight);
    if (drawableWidth <= 0 || drawableHeight <= 0) {
        drawableWidth = screenWidth;
        drawableHeight = screenHeight;
    }
    appInit(drawableWidth, drawableHeight, seasonList());
    frameLogMark("app_init");
    std::string error;
    if (!sessionStartFromCommandLine(options, replay, drawableWidth, drawableHeight, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        requestQuit();
    }
    if (!quitRequested()) {
        MainLoopHooks hooks{handleMessage, waitForMessages, sleepMicroseconds, beforeFrame};
        runMainLoop(programFrameTimer(), hooks, Exhibition{options.hours, drawableWidth, drawableHeight});
    }
    sessionFinish();
    healthLogClose();

    programSmoothing().stop();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);  // leaves the desktop as it was
    window = nullptr;
    SDL_ShowCursor(SDL_ENABLE);
    SDL_Quit();
    return 0;
}
