// The program on SDL2: the desktop-sized full-screen window with its OpenGL compatibility context,
// the messages turned into input events for the session, the frame loop. Returns the exit code.
#pragma once

#include "app/command_line.h"

// `options` in PLAY or REPLAY mode.
int runSdlProgram(const CommandLine& options);
