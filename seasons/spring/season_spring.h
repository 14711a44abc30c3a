// The Spring scene: the story lies on a field, dissolves, and every word grows as a dandelion whose
// head carries its letters. Dragging with the left button blows across the meadow and the letters come
// off as seeds and drift away; random gusts sway the stalks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/season_scene.h"
#include "render/gl.h"
#include "render/glyph_arrays.h"
#include "render/vector_math.h"
#include "seasons/spring/dandelion.h"
#include "seasons/spring/letter_seed.h"
#include "seasons/spring/seed_direction_table.h"


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

class SeasonSpring : public SeasonScene {
public:
    SeasonSpring();

    void init(int width, int height, BitmapFont* font) override;
    void reset() override;
    void draw() override;

    // Where the pointer's ray meets the ground, with the view the previous frame left.
    void pickGroundPoint(int x, int y);
    // One simulation step of the meadow.
    void stepMeadow();

    const std::vector<std::string>& lines() const { return storyLines; }  // as it lies on the field
    const std::vector<std::string>& words() const { return storyWords; }  // one dandelion each
    int dandelionCount() const { return plantCount; }
    std::vector<Dandelion>& dandelions() { return plants; }
    const std::vector<Dandelion>& dandelions() const { return plants; }
    int seedCount() const { return letterSeedCount; }
    std::vector<LetterSeed>& seeds() { return letterSeeds; }  // the letters of the words, in order
    const std::vector<LetterSeed>& seeds() const { return letterSeeds; }
    Breath& breath() { return *blower; }
    const MeadowVector& wind() const { return windNow; }  // felt by the stalks; creeps toward the gust
    int gustFrame() const { return gustClock; }
    const Vec3& groundPoint() const { return ground; }
    const Vec3& prevGroundPoint() const { return prevGround; }
    const Vec3& rayDir() const { return rayDirection; }

private:
    void stepDissolve(int elapsed, int length) override;
    void stepPlay() override {
        if (running()) stepMeadow();
    }
    void stepFadeOut() override { stepMeadow(); }

    void placeDandelion(Dandelion& d, int index, int tries);
    void layoutLetters(const std::vector<std::string>& lines);
    void resetLetters();
    void startGust();

    const char* story = springStory;
    std::vector<std::string> storyLines;
    std::vector<std::string> storyWords;
    int plantCount = 0;
    std::vector<Dandelion> plants;
    int letterSeedCount = 0;
    std::vector<LetterSeed> letterSeeds;
    std::unique_ptr<Breath> blower;
    MeadowVector windNow;
    int gustClock = 0;
    Vec3 ground;
    Vec3 prevGround;
    Vec3 rayDirection;
    GlyphArrays glyphs;  // the font's quads, drawn as arrays
    SeedDirectionTable directions;
    MeadowVector windStep;  // the last change applied to the wind
    int gustLength = 0;
    float gustAngle = 0;    // radians
    MeadowVector gust;
};
