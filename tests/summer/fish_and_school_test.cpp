// The word fish and the sentence school on their own: body layout, the box, turning, fleeing, and the
// school's pull, separation and scatter.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "render/bitmap_font.h"
#include "render/glyph_table.h"
#include "render/random_generator.h"
#include "seasons/summer/sentence_school.h"
#include "seasons/summer/word_fish.h"

namespace {

std::unique_ptr<BitmapFont> metricsFont() {
    return std::unique_ptr<BitmapFont>(new BitmapFont(buildGlyphMetrics(), 102, 3.0f, false));
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A fish standing still: no force, no speed, so `move` keeps its heading and only turns the body.
void still(WordFish& f) {
    f.force.clear();
    f.velocity.clear();
    f.speed = 0;
}

}  // namespace

TEST(WordFish, HeadIndexAndBodyLayout) {
    const int counts[] = {1, 2, 3, 5, 10, 20};
    const int heads[] = {0, 0, 1, 1, 3, 6};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(fishHeadIndex(counts[i]), heads[i]) << counts[i] << " letters";

    auto font = metricsFont();
    randomReset();
    WordFish fish;
    fish.init("fish", font.get(), 16.0f);
    EXPECT_EQ(fish.count, 4);
    EXPECT_EQ(fish.head, 1);
    // Kept back to front: the tail end (-x) carries the first letter, the nose the last.
    EXPECT_EQ(std::string(fish.letters.begin(), fish.letters.end()), "hsif");
    auto width = [&](char c) { return font->advanceOf(c) * 16.0f + font->spacing * 16.0f; };
    EXPECT_NEAR(fish.totalWidth, width('f') + width('i') + width('s') + width('h'), 1e-4);
    EXPECT_NEAR(fish.tailWidth, width('i') + width('f'), 1e-4);
    EXPECT_FLOAT_EQ(fish.letterWeight[3], 1.0f);  // the tail end swings most, the head not at all
    EXPECT_FLOAT_EQ(fish.letterWeight[1], 0.0f);
    EXPECT_GE(fish.wavePhase, 0.0f);
    EXPECT_LT(fish.wavePhase, 3.1415927f);
    EXPECT_EQ(randomState(), 1u * 214013u + 2531011u) << "init draws exactly one number";
}

TEST(WordFish, OneLetterAndLetterlessFishSwimWithoutDividingByZero) {
    auto font = metricsFont();
    WordFish one, none;
    one.init(".", font.get(), 16.0f);
    none.init("", font.get(), 16.0f);
    EXPECT_EQ(one.head, 0);
    EXPECT_EQ(one.tailWidth, 0.0f);
    EXPECT_EQ(one.letterPhaseStep, 0.0f);
    EXPECT_EQ(none.count, 0);
    for (int frame = 0; frame < 300; ++frame) {
        one.flee(Vec3(one.position.x + 1, 0, one.position.z), 60);
        one.update();
        none.update();
    }
    EXPECT_TRUE(finite(one.position));
    EXPECT_TRUE(finite(none.position));
    EXPECT_TRUE(std::isfinite(one.bend[0]));
    EXPECT_TRUE(std::isfinite(one.displayedHeading) && std::isfinite(none.displayedHeading));
}

TEST(WordFish, KeepInsideOnlyNudgesTheClimbForHeight) {
    auto font = metricsFont();
    WordFish fish;
    fish.init("water", font.get(), 16.0f);
    fish.inside = false;
    fish.position = Vec3(0, 300, 0);  // x and z inside, far above the box
    fish.keepInside();
    EXPECT_TRUE(fish.inside);
    EXPECT_EQ(fish.force.x, 0.0f);
    EXPECT_EQ(fish.force.z, 0.0f);
    EXPECT_FLOAT_EQ(fish.targetClimb, -1.0f);  // -(300 - 200) x 0.01

    fish.position = Vec3(250, 100, -210);  // outside in x and z
    fish.keepInside();
    EXPECT_FALSE(fish.inside);
    EXPECT_FLOAT_EQ(fish.force.x, -0.05f);
    EXPECT_FLOAT_EQ(fish.force.z, 0.01f);
}

TEST(WordFish, BodyFollowsSmallTurnsAndWhipsOnLargeOnes) {
    auto font = metricsFont();
    WordFish fish;
    fish.init("shallows", font.get(), 16.0f);

    // Exactly 45 degrees: half the way this frame, no whip.
    still(fish);
    fish.heading = 45;
    fish.displayedHeading = 0;
    fish.move();
    EXPECT_FALSE(fish.turning);
    EXPECT_FLOAT_EQ(fish.displayedHeading, 22.5f);
    EXPECT_FLOAT_EQ(fish.turnStep, -22.5f);

    // More than 45: a whip turn starts and costs 1 % of speed.
    still(fish);
    fish.speed = 2.0f;
    fish.heading = 100;
    fish.displayedHeading = 0;
    fish.move();
    EXPECT_TRUE(fish.turning);
    EXPECT_FLOAT_EQ(fish.turnAmount, 100.0f);
    EXPECT_FLOAT_EQ(fish.speed, 1.98f);
    EXPECT_FLOAT_EQ(fish.displayedHeading, 20.0f);

    // While it turns the body follows only the turn, whatever the heading does.
    still(fish);
    fish.heading = 300;
    float before = fish.displayedHeading;
    fish.move();
    EXPECT_EQ(fish.displayedHeading, before);
    EXPECT_FLOAT_EQ(fish.turnAmount, 100.0f);

    // No second turn until the whip has relaxed to exactly zero.
    int frames = 0;
    while (fish.turning && frames++ < 50) fish.bendLetters();
    ASSERT_FALSE(fish.turning);
    while (fish.blend != 0 && frames++ < 100) {
        still(fish);
        fish.heading = fish.displayedHeading + 90 > 360 ? fish.displayedHeading - 270 : fish.displayedHeading + 90;
        fish.move();
        EXPECT_FALSE(fish.turning) << "a turn started while blend was " << fish.blend;
        fish.bendLetters();
    }
    ASSERT_EQ(fish.blend, 0.0f);
    still(fish);
    fish.heading = fish.displayedHeading + 90 > 360 ? fish.displayedHeading - 270 : fish.displayedHeading + 90;
    fish.move();
    EXPECT_TRUE(fish.turning);
}

TEST(WordFish, FleeInsideTheRadiusOnly) {
    auto font = metricsFont();
    WordFish fish;
    fish.init("net", font.get(), 16.0f);
    fish.position = Vec3(10, 50, 20);

    fish.flee(Vec3(10, 0, 81), 60);  // 61 away in x-z, height ignored
    EXPECT_EQ(fish.state, WordFish::WANDER);
    fish.flee(Vec3(10, 0, 80), 60);  // exactly on the rim: still outside
    EXPECT_EQ(fish.state, WordFish::WANDER);
    EXPECT_EQ(fish.force.length(), 0.0f);

    fish.flee(Vec3(10, 400, 20), 60);  // right under it: no push, but it flees
    EXPECT_EQ(fish.state, WordFish::FLEE);
    EXPECT_EQ(fish.force.length(), 0.0f);

    fish.flee(Vec3(40, 0, 20), 60);  // 30 away: half the offset
    EXPECT_FLOAT_EQ(fish.force.x, -15.0f);

    fish.flee(Vec3(0, 0, 0), 0);  // a net without reach does nothing
    EXPECT_FLOAT_EQ(fish.force.x, -15.0f);

    fish.force.clear();
    fish.speed = 1;
    fish.steer();
    EXPECT_EQ(fish.state, WordFish::WANDER) << "one steer of fleeing, then back to wandering";
    EXPECT_FLOAT_EQ(fish.targetSpeed, 10.0f);
    EXPECT_FLOAT_EQ(fish.speed, 1.45f);
}

namespace {

// Fish at the given x positions (y = z = 0); the last one is the full stop.
std::vector<WordFish> fishAt(const BitmapFont* font, std::vector<float> xs) {
    std::vector<WordFish> fish(xs.size());
    for (size_t i = 0; i < xs.size(); ++i) {
        fish[i].init(i + 1 == xs.size() ? "." : "word", font, 16.0f);
        fish[i].position = Vec3(xs[i], 0, 0);
    }
    return fish;
}

}  // namespace

TEST(SentenceSchool, CloseMembersSwimWithThePushStragglersArePulledBack) {
    auto font = metricsFont();
    std::vector<WordFish> fish = fishAt(font.get(), {60, 0, 0, 0});
    SentenceSchool school;
    school.init(fish.data(), 0, 3, 0);
    EXPECT_EQ(school.count, 3);
    EXPECT_FLOAT_EQ(school.position.x, 20.0f);  // the centre leaves the full stop out

    school.force = Vec3(1, 0.5f, 2);
    school.gather();
    // Fish 0 lies exactly 60 from its two fellows' centre: close.
    EXPECT_FLOAT_EQ(fish[0].force.x, 1.0f);
    EXPECT_FLOAT_EQ(fish[0].force.z, 2.0f);
    EXPECT_FLOAT_EQ(fish[0].targetClimb, 0.5f) << "the push's height nudges the climb";

    fish = fishAt(font.get(), {61, 0, 0, 0});
    school.init(fish.data(), 0, 3, 0);
    school.force = Vec3(1, 0, 2);
    school.gather();
    EXPECT_FLOAT_EQ(fish[0].force.x, -0.061f + 0.08f);
    EXPECT_FLOAT_EQ(fish[0].force.z, 0.16f);
    EXPECT_FLOAT_EQ(fish[1].force.x, 1.0f);
    EXPECT_EQ(fish[0].targetClimb, 0.0f);
}

TEST(SentenceSchool, SchoolsCloserThanFiftyPushApart) {
    auto font = metricsFont();
    std::vector<WordFish> fishA = fishAt(font.get(), {0, 0, 0});
    std::vector<WordFish> fishB = fishAt(font.get(), {0, 0, 0});
    SentenceSchool schools[2];
    schools[0].init(fishA.data(), 0, 2, 0);
    schools[1].init(fishB.data(), 0, 2, 1);
    for (SentenceSchool& s : schools) {
        s.schools = schools;
        s.schoolCount = 2;
        s.inside = false;        // no random wandering
        s.cruiseTimer = 1000;    // no new cruise speed
        s.targetSpeed = 0;
    }
    auto separationAt = [&](float gap) {
        schools[0].position = Vec3(0, 150, 0);
        schools[1].position = Vec3(gap, 150, 0);
        schools[0].force.clear();
        schools[0].steer();
        return schools[0].force.x;
    };
    EXPECT_FLOAT_EQ(separationAt(40), -0.24f);
    EXPECT_FLOAT_EQ(separationAt(49.9f), -0.2994f);
    EXPECT_EQ(separationAt(50), 0.0f);
    EXPECT_EQ(separationAt(80), 0.0f);
}

TEST(SentenceSchool, ScatterJumpsToTheMembersAndNearlyStops) {
    auto font = metricsFont();
    std::vector<WordFish> fish = fishAt(font.get(), {10, 30, 80, 90});
    SentenceSchool school;
    school.init(fish.data(), 0, 3, 0);
    school.position = Vec3(-100, 150, 40);
    school.speed = 3;
    for (int frame = 0; frame < 3; ++frame) {
        fish[frame].position.z += 12;  // the members move between frames
        school.scatter();
        school.update();
        const Vec3 centre = school.memberCentre();
        EXPECT_FLOAT_EQ(school.position.x, centre.x);
        EXPECT_FLOAT_EQ(school.position.z, centre.z);
        EXPECT_FLOAT_EQ(school.speed, 0.1f);
        EXPECT_EQ(school.state, SentenceSchool::WANDER);
    }
}

TEST(SentenceSchool, SchoolsTooSmallToMeasureStayFinite) {
    auto font = metricsFont();
    // One word before the full stop, and a full stop with none.
    std::vector<WordFish> fish = fishAt(font.get(), {5, 7, 9});
    SentenceSchool schools[2];
    schools[0].init(fish.data(), 0, 1, 0);
    schools[1].init(fish.data(), 2, 2, 1);
    EXPECT_FLOAT_EQ(schools[1].position.x, 9.0f);
    for (SentenceSchool& s : schools) {
        s.schools = schools;
        s.schoolCount = 2;
    }
    for (int frame = 0; frame < 200; ++frame) {
        for (SentenceSchool& s : schools) s.update();
        for (WordFish& f : fish) f.update();
    }
    for (const SentenceSchool& s : schools) EXPECT_TRUE(finite(s.position));
    for (const WordFish& f : fish) EXPECT_TRUE(finite(f.position));
}
