// The Autumn scene: the story lies as a page of letters on the ground, seen from above. After the
// reading pause the camera swings down, a whirlwind on the middle of the page lifts and circles the
// letters like leaves, the left button kicks them away from the pointer, and Enter flies them home.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/season_scene.h"
#include "render/glyph_arrays.h"
#include "render/vector_math.h"
#include "seasons/autumn/leaf_body.h"
#include "seasons/autumn/leaf_kicker.h"
#include "seasons/autumn/whirlwind.h"

// The story the letters come from: four paragraphs.
extern const char* const autumnStory;

class SeasonAutumn : public SeasonScene {
public:
    SeasonAutumn();
    // Benchmarks only: the scene made from `text` (which must outlive it) instead of the story.
    explicit SeasonAutumn(const char* text);

    void init(int width, int height, BitmapFont* font) override;
    void reset() override;
    void draw() override;

    // One physics frame of every letter: the whirlwind, their own motion, gravity, the ground.
    void stepLeaves();

    // The letters, in the order of the story's non-blank characters.
    int leafCount() const { return bodyCount; }
    LeafBody* leaves() { return bodies.get(); }
    const LeafBody* leaves() const { return bodies.get(); }
    float whirlwindRamp() const { return windRamp; }
    bool whirlwindOn() const { return windOn; }
    bool reforming() const { return flyingHome; }
    const Vec3& groundPoint() const { return kickPoint; }

private:
    void endSwing() override { windOn = true; }
    void stepPlay() override;
    void stepFadeOut() override { stepLeaves(); }
    void actionKey(int key) override;

    void layoutLetters(const std::vector<std::string>& lines);
    void resetLeaves();
    void startReform();
    void stepReform();
    void pickGroundPoint(int x, int y);

    const char* story = nullptr;
    std::unique_ptr<char[]> letters;
    int bodyCount = 0;
    std::unique_ptr<LeafBody[]> bodies;
    float windRamp = 0;  // share of the whirlwind's force applied, 0 to 1
    bool windOn = false;
    bool flyingHome = false;
    Vec3 kickPoint;      // the last point where the pointer's ray met the ground
    LeafKicker kicker{50.0f};
    Whirlwind whirlwind{Vec3(0, 0, 0)};
    GlyphArrays glyphs;  // the font's quads, drawn as arrays
    int reformFrame = 0;
};
