#include "app/main_loop.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/health_log.h"
#include "app/input_journal.h"
#include "app/input_session.h"
#include "app/season_list.h"
#include "app/service_notify.h"
#include "framework/application.h"
#include "render/gl.h"
#include "render/random_generator.h"
#include "system/frame_timer.h"
#include "system/platform_hooks.h"

namespace {
// Margins that keep frames on time: waking from a message wait can be a millisecond late, from a
// short sleep a fraction of that. The last quarter millisecond is polled.
const int64_t kWaitMarginUs = 1500;
const int64_t kPollUs = 250;

struct FrameLog {
    std::FILE* file = nullptr;
    std::chrono::steady_clock::time_point opened;
    bool firstFrameMarked = false;
};
// Null unless a log was opened: all the loop checks.
FrameLog* frameLog = nullptr;

int64_t cpuMicroseconds() { return (int64_t)std::clock() * 1000000 / CLOCKS_PER_SEC; }

int64_t ticksToMicroseconds(int64_t ticks, int64_t frequency) {
    return frequency > 0 ? (int64_t)((double)ticks * 1e6 / (double)frequency) : 0;
}

void recordFrame(FrameLog& log, const FrameTimer& timer, int64_t due, int64_t cpuStart) {
    int64_t end = platformHooks().counter();
    int64_t cpuEnd = cpuMicroseconds();
    std::fprintf(log.file, "%lld %lld %lld %lld %lld\n", (long long)ticksToMicroseconds(due, timer.frequency),
                 (long long)ticksToMicroseconds(timer.now, timer.frequency),
                 (long long)ticksToMicroseconds(end, timer.frequency), (long long)cpuStart, (long long)cpuEnd);
    if (!log.firstFrameMarked) {
        log.firstFrameMarked = true;
        frameLogMark("first_frame");
    }
}


int systemMinuteOfDay() {
    std::tm now = localTimeNow();
    return now.tm_hour * 60 + now.tm_min;
}

// What the loop keeps for a piece shown unattended: whether it is open, the service manager's pings
// and the health log's figures, all on the frame timer's counter.
struct Watch {
    FrameTimer& timer;
    const MainLoopHooks& hooks;
    const Exhibition& exhibition;
    bool open = true;
    bool readySent = false;
    int64_t lastLook, lastPing, minuteStart;
    long minuteFrames = 0;
    long long minuteDropped = 0;
    HealthFigures figures;
    int loggedState = -1;
    bool loggedVisitor = false;

    Watch(FrameTimer& t, const MainLoopHooks& h, const Exhibition& e) : timer(t), hooks(h), exhibition(e) {
        lastLook = lastPing = minuteStart = timer.readCounter();
        open = openNow();
        write("start");
        if (!open) close();
    }

    int minuteNow() const { return hooks.minuteOfDay ? hooks.minuteOfDay() : systemMinuteOfDay(); }
    bool openNow() const { return exhibition.hours.ranges.empty() || openAt(exhibition.hours, minuteNow()); }

    void write(const char* event) {
        if (!healthLogActive()) return;
        figures.closed = !open;
        if (!open) {
            int minute = minuteNow(), change = minutesUntilChange(exhibition.hours, minute);
            figures.opensAt = change < 0 ? -1 : (minute + change) % (24 * 60);
        }
        healthLogWrite(event, figures);
        loggedState = appStateId();
        loggedVisitor = sessionVisitorPlaying();
    }

    // READY=1 the first time, WATCHDOG=1 after it, at most once a second.
    void ping(int64_t now) {
        if (readySent && now - lastPing < timer.frequency) return;
        serviceNotify(readySent ? "WATCHDOG=1" : "READY=1");
        readySent = true;
        lastPing = now;
    }

    void frameDrawn(int64_t due) {
        ++figures.frames;
        ++minuteFrames;
        // The timer never makes up a late frame: each whole period it fired late is one frame lost.
        if (timer.ticksPerFrame > 0 && timer.now - due > timer.ticksPerFrame)
            minuteDropped += (timer.now - due) / timer.ticksPerFrame;
        ping(timer.now);
        if (appStateId() != loggedState || sessionVisitorPlaying() != loggedVisitor) write("state");
    }

    // Once a second: the opening hours, the minute's line and, while closed, the watchdog.
    void look() {
        int64_t now = timer.readCounter();
        if (now - lastLook < timer.frequency) return;
        lastLook = now;
        if (openNow() != open) {
            open = !open;
            if (open)
                reopen();
            else
                close();
        }
        if (now - minuteStart >= 60 * timer.frequency) {
            figures.updatesPerSecond = (double)minuteFrames * (double)timer.frequency / (double)(now - minuteStart);
            figures.dropped = minuteDropped;
            write("minute");
            minuteDropped = 0;
            minuteFrames = 0;
            minuteStart = now;
        }
        if (!open) ping(now);
    }

    // The screen goes black, in both buffers, and stays so: nothing more is drawn until the hours begin.
    void close() {
        glClearColor(0, 0, 0, 1);
        for (int buffer = 0; buffer < 2; ++buffer) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            platformHooks().swapBuffers();
        }
        write("closed");
    }

    // The piece from its opening, as at start: the same random numbers, the frame clock from now.
    void reopen() {
        randomReset();
        appReleaseTextures();  // once a day for months: nothing of the last day may stay behind
        appInit(exhibition.width, exhibition.height, seasonList());
        sessionRestart();
        timer.start();
        write("open");
    }
};

}  // namespace

WaitPlan planWait(int64_t ticksLeft, int64_t frequency) {
    if (ticksLeft <= 0 || frequency <= 0) return WaitPlan{0, 0};
    int64_t us = (int64_t)((double)ticksLeft * 1e6 / (double)frequency);
    if (us > 1000000) us = 1000000;
    if (us > kWaitMarginUs + 1000) return WaitPlan{(int)((us - kWaitMarginUs) / 1000), 0};
    if (us > kPollUs) return WaitPlan{0, (int)(us - kPollUs)};
    return WaitPlan{0, 0};
}

void runMainLoop(FrameTimer& timer, const MainLoopHooks& hooks, const Exhibition& exhibition) {
    Watch watch(timer, hooks, exhibition);
    do {
        for (int handled = 1; hooks.handleMessage(); ++handled)
            if (handled >= kMessagesPerTurn && timer.ticksUntilDue() == 0) break;
        watch.look();
        if (!watch.open) {
            if (!quitRequested()) hooks.waitForMessages(1000);
            continue;
        }
        int64_t due = timer.due;
        if (timer.frameDue()) {
            FrameLog* log = frameLog;
            int64_t cpuStart = log ? cpuMicroseconds() : 0;
            if (hooks.beforeFrame) hooks.beforeFrame();
            appUpdate();
            inputJournalFrameDone();
            appDraw();
            if (log) recordFrame(*log, timer, due, cpuStart);
            watch.frameDrawn(due);
            continue;
        }
        if (quitRequested()) break;
        WaitPlan plan = planWait(timer.ticksUntilDue(), timer.frequency);
        if (plan.waitMilliseconds > 0)
            hooks.waitForMessages(plan.waitMilliseconds);
        else if (plan.sleepMicroseconds > 0)
            hooks.sleepMicroseconds(plan.sleepMicroseconds);
    } while (!quitRequested());
    watch.write("stop");
}

void keepFreedMemory() {
#if defined(__GLIBC__)
    // Never trim the heap below this much free memory at its top (the default, 128 KB, is less than
    // two of the renderer's blocks). Setting it also fixes the threshold above which blocks get their
    // own mapping, which glibc would otherwise raise by itself: fixed at its usual ceiling.
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
#endif
}

bool frameLogOpen(const char* path) {
    frameLogClose();
    if (!path || !*path) return false;
    std::FILE* file = std::fopen(path, "w");
    if (!file) return false;
    static bool closeAtExit = false;
    if (!closeAtExit) {
        closeAtExit = true;
        std::atexit(frameLogClose);
    }
    frameLog = new FrameLog();
    frameLog->file = file;
    frameLog->opened = std::chrono::steady_clock::now();
    std::fputs("# velmora frame log: due start end cpuStart cpuEnd (microseconds)\n", file);
    frameLogMark("open");
    return true;
}

bool frameLogOpenFromEnvironment() {
    const char* path = std::getenv("VELMORA_FRAME_LOG");
    return path && *path && frameLogOpen(path);
}

bool frameLogActive() { return frameLog != nullptr; }

void frameLogMark(const char* name) {
    if (!frameLog) return;
    auto now = std::chrono::steady_clock::now();
    long long sinceOpen =
        (long long)std::chrono::duration_cast<std::chrono::microseconds>(now - frameLog->opened).count();
    long long realtime = (long long)std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    std::fprintf(frameLog->file, "# mark %s %lld realtime %lld\n", name ? name : "", sinceOpen, realtime);
}

void frameLogClose() {
    if (!frameLog) return;
    std::fclose(frameLog->file);
    delete frameLog;
    frameLog = nullptr;
}
