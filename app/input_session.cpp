#include "app/input_session.h"

#include <cstdio>
#include <memory>

#include "app/input_journal.h"
#include "framework/application.h"
#include "framework/gallery.h"
#include "framework/season.h"

namespace {

struct Session {
    SessionOptions options;
    long frame = 0;
    std::FILE* record = nullptr;
    std::unique_ptr<Gallery> gallery;
    size_t nextReplayEvent = 0;
};
Session* session = nullptr;

// The person's input and the replayed one: the gallery sees it first and may keep it.
void deliver(const InputEvent& e) {
    if (session && session->gallery && !session->gallery->personInput(e)) return;
    appInput(e);
}

}  // namespace

bool sessionStartFromCommandLine(const CommandLine& options, const InputRecording& replay, int width, int height,
                                 std::string& error) {
    SessionOptions session;
    session.width = width;
    session.height = height;
    session.gallery = options.gallery;
    session.recordPath = options.recordPath;
    session.replay = options.mode == CommandLine::REPLAY ? &replay : nullptr;
    return sessionStart(session, error);
}

bool sessionStart(const SessionOptions& options, std::string& error) {
    sessionFinish();
    std::unique_ptr<Session> s(new Session());
    s->options = options;
    if (!options.recordPath.empty()) {
        s->record = std::fopen(options.recordPath.c_str(), "w");
        if (!s->record) {
            error = "cannot write the recording " + options.recordPath;
            return false;
        }
        std::fputs(recordingHeader(options.width, options.height, options.gallery).c_str(), s->record);
    }
    bool gallery = options.replay ? options.replay->gallery : options.gallery;
    if (gallery) s->gallery.reset(new Gallery(options.width, options.height));
    session = s.release();
    return true;
}

void sessionFinish() {
    if (!session) return;
    if (session->record) {
        std::fputs(recordingEnd(session->frame).c_str(), session->record);
        std::fclose(session->record);
    }
    delete session;
    session = nullptr;
}

void sessionRestart() {
    if (!session) return;
    session->frame = 0;
    session->nextReplayEvent = 0;
    if (session->gallery) session->gallery.reset(new Gallery(session->options.width, session->options.height));
}

void sessionInput(const InputEvent& event) {
    inputJournalRecord(event);
    if (!session) {
        appInput(event);
        return;
    }
    if (session->options.replay) {
        // A replay plays only what was recorded; Escape ends it.
        if (event.kind == INPUT_KEY_DOWN && event.key == VK_CODE_ESCAPE) requestQuit();
        return;
    }
    InputEvent e = event;
    e.frame = session->frame;
    if (session->record) std::fputs(recordingLine(e).c_str(), session->record);
    deliver(e);
}

void sessionBeforeFrame() {
    if (!session) return;
    if (const InputRecording* r = session->options.replay) {
        while (session->nextReplayEvent < r->events.size() &&
               r->events[session->nextReplayEvent].frame <= session->frame) {
            InputEvent e = r->events[session->nextReplayEvent++];
            mapRecordedPoint(r->width, r->height, session->options.width, session->options.height, e.x, e.y);
            deliver(e);
        }
    }
    if (session->gallery) session->gallery->frame();
    session->frame += 1;
}

long sessionFrame() { return session ? session->frame : 0; }

bool sessionReplayOver() {
    return session && session->options.replay && session->frame >= session->options.replay->endFrame;
}

bool sessionVisitorPlaying() { return session && session->gallery && session->gallery->visitorPlaying(); }
