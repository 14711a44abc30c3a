// Velmora: opens full screen at the desktop's size, plays the opening and the menu of four seasons.
// The command line (velmora --help) adds the gallery mode, recording, replay and offscreen rendering.
#include <cstdio>

#include "app/command_line.h"
#include "app/offscreen_render.h"
#include "app/platform_sdl.h"

int main(int argc, char** argv) {
    CommandLine options;
    std::string error;
    if (!parseCommandLine(argc, argv, options, error)) {
        std::fprintf(stderr, "velmora: %s (velmora --help shows the options)\n", error.c_str());
        return 2;
    }
    if (options.mode == CommandLine::HELP) {
        std::fputs(commandLineUsage(), stdout);
        return 0;
    }
    if (options.mode == CommandLine::RENDER) return renderRecording(options);
    return runSdlProgram(options);
}
