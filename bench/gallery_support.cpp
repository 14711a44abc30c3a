#include "bench/gallery_support.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "app/headless_run.h"
#include "app/input_session.h"
#include "framework/application.h"
#include "framework/season_scene.h"
#include "render/gl.h"
#include "render/orbit_camera.h"
#include "seasons/autumn/season_autumn.h"
#include "seasons/spring/season_spring.h"
#include "seasons/summer/season_summer.h"
#include "seasons/winter/season_winter.h"

const char* const sceneNames[4] = {"Spring", "Summer", "Autumn", "Winter"};

std::string startGallery(int w, int h) {
    std::string error;
    sessionStart(SessionOptions{w, h, true, "", nullptr}, error);
    return error;
}

void galleryFrame(HeadlessRun& run, bool draw) {
    sessionBeforeFrame();
    run.runFrames(1, false);
    if (!draw) return;
    appDraw();
    glFinish();
}

// ---------------------------------------------------------------------------------------------------
// Finite values: what an unbounded force or a zero-length normalisation would spoil first, the
// positions, velocities and orientations of everything that moves, and the camera.

namespace {

struct FiniteProbe {
    std::string bad;
    void operator()(const char* what, size_t i, std::initializer_list<float> values) {
        for (float v : values)
            if (bad.empty() && !std::isfinite(v)) bad = std::string(what) + "[" + std::to_string(i) + "]";
    }
    void operator()(const char* what, size_t i, const Vec3& v) { (*this)(what, i, {v.x, v.y, v.z}); }
    void operator()(const char* what, size_t i, const Quaternion& q) { (*this)(what, i, {q.x, q.y, q.z, q.w}); }
    template <class T> void moving(const char* what, const std::vector<T>& all) {
        for (size_t i = 0; i < all.size(); ++i) {
            (*this)(what, i, all[i].position);
            (*this)(what, i, all[i].velocity);
        }
    }
};

}  // namespace

std::string firstNonFinite(ASeason* scene) {
    FiniteProbe p;
    if (auto* s = dynamic_cast<SeasonScene*>(scene)) {
        const OrbitCamera& c = s->camera();
        p("camera", 0, c.eye);
        p("camera", 0, {c.pitch, c.yaw, c.distance});
    }
    if (auto* s = dynamic_cast<SeasonSpring*>(scene)) {
        p.moving("seed", s->seeds());
        for (size_t i = 0; i < s->seeds().size(); ++i) p("seed.orientation", i, s->seeds()[i].flightOrientation);
        for (size_t i = 0; i < s->dandelions().size(); ++i) p("dandelion.head", i, s->dandelions()[i].head);
    } else if (auto* s = dynamic_cast<SeasonSummer*>(scene)) {
        p.moving("fish", s->fish());
        p.moving("school", s->schools());
        for (size_t i = 0; i < s->fish().size(); ++i) p("fish.heading", i, {s->fish()[i].heading, s->fish()[i].climb});
    } else if (auto* s = dynamic_cast<SeasonAutumn*>(scene)) {
        for (int i = 0; i < s->leafCount(); ++i) {
            const LeafBody& b = s->leaves()[i];
            p("leaf", i, b.position), p("leaf", i, b.velocity), p("leaf.angles", i, b.angles);
        }
    } else if (auto* s = dynamic_cast<SeasonWinter*>(scene)) {
        p.moving("snow", s->snow());
        for (size_t i = 0; i < s->snow().size(); ++i) p("snow.angles", i, s->snow()[i].angles);
        if (s->tree()) p("tree", 0, {s->tree()->shakeAngle, s->tree()->sway.phase});
        if (s->handle()) p("handle", 0, s->handle()->point);
    }
    return p.bad;
}

bool sceneInteracting(ASeason* scene) {
    if (auto* s = dynamic_cast<SeasonSpring*>(scene))
        return std::any_of(s->seeds().begin(), s->seeds().end(),
                           [](const LetterSeed& l) { return !l.attached && l.visible; });
    if (auto* s = dynamic_cast<SeasonSummer*>(scene)) return s->leftDown() && s->phase() == s->PHASE_PLAY;
    if (auto* s = dynamic_cast<SeasonAutumn*>(scene)) return s->reforming();
    if (auto* s = dynamic_cast<SeasonWinter*>(scene)) return s->handle() && s->handle()->grabbed;
    return false;
}
