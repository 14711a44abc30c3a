// The Spring scene: the story lies on a field, dissolves, and every word grows as a dandelion whose
// head carries its letters. Dragging with the left button blows across the meadow and the letters come
// off as seeds and drift away; random gusts sway the stalks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/season.h"
#include "render/camera_tween.h"
#include "render/gl.h"
#include "render/recorded_shape.h"
#include "render/orbit_camera.h"
#include "render/vector_math.h"
#include "seasons/spring/dandelion.h"
#include "seasons/spring/letter_seed.h"
#include "seasons/spring/seed_direction_table.h"
#include "seasons/glyph_arrays.h"

class BitmapFont;

// The story the meadow grows from: 549 characters in 4 lines.
extern const char* const springStory;

// The blow accumulator: the pointer's ground motion goes in, a decaying, length-capped blow comes out.
class Breath {
public:
    MeadowVector out;   // the blow the scene reads
    MeadowVector acc;   // the accumulated blow
    float maxLength;
    float decay;

    Breath(float maxLength, float decay) : maxLength(maxLength), decay(decay) {}
    void push(float dx, float dz);
    void update();
};

class SeasonSpring : public ASeason {
public:
    SeasonSpring();

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

    // The story's words: a space starts a new word, a newline starts nothing, a full stop or a comma
    // starts a word that begins with it; anything else joins the current word.
    static std::vector<std::string> splitWords(const char* text, int length);
    void placeDandelion(Dandelion& d, int index, int tries);
    void layoutLetters(std::vector<std::string> lines);
    void resetLetters();
    void buildFieldShape();
    // Where the pointer's ray meets the ground, with the view the previous frame left.
    void pickGroundPoint(int x, int y);
    // One simulation step of the meadow.
    void stepMeadow();
    // The opacity of the fade overlay this frame (0 outside the fade phases).
    float overlayAlpha() const;

    // What every scene keeps.
    float fadeInColor[3] = {1, 1, 1};
    float fadeOutColor[3] = {1, 1, 1};
    bool keys[SEASON_KEY_COUNT] = {};
    int width = 0, height = 0;
    float widthF = 1, heightF = 1;
    int mouseX = 0, mouseY = 0;
    int prevMouseX = 0, prevMouseY = 0;
    bool leftDown = false, rightDown = false, shiftDown = false;
    OrbitCamera camera;

    float zoomStep = 0.5f;
    float tweenFrom[3] = {89.9f, 90.0f, 448.5f};
    float tweenTo[3] = {35.0f, 61.0f, 521.0f};
    std::unique_ptr<CameraTween> tween;
    const char* story = springStory;
    bool controlsOn = false;
    bool running = true;
    bool introDone = false;
    RecordedShape field;
    BitmapFont* font = nullptr;
    GlyphArrays glyphs;  // the font's quads, drawn as arrays

    Vec3 groundPoint;
    Vec3 prevGroundPoint;
    Vec3 rayNear;
    Vec3 rayDir;
    double modelview[16] = {};
    double projection[16] = {};
    int viewport[4] = {};

    float fieldWidth = 357.0f, fieldHalfWidth = 178.5f;
    float fieldDepth = 505.2f, fieldHalfDepth = 252.6f;
    int storyLength = 0;
    std::vector<std::string> lines;
    std::vector<std::string> words;
    int dandelionCount = 0;
    std::vector<Dandelion> dandelions;
    std::unique_ptr<Breath> breath;
    int seedCount = 0;
    std::vector<LetterSeed> seeds;
    SeedDirectionTable directions;

    MeadowVector wind;          // felt by the stalks; creeps toward the gust
    MeadowVector windStep;      // the last change applied to the wind
    int gustFrame = 0;
    int gustLength = 0;
    float gustAngle = 0;        // radians
    float gustStrength = 40.0f;
    MeadowVector gust;
    float letterHalfSize = 8.0f, letterSize = 16.0f;
    float minSpacingSq = 4900.0f;
    float lineHeight = 16.0f;

    int PHASE_FADE_IN = 1, PHASE_READ = 2, PHASE_DISSOLVE = 3, PHASE_SWING = 4, PHASE_PLAY = 5,
        PHASE_FADE_OUT = 6;
    int phase = 1;
    int fadeInStart = 0, fadeInLength = 200;
    int readStart = 200, readLength = 3000;
    int dissolveStart = 3200, dissolveLength = 100;
    int swingStart = 3300, swingLength = 100;
    int playStart = 3400, playLength = 1;
    int fadeOutStart = 3401, fadeOutLength = 200;
    int fadeOutEnd = 3601;
    int frame = 0;

private:
    void startGust();
};
