// Seeded random input through the whole piece: the opening, the menu, all four scenes, the returns to
// the menu and the closing. By default four streams of 50 000 frames each (200 000 in all) run as four
// tests, so that they can run side by side. VELMORA_MONKEY_SEED runs one stream of that seed instead,
// VELMORA_MONKEY_FRAMES frames long (default 200 000). A failure prints the seed and the frame, and
// the same seed and length replay the same run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "framework/application.h"
#include "framework/season.h"
#include "tests/reliability/reliability_support.h"

namespace {

const uint64_t kDefaultSeed = 20261206;
const int kStreams = 4;
const long kStreamFrames = 50000;
const int kWidth = 160, kHeight = 120;

long fileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

class MonkeyStream : public testing::TestWithParam<int> {};

}  // namespace

TEST_P(MonkeyStream, SeededInputThroughTheWholePieceKeepsEveryValueFinite) {
    Monkey::Options options;
    const int stream = GetParam();
    if (environmentNumber("VELMORA_MONKEY_SEED", -1) >= 0) {
        if (stream != 0) GTEST_SKIP() << "one stream of the seed given runs in stream 0";
        options.seed = (uint64_t)environmentNumber("VELMORA_MONKEY_SEED", 0);
        options.frames = (long)environmentNumber("VELMORA_MONKEY_FRAMES", kStreams * kStreamFrames);
    } else {
        options.seed = kDefaultSeed + (uint64_t)stream;
        options.frames = kStreamFrames;
    }
    std::printf("monkey: seed %llu, %ld frames\n", (unsigned long long)options.seed, options.frames);
    std::fflush(stdout);

    ScratchDirectory scratch;  // F12 presses save their screenshots here
    ASSERT_FALSE(scratch.path().empty());
    armCrashReport(options.seed, options.frames);
    Monkey monkey(kWidth, kHeight, options);
    ASSERT_TRUE(monkey.run().ok()) << monkey.run().error();

    for (long f = 0; f < options.frames; ++f) {
        std::string bad = monkey.step();
        if (!bad.empty()) {
            disarmCrashReport();
            FAIL() << bad;
        }
    }

    // Afterwards the piece still returns to the menu and closes on Escape within its closing sequence.
    ASSERT_TRUE(monkey.returnToMenu()) << monkey.failure("did not get back to the menu");
    onKeyDown(VK_CODE_ESCAPE);
    onKeyUp(VK_CODE_ESCAPE);
    EXPECT_EQ(appStateId(), APP_EXITING) << monkey.failure("Escape on the menu did not start the closing");
    EXPECT_TRUE(monkey.run().runFrames(FRAME_PROGRAM_ENDS - FRAME_EXIT_STARTS - 1));
    EXPECT_FALSE(monkey.run().runFrames(1));
    EXPECT_TRUE(quitRequested()) << monkey.failure("the closing sequence did not end the piece");
    disarmCrashReport();

    // Every screenshot the monkey asked for is whole.
    for (int n = 0; n < 1000; ++n) {
        std::string name = scratch.path() + "/Screenshot_" + std::to_string(n) + ".tga";
        long size = fileSize(name);
        if (size < 0) continue;
        EXPECT_EQ(size, 18L + 3L * kWidth * kHeight) << name;
    }

    const Monkey::Stats& s = monkey.stats;
    std::printf("monkey: %ld frames (%ld drawn), %ld input events, %d runs of the piece, %.1f s (%.1f us/frame)\n",
                s.frames, s.drawn, s.events, s.runs, s.seconds, s.frames ? 1e6 * s.seconds / s.frames : 0.0);
    std::printf("monkey: frames per state:");
    for (long n : s.framesInState) std::printf(" %ld", n);
    std::printf("\n");
    for (int i = 0; i < 4; ++i)
        std::printf("monkey: %-6s %3d visits, %6ld frames shown, %6ld in play, %6ld interacting\n", sceneNames[i],
                    s.visits[i], s.framesInScene[i], s.framesPlaying[i], s.framesInteracting[i]);
    std::printf("monkey: %d screenshots\n", scratch.countFiles("Screenshot_"));

    // A stream of the default length reaches every state and plays every scene (the closing, which a
    // stream may not reach by chance, was played above).
    if (options.frames >= kStreamFrames) {
        for (int state = APP_INTRO; state < APP_EXITING; ++state)
            EXPECT_GT(s.framesInState[state], 0) << "state " << state << " never reached";
        for (int i = 0; i < 4; ++i) {
            EXPECT_GE(s.visits[i], 2) << sceneNames[i];
            EXPECT_GT(s.framesPlaying[i], options.frames / 40) << sceneNames[i];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Monkey, MonkeyStream, testing::Range(0, kStreams));



// A seed replays its run: the same input stream gives the same scenes, value for value.
TEST(Monkey, TheSameSeedReplaysTheSameRun) {
    ScratchDirectory scratch;
    Monkey::Options options;
    options.seed = kDefaultSeed + kStreams;
    options.sceneDwellMin = 300;
    options.sceneDwellMax = 2500;
    const long frames = 8000;

    std::vector<std::string> ends[2];
    long events[2] = {0, 0};
    for (int attempt = 0; attempt < 2; ++attempt) {
        Monkey monkey(kWidth, kHeight, options);
        ASSERT_TRUE(monkey.run().ok()) << monkey.run().error();
        for (long f = 0; f < frames; ++f) {
            std::string bad = monkey.step();
            ASSERT_TRUE(bad.empty()) << bad;
        }
        ends[attempt].push_back("state " + std::to_string(appStateId()) + " frame " +
                                std::to_string(appStateFrame()));
        for (int i = 0; i < 4; ++i) {
            std::vector<std::string> lines = visitStartSnapshot(i, appSeason(i));
            ends[attempt].insert(ends[attempt].end(), lines.begin(), lines.end());
        }
        events[attempt] = monkey.stats.events;
    }
    EXPECT_EQ(events[0], events[1]);
    EXPECT_EQ(snapshotDifference(ends[0], ends[1]), "");
}
