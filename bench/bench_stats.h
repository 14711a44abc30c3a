// Small statistics for the benchmark: percentiles of frame times, the summary of a frame-pacing log,
// and pixel comparison of two frames. Header-only so that the tests can use it without the program.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// The p-th percentile (0..100) by nearest rank: the smallest sample with at least p % of the samples
// at or below it. p 50 is the median of an odd count and the lower middle of an even count; p 100 the
// maximum. An empty set gives 0.
inline double percentile(std::vector<double> samples, double p) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    if (!(p > 0)) return samples.front();
    if (p >= 100) return samples.back();
    size_t rank = (size_t)std::ceil(p / 100.0 * (double)samples.size());
    if (rank < 1) rank = 1;
    if (rank > samples.size()) rank = samples.size();
    return samples[rank - 1];
}

struct Summary {
    double median = 0, p99 = 0, max = 0, mean = 0;
};

inline Summary summarize(const std::vector<double>& samples) {
    Summary s;
    if (samples.empty()) return s;
    s.median = percentile(samples, 50);
    s.p99 = percentile(samples, 99);
    s.max = percentile(samples, 100);
    double sum = 0;
    for (double v : samples) sum += v;
    s.mean = sum / (double)samples.size();
    return s;
}

// One line of the main loop's frame log (all times in microseconds of one monotonic clock; CPU times
// of the whole process, all its threads).
struct FrameRecord {
    int64_t due = 0;        // when the frame became due
    int64_t start = 0;      // when the loop saw it due and started it
    int64_t end = 0;        // after update, draw and the buffer swap
    int64_t cpuStart = 0;   // process CPU time at start
    int64_t cpuEnd = 0;     // and at end
};

struct PacingSummary {
    int frames = 0;
    double seconds = 0;           // from the first frame's start to the last frame's start
    double framesPerSecond = 0;
    double lateMedianMs = 0, lateP99Ms = 0, lateMaxMs = 0;  // start - due
    double workMedianMs = 0, workP99Ms = 0, workMaxMs = 0;  // end - start (wall)
    int dropped = 0;              // gaps between frame starts longer than 1.5 frame periods
    double cpuBetweenPercent = 0; // process CPU between frames, in % of one core over the wall time
    double cpuTotalPercent = 0;   // all the process's CPU over the same time
    // Frames whose work (wall) took longer than a period, and how many of those spent less CPU than a
    // period (all threads together): such a frame was kept waiting (by other processes, the X server),
    // not held up by its own work.
    int slowFrames = 0, slowFramesWaiting = 0;
};

// The index of the first record that started at least `seconds` after the first record did (the
// records before it are warm-up); log.size() if there is none.
inline size_t firstRecordAfter(const std::vector<FrameRecord>& log, double seconds) {
    if (log.empty()) return 0;
    for (size_t i = 0; i < log.size(); ++i)
        if ((double)(log[i].start - log[0].start) >= seconds * 1e6) return i;
    return log.size();
}

// Reads the records `first`..end. `periodUs` is the frame period, for counting dropped frames.
inline PacingSummary summarizePacing(const std::vector<FrameRecord>& log, size_t first, double periodUs) {
    PacingSummary s;
    if (first >= log.size()) return s;
    std::vector<double> late, work;
    double cpuBetween = 0;
    for (size_t i = first; i < log.size(); ++i) {
        const FrameRecord& r = log[i];
        late.push_back((double)(r.start - r.due) / 1000.0);
        work.push_back((double)(r.end - r.start) / 1000.0);
        if ((double)(r.end - r.start) > periodUs) {
            s.slowFrames += 1;
            if ((double)(r.cpuEnd - r.cpuStart) < periodUs) s.slowFramesWaiting += 1;
        }
        if (i + 1 < log.size()) {
            const FrameRecord& next = log[i + 1];
            cpuBetween += (double)(next.cpuStart - r.cpuEnd);
            if ((double)(next.start - r.start) > 1.5 * periodUs) s.dropped += 1;
        }
    }
    s.frames = (int)(log.size() - first);
    const FrameRecord& a = log[first];
    const FrameRecord& b = log.back();
    double wallUs = (double)(b.start - a.start);
    s.seconds = wallUs / 1e6;
    if (wallUs > 0) {
        s.framesPerSecond = (double)(s.frames - 1) / s.seconds;
        s.cpuBetweenPercent = 100.0 * cpuBetween / wallUs;
        s.cpuTotalPercent = 100.0 * (double)(b.cpuStart - a.cpuStart) / wallUs;
    }
    Summary l = summarize(late), w = summarize(work);
    s.lateMedianMs = l.median;
    s.lateP99Ms = l.p99;
    s.lateMaxMs = l.max;
    s.workMedianMs = w.median;
    s.workP99Ms = w.p99;
    s.workMaxMs = w.max;
    return s;
}

// Parses one log line "due start end cpuStart cpuEnd"; false for anything else (a comment, a mark).
inline bool parseFrameRecord(const std::string& line, FrameRecord& r) {
    long long v[5];
    int used = 0;
    if (std::sscanf(line.c_str(), "%lld %lld %lld %lld %lld%n", &v[0], &v[1], &v[2], &v[3], &v[4], &used) != 5)
        return false;
    for (size_t i = (size_t)used; i < line.size(); ++i)
        if (line[i] != ' ' && line[i] != '\r' && line[i] != '\n') return false;
    r = FrameRecord{v[0], v[1], v[2], v[3], v[4]};
    return true;
}

// Pixels (of `count`, 3 bytes each) where the two images differ at all.
inline size_t differingPixels(const unsigned char* a, const unsigned char* b, size_t count) {
    size_t n = 0;
    for (size_t i = 0; i < count; ++i)
        if (a[3 * i] != b[3 * i] || a[3 * i + 1] != b[3 * i + 1] || a[3 * i + 2] != b[3 * i + 2]) n += 1;
    return n;
}

}  // namespace bench
