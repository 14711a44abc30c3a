// The Winter scene's story, layout, phases and input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "render/random_generator.h"
#include "seasons/winter/winter_story.h"
#include "tests/winter/winter_support.h"

using winter_test::SceneTest;

TEST(WinterStory, HasItsCountsAndIsPlainPrintableText) {
    const int length = static_cast<int>(std::strlen(winterStory));
    int newlines = 0, letters = 0;
    for (int i = 0; i < length; ++i) {
        const char c = winterStory[i];
        if (c == '\n') {
            ++newlines;
        } else {
            ASSERT_TRUE(c >= 32 && c <= 126) << "character " << i;
            if (c != ' ') ++letters;
        }
    }
    EXPECT_EQ(length, 676);
    EXPECT_EQ(newlines + 1, 7);
    EXPECT_EQ(letters, 549);
    EXPECT_NE(winterStory[length - 1], '\n');
}

TEST_F(SceneTest, TheTextLiesOnThePageCentredOnItsMiddleLine) {
    ASSERT_EQ(scene->letterCount, 549);
    EXPECT_EQ(scene->snow[0].letter, 'W');
    EXPECT_EQ(scene->snow[548].letter, '.');
    float minZ = 1e9f, maxZ = -1e9f;
    for (const SnowLetter& s : scene->snow) {
        EXPECT_EQ(s.position.x, s.home.x);
        EXPECT_EQ(s.position.z, s.home.z);  // reset has put every letter at home
        EXPECT_EQ(s.alpha, 1.0f);
        EXPECT_EQ(s.size, 16.0f);
        EXPECT_FLOAT_EQ(s.stickRadiusSquared, 38.4f);
        EXPECT_GE(s.home.x, -150);
        EXPECT_LT(s.home.x, 178.5f);  // on the page
        minZ = std::min(minZ, s.home.z);
        maxZ = std::max(maxZ, s.home.z);
    }
    EXPECT_FLOAT_EQ(minZ, -maxZ);
    EXPECT_LT(maxZ, 252.6f);
    // The first glyph is centred half its width right of x = -150, on the first line.
    EXPECT_FLOAT_EQ(scene->snow[0].home.x, font->advanceOf('W') * 8 - 150);
    EXPECT_FLOAT_EQ(scene->snow[0].home.z, minZ);
}

TEST_F(SceneTest, PressesActOnlyInTheReadingPauseAndAfterTheSwing) {
    run(50);
    scene->mousePressed(0, 0, 1);  // fade-in: ignored
    EXPECT_EQ(scene->frame, 50);
    run(150);
    ASSERT_EQ(scene->phase, scene->PHASE_READ);
    scene->mousePressed(0, 0, 5);  // any button ends the reading
    scene->update();
    EXPECT_EQ(scene->phase, scene->PHASE_DISSOLVE);
    EXPECT_TRUE(scene->introDone);

    // The dissolve and the swing.
    for (int i = 0; i < 200 && scene->phase != scene->PHASE_PLAY; ++i) {
        const float zoom = scene->camera.zoomVelocity;
        scene->mousePressed(0, 0, 1);
        scene->mousePressed(0, 0, 3);
        scene->mousePressed(0, 0, 4);
        EXPECT_FALSE(scene->leftDown);
        EXPECT_FALSE(scene->rightDown);
        EXPECT_FALSE(scene->handle->held);
        EXPECT_EQ(scene->camera.zoomVelocity, zoom);
        scene->update();
    }
    ASSERT_EQ(scene->phase, scene->PHASE_PLAY);
    EXPECT_TRUE(scene->swingDone);
    scene->mousePressed(0, 0, 1);
    EXPECT_TRUE(scene->leftDown);
    EXPECT_TRUE(scene->handle->held);
    scene->mousePressed(0, 0, 4);
    EXPECT_LT(scene->camera.zoomVelocity, 0);
}

TEST_F(SceneTest, PressesInAFadeOutFromBeforeTheSwingDoNothing) {
    run(100);
    scene->keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_OUT);
    EXPECT_EQ(scene->frame, 3451);  // the whiteness the fade-in had reached
    scene->mousePressed(0, 0, 1);
    EXPECT_FALSE(scene->handle->held);
    EXPECT_EQ(scene->frame, 3451);
    run(49);
    EXPECT_FALSE(scene->finished);
    scene->update();
    EXPECT_TRUE(scene->finished);

    scene->reset();
    run(300);
    scene->keyPressed(VK_CODE_ESCAPE);  // from the reading pause
    EXPECT_EQ(scene->frame, scene->fadeOutStart);
    scene->mousePressed(0, 0, 1);
    scene->mousePressed(0, 0, 3);
    EXPECT_FALSE(scene->leftDown);
    EXPECT_FALSE(scene->rightDown);
    EXPECT_EQ(scene->frame, scene->fadeOutStart);
    scene->keyPressed(VK_CODE_ESCAPE);  // a second Escape changes nothing
    EXPECT_EQ(scene->frame, scene->fadeOutStart);
    // The letters stay on the page: the snow only moves once the reading is over.
    const Vec3 home = scene->snow[7].position;
    run(100);
    EXPECT_TRUE(scene->finished);
    EXPECT_EQ(scene->snow[7].position.y, home.y);
}

TEST_F(SceneTest, TheDissolveClearsThePageFromTheEdgeInward) {
    run(scene->fadeInLength);
    scene->mousePressed(0, 0, 1);
    run(51);  // half way: the edge is at 126.3, soft over the 100 units inside it
    ASSERT_EQ(scene->phase, scene->PHASE_DISSOLVE);
    for (const SnowLetter& s : scene->snow) {
        const float r = std::sqrt(s.position.x * s.position.x + s.position.z * s.position.z);
        if (r > 126.3f + 0.01f) {
            EXPECT_EQ(s.alpha, 0);
        }
        if (r < 26.3f - 0.01f) {
            EXPECT_EQ(s.alpha, 1);
        }
        EXPECT_GE(s.alpha, 0);
        EXPECT_LE(s.alpha, 1);
    }
    run(50);
    ASSERT_EQ(scene->phase, scene->PHASE_SWING);
    EXPECT_FLOAT_EQ(scene->letterColour[0], 235 / 255.0f);
    float lowest = 1e9f, highest = -1e9f;
    for (const SnowLetter& s : scene->snow) {
        EXPECT_EQ(s.alpha, 0);
        lowest = std::min(lowest, s.position.y);
        highest = std::max(highest, s.position.y);
    }
    EXPECT_GE(lowest, 350);
    EXPECT_LT(highest, 1100);
    EXPECT_GT(highest, 700);  // the first snowfall is spread high above the page
}

TEST_F(SceneTest, TheSwingEndsAtTheOverTheShoulderView) {
    runToPlay();
    EXPECT_NEAR(scene->camera.pitch, 18, 0.02);
    EXPECT_NEAR(scene->camera.yaw, 169, 0.04);
    EXPECT_NEAR(scene->camera.distance, 321, 0.04);
}

TEST_F(SceneTest, TheTreeFadesInDuringPlayAndOnlyThen) {
    run(scene->fadeInLength);
    scene->mousePressed(0, 0, 1);
    for (int i = 0; i < 201; ++i) {
        EXPECT_EQ(scene->tree->alpha, 0);
        scene->update();
    }
    ASSERT_EQ(scene->phase, scene->PHASE_PLAY);
    EXPECT_EQ(scene->tree->alpha, 0);
    run(127);
    EXPECT_EQ(scene->tree->alpha, 254);
    scene->update();
    EXPECT_EQ(scene->tree->alpha, 255);
    run(10);
    EXPECT_EQ(scene->tree->alpha, 255);

    scene->keyPressed(VK_CODE_ESCAPE);
    run(50);
    EXPECT_EQ(scene->tree->alpha, 255);  // it keeps its opacity in the fade-out
    run(50);
    ASSERT_TRUE(scene->finished);
    scene->reset();
    EXPECT_EQ(scene->tree->alpha, 0);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_IN);
    EXPECT_FALSE(scene->finished);
}

TEST_F(SceneTest, WithCtrlOffTheSnowStandsStillButTheTreeCanStillBeShaken) {
    runToPlay();
    run(300);
    scene->keyPressed(VK_CODE_CONTROL);
    EXPECT_FALSE(scene->running);
    // Put one letter on a branch, as if it had settled there.
    SnowLetter& resting = scene->snow[5];
    resting.active = false;
    std::vector<Vec3> before;
    for (const SnowLetter& s : scene->snow) before.push_back(s.position);
    run(30);
    for (int i = 0; i < scene->letterCount; ++i) ASSERT_EQ(scene->snow[i].position.y, before[i].y) << i;

    pointAtGround(0, 4);
    scene->update();
    scene->mousePressed(0, 0, 1);
    pointAtGround(0, 50);
    scene->update();
    EXPECT_GT(scene->tree->sway.amplitude, 0);
    EXPECT_TRUE(resting.shaken);
    EXPECT_EQ(resting.position.y, before[5].y);  // released, but not moving yet

    scene->keyPressed(VK_CODE_CONTROL);
    scene->update();
    EXPECT_LT(resting.position.y, before[5].y);
}

TEST_F(SceneTest, RepeatedPullsSwayTheTreeAtMostHalfADegree) {
    runToPlay();
    pointAtGround(2, 2);
    scene->update();
    scene->mousePressed(0, 0, 1);
    ASSERT_TRUE(scene->handle->grabbed);
    for (int i = 0; i < 40; ++i) {
        const float angle = i * 0.7f;
        pointAtGround(60 * std::sin(angle), 60 * std::cos(angle));
        scene->update();
        EXPECT_LE(scene->tree->sway.amplitude, 0.5f);
    }
    EXPECT_FLOAT_EQ(scene->tree->sway.amplitude, 0.5f);
    scene->mouseReleased(0, 0, 1);
    EXPECT_FALSE(scene->handle->held);
    pointAtGround(80, 0);
    const float amplitude = scene->tree->sway.amplitude;
    scene->update();
    EXPECT_EQ(scene->tree->sway.amplitude, amplitude);  // let go: no more pulls
}

TEST_F(SceneTest, EveryVisitShowsTheWholeTextBlackAndOpaque) {
    runToPlay();
    run(400);
    // Some snow resting, some shaken, the ring still held when Escape is pressed.
    scene->snow[0].active = false;
    scene->snow[1].active = false;
    pointAtGround(1, 1);
    scene->update();
    scene->mousePressed(0, 0, 1);
    pointAtGround(40, 0);
    scene->update();
    scene->snow[2].active = false;
    scene->keyPressed(VK_CODE_ESCAPE);
    run(100);
    ASSERT_TRUE(scene->finished);
    scene->reset();  // the button was never released while the scene was shown

    EXPECT_FALSE(scene->handle->held);
    EXPECT_FALSE(scene->handle->grabbed);
    EXPECT_EQ(scene->letterColour[0], 0);
    EXPECT_EQ(scene->letterColour[2], 0);
    for (const SnowLetter& s : scene->snow) {
        EXPECT_EQ(s.alpha, 1.0f);
        EXPECT_TRUE(s.active);
        EXPECT_FALSE(s.shaken);
        EXPECT_EQ(s.position.x, s.home.x);
        EXPECT_EQ(s.position.y, s.home.y);
        EXPECT_EQ(s.position.z, s.home.z);
        EXPECT_EQ(s.angles.y, 180);
    }
    // The next visit's play starts with no ring in hand: moving out past the rim pulls nothing.
    runToPlay();
    pointAtGround(60, 0);
    const float sway = scene->tree->sway.amplitude;
    scene->update();
    EXPECT_FALSE(scene->handle->grabbed);
    EXPECT_EQ(scene->tree->sway.amplitude, sway);
}

TEST_F(SceneTest, StrayKeysAndInputInAnyOrderLeaveTheSceneWorking) {
    for (int key : {-1, -100000, 320, 321, 1 << 30, 255, 319, 0}) {
        scene->keyPressed(key);
        scene->keyReleased(key);
    }
    scene->keyPressed(VK_CODE_ENTER);
    scene->keyPressed(VK_CODE_SPACE);
    EXPECT_FALSE(scene->keys[VK_CODE_ENTER]);
    EXPECT_FALSE(scene->keys[VK_CODE_SPACE]);
    scene->keyPressed(VK_CODE_SHIFT);
    EXPECT_TRUE(scene->shiftDown);
    EXPECT_FALSE(scene->keys[VK_CODE_SHIFT]);

    // Releases before presses, unknown buttons, pointers far outside the window.
    scene->mouseReleased(5, 5, 1);
    scene->mouseReleased(5, 5, 3);
    scene->mouseReleased(5, 5, 9);
    scene->mousePressed(5, 5, 0);
    scene->mouseMoved(-500, 9000);
    runToPlay();
    for (int i = 0; i < 50; ++i) {
        scene->mouseMoved(i % 2 ? -200 : 1000, (i * 97) % 1000 - 200);
        scene->mousePressed(0, 0, 1 + i % 6);
        scene->update();
        scene->mouseReleased(0, 0, 1 + (i * 3) % 6);
        scene->update();
    }
    for (const SnowLetter& s : scene->snow) {
        ASSERT_TRUE(std::isfinite(s.position.x) && std::isfinite(s.position.y) && std::isfinite(s.position.z));
    }
    EXPECT_TRUE(std::isfinite(scene->camera.pitch) && std::isfinite(scene->camera.distance));
    EXPECT_LE(scene->tree->sway.amplitude, 0.5f);

    // The zoom keys still work.
    scene->mouseReleased(0, 0, 1);
    const float distance = scene->camera.distance;
    scene->keyPressed(VK_CODE_A);
    run(20);
    EXPECT_LT(scene->camera.distance, distance);
    scene->keyReleased(VK_CODE_A);
    EXPECT_FALSE(scene->keys[VK_CODE_A]);
}
