// The command line, the recording format, and a recorded visit replayed frame for frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_run.h"
#include "system/input_recording.h"
#include "app/input_session.h"
#include "framework/application.h"

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
        {{"--render", "a.vrec", "--out", "d", "--size", "1920x1080", "--frames", "10-20"}, CommandLine::RENDER, ""},
        {{"--render", "a.vrec", "--video", "v.mp4"}, CommandLine::RENDER, ""},
        {{"--fullscreen"}, CommandLine::PLAY, "unknown option '--fullscreen'"},
        {{"gallery"}, CommandLine::PLAY, "unknown option 'gallery'"},
        {{"--replay"}, CommandLine::PLAY, "needs a value"},
        {{"--render", "a.vrec"}, CommandLine::PLAY, "needs --out"},
        {{"--render", "a", "--out", "d", "--size", "1920x"}, CommandLine::PLAY, "--size takes"},
        {{"--render", "a", "--out", "d", "--size", "0x10"}, CommandLine::PLAY, "--size takes"},
        {{"--render", "a", "--out", "d", "--frames", "20-10"}, CommandLine::PLAY, "--frames takes"},
        {{"--render", "a", "--out", "d", "--frames", "-5"}, CommandLine::PLAY, "--frames takes"},
        {{"--out", "d"}, CommandLine::PLAY, "goes only with --render"},
        {{"--replay", "a", "--render", "b", "--out", "d"}, CommandLine::PLAY, "only one of"},
        {{"--replay", "a", "--gallery"}, CommandLine::PLAY, "does not go with"},
        {{"--render", "a", "--out", "d", "--supersample", "3", "--samples", "0"}, CommandLine::RENDER, ""},
        {{"--samples", "3"}, CommandLine::PLAY, "--samples takes 0, 2, 4 or 8"},
        {{"--render", "a", "--out", "d", "--supersample", "5"}, CommandLine::PLAY, "--supersample takes"},
        {{"--supersample", "2"}, CommandLine::PLAY, "goes only with --render"},
        {{"--exact", "--samples", "4"}, CommandLine::PLAY, "does not go with"},
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
    CommandLine line;
    std::string error;
    const char* render[] = {"velmora", "--render", "a", "--out", "d", "--size", "640x360", "--frames", "5-9"};
    ASSERT_TRUE(parseCommandLine(9, render, line, error));
    EXPECT_EQ(line.width * 10000 + line.height, 640 * 10000 + 360);
    EXPECT_EQ(line.firstFrame * 100 + line.lastFrame, 5 * 100 + 9);
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
    // The menu is sized by the height and centred: a row's middle maps onto the same row's middle.
    float rows[2][4][4];
    const int sizes[2][2] = {{1024, 768}, {1920, 1080}};
    for (int s = 0; s < 2; ++s) {
        HeadlessRun run(sizes[s][0], sizes[s][1], false);
        ASSERT_TRUE(run.ok()) << run.error();
        for (int i = 0; i < 4; ++i) appMenuRowRect(i, rows[s][i][0], rows[s][i][1], rows[s][i][2], rows[s][i][3]);
    }
    for (int i = 0; i < 4; ++i) {
        int x = (int)(rows[0][i][0] + 20), y = (int)((rows[0][i][1] + rows[0][i][3]) / 2);
        mapRecordedPoint(1024, 768, 1920, 1080, x, y);
        EXPECT_TRUE(x > rows[1][i][0] && x < rows[1][i][2] && y > rows[1][i][1] && y < rows[1][i][3]) << "row " << i;
    }
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
        if (f == 700) sessionInput(mouseEvent(INPUT_PRESS, w / 2, h / 2, 1)), sessionInput(mouseEvent(INPUT_RELEASE, w / 2, h / 2, 1));
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
        if (f == 0) sessionInput(keyEvent(INPUT_KEY_DOWN, 'A'));  // a person's input does not reach a replay
    });
    ASSERT_EQ(replayed.size(), recorded.size());
    for (size_t i = 0; i < recorded.size(); ++i) ASSERT_EQ(replayed[i], recorded[i]) << "frame " << i;
    EXPECT_NE(recorded[1450], recorded[900]);  // the visit shows something
}
