#include "seasons/winter/season_winter.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/random_generator.h"
#include "render/screen_widgets.h"

namespace {

const float kSnowColour[3] = {0.92156863f, 0.97254902f, 1.0f};  // (235, 248, 255) / 255
const float kLetterHalfSize = 8.0f, kLetterSize = 16.0f;
const float kBranchRadiusBase = 6.0f;
const float kWrapWidth = 260.0f;

SceneSettings winterScene() {
    SceneSettings s;
    s.dissolveLength = 100;
    s.swingTo = {{18.0f, 169.0f, 321.0f}};
    s.buttonsAfterSwing = true;
    return s;
}

}  // namespace

SeasonWinter::SeasonWinter() : SeasonWinter(winterStory) {}
SeasonWinter::SeasonWinter(const char* text) : SeasonScene(winterScene()), story(text) {}
SeasonWinter::~SeasonWinter() = default;

void SeasonWinter::init(int w, int h, BitmapFont* f) {
    initScene(w, h, f);
    if (f) glyphs.build(*f);
    for (float& c : inkColour) c = 0;

    buildShapes();

    const int storyLength = static_cast<int>(std::strlen(story));
    char* letters = stripSpaces(story, storyLength);
    flakeCount = static_cast<int>(std::strlen(letters));
    const std::vector<std::string> lines = wrapText(story, f, storyLength, kWrapWidth, kLetterSize);

    snowTree = std::make_unique<SnowTree>(winterTreeRecords(), kBranchRadiusBase * 0.6f);
    snowTree->unitBox = &box;
    ring = std::make_unique<TrunkHandle>(17.0f);
    ring->setAnchor(Vec3(0, 0, 0));

    flakes.assign(flakeCount, SnowLetter());
    layoutLetters(lines, kLetterSize);
    for (int i = 0; i < flakeCount; ++i) {
        flakes[i].setSize(kLetterHalfSize, 0.6f);
        flakes[i].letter = letters[i];
        flakes[i].alpha = 1.0f;
    }
    delete[] letters;

    reset();
    std::fputs("Season Winter initialised\n", stdout);
}

void SeasonWinter::buildShapes() {
    ground.begin(GL_QUADS);
    ground.vertex(-PAGE_HALF_WIDTH, -3.5f, -PAGE_HALF_DEPTH);
    ground.vertex(PAGE_HALF_WIDTH, -3.5f, -PAGE_HALF_DEPTH);
    ground.vertex(PAGE_HALF_WIDTH, -3.5f, PAGE_HALF_DEPTH);
    ground.vertex(-PAGE_HALF_WIDTH, -3.5f, PAGE_HALF_DEPTH);
    ground.end();

    recordUnitBox(box);
}

void SeasonWinter::layoutLetters(const std::vector<std::string>& lines, float size) {
    // The pen walks from the centre of one glyph to the centre of the next.
    const BitmapFont* f = font();
    const auto advance = [f](char c) { return f->advanceOf(c); };
    float y = 0;
    int k = 0;
    for (const std::string& line : lines) {
        float pen = 0;
        const int n = static_cast<int>(line.size());
        for (int i = 0; i < n; ++i) {
            if (i == 0) pen = advance(line[0]) * size * 0.5f;
            if (line[i] != ' ' && line[i] != '\n' && k < flakeCount) {
                const Vec3 p(pen - 150.0f, 0, y);
                flakes[k].position = p;
                flakes[k].home = p;
                ++k;
            }
            if (i != n - 1) {
                pen += advance(line[i]) * size * 0.5f;
                pen += advance(line[i + 1]) * size * 0.5f + f->spacing * size;
            }
        }
        y += size;
    }
    // The middle of the block lies on z = 0.
    const float shift = (y - size) * 0.5f;
    for (SnowLetter& s : flakes) s.home.z -= shift;
}

void SeasonWinter::resetLetters() {
    for (SnowLetter& s : flakes) {
        s.position = s.home;
        s.angles = Vec3(0, 180, 180);
        // Every visit's page shows the whole text, black and opaque, with no snow left resting or
        // falling from the last visit. The velocity and pending forces stay: the first snowfall of the
        // next visit starts from them.
        s.alpha = 1.0f;
        s.active = true;
        s.shaken = false;
    }
}

void SeasonWinter::reset() {
    resetScene();
    // A button still held when the scene was left never reports its release here: let go of the ring.
    if (ring) ring->release();
    if (snowTree) snowTree->alpha = 0;
    for (float& c : inkColour) c = 0;
    resetLetters();
}

void SeasonWinter::stepDissolve(int elapsed, int length) {
    // The text vanishes from the outside in behind a soft edge 100 units wide.
    const double radius = (1.0 - double(elapsed) / length) * PAGE_HALF_DEPTH;
    for (SnowLetter& s : flakes) {
        const double r = std::sqrt(double(s.position.x) * s.position.x + double(s.position.z) * s.position.z);
        if (r > radius) {
            s.alpha = 0;
        } else if (r < radius - 100) {
            s.alpha = 1.0f;
        } else {
            s.alpha = static_cast<float>(1 - (r - (radius - 100)) * 0.01);
        }
    }
}

// The letters become snow high above the page.
void SeasonWinter::endDissolve() {
    for (int i = 0; i < 3; ++i) inkColour[i] = kSnowColour[i];
    for (SnowLetter& s : flakes) {
        respawn(s);
        s.position.y += randomFraction() * 600;
    }
}

void SeasonWinter::stepPlay() {
    pickGroundPoint(mouseX(), mouseY());
    if (ring->drag(pullPoint)) {
        snowTree->shake(ring->pullAngle, ring->pullStrength);
        releaseSnow(flakes.data(), flakeCount);
    }
    if (snowTree->alpha != 255) {
        snowTree->alpha += 2;
        if (snowTree->alpha > 255) snowTree->alpha = 255;
    }
    if (running()) stepSnow();
}

void SeasonWinter::stepSnow() {
    if (flakeCount <= 0) return;
    snowTree->collide(flakes.data(), flakeCount);
    const float ground = flakes[0].halfSize;
    for (SnowLetter& s : flakes) {
        if (!s.active) continue;
        s.addForce(s.velocity);
        s.addForce(Vec3(0, -0.015f, 0));
        s.update();
        if (s.position.y > ground + 25) {
            s.alpha += 0.05f;
        } else if (s.position.y < ground) {
            respawn(s);
        } else {
            s.alpha = (s.position.y - ground) * 0.04f;
        }
    }
}

void SeasonWinter::respawn(SnowLetter& s) {
    s.position.x = (randomFraction() * PAGE_WIDTH - PAGE_HALF_WIDTH) * 0.4f;
    s.position.y = randomFraction() * 150 + 350;
    s.position.z = (randomFraction() * PAGE_DEPTH - PAGE_HALF_DEPTH) * 0.5f;
    s.angles.x = randomFraction() * 360;
    s.angles.z = 0;
    s.angles.y = randomFraction() * 360;
    s.spinX = randomFraction() * 3 - 1.5f;
    s.spinZ = randomFraction() * 3 - 1.5f;
    s.phaseX1 = randomFraction() * 3.14f;
    s.phaseX2 = randomFraction() * 3.14f;
    s.phaseZ1 = randomFraction() * 3.14f;
    s.phaseZ2 = randomFraction() * 3.14f;
    // Each wave has a period of 100 to 400 frames.
    s.stepX1 = 3.14f / (randomFraction() * 150 + 50);
    s.stepX2 = 3.14f / (randomFraction() * 150 + 50);
    s.amplitudeX = randomFraction() * 0.01f;
    s.stepZ1 = 3.14f / (randomFraction() * 150 + 50);
    s.stepZ2 = 3.14f / (randomFraction() * 150 + 50);
    s.amplitudeZ = randomFraction() * 0.01f;
    s.alpha = 0;
    s.maxSpeed = (randomFraction() * 0.8f - 0.4f + 1.0f) * 0.65f;
    s.active = true;
    s.shaken = false;
}

void SeasonWinter::releaseSnow(SnowLetter* letters, int count) {
    if (letters == nullptr) return;
    for (int i = 0; i < count; ++i) {
        SnowLetter& s = letters[i];
        if (s.active) continue;
        randomNext();  // drawn and discarded: keeps the shared sequence where the scene expects it
        s.forces.clear();
        s.maxSpeed = 13.0f;
        s.active = true;
        s.shaken = true;
    }
}

void SeasonWinter::pickGroundPoint(int x, int y) {
    pickView = currentViewMatrices();
    PickRay ray;
    if (!pickRay(pickView, x, y, ray)) return;
    Vec3 hit;
    // A ray along the ground finds no point: the last one stays.
    if (rayHitsPlane(ray, Vec3(0, 1, 0), Vec3(-1, 0, 0), hit)) pullPoint = hit;
}

void SeasonWinter::draw() {
    if (!ready()) return;
    camera().apply();

    glColor3ub(255, 255, 255);
    ground.draw();

    const bool translucent = snowTree->alpha != 255;
    if (translucent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    snowTree->draw();
    ring->draw();
    if (translucent) glDisable(GL_BLEND);

    font()->begin();
    glyphs.begin();
    for (const SnowLetter& s : flakes) {
        glColor4f(inkColour[0], inkColour[1], inkColour[2], s.alpha);
        glPushMatrix();
        glTranslatef(s.position.x, s.position.y, s.position.z);
        glRotatef(s.angles.x, 1, 0, 0);
        glRotatef(s.angles.y, 0, 1, 0);
        glRotatef(s.angles.z, 0, 0, 1);
        glScalef(s.size, 0, s.size);
        glyphs.drawFlat(s.letter);
        glPopMatrix();
    }
    GlyphArrays::end();
    BitmapFont::end();

    drawFade();
}

void SeasonWinter::skipDraw() {
    if (!ready()) return;
    SeasonScene::skipDraw();
    snowTree->stepSwayIfShown();
}

void SeasonWinter::buttonPressed(int button) {
    if (button == 1) ring->press();
}

void SeasonWinter::buttonReleased(int button) {
    if (button == 1 && ring) ring->release();
}
