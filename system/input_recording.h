// Recordings of a visit: every mouse and key event the application was given, each with the frame it
// arrived before, as plain text (docs/recordings.md). Reading checks the whole text first, so a
// malformed or cut-short file is refused before anything is played.
#pragma once

#include <string>
#include <vector>

#include "system/input_event.h"

struct InputRecording {
    int width = 0, height = 0;   // the screen the visit was made on
    bool gallery = false;        // made in gallery mode (the replay runs the gallery too)
    long endFrame = 0;           // frames the visit lasted
    std::vector<InputEvent> events;  // in frame order
};

const int RECORDING_VERSION = 1;

// Parses a whole recording. On a mistake returns false with "line N: what is wrong".
bool parseRecording(const std::string& text, InputRecording& out, std::string& error);
bool readRecordingFile(const std::string& path, InputRecording& out, std::string& error);

std::string recordingHeader(int width, int height, bool gallery);
std::string recordingLine(const InputEvent& e);  // one line, with its newline
std::string recordingEnd(long endFrame);

// Where a point of a width x height recording lands on another screen: about the centre, scaled by
// the heights. The scenes' fixed vertical field of view and the menu, sized by the height and centred,
// then see the same place; on the recording's own size every point stays where it was.
void mapRecordedPoint(int fromWidth, int fromHeight, int toWidth, int toHeight, int& x, int& y);
