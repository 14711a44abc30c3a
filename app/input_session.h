// Between the platform's input and the application: counts the frames, writes a recording of the
// visit (--record-input), plays one back (--replay, --render) and runs the gallery (--gallery). The
// platform layer hands every input event to sessionInput and calls sessionBeforeFrame right before
// every appUpdate; without a session started both pass straight through.
#pragma once

#include <string>

#include "app/command_line.h"
#include "app/input_recording.h"

struct SessionOptions {
    int width = 0, height = 0;          // the screen
    bool gallery = false;
    std::string recordPath;             // empty: no recording
    const InputRecording* replay = nullptr;  // played back; the person's input is then ignored
};

// False (with a one-line `error`) when the recording cannot be written.
bool sessionStart(const SessionOptions& options, std::string& error);
// The session a program's command line asks for, on a screen of width x height; `replay` is the
// recording read for --replay and is ignored otherwise.
bool sessionStartFromCommandLine(const CommandLine& options, const InputRecording& replay, int width, int height,
                                 std::string& error);
// Writes the recording's end line and closes it; the session is over.
void sessionFinish();

void sessionInput(const InputEvent& e);
void sessionBeforeFrame();
// Updates run since the session started.
long sessionFrame();
// A replay has played all its frames.
bool sessionReplayOver();

// The five handlers in the shape the window procedures call them.
void sessionKeyDown(int key);
void sessionKeyUp(int key);
void sessionMouseMove(int x, int y);
void sessionMouseDown(int x, int y, int button);
void sessionMouseUp(int x, int y, int button);
