// The Winter scene. The story lies printed in black on a white page seen from straight above; after
// the reading pause it dissolves from the edge inward and its letters become pale snow falling from a
// black sky, while the camera swings down and a brown tree fades in on the page. The snow settles on
// the branches; pulling the ring at the foot of the trunk to its rim shakes the tree and throws the
// snow off.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/season.h"
#include "render/camera_tween.h"
#include "render/gl.h"
#include "render/recorded_shape.h"
#include "render/orbit_camera.h"
#include "render/view_picking.h"
#include "seasons/glyph_arrays.h"
#include "seasons/winter/snow_letter.h"
#include "seasons/winter/snow_tree.h"
#include "seasons/winter/trunk_handle.h"

class BitmapFont;

class SeasonWinter : public ASeason {
public:
    SeasonWinter();
    // Benchmarks only: the scene made from `text` (which must outlive it) instead of the story.
    explicit SeasonWinter(const char* text);
    ~SeasonWinter() override;
    SeasonWinter(const SeasonWinter&) = delete;
    SeasonWinter& operator=(const SeasonWinter&) = delete;

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

    void layoutLetters(const std::vector<std::string>& lines, float size);
    void resetLetters();
    void stepSnow();
    // Sends a letter back up above the page, invisible, with a fresh wobble, spin and speed limit.
    void respawn(SnowLetter& letter);
    // Throws every letter resting on a branch off the tree.
    void releaseSnow(SnowLetter* letters, int count);
    // The pointer's point on the ground plane y = 0, from the view the previous frame drew with.
    void pickGroundPoint(int x, int y);
    void buildShapes();

    float fadeInColour[3] = {1, 1, 1};
    float fadeOutColour[3] = {1, 1, 1};
    bool keys[SEASON_KEY_COUNT] = {};
    int width = 0, height = 0;
    float widthF = 0, heightF = 0;
    int mouseX = 0, mouseY = 0, prevMouseX = 0, prevMouseY = 0;
    bool leftDown = false, rightDown = false, shiftDown = false;
    bool introDone = false;
    OrbitCamera camera;
    float zoomStep = 0.5f;
    std::unique_ptr<CameraTween> tween;
    float tweenFrom[3] = {89.9f, 90.0f, 448.5f};  // pitch, yaw, distance at the start of the swing
    float tweenTo[3] = {18.0f, 169.0f, 321.0f};   // and at its end
    RecordedShape box;
    RecordedShape ground;
    const char* story = nullptr;
    int letterCount = 0;
    std::vector<SnowLetter> snow;  // in the order of the story's non-blank characters
    float letterHalfSize = 8.0f, letterSize = 16.0f, branchRadiusBase = 6.0f;
    std::unique_ptr<SnowTree> tree;
    std::unique_ptr<TrunkHandle> handle;
    BitmapFont* font = nullptr;
    GlyphArrays glyphs;  // the font's quads, drawn as arrays
    // Picking: the last ground point, the ray that found it and the view it was taken from.
    Vec3 groundPoint, rayNear, rayDir;
    ViewMatrices view{};
    float pageWidth = 357.0f, pageHalfWidth = 178.5f, pageHeight = 505.2f, pageHalfHeight = 252.6f;
    float letterColour[3] = {0, 0, 0};

    // The phase machine, on one frame clock.
    int PHASE_FADE_IN = 1, PHASE_READ = 2, PHASE_DISSOLVE = 3, PHASE_SWING = 4, PHASE_PLAY = 5,
        PHASE_FADE_OUT = 6;
    int phase = 1;
    int fadeInStart = 0, fadeInLength = 200, fadeInEnd = 200;
    int readLength = 3000, readEnd = 3200;
    int dissolveLength = 100, dissolveEnd = 3300;
    int swingLength = 100, swingEnd = 3400;
    int fadeOutDelay = 1, fadeOutStart = 3401, fadeOutLength = 100, fadeOutEnd = 3501;
    int frame = 0;
    bool running = true;    // the snow moves; Ctrl toggles it
    bool swingDone = false; // the mouse buttons act only after the swing
    std::vector<BranchSpec> branchSpecs;

private:
    const char* storyText = nullptr;  // null: the story
    bool initialised = false;
};
