#include "seasons/spring/season_spring.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/random_generator.h"
#include "render/screen_widgets.h"
#include "render/view_picking.h"

namespace {

const double kPi = 3.14159265358979323846;
const float kTwoPi = 6.2831855f;
const float kGustStrength = 40.0f;
const float kLetterHalfSize = 8.0f, kLetterSize = 16.0f;
const float kLineHeight = 16.0f;
const float kWrapWidth = 250.0f;
const float kMinSpacingSq = 4900.0f;  // plants start at least 70 apart when there is room

SceneSettings springScene() {
    SceneSettings s;
    s.dissolveLength = 100;
    s.fadeOutLength = 200;
    s.swingTo = {{35.0f, 61.0f, 521.0f}};
    s.swingPi = kPi;
    s.buttonsAfterSwing = true;
    s.swingEndResumes = true;
    return s;
}

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

SeasonSpring::SeasonSpring() : SeasonScene(springScene()) {
    // The first gust: its direction is drawn before its length.
    gustAngle = randomFraction() * kTwoPi;
    gustLength = 60 - (int)(randomFraction() * -300.0f);
}

void SeasonSpring::startGust() {
    gustClock = 0;
    gustAngle = randomFraction() * kTwoPi;
    gustLength = 60 - (int)(randomFraction() * -300.0f);
}

void SeasonSpring::init(int w, int h, BitmapFont* f) {
    initScene(w, h, f);
    if (f) glyphs.build(*f);

    const int storyLength = (int)std::strlen(story);
    storyLines = wrapText(story, f, storyLength, kWrapWidth, kLetterSize);
    storyWords = splitWords(story, storyLength);

    plantCount = (int)storyWords.size();
    plants.clear();
    plants.resize(plantCount);
    for (int i = 0; i < plantCount; ++i) {
        Dandelion& d = plants[i];
        placeDandelion(d, i, 20);
        float r1 = randomFraction() * 12.0f - 6.0f;
        float r2 = randomFraction() * 12.0f - 6.0f;
        d.init(10.0f, 10, &d.base, r1, r2);
    }

    letterSeedCount = 0;
    for (const std::string& word : storyWords) letterSeedCount += (int)word.size();
    letterSeeds.clear();
    letterSeeds.resize(letterSeedCount);
    int k = 0;
    for (int i = 0; i < plantCount; ++i) {
        const std::string& word = storyWords[i];
        int n = (int)word.size();
        for (int j = 0; j < n; ++j, ++k) {
            LetterSeed& s = letterSeeds[k];
            s.letter = word[j];
            s.indexInWord = (float)j;
            s.dandelionIndex = i;
            s.owner = &plants[i];
            s.attached = true;
            s.halfSize = kLetterHalfSize;
            s.size = kLetterSize;
            s.fullHalfSize = kLetterHalfSize;
            s.baseSize = kLetterSize;
        }
        Dandelion& d = plants[i];
        d.directions = &directions;
        d.wordLength = (float)n;
        d.seedsOnHead = n;
        d.ringStep = -360.0f / (n + 3);
        d.ringRadius = (n + 3) * 1.5f;
        d.ballRadius = d.ringRadius * 0.6f;
        d.assignDirections();
        d.setSegmentLength(((n * 0.125f) * 0.65f + 0.35f) * 14.0f);
    }
    for (LetterSeed& s : letterSeeds) s.owner->attachSeed(&s);

    blower.reset(new Breath(10.0f, 0.6f));

    layoutLetters(storyLines);
    reset();
    std::printf("Season Spring initialised\n");
}


void SeasonSpring::placeDandelion(Dandelion& d, int index, int tries) {
    float w = PAGE_WIDTH * 0.8f;
    float depth = PAGE_DEPTH * 0.8f;
    for (int t = 0; t < tries; ++t) {
        float x = randomFraction() * w - w / 2;
        float z = randomFraction() * depth - depth / 2;
        Vec3 candidate(x, 0, z);
        bool free = true;
        for (int j = 0; j < (int)plants.size() && free; ++j)
            if (j != index && squaredDistanceXZ(plants[j].base, candidate) < kMinSpacingSq) free = false;
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

void SeasonSpring::layoutLetters(const std::vector<std::string>& layoutLines) {
    const BitmapFont* font = this->font();
    float s = kLetterSize;
    float spacing = font ? font->spacing : 0;
    auto widthOf = [&](char c) { return font ? font->advanceOf(c) : 0.0f; };
    float z = 0;
    int k = 0;
    for (const std::string& line : layoutLines) {
        float pen = 0;
        int n = (int)line.size();
        for (int i = 0; i < n; ++i) {
            if (i == 0) pen = widthOf(line[0]) * s * 0.5f;
            if (line[i] != ' ' && line[i] != '\n' && k < letterSeedCount) {
                letterSeeds[k].home.set(pen - 150.0f, 0, z);
                k += 1;
            }
            if (i != n - 1) pen += widthOf(line[i]) * s * 0.5f + widthOf(line[i + 1]) * s * 0.5f + spacing * s;
        }
        z += kLineHeight;
    }
    for (LetterSeed& seed : letterSeeds) seed.home.z -= (z - kLineHeight) * 0.5f;
}

void SeasonSpring::resetLetters() {
    for (LetterSeed& s : letterSeeds) {
        s.position = s.home;
        s.velocity.clear();
        s.targetOrientation.fromEuler(0, 180, 0);
        s.matrix = s.targetOrientation.toMatrix();
    }
}

void SeasonSpring::reset() {
    resetScene();
    for (int i = 0; i < plantCount; ++i) {
        placeDandelion(plants[i], i, 20);
        plants[i].currentSegmentLength = 0;
        plants[i].respawn();
    }
    for (LetterSeed& s : letterSeeds) s.reset();
    resetLetters();
}

// A circle about the field's centre shrinks; letters outside it vanish behind a soft rim.
void SeasonSpring::stepDissolve(int elapsed, int length) {
    float radius = (1.0f - (float)elapsed / length) * PAGE_HALF_DEPTH;
    for (LetterSeed& s : letterSeeds) {
        float d = std::sqrt(s.position.x * s.position.x + s.position.z * s.position.z);
        if (d > radius) s.alpha = 0;
        else if (d >= radius - 100.0f) s.alpha = 1.0f - (d - (radius - 100.0f)) * 0.01f;
        else s.alpha = 1.0f;
    }
}

void SeasonSpring::pickGroundPoint(int x, int y) {
    ViewMatrices view = currentViewMatrices();
    prevGround = ground;
    PickRay ray;
    if (!pickRay(view, x, y, ray)) return;
    const Vec3 rayNear = ray.nearPoint;
    rayDirection = ray.direction;

    Vec3 normal(0, 1, 0);
    float d = planeOffset(normal, Vec3(-1, 0, 0));
    // A ray along the ground never meets it: the point stays where it was, so this step blows nothing.
    if (rayDirection.y == 0) return;
    float t = rayPlaneParameter(normal, d, rayNear, rayDirection);
    if (!std::isfinite(t)) return;
    Vec3 hit = rayNear + rayDirection * t;
    if (!std::isfinite(hit.x) || !std::isfinite(hit.z)) return;
    ground = hit;
}

void SeasonSpring::stepMeadow() {
    pickGroundPoint(mouseX(), mouseY());

    if (leftDown()) {
        blower->push((prevGround.x - ground.x) * 0.001f, (prevGround.z - ground.z) * 0.001f);
    } else {
        if (gustClock <= gustLength) {
            double e = (1.0 - std::cos(kPi * gustClock / gustLength)) * 0.5 * kGustStrength;
            gustClock += 1;
            gust.x = (float)(std::cos(gustAngle) * e);
            gust.z = (float)(std::sin(gustAngle) * e);
            if ((int)(randomFraction() * 60.0f) == 1) startGust();
        } else {
            gust.x = gust.z = 0;
            startGust();
        }
        windStep.x = (windNow.x - gust.x) * 0.001f;
        windStep.z = (windNow.z - gust.z) * 0.001f;
        windNow.x -= windStep.x;
        windNow.z -= windStep.z;
        for (Dandelion& d : plants) d.applyWind(windNow.x, windNow.z);
    }

    blower->update();

    const MeadowVector out = blower->out;
    if (out.x != 0 && out.z != 0) {
        for (Dandelion& d : plants)
            if (squaredDistanceXZ(d.base, ground) < 122500.0f) d.blow(out.x, out.z);
        for (LetterSeed& s : letterSeeds)
            if (!s.attached) s.blow(out.x, out.z);
    }

    for (int i = 0; i < plantCount; ++i) {
        Dandelion& d = plants[i];
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

    for (LetterSeed& s : letterSeeds) {
        Dandelion* owner = s.owner;
        if (!owner) continue;
        if (!s.visible) {
            owner->regrowSeed(&s);
        } else if (!s.attached) {
            s.fly();
        } else if (owner->blowCounter > 3 && squaredDistanceXZ(owner->base, ground) < 3600.0f && leftDown()) {
            if ((int)(randomFraction() * 4.0f) == 1) owner->releaseSeed(&s, -out.x, -out.z);
        } else {
            owner->carrySeed(&s);
        }
    }
}

void SeasonSpring::draw() {
    camera().apply();

    glColor3f(0, 0, 0);
    drawPageOutline();
    glColor3f(0, 0, 0);

    for (const Dandelion& d : plants)
        if (!d.dormant) d.draw();

    glColor3f(0, 0, 0);
    if (font()) {
        font()->begin();
        glyphs.begin();
    }
    for (const LetterSeed& s : letterSeeds) {
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
    drawFade();
}
