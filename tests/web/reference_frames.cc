// The headless frames of an input script, for comparison with the browser build's:
//   velmora_reference_frames SCRIPT WIDTH HEIGHT OUTDIR
// writes OUTDIR/frame_<n>.rgb (RGB, rows from the top) for every frame the script captures and
// prints "<frame> <application state>" for every frame run.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/headless_run.h"
#include "app/input_script.h"
#include "framework/application.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s SCRIPT WIDTH HEIGHT OUTDIR\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[1]);
    std::stringstream text;
    text << file.rdbuf();
    InputScript script;
    if (!file || !script.parse(text.str())) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], script.error.c_str());
        return 2;
    }
    HeadlessRun run(std::atoi(argv[2]), std::atoi(argv[3]));
    if (!run.ok()) {
        std::fprintf(stderr, "no headless context: %s\n", run.error().c_str());
        return 1;
    }
    for (int frame = 0; frame <= script.lastFrame(); ++frame) {
        script.deliver(frame);
        if (!run.runFrames(1)) break;
        std::printf("%d %d\n", frame, appStateId());
        if (!script.captures(frame)) continue;
        std::string path = std::string(argv[4]) + "/frame_" + std::to_string(frame) + ".rgb";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(run.lastFrame().data()), (std::streamsize)run.lastFrame().size());
    }
    return 0;
}
