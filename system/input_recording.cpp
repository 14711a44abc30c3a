#include "system/input_recording.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

const char* const kKindNames[] = {"key-down", "key-up", "move", "press", "release"};

// Whole decimal numbers separated by single spaces, nothing left over.
bool readNumbers(std::istringstream& in, long* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!(in >> values[i])) return false;
    std::string rest;
    return !(in >> rest);
}

}  // namespace

bool parseRecording(const std::string& text, InputRecording& out, std::string& error) {
    out = InputRecording();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool headed = false, sized = false, ended = false;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(number) + ": " + what;
        out = InputRecording();
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        std::istringstream in(line);
        if (!headed) {
            headed = true;
            std::string magic;
            long version = 0;
            in >> magic;
            if (magic != "velmora-input") return fail("not a Velmora input recording (no 'velmora-input 1' header)");
            if (!readNumbers(in, &version, 1)) return fail("the header needs a version number");
            if (version != RECORDING_VERSION)
                return fail("version " + std::to_string(version) + " is not known here (this program reads version " +
                            std::to_string(RECORDING_VERSION) + ")");
            continue;
        }
        if (ended) return fail("nothing may follow the 'end' line");
        std::string word;
        in >> word;
        if (word == "size") {
            long wh[2];
            if (sized || !readNumbers(in, wh, 2) || wh[0] < 1 || wh[1] < 1 || wh[0] > 16384 || wh[1] > 16384)
                return fail(sized ? "a second 'size' line" : "'size' needs WIDTH HEIGHT, 1 to 16384");
            out.width = (int)wh[0];
            out.height = (int)wh[1];
            sized = true;
            continue;
        }
        if (!sized) return fail("'size WIDTH HEIGHT' must come right after the header");
        if (word == "gallery") {
            std::string rest;
            if (in >> rest) return fail("'gallery' takes nothing after it");
            out.gallery = true;
            continue;
        }
        long last = out.events.empty() ? 0 : out.events.back().frame;
        if (word == "end") {
            long end = 0;
            if (!readNumbers(in, &end, 1) || end < last) return fail("'end' needs the frame count, not before the last event");
            out.endFrame = end;
            ended = true;
            continue;
        }
        char* stop = nullptr;
        long frame = std::strtol(word.c_str(), &stop, 10);
        if (word.empty() || *stop != '\0' || frame < 0 || word[0] == '-' || word[0] == '+')
            return fail("expected a frame number, 'size', 'gallery' or 'end', not '" + word + "'");
        if (frame < last) return fail("frame " + std::to_string(frame) + " comes before frame " + std::to_string(last));
        std::string kindName;
        in >> kindName;
        int kind = -1;
        for (int k = 0; k < 5; ++k)
            if (kindName == kKindNames[k]) kind = k;
        if (kind < 0) return fail("unknown event '" + kindName + "'");
        InputEvent e;
        e.frame = frame;
        e.kind = (InputKind)kind;
        long v[3] = {0, 0, 0};
        if (!isMouseEvent(e)) {
            if (!readNumbers(in, v, 1) || v[0] < 1 || v[0] > 255) return fail(kindName + " needs a key code, 1 to 255");
            e.key = (int)v[0];
        } else {
            int count = e.kind == INPUT_MOVE ? 2 : 3;
            if (!readNumbers(in, v, count) || v[0] < -65536 || v[0] > 65536 || v[1] < -65536 || v[1] > 65536 ||
                (count == 3 && v[2] != 1 && v[2] != 3 && v[2] != 4 && v[2] != 5))
                return fail(kindName + (count == 2 ? " needs X Y" : " needs X Y BUTTON (1, 3, 4 or 5)"));
            e.x = (int)v[0];
            e.y = (int)v[1];
            e.button = (int)v[2];
        }
        out.events.push_back(e);
    }
    if (!headed) return fail("the file is empty");
    if (!sized) return fail("no 'size' line");
    if (!ended) {
        ++number;
        return fail("no 'end' line: the recording was cut short");
    }
    return true;
}

bool readRecordingFile(const std::string& path, InputRecording& out, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!parseRecording(text.str(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string recordingHeader(int width, int height, bool gallery) {
    return "velmora-input " + std::to_string(RECORDING_VERSION) + "\nsize " + std::to_string(width) + " " +
           std::to_string(height) + "\n" + (gallery ? "gallery\n" : "");
}

std::string recordingLine(const InputEvent& e) {
    char line[96];
    if (isMouseEvent(e) && e.kind != INPUT_MOVE)
        std::snprintf(line, sizeof line, "%ld %s %d %d %d\n", e.frame, kKindNames[e.kind], e.x, e.y, e.button);
    else if (e.kind == INPUT_MOVE)
        std::snprintf(line, sizeof line, "%ld move %d %d\n", e.frame, e.x, e.y);
    else
        std::snprintf(line, sizeof line, "%ld %s %d\n", e.frame, kKindNames[e.kind], e.key);
    return line;
}

std::string recordingEnd(long endFrame) { return "end " + std::to_string(endFrame) + "\n"; }

void mapRecordedPoint(int fromWidth, int fromHeight, int toWidth, int toHeight, int& x, int& y) {
    if (fromWidth == toWidth && fromHeight == toHeight) return;
    if (fromHeight < 1) return;
    double scale = (double)toHeight / fromHeight;
    x = (int)((double)toWidth / 2 + ((double)x - (double)fromWidth / 2) * scale);
    y = (int)((double)y * scale);
}
