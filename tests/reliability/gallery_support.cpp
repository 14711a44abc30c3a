#include "tests/reliability/gallery_support.h"

#include <malloc.h>
#include <unistd.h>

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
