// The benchmark's statistics: percentiles by nearest rank, the summary of a frame-pacing log and the
// comparison of two frames.
#include <gtest/gtest.h>

#include <vector>

#include "bench/bench_stats.h"

using bench::FrameRecord;

TEST(BenchStats, PercentilesByNearestRank) {
    EXPECT_EQ(bench::percentile({}, 50), 0);
    EXPECT_EQ(bench::percentile({7}, 99), 7);
    // Unsorted input; the median of an even count is the lower middle.
    EXPECT_EQ(bench::percentile({4, 1, 3, 2}, 50), 2);
    EXPECT_EQ(bench::percentile({5, 1, 4, 2, 3}, 50), 3);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    EXPECT_EQ(bench::percentile(hundred, 99), 99);
    EXPECT_EQ(bench::percentile(hundred, 100), 100);
    EXPECT_EQ(bench::percentile(hundred, 0), 1);
    // One slow frame in 600 is beyond the 99th percentile; seven are not.
    std::vector<double> frames(600, 2.0);
    frames[17] = 40;
    EXPECT_EQ(bench::percentile(frames, 99), 2.0);
    for (int i = 0; i < 7; ++i) frames[100 + i] = 30;
    EXPECT_EQ(bench::percentile(frames, 99), 30);
    bench::Summary s = bench::summarize(frames);
    EXPECT_EQ(s.median, 2.0);
    EXPECT_EQ(s.max, 40);
}

TEST(BenchStats, FrameLogLinesAndPacingSummary) {
    FrameRecord r;
    EXPECT_TRUE(bench::parseFrameRecord("100 103 2100 5000 5900", r));
    EXPECT_EQ(r.due, 100);
    EXPECT_EQ(r.start, 103);
    EXPECT_EQ(r.cpuEnd, 5900);
    EXPECT_FALSE(bench::parseFrameRecord("# mark open 0 realtime 1", r));
    EXPECT_FALSE(bench::parseFrameRecord("1 2 3 4", r));
    EXPECT_FALSE(bench::parseFrameRecord("1 2 3 4 5 junk", r));

    // Frames every 16 667 us, 2 ms of work each, 100 us of CPU between frames; frame 5 starts 30 ms
    // late (one frame dropped).
    std::vector<FrameRecord> log;
    int64_t t = 1000000, cpu = 0;
    for (int i = 0; i < 11; ++i) {
        int64_t due = t;
        int64_t start = due + (i == 5 ? 30000 : 10);
        log.push_back(FrameRecord{due, start, start + 2000, cpu, cpu + 2000});
        cpu += 2100;
        t = start + 16667;
    }
    bench::PacingSummary p = bench::summarizePacing(log, 0, 16667);
    EXPECT_EQ(p.frames, 11);
    EXPECT_EQ(p.dropped, 1);
    EXPECT_NEAR(p.lateMaxMs, 30.0, 1e-9);
    EXPECT_NEAR(p.lateMedianMs, 0.01, 1e-9);
    EXPECT_NEAR(p.workMedianMs, 2.0, 1e-9);
    double wall = (double)(log.back().start - log.front().start);
    EXPECT_NEAR(p.framesPerSecond, 10 / (wall / 1e6), 1e-9);
    EXPECT_NEAR(p.cpuBetweenPercent, 100.0 * 10 * 100 / wall, 1e-9);
    EXPECT_NEAR(p.cpuTotalPercent, 100.0 * 10 * 2100 / wall, 1e-9);
    EXPECT_EQ(p.slowFrames, 0);

    // A frame whose drawing took 40 ms on 3 ms of CPU was kept waiting; one that took 20 ms on 19 ms
    // of CPU was slow by itself.
    log[2].end = log[2].start + 40000;
    log[2].cpuEnd = log[2].cpuStart + 3000;
    log[7].end = log[7].start + 20000;
    log[7].cpuEnd = log[7].cpuStart + 19000;
    p = bench::summarizePacing(log, 0, 16667);
    EXPECT_EQ(p.slowFrames, 2);
    EXPECT_EQ(p.slowFramesWaiting, 1);

    // The warm-up is left out by time; a window past the end is empty, not an error.
    EXPECT_EQ(bench::firstRecordAfter(log, 0), 0u);
    EXPECT_EQ(bench::firstRecordAfter(log, 0.1), 5u);  // frame 4 started 67 ms in, frame 5 113 ms
    EXPECT_EQ(bench::summarizePacing(log, 5, 16667).frames, 6);
    EXPECT_EQ(bench::firstRecordAfter(log, 60), log.size());
    EXPECT_EQ(bench::summarizePacing(log, log.size(), 16667).frames, 0);
    EXPECT_EQ(bench::summarizePacing({}, 0, 16667).framesPerSecond, 0);
}

TEST(BenchStats, DifferingPixels) {
    const unsigned char a[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    unsigned char b[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(bench::differingPixels(a, b, 3), 0u);
    b[5] = 0;  // blue of the second pixel
    b[6] = 0;  // red of the third
    EXPECT_EQ(bench::differingPixels(a, b, 3), 2u);
    EXPECT_EQ(bench::differingPixels(a, b, 1), 0u);
}
