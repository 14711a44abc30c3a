// The benchmark's statistics, in brief: percentiles by nearest rank and the pacing summary's count
// of dropped frames.
#include <gtest/gtest.h>

#include <vector>

#include "bench/bench_stats.h"

TEST(BenchStats, PercentilesByNearestRankAndDroppedFrames) {
    EXPECT_EQ(bench::percentile({}, 50), 0);
    EXPECT_EQ(bench::percentile({4, 1, 3, 2}, 50), 2);  // unsorted; an even count's lower middle
    std::vector<double> frames(600, 2.0);
    frames[17] = 40;  // one slow frame in 600 is beyond the 99th percentile; seven are not
    EXPECT_EQ(bench::percentile(frames, 99), 2.0);
    for (int i = 0; i < 7; ++i) frames[100 + i] = 30;
    EXPECT_EQ(bench::percentile(frames, 99), 30);

    std::vector<bench::FrameRecord> log;
    for (int64_t i = 0, t = 0; i < 11; ++i, t += 16667 + (i == 5 ? 30000 : 0))
        log.push_back(bench::FrameRecord{t, t + 10, t + 2010, 0, 2000});
    EXPECT_EQ(bench::summarizePacing(log, 0, 16667).dropped, 1);
}
