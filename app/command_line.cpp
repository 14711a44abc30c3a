#include "app/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: velmora [--gallery] [--record-input FILE] [--hours HH:MM-HH:MM[,...]] [--log FILE]\n"
    "               [--samples N | --exact]\n"
    "       velmora --replay FILE [--samples N | --exact]\n"
    "       velmora --render FILE [--out DIR] [--video OUT.mp4] [--size WxH] [--frames A-B]\n"
    "               [--supersample 2|3|4]\n"
    "       velmora --help\n"
    "\n"
    "Without options Velmora opens full screen and plays the opening and the menu of four seasons.\n"
    "\n"
    "  --gallery             exhibition mode: after 60 s without input on the menu a built-in visitor\n"
    "                        plays each season in turn; any input hands the piece back at once; Escape\n"
    "                        on the menu returns to the cycle and Ctrl+Shift+Q quits\n"
    "  --record-input FILE   write every mouse and key event with its frame number to FILE\n"
    "  --hours 09:00-18:00   opening hours, local time; several ranges separated by commas, a range\n"
    "                        may cross midnight; outside them the screen is black and the piece rests,\n"
    "                        and it starts from its opening when they begin\n"
    "  --log FILE            append a health line to FILE every minute and at every change\n"
    "                        (FILE '-': standard error)\n"
    "  --replay FILE         play a recording back in the window (Escape or closing the window stops)\n"
    "  --render FILE         play a recording offscreen, with no window, and write its frames:\n"
    "    --out DIR           as DIR/frame_000000.png, ... (numbered by frame)\n"
    "    --video OUT.mp4     into ffmpeg (which must be installed), 60 frames a second\n"
    "    --size WxH          at this size (default: the size the recording was made at)\n"
    "    --frames A-B        only frames A to B (inclusive; the visit is still played from its start)\n"
    "    --supersample N     draw at N times the size and filter down to it (2, 3 or 4)\n"
    "  --samples N           multisampling: 0 (off), 2, 4 or 8 samples a pixel (default: what the\n"
    "                        renderer holds 60 frames a second with; see docs/performance.md)\n"
    "  --exact               the frames exactly as composed: no multisampling, no wider lines\n"
    "  --help                show this text\n"
    "\n"
    "The recording format is described in docs/recordings.md.\n";

// A whole non-negative decimal number up to `limit`, nothing else.
bool parseNumber(const char* text, long limit, long& value) {
    if (!text || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v > limit) return false;
    value = v;
    return true;
}

// "A<sep>B" as two numbers.
bool parsePair(const char* text, char sep, long limit, long& a, long& b) {
    const char* mark = std::strchr(text, sep);
    if (!mark) return false;
    std::string first(text, (size_t)(mark - text));
    return parseNumber(first.c_str(), limit, a) && parseNumber(mark + 1, limit, b);
}

}  // namespace

const char* commandLineUsage() { return kUsage; }

bool parseCommandLine(int argc, const char* const* argv, CommandLine& out, std::string& error) {
    out = CommandLine();
    bool renderOnly = false;  // an option that only --render takes was given
    const char* renderOption = "";
    const char* kioskOption = nullptr;  // --hours or --log, which go only with the live piece
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i] ? argv[i] : "";
        auto value = [&](const char*& v) {
            if (i + 1 >= argc || !argv[i + 1] || !*argv[i + 1]) {
                error = "option '" + option + "' needs a value";
                return false;
            }
            v = argv[++i];
            return true;
        };
        const char* v = nullptr;
        if (option == "--help" || option == "-h") {
            out.mode = CommandLine::HELP;
            return true;
        } else if (option == "--gallery") {
            out.gallery = true;
        } else if (option == "--record-input") {
            if (!value(v)) return false;
            out.recordPath = v;
        } else if (option == "--hours" || option == "--log") {
            if (!value(v)) return false;
            if (option == "--log") out.logPath = v;
            if (option == "--hours" && !parseOpeningHours(v, out.hours, error)) return false;
            kioskOption = argv[i - 1];
        } else if (option == "--replay" || option == "--render") {
            if (!value(v)) return false;
            if (out.mode != CommandLine::PLAY) {
                error = "give only one of --replay and --render";
                return false;
            }
            out.mode = option == "--replay" ? CommandLine::REPLAY : CommandLine::RENDER;
            out.recordingPath = v;
        } else if (option == "--out" || option == "--video") {
            if (!value(v)) return false;
            (option == "--out" ? out.outDir : out.videoPath) = v;
            renderOnly = true;
            renderOption = argv[i - 1];
        } else if (option == "--size") {
            if (!value(v)) return false;
            long w = 0, h = 0;
            if (!parsePair(v, 'x', 16384, w, h) || w < 1 || h < 1) {
                error = std::string("--size takes WIDTHxHEIGHT, 1 to 16384 each, not '") + v + "'";
                return false;
            }
            out.width = (int)w;
            out.height = (int)h;
            renderOnly = true;
            renderOption = argv[i - 1];
        } else if (option == "--frames") {
            if (!value(v)) return false;
            long a = 0, b = 0;
            if (!parsePair(v, '-', 1000000000L, a, b) || b < a) {
                error = std::string("--frames takes FIRST-LAST, FIRST <= LAST, not '") + v + "'";
                return false;
            }
            out.firstFrame = a;
            out.lastFrame = b;
            renderOnly = true;
            renderOption = argv[i - 1];
        } else if (option == "--exact") {
            out.smoothing.exact = true;
        } else if (option == "--samples" || option == "--supersample") {
            if (!value(v)) return false;
            long n = 0;
            bool samples = option == "--samples";
            if (!parseNumber(v, 8, n) || (samples ? (n & (n - 1)) != 0 || n == 1 : n < 2 || n > 4)) {
                error = option + (samples ? " takes 0, 2, 4 or 8" : " takes 2, 3 or 4") + ", not '" + v + "'";
                return false;
            }
            (samples ? out.smoothing.samples : out.smoothing.supersample) = (int)n;
            if (!samples) {
                renderOnly = true;
                renderOption = argv[i - 1];
            }
        } else {
            error = "unknown option '" + option + "'";
            return false;
        }
    }
    if (renderOnly && out.mode != CommandLine::RENDER) {
        error = std::string("option '") + renderOption + "' goes only with --render";
        return false;
    }
    if (out.mode == CommandLine::RENDER && out.outDir.empty() && out.videoPath.empty()) {
        error = "--render needs --out DIR or --video OUT.mp4 (or both)";
        return false;
    }
    if (out.smoothing.exact && (out.smoothing.samples > 0 || out.smoothing.supersample > 1)) {
        error = "--exact does not go with --samples or --supersample";
        return false;
    }
    if (out.mode != CommandLine::PLAY && (out.gallery || !out.recordPath.empty())) {
        error = std::string(out.gallery ? "--gallery" : "--record-input") +
                " does not go with --replay or --render (a recording says whether it was made in the gallery)";
        return false;
    }
    if (kioskOption && out.mode != CommandLine::PLAY) {
        error = std::string(kioskOption) + " does not go with --replay or --render";
        return false;
    }
    if (!out.hours.ranges.empty() && !out.recordPath.empty()) {
        error = "--hours does not go with --record-input (the piece starts anew when the hours begin)";
        return false;
    }
    return true;
}
