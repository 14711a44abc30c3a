#include "seasons/winter/season_winter.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/random_generator.h"
#include "render/screen_widgets.h"
#include "seasons/winter/winter_story.h"

namespace {

const Vec3 kEye(0, 578.5f, 0);
const Vec3 kTarget(0, 130, 0);
const Vec3 kUp(0, 1, 0);
const Vec3 kParked(10000, 10000, 10000);
const float kSnowColour[3] = {0.92156863f, 0.97254902f, 1.0f};  // (235, 248, 255) / 255

}  // namespace

SeasonWinter::SeasonWinter() = default;
SeasonWinter::SeasonWinter(const char* text) : storyText(text) {}
SeasonWinter::~SeasonWinter() = default;

void SeasonWinter::init(int w, int h, BitmapFont* f) {
    width = w;
    height = h;
    widthF = static_cast<float>(w);
    heightF = static_cast<float>(h);
    font = f;
    if (font) glyphs.build(*font);
    for (int i = 0; i < 3; ++i) fadeInColour[i] = fadeOutColour[i] = 1.0f;
    story = storyText ? storyText : winterStory;
    zoomStep = 0.5f;
    pageWidth = 357.0f;
    pageHalfWidth = 178.5f;
    pageHeight = 505.2f;
    pageHalfHeight = 252.6f;
    for (float& c : letterColour) c = 0;
    PHASE_FADE_IN = 1;
    PHASE_READ = 2;
    PHASE_DISSOLVE = 3;
    PHASE_SWING = 4;
    PHASE_PLAY = 5;
    PHASE_FADE_OUT = 6;
    fadeInStart = 0;
    fadeInLength = 200;
    fadeInEnd = fadeInStart + fadeInLength;
    readLength = 3000;
    readEnd = fadeInEnd + readLength;
    dissolveLength = 100;
    dissolveEnd = readEnd + dissolveLength;
    swingLength = 100;
    swingEnd = dissolveEnd + swingLength;
    fadeOutDelay = 1;
    fadeOutStart = swingEnd + fadeOutDelay;
    fadeOutLength = 100;
    fadeOutEnd = fadeOutStart + fadeOutLength;
    phase = PHASE_FADE_IN;
    frame = 0;
    finished = false;

    branchSpecs = winterTreeRecords();

    buildLists();

    camera.set(kEye, kTarget, kUp);
    camera.yaw = 90.0f;

    tweenFrom[0] = 89.9f;
    tweenFrom[1] = 90.0f;
    tweenFrom[2] = 448.5f;
    tweenTo[0] = 18.0f;
    tweenTo[1] = 169.0f;
    tweenTo[2] = 321.0f;
    tween = std::make_unique<CameraTween>(tweenFrom, tweenTo);

    letterHalfSize = 8.0f;
    letterSize = 16.0f;
    branchRadiusBase = 6.0f;

    const int storyLength = static_cast<int>(std::strlen(story));
    char* letters = stripSpaces(story, storyLength);
    letterCount = static_cast<int>(std::strlen(letters));
    const std::vector<std::string> lines = wrapText(story, font, storyLength, 260.0f, 16.0f);

    tree = std::make_unique<SnowTree>(branchSpecs, branchRadiusBase * 0.6f);
    tree->boxList = boxList;
    handle = std::make_unique<TrunkHandle>(17.0f);
    handle->setAnchor(Vec3(0, 0, 0));

    snow.assign(letterCount, SnowLetter());
    layoutLetters(lines, letterSize);
    for (int i = 0; i < letterCount; ++i) {
        snow[i].setSize(letterHalfSize, 0.6f);
        snow[i].letter = letters[i];
        snow[i].alpha = 1.0f;
    }
    delete[] letters;

    initialised = true;
    reset();
    std::fputs("Season Winter initialised\n", stdout);
}

void SeasonWinter::buildLists() {
    groundList = glGenLists(1);
    glNewList(groundList, GL_COMPILE);
    glBegin(GL_QUADS);
    glVertex3f(-pageHalfWidth, -3.5f, -pageHalfHeight);
    glVertex3f(pageHalfWidth, -3.5f, -pageHalfHeight);
    glVertex3f(pageHalfWidth, -3.5f, pageHalfHeight);
    glVertex3f(-pageHalfWidth, -3.5f, pageHalfHeight);
    glEnd();
    glEndList();

    boxList = glGenLists(1);
    glNewList(boxList, GL_COMPILE);
    emitUnitBox();
    glEndList();
}

void SeasonWinter::layoutLetters(const std::vector<std::string>& lines, float size) {
    // The pen walks from the centre of one glyph to the centre of the next.
    const auto advance = [this](char c) { return font->advanceOf(c); };
    float y = 0;
    int k = 0;
    for (const std::string& line : lines) {
        float pen = 0;
        const int n = static_cast<int>(line.size());
        for (int i = 0; i < n; ++i) {
            if (i == 0) pen = advance(line[0]) * size * 0.5f;
            if (line[i] != ' ' && line[i] != '\n' && k < letterCount) {
                const Vec3 p(pen - 150.0f, 0, y);
                snow[k].position = p;
                snow[k].home = p;
                ++k;
            }
            if (i != n - 1) {
                pen += advance(line[i]) * size * 0.5f;
                pen += advance(line[i + 1]) * size * 0.5f + font->spacing * size;
            }
        }
        y += size;
    }
    // The middle of the block lies on z = 0.
    const float shift = (y - size) * 0.5f;
    for (SnowLetter& s : snow) s.home.z -= shift;
}

void SeasonWinter::resetLetters() {
    for (SnowLetter& s : snow) {
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
    camera.pitchVelocity = 0;
    camera.yawVelocity = 0;
    camera.zoomVelocity = 0;
    frame = 0;
    phase = PHASE_FADE_IN;
    camera.set(kEye, kTarget, kUp);
    camera.yaw = 90.0f;
    finished = false;
    swingDone = false;
    running = true;
    introDone = false;
    mouseX = mouseY = prevMouseX = prevMouseY = 0;
    leftDown = rightDown = shiftDown = false;
    // A button still held when the scene was left never reports its release here: let go of the ring.
    if (handle) handle->release();
    if (tree) tree->alpha = 0;
    for (float& c : letterColour) c = 0;
    for (bool& k : keys) k = false;
    resetLetters();
}

void SeasonWinter::update() {
    if (!initialised) return;
    if (keys[VK_CODE_A]) camera.zoom(zoomStep * -0.1f);
    if (keys[VK_CODE_Z]) camera.zoom(zoomStep * 0.1f);
    camera.update();

    if (phase == PHASE_FADE_IN) {
        frame += 1;
        handle->park();
        if (frame >= fadeInEnd) phase = PHASE_READ;
    } else if (phase == PHASE_READ) {
        frame += 1;
        handle->park();
        if (frame >= readEnd) {
            introDone = true;
            phase = PHASE_DISSOLVE;
        }
    } else if (phase == PHASE_DISSOLVE) {
        frame += 1;
        handle->park();
        // The text vanishes from the outside in behind a soft edge 100 units wide.
        const double radius = (1.0 - double(frame - readEnd) / dissolveLength) * pageHalfHeight;
        for (SnowLetter& s : snow) {
            const double r = std::sqrt(double(s.position.x) * s.position.x + double(s.position.z) * s.position.z);
            if (r > radius) {
                s.alpha = 0;
            } else if (r < radius - 100) {
                s.alpha = 1.0f;
            } else {
                s.alpha = static_cast<float>(1 - (r - (radius - 100)) * 0.01);
            }
        }
        if (frame >= dissolveEnd) {
            for (int i = 0; i < 3; ++i) letterColour[i] = kSnowColour[i];
            for (SnowLetter& s : snow) {
                respawn(s);
                s.position.y += randomFraction() * 600;
            }
            phase = PHASE_SWING;
        }
    } else if (phase == PHASE_SWING) {
        const double t =
            (1 - std::cos(double(frame - dissolveEnd) / swingLength * 3.1415927)) * 0.5;
        const float* out = tween->atEased(static_cast<float>(t));
        camera.pitch = out[0];
        camera.yaw = out[1];
        camera.distance = out[2];
        handle->park();
        frame += 1;
        if (frame >= swingEnd) {
            swingDone = true;
            phase = PHASE_PLAY;
        }
    } else if (phase == PHASE_PLAY) {
        pickGroundPoint(mouseX, mouseY);
        if (handle->drag(groundPoint)) {
            tree->shake(handle->pullAngle, handle->pullStrength);
            releaseSnow(snow.data(), letterCount);
        }
        if (tree->alpha != 255) {
            tree->alpha += 2;
            if (tree->alpha > 255) tree->alpha = 255;
        }
        if (running) stepSnow();
    } else if (phase == PHASE_FADE_OUT) {
        frame += 1;
        if (running && introDone) stepSnow();
        if (frame >= fadeOutEnd) finished = true;
    }
}

void SeasonWinter::stepSnow() {
    if (letterCount <= 0) return;
    tree->collide(snow.data(), letterCount);
    const float ground = snow[0].halfSize;
    for (SnowLetter& s : snow) {
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
    s.position.x = (randomFraction() * pageWidth - pageHalfWidth) * 0.4f;
    s.position.y = randomFraction() * 150 + 350;
    s.position.z = (randomFraction() * pageHeight - pageHalfHeight) * 0.5f;
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
    view = currentViewMatrices();
    PickRay ray;
    if (!pickRay(view, x, y, ray)) return;
    rayNear = ray.nearPoint;
    rayDir = ray.direction;
    Vec3 hit;
    // A ray along the ground finds no point: the last one stays.
    if (rayHitsPlane(ray, Vec3(0, 1, 0), Vec3(-1, 0, 0), hit)) groundPoint = hit;
}

void SeasonWinter::draw() {
    if (!initialised) return;
    camera.apply();

    glColor3ub(255, 255, 255);
    glCallList(groundList);

    const bool translucent = tree->alpha != 255;
    if (translucent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    tree->draw();
    handle->draw();
    if (translucent) glDisable(GL_BLEND);

    font->begin();
    glyphs.begin();
    for (const SnowLetter& s : snow) {
        glColor4f(letterColour[0], letterColour[1], letterColour[2], s.alpha);
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

    if (phase == PHASE_FADE_IN) {
        drawScreenFade(width, height, fadeInColour, 1.0f - float(frame - fadeInStart) / fadeInLength);
    } else if (phase == PHASE_FADE_OUT) {
        drawScreenFade(width, height, fadeOutColour, float(frame - fadeOutStart) / fadeOutLength);
    }
}

void SeasonWinter::keyPressed(int key) {
    if (!seasonKeyInRange(key)) return;
    if (key == VK_CODE_ENTER || key == VK_CODE_SPACE) return;
    if (key == VK_CODE_SHIFT) {
        shiftDown = true;
    } else if (key == VK_CODE_CONTROL) {
        running = !running;
    } else if (key == VK_CODE_ESCAPE) {
        startExiting();
    } else {
        keys[key] = true;
    }
}

void SeasonWinter::keyReleased(int key) {
    if (!seasonKeyInRange(key)) return;
    keys[key] = false;
}

void SeasonWinter::mouseMoved(int x, int y) {
    prevMouseX = mouseX;
    prevMouseY = mouseY;
    mouseX = x;
    mouseY = y;
    // A scene not yet given a screen size has nothing to normalise by.
    const float w = widthF > 0 ? widthF : 1.0f, h = heightF > 0 ? heightF : 1.0f;
    camera.drag(x / w, y / h, leftDown, rightDown);
}

void SeasonWinter::mousePressed(int, int, int button) {
    if (!initialised) return;
    if (phase == PHASE_FADE_IN) return;
    if (phase == PHASE_READ) {
        frame = readEnd - 1;  // ends the reading pause on the next update
    } else if (!swingDone) {
        return;
    } else if (button == 1) {
        leftDown = true;
        handle->press();
    } else if (button == 3) {
        rightDown = true;
    } else if (button == 4) {
        camera.zoom(-zoomStep);
    } else if (button == 5) {
        camera.zoom(zoomStep);
    }
    const float w = widthF > 0 ? widthF : 1.0f, h = heightF > 0 ? heightF : 1.0f;
    camera.grab(mouseX / w, mouseY / h, leftDown, rightDown);
}

void SeasonWinter::mouseReleased(int, int, int button) {
    if (button == 1) {
        leftDown = false;
        if (handle) handle->release();
    } else if (button == 3) {
        rightDown = false;
    }
}

void SeasonWinter::startExiting() {
    if (phase == PHASE_FADE_OUT) return;
    if (phase == PHASE_FADE_IN) {
        // The fade-out starts at the whiteness the fade-in had reached.
        const float remaining = 1.0f - float(frame - fadeInStart) / fadeInLength;
        phase = PHASE_FADE_OUT;
        frame = fadeOutStart + static_cast<int>(remaining * fadeOutLength);
    } else {
        phase = PHASE_FADE_OUT;
        frame = fadeOutStart;
    }
}
