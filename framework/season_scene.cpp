#include "framework/season_scene.h"

#include <cmath>

#include "render/gl.h"
#include "render/screen_widgets.h"

namespace {

// A pointer coordinate as a fraction of the screen; a screen without a size gives 0.
float fractionOf(int v, float size) { return size > 0 ? v / size : 0.0f; }

}  // namespace

SeasonScene::SeasonScene(const SceneSettings& s)
    : PHASE_FADE_IN(1),
      PHASE_READ(2),
      PHASE_DISSOLVE(s.dissolveLength > 0 ? 3 : 0),
      PHASE_SWING(s.dissolveLength > 0 ? 4 : 3),
      PHASE_PLAY(PHASE_SWING + 1),
      PHASE_FADE_OUT(PHASE_SWING + 2),
      settings(s),
      readingDistance(s.swingFrom[2]),
      playDistance(s.swingTo[2]),
      swing(settings.swingFrom.data(), settings.swingTo.data()) {
    // One clock: each phase starts where the one before it ends; play lasts a frame on it.
    fadeIn = {0, s.fadeInLength};
    reading = {fadeIn.end(), s.readLength};
    dissolve = {reading.end(), s.dissolveLength};
    swinging = {dissolve.end(), s.swingLength};
    playing = {swinging.end(), 1};
    fadeOut = {playing.end(), s.fadeOutLength};
}

const SeasonScene::PhaseSpan* SeasonScene::spanOf(int id) const {
    if (id == PHASE_FADE_IN) return &fadeIn;
    if (id == PHASE_READ) return &reading;
    if (id == PHASE_DISSOLVE && id != 0) return &dissolve;
    if (id == PHASE_SWING) return &swinging;
    if (id == PHASE_PLAY) return &playing;
    if (id == PHASE_FADE_OUT) return &fadeOut;
    return nullptr;
}

int SeasonScene::phaseStart(int id) const {
    const PhaseSpan* span = spanOf(id);
    return span ? span->start : 0;
}

int SeasonScene::phaseLength(int id) const {
    const PhaseSpan* span = spanOf(id);
    return span ? span->length : 0;
}

// Straight above the page: distance 448.5 (farther on a tall screen), pitch 90, yaw 90.
void SeasonScene::placeCameraAbovePage() {
    orbit.set(Vec3(0, 130 + settings.swingFrom[2], 0), Vec3(0, 130, 0), Vec3(0, 1, 0));
    orbit.yaw = 90.0f;
}

// On a screen wider than the page (every landscape one) the page's depth fills the height and the
// distances stay as they are. On a taller, narrower screen the camera stands back until the page's
// width takes the share of the screen's width that its depth takes of the height, and the play view
// stands back as far, so that what the scene is played with stays in view.
float SeasonScene::portraitDistanceFactor() const {
    if (screenHeight <= screenWidth) return 1.0f;
    const float factor = (PAGE_WIDTH / PAGE_DEPTH) / (widthF / heightF);
    return factor > 1.0f ? factor : 1.0f;
}

void SeasonScene::initScene(int width, int height, BitmapFont* font) {
    screenWidth = width;
    screenHeight = height;
    widthF = (float)width;
    heightF = (float)height;
    glyphFont = font;
    const float factor = portraitDistanceFactor();
    settings.swingFrom[2] = readingDistance * factor;
    settings.swingTo[2] = playDistance * factor;
    placeCameraAbovePage();
    initialised = true;
}

void SeasonScene::resetScene() {
    orbit.pitchVelocity = 0;
    orbit.yawVelocity = 0;
    orbit.zoomVelocity = 0;
    placeCameraAbovePage();
    phaseId = PHASE_FADE_IN;
    clock = 0;
    finished = false;
    motionOn = true;
    readingDone = false;
    swingEnded = false;
    pointerX = pointerY = prevPointerX = prevPointerY = 0;
    leftButton = rightButton = shiftDown = false;
    for (bool& key : keys) key = false;
}

void SeasonScene::update() {
    if (!initialised) return;
    if (keys[VK_CODE_A]) orbit.zoom(settings.zoomStep * -0.1f);
    if (keys[VK_CODE_Z]) orbit.zoom(settings.zoomStep * 0.1f);
    orbit.update();

    if (phaseId == PHASE_FADE_IN) {
        clock += 1;
        stepIntro();
        if (clock >= fadeIn.end()) phaseId = PHASE_READ;
    } else if (phaseId == PHASE_READ) {
        clock += 1;
        stepIntro();
        if (clock >= reading.end()) {
            readingDone = true;
            phaseId = PHASE_DISSOLVE != 0 ? PHASE_DISSOLVE : PHASE_SWING;
        }
    } else if (phaseId == PHASE_DISSOLVE) {
        clock += 1;
        stepIntro();
        stepDissolve(clock - dissolve.start, dissolve.length);
        if (clock >= dissolve.end()) {
            endDissolve();
            phaseId = PHASE_SWING;
        }
    } else if (phaseId == PHASE_SWING) {
        // Eased from the frame before the clock advances.
        const double t =
            (1.0 - std::cos((double)(clock - swinging.start) / swinging.length * settings.swingPi)) * 0.5;
        const float* out = swing.atEased((float)t);
        orbit.pitch = out[0];
        orbit.yaw = out[1];
        orbit.distance = out[2];
        stepIntro();
        clock += 1;
        if (clock >= swinging.end()) {
            swingEnded = true;
            if (settings.swingEndResumes) motionOn = true;
            phaseId = PHASE_PLAY;
            endSwing();
        }
    } else if (phaseId == PHASE_PLAY) {
        stepPlay();  // the clock stands still
    } else if (phaseId == PHASE_FADE_OUT) {
        clock += 1;
        if (motionOn && readingDone) stepFadeOut();
        if (clock >= fadeOut.end()) finished = true;
    }
}

float SeasonScene::fadeAlpha() const {
    if (phaseId == PHASE_FADE_IN) return 1.0f - (float)(clock - fadeIn.start) / fadeIn.length;
    if (phaseId == PHASE_FADE_OUT) return (float)(clock - fadeOut.start) / fadeOut.length;
    return 0.0f;
}

void SeasonScene::drawFade() const {
    if (phaseId == PHASE_FADE_IN) {
        drawScreenFade(screenWidth, screenHeight, settings.fadeInColour.data(), fadeAlpha());
    } else if (phaseId == PHASE_FADE_OUT) {
        drawScreenFade(screenWidth, screenHeight, settings.fadeOutColour.data(), fadeAlpha());
    }
}

void SeasonScene::keyPressed(int key) {
    if (!seasonKeyInRange(key)) return;
    if (key == VK_CODE_ENTER || key == VK_CODE_SPACE) {
        actionKey(key);  // never held in the table
    } else if (key == VK_CODE_SHIFT) {
        shiftDown = true;
    } else if (key == VK_CODE_CONTROL) {
        motionOn = !motionOn;
    } else if (key == VK_CODE_ESCAPE) {
        startExiting();
    } else {
        keys[key] = true;
    }
}

void SeasonScene::keyReleased(int key) {
    if (seasonKeyInRange(key)) keys[key] = false;
}

void SeasonScene::mouseMoved(int x, int y) {
    prevPointerX = pointerX;
    prevPointerY = pointerY;
    pointerX = x;
    pointerY = y;
    // The camera turns only while the right button is held.
    orbit.drag(fractionOf(x, widthF), fractionOf(y, heightF), leftButton, rightButton);
}

void SeasonScene::mousePressed(int, int, int button) {
    if (phaseId == PHASE_FADE_IN) return;
    if (phaseId == PHASE_READ) {
        clock = reading.end() - 1;  // any button ends the reading pause at the next update
        return;
    }
    if (settings.buttonsAfterSwing && !swingEnded) return;
    if (button == 1) {
        leftButton = true;
    } else if (button == 3) {
        rightButton = true;
    } else if (button == 4) {
        orbit.zoom(-settings.zoomStep);
    } else if (button == 5) {
        orbit.zoom(settings.zoomStep);
    }
    buttonPressed(button);
    // From the pointer's stored position, not the press's.
    orbit.grab(fractionOf(pointerX, widthF), fractionOf(pointerY, heightF), leftButton, rightButton);
}

void SeasonScene::mouseReleased(int, int, int button) {
    if (button == 1) {
        leftButton = false;
    } else if (button == 3) {
        rightButton = false;
    }
    buttonReleased(button);
}

void SeasonScene::startExiting() {
    if (phaseId == PHASE_FADE_OUT) return;
    if (phaseId == PHASE_FADE_IN) {
        const float left = 1.0f - (float)(clock - fadeIn.start) / fadeIn.length;
        clock = fadeOut.start + (int)(left * fadeOut.length);
    } else {
        clock = fadeOut.start;
    }
    phaseId = PHASE_FADE_OUT;
}

void SeasonScene::drawPageOutline() const {
    glBegin(GL_LINE_STRIP);
    glVertex3f(-PAGE_HALF_WIDTH, 0, -PAGE_HALF_DEPTH);
    glVertex3f(PAGE_HALF_WIDTH, 0, -PAGE_HALF_DEPTH);
    glVertex3f(PAGE_HALF_WIDTH, 0, PAGE_HALF_DEPTH);
    glVertex3f(-PAGE_HALF_WIDTH, 0, PAGE_HALF_DEPTH);
    glVertex3f(-PAGE_HALF_WIDTH, 0, -PAGE_HALF_DEPTH);
    glEnd();
}
