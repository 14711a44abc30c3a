// Rules of the four seasons that their scene tests leave open, each on its own rule class.
#include <gtest/gtest.h>

#include <vector>

#include "seasons/spring/letter_seed.h"
#include "seasons/summer/sentence_school.h"
#include "seasons/summer/word_fish.h"
#include "seasons/winter/snow_letter.h"
#include "seasons/winter/snow_tree.h"

TEST(SpringRules, ALetterSeedsDragSlowsLastFramesFlightNotThisFramesPush) {
    LetterSeed s;
    s.attached = false;
    s.position = Vec3(0, 100, 0);
    s.velocity = Vec3(1, 0, 0);
    s.force = Vec3(0, 0, 1);
    s.fly();
    EXPECT_TRUE(s.velocity.x == 0.98f && s.velocity.z == 1.0f) << s.velocity.x << " " << s.velocity.z;
}

TEST(SummerRules, WallsPushAFishBackAndAForceBeyondItsSpeedIsCutToIt) {
    WordFish fish;
    fish.init("net", nullptr, 16);
    for (float x : {-250.0f, 250.0f}) {
        fish.force.clear();
        fish.position = Vec3(x, 50, 0);
        fish.keepInside();
        EXPECT_TRUE(fish.force.x * x < 0 && !fish.inside) << "past the wall at " << x;
    }
    fish.position = fish.velocity = fish.force = Vec3();
    fish.speed = 2;
    fish.force = Vec3(3, 0, 0);  // more than the speed, less than twice it
    fish.move();
    EXPECT_NEAR(fish.position.x, 1.0f, 1e-5f) << "the speed, averaged with last frame's standstill";
}

TEST(SummerRules, ASchoolSpendsItsSteeringInTheSameFramesMove) {
    std::vector<WordFish> fish(3);
    for (WordFish& f : fish) f.init("a", nullptr, 16);
    SentenceSchool school;
    school.init(fish.data(), 0, 2, 0);
    school.update();
    EXPECT_EQ(school.force.length(), 0.0f);
    EXPECT_GT(school.velocity.length(), 0.01f);
}

TEST(WinterRules, AShakenLetterIsPushedDownFourTenthsAFrame) {
    SnowLetter s;
    s.shaken = true;
    s.maxSpeed = 13;  // as the scene gives a shaken letter: the push is not cut
    s.update();
    EXPECT_FLOAT_EQ(s.position.y, -0.4f);
}

TEST(WinterRules, TheTrunkCatchesNoSnow) {
    SnowTree tree(winterTreeRecords(), 3.6f);
    const TreeBranch& trunk = *tree.branches[0];
    SnowLetter s;  // lying flat on the trunk's axis, below every branch
    s.setSize(8, 0.6f);
    s.position = trunk.base + trunk.dir * 30;
    s.planeNormal = Vec3(0, 1, 0);
    s.planeOffset = -s.position.y;
    tree.collide(&s, 1);
    EXPECT_TRUE(s.active);
}
