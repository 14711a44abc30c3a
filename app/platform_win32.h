// The program on Win32: the desktop-sized full-screen window (or a window of the same client size when
// the display mode cannot be set), its WGL context, the window procedure that maps messages onto input
// events, and the frame loop.
#pragma once

#include <windows.h>

#include "app/command_line.h"
#include "system/input_event.h"

// Where the window procedure sends the input it reads: the session (app/input_session.h) unless a
// test puts in another.
using Win32InputSink = void (*)(const InputEvent& e);
Win32InputSink& win32InputSink();
void resetWin32InputSink();

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the program (`options` in PLAY or REPLAY mode); returns the exit code of the quit message (0
// when the application ends itself), 0 when the window class or the window cannot be made, 1 when a
// replay cannot be read or a recording written.
int runWin32Program(HINSTANCE instance, const CommandLine& options = CommandLine());
