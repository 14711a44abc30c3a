#include "seasons/autumn/season_autumn.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/gl.h"
#include "render/screen_widgets.h"

namespace {

const double swingPi = 3.1415927;

// A pointer coordinate as a fraction of the screen; a screen without a size gives 0.
float fractionOf(int v, float size) { return size > 0 ? v / size : 0.0f; }

float lerp(float from, float to, double t) {
    if (t == 1.0) return to;
    return (float)(from + ((double)to - from) * t);
}

}  // namespace

SeasonAutumn::SeasonAutumn() = default;
SeasonAutumn::SeasonAutumn(const char* text) : storyText(text) {}

void SeasonAutumn::placeCameraAbovePage() {
    camera.set(Vec3(0, 578.5f, 0), Vec3(0, 130, 0), Vec3(0, 1, 0));
    camera.yaw = 90.0f;
}

void SeasonAutumn::init(int w, int h, BitmapFont* f) {
    width = w;
    height = h;
    widthF = (float)w;
    heightF = (float)h;
    font = f;
    if (font) glyphs.build(*font);
    for (int i = 0; i < 3; ++i) fadeInColour[i] = fadeOutColour[i] = 1.0f;

    PHASE_FADE_IN = 1;
    PHASE_READ = 2;
    PHASE_SWING = 3;
    PHASE_PLAY = 4;
    PHASE_FADE_OUT = 5;
    fadeInStart = 0;
    fadeInLength = 200;
    fadeInEnd = fadeInStart + fadeInLength;
    readLength = 3000;
    readEnd = fadeInEnd + readLength;
    swingLength = 100;
    swingEnd = readEnd + swingLength;
    fadeOutDelay = 1;
    fadeOutStart = swingEnd + fadeOutDelay;
    fadeOutLength = 100;
    fadeOutEnd = fadeOutStart + fadeOutLength;
    story = storyText ? storyText : autumnStory;
    zoomStep = 0.5f;
    pageWidth = 357.0f;
    pageHalfWidth = 178.5f;
    pageHeight = 505.2f;
    pageHalfHeight = 252.6f;

    placeCameraAbovePage();

    const float from[3] = {89.9f, 90.0f, 448.5f};
    const float to[3] = {27.0f, 132.0f, 546.0f};
    for (int i = 0; i < 3; ++i) {
        tweenFrom[i] = from[i];
        tweenTo[i] = to[i];
    }
    tween = CameraTween(tweenFrom, tweenTo);

    kicker = LeafKicker(50.0f);
    whirlwind = Whirlwind(Vec3(0, 0, 0));
    reformFrames = 60;

    storyLength = (int)std::strlen(story);
    lines = font ? wrapText(story, font, storyLength, 250.0f, 16.0f) : std::vector<std::string>();
    letters.reset(stripSpaces(story, storyLength));
    letterCount = (int)std::strlen(letters.get());
    leafCount = letterCount;
    leaves.reset(new LeafBody[leafCount]);  // constructed in order: each draws its spin rates
    letterHalfSize = 8.0f;
    letterSize = 16.0f;
    layoutLetters(lines);

    reset();
    std::fputs("Season Autumn initialised\n", stdout);
}

void SeasonAutumn::layoutLetters(std::vector<std::string> textLines) {
    if (!font) return;
    float size = letterSize;
    float y = 0;
    int k = 0;
    for (const std::string& line : textLines) {
        float pen = 0;
        int n = (int)line.size();
        for (int i = 0; i < n; ++i) {
            if (i == 0) pen = font->advanceOf(line[0]) * size * 0.5f;
            if (line[i] != ' ' && line[i] != '\n' && k < leafCount) {
                leaves[k].home.set(pen - 150.0f, 0, y);
                k += 1;
            }
            if (i != n - 1) {
                pen += font->advanceOf(line[i]) * size * 0.5f;
                pen += font->advanceOf(line[i + 1]) * size * 0.5f + font->spacing * size;
            }
        }
        y += size;
    }
    // The middle of the block lies on z = 0.
    float shift = (y - size) * 0.5f;
    for (int i = 0; i < leafCount; ++i) leaves[i].home.z -= shift;
}

void SeasonAutumn::reset() {
    phase = PHASE_FADE_IN;
    frame = 0;
    finished = false;
    camera.pitchVelocity = 0;
    camera.yawVelocity = 0;
    camera.zoomVelocity = 0;
    whirlwindRamp = 0;
    whirlwindOn = false;
    running = true;
    introDone = false;
    reformFrame = 0;
    reforming = false;
    mouseX = mouseY = prevMouseX = prevMouseY = 0;
    leftDown = rightDown = shiftDown = false;
    letterHalfSize = 8.0f;
    letterSize = 16.0f;
    placeCameraAbovePage();
    for (bool& key : keys) key = false;
    resetLeaves();
}

void SeasonAutumn::resetLeaves() {
    for (int i = 0; i < leafCount; ++i) {
        LeafBody& body = leaves[i];
        body.position = body.home;
        body.velocity.clear();
        body.angles.set(0, 180, 180);
        body.halfSize = letterHalfSize;
        body.size = letterSize;
        body.letter = letters[i];
    }
}

void SeasonAutumn::update() {
    if (keys[VK_CODE_A]) camera.zoom(zoomStep * -0.1f);
    if (keys[VK_CODE_Z]) camera.zoom(zoomStep * 0.1f);
    camera.update();

    if (phase == PHASE_FADE_IN) {
        frame += 1;
        if (frame >= fadeInEnd) phase = PHASE_READ;
    } else if (phase == PHASE_READ) {
        frame += 1;
        if (frame >= readEnd) {
            introDone = true;
            phase = PHASE_SWING;
        }
    } else if (phase == PHASE_SWING) {
        double t = (1.0 - std::cos((double)(frame - readEnd) / swingLength * swingPi)) * 0.5;
        const float* out = tween.atEased((float)t);
        camera.pitch = out[0];
        camera.yaw = out[1];
        camera.distance = out[2];
        frame += 1;
        if (frame >= swingEnd) {
            whirlwindOn = true;
            phase = PHASE_PLAY;
        }
    } else if (phase == PHASE_PLAY) {
        if (leftDown && running && !reforming) {
            pickGroundPoint(mouseX, mouseY);
            kicker.setCentre(groundPoint);
            kicker.push(leaves.get(), leafCount);
        }
        if (reforming) {
            stepReform();
        } else if (running) {
            stepLeaves();
        }
    } else if (phase == PHASE_FADE_OUT) {
        frame += 1;
        if (running && introDone) stepLeaves();
        if (frame >= fadeOutEnd) finished = true;
    }
}

void SeasonAutumn::stepLeaves() {
    if (whirlwindOn) {
        if (whirlwindRamp != 1.0f) {
            whirlwindRamp += 0.02f;
            if (whirlwindRamp > 1.0f) whirlwindRamp = 1.0f;
        }
        for (int i = 0; i < leafCount; ++i) {
            const Vec3& f = whirlwind.forceAt(leaves[i].position);
            leaves[i].addForce(whirlwindRamp == 1.0f ? f : f * whirlwindRamp);
        }
    }
    for (int i = 0; i < leafCount; ++i) {
        LeafBody& body = leaves[i];
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
    for (int i = 0; i < leafCount; ++i) {
        LeafBody& body = leaves[i];
        body.savedPosition = body.position;
        body.velocity.clear();
        body.savedAngles = body.angles;
    }
    reformFrame = 0;
    reforming = true;
}

void SeasonAutumn::stepReform() {
    reformFrame += 1;
    if (reformFrame > reformFrames) {
        reforming = false;
        return;
    }
    // The last frame of the flight lands exactly: no rounding of the easing may leave a letter off.
    double t = reformFrame == reformFrames
                   ? 1.0
                   : (1.0 - std::cos((double)reformFrame / reformFrames * swingPi)) * 0.5;
    for (int i = 0; i < leafCount; ++i) {
        LeafBody& body = leaves[i];
        const Vec3& s = body.savedPosition;
        body.position.set(lerp(s.x, body.home.x, t), lerp(s.y, body.home.y, t), lerp(s.z, body.home.z, t));
        const Vec3& a = body.savedAngles;
        body.angles.set(lerp(a.x, 0.0f, t), lerp(a.y, 180.0f, t), lerp(a.z, 180.0f, t));
    }
}

void SeasonAutumn::pickGroundPoint(int x, int y) {
    view = currentViewMatrices();
    PickRay ray;
    if (!pickRay(view, x, y, ray)) return;
    rayNear = ray.nearPoint;
    rayDir = ray.direction;
    Vec3 hit;
    if (!rayHitsPlane(ray, Vec3(0, 1, 0), Vec3(-1, 0, 0), hit)) return;
    // A ray that grazes the ground meets it too far away to be a place on it; keep the last point.
    if (!std::isfinite(hit.x) || !std::isfinite(hit.y) || !std::isfinite(hit.z)) return;
    groundPoint = hit;
}

void SeasonAutumn::draw() {
    camera.apply();

    glColor3f(0, 0, 0);
    glBegin(GL_LINE_STRIP);
    glVertex3f(-pageHalfWidth, 0, -pageHalfHeight);
    glVertex3f(pageHalfWidth, 0, -pageHalfHeight);
    glVertex3f(pageHalfWidth, 0, pageHalfHeight);
    glVertex3f(-pageHalfWidth, 0, pageHalfHeight);
    glVertex3f(-pageHalfWidth, 0, -pageHalfHeight);
    glEnd();

    if (font) {
        glColor3f(0, 0, 0);
        font->begin();
        glyphs.begin();
        for (int i = 0; i < leafCount; ++i) {
            const LeafBody& body = leaves[i];
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

    float alpha;
    if (phase == PHASE_FADE_IN) {
        alpha = 1.0f - (float)(frame - fadeInStart) / fadeInLength;
    } else if (phase == PHASE_FADE_OUT) {
        alpha = (float)(frame - fadeOutStart) / fadeOutLength;
    } else {
        return;
    }
    drawScreenFade(width, height, fadeInColour, alpha);
    glMatrixMode(GL_MODELVIEW);
}

void SeasonAutumn::keyPressed(int key) {
    if (!seasonKeyInRange(key)) return;
    if (key == VK_CODE_ENTER) {
        if (phase == PHASE_PLAY) startReform();
    } else if (key == VK_CODE_SHIFT) {
        shiftDown = true;
    } else if (key == VK_CODE_CONTROL) {
        running = !running;
    } else if (key == VK_CODE_ESCAPE) {
        startExiting();
    } else if (key == VK_CODE_SPACE) {
        whirlwindOn = !whirlwindOn;
        if (!whirlwindOn) whirlwindRamp = 0;
    } else {
        keys[key] = true;
    }
}

void SeasonAutumn::keyReleased(int key) {
    if (seasonKeyInRange(key)) keys[key] = false;
}

void SeasonAutumn::mouseMoved(int x, int y) {
    prevMouseX = mouseX;
    prevMouseY = mouseY;
    mouseX = x;
    mouseY = y;
    camera.drag(fractionOf(x, widthF), fractionOf(y, heightF), leftDown, rightDown);
}

void SeasonAutumn::mousePressed(int, int, int button) {
    if (phase == PHASE_FADE_IN) return;
    if (phase == PHASE_READ) {
        frame = readEnd - 1;
        return;
    }
    if (button == 1) leftDown = true;
    if (button == 3) rightDown = true;
    if (button == 4) camera.zoom(-zoomStep);
    if (button == 5) camera.zoom(zoomStep);
    camera.grab(fractionOf(mouseX, widthF), fractionOf(mouseY, heightF), leftDown, rightDown);
}

void SeasonAutumn::mouseReleased(int, int, int button) {
    if (button == 1) leftDown = false;
    if (button == 3) rightDown = false;
}

void SeasonAutumn::startExiting() {
    if (phase == PHASE_FADE_OUT) return;
    if (phase == PHASE_FADE_IN) {
        float left = 1.0f - (float)(frame - fadeInStart) / fadeInLength;
        phase = PHASE_FADE_OUT;
        frame = fadeOutStart + (int)(left * fadeOutLength);
    } else {
        phase = PHASE_FADE_OUT;
        frame = fadeOutStart;
    }
}
