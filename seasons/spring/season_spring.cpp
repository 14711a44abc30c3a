#include "seasons/spring/season_spring.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/screen_widgets.h"
#include "render/bitmap_font.h"
#include "render/random_generator.h"
#include "render/view_picking.h"

namespace {

const double pi = 3.14159265358979323846;
const float twoPi = 6.2831855f;

// The camera's starting view, from straight above the field.
const Vec3 startEye(0, 578.5f, 0);
const Vec3 startTarget(0, 130, 0);
const Vec3 startUp(0, 1, 0);

float squaredDistanceXZ(const Vec3& a, const Vec3& b) {
    float dx = a.x - b.x;
    float dz = a.z - b.z;
    return dx * dx + dz * dz;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Breath

void Breath::push(float dx, float dz) {
    acc.x += dx;
    acc.z += dz;
}

void Breath::update() {
    acc.x *= decay;
    acc.z *= decay;
    float length = std::sqrt(acc.x * acc.x + acc.z * acc.z);
    if (length < 0.001f) {
        acc = out = MeadowVector();
        return;
    }
    if (length > maxLength) {
        acc.x = acc.x / length * maxLength;
        acc.z = acc.z / length * maxLength;
    }
    out = acc;
}

// ---------------------------------------------------------------------------------------------------
// SeasonSpring

SeasonSpring::SeasonSpring() {
    // The first gust: its direction is drawn before its length.
    gustAngle = randomFraction() * twoPi;
    gustLength = 60 - (int)(randomFraction() * -300.0f);
}

void SeasonSpring::startGust() {
    gustFrame = 0;
    gustAngle = randomFraction() * twoPi;
    gustLength = 60 - (int)(randomFraction() * -300.0f);
}

std::vector<std::string> SeasonSpring::splitWords(const char* text, int length) {
    std::vector<std::string> result(1);
    for (int i = 0; i < length && text[i] != '\0'; ++i) {
        char c = text[i];
        if (c == ' ') result.emplace_back();
        else if (c == '\n') continue;
        else if (c == '.' || c == ',') result.emplace_back(1, c);
        else result.back() += c;
    }
    return result;
}

void SeasonSpring::init(int w, int h, BitmapFont* f) {
    width = w;
    height = h;
    widthF = w > 0 ? (float)w : 1.0f;   // the pointer is divided by these
    heightF = h > 0 ? (float)h : 1.0f;
    font = f;
    if (font) glyphs.build(*font);
    for (int i = 0; i < 3; ++i) fadeInColor[i] = fadeOutColor[i] = 1.0f;
    story = springStory;
    zoomStep = 0.5f;
    fieldWidth = 357.0f;
    fieldHalfWidth = 178.5f;
    fieldDepth = 505.2f;
    fieldHalfDepth = 252.6f;

    camera.set(startEye, startTarget, startUp);
    camera.yaw = 90.0f;

    tween.reset(new CameraTween(tweenFrom, tweenTo));

    PHASE_FADE_IN = 1; PHASE_READ = 2; PHASE_DISSOLVE = 3; PHASE_SWING = 4; PHASE_PLAY = 5;
    PHASE_FADE_OUT = 6;
    fadeInStart = 0; fadeInLength = 200;
    readStart = fadeInStart + fadeInLength; readLength = 3000;
    dissolveStart = readStart + readLength; dissolveLength = 100;
    swingStart = dissolveStart + dissolveLength; swingLength = 100;
    playStart = swingStart + swingLength; playLength = 1;
    fadeOutStart = playStart + playLength; fadeOutLength = 200;
    fadeOutEnd = fadeOutStart + fadeOutLength;
    phase = PHASE_FADE_IN;
    frame = 0;

    buildFieldShape();

    running = true;
    letterHalfSize = 8.0f;
    letterSize = 16.0f;
    minSpacingSq = 4900.0f;

    storyLength = (int)std::strlen(story);
    lines = wrapText(story, font, storyLength, 250.0f, 16.0f);
    words = splitWords(story, storyLength);

    dandelionCount = (int)words.size();
    dandelions.clear();
    dandelions.resize(dandelionCount);
    for (int i = 0; i < dandelionCount; ++i) {
        Dandelion& d = dandelions[i];
        placeDandelion(d, i, 20);
        float r1 = randomFraction() * 12.0f - 6.0f;
        float r2 = randomFraction() * 12.0f - 6.0f;
        d.init(10.0f, 10, &d.base, r1, r2);
    }

    seedCount = 0;
    for (const std::string& word : words) seedCount += (int)word.size();
    seeds.clear();
    seeds.resize(seedCount);
    int k = 0;
    for (int i = 0; i < dandelionCount; ++i) {
        const std::string& word = words[i];
        int n = (int)word.size();
        for (int j = 0; j < n; ++j, ++k) {
            LetterSeed& s = seeds[k];
            s.letter = word[j];
            s.indexInWord = (float)j;
            s.dandelionIndex = i;
            s.owner = &dandelions[i];
            s.attached = true;
            s.halfSize = letterHalfSize;
            s.size = letterSize;
            s.fullHalfSize = letterHalfSize;
            s.baseSize = letterSize;
        }
        Dandelion& d = dandelions[i];
        d.directions = &directions;
        d.wordLength = (float)n;
        d.seedsOnHead = n;
        d.ringStep = -360.0f / (n + 3);
        d.ringRadius = (n + 3) * 1.5f;
        d.ballRadius = d.ringRadius * 0.6f;
        d.assignDirections();
        d.setSegmentLength(((n * 0.125f) * 0.65f + 0.35f) * 14.0f);
    }
    for (LetterSeed& s : seeds) s.owner->attachSeed(&s);

    lineHeight = 16.0f;
    breath.reset(new Breath(10.0f, 0.6f));

    layoutLetters(lines);
    reset();
    std::printf("Season Spring initialised\n");
}

void SeasonSpring::buildFieldShape() {
    field.begin(GL_LINE_STRIP);
    field.vertex(-fieldHalfWidth, 0, -fieldHalfDepth);
    field.vertex(fieldHalfWidth, 0, -fieldHalfDepth);
    field.vertex(fieldHalfWidth, 0, fieldHalfDepth);
    field.vertex(-fieldHalfWidth, 0, fieldHalfDepth);
    field.vertex(-fieldHalfWidth, 0, -fieldHalfDepth);
    field.end();
}

void SeasonSpring::placeDandelion(Dandelion& d, int index, int tries) {
    float w = fieldWidth * 0.8f;
    float depth = fieldDepth * 0.8f;
    for (int t = 0; t < tries; ++t) {
        float x = randomFraction() * w - w / 2;
        float z = randomFraction() * depth - depth / 2;
        Vec3 candidate(x, 0, z);
        bool free = true;
        for (int j = 0; j < (int)dandelions.size() && free; ++j)
            if (j != index && squaredDistanceXZ(dandelions[j].base, candidate) < minSpacingSq) free = false;
        if (free) {
            d.base = candidate;
            return;
        }
    }
    // No free spot: it stands wherever it falls.
    float x = randomFraction() * w - w / 2;
    float z = randomFraction() * depth - depth / 2;
    d.base.set(x, 0, z);
}

void SeasonSpring::layoutLetters(std::vector<std::string> layoutLines) {
    float s = letterSize;
    float spacing = font ? font->spacing : 0;
    auto widthOf = [&](char c) { return font ? font->advanceOf(c) : 0.0f; };
    float z = 0;
    int k = 0;
    for (const std::string& line : layoutLines) {
        float pen = 0;
        int n = (int)line.size();
        for (int i = 0; i < n; ++i) {
            if (i == 0) pen = widthOf(line[0]) * s * 0.5f;
            if (line[i] != ' ' && line[i] != '\n' && k < seedCount) {
                seeds[k].home.set(pen - 150.0f, 0, z);
                k += 1;
            }
            if (i != n - 1) pen += widthOf(line[i]) * s * 0.5f + widthOf(line[i + 1]) * s * 0.5f + spacing * s;
        }
        z += lineHeight;
    }
    for (LetterSeed& seed : seeds) seed.home.z -= (z - lineHeight) * 0.5f;
}

void SeasonSpring::resetLetters() {
    for (LetterSeed& s : seeds) {
        s.position = s.home;
        s.velocity.clear();
        s.targetOrientation.fromEuler(0, 180, 0);
        s.matrix = s.targetOrientation.toMatrix();
    }
}

void SeasonSpring::reset() {
    camera.pitchVelocity = 0;
    camera.yawVelocity = 0;
    camera.zoomVelocity = 0;
    camera.set(startEye, startTarget, startUp);

    phase = PHASE_FADE_IN;
    camera.yaw = 90.0f;
    frame = 0;
    running = true;
    introDone = false;
    mouseX = mouseY = prevMouseX = prevMouseY = 0;
    leftDown = rightDown = shiftDown = false;

    for (int i = 0; i < dandelionCount; ++i) {
        placeDandelion(dandelions[i], i, 20);
        dandelions[i].currentSegmentLength = 0;
        dandelions[i].respawn();
    }
    for (LetterSeed& s : seeds) s.reset();

    for (bool& k : keys) k = false;
    resetLetters();
    controlsOn = false;
    finished = false;
}

void SeasonSpring::update() {
    if (keys[VK_CODE_A]) camera.zoom(-0.1f * zoomStep);
    if (keys[VK_CODE_Z]) camera.zoom(0.1f * zoomStep);
    camera.update();

    if (phase == PHASE_FADE_IN) {
        frame += 1;
        if (frame >= readStart) phase = PHASE_READ;
    } else if (phase == PHASE_READ) {
        frame += 1;
        if (frame >= dissolveStart) {
            introDone = true;
            phase = PHASE_DISSOLVE;
        }
    } else if (phase == PHASE_DISSOLVE) {
        frame += 1;
        // A circle about the field's centre shrinks; letters outside it vanish behind a soft rim.
        float radius = (1.0f - (float)(frame - dissolveStart) / dissolveLength) * fieldHalfDepth;
        for (LetterSeed& s : seeds) {
            float d = std::sqrt(s.position.x * s.position.x + s.position.z * s.position.z);
            if (d > radius) s.alpha = 0;
            else if (d >= radius - 100.0f) s.alpha = 1.0f - (d - (radius - 100.0f)) * 0.01f;
            else s.alpha = 1.0f;
        }
        if (frame >= swingStart) phase = PHASE_SWING;
    } else if (phase == PHASE_SWING) {
        double t = (1.0 - std::cos(pi * (frame - swingStart) / swingLength)) * 0.5;
        const float* out = tween->atEased((float)t);
        camera.pitch = out[0];
        camera.yaw = out[1];
        camera.distance = out[2];
        frame += 1;
        if (frame >= playStart) {
            controlsOn = true;
            running = true;
            phase = PHASE_PLAY;
        }
    } else if (phase == PHASE_PLAY) {
        if (running) stepMeadow();
    } else if (phase == PHASE_FADE_OUT) {
        frame += 1;
        if (running && introDone) stepMeadow();
        if (frame >= fadeOutEnd) finished = true;
    }
}

void SeasonSpring::pickGroundPoint(int x, int y) {
    ViewMatrices view = currentViewMatrices();
    std::memcpy(modelview, view.modelview, sizeof modelview);
    std::memcpy(projection, view.projection, sizeof projection);
    std::memcpy(viewport, view.viewport, sizeof viewport);

    prevGroundPoint = groundPoint;
    PickRay ray;
    if (!pickRay(view, x, y, ray)) return;
    rayNear = ray.nearPoint;
    rayDir = ray.direction;

    Vec3 normal(0, 1, 0);
    float d = planeOffset(normal, Vec3(-1, 0, 0));
    // A ray along the ground never meets it: the point stays where it was, so this step blows nothing.
    if (rayDir.y == 0) return;
    float t = rayPlaneParameter(normal, d, rayNear, rayDir);
    if (!std::isfinite(t)) return;
    Vec3 hit = rayNear + rayDir * t;
    if (!std::isfinite(hit.x) || !std::isfinite(hit.z)) return;
    groundPoint = hit;
}

void SeasonSpring::stepMeadow() {
    pickGroundPoint(mouseX, mouseY);

    if (leftDown) {
        breath->push((prevGroundPoint.x - groundPoint.x) * 0.001f, (prevGroundPoint.z - groundPoint.z) * 0.001f);
    } else {
        if (gustFrame <= gustLength) {
            double e = (1.0 - std::cos(pi * gustFrame / gustLength)) * 0.5 * gustStrength;
            gustFrame += 1;
            gust.x = (float)(std::cos(gustAngle) * e);
            gust.z = (float)(std::sin(gustAngle) * e);
            if ((int)(randomFraction() * 60.0f) == 1) startGust();
        } else {
            gust.x = gust.z = 0;
            startGust();
        }
        windStep.x = (wind.x - gust.x) * 0.001f;
        windStep.z = (wind.z - gust.z) * 0.001f;
        wind.x -= windStep.x;
        wind.z -= windStep.z;
        for (Dandelion& d : dandelions) d.applyWind(wind.x, wind.z);
    }

    breath->update();

    const MeadowVector out = breath->out;
    if (out.x != 0 && out.z != 0) {
        for (Dandelion& d : dandelions)
            if (squaredDistanceXZ(d.base, groundPoint) < 122500.0f) d.blow(out.x, out.z);
        for (LetterSeed& s : seeds)
            if (!s.attached) s.blow(out.x, out.z);
    }

    for (int i = 0; i < dandelionCount; ++i) {
        Dandelion& d = dandelions[i];
        d.update();
        if (d.dormant) {
            if (d.age >= d.respawnAge && d.seedsInFlight == 0) {
                placeDandelion(d, i, 20);
                d.respawn();
            }
        } else {
            d.head += d.base;
        }
    }

    for (LetterSeed& s : seeds) {
        Dandelion* owner = s.owner;
        if (!owner) continue;
        if (!s.visible) {
            owner->regrowSeed(&s);
        } else if (!s.attached) {
            s.fly();
        } else if (owner->blowCounter > 3 && squaredDistanceXZ(owner->base, groundPoint) < 3600.0f && leftDown) {
            if ((int)(randomFraction() * 4.0f) == 1) owner->releaseSeed(&s, -out.x, -out.z);
        } else {
            owner->carrySeed(&s);
        }
    }
}

float SeasonSpring::overlayAlpha() const {
    if (phase == PHASE_FADE_IN) return 1.0f - (float)(frame - fadeInStart) / fadeInLength;
    if (phase == PHASE_FADE_OUT) return (float)(frame - fadeOutStart) / fadeOutLength;
    return 0;
}

void SeasonSpring::draw() {
    camera.apply();

    glColor3f(0, 0, 0);
    field.draw();
    glColor3f(0, 0, 0);

    for (const Dandelion& d : dandelions)
        if (!d.dormant) d.draw();

    glColor3f(0, 0, 0);
    if (font) {
        font->begin();
        glyphs.begin();
    }
    for (const LetterSeed& s : seeds) {
        if (!s.visible) continue;
        glColor4f(0, 0, 0, s.alpha);
        glPushMatrix();
        glTranslatef(s.position.x, s.position.y, s.position.z);
        glMultMatrixf(s.matrix.m);
        glScalef(s.size, 0, s.size);
        // The half turn, then the glyph lying in the x-z plane.
        glRotatef(180, 0, 0, 1);
        glyphs.drawFlat(s.letter);
        glPopMatrix();
    }
    GlyphArrays::end();
    BitmapFont::end();

    if (phase != PHASE_FADE_IN && phase != PHASE_FADE_OUT) return;
    const float* color = phase == PHASE_FADE_IN ? fadeInColor : fadeOutColor;
    float alpha = overlayAlpha();
    drawScreenFade(width, height, color, alpha);
}

void SeasonSpring::keyPressed(int key) {
    if (!seasonKeyInRange(key)) return;
    if (key == VK_CODE_ENTER || key == VK_CODE_SPACE) return;
    if (key == VK_CODE_SHIFT) {
        shiftDown = true;
        return;
    }
    if (key == VK_CODE_CONTROL) {
        running = !running;
        return;
    }
    if (key == VK_CODE_ESCAPE) {
        startExiting();
        return;
    }
    keys[key] = true;
}

void SeasonSpring::keyReleased(int key) {
    if (seasonKeyInRange(key)) keys[key] = false;
}

void SeasonSpring::mouseMoved(int x, int y) {
    prevMouseX = mouseX;
    prevMouseY = mouseY;
    mouseX = x;
    mouseY = y;
    camera.drag(x / widthF, y / heightF, leftDown, rightDown);
}

void SeasonSpring::mousePressed(int, int, int button) {
    if (phase == PHASE_FADE_IN) return;
    if (phase == PHASE_READ) {
        frame = dissolveStart - 1;  // the dissolve starts at the next update
        return;
    }
    if (!controlsOn) return;
    if (button == 1) leftDown = true;
    else if (button == 3) rightDown = true;
    else if (button == 4) camera.zoom(-zoomStep);
    else if (button == 5) camera.zoom(zoomStep);
    camera.grab(mouseX / widthF, mouseY / heightF, leftDown, rightDown);
}

void SeasonSpring::mouseReleased(int, int, int button) {
    if (button == 1) leftDown = false;
    else if (button == 3) rightDown = false;
}

void SeasonSpring::startExiting() {
    if (phase == PHASE_FADE_OUT) return;
    if (phase == PHASE_FADE_IN)
        frame = fadeOutStart + (int)((1.0f - (float)(frame - fadeInStart) / fadeInLength) * fadeOutLength);
    else
        frame = fadeOutStart;
    phase = PHASE_FADE_OUT;
}
