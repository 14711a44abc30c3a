// The Autumn scene: the story lies as a page of letters on the ground, seen from above. After the
// reading pause the camera swings down, a whirlwind on the middle of the page lifts and circles the
// letters like leaves, the left button kicks them away from the pointer, and Enter flies them home.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/season.h"
#include "render/camera_tween.h"
#include "render/orbit_camera.h"
#include "render/vector_math.h"
#include "render/view_picking.h"
#include "seasons/autumn/leaf_body.h"
#include "seasons/autumn/leaf_kicker.h"
#include "seasons/autumn/whirlwind.h"
#include "seasons/glyph_arrays.h"

class BitmapFont;

// The story the letters come from: four paragraphs.
extern const char* const autumnStory;

class SeasonAutumn : public ASeason {
public:
    SeasonAutumn();
    // Benchmarks only: the scene made from `text` (which must outlive it) instead of the story.
    explicit SeasonAutumn(const char* text);
    SeasonAutumn(const SeasonAutumn&) = delete;
    SeasonAutumn& operator=(const SeasonAutumn&) = delete;

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

    void layoutLetters(std::vector<std::string> lines);
    void resetLeaves();
    void stepLeaves();
    void startReform();
    void stepReform();
    void pickGroundPoint(int x, int y);

    float fadeInColour[3] = {1, 1, 1};
    float fadeOutColour[3] = {1, 1, 1};
    bool keys[SEASON_KEY_COUNT] = {};
    int width = 0, height = 0;
    float widthF = 0, heightF = 0;
    int mouseX = 0, mouseY = 0, prevMouseX = 0, prevMouseY = 0;
    bool leftDown = false, rightDown = false, shiftDown = false;
    int leafCount = 0;
    std::unique_ptr<LeafBody[]> leaves;
    LeafKicker kicker{50.0f};
    float tweenFrom[3] = {89.9f, 90.0f, 448.5f};  // pitch, yaw, distance at the start of the swing
    float tweenTo[3] = {27.0f, 132.0f, 546.0f};   // and at its end
    CameraTween tween{tweenFrom, tweenTo};
    std::vector<std::string> lines;
    OrbitCamera camera;
    float zoomStep = 0.5f;
    Whirlwind whirlwind{Vec3(0, 0, 0)};
    float whirlwindRamp = 0;  // share of the whirlwind's force applied, 0 to 1
    bool whirlwindOn = false;
    bool running = true;
    bool introDone = false;
    BitmapFont* font = nullptr;
    GlyphArrays glyphs;  // the font's quads, drawn as arrays
    const char* story = nullptr;
    int storyLength = 0;
    std::unique_ptr<char[]> letters;
    int letterCount = 0;
    float letterHalfSize = 8.0f;
    float letterSize = 16.0f;
    float pageWidth = 357.0f, pageHalfWidth = 178.5f;    // x extent
    float pageHeight = 505.2f, pageHalfHeight = 252.6f;  // z extent

    // Picking: the last point where the pointer's ray met the ground, the ray, the view it came from.
    Vec3 groundPoint;
    Vec3 rayNear;
    Vec3 rayDir;
    ViewMatrices view{};

    int PHASE_FADE_IN = 1, PHASE_READ = 2, PHASE_SWING = 3, PHASE_PLAY = 4, PHASE_FADE_OUT = 5;
    int phase = 1;
    int fadeInStart = 0, fadeInLength = 200, fadeInEnd = 200;
    int readLength = 3000, readEnd = 3200;
    int swingLength = 100, swingEnd = 3300;
    int fadeOutDelay = 1, fadeOutStart = 3301, fadeOutLength = 100, fadeOutEnd = 3401;
    int frame = 0;

    int reformFrame = 0;
    int reformFrames = 60;
    bool reforming = false;

private:
    const char* storyText = nullptr;  // null: the story
    void placeCameraAbovePage();
};
