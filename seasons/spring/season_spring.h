// The Spring scene: the story lies on a field, dissolves, and every word grows as a dandelion whose
// head carries its letters. Dragging with the left button blows across the meadow and the letters come
// off as seeds and drift away; random gusts sway the stalks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/season_scene.h"
#include "render/gl.h"
#include "render/vector_math.h"
#include "seasons/spring/dandelion.h"
#include "seasons/spring/letter_seed.h"
#include "seasons/spring/seed_direction_table.h"
#include "seasons/glyph_arrays.h"


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

    std::vector<std::string> lines;  // the story wrapped as it lies on the field
    std::vector<std::string> words;  // one dandelion each
    int dandelionCount = 0;
    std::vector<Dandelion> dandelions;
    int seedCount = 0;
    std::vector<LetterSeed> seeds;   // the letters of the words, in order
    std::unique_ptr<Breath> breath;
    MeadowVector wind;               // felt by the stalks; creeps toward the gust
    int gustFrame = 0;
    Vec3 groundPoint;
    Vec3 prevGroundPoint;
    Vec3 rayDir;

private:
    void stepDissolve(int elapsed, int length) override;
    void stepPlay() override {
        if (running()) stepMeadow();
    }
    void stepFadeOut() override { stepMeadow(); }

    void placeDandelion(Dandelion& d, int index, int tries);
    void layoutLetters(const std::vector<std::string>& lines);
    void resetLetters();
    void buildFieldList();
    void startGust();

    const char* story = springStory;
    GLuint fieldList = 0;
    GlyphArrays glyphs;  // the font's quads, drawn as arrays
    SeedDirectionTable directions;
    MeadowVector windStep;  // the last change applied to the wind
    int gustLength = 0;
    float gustAngle = 0;    // radians
    MeadowVector gust;
    GLuint glyphListBase = 0;
};
