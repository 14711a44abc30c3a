// The one path input takes: platform layer -> session -> application -> scene. The platform layer hands
// every event of the person's input to sessionInput and calls sessionBeforeFrame right before every
// appUpdate. Along the path hang the input journal and the recording (--record-input), which note what
// passes; the replay (--replay, --render), which is a source of events and keeps the person's out; and
// the gallery (--gallery), whose visitor is a source and which sees the person's input before the
// application does. Without a session started, input goes straight on to the application.
#pragma once

#include <string>

#include "app/command_line.h"
#include "system/input_event.h"
#include "system/input_recording.h"

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
// The piece started again from its opening (the opening hours began): frames count from 0 again and
// the gallery starts afresh. A recording going on is not restarted (--hours goes without one).
void sessionRestart();

// The person's input, as the platform layer reads it.
void sessionInput(const InputEvent& e);
void sessionBeforeFrame();
// Updates run since the session started.
long sessionFrame();
// A replay has played all its frames.
bool sessionReplayOver();
// The gallery's built-in visitor is playing a visit.
bool sessionVisitorPlaying();
