// An opt-in record of the input the application is given and of the states it passes through, frame
// by frame, so that a run of the real program (under Wine, say) can be replayed headless and its
// screenshots drawn again from the same input at the same frames. Off unless VELMORA_INPUT_JOURNAL
// names a file; while off, the loop pays one pointer test per frame.
//
// One line per event, written out at once, <frame> being the number of frames updated before it:
//   <frame> key_down <key>      <frame> key_up <key>      <frame> move <x> <y>
//   <frame> down <x> <y> <button>      <frame> up <x> <y> <button>
//   <frame> state <application state id>    (after the update that entered the state)
//   <frame> tick                            (every 30 frames: the frames go on)
#pragma once

#include <cstdio>

#include "system/input_event.h"

// Opens the file named by VELMORA_INPUT_JOURNAL (truncating it); false when unset or not writable.
bool inputJournalOpenFromEnvironment();
// Called by the loop after every frame's update: counts the frame, notes a change of state and every
// thirtieth frame.
void inputJournalFrameDone();

// Notes one event of the person's input as it arrives (the session calls it for every one).
void inputJournalRecord(const InputEvent& e);

// One journal line read back; false at the end or on a line that is not an event.
struct JournalEvent {
    int frame = 0;
    char kind[16] = {};
    int a = 0, b = 0, c = 0;
};
bool readJournalEvent(std::FILE* file, JournalEvent& event);
