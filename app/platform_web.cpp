#include "app/platform_web.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/frame_smoothing.h"
#include "app/input_journal.h"
#include "app/input_script.h"
#include "app/input_session.h"
#include "app/season_list.h"
#include "app/touch_gestures.h"
#include "framework/application.h"
#include "render/gl.h"
#include "system/frame_timer.h"
#include "system/platform_hooks.h"
#include "system/screenshot.h"
#include "system/window_size.h"

namespace {

const char* const canvas = "#canvas";
int width = 0, height = 0;      // the canvas's drawable pixels
int appWidth = 0, appHeight = 0;  // the size the application was started at: its pixels for input
double cssWidth = 1, cssHeight = 1;
double deviceRatio = 1;         // the device's pixels per CSS pixel, at most 2
double resolution = 1;          // drawable pixels per CSS pixel: the device's, or less while slow
bool fixedResolution = false;   // the test harness keeps it at the device's
double lastRefresh = 0;         // the previous animation callback, ms
double refreshInterval = 1000.0 / 60;
bool ended = false;
bool contextLost = false;       // no frames run until the context is back
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;

// The test hook (Module.velmoraScript set by the page's test harness): frames run one per animation
// callback whatever the clock says, input comes from the script by frame number, and the frames it
// names are handed to the harness before the cursor is drawn.
bool testing = false;
bool reportFrames = false;  // the harness's Module.velmoraFrame hears of every frame
int frames = 0;
InputScript script;

int64_t browserCounter() { return (int64_t)(emscripten_get_now() * 1000.0); }  // microseconds
int64_t browserFrequency() { return 1000000; }
void browserMessage(const char* text, const char* caption) {
    std::fprintf(stderr, "%s%s%s\n", caption ? caption : "", caption && *caption ? ": " : "", text);
}

// The canvas's CSS size times the resolution, as its drawing buffer (told to the program once it runs).
// A phone's ratio of 3 or more is taken as 2: sharper than that is not seen, and costs 2.25 times the
// pixels.
void fitCanvas() {
    emscripten_get_element_css_size(canvas, &cssWidth, &cssHeight);
    if (cssWidth < 1) cssWidth = 1;
    if (cssHeight < 1) cssHeight = 1;
    const double ratio = std::min(emscripten_get_device_pixel_ratio(), 2.0);
    if (ratio != deviceRatio || fixedResolution) resolution = ratio;  // a new screen starts sharp
    deviceRatio = ratio;
    int w = std::max((int)(cssWidth * resolution + 0.5), 1), h = std::max((int)(cssHeight * resolution + 0.5), 1);
    if (w == width && h == height) return;
    width = w;
    height = h;
    emscripten_set_canvas_element_size(canvas, w, h);
    if (appWidth > 0) {
        applyWindowSize(width, height);
        programSmoothing().start(nullptr, width, height, SmoothingChoice{testing, -1, 1});
    }
}

EM_BOOL resized(int, const EmscriptenUiEvent*, void*) {
    fitCanvas();
    return EM_FALSE;
}

// A point on the canvas in CSS pixels as the application's pixels (its whole size spans the canvas).
int px(double cssX) { return (int)(cssX * appWidth / cssWidth); }
int py(double cssY) { return (int)(cssY * appHeight / cssHeight); }

int buttonOf(unsigned short domButton) { return domButton == 0 ? 1 : domButton == 2 ? 3 : 0; }

EM_BOOL mouse(int type, const EmscriptenMouseEvent* e, void*) {
    if (testing || ended) return EM_FALSE;
    int x = px(e->targetX), y = py(e->targetY);
    if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) {
        sessionInput(mouseEvent(INPUT_MOVE, x, y));
        return EM_FALSE;
    }
    int button = buttonOf(e->button);
    if (button == 0) return EM_FALSE;  // the middle and extra buttons are not used
    sessionInput(mouseEvent(type == EMSCRIPTEN_EVENT_MOUSEDOWN ? INPUT_PRESS : INPUT_RELEASE, x, y, button));
    return EM_TRUE;
}

EM_BOOL wheel(int, const EmscriptenWheelEvent* e, void*) {
    if (testing || ended || e->deltaY == 0) return EM_TRUE;
    // A turn reads as a press of button 4 (forward) or 5 (back), never followed by a release.
    sessionInput(mouseEvent(INPUT_PRESS, px(e->mouse.targetX), py(e->mouse.targetY), e->deltaY < 0 ? 4 : 5));
    return EM_TRUE;
}

// The page's key codes are the Windows virtual-key codes for the keys the other platforms map; any
// other key has none and never reaches the application (nor is its default action kept from it).
int virtualKeyFromPage(unsigned long code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return (int)code;
    if (code >= 112 && code <= 123) return (int)code;  // F1 .. F12
    if (code >= 96 && code <= 105) return (int)code;   // the keypad's digits
    switch (code) {
    case 8: case 9: case 13: case 16: case 17: case 18: case 19: case 20: case 27: case 32:
    case 33: case 34: case 35: case 36: case 37: case 38: case 39: case 40: case 45: case 46:
        return (int)code;
    default:
        return 0;
    }
}

// The keys the piece gives a meaning to, kept from the browser; every other key keeps its own (F5,
// F11, Ctrl+R, Tab, ...), and the program is told of it all the same.
bool pieceKey(int vk) {
    return vk == 27 || vk == 13 || vk == 32 || vk == 17 || vk == 'A' || vk == 'Z' || vk == 123;
}

EM_BOOL key(int type, const EmscriptenKeyboardEvent* e, void*) {
    if (testing || ended) return EM_FALSE;
    int vk = virtualKeyFromPage(e->keyCode);
    if (vk == 0) return EM_FALSE;
    // A screenshot is the whole picture: taken at the full resolution.
    if (vk == 123 && type == EMSCRIPTEN_EVENT_KEYDOWN && resolution < deviceRatio) {
        resolution = deviceRatio;
        fitCanvas();
    }
    sessionInput(keyEvent(type == EMSCRIPTEN_EVENT_KEYDOWN ? INPUT_KEY_DOWN : INPUT_KEY_UP, vk));
    return pieceKey(vk) ? EM_TRUE : EM_FALSE;
}

TouchGestures touch(sessionInput);

// The page's script gives the other pointers' events to the program: touch through Pointer Events
// (none of the mouse events a browser makes up from touch), and a change of the device's pixel ratio
// through a resolution query that is asked anew after each change.
void listenToPage() {
    EM_ASM({
        var canvas = Module.canvas;
        function finger(kind) {
            return function(e) {
                if (e.pointerType != 'touch') return;
                e.preventDefault();
                if (kind == 0) canvas.setPointerCapture(e.pointerId);
                var box = canvas.getBoundingClientRect();
                _velmoraTouch(kind, e.pointerId, e.clientX - box.left, e.clientY - box.top);
            };
        }
        canvas.addEventListener('pointerdown', finger(0));
        canvas.addEventListener('pointermove', finger(1));
        canvas.addEventListener('pointerup', finger(2));
        canvas.addEventListener('pointercancel', finger(2));
        function watchRatio() {
            matchMedia('(resolution: ' + devicePixelRatio + 'dppx)').addEventListener('change', function() {
                _velmoraRefit();
                watchRatio();
            }, {once: true});
        }
        watchRatio();
    });
}

// Lost, the context draws nothing and the piece waits; the page says so if it does not come back.
EM_BOOL lost(int, const void*, void*) {
    contextLost = true;
    EM_ASM({ if (Module.velmoraContextLost) Module.velmoraContextLost(); });
    return EM_TRUE;  // asks the browser for the context back
}

EM_BOOL restored(int, const void*, void*) {
    emscripten_webgl_make_context_current(context);
    webglLayerRestore();
    contextLost = false;
    EM_ASM({ if (Module.velmoraContextRestored) Module.velmoraContextRestored(); });
    return EM_TRUE;
}

// While the browser cannot draw a frame at every display refresh (the median interval over a second
// above 18 ms, or updates lost), the drawing buffer shrinks by a fifth a step, never below one pixel
// per CSS pixel; once a few seconds have gone by at full pace it grows back a step, and a step up that
// proves too much is tried again only after twice as long. The pictures are the same, only coarser.
// A new size clears the canvas, so it is set only right before a frame is drawn.
struct Pace {
    std::vector<double> intervals;
    double since = 0;     // the second's start, ms
    int updates = 0;      // frames run in it
    int calmSeconds = 0;  // seconds at full pace since the last change
    int patience = 4;     // the calm seconds a step up waits for
    bool justRaised = false;
} pace;

void adaptResolution(double time, double interval, bool frameComing) {
    if (interval <= 0 || interval > 1000) {  // a hidden page, or the first callback: start again
        pace = Pace{{}, time, 0, 0, pace.patience, false};
        return;
    }
    pace.intervals.push_back(interval);
    pace.updates += frameComing;
    if (time - pace.since < 1000 || !frameComing) return;
    std::sort(pace.intervals.begin(), pace.intervals.end());
    const double median = pace.intervals[pace.intervals.size() / 2];
    const double expected = (time - pace.since) * FRAMES_PER_SECOND / 1000.0;
    const bool slow = median > 18.0 || pace.updates < expected * 0.92;
    double next = resolution;
    if (slow) {
        if (pace.justRaised) pace.patience = std::min(pace.patience * 2, 64);
        next = std::max(resolution * 0.8, 0.5);
        pace.calmSeconds = 0;
    } else if (++pace.calmSeconds >= pace.patience && resolution < deviceRatio) {
        next = std::min(resolution / 0.8, deviceRatio);
        pace.calmSeconds = 0;
    }
    pace.justRaised = next > resolution;
    pace.intervals.clear();
    pace.since = time;
    pace.updates = 0;
    if (next != resolution) {
        resolution = next;
        fitCanvas();
    }
}

// A screenshot written during the frame (F12) goes to the visitor as a download of the same name.
void offerScreenshot(int before) {
    if (screenshotCounter() == before) return;
    std::string name = "Screenshot_" + std::to_string(screenshotCounter() - 1) + ".tga";
    EM_ASM({
        var name = UTF8ToString($0);
        try {
            var bytes = FS.readFile(name);
            FS.unlink(name);
            var link = document.createElement('a');
            link.href = URL.createObjectURL(new Blob([bytes], {type: 'image/x-tga'}));
            link.download = name;
            document.body.appendChild(link);
            link.click();
            link.remove();
        } catch (e) {
            console.log('velmora: no screenshot: ' + e);
        }
    }, name.c_str());
}

void runFrame() {
    int shots = screenshotCounter();
    if (testing) script.deliver(frames);
    double start = emscripten_get_now();
    sessionBeforeFrame();
    appUpdate();
    inputJournalFrameDone();
    appDraw();
    if (reportFrames)
        EM_ASM({ Module.velmoraFrame($0, $1, $2, $3); }, frames, appStateId(), appChosenSeason(),
               emscripten_get_now() - start);
    ++frames;
    offerScreenshot(shots);
}

EM_BOOL animationFrame(double time, void*) {
    double interval = lastRefresh > 0 ? time - lastRefresh : 0;
    // A smoothed refresh interval; a hidden page's long gap is not one.
    if (interval > 0 && interval < 100) refreshInterval = refreshInterval * 0.9 + interval * 0.1;
    lastRefresh = time;
    if (contextLost) return EM_TRUE;
    if (testing) {
        runFrame();
    } else {
        int64_t slack = (int64_t)(refreshInterval * 1000.0 / 2);
        bool due = programFrameTimer().frameDueAtRefresh(slack);
        if (!fixedResolution) adaptResolution(time, interval, due);
        // The ratio as the frame is drawn as well: not every browser tells the query of a change.
        if (due && std::min(emscripten_get_device_pixel_ratio(), 2.0) != deviceRatio) fitCanvas();
        if (due) runFrame();
    }
    if (quitRequested()) {
        // The closing has played: a quiet page in place of a dead canvas.
        ended = true;
        EM_ASM({ if (Module.velmoraEnded) Module.velmoraEnded(); });
    }
    if (testing && (ended || frames > script.lastFrame())) EM_ASM({ Module.velmoraTestDone(); });
    return ended || (testing && frames > script.lastFrame()) ? EM_FALSE : EM_TRUE;
}

void noCursor() { EM_ASM({ Module.canvas.style.cursor = 'none'; }); }

}  // namespace

// The canvas's touch pointers (the page's script hands them over): 0 down, 1 moved, 2 lifted or
// cancelled; CSS pixels.
extern "C" EMSCRIPTEN_KEEPALIVE void velmoraTouch(int kind, int id, double x, double y) {
    if (testing || ended) return;
    if (kind == 0) touch.down(id, (float)(x * appWidth / cssWidth), (float)(y * appHeight / cssHeight));
    else if (kind == 1) touch.move(id, (float)(x * appWidth / cssWidth), (float)(y * appHeight / cssHeight));
    else touch.up(id);
}

// The page's back control: Escape, pressed and let go.
extern "C" EMSCRIPTEN_KEEPALIVE void velmoraBack() {
    if (testing || ended) return;
    sessionInput(keyEvent(INPUT_KEY_DOWN, 27));
    sessionInput(keyEvent(INPUT_KEY_UP, 27));
}

// The device's pixel ratio changed without a resize (the window moved to another screen).
extern "C" EMSCRIPTEN_KEEPALIVE void velmoraRefit() { fitCanvas(); }

int runWebProgram() {
    platformHooks().counter = browserCounter;
    platformHooks().counterFrequency = browserFrequency;
    platformHooks().messageBox = browserMessage;
    platformHooks().hideCursor = noCursor;

    fixedResolution = EM_ASM_INT({ return Module.velmoraFixedResolution ? 1 : 0; });
    fitCanvas();
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // the clear colour's alpha of 0 must not show the page through
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    // Multisampled, except for the test harness, which compares the frames with exact headless ones.
    attributes.antialias = EM_ASM_INT({ return Module.velmoraScript ? 0 : 1; }) ? EM_TRUE : EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.majorVersion = 1;
    context = emscripten_webgl_create_context(canvas, &attributes);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !webglLayerInit()) {
        EM_ASM({ if (Module.velmoraFailed) Module.velmoraFailed('This browser has no WebGL.'); });
        return 1;
    }
    // The test harness may ask for the journal of the input the page delivers (read back from the
    // in-memory file system), or hand over an input script before the program starts.
    reportFrames = EM_ASM_INT({ return Module.velmoraFrame ? 1 : 0; });
    if (EM_ASM_INT({ return Module.velmoraJournal ? 1 : 0; })) {
        setenv("VELMORA_INPUT_JOURNAL", "/input.journal", 1);
        inputJournalOpenFromEnvironment();
    }
    char* text = (char*)EM_ASM_INT({ return Module.velmoraScript ? allocateUTF8(Module.velmoraScript) : 0; });
    if (text) {
        testing = true;
        fixedResolution = true;
        if (!script.parse(text)) std::fprintf(stderr, "velmora: test script: %s\n", script.error.c_str());
        std::free(text);
    }

    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, resized);
    emscripten_set_mousedown_callback(canvas, nullptr, EM_FALSE, mouse);
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, mouse);
    emscripten_set_mousemove_callback(canvas, nullptr, EM_FALSE, mouse);
    emscripten_set_wheel_callback(canvas, nullptr, EM_FALSE, wheel);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, key);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, key);
    emscripten_set_webglcontextlost_callback(canvas, nullptr, EM_FALSE, lost);
    emscripten_set_webglcontextrestored_callback(canvas, nullptr, EM_FALSE, restored);
    listenToPage();

    appWidth = width;
    appHeight = height;
    appInit(width, height, seasonList());
    programSmoothing().start(nullptr, width, height, SmoothingChoice{testing, -1, 1});
    if (testing)
        appSetFrameReadyHook([]() {
            if (!script.captures(frames)) return;
            static std::vector<unsigned char> pixels;
            pixels.resize((size_t)width * height * 4);
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            EM_ASM({ Module.velmoraCapture($0, $1, $2, HEAPU8.slice($3, $3 + $1 * $2 * 4)); }, frames, width,
                   height, pixels.data());
        });
    EM_ASM({ if (Module.velmoraStarted) Module.velmoraStarted(); });
    emscripten_request_animation_frame_loop(animationFrame, nullptr);
    return 0;
}
