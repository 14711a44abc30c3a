// What the four season scenes share: the pointer and its previous position, the buttons and held keys,
// the orbit camera with its drag, grab and zoom, the phase clock (fade-in, reading pause, a dissolve in
// the scenes that have one, camera swing, play, fade-out) and the fade overlay. A scene hands what is
// its own in a SceneSettings and fills in its story, objects, rules and drawing through the hooks.
#pragma once

#include <array>

#include "framework/season.h"
#include "render/camera_tween.h"
#include "render/orbit_camera.h"

class BitmapFont;

// The page every story lies on, read from straight above: a rectangle of the ground about the origin.
const float PAGE_WIDTH = 357.0f, PAGE_HALF_WIDTH = 178.5f;  // x extent
const float PAGE_DEPTH = 505.2f, PAGE_HALF_DEPTH = 252.6f;  // z extent

// What differs between the scenes' shared machinery; the defaults are what most scenes use.
struct SceneSettings {
    int fadeInLength = 200, readLength = 3000;
    int dissolveLength = 0;  // the text's dissolve after the reading pause; 0: the scene has none
    int swingLength = 100, fadeOutLength = 100;
    float zoomStep = 0.5f;   // per wheel step; a held A or Z zooms by a tenth of it each frame
    std::array<float, 3> swingFrom{{89.9f, 90.0f, 448.5f}};  // camera pitch, yaw (degrees), distance
    std::array<float, 3> swingTo{{0, 0, 0}};
    // The pi the swing eases with: 3.1415927, its float rounding or the full double; the swing's
    // frames depend on which to the last bit.
    double swingPi = 3.1415927;
    bool buttonsAfterSwing = false;  // the buttons act only once the swing has ended
    bool swingEndResumes = false;    // the end of the swing undoes a pause (Ctrl) made before it
    std::array<float, 3> fadeInColour{{1, 1, 1}};
    std::array<float, 3> fadeOutColour{{1, 1, 1}};
};

class SeasonScene : public ASeason {
public:
    // The phase ids, numbered from 1 in the scene's order; a scene without a dissolve has the id 0 for
    // it, which no phase ever has.
    const int PHASE_FADE_IN, PHASE_READ, PHASE_DISSOLVE, PHASE_SWING, PHASE_PLAY, PHASE_FADE_OUT;

    explicit SeasonScene(const SceneSettings& settings);
    SeasonScene(const SeasonScene&) = delete;
    SeasonScene& operator=(const SeasonScene&) = delete;

    // Zoom keys, the camera, then the phase clock with the scene's hooks.
    void update() override;
    void keyPressed(int key) override;
    void keyReleased(int key) override;
    void mouseMoved(int x, int y) override;
    void mousePressed(int x, int y, int button) override;
    void mouseReleased(int x, int y, int button) override;
    // Begins the fade-out; from the fade-in it continues from the whiteness reached.
    void startExiting() override;
    // The camera's view, which every scene's draw() sets first.
    void skipDraw() override { orbit.apply(); }

    int phase() const { return phaseId; }
    int frame() const { return clock; }
    int phaseStart(int id) const;   // the frame at which phase `id` starts on the clock
    int phaseLength(int id) const;
    float fadeAlpha() const;        // the fade overlay's opacity now; 0 outside the fade phases
    bool running() const { return motionOn; }    // Ctrl pauses the motion
    bool introDone() const { return readingDone; }
    bool swingDone() const { return swingEnded; }
    bool leftDown() const { return leftButton; }
    bool rightDown() const { return rightButton; }
    bool keyHeld(int key) const { return seasonKeyInRange(key) && keys[key]; }
    int mouseX() const { return pointerX; }
    int mouseY() const { return pointerY; }
    int width() const { return screenWidth; }
    int height() const { return screenHeight; }
    BitmapFont* font() const { return glyphFont; }
    const OrbitCamera& camera() const { return orbit; }

protected:
    // The shared part of init: screen size, font, phase table, the camera above the page.
    void initScene(int width, int height, BitmapFont* font);
    // The shared part of reset: the first frame of the fade-in, camera above the page, nothing held.
    void resetScene();
    // The fade overlay, drawn last in the fade phases only.
    void drawFade() const;
    // The outline of the page on the ground, in the current colour.
    void drawPageOutline() const;
    // Whether init has run; before it the scene neither moves nor draws.
    bool ready() const { return initialised; }

    // Every frame before the play phase (fade-in, reading, dissolve, swing).
    virtual void stepIntro() {}
    // Each frame of the dissolve, after the clock advanced; `elapsed` frames of `length` have passed.
    virtual void stepDissolve(int /*elapsed*/, int /*length*/) {}
    virtual void endDissolve() {}
    virtual void endSwing() {}
    virtual void stepPlay() = 0;
    // The fade-out keeps the scene moving when the story was read and the motion is not paused.
    virtual void stepFadeOut() = 0;
    // Enter and Space, which the scenes give their own meaning or none.
    virtual void actionKey(int /*key*/) {}
    // After the shared handling of a button (1 left, 3 right, 4/5 wheel) that the phase lets through.
    virtual void buttonPressed(int /*button*/) {}
    virtual void buttonReleased(int /*button*/) {}

private:
    struct PhaseSpan {
        int start = 0, length = 0;
        int end() const { return start + length; }
    };
    const PhaseSpan* spanOf(int id) const;
    void placeCameraAbovePage();
    float portraitDistanceFactor() const;

    SceneSettings settings;
    float readingDistance, playDistance;  // the camera's distances on a landscape screen
    CameraTween swing;
    OrbitCamera orbit;
    BitmapFont* glyphFont = nullptr;
    int screenWidth = 0, screenHeight = 0;
    float widthF = 0, heightF = 0;
    bool keys[SEASON_KEY_COUNT] = {};
    int pointerX = 0, pointerY = 0, prevPointerX = 0, prevPointerY = 0;
    bool leftButton = false, rightButton = false, shiftDown = false;
    bool motionOn = true, readingDone = false, swingEnded = false;
    PhaseSpan fadeIn, reading, dissolve, swinging, playing, fadeOut;
    int phaseId = 1;
    int clock = 0;
    bool initialised = false;
};
