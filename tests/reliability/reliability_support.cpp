#include "tests/reliability/reliability_support.h"

#include <dirent.h>
#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/application.h"
#include "framework/season_scene.h"
#include "render/gl.h"
#include "render/orbit_camera.h"
#include "render/view_picking.h"
#include "seasons/autumn/season_autumn.h"
#include "seasons/spring/season_spring.h"
#include "seasons/summer/season_summer.h"
#include "seasons/winter/season_winter.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_TEST_ASAN 1
#endif
#endif
#if defined(VELMORA_TEST_ASAN) || defined(__SANITIZE_UNDEFINED__)
#include <sanitizer/common_interface_defs.h>
// From the sanitizer runtime's allocator interface (GCC installs no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#define VELMORA_TEST_SANITIZERS 1
#endif

const char* const sceneNames[4] = {"Spring", "Summer", "Autumn", "Winter"};

// ---------------------------------------------------------------------------------------------------
// The input generator and the environment

uint64_t InputRandom::next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int InputRandom::below(int n) { return n > 0 ? (int)(next() % (uint64_t)n) : 0; }
int InputRandom::range(int low, int high) { return low + below(high - low + 1); }
bool InputRandom::chance(double p) { return (double)(next() >> 11) * (1.0 / 9007199254740992.0) < p; }

long long environmentNumber(const char* name, long long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 0);
    return end && *end == '\0' ? value : fallback;
}

bool environmentFlag(const char* name) {
    const char* text = std::getenv(name);
    return text && *text && std::strcmp(text, "0") != 0;
}

// ---------------------------------------------------------------------------------------------------
// Finite values

namespace {

class FiniteProbe {
public:
    std::string bad;
    void value(const char* what, int i, double v) {
        if (!bad.empty() || std::isfinite(v)) return;
        char line[160];
        std::snprintf(line, sizeof line, "%s[%d] = %g", what, i, v);
        bad = line;
    }
    void vec(const char* what, int i, const Vec3& v) {
        value(what, i, v.x);
        value(what, i, v.y);
        value(what, i, v.z);
    }
    void matrix(const char* what, int i, const Matrix4& m) {
        for (float f : m.m) value(what, i, f);
    }
    void quaternion(const char* what, int i, const Quaternion& q) {
        value(what, i, q.x);
        value(what, i, q.y);
        value(what, i, q.z);
        value(what, i, q.w);
    }
    void camera(const OrbitCamera& c) {
        vec("camera.eye", 0, c.eye);
        vec("camera.target", 0, c.target);
        vec("camera.up", 0, c.up);
        value("camera.pitch", 0, c.pitch);
        value("camera.yaw", 0, c.yaw);
        value("camera.distance", 0, c.distance);
        value("camera.pitchVelocity", 0, c.pitchVelocity);
        value("camera.yawVelocity", 0, c.yawVelocity);
        value("camera.zoomVelocity", 0, c.zoomVelocity);
        value("camera.lastX", 0, c.lastX);
        value("camera.lastY", 0, c.lastY);
    }
};

void probeSpring(FiniteProbe& p, const SeasonSpring& s) {
    p.vec("groundPoint", 0, s.groundPoint());
    p.vec("rayDir", 0, s.rayDir());
    for (int i = 0; i < (int)s.dandelions().size(); ++i) {
        const Dandelion& d = s.dandelions()[i];
        p.value("dandelion.age", i, d.age);
        p.value("dandelion.growthRate", i, d.growthRate);
        p.value("dandelion.segmentLength", i, d.currentSegmentLength);
        p.value("dandelion.ringTwist", i, d.ringTwist);
        p.value("dandelion.heading", i, d.heading);
        p.vec("dandelion.base", i, d.base);
        p.vec("dandelion.head", i, d.head);
        p.matrix("dandelion.headMatrix", i, d.headMatrix);
        for (const Vec3& point : d.points) p.vec("dandelion.points", i, point);
    }
    for (int i = 0; i < (int)s.seeds().size(); ++i) {
        const LetterSeed& seed = s.seeds()[i];
        p.vec("seed.position", i, seed.position);
        p.vec("seed.velocity", i, seed.velocity);
        p.vec("seed.force", i, seed.force);
        p.vec("seed.lingerForce", i, seed.lingerForce);
        p.value("seed.alpha", i, seed.alpha);
        p.value("seed.size", i, seed.size);
        p.value("seed.spinAngle", i, seed.spinAngle);
        p.matrix("seed.matrix", i, seed.matrix);
        p.quaternion("seed.flightOrientation", i, seed.flightOrientation);
        p.quaternion("seed.targetOrientation", i, seed.targetOrientation);
    }
}

void probeSummer(FiniteProbe& p, const SeasonSummer& s) {
    p.vec("netPoint", 0, s.netPoint());
    p.value("unfoldAngle", 0, s.unfoldAngle());
    for (int i = 0; i < (int)s.fish().size(); ++i) {
        const WordFish& f = s.fish()[i];
        p.vec("fish.position", i, f.position);
        p.vec("fish.velocity", i, f.velocity);
        p.vec("fish.force", i, f.force);
        p.value("fish.heading", i, f.heading);
        p.value("fish.displayedHeading", i, f.displayedHeading);
        p.value("fish.turnRate", i, f.turnRate);
        p.value("fish.climb", i, f.climb);
        p.value("fish.displayedClimb", i, f.displayedClimb);
        p.value("fish.speed", i, f.speed);
        p.value("fish.wavePhase", i, f.wavePhase);
        p.value("fish.waveAmplitude", i, f.waveAmplitude);
        p.value("fish.blend", i, f.blend);
        for (float b : f.bend) p.value("fish.bend", i, b);
        for (float a : f.waveAngle) p.value("fish.waveAngle", i, a);
        for (float a : f.turnAngle) p.value("fish.turnAngle", i, a);
        p.matrix("fish.travelMatrix", i, f.travelMatrix);
    }
    for (int i = 0; i < (int)s.schools().size(); ++i) {
        const SentenceSchool& school = s.schools()[i];
        p.vec("school.position", i, school.position);
        p.vec("school.velocity", i, school.velocity);
        p.vec("school.force", i, school.force);
        p.value("school.heading", i, school.heading);
        p.value("school.climb", i, school.climb);
        p.value("school.speed", i, school.speed);
    }
}

void probeAutumn(FiniteProbe& p, const SeasonAutumn& s) {
    p.vec("groundPoint", 0, s.groundPoint());
    p.value("whirlwindRamp", 0, s.whirlwindRamp());
    for (int i = 0; i < s.leafCount(); ++i) {
        const LeafBody& b = s.leaves()[i];
        p.vec("leaf.position", i, b.position);
        p.vec("leaf.velocity", i, b.velocity);
        p.vec("leaf.angles", i, b.angles);
        p.vec("leaf.spin", i, b.spin);
        p.vec("leaf.gravity", i, b.gravity);
        p.vec("leaf.normal", i, b.normal);
        p.vec("leaf.forces", i, b.forces.total());
    }
}

void probeWinter(FiniteProbe& p, const SeasonWinter& s) {
    p.vec("groundPoint", 0, s.groundPoint());
    for (int i = 0; i < (int)s.snow().size(); ++i) {
        const SnowLetter& l = s.snow()[i];
        p.vec("snow.position", i, l.position);
        p.vec("snow.velocity", i, l.velocity);
        p.vec("snow.angles", i, l.angles);
        p.value("snow.alpha", i, l.alpha);
        p.value("snow.maxSpeed", i, l.maxSpeed);
        p.vec("snow.forces", i, l.forces.total());
    }
    if (s.tree()) {
        p.value("tree.sway.phase", 0, s.tree()->sway.phase);
        p.value("tree.sway.amplitude", 0, s.tree()->sway.amplitude);
        p.value("tree.shakeAngle", 0, s.tree()->shakeAngle);
    }
    if (s.handle()) {
        p.vec("handle.point", 0, s.handle()->point);
        p.value("handle.pullAngle", 0, s.handle()->pullAngle);
        p.value("handle.pullStrength", 0, s.handle()->pullStrength);
    }
}

}  // namespace

std::string firstNonFinite(int index, ASeason* scene) {
    FiniteProbe p;
    if (!scene) return "";
    if (index == 0) {
        if (auto* s = dynamic_cast<SeasonScene*>(scene)) p.camera(s->camera());
        if (auto* s = dynamic_cast<SeasonSpring*>(scene)) probeSpring(p, *s);
    } else if (index == 1) {
        if (auto* s = dynamic_cast<SeasonSummer*>(scene)) probeSummer(p, *s);
    } else if (index == 2) {
        if (auto* s = dynamic_cast<SeasonAutumn*>(scene)) probeAutumn(p, *s);
    } else if (index == 3) {
        if (auto* s = dynamic_cast<SeasonWinter*>(scene)) probeWinter(p, *s);
    }
    return p.bad;
}

// ---------------------------------------------------------------------------------------------------
// Snapshots of a visit's start

namespace {

class Snapshot {
public:
    std::vector<std::string> lines;
    void value(const char* what, int i, double v) {
        char line[160];
        std::snprintf(line, sizeof line, "%s[%d] = %.9g", what, i, v);
        lines.emplace_back(line);
    }
    void vec(const char* what, int i, const Vec3& v) {
        char line[200];
        std::snprintf(line, sizeof line, "%s[%d] = (%.9g, %.9g, %.9g)", what, i, v.x, v.y, v.z);
        lines.emplace_back(line);
    }
    void common(const SeasonScene& scene) {
        const OrbitCamera& c = scene.camera();
        vec("camera.eye", 0, c.eye);
        vec("camera.target", 0, c.target);
        vec("camera.up", 0, c.up);
        value("camera.pitch", 0, c.pitch);
        value("camera.yaw", 0, c.yaw);
        value("camera.distance", 0, c.distance);
        value("camera.pitchVelocity", 0, c.pitchVelocity);
        value("camera.yawVelocity", 0, c.yawVelocity);
        value("camera.zoomVelocity", 0, c.zoomVelocity);
        value("phase", 0, scene.phase());
        value("frame", 0, scene.frame());
        value("finished", 0, scene.finished);
        value("running", 0, scene.running());
        value("introDone", 0, scene.introDone());
        value("swingDone", 0, scene.swingDone());
        value("leftDown", 0, scene.leftDown());
        value("rightDown", 0, scene.rightDown());
        int held = 0;
        for (int k = 0; k < SEASON_KEY_COUNT; ++k) held += scene.keyHeld(k) ? 1 : 0;
        value("keys held", 0, held);
    }
};

}  // namespace

std::vector<std::string> visitStartSnapshot(int index, ASeason* scene) {
    Snapshot s;
    if (index == 0) {
        auto* spring = dynamic_cast<SeasonSpring*>(scene);
        if (!spring) return s.lines;
        s.common(*spring);
        // The plants are re-seeded at fresh random places and ages; what they start as is the same.
        for (int i = 0; i < (int)spring->dandelions().size(); ++i) {
            const Dandelion& d = spring->dandelions()[i];
            s.value("dandelion.state", i, d.state);
            s.value("dandelion.dormant", i, d.dormant);
            s.value("dandelion.seedsOnHead", i, d.seedsOnHead);
            s.value("dandelion.seedsInFlight", i, d.seedsInFlight);
            s.value("dandelion.blowCounter", i, d.blowCounter);
            s.value("dandelion.segmentLength", i, d.currentSegmentLength);
        }
        for (int i = 0; i < (int)spring->seeds().size(); ++i) {
            const LetterSeed& seed = spring->seeds()[i];
            s.vec("seed.position", i, seed.position);
            s.vec("seed.velocity", i, seed.velocity);
            s.value("seed.attached", i, seed.attached);
            s.value("seed.visible", i, seed.visible);
            s.value("seed.alpha", i, seed.alpha);
            s.value("seed.size", i, seed.size);
            s.value("seed.halfSize", i, seed.halfSize);
            for (int k = 0; k < 16; ++k) s.value("seed.matrix", i, seed.matrix.m[k]);
        }
    } else if (index == 1) {
        auto* summer = dynamic_cast<SeasonSummer*>(scene);
        if (!summer) return s.lines;
        s.common(*summer);
        s.value("unfoldAngle", 0, summer->unfoldAngle());
        s.value("schoolingCounter", 0, summer->schoolingCounter());
        for (int i = 0; i < (int)summer->fish().size(); ++i) {
            const WordFish& f = summer->fish()[i];
            s.vec("fish.position", i, f.position);
            s.vec("fish.velocity", i, f.velocity);
            s.value("fish.heading", i, f.heading);
            s.value("fish.displayedHeading", i, f.displayedHeading);
            s.value("fish.climb", i, f.climb);
            s.value("fish.displayedClimb", i, f.displayedClimb);
        }
    } else if (index == 2) {
        auto* autumn = dynamic_cast<SeasonAutumn*>(scene);
        if (!autumn) return s.lines;
        s.common(*autumn);
        s.value("whirlwindOn", 0, autumn->whirlwindOn());
        s.value("whirlwindRamp", 0, autumn->whirlwindRamp());
        s.value("reforming", 0, autumn->reforming());
        // Spin rates and each letter's own gravity carry over from visit to visit.
        for (int i = 0; i < autumn->leafCount(); ++i) {
            const LeafBody& b = autumn->leaves()[i];
            s.vec("leaf.position", i, b.position);
            s.vec("leaf.velocity", i, b.velocity);
            s.vec("leaf.angles", i, b.angles);
            s.value("leaf.size", i, b.size);
            s.value("leaf.letter", i, b.letter);
        }
    } else if (index == 3) {
        auto* winter = dynamic_cast<SeasonWinter*>(scene);
        if (!winter) return s.lines;
        s.common(*winter);
        s.value("tree.alpha", 0, winter->tree() ? winter->tree()->alpha : -1);
        s.value("handle.held", 0, winter->handle() ? winter->handle()->held : -1);
        s.value("handle.grabbed", 0, winter->handle() ? winter->handle()->grabbed : -1);
        for (int c = 0; c < 3; ++c) s.value("letterColour", c, winter->letterColour()[c]);
        for (int i = 0; i < (int)winter->snow().size(); ++i) {
            const SnowLetter& l = winter->snow()[i];
            s.vec("snow.position", i, l.position);
            s.vec("snow.angles", i, l.angles);
        }
    }
    return s.lines;
}

std::string snapshotDifference(const std::vector<std::string>& first, const std::vector<std::string>& later) {
    if (first.size() != later.size()) {
        char line[96];
        std::snprintf(line, sizeof line, "%zu values, then %zu", first.size(), later.size());
        return line;
    }
    for (size_t i = 0; i < first.size(); ++i)
        if (first[i] != later[i]) return "first visit " + first[i] + ", this visit " + later[i];
    return "";
}

// ---------------------------------------------------------------------------------------------------
// Memory

size_t residentBytes() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long size = 0, resident = 0;
    int n = std::fscanf(f, "%lu %lu", &size, &resident);
    std::fclose(f);
    return n == 2 ? (size_t)resident * (size_t)sysconf(_SC_PAGESIZE) : 0;
}

size_t liveHeapBytes() {
#ifdef VELMORA_TEST_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

bool builtWithAddressSanitizer() {
#ifdef VELMORA_TEST_ASAN
    return true;
#else
    return false;
#endif
}

// ---------------------------------------------------------------------------------------------------
// Crash report: the seed and frame, written with plain write(2) from a signal or sanitizer death.

namespace {

volatile sig_atomic_t crashArmed = 0;
uint64_t crashSeed = 0;
long crashLength = 0;
volatile long crashFrame = 0;

void writeNumber(uint64_t v) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = (char)('0' + v % 10);
        v /= 10;
    } while (v && n < 24);
    char out[24];
    for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
    ssize_t ignored = write(2, out, (size_t)n);
    (void)ignored;
}

void writeText(const char* text) {
    ssize_t ignored = write(2, text, std::strlen(text));
    (void)ignored;
}

void reportCrash() {
    if (!crashArmed) return;
    crashArmed = 0;
    writeText("\nmonkey: died with seed ");
    writeNumber(crashSeed);
    writeText(" at frame ");
    writeNumber((uint64_t)crashFrame);
    writeText(" (rerun with VELMORA_MONKEY_SEED=");
    writeNumber(crashSeed);
    writeText(" VELMORA_MONKEY_FRAMES=");
    writeNumber((uint64_t)crashLength);
    writeText(")\n");
}

void onSignal(int signal) {
    reportCrash();
    ::signal(signal, SIG_DFL);
    raise(signal);
}

}  // namespace

void armCrashReport(uint64_t seed, long frames) {
    crashSeed = seed;
    crashLength = frames;
    crashFrame = 0;
    crashArmed = 1;
#ifdef VELMORA_TEST_SANITIZERS
    __sanitizer_set_death_callback(reportCrash);
#endif
    for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        // Under AddressSanitizer a segmentation fault is its report (and death callback) instead.
        if (builtWithAddressSanitizer() && (s == SIGSEGV || s == SIGBUS || s == SIGFPE)) continue;
        action.sa_handler = onSignal;
        sigaction(s, &action, nullptr);
    }
}

void crashReportFrame(long frame) { crashFrame = frame; }

void disarmCrashReport() {
    crashArmed = 0;
#ifdef VELMORA_TEST_SANITIZERS
    __sanitizer_set_death_callback(nullptr);
#endif
}

// ---------------------------------------------------------------------------------------------------
// Scratch directory

ScratchDirectory::ScratchDirectory() {
    char here[4096];
    if (getcwd(here, sizeof here)) previous = here;
    char pattern[] = "/tmp/velmora-reliability-XXXXXX";
    if (mkdtemp(pattern)) dir = pattern;
    if (!dir.empty() && chdir(dir.c_str()) != 0) dir.clear();
}

ScratchDirectory::~ScratchDirectory() {
    if (!previous.empty() && chdir(previous.c_str()) != 0) return;
    if (dir.empty()) return;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                unlink((dir + "/" + e->d_name).c_str());
        closedir(d);
    }
    rmdir(dir.c_str());
}

int ScratchDirectory::countFiles(const char* prefix) const {
    int n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strncmp(e->d_name, prefix, std::strlen(prefix)) == 0) ++n;
        closedir(d);
    }
    return n;
}

// ---------------------------------------------------------------------------------------------------
// The monkey

namespace {

// The keys that do something somewhere, drawn more often than the rest of the codes.
const int kMeaningfulKeys[] = {VK_CODE_ENTER, VK_CODE_SHIFT, VK_CODE_CONTROL, VK_CODE_SPACE,
                               VK_CODE_A,     VK_CODE_Z,     VK_CODE_A,       VK_CODE_Z};
const int kButtons[] = {1, 1, 1, 3, 3, 4, 5, 0, 2, 6, 7};

int sceneIndexOf(ASeason* scene) {
    for (int i = 0; i < 4; ++i)
        if (scene && appSeason(i) == scene) return i;
    return -1;
}

}  // namespace

bool scenePlaying(ASeason* scene) {
    const auto* s = dynamic_cast<SeasonScene*>(scene);
    return s && s->phase() == s->PHASE_PLAY;
}

bool sceneInteracting(ASeason* scene) {
    if (auto* s = dynamic_cast<SeasonSpring*>(scene)) {
        for (const LetterSeed& seed : s->seeds())
            if (!seed.attached && seed.visible) return true;
        return false;
    }
    if (auto* s = dynamic_cast<SeasonSummer*>(scene)) return s->leftDown() && s->phase() == s->PHASE_PLAY;
    if (auto* s = dynamic_cast<SeasonAutumn*>(scene)) return s->reforming();
    if (auto* s = dynamic_cast<SeasonWinter*>(scene)) return s->handle() && s->handle()->grabbed;
    return false;
}

bool scenePaused(ASeason* scene) {
    const auto* s = dynamic_cast<SeasonScene*>(scene);
    return s && !s->running();
}

Monkey::Monkey(int width, int height, const Options& o)
    : random(o.seed), headless(new HeadlessRun(width, height, false)), w(width), h(height), options(o) {
    started = std::chrono::steady_clock::now();
    pickNextScene();
}

std::string Monkey::failure(const std::string& what) const {
    char head[200];
    std::snprintf(head, sizeof head, "monkey seed %llu failed at frame %ld (run %d, state %d): ",
                  (unsigned long long)options.seed, stats.frames, stats.runs, appStateId());
    return head + what + "\n  reproduce with VELMORA_MONKEY_SEED=" + std::to_string(options.seed) +
           " VELMORA_MONKEY_FRAMES=" + std::to_string(options.frames);
}

int Monkey::coordinate(int size) {
    switch (random.below(12)) {
    case 0: {
        const int edges[] = {0, size - 1, size, -1, 1, size + 1};
        return edges[random.below(6)];
    }
    case 1:
        // Far outside: anything a window system reports, from X's signed 16 bits to Windows' unsigned.
        return random.range(-32768, 65535);
    case 2:
        return random.range(-size, -1);
    default:
        return random.below(size);
    }
}
int Monkey::coordinateX() { return coordinate(w); }
int Monkey::coordinateY() { return coordinate(h); }

bool Monkey::projectSceneTarget(float& x, float& y) {
    ASeason* scene = appCurrentSeason();
    int index = sceneIndexOf(scene);
    Vec3 p;
    if (auto* s = dynamic_cast<SeasonSpring*>(scene)) {
        if (s->dandelions().empty()) return false;
        p = s->dandelions()[random.below((int)s->dandelions().size())].base;
    } else if (auto* s = dynamic_cast<SeasonSummer*>(scene)) {
        if (s->fish().empty()) return false;
        p = s->fish()[random.below((int)s->fish().size())].position;
    } else if (auto* s = dynamic_cast<SeasonAutumn*>(scene)) {
        if (s->leafCount() <= 0) return false;
        p = s->leaves()[random.below(s->leafCount())].position;
    } else if (index == 3) {
        p = Vec3(0, 0, 0);  // the ring at the foot of the trunk
    } else {
        return false;
    }
    ViewMatrices view = currentViewMatrices();
    double wx, wy, wz;
    if (gluProject(p.x, p.y, p.z, view.modelview, view.projection, view.viewport, &wx, &wy, &wz) != GL_TRUE)
        return false;
    if (!std::isfinite(wx) || !std::isfinite(wy)) return false;
    x = (float)std::max(-40000.0, std::min(70000.0, wx));
    y = (float)std::max(-40000.0, std::min(70000.0, view.viewport[3] - 1 - wy));
    return true;
}

void Monkey::startStroke(int slot) {
    Stroke& s = strokes[slot];
    s.active = true;
    s.button = slot == 0 ? 1 : 3;
    s.framesLeft = random.range(5, 240);
    if (!projectSceneTarget(s.x, s.y)) {
        s.x = (float)coordinateX();
        s.y = (float)coordinateY();
    }
    float speed = (float)random.range(0, 40) * 0.1f * (float)w / 160.0f;
    float angle = (float)random.below(3600) * 0.1f * 0.017453292f;
    s.dx = std::cos(angle) * speed;
    s.dy = std::sin(angle) * speed;
    onMouseMove((int)s.x, (int)s.y);
    onMouseDown((int)s.x, (int)s.y, s.button);
    buttonDown[s.button] = true;
    stats.events += 2;
}

void Monkey::advanceStrokes() {
    for (Stroke& s : strokes) {
        if (!s.active) continue;
        s.x += s.dx + (float)random.range(-2, 2);
        s.y += s.dy + (float)random.range(-2, 2);
        s.x = std::max(-40000.0f, std::min(70000.0f, s.x));
        s.y = std::max(-40000.0f, std::min(70000.0f, s.y));
        onMouseMove((int)s.x, (int)s.y);
        stats.events += 1;
        if (--s.framesLeft <= 0) {
            onMouseUp((int)s.x, (int)s.y, s.button);
            buttonDown[s.button] = false;
            s.active = false;
            stats.events += 1;
        }
    }
}

void Monkey::randomEvent(int state) {
    int x = coordinateX(), y = coordinateY();
    int kind = random.below(100);
    stats.events += 1;
    if (kind < 35) {
        onMouseMove(x, y);
    } else if (kind < 50) {
        int button = kButtons[random.below((int)(sizeof kButtons / sizeof kButtons[0]))];
        if (random.chance(0.5)) onMouseMove(x, y);
        onMouseDown(x, y, button);
        if (button >= 0 && button < 8) buttonDown[button] = true;
    } else if (kind < 62) {
        int button = kButtons[random.below((int)(sizeof kButtons / sizeof kButtons[0]))];
        onMouseUp(x, y, button);
        if (button >= 0 && button < 8) buttonDown[button] = false;
    } else if (kind < 67) {
        // A burst of wheel notches, each a press with no release.
        int n = random.range(1, 12);
        bool forward = random.chance(0.5);
        for (int i = 0; i < n; ++i) onMouseDown(x, y, forward ? 4 : 5);
        stats.events += n - 1;
    } else if (kind < 85) {
        int key = random.chance(0.6) ? kMeaningfulKeys[random.below(8)] : random.below(1024);
        if (key == VK_CODE_ESCAPE || key == VK_CODE_F12) key = VK_CODE_A;
        onKeyDown(key);
        keysDown.push_back(key);
    } else if (kind < 97) {
        int key;
        if (!keysDown.empty() && random.chance(0.8)) {
            int i = random.below((int)keysDown.size());
            key = keysDown[i];
            keysDown.erase(keysDown.begin() + i);
        } else {
            key = random.below(1024);
            if (key == VK_CODE_F12) key = VK_CODE_Z;
        }
        onKeyUp(key);
    } else {
        // Escape: on the menu it closes the piece, in a scene it ends the visit; elsewhere it is
        // ignored, so it is sent freely there.
        bool send = state == APP_MENU ? options.allowQuit && random.chance(0.1)
                  : state == APP_SEASON ? options.allowEscape && random.chance(0.02)
                                        : true;
        if (send) {
            onKeyDown(VK_CODE_ESCAPE);
            if (random.chance(0.9)) onKeyUp(VK_CODE_ESCAPE);
        } else {
            onMouseMove(x, y);
        }
    }
}

void Monkey::sceneInput() {
    int state = appStateId();
    if (random.chance(0.3)) {
        int n = 1 + random.below(3);
        for (int i = 0; i < n; ++i) randomEvent(state);
    }
    if (!strokes[0].active && random.chance(1.0 / 120)) startStroke(0);
    if (!strokes[1].active && random.chance(1.0 / 300)) startStroke(1);
    // Zoom keys held for a while.
    if (heldKey < 0 && random.chance(1.0 / 400)) {
        heldKey = random.chance(0.5) ? VK_CODE_A : VK_CODE_Z;
        heldKeyFrames = random.range(1, 200);
        onKeyDown(heldKey);
        stats.events += 1;
    } else if (heldKey >= 0 && --heldKeyFrames <= 0) {
        onKeyUp(heldKey);
        heldKey = -1;
        stats.events += 1;
    }
    advanceStrokes();
    if (options.allowScreenshots && random.chance(1.0 / 20000)) {
        onKeyDown(VK_CODE_F12);
        onKeyUp(VK_CODE_F12);
        stats.events += 2;
    }
}

void Monkey::releaseAll() {
    for (Stroke& s : strokes) s.active = false;
    for (int b = 0; b < 8; ++b)
        if (buttonDown[b]) onMouseUp(w / 2, h / 2, b);
    for (bool& b : buttonDown) b = false;
    for (int key : keysDown) onKeyUp(key);
    keysDown.clear();
    if (heldKey >= 0) onKeyUp(heldKey);
    heldKey = -1;
}

bool Monkey::returnToMenu() {
    releaseAll();
    bool escaped = false;
    for (int i = 0; i < 5000; ++i) {
        restartIfClosed();
        int state = appStateId();
        if (state == APP_MENU) return true;
        if (state == APP_SEASON && !escaped) {
            onKeyDown(VK_CODE_ESCAPE);
            onKeyUp(VK_CODE_ESCAPE);
            escaped = true;
        }
        if (state != APP_SEASON) escaped = false;
        headless->runFrames(1);
    }
    return false;
}

void Monkey::pickNextScene() {
    if (options.onlyScene >= 0) {
        target = options.onlyScene;
        return;
    }
    if (order.empty()) {
        order = {0, 1, 2, 3};
        for (int i = 3; i > 0; --i) std::swap(order[i], order[random.below(i + 1)]);
    }
    target = order.back();
    order.pop_back();
}

void Monkey::restartIfClosed() {
    if (!quitRequested()) return;
    headless.reset();
    headless.reset(new HeadlessRun(w, h, false));
    stats.runs += 1;
    lastState = -1;
    for (Stroke& s : strokes) s.active = false;
    for (bool& b : buttonDown) b = false;
    keysDown.clear();
    heldKey = -1;
}

std::string Monkey::step() {
    restartIfClosed();
    if (!headless->ok()) return failure("no headless context: " + headless->error());
    crashReportFrame(stats.frames);

    int state = appStateId();
    if (state != lastState) {
        stateFrames = 0;
        lastState = state;
        if (state == APP_MENU) menuDwell = random.chance(0.3) ? 0 : random.range(1, 120);
        if (state == APP_SEASON) {
            int index = sceneIndexOf(appCurrentSeason());
            if (index >= 0) stats.visits[index] += 1;
            sceneDwell = random.chance(0.2) ? random.range(0, 400)
                                            : random.range(options.sceneDwellMin, options.sceneDwellMax);
        }
    }

    // The director: pick the next scene on the menu, leave the scene when its time is up.
    if (state == APP_MENU && stateFrames == menuDwell) {
        float left, top, right, bottom;
        appMenuRowRect(target, left, top, right, bottom);
        int x = (int)left + random.below(std::max(1, (int)(right - left)));
        int y = (int)top + random.below(std::max(1, (int)(bottom - top)));
        const int anyButton[] = {1, 1, 1, 3, 4, 5};
        onMouseMove(x, y);
        onMouseDown(x, y, anyButton[random.below(6)]);
        stats.events += 2;
        pickNextScene();
    } else if (state == APP_SEASON && stateFrames == sceneDwell) {
        onKeyDown(VK_CODE_ESCAPE);
        onKeyUp(VK_CODE_ESCAPE);
        stats.events += 2;
    }

    if (state == APP_SEASON) {
        sceneInput();
    } else {
        // Clicks, keys and moves in the opening, on the menu and in every transition.
        if (random.chance(0.25)) randomEvent(state);
        advanceStrokes();
    }

    headless->runFrames(1);
    bool drawThis = options.drawEvery > 0 && (stateFrames < 2 || random.chance(1.0 / options.drawEvery));
    if (drawThis) {
        appDraw();
        stats.drawn += 1;
    }
    stats.frames += 1;
    stateFrames += 1;

    int now = appStateId();
    if (now < APP_INTRO || now > APP_EXITING) return failure("the application is in state " + std::to_string(now));
    stats.framesInState[now] += 1;
    ASeason* current = appCurrentSeason();
    if ((now == APP_ENTERING_SEASON || now == APP_SEASON) && !current)
        return failure("no current scene in state " + std::to_string(now));
    int index = sceneIndexOf(current);
    if (now == APP_SEASON && index >= 0) {
        stats.framesInScene[index] += 1;
        if (scenePlaying(current)) stats.framesPlaying[index] += 1;
        if (sceneInteracting(current)) stats.framesInteracting[index] += 1;
        std::string bad = firstNonFinite(index, current);
        if (!bad.empty()) return failure(std::string(sceneNames[index]) + ": " + bad);
    }
    if (stats.frames % 1000 == 0) {
        for (int i = 0; i < 4; ++i) {
            std::string bad = firstNonFinite(i, appSeason(i));
            if (!bad.empty()) return failure(std::string(sceneNames[i]) + " (not shown): " + bad);
        }
    }
    stats.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return "";
}
