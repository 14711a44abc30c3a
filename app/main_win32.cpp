// Velmora on Windows: opens full screen at the desktop's size, plays the opening and the menu of four
// seasons. The command line is the one of every build (velmora --help), less --render, which needs the
// offscreen context of the Linux build.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "app/platform_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CommandLine options;
    std::string error;
    if (!parseCommandLine(__argc, __argv, options, error)) {
        error = "velmora: " + error + " (velmora --help shows the options)";
        std::fprintf(stderr, "%s\n", error.c_str());
        MessageBoxA(nullptr, error.c_str(), "Velmora", MB_OK);
        return 2;
    }
    if (options.mode == CommandLine::HELP) {
        std::fputs(commandLineUsage(), stdout);
        MessageBoxA(nullptr, commandLineUsage(), "Velmora", MB_OK);
        return 0;
    }
    if (options.mode == CommandLine::RENDER) {
        const char* text = "velmora: --render is only in the Linux build";
        std::fprintf(stderr, "%s\n", text);
        MessageBoxA(nullptr, text, "Velmora", MB_OK);
        return 2;
    }
    return runWin32Program(instance, options);
}
