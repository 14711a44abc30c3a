#include "bench/scenarios.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/headless_run.h"
#include "framework/application.h"
#include "render/gl.h"
#include "render/view_picking.h"
#include "seasons/autumn/season_autumn.h"
#include "seasons/spring/season_spring.h"
#include "seasons/summer/season_summer.h"
#include "seasons/winter/season_winter.h"

namespace bench {

namespace {

const double kPi = 3.14159265358979;

// The window pixel over the ground point (x, 0, z) in the view the last frame was drawn with.
bool screenOf(float x, float z, int& px, int& py) {
    ViewMatrices view = currentViewMatrices();
    double wx, wy, wz;
    if (gluProject(x, 0, z, view.modelview, view.projection, view.viewport, &wx, &wy, &wz) != GL_TRUE) return false;
    if (!std::isfinite(wx) || !std::isfinite(wy) || wz < 0 || wz > 1) return false;
    px = (int)std::lround(wx);
    py = (int)std::lround(view.viewport[3] - 1 - wy);
    return true;
}

template <class Scene>
Scene* sceneAt(int index) {
    return dynamic_cast<Scene*>(appSeason(index));
}

bool fullDraw = true;

// Sets up the view the scene's draw would leave (projection and camera), drawing nothing.
void drawViewOnly() {
    ASeason* current = appCurrentSeason();
    if (appStateId() != APP_SEASON || !current) {
        appDraw();
        return;
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, viewport[3] > 0 ? (double)viewport[2] / viewport[3] : 1.0, 1, 2048);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (auto* scene = dynamic_cast<SeasonScene*>(current)) scene->camera().apply();
}

// One frame as the main loop runs it (the headless run's own schedule is not used here).
void advance(int n) {
    for (int i = 0; i < n && !quitRequested(); ++i) {
        appUpdate();
        drawFrame();
    }
}

template <class Done>
bool advanceUntil(Done done, int maxFrames) {
    for (int i = 0; i < maxFrames; ++i) {
        if (done()) return true;
        advance(1);
    }
    return done();
}

// Skips the reading pause with a click and runs to the play phase.
template <class Scene>
bool playFrom(HeadlessRun& run, Scene* scene) {
    if (!scene) return false;
    if (!advanceUntil([&] { return scene->phase() == scene->PHASE_READ; }, 400)) return false;
    run.click(run.width() / 2, run.height() / 2);
    return advanceUntil([&] { return scene->phase() == scene->PHASE_PLAY; }, 400);
}

// The pointer's state across measured frames.
struct Pointer {
    bool held = false;
    int x = 0, y = 0;
    int targetX = 0, targetY = 0;
    size_t nextHead = 0;
};
Pointer pointer;

void moveTo(HeadlessRun& run, int x, int y) {
    pointer.x = x;
    pointer.y = y;
    run.moveMouse(x, y);
}
void pressAt(HeadlessRun& run, int x, int y) {
    moveTo(run, x, y);
    run.press(x, y, 1);
    pointer.held = true;
}
void releaseHere(HeadlessRun& run) {
    if (pointer.held) run.release(pointer.x, pointer.y, 1);
    pointer.held = false;
}

// Spring: every 120 frames the next ripe head in view gets two slow strokes across it, left held.
void springInput(HeadlessRun& run, int i) {
    SeasonSpring* s = sceneAt<SeasonSpring>(0);
    if (!s) return;
    int w = run.width(), h = run.height();
    int reach = 60 * w / 800;
    int within = i % 120;
    if (within == 0) {
        releaseHere(run);
        bool found = false;
        for (size_t k = 0; k < s->dandelions().size() && !found; ++k) {
            size_t j = (pointer.nextHead + k) % s->dandelions().size();
            const Dandelion& d = s->dandelions()[j];
            if (d.dormant || d.state != d.RIPE) continue;
            int px, py;
            if (!screenOf(d.base.x, d.base.z, px, py)) continue;
            if (px < reach || px > w - reach || py < h / 10 || py > h - h / 10) continue;
            pointer.targetX = px;
            pointer.targetY = py;
            pointer.nextHead = j + 1;
            found = true;
        }
        if (!found) {
            pointer.targetX = w / 2;
            pointer.targetY = h * 6 / 10;
        }
        pressAt(run, pointer.targetX - reach, pointer.targetY);
        return;
    }
    int leg = within < 60 ? within : 120 - within;  // out and back
    moveTo(run, pointer.targetX - reach + 2 * reach * leg / 60, pointer.targetY);
}

// Summer: the net sweeps an ellipse over the pond, left held the whole time.
void summerInput(HeadlessRun& run, int i) {
    int w = run.width(), h = run.height();
    double a = 2 * kPi * i / 120.0;
    int x = w / 2 + (int)(0.25 * h * std::cos(a));
    int y = h / 2 + (int)(0.15 * h * std::sin(a));
    if (i == 0) {
        pressAt(run, x, y);
        return;
    }
    moveTo(run, x, y);
}

// Autumn: a kick every 60 frames, held for 20 frames while the pointer drifts, at points round the
// whirlwind.
void autumnInput(HeadlessRun& run, int i) {
    int w = run.width(), h = run.height();
    int cycle = i / 60, within = i % 60;
    double a = cycle * 1.3;
    int x = w / 2 + (int)(0.18 * h * std::cos(a)) + within * w / 800;
    int y = h / 2 + (int)(0.12 * h * std::sin(a));
    if (within == 0) {
        pressAt(run, x, y);
    } else if (within < 20) {
        moveTo(run, x, y);
    } else if (within == 20) {
        releaseHere(run);
    }
}

// Winter: every 150 frames the ring at the trunk's foot is grabbed and pulled past its rim, held there
// a few frames and let go; the shaken snow falls while the rest keeps settling.
void winterInput(HeadlessRun& run, int i) {
    int within = i % 150;
    if (within == 0) {
        releaseHere(run);
        int fx, fy;
        if (!screenOf(0, 0, fx, fy)) return;
        pointer.targetX = fx;
        pointer.targetY = fy - 2;
        moveTo(run, fx, fy - 2);
    } else if (within == 2) {
        pressAt(run, pointer.targetX, pointer.targetY);
    } else if (within > 2 && within <= 14) {
        int rx, ry;
        if (!screenOf(10, 45, rx, ry)) return;
        int k = within - 2;
        moveTo(run, pointer.targetX + (rx - pointer.targetX) * k / 12, pointer.targetY + (ry - pointer.targetY) * k / 12);
    } else if (within == 22) {
        releaseHere(run);
    }
}

// The menu: the pointer visits the rows in turn, so the hover bar glides and fades.
void menuInput(HeadlessRun& run, int i) {
    if (i % 50 != 0) return;
    float left, top, right, bottom;
    appMenuRowRect((i / 50) % 4, left, top, right, bottom);
    moveTo(run, (int)((left + right) / 2), (int)((top + bottom) / 2));
}

int restingSnow(const SeasonWinter& s) {
    int n = 0;
    for (const SnowLetter& l : s.snow()) n += l.active ? 0 : 1;
    return n;
}

std::vector<std::unique_ptr<ASeason>> scaledScenes;
std::vector<std::unique_ptr<std::string>> scaledStories;

}  // namespace

const char* scenarioName(Scenario s) {
    switch (s) {
    case Scenario::Menu: return "menu";
    case Scenario::Spring: return "spring";
    case Scenario::Summer: return "summer";
    case Scenario::Autumn: return "autumn";
    case Scenario::Winter: return "winter";
    }
    return "?";
}

bool scenarioFromName(const std::string& name, Scenario& s) {
    for (Scenario c : {Scenario::Menu, Scenario::Spring, Scenario::Summer, Scenario::Autumn, Scenario::Winter}) {
        if (name == scenarioName(c)) {
            s = c;
            return true;
        }
    }
    return false;
}

void setFullDraw(bool on) { fullDraw = on; }

void drawFrame() {
    if (fullDraw)
        appDraw();
    else
        drawViewOnly();
}

bool prepareScenario(HeadlessRun& run, Scenario s) {
    pointer = Pointer();
    switch (s) {
    case Scenario::Menu:
        run.skipToMenu();
        return appStateId() == APP_MENU;
    case Scenario::Spring: {
        run.enterSeason(0);
        SeasonSpring* scene = sceneAt<SeasonSpring>(0);
        if (!playFrom(run, scene)) return false;
        // Ripe heads: the meadow grows for a while first.
        return advanceUntil(
            [&] {
                int ripe = 0;
                for (const Dandelion& d : scene->dandelions()) ripe += !d.dormant && d.state == d.RIPE;
                return ripe >= 25;
            },
            4000);
    }
    case Scenario::Summer: {
        run.enterSeason(1);
        SeasonSummer* scene = sceneAt<SeasonSummer>(1);
        if (!playFrom(run, scene)) return false;
        advance(120);  // the fish stand up and swim off as schools
        return true;
    }
    case Scenario::Autumn: {
        run.enterSeason(2);
        SeasonAutumn* scene = sceneAt<SeasonAutumn>(2);
        if (!playFrom(run, scene)) return false;
        advance(300);  // the whirlwind at full strength, the leaves up in it
        return scene->whirlwindRamp() == 1.0f;
    }
    case Scenario::Winter: {
        run.enterSeason(3);
        SeasonWinter* scene = sceneAt<SeasonWinter>(3);
        if (!playFrom(run, scene)) return false;
        int want = std::min(40, (int)scene->snow().size() / 15);
        return advanceUntil([&] { return restingSnow(*scene) >= want; }, 9000);
    }
    }
    return false;
}

void scenarioInput(HeadlessRun& run, Scenario s, int i) {
    switch (s) {
    case Scenario::Menu: menuInput(run, i); break;
    case Scenario::Spring: springInput(run, i); break;
    case Scenario::Summer: summerInput(run, i); break;
    case Scenario::Autumn: autumnInput(run, i); break;
    case Scenario::Winter: winterInput(run, i); break;
    }
}

std::string scenarioActivity(Scenario s) {
    char line[160] = "";
    switch (s) {
    case Scenario::Menu:
        std::snprintf(line, sizeof line, "hover bar alpha %.2f", appHoverBarAlpha());
        break;
    case Scenario::Spring:
        if (SeasonSpring* scene = sceneAt<SeasonSpring>(0)) {
            int flying = 0, ripe = 0;
            for (const LetterSeed& seed : scene->seeds()) flying += seed.visible && !seed.attached;
            for (const Dandelion& d : scene->dandelions()) ripe += !d.dormant && d.state == d.RIPE;
            std::snprintf(line, sizeof line, "%d seeds flying, %d ripe heads", flying, ripe);
        }
        break;
    case Scenario::Summer:
        if (SeasonSummer* scene = sceneAt<SeasonSummer>(1)) {
            int fast = 0;
            for (const WordFish& f : scene->fish()) fast += f.speed > 3.0f;
            std::snprintf(line, sizeof line, "%d of %d fish darting", fast, scene->fishCount());
        }
        break;
    case Scenario::Autumn:
        if (SeasonAutumn* scene = sceneAt<SeasonAutumn>(2)) {
            int up = 0;
            for (int i = 0; i < scene->leafCount(); ++i) up += scene->leaves()[i].position.y > scene->leaves()[i].halfSize;
            std::snprintf(line, sizeof line, "%d of %d leaves airborne", up, scene->leafCount());
        }
        break;
    case Scenario::Winter:
        if (SeasonWinter* scene = sceneAt<SeasonWinter>(3)) {
            int shaken = 0;
            for (const SnowLetter& l : scene->snow()) shaken += l.shaken;
            std::snprintf(line, sizeof line, "%d resting, %d shaken of %d letters", restingSnow(*scene), shaken,
                          (int)scene->snow().size());
        }
        break;
    }
    return line;
}

bool groundPixelAtPlay(HeadlessRun& run, int season, float x, float z, int& px, int& py) {
    run.enterSeason(season);
    bool playing = false;
    switch (season) {
    case 0: playing = playFrom(run, sceneAt<SeasonSpring>(0)); break;
    case 1: playing = playFrom(run, sceneAt<SeasonSummer>(1)); break;
    case 2: playing = playFrom(run, sceneAt<SeasonAutumn>(2)); break;
    case 3: playing = playFrom(run, sceneAt<SeasonWinter>(3)); break;
    default: break;
    }
    return playing && screenOf(x, z, px, py);
}

bool installScaledScene(int season, int times, int& letters) {
    if (times < 1) times = 1;
    const char* base = season == 2 ? autumnStory : season == 3 ? winterStory : nullptr;
    if (!base) return false;
    // Repeats of the story, one after another as more paragraphs.
    std::string text;
    for (int i = 0; i < times; ++i) {
        if (i > 0) text += '\n';
        text += base;
    }
    scaledStories.emplace_back(new std::string(text));
    const char* story = scaledStories.back()->c_str();
    ASeason* scene = nullptr;
    if (season == 2) {
        auto* autumn = new SeasonAutumn(story);
        scaledScenes.emplace_back(autumn);
        scene = autumn;
    } else {
        auto* winter = new SeasonWinter(story);
        scaledScenes.emplace_back(winter);
        scene = winter;
    }
    ASeason* original = appSeason(season);
    if (!original) return false;
    // The scenes draw with the application's one font, which the original scene holds.
    const SeasonScene* was = static_cast<SeasonScene*>(original);
    scene->init(was->width(), was->height(), was->font());
    appReplaceSeasonForTesting(season, scene);
    letters = season == 2 ? static_cast<SeasonAutumn*>(scene)->leafCount() : static_cast<SeasonWinter*>(scene)->letterCount();
    return true;
}

}  // namespace bench
