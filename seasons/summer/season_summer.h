// The Summer scene: the story laid out word by word on a pond, read from straight above; then the
// camera swings down, the letters stand up out of the water and every word swims off as a fish, the
// words of a sentence as one school. Holding the left button sweeps a net under the pointer.
#pragma once

#include <string>
#include <vector>

#include "framework/season_scene.h"
#include "render/gl.h"
#include "seasons/glyph_arrays.h"
#include "seasons/summer/sentence_school.h"
#include "seasons/summer/word_fish.h"

// The story told on the pond: five lines, every line a whole sentence or two.
extern const char* const summerStory;

class SeasonSummer : public SeasonScene {
public:
    SeasonSummer();
    // A scene telling another text (tests lay out their own).
    explicit SeasonSummer(const char* text);

    void init(int width, int height, BitmapFont* font) override;
    void reset() override;
    void draw() override;

    int fishCount = 0;
    std::vector<WordFish> fish;  // one per word, full stop and comma of the story, in text order
    int schoolCount = 0;
    std::vector<SentenceSchool> schools;  // one per sentence
    Vec3 netPoint;  // where the pointer's ray last met the water
    float unfoldAngle = 270.0f;  // 270 while the text lies flat, rising to 360 with the letters upright
    int schoolingCounter = 0;    // frames of play so far, up to the schooling delay

private:
    void stepPlay() override;
    void stepFadeOut() override { animateFish(); }

    // The net's ray: through the view the last frame was drawn with (or the one a test installed).
    void pickWaterPoint(int x, int y);
    void scareFish();
    void animateFish();
    void buildPondList();
    // Lays the text out as fish on the pond and groups them into schools; needs only the font's metrics.
    void layOutStory(const char* text);

    const char* story = nullptr;
    GLuint pondList = 0;
    GlyphArrays glyphs;  // the font's quads, drawn as arrays
    Vec3 rayNear;        // the near end of the net's ray
};
