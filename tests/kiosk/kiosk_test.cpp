// The piece left running where it is shown: opening hours (--hours), the health log (--log), word to
// the service manager (READY=1, WATCHDOG=1 on NOTIFY_SOCKET), and F12 during the gallery's visit.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_context.h"
#include "app/headless_run.h"
#include "app/health_log.h"
#include "app/input_session.h"
#include "app/main_loop.h"
#include "framework/application.h"
#include "framework/season.h"
#include "render/gl.h"
#include "system/frame_timer.h"
#include "system/screenshot.h"
#include "tests/scratch_directory.h"

namespace {

int minute(int h, int m) { return h * 60 + m; }

bool parseHours(const char* text, OpeningHours& hours, std::string& error) {
    const char* argv[] = {"velmora", "--hours", text};
    CommandLine options;
    bool ok = parseCommandLine(3, argv, options, error);
    hours = options.hours;
    return ok;
}

}  // namespace

TEST(OpeningHours, GoodAndBadValues) {
    struct Good {
        const char* text;
        std::vector<int> open, closed;
        int at, untilChange;  // minutes from `at` to the next opening or closing
    };
    const Good good[] = {
        {"09:00-18:00", {minute(9, 0), minute(17, 59)}, {minute(8, 59), minute(18, 0), 0}, minute(8, 0), 60},
        {"9:30-17:00", {minute(9, 30)}, {minute(9, 29), minute(17, 0)}, minute(17, 0), 16 * 60 + 30},
        {"20:00-02:00", {minute(20, 0), minute(23, 59), 0, minute(1, 59)}, {minute(2, 0), minute(19, 59)},
         minute(23, 0), 180},
        {"10:00-13:00,14:00-24:00", {minute(12, 59), minute(14, 0), minute(23, 59)}, {minute(13, 30), 0},
         minute(13, 30), 30},
        {"00:00-24:00", {0, minute(12, 0), minute(23, 59)}, {}, 0, -1},
    };
    for (const Good& g : good) {
        OpeningHours hours;
        std::string error;
        ASSERT_TRUE(parseHours(g.text, hours, error)) << g.text << ": " << error;
        for (int m : g.open) EXPECT_TRUE(openAt(hours, m)) << g.text << " at " << clockText(m);
        for (int m : g.closed) EXPECT_FALSE(openAt(hours, m)) << g.text << " at " << clockText(m);
        EXPECT_EQ(minutesUntilChange(hours, g.at), g.untilChange) << g.text << " at " << clockText(g.at);
    }
    for (const char* bad : {"9-17", "09:00", "09:00-18:00,", "09:00 - 18:00", "09:00-18:00x", "25:00-26:00",
                            "09:60-10:00", "24:00-09:00", "09:00-24:01", "09:00-09:00", "-09:00-18:00", ""}) {
        OpeningHours hours;
        std::string error;
        EXPECT_FALSE(parseHours(bad, hours, error)) << "'" << bad << "'";
        EXPECT_TRUE(error.find("--hours") != std::string::npos && error.find('\n') == std::string::npos) << error;
    }
}

// The real main loop on a fake microsecond counter and a local clock that follows it, from 17:58:30
// with the hours 09:00-18:00,18:02-23:00: 90 s of frames, two minutes closed, then the piece opens
// again. NOTIFY_SOCKET names the test's own socket; the health log goes to a file.
TEST(Kiosk, HoursCloseAndOpenTheWatchdogHearsAndTheLogSaysSo) {
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());
    const int w = 64, h = 48;
    HeadlessRun run(w, h, true);
    ASSERT_TRUE(run.ok()) << run.error();
    std::string socketPath = scratch.path + "/notify";
    static int listener;
    listener = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(bind(listener, (sockaddr*)&address, sizeof address), 0);
    setenv("NOTIFY_SOCKET", socketPath.c_str(), 1);
    ASSERT_TRUE(healthLogOpen("health.log"));
    std::string error;
    ASSERT_TRUE(sessionStart(SessionOptions{w, h, true, "", nullptr}, error)) << error;

    static int64_t now;
    static std::vector<std::pair<int64_t, std::string>> heard;  // when, what
    static bool blackWhenClosed;
    now = 0;
    heard.clear();
    blackWhenClosed = true;
    static auto clock = [] { return (minute(17, 58) + (int)((now + 30000000) / 60000000)) % (24 * 60); };
    static auto listen = [] {
        char text[64];
        for (ssize_t n; (n = recv(listener, text, sizeof text - 1, MSG_DONTWAIT)) > 0;)
            heard.emplace_back(now, std::string(text, (size_t)n));
    };
    FrameTimer timer(60.0f, [] { return now; }, [] { return (int64_t)1000000; });
    timer.start();
    MainLoopHooks hooks;
    hooks.handleMessage = [] {
        now += 50;
        // The opening played anew, or something went wrong.
        if ((clock() == minute(18, 2) && appStateId() == APP_TITLES) || now > 600000000) requestQuit();
        return false;
    };
    hooks.waitForMessages = [](int ms) {
        listen();
        if (clock() == minute(18, 1)) {
            unsigned char pixel[3 * 64 * 48];
            readFramePixels(64, 48, pixel);
            for (unsigned char c : pixel) blackWhenClosed = blackWhenClosed && c == 0;
        }
        now += (int64_t)ms * 1000;
    };
    hooks.sleepMicroseconds = [](int us) { now += us; };
    hooks.minuteOfDay = [] { return clock(); };
    Exhibition exhibition;
    ASSERT_TRUE(parseHours("09:00-18:00,18:02-23:00", exhibition.hours, error)) << error;
    exhibition.width = w;
    exhibition.height = h;
    runMainLoop(timer, hooks, exhibition);
    listen();
    int textures = 0;  // the piece's two sheets; the first opening's are given back
    for (GLuint name = 1; name < 64; ++name) textures += glIsTexture(name) ? 1 : 0;
    EXPECT_EQ(textures, 2);
    healthLogClose();
    sessionFinish();
    unsetenv("NOTIFY_SOCKET");
    close(listener);

    EXPECT_TRUE(blackWhenClosed);
    // READY=1 first, then WATCHDOG=1 about once a second, open or closed (never two seconds apart).
    ASSERT_GT(heard.size(), 100u);
    EXPECT_EQ(heard[0].second, "READY=1");
    for (size_t i = 1; i < heard.size(); ++i) {
        EXPECT_EQ(heard[i].second, "WATCHDOG=1");
        EXPECT_LE(heard[i].first - heard[i - 1].first, 2000000) << i;  // the unit waits 10 s
    }

    // The health log: start, the states of the opening, the minute, closed, open, stop; no frame
    // drawn while closed.
    std::ifstream file(scratch.path + "/health.log");
    const std::regex line(
        R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (\w+) frames=(\d+) ups=([\d.]+) dropped=(\d+) rss=[\d.]+MB state=(\w+) season=[-\w]+ by=(visitor|person)( until=18:02)?)");
    std::vector<std::string> events;
    std::string framesWhenClosed;
    for (std::string text; std::getline(file, text);) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, line)) << text;
        events.push_back(m[1].str() + " " + m[5].str());
        EXPECT_EQ(m[5] == "closed", m[7].matched) << text;  // closed, and until when
        if (m[1] == "closed") framesWhenClosed = m[2];
        if (m[1] == "open") {
            EXPECT_EQ(m[2], framesWhenClosed);
        }
        if (m[1] == "minute" && m[5] == "menu") {
            EXPECT_GE(std::stol(m[2]), 3590) << text;
            EXPECT_GE(std::stod(m[3]), 59.5) << text;
            EXPECT_EQ(m[4], "0") << text;
        }
    }
    auto has = [&](const std::string& e) { return std::find(events.begin(), events.end(), e) != events.end(); };
    EXPECT_EQ(events.front(), "start intro");
    for (const char* e : {"state titles", "state menu", "minute menu", "closed closed", "open intro"}) EXPECT_TRUE(has(e)) << e;
    EXPECT_EQ(events.back(), "stop titles");
}

// The exhibitor's F12 during the built-in visitor's visit: the picture is saved and the visit goes on.
TEST(Kiosk, F12DuringAVisitSavesTheScreenAndTheVisitGoesOn) {
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());
    const int w = 160, h = 120;
    HeadlessRun run(w, h, false);
    ASSERT_TRUE(run.ok()) << run.error();
    std::string error;
    ASSERT_TRUE(sessionStart(SessionOptions{w, h, true, "", nullptr}, error)) << error;
    auto frame = [&run] {  // a scene's frames drawn (its picking needs them), the menu's not
        sessionBeforeFrame();
        run.runFrames(1, false);
        if (appStateId() == APP_SEASON) appDraw();
    };
    for (int i = 0; i < 2 * 3600 && !(sessionVisitorPlaying() && appStateId() == APP_SEASON); ++i) frame();
    ASSERT_TRUE(sessionVisitorPlaying());
    int season = appChosenSeason(), shots = screenshotCounter();
    sessionInput(keyEvent(INPUT_KEY_DOWN, VK_CODE_F12));
    frame();
    sessionInput(keyEvent(INPUT_KEY_UP, VK_CODE_F12));
    for (int i = 0; i < 600; ++i) frame();
    EXPECT_EQ(screenshotCounter(), shots + 1);
    EXPECT_EQ(access(("Screenshot_" + std::to_string(shots) + ".tga").c_str(), R_OK), 0);
    EXPECT_TRUE(sessionVisitorPlaying());
    EXPECT_EQ(appStateId(), APP_SEASON);
    EXPECT_EQ(appChosenSeason(), season);
    sessionFinish();
}
