#include "seasons/autumn/season_autumn.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/gl.h"
#include "render/screen_widgets.h"
#include "render/view_picking.h"

namespace {

const double kPi = 3.1415927;
const float kLetterHalfSize = 8.0f, kLetterSize = 16.0f;
const float kWrapWidth = 250.0f;
const int kReformFrames = 60;  // the flight home

SceneSettings autumnScene() {
    SceneSettings s;
    s.swingTo = {{27.0f, 132.0f, 546.0f}};
    return s;
}

float lerp(float from, float to, double t) {
    if (t == 1.0) return to;
    return (float)(from + ((double)to - from) * t);
}

}  // namespace

SeasonAutumn::SeasonAutumn() : SeasonAutumn(autumnStory) {}
SeasonAutumn::SeasonAutumn(const char* text) : SeasonScene(autumnScene()), story(text) {}

void SeasonAutumn::init(int w, int h, BitmapFont* f) {
    initScene(w, h, f);
    if (f) glyphs.build(*f);

    const int storyLength = (int)std::strlen(story);
    const std::vector<std::string> lines =
        f ? wrapText(story, f, storyLength, kWrapWidth, kLetterSize) : std::vector<std::string>();
    letters.reset(stripSpaces(story, storyLength));
    bodyCount = (int)std::strlen(letters.get());
    bodies.reset(new LeafBody[bodyCount]);  // constructed in order: each draws its spin rates
    layoutLetters(lines);

    reset();
    std::fputs("Season Autumn initialised\n", stdout);
}

void SeasonAutumn::layoutLetters(const std::vector<std::string>& lines) {
    BitmapFont* f = font();
    if (!f) return;
    float size = kLetterSize;
    float y = 0;
    int k = 0;
    for (const std::string& line : lines) {
        float pen = 0;
        int n = (int)line.size();
        for (int i = 0; i < n; ++i) {
            if (i == 0) pen = f->advanceOf(line[0]) * size * 0.5f;
            if (line[i] != ' ' && line[i] != '\n' && k < bodyCount) {
                bodies[k].home.set(pen - 150.0f, 0, y);
                k += 1;
            }
            if (i != n - 1) {
                pen += f->advanceOf(line[i]) * size * 0.5f;
                pen += f->advanceOf(line[i + 1]) * size * 0.5f + f->spacing * size;
            }
        }
        y += size;
    }
    // The middle of the block lies on z = 0.
    float shift = (y - size) * 0.5f;
    for (int i = 0; i < bodyCount; ++i) bodies[i].home.z -= shift;
}

void SeasonAutumn::reset() {
    resetScene();
    windRamp = 0;
    windOn = false;
    reformFrame = 0;
    flyingHome = false;
    resetLeaves();
}

void SeasonAutumn::resetLeaves() {
    for (int i = 0; i < bodyCount; ++i) {
        LeafBody& body = bodies[i];
        body.position = body.home;
        body.velocity.clear();
        body.angles.set(0, 180, 180);
        body.halfSize = kLetterHalfSize;
        body.size = kLetterSize;
        body.letter = letters[i];
    }
}

void SeasonAutumn::stepPlay() {
    if (leftDown() && running() && !flyingHome) {
        pickGroundPoint(mouseX(), mouseY());
        kicker.setCentre(kickPoint);
        kicker.push(bodies.get(), bodyCount);
    }
    if (flyingHome) {
        stepReform();
    } else if (running()) {
        stepLeaves();
    }
}

void SeasonAutumn::stepLeaves() {
    if (windOn) {
        if (windRamp != 1.0f) {
            windRamp += 0.02f;
            if (windRamp > 1.0f) windRamp = 1.0f;
        }
        for (int i = 0; i < bodyCount; ++i) {
            const Vec3& f = whirlwind.forceAt(bodies[i].position);
            bodies[i].addForce(windRamp == 1.0f ? f : f * windRamp);
        }
    }
    for (int i = 0; i < bodyCount; ++i) {
        LeafBody& body = bodies[i];
        body.addForce(body.velocity);
        body.gravity.y -= 0.015f;
        if (body.gravity.y < -0.065f) body.gravity.y = -0.065f;
        body.addForce(body.gravity);
        body.step();
        if (body.position.y < 0) {
            body.position.y = 0;
            body.velocity = body.velocity * 0.3f;
            body.velocity.y = -body.velocity.y;
        }
    }
}

void SeasonAutumn::startReform() {
    for (int i = 0; i < bodyCount; ++i) {
        LeafBody& body = bodies[i];
        body.savedPosition = body.position;
        body.velocity.clear();
        body.savedAngles = body.angles;
    }
    reformFrame = 0;
    flyingHome = true;
}

void SeasonAutumn::stepReform() {
    reformFrame += 1;
    if (reformFrame > kReformFrames) {
        flyingHome = false;
        return;
    }
    // The last frame of the flight lands exactly: no rounding of the easing may leave a letter off.
    double t = reformFrame == kReformFrames
                   ? 1.0
                   : (1.0 - std::cos((double)reformFrame / kReformFrames * kPi)) * 0.5;
    for (int i = 0; i < bodyCount; ++i) {
        LeafBody& body = bodies[i];
        const Vec3& s = body.savedPosition;
        body.position.set(lerp(s.x, body.home.x, t), lerp(s.y, body.home.y, t), lerp(s.z, body.home.z, t));
        const Vec3& a = body.savedAngles;
        body.angles.set(lerp(a.x, 0.0f, t), lerp(a.y, 180.0f, t), lerp(a.z, 180.0f, t));
    }
}

void SeasonAutumn::pickGroundPoint(int x, int y) {
    PickRay ray;
    if (!pickRay(currentViewMatrices(), x, y, ray)) return;
    Vec3 hit;
    if (!rayHitsPlane(ray, Vec3(0, 1, 0), Vec3(-1, 0, 0), hit)) return;
    // A ray that grazes the ground meets it too far away to be a place on it; keep the last point.
    if (!std::isfinite(hit.x) || !std::isfinite(hit.y) || !std::isfinite(hit.z)) return;
    kickPoint = hit;
}

void SeasonAutumn::draw() {
    camera().apply();

    glColor3f(0, 0, 0);
    drawPageOutline();

    if (font()) {
        glColor3f(0, 0, 0);
        font()->begin();
        glyphs.begin();
        for (int i = 0; i < bodyCount; ++i) {
            const LeafBody& body = bodies[i];
            glPushMatrix();
            glTranslatef(body.position.x, body.position.y, body.position.z);
            glRotatef(body.angles.x, 1, 0, 0);
            glRotatef(body.angles.y, 0, 1, 0);
            glRotatef(body.angles.z, 0, 0, 1);
            glScalef(body.size, 0, body.size);
            glyphs.drawFlat(body.letter);
            glPopMatrix();
        }
        GlyphArrays::end();
        BitmapFont::end();
    }
    drawFade();
}

void SeasonAutumn::actionKey(int key) {
    if (key == VK_CODE_ENTER) {
        if (phase() == PHASE_PLAY) startReform();
    } else if (key == VK_CODE_SPACE) {
        windOn = !windOn;
        if (!windOn) windRamp = 0;
    }
}
