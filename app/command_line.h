// The program's command line, parsed in one place for every platform. Without options the piece runs
// as it always has: full screen, the opening, the menu.
#pragma once

#include <string>

#include "app/frame_smoothing.h"
#include "app/opening_hours.h"

struct CommandLine {
    enum Mode { PLAY, HELP, REPLAY, RENDER };
    Mode mode = PLAY;
    bool gallery = false;          // --gallery: look after itself when nobody is at the keyboard
    std::string recordPath;        // --record-input FILE
    std::string recordingPath;     // the recording of --replay FILE or --render FILE
    std::string outDir;            // --out DIR: numbered PNG files
    std::string videoPath;         // --video OUT.mp4: frames piped into ffmpeg
    int width = 0, height = 0;     // --size WxH; 0: the recording's own size
    long firstFrame = 0, lastFrame = -1;  // --frames A-B, inclusive; -1: to the end
    // Left running where it is shown:
    OpeningHours hours;            // --hours 09:00-18:00,...: none given, always open
    std::string logPath;           // --log FILE: the health log, appended to
    SmoothingChoice smoothing;     // --exact, --samples N, --supersample N (--render only)
};

// Fills `out` from argv[1..argc-1]. On a mistake returns false with a one-line `error`
// ("unknown option '--x'"); the caller prints it and exits with code 2.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& out, std::string& error);

// The text `velmora --help` prints.
const char* commandLineUsage();
