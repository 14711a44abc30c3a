// A small window of the program's own window procedure, for tests that need its WGL context.
#pragma once

#include "app/platform_win32.h"

// Registers `className` for windowProc and opens a width x height window of it: WM_CREATE leaves the
// window's GL context current. nullptr when the class or the window cannot be made.
inline HWND openTestWindow(const char* className, int width, int height) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    if (!RegisterClassExA(&windowClass)) return nullptr;
    HWND window = CreateWindowExA(0, className, "Velmora test", WS_POPUP | WS_CLIPSIBLINGS, 0, 0, width, height,
                                  nullptr, nullptr, instance, nullptr);
    if (window) ShowWindow(window, SW_SHOW);
    return window;
}

// Dispatches every waiting message as the program's loop does; returns the exit code of a quit
// message among them, or -1 when there was none.
inline int dispatchWaitingMessages() {
    int quitCode = -1;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitCode = (int)msg.wParam;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return quitCode;
}
