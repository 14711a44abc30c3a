#include "app/platform_web.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "system/frame_timer.h"
#include "app/frame_smoothing.h"
#include "app/input_journal.h"
#include "app/input_session.h"
#include "app/season_list.h"
#include "app/input_script.h"
#include "system/platform_hooks.h"
#include "system/screenshot.h"
#include "system/window_size.h"
#include "framework/application.h"
#include "render/gl.h"

namespace {

const char* const canvas = "#canvas";
int width = 0, height = 0;      // the canvas's drawable pixels
double pixelRatio = 1;          // drawable pixels per CSS pixel
double lastRefresh = 0;         // the previous animation callback, ms
double refreshInterval = 1000.0 / 60;
bool ended = false;

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

// The canvas's CSS size times the device pixel ratio, as its drawing buffer.
void fitCanvas() {
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(canvas, &cssWidth, &cssHeight);
    pixelRatio = emscripten_get_device_pixel_ratio();
    int w = (int)(cssWidth * pixelRatio + 0.5), h = (int)(cssHeight * pixelRatio + 0.5);
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    if (w == width && h == height) return;
    width = w;
    height = h;
    emscripten_set_canvas_element_size(canvas, w, h);
}

EM_BOOL resized(int, const EmscriptenUiEvent*, void*) {
    fitCanvas();
    applyWindowSize(width, height);
    programSmoothing().start(nullptr, width, height, SmoothingChoice{testing, -1, 1});
    return EM_FALSE;
}

int px(double cssX) { return (int)(cssX * pixelRatio); }

int buttonOf(unsigned short domButton) { return domButton == 0 ? 1 : domButton == 2 ? 3 : 0; }

EM_BOOL mouse(int type, const EmscriptenMouseEvent* e, void*) {
    if (testing || ended) return EM_FALSE;
    int x = px(e->targetX), y = px(e->targetY);
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
    sessionInput(mouseEvent(INPUT_PRESS, px(e->mouse.targetX), px(e->mouse.targetY), e->deltaY < 0 ? 4 : 5));
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

EM_BOOL key(int type, const EmscriptenKeyboardEvent* e, void*) {
    if (testing || ended) return EM_FALSE;
    int vk = virtualKeyFromPage(e->keyCode);
    if (vk == 0) return EM_FALSE;
    sessionInput(keyEvent(type == EMSCRIPTEN_EVENT_KEYDOWN ? INPUT_KEY_DOWN : INPUT_KEY_UP, vk));
    return EM_TRUE;
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
    if (lastRefresh > 0) {
        double interval = time - lastRefresh;
        // A smoothed refresh interval; a hidden page's long gap is not one.
        if (interval > 0 && interval < 100) refreshInterval = refreshInterval * 0.9 + interval * 0.1;
    }
    lastRefresh = time;
    if (testing) {
        runFrame();
    } else {
        int64_t slack = (int64_t)(refreshInterval * 1000.0 / 2);
        if (programFrameTimer().frameDueAtRefresh(slack)) runFrame();
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

int runWebProgram() {
    platformHooks().counter = browserCounter;
    platformHooks().counterFrequency = browserFrequency;
    platformHooks().messageBox = browserMessage;
    platformHooks().hideCursor = noCursor;

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
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
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
