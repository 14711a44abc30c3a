// The command line, the recording format, and a recorded visit replayed frame for frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_run.h"
#include "app/input_journal.h"
#include "app/input_session.h"
#include "framework/application.h"
#include "framework/season.h"
#include "framework/season_scene.h"
#include "system/input_recording.h"

TEST(CommandLine, OptionsAndMistakes) {
    struct Case {
        std::vector<const char*> args;
        CommandLine::Mode mode;
        const char* error;  // part of the message, or "" for a good line
    } cases[] = {
        {{}, CommandLine::PLAY, ""},
        {{"--help"}, CommandLine::HELP, ""},
        {{"--gallery", "--record-input", "a.vrec"}, CommandLine::PLAY, ""},
        {{"--replay", "a.vrec"}, CommandLine::REPLAY, ""},
        {{"--render", "a.vrec", "--video", "v.mp4"}, CommandLine::RENDER, ""},
        {{"--fullscreen"}, CommandLine::PLAY, "unknown option '--fullscreen'"},
        {{"gallery"}, CommandLine::PLAY, "unknown option 'gallery'"},
        {{"--replay"}, CommandLine::PLAY, "needs a value"},
        {{"--render", "a.vrec"}, CommandLine::PLAY, "needs --out"},
        {{"--out", "d"}, CommandLine::PLAY, "goes only with --render"},
        {{"--replay", "a", "--render", "b", "--out", "d"}, CommandLine::PLAY, "only one of"},
        {{"--replay", "a", "--gallery"}, CommandLine::PLAY, "does not go with"},
        {{"--render", "a", "--out", "d", "--supersample", "3", "--samples", "0"}, CommandLine::RENDER, ""},
        {{"--samples", "3"}, CommandLine::PLAY, "--samples takes 0, 2, 4 or 8"},
        {{"--render", "a", "--out", "d", "--supersample", "5"}, CommandLine::PLAY, "--supersample takes"},
        {{"--supersample", "2"}, CommandLine::PLAY, "goes only with --render"},
        {{"--exact", "--samples", "4"}, CommandLine::PLAY, "does not go with"},
        {{"--render", "a", "--out", "d", "--record-input", "b"}, CommandLine::PLAY, "does not go with"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"velmora"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        CommandLine line;
        std::string error;
        bool ok = parseCommandLine((int)argv.size(), argv.data(), line, error);
        std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(ok, *c.error == '\0') << what << ": " << error;
        if (ok) {
            EXPECT_EQ(line.mode, c.mode) << what;
        } else {
            EXPECT_NE(error.find(c.error), std::string::npos) << what << ": " << error;
            EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
        }
    }
}

// Every value of --size and --frames a person might type: the edges of what is allowed, and the
// mistakes next to them, each refused with the option's own message.
TEST(CommandLine, SizeAndFrameValuesAtTheirEdges) {
    struct Case {
        const char* option;
        const char* value;
        long a, b;  // what a good value reads as; a < 0 for a refused one
    } cases[] = {
        {"--size", "1x1", 1, 1},           {"--size", "16384x16384", 16384, 16384},
        {"--size", "640x360", 640, 360},   {"--size", "0x10", -1, 0},
        {"--size", "10x0", -1, 0},         {"--size", "16385x10", -1, 0},
        {"--size", "10x16385", -1, 0},     {"--size", "1920x", -1, 0},
        {"--size", "x1080", -1, 0},        {"--size", "640x360px", -1, 0},
        {"--size", "+640x360", -1, 0},     {"--size", "-640x360", -1, 0},
        {"--size", "640X360", -1, 0},      {"--size", "640 x360", -1, 0},
        {"--size", "99999999999999999999x5", -1, 0},
        {"--frames", "0-0", 0, 0},         {"--frames", "5-5", 5, 5},
        {"--frames", "10-20", 10, 20},     {"--frames", "0-1000000000", 0, 1000000000},
        {"--frames", "20-10", -1, 0},      {"--frames", "-5", -1, 0},
        {"--frames", "5-", -1, 0},         {"--frames", "5", -1, 0},
        {"--frames", "1-2-3", -1, 0},      {"--frames", "5-9x", -1, 0},
        {"--frames", "0-1000000001", -1, 0},
    };
    for (const Case& c : cases) {
        const char* argv[] = {"velmora", "--render", "a.vrec", "--out", "d", c.option, c.value};
        CommandLine line;
        std::string error;
        const bool ok = parseCommandLine(7, argv, line, error);
        EXPECT_EQ(ok, c.a >= 0) << c.option << " " << c.value << ": " << error;
        if (!ok) {
            EXPECT_EQ(error.rfind(std::string(c.option) + " takes", 0), 0u) << c.value << ": " << error;
            EXPECT_NE(error.find(c.value), std::string::npos) << "the message quotes the value: " << error;
        } else if (!std::strcmp(c.option, "--size")) {
            EXPECT_TRUE(line.width == c.a && line.height == c.b) << c.value;
        } else {
            EXPECT_TRUE(line.firstFrame == c.a && line.lastFrame == c.b) << c.value;
        }
    }
}

TEST(Recording, MalformedLinesAreNamedAndNothingIsKept) {
    const std::string head = "velmora-input 1\nsize 640 480\n";
    struct Case {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "line 0: the file is empty"},
        {"velmora-input 2\nsize 1 1\nend 0\n", "line 1: version 2"},
        {"some notes\n", "line 1: not a Velmora"},
        {"velmora-input 1\n5 move 1 2\nend 9\n", "line 2: 'size"},
        {head + "5 move 1 2\n", "line 4: no 'end' line"},  // cut short
        {head + "5 move 1\nend 9\n", "line 3: move needs X Y"},
        {head + "5 press 1 2 2\nend 9\n", "line 3: press needs X Y BUTTON"},
        {head + "5 key-down 0\nend 9\n", "line 3: key-down needs a key code"},
        {head + "5 key-down 27 28\nend 9\n", "line 3: key-down needs"},
        {head + "5 jump 1\nend 9\n", "line 3: unknown event 'jump'"},
        {head + "9 move 1 2\n5 move 1 2\nend 9\n", "line 4: frame 5 comes before frame 9"},
        {head + "x5 move 1 2\nend 9\n", "line 3: expected a frame number"},
        {head + "9 move 1 2\nend 5\n", "line 4: 'end' needs"},
        {head + "end 9\n5 move 1 2\n", "line 4: nothing may follow"},
    };
    for (const Case& c : cases) {
        InputRecording r;
        std::string error;
        EXPECT_FALSE(parseRecording(c.text, r, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " -> " << error;
        EXPECT_TRUE(r.events.empty() && r.endFrame == 0);
    }
    // Every kind of event written and read back, with comments, blank lines and CRLF line ends.
    InputEvent events[] = {keyEvent(INPUT_KEY_DOWN, 27), keyEvent(INPUT_KEY_UP, 123), mouseEvent(INPUT_MOVE, -5, 65536),
                           mouseEvent(INPUT_PRESS, 3, 4, 4), mouseEvent(INPUT_RELEASE, 5, 6, 3)};
    std::string text = recordingHeader(640, 480, true) + "# a comment\n\n";
    for (int i = 0; i < 5; ++i) {
        events[i].frame = 10 * i;
        text += recordingLine(events[i]);
    }
    text += recordingEnd(77);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    InputRecording r;
    std::string error;
    ASSERT_TRUE(parseRecording(crlf, r, error)) << error;
    EXPECT_TRUE(r.gallery && r.width == 640 && r.height == 480 && r.endFrame == 77);
    ASSERT_EQ(r.events.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(recordingLine(r.events[i]), recordingLine(events[i]));
}

TEST(Recording, PointsLandInTheSamePlaceOnAnotherScreen) {
    struct Case {
        int fromW, fromH, toW, toH, x, y, wantX, wantY;
    } cases[] = {
        {1024, 768, 1024, 768, 17, 900, 17, 900},     // its own size: untouched
        {1024, 768, 1920, 1080, 512, 384, 960, 540},  // the centre stays the centre
        {1024, 768, 2048, 1536, 100, 50, 200, 100},   // twice the size
        {1024, 768, 1920, 1080, 0, 0, 240, 0},        // by the heights, about the centre
    };
    for (const Case& c : cases) {
        int x = c.x, y = c.y;
        mapRecordedPoint(c.fromW, c.fromH, c.toW, c.toH, x, y);
        EXPECT_EQ(x * 100000 + y, c.wantX * 100000 + c.wantY) << c.toW << "x" << c.toH << " " << x << "," << y;
    }
    // The menu's rows on another screen: the gallery's visits, recorded at 1024 x 768, pick them at
    // 160 x 120 (tests/reliability/gallery_test.cpp).
}

namespace {

// Runs a session until `frames` frames or the replay's end, before each frame feeding `input(frame)`;
// returns a hash of each frame drawn.
template <class Input> std::vector<uint64_t> hashedFrames(const SessionOptions& options, long frames, Input input) {
    std::vector<uint64_t> hashes;
    HeadlessRun run(options.width, options.height);
    std::string error;
    EXPECT_TRUE(run.ok() && sessionStart(options, error)) << run.error() << error;
    if (!run.ok() || !error.empty()) return hashes;
    for (long f = 0; f < frames && !quitRequested() && !sessionReplayOver(); ++f) {
        input((int)f);
        sessionBeforeFrame();
        run.runFrames(1);
        uint64_t h = 1469598103934665603ull;  // FNV-1a
        for (unsigned char c : run.lastFrame()) h = (h ^ c) * 1099511628211ull;
        hashes.push_back(h);
    }
    sessionFinish();
    return hashes;
}

}  // namespace

TEST(Recording, AReplayDrawsTheRecordedVisitFrameForFrame) {
    const int w = 320, h = 240;
    char path[] = "/tmp/velmora_recording_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    // A person's visit to Spring: the menu, the pause skipped, blowing, the wheel, a zoom key, the
    // camera, Escape; several events in some frames, none in most.
    const std::vector<uint64_t> recorded = hashedFrames(SessionOptions{w, h, false, path, nullptr}, 1500, [](int f) {
        if (f == 430) {
            float l, t, r, b;
            appMenuRowRect(0, l, t, r, b);
            const int x = (int)(l + r) / 2, y = (int)(t + b) / 2;
            sessionInput(mouseEvent(INPUT_MOVE, x, y));
            sessionInput(mouseEvent(INPUT_PRESS, x, y, 1));
            sessionInput(mouseEvent(INPUT_RELEASE, x, y, 1));
        }
        if (f == 800) sessionInput(mouseEvent(INPUT_PRESS, w / 2, h / 2, 1)), sessionInput(mouseEvent(INPUT_RELEASE, w / 2, h / 2, 1));
        if (f == 1100) {  // what follows reaches the meadow, not a phase that ignores it
            auto* scene = dynamic_cast<SeasonScene*>(appCurrentSeason());
            EXPECT_TRUE(scene && scene->phase() == scene->PHASE_PLAY);
        }
        if (f == 1100) sessionInput(mouseEvent(INPUT_PRESS, 40, 170, 1));
        if (f > 1100 && f <= 1220) sessionInput(mouseEvent(INPUT_MOVE, 40 + (f - 1100) * 2, 170 - (f - 1100) / 3));
        if (f == 1220) sessionInput(mouseEvent(INPUT_RELEASE, 280, 130, 1));
        if (f == 1240) sessionInput(mouseEvent(INPUT_PRESS, 100, 100, 4));
        if (f == 1250) sessionInput(keyEvent(INPUT_KEY_DOWN, 'A'));
        if (f == 1280) sessionInput(keyEvent(INPUT_KEY_UP, 'A'));
        if (f == 1300) sessionInput(mouseEvent(INPUT_PRESS, 160, 120, 3));
        if (f > 1300 && f < 1360) sessionInput(mouseEvent(INPUT_MOVE, 160 + (f - 1300), 120));
        if (f == 1360) sessionInput(mouseEvent(INPUT_RELEASE, 220, 120, 3));
        if (f == 1400) sessionInput(keyEvent(INPUT_KEY_DOWN, 27)), sessionInput(keyEvent(INPUT_KEY_UP, 27));
    });
    InputRecording recording;
    std::string error;
    ASSERT_TRUE(readRecordingFile(path, recording, error)) << error;
    std::remove(path);
    EXPECT_EQ(recording.endFrame, (long)recorded.size());
    EXPECT_GT(recording.events.size(), 150u);
    SessionOptions replay{w, h, false, "", &recording};
    const std::vector<uint64_t> replayed = hashedFrames(replay, 1L << 30, [](int f) {
        if (f == 1150) {  // a person's input in the scene does not reach a replay
            sessionInput(keyEvent(INPUT_KEY_DOWN, 'A'));
            sessionInput(mouseEvent(INPUT_PRESS, 20, 20, 3));
            sessionInput(mouseEvent(INPUT_MOVE, 300, 200));
        }
    });
    ASSERT_EQ(replayed.size(), recorded.size());
    for (size_t i = 0; i < recorded.size(); ++i) ASSERT_EQ(replayed[i], recorded[i]) << "frame " << i;
    EXPECT_NE(recorded[1450], recorded[900]);  // the visit shows something
}

namespace {

std::string scratchDirectory() {
    char pattern[] = "/tmp/velmora_render_XXXXXX";
    return mkdtemp(pattern) ? pattern : "";
}

}  // namespace

// The journal the program keeps under Wine and in the browser, written and read back here: every kind
// of line, the state and tick lines (two fields) among them, in order, with their frames.
TEST(InputJournal, ReadsBackEveryLineItWrote) {
    const std::string dir = scratchDirectory(), path = dir + "/journal.txt";
    ASSERT_FALSE(dir.empty());
    HeadlessRun run(64, 48, false);  // in the opening: state 0
    ASSERT_TRUE(run.ok()) << run.error();
    ASSERT_EQ(setenv("VELMORA_INPUT_JOURNAL", path.c_str(), 1), 0);
    ASSERT_TRUE(inputJournalOpenFromEnvironment());
    inputJournalRecord(keyEvent(INPUT_KEY_DOWN, 27));
    inputJournalRecord(keyEvent(INPUT_KEY_UP, 123));
    inputJournalRecord(mouseEvent(INPUT_MOVE, -5, 700));
    for (int i = 0; i < 30; ++i) inputJournalFrameDone();
    inputJournalRecord(mouseEvent(INPUT_PRESS, 3, 4, 3));
    inputJournalRecord(mouseEvent(INPUT_RELEASE, 5, 6, 1));
    inputJournalFrameDone();
    inputJournalRecord(mouseEvent(INPUT_PRESS, 7, 8, 5));
    setenv("VELMORA_INPUT_JOURNAL", "/dev/null", 1);  // closes the journal: the rest of the suite goes there
    inputJournalOpenFromEnvironment();
    unsetenv("VELMORA_INPUT_JOURNAL");

    const std::vector<std::string> expected = {"0 key_down 27 0 0", "0 key_up 123 0 0", "0 move -5 700 0",
                                               "1 state 0 0 0",     "30 tick 0 0 0",     "30 down 3 4 3",
                                               "30 up 5 6 1",       "31 down 7 8 5"};
    std::vector<std::string> read;
    std::FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_NE(file, nullptr);
    JournalEvent e;
    while (readJournalEvent(file, e))
        read.push_back(std::to_string(e.frame) + " " + e.kind + " " + std::to_string(e.a) + " " +
                       std::to_string(e.b) + " " + std::to_string(e.c));
    std::fclose(file);
    EXPECT_EQ(read, expected);
    std::remove(path.c_str());
    rmdir(dir.c_str());
}
