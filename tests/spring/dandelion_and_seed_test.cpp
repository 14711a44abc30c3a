// A dandelion's life cycle, its stalk spring, and a letter seed's flight, each on its own.
#include <gtest/gtest.h>

#include <cmath>

#include "render/random_generator.h"
#include "seasons/spring/dandelion.h"
#include "seasons/spring/letter_seed.h"
#include "seasons/spring/seed_direction_table.h"

namespace {

// A plant of `n` letters with its seeds attached, the way the scene builds one.
struct Plant {
    SeedDirectionTable table;
    Dandelion d;
    std::vector<LetterSeed> seeds;

    explicit Plant(int n) : seeds(n) {
        randomReset();
        Vec3 base(10, 0, -20);
        d.init(10.0f, 10, &base, 0, 0);
        d.directions = &table;
        d.wordLength = (float)n;
        d.seedsOnHead = n;
        d.ringStep = -360.0f / (n + 3);
        d.ringRadius = (n + 3) * 1.5f;
        d.ballRadius = d.ringRadius * 0.6f;
        d.assignDirections();
        d.setSegmentLength(14.0f);
        for (int j = 0; j < n; ++j) {
            seeds[j].letter = (char)('a' + j);
            seeds[j].indexInWord = (float)j;
            seeds[j].owner = &d;
            seeds[j].halfSize = seeds[j].fullHalfSize = 8;
            seeds[j].size = seeds[j].baseSize = 16;
            d.attachSeed(&seeds[j]);
        }
    }
};

}  // namespace

TEST(Dandelion, NegativeAgeShowsNoStalkAndNoLetters) {
    Plant p(3);
    p.d.age = -50;
    p.d.update();
    EXPECT_EQ(p.d.state, p.d.SPROUT);
    EXPECT_NEAR(p.d.currentSegmentLength, 0.001f, 1e-6f);
    for (const Vec3& point : p.d.points) EXPECT_LT(point.length(), 0.01f);
    for (LetterSeed& s : p.seeds) {
        p.d.carrySeed(&s);
        EXPECT_EQ(s.alpha, 0.0f);
        EXPECT_EQ(s.size, 0.0f);
    }
    // Past age 0 the letters show.
    p.d.age = 50;
    p.d.update();
    p.d.carrySeed(&p.seeds[0]);
    EXPECT_EQ(p.seeds[0].alpha, 1.0f);
}

TEST(Dandelion, RipeWaitsThenWithersAndSleeps) {
    Plant p(2);
    p.d.age = 950;
    for (int i = 0; i < 300; ++i) p.d.update();
    EXPECT_EQ(p.d.state, p.d.RIPE);
    EXPECT_FLOAT_EQ(p.d.age, 951.0f);  // frozen once ripe

    p.d.releaseSeed(&p.seeds[0], 0, 0);
    EXPECT_EQ(p.d.state, p.d.RIPE);
    p.d.releaseSeed(&p.seeds[0], 0, 0);  // a free letter cannot be released twice
    EXPECT_EQ(p.d.seedsOnHead, 1);
    EXPECT_EQ(p.d.seedsInFlight, 1);
    p.d.releaseSeed(&p.seeds[1], 0, 0);
    EXPECT_EQ(p.d.state, p.d.WITHERING);
    EXPECT_EQ(p.d.age, 980.0f);
    EXPECT_EQ(p.d.seedsInFlight, 2);

    for (int i = 0; i < 100; ++i) p.d.update();
    EXPECT_NEAR(p.d.currentSegmentLength, 7.0f, 0.01f);  // half withered
    for (int i = 0; i < 99; ++i) p.d.update();
    EXPECT_FALSE(p.d.dormant);
    p.d.update();
    EXPECT_TRUE(p.d.dormant);
    EXPECT_EQ(p.d.age, 1180.0f);
    // Dormant, only the age goes on, up to the respawn age.
    for (int i = 0; i < 1000; ++i) p.d.update();
    EXPECT_GE(p.d.age, 1530.0f);
    EXPECT_LT(p.d.age, 1531.0f);
    p.d.carrySeed(&p.seeds[0]);
    EXPECT_FALSE(p.seeds[0].visible);
}

TEST(Dandelion, ReleaseResetsTheBlowCounter) {
    Plant p(3);
    p.d.age = 900;
    // Wind that keeps the stalk leaning past the bent radius.
    for (int i = 0; i < 400; ++i) {
        p.d.applyWind(20, 0);
        p.d.update();
    }
    ASSERT_TRUE(p.d.spring->bent);
    EXPECT_GT(p.d.blowCounter, 3);
    p.d.releaseSeed(&p.seeds[1], 1, 0);
    EXPECT_EQ(p.d.blowCounter, 0);
    EXPECT_FALSE(p.seeds[1].attached);
    EXPECT_EQ(p.seeds[1].maxSpeed, 6.0f);
    EXPECT_EQ(p.seeds[1].turnRate, 0.8f);
    // The launch force went into the pending force and the lingering force alike.
    EXPECT_GE(p.seeds[1].lingerForce.x, 10.0f);
    EXPECT_EQ(p.seeds[1].lingerForce.x, p.seeds[1].force.x);
    // Unbent, the counter counts back down.
    for (int i = 0; i < 400; ++i) p.d.update();
    EXPECT_EQ(p.d.blowCounter, 0);
}

TEST(StalkSpring, RelaxesToRestWithoutWindOrPush) {
    StalkSpring s(1.05f, 150, 200, 3, -2, 11);
    s.pos.x = 10;
    s.pos.z = 4;
    s.strength = 1;
    s.update();
    EXPECT_FLOAT_EQ(s.strength, 0.96f);
    EXPECT_EQ(s.stiffness, 200.0f);
    for (int i = 0; i < 3000; ++i) s.update();
    EXPECT_EQ(s.strength, 0.01f);
    EXPECT_NEAR(s.pos.x, 3.0f, 0.01f);
    EXPECT_NEAR(s.pos.z, -2.0f, 0.01f);
    EXPECT_FALSE(s.bent);
}

TEST(StalkSpring, PushLeansAlongThePointersMotion) {
    randomReset();
    StalkSpring s(1.05f, 150, 200, 0, 0, 11);
    for (int i = 0; i < 300; ++i) {
        s.push(-1, 0);  // the breath points against the pointer's motion, here toward -x
        s.update();
    }
    EXPECT_EQ(s.strength, 1.0f);
    EXPECT_GT(s.pos.x, 5.0f);
    EXPECT_LT(std::fabs(s.pos.z), s.pos.x);
}

namespace {

LetterSeed freeSeed(Dandelion* owner, float height) {
    LetterSeed s;
    s.owner = owner;
    s.attached = false;
    s.position = Vec3(0, height, 0);
    return s;
}

}  // namespace

TEST(LetterSeed, FadesBelowFifteenAndLandsOnce) {
    Dandelion d;
    d.seedsInFlight = 1;
    LetterSeed s = freeSeed(&d, 7.5f);
    s.gravity = Vec3(0, 0, 0);
    s.fly();
    EXPECT_FLOAT_EQ(s.alpha, 0.5f);
    s.position.y = 20;
    s.alpha = 0.3f;
    s.fly();
    EXPECT_EQ(s.alpha, 0.3f);  // above the fade height the alpha is left alone

    s = freeSeed(&d, 3.0f);
    s.velocity = Vec3(0.5f, 0, 0);
    float lastY = s.position.y;
    for (int i = 0; i < 1000 && s.visible; ++i) {
        ASSERT_GT(lastY, 0.0f);
        s.fly();
        EXPECT_GE(s.position.y, lastY - 0.3f - 1e-5f);
        if (s.visible) {
            EXPECT_FLOAT_EQ(s.alpha, s.position.y / 15.0f);
        }
        lastY = s.position.y;
    }
    ASSERT_FALSE(s.visible);
    EXPECT_LE(s.position.y, 0.0f);
    EXPECT_EQ(s.alpha, 0.0f);
    EXPECT_EQ(d.seedsInFlight, 0);
    EXPECT_EQ(s.velocity.length(), 0.0f);
    s.fly();
    EXPECT_EQ(d.seedsInFlight, 0);  // landed once only
}

TEST(LetterSeed, FallsNoFasterThanTheCap) {
    LetterSeed s = freeSeed(nullptr, 500);
    s.velocity = Vec3(0, -5, 0);
    s.lingerForce = Vec3(0, -1, 0);
    for (int i = 0; i < 50; ++i) {
        float y = s.position.y;
        s.fly();
        EXPECT_GE(s.position.y - y, -0.3f - 1e-5f);
    }
}

TEST(LetterSeed, AttachedNeverFadesOrLands) {
    Dandelion d;
    d.seedsInFlight = 2;
    LetterSeed s;
    s.owner = &d;
    s.position = Vec3(0, -5, 0);
    for (int i = 0; i < 10; ++i) s.fly();
    EXPECT_EQ(s.alpha, 1.0f);
    EXPECT_TRUE(s.visible);
    EXPECT_EQ(d.seedsInFlight, 2);
}

TEST(LetterSeed, LandedSeedKeepsCollectingTheBreath) {
    Plant p(1);
    LetterSeed& s = p.seeds[0];
    s.attached = false;
    s.visible = false;
    s.force.clear();
    s.blow(2, -4);
    s.blow(2, -4);
    EXPECT_FLOAT_EQ(s.force.x, -0.2f);
    EXPECT_FLOAT_EQ(s.force.z, 0.4f);
    // Regrowing on a sprouting head keeps the collected force...
    p.d.respawn();
    p.d.regrowSeed(&s);
    EXPECT_TRUE(s.visible && s.attached);
    EXPECT_EQ(s.size, 0.0f);
    EXPECT_FLOAT_EQ(s.force.x, -0.2f);
    // ...and the next release adds its launch force to it.
    p.d.releaseSeed(&s, 0, 0);
    EXPECT_FLOAT_EQ(s.lingerForce.x, -0.2f);
    EXPECT_FLOAT_EQ(s.lingerForce.z, 0.4f);
    EXPECT_GE(s.lingerForce.y, 0.05f);
    // Regrowing only happens on a sprouting head.
    LetterSeed other;
    other.visible = false;
    p.d.state = p.d.BLOOM;
    p.d.regrowSeed(&other);
    EXPECT_FALSE(other.visible);
}
