#include "app/platform_win32.h"

#include <mmsystem.h>

#include <cstring>

#include "app/frame_smoothing.h"
#include "app/framebuffer_sizes.h"
#include "app/health_log.h"
#include "app/input_journal.h"
#include "app/input_session.h"
#include "app/main_loop.h"
#include "app/season_list.h"
#include "framework/application.h"
#include "render/gl.h"
#include "system/frame_timer.h"
#include "system/platform_hooks.h"
#include "system/window_size.h"

namespace {

// The desktop size, read once at start: the window and the display mode use exactly this size.
int screenWidth = 0, screenHeight = 0;
// Cleared when the display mode cannot be set; the program then runs in a window.
bool fullscreen = true;
HWND windowHandle = nullptr;
HDC deviceContext = nullptr;     // the window's DC, kept for the whole run
HGLRC renderContext = nullptr;   // current on the one thread for the whole run
WPARAM quitCode = 0;             // the exit code the quit message carried

const char kClassName[] = "Velmora";

Win32InputSink sink = sessionInput;

int64_t performanceCounter() {
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}
int64_t performanceFrequency() {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return value.QuadPart;
}
void win32MessageBox(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption && *caption ? caption : nullptr, MB_OK);
}
void win32Swap() {
    SwapBuffers(deviceContext);
    frameSmoothingNextFrame();
}
SmoothingChoice smoothing;  // from the command line
// wglGetProcAddress answers only for extension and post-1.1 entry points, which is all it is asked.
void* win32GlProc(const char* name) { return (void*)wglGetProcAddress(name); }
void win32HideCursor() { ShowCursor(FALSE); }

// A fixed descriptor: RGBA with the program's colour, depth and stencil sizes (app/framebuffer_sizes.h,
// the same as every other context), double-buffered, on the main plane. The results are not checked:
// a context without the asked-for format still draws.
void setupPixelFormat(HDC dc) {
    static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "descriptor size");
    PIXELFORMATDESCRIPTOR format;
    std::memset(&format, 0, sizeof format);
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = (BYTE)(kFramebufferSizes.red + kFramebufferSizes.green + kFramebufferSizes.blue);
    format.cAlphaBits = (BYTE)kFramebufferSizes.alpha;
    format.cDepthBits = (BYTE)kFramebufferSizes.depth;
    format.cStencilBits = (BYTE)kFramebufferSizes.stencil;
    format.iLayerType = PFD_MAIN_PLANE;
    int index = ChoosePixelFormat(dc, &format);
    SetPixelFormat(dc, index, &format);
}

// Mouse positions: the low and high words of lParam, each as an unsigned 16-bit number.
int lowWord(LPARAM lParam) { return (int)(unsigned)LOWORD(lParam); }
int highWord(LPARAM lParam) { return (int)(unsigned)HIWORD(lParam); }

bool handleMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        // Not dispatched; the loop ends after this turn.
        quitCode = msg.wParam;
        requestQuit();
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void waitForMessages(int milliseconds) {
    MsgWaitForMultipleObjectsEx(0, nullptr, (DWORD)milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// A replay ends the program when its last frame has been played.
void beforeFrame() {
    if (sessionReplayOver()) requestQuit();
    sessionBeforeFrame();
}

// Sleep counts whole milliseconds (precise to one with timeBeginPeriod(1)); a shorter wait only
// gives up the rest of the time slice, and the loop polls for the frame.
void sleepMicroseconds(int microseconds) { Sleep((DWORD)(microseconds / 1000)); }

}  // namespace

Win32InputSink& win32InputSink() { return sink; }
void resetWin32InputSink() { sink = sessionInput; }

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        deviceContext = GetDC(window);
        setupPixelFormat(deviceContext);
        renderContext = wglCreateContext(deviceContext);
        wglMakeCurrent(deviceContext, renderContext);
        return 0;
    case WM_SIZE:
        applyWindowSize(lowWord(lParam), highWord(lParam));  // a height of 0 is taken as 1
        if (renderContext && lowWord(lParam) > 0 && highWord(lParam) > 0)
            programSmoothing().start(win32GlProc, lowWord(lParam), highWord(lParam), smoothing);
        return 0;
    case WM_CLOSE:
        // The window itself is not destroyed: the loop ends on the quit message and the process with it.
        programSmoothing().stop();
        wglMakeCurrent(deviceContext, nullptr);
        wglDeleteContext(renderContext);
        renderContext = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        sink(keyEvent(INPUT_KEY_DOWN, (int)wParam));
        return 0;
    case WM_KEYUP:
        sink(keyEvent(INPUT_KEY_UP, (int)wParam));
        return 0;
    case WM_SYSCOMMAND:
        // No screen saver and no monitor power-down while the piece runs. The low four bits of the
        // command are the system's own.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
        break;
    case WM_MOUSEMOVE:
        sink(mouseEvent(INPUT_MOVE, lowWord(lParam), highWord(lParam)));
        return 0;
    case WM_LBUTTONDOWN:
        sink(mouseEvent(INPUT_PRESS, lowWord(lParam), highWord(lParam), 1));
        return 0;
    case WM_LBUTTONUP:
        sink(mouseEvent(INPUT_RELEASE, lowWord(lParam), highWord(lParam), 1));
        return 0;
    case WM_RBUTTONDOWN:
        sink(mouseEvent(INPUT_PRESS, lowWord(lParam), highWord(lParam), 3));
        return 0;
    case WM_RBUTTONUP:
        sink(mouseEvent(INPUT_RELEASE, lowWord(lParam), highWord(lParam), 3));
        return 0;
    case WM_MOUSEWHEEL: {
        // A turn reads as a press of button 4 (forward) or 5 (back), never followed by a release; a
        // partial notch reads as forward. The position is passed on as the message carries it.
        int steps = (short)HIWORD(wParam) / WHEEL_DELTA;
        sink(mouseEvent(INPUT_PRESS, lowWord(lParam), highWord(lParam), steps < 0 ? 5 : 4));
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int runWin32Program(HINSTANCE instance, const CommandLine& options) {
    // A replay is read whole before anything is shown: a malformed file draws nothing.
    InputRecording replay;
    if (options.mode == CommandLine::REPLAY) {
        std::string error;
        if (!readRecordingFile(options.recordingPath, replay, error)) {
            MessageBoxA(nullptr, error.c_str(), "Velmora", MB_OK);
            return 1;
        }
    }
    if (!options.logPath.empty() && !healthLogOpen(options.logPath)) {
        MessageBoxA(nullptr, ("cannot write the log " + options.logPath).c_str(), "Velmora", MB_OK);
        return 1;
    }
    platformHooks().counter = performanceCounter;
    platformHooks().counterFrequency = performanceFrequency;
    platformHooks().messageBox = win32MessageBox;
    platformHooks().swapBuffers = win32Swap;
    platformHooks().hideCursor = win32HideCursor;
    platformHooks().frameDrawn = frameSmoothingResolve;
    smoothing = options.smoothing;
    timeBeginPeriod(1);  // Sleep(1) sleeps one millisecond, not a scheduler tick
    // The display and the machine stay awake while the piece runs, as with the screen saver below.
    SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED);

    HDC screen = GetDC(nullptr);
    int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    fullscreen = true;

    static_assert(sizeof(void*) != 4 || sizeof(WNDCLASSEXA) == 48, "window class size");
    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    windowClass.hIconSm = LoadIcon(nullptr, IDI_WINLOGO);
    if (!RegisterClassExA(&windowClass)) {
        timeEndPeriod(1);
        return 0;
    }

    if (fullscreen) {
        // The desktop's own mode: the monitor's resolution does not change, the window covers it.
        static_assert(sizeof(DEVMODEA) == 156, "display mode size");
        DEVMODEA mode;
        std::memset(&mode, 0, sizeof mode);
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmBitsPerPel = (DWORD)depth;
        mode.dmPelsWidth = (DWORD)screenWidth;
        mode.dmPelsHeight = (DWORD)screenHeight;
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
            MessageBoxA(nullptr, "Display mode failed", nullptr, MB_OK);
            fullscreen = false;
        }
    }
    ShowCursor(FALSE);

    DWORD style = fullscreen ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    DWORD frameExStyle = fullscreen ? WS_EX_APPWINDOW : (WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);
    RECT outer = {0, 0, screenWidth, screenHeight};
    AdjustWindowRectEx(&outer, style, FALSE, frameExStyle);
    // WM_CREATE, inside this call, makes the GL context current.
    windowHandle = CreateWindowExA(0, kClassName, "Velmora", style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                   outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                   instance, nullptr);
    if (!windowHandle) {
        timeEndPeriod(1);
        return 0;
    }
    ShowWindow(windowHandle, SW_SHOW);
    UpdateWindow(windowHandle);

    // VELMORA_INPUT_JOURNAL: the input and states of this run, for replaying it headless.
    inputJournalOpenFromEnvironment();
    quitCode = 0;
    appInit(screenWidth, screenHeight, seasonList());  // starts with quitRequested clear
    std::string error;
    if (!sessionStartFromCommandLine(options, replay, screenWidth, screenHeight, error)) {
        MessageBoxA(nullptr, error.c_str(), "Velmora", MB_OK);
        quitCode = 1;
        requestQuit();
    }
    if (!quitRequested()) {
        MainLoopHooks hooks{handleMessage, waitForMessages, sleepMicroseconds, beforeFrame};
        runMainLoop(programFrameTimer(), hooks, Exhibition{options.hours, screenWidth, screenHeight});
    }
    sessionFinish();
    healthLogClose();
    resetWin32InputSink();

    if (fullscreen) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }
    SetThreadExecutionState(ES_CONTINUOUS);
    timeEndPeriod(1);
    return (int)quitCode;
}
