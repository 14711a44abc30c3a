// The program on SDL2: the desktop-sized full-screen window with its OpenGL compatibility context,
// the messages mapped onto the application's handlers, the frame loop. Returns the exit code.
#pragma once

int runSdlProgram();
