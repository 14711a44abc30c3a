// The Summer scene: the story laid out word by word on a pond, read from straight above; then the
// camera swings down, the letters stand up out of the water and every word swims off as a fish, the
// words of a sentence as one school. Holding the left button sweeps a net under the pointer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/season.h"
#include "render/camera_tween.h"
#include "render/gl.h"
#include "render/recorded_shape.h"
#include "render/orbit_camera.h"
#include "seasons/summer/sentence_school.h"
#include "seasons/summer/word_fish.h"

class BitmapFont;

// The story told on the pond: five lines, every line a whole sentence or two.
extern const char* const SUMMER_STORY;

class SeasonSummer : public ASeason {
public:
    // Members every scene has.
    float fadeInColour[3] = {1, 1, 1};
    float fadeOutColour[3] = {1, 1, 1};
    bool keys[SEASON_KEY_COUNT] = {};
    int width = 0, height = 0;
    float widthF = 0, heightF = 0;
    int mouseX = 0, mouseY = 0;
    int previousMouseX = 0, previousMouseY = 0;
    bool leftDown = false, rightDown = false, shiftDown = false;
    OrbitCamera camera;

    float zoomStep = 0.5f;
    float tweenFrom[3] = {89.9f, 90.0f, 448.5f};
    float tweenTo[3] = {29.0f, 151.0f, 672.0f};
    std::unique_ptr<CameraTween> tween;
    const char* story = SUMMER_STORY;
    bool running = true;
    bool introDone = false;
    RecordedShape pond;
    BitmapFont* font = nullptr;
    GlyphArrays glyphs;  // the font's quads, drawn as arrays

    // Where the pointer's ray met the water, and the view it was cast through.
    Vec3 netPoint;
    Vec3 rayNear;
    Vec3 rayDir;
    double modelview[16] = {};
    double projection[16] = {};
    int viewport[4] = {};

    float pondWidth = 357.0f, pondHalfWidth = 178.5f;
    float pondDepth = 505.2f, pondHalfDepth = 252.6f;

    int fishCount = 0;
    std::vector<WordFish> fish;
    int schoolCount = 0;
    std::vector<SentenceSchool> schools;
    int lineCount = 0;

    float unfoldAngle = 270.0f;
    int schoolingDelay = 100;
    int schoolingCounter = 0;

    const int PHASE_FADE_IN = 1;
    const int PHASE_READ = 2;
    const int PHASE_SWING = 3;
    const int PHASE_PLAY = 4;
    const int PHASE_FADE_OUT = 5;
    int phase = 1;
    int fadeInStart = 0, fadeInLength = 200;
    int readStart = 200, readLength = 3000;
    int swingStart = 3200, swingLength = 100;
    int playStart = 3300, playLength = 1;
    int fadeOutStart = 3301, fadeOutLength = 100;
    int fadeOutEnd = 3401;
    int frame = 0;

    SeasonSummer() = default;
    // A scene telling another text (tests lay out their own).
    explicit SeasonSummer(const char* storyText) : story(storyText) {}

    void init(int width, int height, BitmapFont* font) override;
    void reset() override;
    void update() override;
    void draw() override;
    void keyPressed(int key) override;
    void keyReleased(int key) override;
    void mouseMoved(int x, int y) override;
    void mousePressed(int x, int y, int button) override;
    void mouseReleased(int x, int y, int button) override;
    void startExiting() override;

    // The net's ray: through the view the last frame was drawn with (or the one a test installed).
    void pickWaterPoint(int x, int y);
    void scareFish();
    void animateFish();
    void buildPondShape();
    // Lays the text out as fish on the pond and groups them into schools; needs only the font's metrics.
    void layOutStory(const char* text);
    // The fade overlay's alpha in the fade phases.
    float fadeAlpha() const;
};

// The story's tokens: words, and each full stop or comma as a token of its own (see the scene).
std::vector<std::string> splitWords(const char* text, int length);
