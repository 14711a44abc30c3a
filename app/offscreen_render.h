// --render: a recording played with no window, in the headless EGL context, its frames written as
// numbered PNG files and/or piped into ffmpeg as a video.
#pragma once

#include "app/command_line.h"

// Returns the program's exit code: 0 done, 1 when something could not be made or written (the
// message is on standard error).
int renderRecording(const CommandLine& options);

// Whether a program of this name can be run from PATH.
bool programOnPath(const char* name);
