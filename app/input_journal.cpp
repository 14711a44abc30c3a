#include "app/input_journal.h"

#include <cstdlib>

#include "framework/application.h"

namespace {

std::FILE* journal = nullptr;
int framesDone = 0;
int lastState = -1;

void closeJournal() {
    if (journal) std::fclose(journal);
    journal = nullptr;
}

void record(const char* kind, int count, int a, int b = 0, int c = 0) {
    if (!journal) return;
    if (count == 0) std::fprintf(journal, "%d %s\n", framesDone, kind);
    if (count == 1) std::fprintf(journal, "%d %s %d\n", framesDone, kind, a);
    if (count == 2) std::fprintf(journal, "%d %s %d %d\n", framesDone, kind, a, b);
    if (count == 3) std::fprintf(journal, "%d %s %d %d %d\n", framesDone, kind, a, b, c);
    std::fflush(journal);  // read while the program runs
}

}  // namespace

bool inputJournalOpenFromEnvironment() {
    const char* path = std::getenv("VELMORA_INPUT_JOURNAL");
    if (!path || !*path) return false;
    closeJournal();
    journal = std::fopen(path, "wb");  // the same lines on every system
    if (!journal) return false;
    static bool closeAtExit = false;
    if (!closeAtExit) {
        closeAtExit = true;
        std::atexit(closeJournal);
    }
    framesDone = 0;
    lastState = -1;
    return true;
}

void inputJournalFrameDone() {
    if (!journal) return;
    framesDone += 1;
    int state = appStateId();
    if (state != lastState) record("state", 1, state);
    lastState = state;
    if (framesDone % 30 == 0) record("tick", 0, 0);
}

void inputJournalRecord(const InputEvent& e) {
    switch (e.kind) {
    case INPUT_KEY_DOWN: record("key_down", 1, e.key); break;
    case INPUT_KEY_UP: record("key_up", 1, e.key); break;
    case INPUT_MOVE: record("move", 2, e.x, e.y); break;
    case INPUT_PRESS: record("down", 3, e.x, e.y, e.button); break;
    case INPUT_RELEASE: record("up", 3, e.x, e.y, e.button); break;
    }
}

bool readJournalEvent(std::FILE* file, JournalEvent& event) {
    char line[128];
    if (!std::fgets(line, sizeof line, file)) return false;
    event = JournalEvent();
    return std::sscanf(line, "%d %15s %d %d %d", &event.frame, event.kind, &event.a, &event.b, &event.c) >= 2;
}
