// The Winter scene's story, layout, phases and input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "seasons/winter/winter_story.h"
#include "tests/winter/winter_support.h"

using winter_test::SceneTest;

TEST(WinterStory, HasItsCountsAndIsPlainPrintableText) {
    const int length = static_cast<int>(std::strlen(winterStory));
    int newlines = 0, letters = 0;
    for (int i = 0; i < length; ++i) {
        const char c = winterStory[i];
        ASSERT_TRUE(c == '\n' || (c >= 32 && c <= 126)) << "character " << i;
        newlines += c == '\n';
        letters += c != '\n' && c != ' ';
    }
    EXPECT_EQ(length, 676);
    EXPECT_EQ(newlines + 1, 7);
    EXPECT_EQ(letters, 549);
}

TEST_F(SceneTest, TheTextLiesOnThePageCentredOnItsMiddleLine) {
    ASSERT_EQ(scene->letterCount, 549);
    EXPECT_EQ(scene->snow[0].letter, 'W');
    float minZ = 1e9f, maxZ = -1e9f;
    for (const SnowLetter& s : scene->snow) {
        EXPECT_EQ(s.position.z, s.home.z);  // reset has put every letter at home
        EXPECT_TRUE(s.home.x >= -150 && s.home.x < 178.5f);
        minZ = std::min(minZ, s.home.z);
        maxZ = std::max(maxZ, s.home.z);
    }
    EXPECT_FLOAT_EQ(minZ, -maxZ);
    EXPECT_LT(maxZ, 252.6f);
    EXPECT_FLOAT_EQ(scene->snow[0].home.x, font->advanceOf('W') * 8 - 150);
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

    for (int i = 0; i < 200 && scene->phase != scene->PHASE_PLAY; ++i) {  // dissolve and swing
        const float zoom = scene->camera.zoomVelocity;
        for (int button : {1, 3, 4}) scene->mousePressed(0, 0, button);
        EXPECT_FALSE(scene->leftDown || scene->rightDown || scene->handle->held);
        EXPECT_EQ(scene->camera.zoomVelocity, zoom);
        scene->update();
    }
    ASSERT_EQ(scene->phase, scene->PHASE_PLAY);
    scene->mousePressed(0, 0, 1);
    EXPECT_TRUE(scene->leftDown && scene->handle->held);
    scene->mousePressed(0, 0, 4);
    EXPECT_LT(scene->camera.zoomVelocity, 0);
}

TEST_F(SceneTest, EscapeFadesOutAndPressesThereDoNothingBeforeTheSwing) {
    run(100);
    scene->keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_OUT);
    EXPECT_EQ(scene->frame, 3451);  // the whiteness the fade-in had reached
    scene->mousePressed(0, 0, 1);
    EXPECT_FALSE(scene->handle->held);
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
    EXPECT_FALSE(scene->leftDown || scene->rightDown);
    scene->keyPressed(VK_CODE_ESCAPE);  // a second Escape changes nothing
    EXPECT_EQ(scene->frame, scene->fadeOutStart);
    const float y = scene->snow[7].position.y;
    run(100);
    EXPECT_TRUE(scene->finished);
    EXPECT_EQ(scene->snow[7].position.y, y);  // the text was never read: no snow
}

TEST_F(SceneTest, TheDissolveClearsThePageFromTheEdgeInwardAndLiftsTheSnowHigh) {
    run(scene->fadeInLength);
    scene->mousePressed(0, 0, 1);
    run(51);  // half way: the edge is at 126.3, soft over the 100 units inside it
    for (const SnowLetter& s : scene->snow) {
        const float r = std::sqrt(s.position.x * s.position.x + s.position.z * s.position.z);
        EXPECT_EQ(s.alpha, r > 126.31f ? 0.0f : r < 26.29f ? 1.0f : s.alpha);
        EXPECT_TRUE(s.alpha >= 0 && s.alpha <= 1);
    }
    run(50);
    ASSERT_EQ(scene->phase, scene->PHASE_SWING);
    EXPECT_FLOAT_EQ(scene->letterColour[0], 235 / 255.0f);
    float highest = 0;
    for (const SnowLetter& s : scene->snow) {
        EXPECT_EQ(s.alpha, 0);
        EXPECT_GE(s.position.y, 350);
        highest = std::max(highest, s.position.y);
    }
    EXPECT_TRUE(highest > 700 && highest < 1100);
}

TEST_F(SceneTest, TheTreeFadesInDuringPlayAndOnlyThen) {
    run(scene->fadeInLength);
    scene->mousePressed(0, 0, 1);
    run(201);
    ASSERT_EQ(scene->phase, scene->PHASE_PLAY);
    EXPECT_EQ(scene->tree->alpha, 0);
    run(127);
    EXPECT_EQ(scene->tree->alpha, 254);
    run(10);
    EXPECT_EQ(scene->tree->alpha, 255);
    scene->keyPressed(VK_CODE_ESCAPE);
    run(99);
    EXPECT_EQ(scene->tree->alpha, 255);  // it keeps its opacity in the fade-out
    scene->update();
    ASSERT_TRUE(scene->finished);
    scene->reset();
    EXPECT_EQ(scene->tree->alpha, 0);
}

TEST_F(SceneTest, WithCtrlOffTheSnowStandsStillButTheTreeCanStillBeShakenAtMostHalfADegree) {
    runToPlay();
    run(300);
    scene->keyPressed(VK_CODE_CONTROL);
    SnowLetter& resting = scene->snow[5];
    resting.active = false;  // as if it had settled on a branch
    std::vector<float> heights;
    for (const SnowLetter& s : scene->snow) heights.push_back(s.position.y);
    run(30);
    for (int i = 0; i < scene->letterCount; ++i) ASSERT_EQ(scene->snow[i].position.y, heights[i]) << i;

    pointAtGround(0, 4);
    scene->update();
    scene->mousePressed(0, 0, 1);
    pointAtGround(0, 50);
    scene->update();
    EXPECT_GT(scene->tree->sway.amplitude, 0);
    EXPECT_TRUE(resting.shaken);
    EXPECT_EQ(resting.position.y, heights[5]);  // released, but not moving yet
    scene->keyPressed(VK_CODE_CONTROL);
    scene->update();
    EXPECT_LT(resting.position.y, heights[5]);

    // Pulls round and round the rim add up to at most half a degree of sway.
    for (int i = 0; i < 40; ++i) {
        pointAtGround(60 * std::sin(i * 0.7f), 60 * std::cos(i * 0.7f));
        scene->update();
        ASSERT_LE(scene->tree->sway.amplitude, 0.5f);
    }
    EXPECT_FLOAT_EQ(scene->tree->sway.amplitude, 0.5f);
}

TEST_F(SceneTest, EveryVisitShowsTheWholeTextBlackAndOpaque) {
    runToPlay();
    run(400);
    // Snow resting and shaken, and the ring still held when Escape is pressed.
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

    EXPECT_EQ(scene->letterColour[0], 0);
    for (const SnowLetter& s : scene->snow) {
        EXPECT_EQ(s.alpha, 1.0f);
        EXPECT_TRUE(s.active && !s.shaken);
        EXPECT_EQ(s.position.y, s.home.y);
        EXPECT_EQ(s.position.z, s.home.z);
        EXPECT_EQ(s.angles.y, 180);
    }
    // The next visit starts with no ring in hand: moving out past the rim pulls nothing.
    runToPlay();
    pointAtGround(60, 0);
    const float sway = scene->tree->sway.amplitude;
    scene->update();
    EXPECT_FALSE(scene->handle->grabbed);
    EXPECT_EQ(scene->tree->sway.amplitude, sway);
}

TEST_F(SceneTest, StrayKeysAndInputInAnyOrderLeaveTheSceneWorking) {
    for (int key : {-1, -100000, 320, 1 << 30, 319, 0, int(VK_CODE_ENTER), int(VK_CODE_SHIFT)}) scene->keyPressed(key);
    EXPECT_FALSE(scene->keys[VK_CODE_ENTER] || scene->keys[VK_CODE_SHIFT]);
    scene->mouseReleased(5, 5, 1);  // releases before presses, unknown buttons, far-off pointers
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
    for (const SnowLetter& s : scene->snow) ASSERT_TRUE(std::isfinite(s.position.x) && std::isfinite(s.position.y));
    const float distance = scene->camera.distance;
    scene->keyPressed(VK_CODE_A);
    run(20);
    EXPECT_LT(scene->camera.distance, distance);  // the zoom keys still work
}
