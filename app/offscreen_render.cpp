#include "app/offscreen_render.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/frame_smoothing.h"
#include "app/frame_writer.h"
#include "app/headless_run.h"
#include "app/input_session.h"
#include "framework/application.h"

bool programOnPath(const char* name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

int renderRecording(const CommandLine& options) {
    InputRecording recording;
    std::string error;
    if (!readRecordingFile(options.recordingPath, recording, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return 1;
    }
    int w = options.width > 0 ? options.width : recording.width;
    int h = options.height > 0 ? options.height : recording.height;
    long first = options.firstFrame;
    long last = options.lastFrame < 0 || options.lastFrame >= recording.endFrame ? recording.endFrame - 1
                                                                                  : options.lastFrame;
    if (first > last) {
        std::fprintf(stderr, "velmora: the recording has frames 0 to %ld only\n", recording.endFrame - 1);
        return 1;
    }
    if (!options.videoPath.empty() && !programOnPath("ffmpeg")) {
        std::fprintf(stderr,
                     "velmora: --video needs ffmpeg, which is not installed (on Debian: apt-get install ffmpeg); "
                     "--out DIR writes the frames as PNG files without it\n");
        return 1;
    }
    if (!options.outDir.empty()) {
        mkdir(options.outDir.c_str(), 0777);
        struct stat info;
        if (stat(options.outDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            std::fprintf(stderr, "velmora: cannot make the folder %s\n", options.outDir.c_str());
            return 1;
        }
    }

    // Smoothed as the window on this renderer would be (--samples, --exact), so that a render and the
    // window's screenshots are the same pixels. --supersample N: drawn at N times the size, each frame
    // filtered down before it is written.
    int n = options.smoothing.supersample;
    HeadlessRun run(w * n, h * n, true, options.smoothing);
    if (!run.ok()) {
        std::fprintf(stderr, "velmora: no offscreen OpenGL context (%s)\n", run.error().c_str());
        return 1;
    }
    SessionOptions session;
    session.width = w * n;
    session.height = h * n;
    session.replay = &recording;
    if (!sessionStart(session, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return 1;
    }

    std::FILE* video = nullptr;
    if (!options.videoPath.empty()) {
        std::signal(SIGPIPE, SIG_IGN);  // a failing ffmpeg shows as a failed write, not a dead program
        std::string quoted = "'";
        for (char c : options.videoPath) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        quoted += "'";
        std::string command = "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                              std::to_string(w) + "x" + std::to_string(h) +
                              " -r 60 -i - -c:v libx264 -preset veryfast -crf 20 -pix_fmt yuv420p " + quoted;
        video = popen(command.c_str(), "w");
        if (!video) {
            std::fprintf(stderr, "velmora: cannot start ffmpeg\n");
            sessionFinish();
            return 1;
        }
    }

    // The frames before the range are run without drawing them: the same state, a fraction of the
    // time. Each drawn frame goes to the writer, which encodes and writes it beside the next drawing.
    auto began = std::chrono::steady_clock::now();
    long written = 0;
    std::string failure;
    {
        FrameWriter writer(w, h, options.outDir, video);
        for (long frame = 0; frame <= last; ++frame) {
            sessionBeforeFrame();
            if (frame < first) {
                if (!run.skipFrames(1)) break;  // the visit closed the piece
                continue;
            }
            if (!run.runFrames(1)) break;
            std::vector<unsigned char> pixels = run.takeLastFrame();
            if (n > 1) {
                std::vector<unsigned char> filtered((size_t)w * h * 3);
                downscaleFrame(pixels.data(), w * n, h * n, n, filtered.data());
                pixels.swap(filtered);
            }
            if (!writer.add(frame, std::move(pixels))) break;
            ++written;
        }
        writer.finish(failure);
    }
    int status = 0;
    if (!failure.empty()) {
        std::fprintf(stderr, "velmora: %s\n", failure.c_str());
        status = 1;
    }
    if (video && pclose(video) != 0 && status == 0) {
        std::fprintf(stderr, "velmora: ffmpeg failed to make %s\n", options.videoPath.c_str());
        status = 1;
    }
    sessionFinish();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::fprintf(stderr, "velmora: %ld frames (%ld to %ld) at %dx%d in %.1f s, %.1f ms a frame\n", written, first,
                 first + written - 1, w, h, seconds, written > 0 ? 1000 * seconds / (double)written : 0.0);
    return status;
}
