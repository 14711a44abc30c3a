// Snow letters: respawning, fading near the ground, speed limits, resting and being shaken off.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/random_generator.h"
#include "tests/winter/winter_support.h"

using winter_test::SceneTest;

TEST_F(SceneTest, RespawnDrawsItsNumbersInOrderAndStartsInvisible) {
    runToPlay();
    randomReset(77);
    float f[18];
    for (float& x : f) x = randomFraction();
    const unsigned int after = randomState();

    randomReset(77);
    SnowLetter& s = scene->snow[0];
    s.shaken = true;
    s.active = false;
    scene->respawn(s);
    EXPECT_EQ(randomState(), after);  // exactly 18 draws
    EXPECT_EQ(s.position.y, f[1] * 150 + 350);
    EXPECT_EQ(s.angles.x, f[3] * 360);
    EXPECT_EQ(s.angles.y, f[4] * 360);  // y is drawn after x
    EXPECT_EQ(s.maxSpeed, (f[17] * 0.8f - 0.4f + 1.0f) * 0.65f);
    EXPECT_EQ(s.alpha, 0);
    EXPECT_TRUE(s.active && !s.shaken);

    // High up it gains 0.05 alpha per frame.
    s.position = Vec3(150, 400, 150);  // well away from the tree
    for (int i = 1; i <= 20; ++i) {
        scene->stepSnow();
        ASSERT_NEAR(s.alpha, 0.05f * i, 1e-5);
    }
    // Within 25 units of the ground level (the half size, 8) the alpha follows the height.
    s.position = Vec3(150, 20, 150);
    scene->stepSnow();
    EXPECT_NEAR(s.alpha, (s.position.y - 8) * 0.04f, 1e-6);
    // Below it: back to the top, invisible.
    s.position = Vec3(150, 8.1f, 150);
    s.velocity = Vec3(0, -0.5f, 0);
    scene->stepSnow();
    EXPECT_GE(s.position.y, 350);
    EXPECT_EQ(s.alpha, 0);
}

TEST_F(SceneTest, FallingSnowKeepsToItsSpeedLimitAndDriftsGently) {
    runToPlay();
    // Shake a third of the letters off as if they had rested on a branch.
    for (int i = 0; i < scene->letterCount; i += 3) scene->snow[i].active = false;
    scene->releaseSnow(scene->snow.data(), scene->letterCount);
    std::vector<Vec3> before(scene->letterCount);
    for (int frame = 0; frame < 900; ++frame) {
        for (int i = 0; i < scene->letterCount; ++i) before[i] = scene->snow[i].position;
        scene->update();
        for (int i = 0; i < scene->letterCount; ++i) {
            const SnowLetter& s = scene->snow[i];
            // Resting letters do not move; a letter that went up was sent back to the top.
            if (!s.active || s.position.y > before[i].y) continue;
            const float moved = (s.position - before[i]).length();
            if (s.shaken) {
                ASSERT_LE(moved, 13.0f * (1 + 1e-5f));
            } else {
                ASSERT_LT(s.maxSpeed, 0.91f);
                ASSERT_LE(moved, s.maxSpeed * (1 + 1e-3f));
                ASSERT_LE(std::fabs(s.pendingForce.x), 0.02f + 1e-7f);
                ASSERT_LE(std::fabs(s.pendingForce.z), 0.02f + 1e-7f);
            }
        }
    }
}

TEST_F(SceneTest, ReleasingSnowDrawsOneNumberPerRestingLetter) {
    scene->snow[3].active = false;
    scene->snow[10].active = false;
    scene->snow[10].addForce(Vec3(0, 5, 0));
    randomReset(9);
    randomNext();
    randomNext();
    const unsigned int expected = randomState();
    randomReset(9);
    scene->releaseSnow(scene->snow.data(), scene->letterCount);
    EXPECT_EQ(randomState(), expected);
    for (int i : {3, 10}) {
        EXPECT_TRUE(scene->snow[i].active && scene->snow[i].shaken);
        EXPECT_EQ(scene->snow[i].maxSpeed, 13.0f);
    }
    EXPECT_EQ(scene->snow[10].forces.count(), 0);  // the force pending while it rested is gone
    EXPECT_FALSE(scene->snow[4].shaken);
}

TEST_F(SceneTest, RestingSnowStaysPutUntilTheTreeIsShakenAndThenFallsThroughIt) {
    runToPlay();
    // Let the snow fall until some of it rests on the branches.
    int resting = -1;
    for (int frame = 0; frame < 6000 && resting < 0; ++frame) {
        scene->update();
        for (int i = 0; i < scene->letterCount; ++i)
            if (!scene->snow[i].active) resting = i;
    }
    ASSERT_GE(resting, 0) << "no snow settled";
    const SnowLetter before = scene->snow[resting];
    run(500);
    const SnowLetter& s = scene->snow[resting];
    EXPECT_FALSE(s.active);
    EXPECT_EQ(s.position.x, before.position.x);
    EXPECT_EQ(s.position.y, before.position.y);
    EXPECT_EQ(s.position.z, before.position.z);
    EXPECT_EQ(s.angles.x, before.angles.x);
    EXPECT_EQ(s.angles.z, before.angles.z);
    EXPECT_EQ(s.alpha, before.alpha);

    // Grab the ring at the trunk's foot and pull it out past the rim.
    pointAtGround(3, 0);
    scene->update();
    scene->mousePressed(0, 0, 1);
    ASSERT_TRUE(scene->handle->grabbed);
    pointAtGround(60, 0);
    scene->update();
    EXPECT_TRUE(s.shaken);
    EXPECT_GT(scene->tree->sway.amplitude, 0);
    // Held still out there, the pull has no strength but frees newly settled snow every frame.
    const float sway = scene->tree->sway.amplitude;
    scene->snow[resting == 0 ? 1 : 0].active = false;
    scene->update();
    EXPECT_EQ(scene->tree->sway.amplitude, sway);
    EXPECT_TRUE(scene->snow[resting == 0 ? 1 : 0].shaken);
    // Shaken snow falls straight through the branches to the ground and starts again at the top.
    bool respawned = false;
    for (int frame = 0; frame < 200 && !respawned; ++frame) {
        scene->update();
        ASSERT_TRUE(s.active);
        respawned = !s.shaken;
    }
    EXPECT_TRUE(respawned);
}
