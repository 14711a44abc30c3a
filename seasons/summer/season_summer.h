// The Summer scene: the story laid out word by word on a pond, read from straight above; then the
// camera swings down, the letters stand up out of the water and every word swims off as a fish, the
// words of a sentence as one school. Holding the left button sweeps a net under the pointer.
#pragma once

#include <string>
#include <vector>

#include "framework/season_scene.h"
#include "render/gl.h"
#include "render/glyph_arrays.h"
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
    void skipDraw() override;

    // One fish per word, full stop and comma of the story, in text order; one school per sentence.
    int fishCount() const { return swimmerCount; }
    std::vector<WordFish>& fish() { return swimmers; }
    const std::vector<WordFish>& fish() const { return swimmers; }
    int schoolCount() const { return sentenceCount; }
    std::vector<SentenceSchool>& schools() { return sentenceSchools; }
    const std::vector<SentenceSchool>& schools() const { return sentenceSchools; }
    const Vec3& netPoint() const { return net; }  // where the pointer's ray last met the water
    float unfoldAngle() const { return unfold; }   // 270 with the text flat, 360 with the letters upright
    int schoolingCounter() const { return schoolingFrames; }  // frames of play, up to the delay

private:
    void dampUnfoldingBends();
    void stepPlay() override;
    void stepFadeOut() override { animateFish(); }

    // The net's ray: through the view the last frame was drawn with (or the one a test installed).
    void pickWaterPoint(int x, int y);
    void scareFish();
    void animateFish();
    // Lays the text out as fish on the pond and groups them into schools; needs only the font's metrics.
    void layoutFish(const char* text);

    const char* story = nullptr;
    int swimmerCount = 0;
    std::vector<WordFish> swimmers;
    int sentenceCount = 0;
    std::vector<SentenceSchool> sentenceSchools;
    Vec3 net;
    float unfold = 270.0f;
    int schoolingFrames = 0;
    GlyphArrays glyphs;  // the font's quads, drawn as arrays
    Vec3 rayNear;        // the near end of the net's ray
};
