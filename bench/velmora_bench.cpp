// velmora_bench: frame costs of the real application, headless on the software renderer.
//
//   velmora_bench                          start-up, every scenario at 1024x768 and 1920x1080, scaling
//   velmora_bench --scenes autumn,winter --sizes 1920x1080 --frames 600 --repeat 3
//   velmora_bench --smoothing --sizes 1920x1080,2560x1440 --frames 300   exact, wide lines, 2 and 4 samples
//   velmora_bench --png DIR                also keep the last frame of every scenario as DIR/<name>.png
//   velmora_bench --compare A.png B.png    counts the pixels that differ (exit status 1 if any do)
//   velmora_bench --pacing LOG [FROM [LAUNCHED]]  summarises a frame log of the real program (frame_pacing.sh)
//
// Each scenario starts a fresh application (same random numbers every time), brings the menu or a
// scene into its busiest phase with input under way, then times `frames` frames: appUpdate alone, and
// appDraw followed by glFinish, so the draw time includes the renderer finishing the frame.
#include <time.h>
#include <unistd.h>

#include <cstdarg>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "app/headless_context.h"
#include "app/headless_run.h"
#include "app/main_loop.h"
#include "app/season_list.h"
#include "bench/bench_stats.h"
#include "bench/scenarios.h"
#include "framework/application.h"
#include "render/gl.h"

namespace {

using Clock = std::chrono::steady_clock;

// The report goes to what was standard output when the program started; the scenes' own lines on
// standard output ("Season ... initialised") go nowhere.
std::FILE* out = stdout;

__attribute__((format(printf, 1, 2))) void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(out, format, args);
    va_end(args);
}

double msSince(Clock::time_point t0, Clock::time_point t1) {
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

struct Size {
    int w, h;
};

struct Options {
    std::vector<Size> sizes{{1024, 768}, {1920, 1080}};
    std::vector<bench::Scenario> scenes{bench::Scenario::Menu, bench::Scenario::Spring, bench::Scenario::Summer,
                                        bench::Scenario::Autumn, bench::Scenario::Winter};
    int frames = 600;
    int repeat = 1;
    std::string pngDir;
    bool startup = true;
    bool scenarios = true;
    bool scaling = true;
    bool smoothing = false;
    std::vector<int> scales{1, 10, 100};
};

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == sep) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

void usage() {
    std::fputs(
        "usage: velmora_bench [--frames N] [--repeat N] [--sizes WxH,...] [--scenes menu,spring,summer,autumn,winter]\n"
        "                     [--png DIR] [--no-startup] [--no-scenes] [--no-scaling] [--scales 1,10,100]\n"
        "                     [--system-malloc] [--smoothing]\n"
        "       velmora_bench --compare A.png B.png\n"
        "       velmora_bench --menu-row WxH INDEX\n"
        "       velmora_bench --ground-pixel WxH SEASON X Z\n"
        "       velmora_bench --pacing LOG [FROM_SECONDS [LAUNCH_REALTIME_US]]\n",
        stderr);
}

// ---- start to first frame -------------------------------------------------------------------------

void benchStartup(const Size& size) {
    // First thing in the process: the driver is loaded and the renderer's code compiled from cold.
    Clock::time_point t0 = Clock::now();
    HeadlessRun run(size.w, size.h);
    Clock::time_point t1 = Clock::now();
    if (!run.ok()) {
        report("start-up: no context (%s)\n", run.error().c_str());
        return;
    }
    appUpdate();
    appDraw();
    glFinish();
    Clock::time_point t2 = Clock::now();
    // appInit again, warm: the share of the application itself.
    appInit(size.w, size.h, seasonList());
    Clock::time_point t3 = Clock::now();
    appUpdate();
    appDraw();
    glFinish();
    Clock::time_point t4 = Clock::now();
    report("## Start to first frame (headless, %dx%d, cold process)\n\n", size.w, size.h);
    report("| step | ms |\n|---|---:|\n");
    report("| context + appInit (cold) | %.1f |\n", msSince(t0, t1));
    report("| first frame, update + draw + glFinish (cold) | %.1f |\n", msSince(t1, t2));
    report("| **start to first frame** | **%.1f** |\n", msSince(t0, t2));
    report("| appInit again (warm) | %.1f |\n", msSince(t2, t3));
    report("| first frame again (warm) | %.1f |\n\n", msSince(t3, t4));
    std::fflush(out);
}

// ---- scenarios --------------------------------------------------------------------------------------

struct Result {
    bench::Summary update, draw, total;
    bench::Summary updateCpu;  // the main thread's CPU time in appUpdate
    bench::Summary frameCpu;   // the whole process's CPU time (all threads) for update and draw
    std::string activity;
    bool ok = false;
};

double threadCpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
double processCpuMs() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

Result measureScenario(const Size& size, bench::Scenario s, int frames, const std::string& pngDir,
                       const SmoothingChoice& smoothing = SmoothingChoice{true, 0, 1}, bool quickPrepare = false) {
    Result r;
    // A quick preparation draws nothing until the measured frames (only the view is set up).
    HeadlessRun run(size.w, size.h, !quickPrepare, smoothing);
    if (!run.ok()) {
        r.activity = run.error();
        return r;
    }
    bench::setFullDraw(!quickPrepare);
    bool prepared = bench::prepareScenario(run, s);
    bench::setFullDraw(true);
    run.setDrawing(true);
    if (!prepared) {
        r.activity = "the scenario did not reach its busy phase";
        return r;
    }
    std::vector<double> update, draw, total, updateCpu, frameCpu;
    for (int i = 0; i < frames; ++i) {
        bench::scenarioInput(run, s, i);
        double p0 = processCpuMs(), c0 = threadCpuMs();
        Clock::time_point t0 = Clock::now();
        appUpdate();
        Clock::time_point t1 = Clock::now();
        double c1 = threadCpuMs();
        appDraw();
        glFinish();
        Clock::time_point t2 = Clock::now();
        double p2 = processCpuMs();
        update.push_back(msSince(t0, t1));
        draw.push_back(msSince(t1, t2));
        total.push_back(msSince(t0, t2));
        updateCpu.push_back(c1 - c0);
        frameCpu.push_back(p2 - p0);
    }
    r.update = bench::summarize(update);
    r.draw = bench::summarize(draw);
    r.total = bench::summarize(total);
    r.updateCpu = bench::summarize(updateCpu);
    r.frameCpu = bench::summarize(frameCpu);
    r.activity = bench::scenarioActivity(s);
    r.ok = true;
    if (!pngDir.empty()) {
        run.runFrames(1);  // one more frame, captured before the cursor is drawn
        char name[64];
        std::snprintf(name, sizeof name, "/%s_%dx%d%s.png", bench::scenarioName(s), size.w, size.h,
                      smoothing.exact ? "" : (std::string("_samples") + std::to_string(run.samples())).c_str());
        if (!run.savePng(pngDir + name)) std::fprintf(stderr, "cannot write %s%s\n", pngDir.c_str(), name);
    }
    return r;
}

// The median over repeated runs of one statistic.
double medianOf(const std::vector<Result>& runs, double (*get)(const Result&)) {
    std::vector<double> v;
    for (const Result& r : runs) v.push_back(get(r));
    return bench::percentile(v, 50);
}

void benchScenarios(const Options& o) {
    for (const Size& size : o.sizes) {
        report("## Frame times at %dx%d, %d frames each, median of %d run%s (ms)\n\n", size.w, size.h,
                    o.frames, o.repeat, o.repeat == 1 ? "" : "s");
        report("| scenario | update median | update p99 | draw median | draw p99 | update+draw median | "
                    "update+draw p99 | max | update CPU p99 | frame CPU median | load | activity at the end |\n");
        report("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
        std::fflush(out);
        for (bench::Scenario s : o.scenes) {
            std::vector<Result> runs;
            std::string failure, activity;
            for (int k = 0; k < o.repeat; ++k) {
                Result r = measureScenario(size, s, o.frames, k == 0 ? o.pngDir : std::string());
                if (r.ok) {
                    runs.push_back(r);
                    activity = r.activity;
                } else {
                    failure = r.activity;
                }
            }
            double load = 0;
            if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
                if (std::fscanf(f, "%lf", &load) != 1) load = 0;
                std::fclose(f);
            }
            if (runs.empty()) {
                report("| %s | failed: %s ||||||||||\n", bench::scenarioName(s), failure.c_str());
            } else {
                report("| %s | %.3f | %.3f | %.2f | %.2f | %.2f | %.2f | %.2f | %.3f | %.2f | %.1f | %s |\n",
                            bench::scenarioName(s), medianOf(runs, [](const Result& r) { return r.update.median; }),
                            medianOf(runs, [](const Result& r) { return r.update.p99; }),
                            medianOf(runs, [](const Result& r) { return r.draw.median; }),
                            medianOf(runs, [](const Result& r) { return r.draw.p99; }),
                            medianOf(runs, [](const Result& r) { return r.total.median; }),
                            medianOf(runs, [](const Result& r) { return r.total.p99; }),
                            medianOf(runs, [](const Result& r) { return r.total.max; }),
                            medianOf(runs, [](const Result& r) { return r.updateCpu.p99; }),
                            medianOf(runs, [](const Result& r) { return r.frameCpu.median; }), load,
                            activity.c_str());
            }
            std::fflush(out);
        }
        report("\n");
    }
}

// ---- smoothing ---------------------------------------------------------------------------------------

// Update + draw of every scene with the frames exact, with the wide lines alone, and with the wide
// lines and 2 or 4 samples: what chooses the default sample count.
void benchSmoothing(const Options& o) {
    const SmoothingChoice modes[] = {{true, 0, 1}, {false, 0, 1}, {false, 2, 1}, {false, 4, 1}};
    const char* names[] = {"exact", "wide lines", "2 samples", "4 samples"};
    for (const Size& size : o.sizes) {
        report("## Smoothing at %dx%d: update + draw, %d frames each (ms, p50 / p99)\n\n", size.w, size.h,
               o.frames);
        report("| scenario | exact | wide lines | 2 samples | 4 samples | load |\n|---|---:|---:|---:|---:|---:|\n");
        for (bench::Scenario s : o.scenes) {
            report("| %s |", bench::scenarioName(s));
            for (int m = 0; m < 4; ++m) {
                Result r = measureScenario(size, s, o.frames, o.pngDir, modes[m], true);
                if (r.ok)
                    report(" %.1f / %.1f |", r.total.median, r.total.p99);
                else
                    report(" %s failed |", names[m]);
                std::fflush(out);
            }
            double load = 0;
            if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
                if (std::fscanf(f, "%lf", &load) != 1) load = 0;
                std::fclose(f);
            }
            report(" %.1f |\n", load);
        }
        report("\n");
    }
}

// ---- scaling ------------------------------------------------------------------------------------------

void benchScaling(const Options& o) {
    report("## Simulation cost against letters (update only, %d frames, 640x480, letters not drawn)\n\n",
                o.frames);
    report("| scene | story x | letters | update median ms | update p99 ms | update CPU median ms | "
                "letters per ms (CPU median) |\n");
    report("|---|---:|---:|---:|---:|---:|---:|\n");
    std::fflush(out);
    for (int season : {2, 3}) {
        bench::Scenario s = season == 2 ? bench::Scenario::Autumn : bench::Scenario::Winter;
        for (int times : o.scales) {
            HeadlessRun run(640, 480);
            int letters = 0;
            if (!run.ok() || !bench::installScaledScene(season, times, letters)) {
                report("| %s | %d | failed |||||\n", bench::scenarioName(s), times);
                continue;
            }
            bench::setFullDraw(false);
            bool ready = bench::prepareScenario(run, s);
            std::vector<double> update, updateCpu;
            for (int i = 0; ready && i < o.frames; ++i) {
                bench::scenarioInput(run, s, i);
                double c0 = threadCpuMs();
                Clock::time_point t0 = Clock::now();
                appUpdate();
                Clock::time_point t1 = Clock::now();
                double c1 = threadCpuMs();
                bench::drawFrame();
                update.push_back(msSince(t0, t1));
                updateCpu.push_back(c1 - c0);
            }
            bench::setFullDraw(true);
            if (!ready) {
                report("| %s | %d | %d | did not reach its busy phase ||||\n", bench::scenarioName(s), times,
                            letters);
                continue;
            }
            bench::Summary u = bench::summarize(update), c = bench::summarize(updateCpu);
            report("| %s | %d | %d | %.3f | %.3f | %.3f | %.0f |\n", bench::scenarioName(s), times, letters,
                        u.median, u.p99, c.median, c.median > 0 ? letters / c.median : 0.0);
            std::fflush(out);
        }
    }
    report("\n");
}

// ---- picture comparison ---------------------------------------------------------------------------

int comparePngs(const char* a, const char* b) {
    int wa, ha, ca, wb, hb, cb;
    unsigned char* pa = stbi_load(a, &wa, &ha, &ca, 3);
    unsigned char* pb = stbi_load(b, &wb, &hb, &cb, 3);
    int status = 2;
    if (!pa || !pb) {
        std::fprintf(stderr, "cannot read %s\n", !pa ? a : b);
    } else if (wa != wb || ha != hb) {
        report("%s: %dx%d against %dx%d\n", b, wa, ha, wb, hb);
        status = 1;
    } else {
        size_t n = bench::differingPixels(pa, pb, (size_t)wa * ha);
        report("%s: %zu of %d pixels differ\n", b, n, wa * ha);
        status = n == 0 ? 0 : 1;
    }
    stbi_image_free(pa);
    stbi_image_free(pb);
    return status;
}

// ---- frame log of the real program ------------------------------------------------------------------

// `fromSeconds`: frames in the first seconds after the first frame are left out (the opening, the way
// into a scene). `launchedUs`: when the script started the program (realtime microseconds), 0 if not
// known.
int summarizeLog(const char* path, double fromSeconds, long long launchedUs) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 2;
    }
    std::vector<bench::FrameRecord> log;
    std::string line;
    report("start-up marks (ms since main%s):", launchedUs > 0 ? ", and since launch" : "");
    while (std::getline(in, line)) {
        bench::FrameRecord r;
        char name[64];
        long long sinceOpen = 0, realtime = 0;
        if (bench::parseFrameRecord(line, r)) {
            log.push_back(r);
        } else if (std::sscanf(line.c_str(), "# mark %63s %lld realtime %lld", name, &sinceOpen, &realtime) == 3) {
            report(" %s %.1f", name, sinceOpen / 1000.0);
            if (launchedUs > 0) report(" (%.1f)", (realtime - launchedUs) / 1000.0);
        }
    }
    report("\n");
    bench::PacingSummary p =
        bench::summarizePacing(log, bench::firstRecordAfter(log, fromSeconds), 1e6 / 60.0);
    report("frames %d over %.2f s: %.2f frames per second, %d dropped (gap over 1.5 periods)\n", p.frames,
                p.seconds, p.framesPerSecond, p.dropped);
    report("lateness ms: median %.3f, p99 %.3f, max %.3f\n", p.lateMedianMs, p.lateP99Ms, p.lateMaxMs);
    report("frame work ms (update + draw + swap): median %.2f, p99 %.2f, max %.2f\n", p.workMedianMs,
                p.workP99Ms, p.workMaxMs);
    report("frames whose work took over a period: %d, of which %d used less than a period of CPU (kept "
                "waiting)\n",
                p.slowFrames, p.slowFramesWaiting);
    report("process CPU: %.1f %% of a core in all, %.2f %% between frames\n", p.cpuTotalPercent,
                p.cpuBetweenPercent);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // As the program does; --system-malloc leaves the allocator as it was, for comparison.
    bool systemMalloc = false;
    for (int i = 1; i < argc; ++i) systemMalloc = systemMalloc || std::string(argv[i]) == "--system-malloc";
    if (!systemMalloc) keepFreedMemory();
    std::fflush(stdout);
    int reportFd = dup(STDOUT_FILENO);
    if (reportFd >= 0) {
        if (std::FILE* f = fdopen(reportFd, "w")) out = f;
    }
    if (out != stdout && !std::freopen("/dev/null", "w", stdout)) out = stdout;
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* {
            if (i + 1 >= argc) {
                usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--compare") {
            const char* x = next();
            return comparePngs(x, next());
        } else if (a == "--pacing") {
            const char* log = next();
            double from = i + 1 < argc ? std::atof(argv[i + 1]) : 0;
            long long launched = i + 2 < argc ? std::atoll(argv[i + 2]) : 0;
            return summarizeLog(log, from, launched);
        } else if (a == "--menu-row") {
            // The centre of a menu row in window pixels on a screen of the given size (for scripts).
            Size size{0, 0};
            if (std::sscanf(next(), "%dx%d", &size.w, &size.h) != 2 || size.w < 1 || size.h < 1) return 2;
            int index = std::atoi(next());
            HeadlessRun run(size.w, size.h);
            if (!run.ok()) return 2;
            float left, top, right, bottom;
            appMenuRowRect(index, left, top, right, bottom);
            report("%d %d\n", (int)((left + right) / 2), (int)((top + bottom) / 2));
            return 0;
        } else if (a == "--ground-pixel") {
            // Where the ground point (x, 0, z) of a scene shows when its play phase begins.
            Size size{0, 0};
            if (std::sscanf(next(), "%dx%d", &size.w, &size.h) != 2 || size.w < 1 || size.h < 1) return 2;
            int season = std::atoi(next());
            float x = (float)std::atof(next());
            float z = (float)std::atof(next());
            HeadlessRun run(size.w, size.h);
            int px, py;
            if (!run.ok() || !bench::groundPixelAtPlay(run, season, x, z, px, py)) return 1;
            report("%d %d\n", px, py);
            return 0;
        } else if (a == "--frames") {
            o.frames = std::atoi(next());
            if (o.frames < 1) o.frames = 1;
        } else if (a == "--sizes") {
            o.sizes.clear();
            for (const std::string& part : split(next(), ',')) {
                Size size{0, 0};
                if (std::sscanf(part.c_str(), "%dx%d", &size.w, &size.h) == 2 && size.w > 0 && size.h > 0)
                    o.sizes.push_back(size);
            }
        } else if (a == "--scenes") {
            o.scenes.clear();
            for (const std::string& part : split(next(), ',')) {
                bench::Scenario s;
                if (!bench::scenarioFromName(part, s)) {
                    std::fprintf(stderr, "unknown scene %s\n", part.c_str());
                    return 2;
                }
                o.scenes.push_back(s);
            }
        } else if (a == "--scales") {
            o.scales.clear();
            for (const std::string& part : split(next(), ',')) o.scales.push_back(std::atoi(part.c_str()));
        } else if (a == "--repeat") {
            o.repeat = std::atoi(next());
            if (o.repeat < 1) o.repeat = 1;
        } else if (a == "--png") {
            o.pngDir = next();
        } else if (a == "--system-malloc") {
            // handled above
        } else if (a == "--smoothing") {
            o.smoothing = true;
        } else if (a == "--no-startup") {
            o.startup = false;
        } else if (a == "--no-scenes") {
            o.scenarios = false;
        } else if (a == "--no-scaling") {
            o.scaling = false;
        } else {
            usage();
            return 2;
        }
    }
    if (o.sizes.empty()) o.sizes.push_back(Size{1024, 768});

    if (o.smoothing) {
        benchSmoothing(o);
        return 0;
    }
    if (o.startup) benchStartup(o.sizes.back());
    if (o.scenarios) benchScenarios(o);
    if (o.scaling) benchScaling(o);
    return 0;
}
