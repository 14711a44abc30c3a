// The program on Win32: the desktop-sized full-screen window (or a window of the same client size when
// the display mode cannot be set), its WGL context, the window procedure that maps messages onto the
// application's handlers, and the frame loop.
#pragma once

#include <windows.h>

#include "app/command_line.h"

// The handlers the window procedure calls: the application's own (framework/application.h) unless a
// test puts in others.
struct Win32InputHandlers {
    void (*keyDown)(int key);
    void (*keyUp)(int key);
    void (*mouseMove)(int x, int y);
    void (*mouseDown)(int x, int y, int button);
    void (*mouseUp)(int x, int y, int button);
};
Win32InputHandlers& win32InputHandlers();
void resetWin32InputHandlers();

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the program (`options` in PLAY or REPLAY mode); returns the exit code of the quit message (0
// when the application ends itself), 0 when the window class or the window cannot be made, 1 when a
// replay cannot be read or a recording written.
int runWin32Program(HINSTANCE instance, const CommandLine& options = CommandLine());
