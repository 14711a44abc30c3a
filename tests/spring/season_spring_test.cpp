// The Spring scene's phases, input, picking and meadow step, without drawing.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "spring_support.h"

using namespace spring_test;

namespace {

struct Snapshot {
    std::vector<float> ages;
    std::vector<Vec3> positions;
    unsigned int random;
};

Snapshot snapshot(const SeasonSpring& s) {
    Snapshot shot;
    for (const Dandelion& d : s.dandelions) shot.ages.push_back(d.age);
    for (const LetterSeed& seed : s.seeds) shot.positions.push_back(seed.position);
    shot.random = randomState();
    return shot;
}

bool same(const Snapshot& a, const Snapshot& b) {
    if (a.random != b.random || a.ages != b.ages) return false;
    for (size_t i = 0; i < a.positions.size(); ++i)
        if (a.positions[i].x != b.positions[i].x || a.positions[i].y != b.positions[i].y ||
            a.positions[i].z != b.positions[i].z)
            return false;
    return true;
}

}  // namespace

TEST_F(SpringScene, ClicksByPhase) {
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_IN);
    run(10);
    scene->mousePressed(5, 5, 1);
    EXPECT_EQ(scene->frame, 10);
    EXPECT_FALSE(scene->leftDown);
    run(190);
    ASSERT_EQ(scene->phase, scene->PHASE_READ);
    scene->mousePressed(5, 5, 1);
    EXPECT_EQ(scene->frame, 3199);
    EXPECT_EQ(scene->phase, scene->PHASE_READ);
    scene->update();
    EXPECT_EQ(scene->phase, scene->PHASE_DISSOLVE);
    EXPECT_TRUE(scene->introDone);

    run(50);
    int frame = scene->frame;
    scene->mousePressed(5, 5, 1);
    scene->mousePressed(5, 5, 4);
    EXPECT_EQ(scene->frame, frame);
    EXPECT_FALSE(scene->leftDown);
    EXPECT_EQ(scene->camera.zoomVelocity, 0.0f);
    run(50);
    ASSERT_EQ(scene->phase, scene->PHASE_SWING);
    scene->mousePressed(5, 5, 1);
    EXPECT_FALSE(scene->leftDown);
    run(100);
    ASSERT_EQ(scene->phase, scene->PHASE_PLAY);
    EXPECT_TRUE(scene->controlsOn);
    EXPECT_NEAR(scene->camera.pitch, 35.0f, 0.05f);  // the last swing frame is a hair short of the end
    EXPECT_NEAR(scene->camera.yaw, 61.0f, 0.05f);
    scene->mousePressed(5, 5, 1);
    EXPECT_TRUE(scene->leftDown);
    scene->mouseReleased(5, 5, 1);
    EXPECT_FALSE(scene->leftDown);
}

TEST_F(SpringScene, EscapeDuringFadeInContinuesTheFade) {
    run(50);
    EXPECT_FLOAT_EQ(scene->overlayAlpha(), 0.75f);
    scene->keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_OUT);
    EXPECT_EQ(scene->frame, 3551);
    EXPECT_FLOAT_EQ(scene->overlayAlpha(), 0.75f);
    scene->update();
    scene->keyPressed(VK_CODE_ESCAPE);  // a second Escape does not restart it
    EXPECT_EQ(scene->frame, 3552);
    run(48);
    EXPECT_FALSE(scene->finished);
    scene->update();
    EXPECT_TRUE(scene->finished);

    // Reset brings it all back to the start of the fade-in.
    scene->reset();
    EXPECT_FALSE(scene->finished);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_IN);
    EXPECT_EQ(scene->frame, 0);
    for (const LetterSeed& s : scene->seeds) {
        EXPECT_EQ(s.position.x, s.home.x);
        EXPECT_TRUE(s.visible && s.attached);
    }
}

TEST_F(SpringScene, EscapeWhileReadingRunsNoSimulation) {
    run(300);
    scene->keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene->frame, scene->fadeOutStart);
    Snapshot before = snapshot(*scene);
    run(199);
    EXPECT_FALSE(scene->finished);
    scene->update();
    EXPECT_TRUE(scene->finished);
    EXPECT_TRUE(same(before, snapshot(*scene)));
}

TEST_F(SpringScene, CtrlFreezesTheFieldButNotTheCamera) {
    runToPlay();
    run(100);
    scene->keyPressed(VK_CODE_CONTROL);
    EXPECT_FALSE(scene->running);
    Snapshot before = snapshot(*scene);
    float windX = scene->wind.x;
    float distance = scene->camera.distance;
    scene->mousePressed(5, 5, 4);  // wheel forward
    scene->keyPressed(VK_CODE_A);
    run(60);
    EXPECT_TRUE(same(before, snapshot(*scene)));
    EXPECT_EQ(scene->wind.x, windX);
    EXPECT_LT(scene->camera.distance, distance - 1.0f);

    scene->keyPressed(VK_CODE_CONTROL);
    run(1);
    EXPECT_FALSE(same(before, snapshot(*scene)));
}

TEST_F(SpringScene, HeldButtonFreezesGustAndWind) {
    runToPlay();
    run(200);
    scene->mouseMoved(500, 400);
    scene->mousePressed(500, 400, 1);
    int gustFrame = scene->gustFrame;
    float gustAngle = scene->gustAngle;
    float windX = scene->wind.x, windZ = scene->wind.z;
    run(30);  // the pointer stands still: no breath either
    EXPECT_EQ(scene->gustFrame, gustFrame);
    EXPECT_EQ(scene->gustAngle, gustAngle);
    EXPECT_EQ(scene->wind.x, windX);
    EXPECT_EQ(scene->wind.z, windZ);
    for (const Dandelion& d : scene->dandelions) {
        if (d.dormant) continue;
        EXPECT_EQ(d.spring->target.x, d.spring->rest.x);
        EXPECT_EQ(d.spring->target.z, d.spring->rest.z);
    }
    scene->mouseReleased(500, 400, 1);
    run(1);
    EXPECT_NE(scene->wind.x, windX);
}

TEST_F(SpringScene, BreathWithAZeroComponentBlowsNothing) {
    runToPlay();
    run(20);
    LetterSeed& seed = scene->seeds[0];
    auto launch = [&]() {
        seed.attached = false;
        seed.visible = true;
        seed.position = Vec3(0, 100, 0);
        seed.velocity.clear();
        seed.force.clear();
        seed.lingerForce.clear();
    };
    auto onlyWind = [&]() {
        for (const Dandelion& d : scene->dandelions) {
            if (d.dormant) continue;
            if (d.spring->target.x != d.spring->rest.x + scene->wind.x) return false;
            if (d.spring->target.z != d.spring->rest.z + scene->wind.z) return false;
        }
        return true;
    };
    pointAtGround(0, 0);
    scene->pickGroundPoint(scene->mouseX, scene->mouseY);
    for (int zeroAxis = 0; zeroAxis < 2; ++zeroAxis) {
        launch();
        scene->breath->acc.x = zeroAxis == 0 ? 0.0f : 5.0f;
        scene->breath->acc.z = zeroAxis == 0 ? 5.0f : 0.0f;
        scene->stepMeadow();
        EXPECT_TRUE(onlyWind());
        EXPECT_EQ(seed.velocity.x, 0.0f);
        EXPECT_EQ(seed.velocity.z, 0.0f);
    }
    // With both components set, the stalks near the pointer are pushed and free letters blown.
    launch();
    scene->breath->acc.x = 5.0f;
    scene->breath->acc.z = 5.0f;
    scene->stepMeadow();
    EXPECT_FALSE(onlyWind());
    EXPECT_LT(seed.velocity.x, 0.0f);
    EXPECT_LT(seed.velocity.z, 0.0f);
    // A landed letter collects the blow too.
    seed.visible = false;
    seed.attached = false;
    seed.force.clear();
    scene->dandelions[0].state = scene->dandelions[0].BLOOM;  // no regrowing in this step
    scene->breath->acc.x = 5.0f;
    scene->breath->acc.z = 5.0f;
    scene->stepMeadow();
    EXPECT_LT(seed.force.x, 0.0f);
}

TEST_F(SpringScene, RipeHeadLetsGoOneLetterAtATime) {
    runToPlay();
    int index = 0;
    for (int i = 0; i < scene->dandelionCount; ++i)
        if (scene->words[i].size() > scene->words[index].size()) index = i;
    Dandelion& d = scene->dandelions[index];
    d.age = 900;
    pointAtGround(d.base.x, d.base.z);
    scene->leftDown = true;
    int steps = 0;
    while (d.seedsOnHead > 0 && steps < 400) {
        d.blowCounter = 10;  // bent long enough
        int before = d.seedsOnHead;
        scene->stepMeadow();
        ++steps;
        EXPECT_LE(before - d.seedsOnHead, 1) << "step " << steps;
    }
    EXPECT_EQ(d.seedsOnHead, 0);
    EXPECT_EQ(d.seedsInFlight, (int)scene->words[index].size());
    EXPECT_EQ(d.state, d.WITHERING);
}

TEST_F(SpringScene, PlantsStartApartWhenThereIsRoom) {
    SeasonSpring fresh;
    fresh.dandelions.resize(6);
    for (int i = 0; i < 6; ++i) fresh.placeDandelion(fresh.dandelions[i], i, 20);
    for (int i = 0; i < 6; ++i) {
        const Vec3& a = fresh.dandelions[i].base;
        EXPECT_EQ(a.y, 0.0f);
        EXPECT_LE(std::fabs(a.x), 357.0f * 0.4f);
        EXPECT_LE(std::fabs(a.z), 505.2f * 0.4f);
        // Plants not yet placed sit at the origin and count.
        if (i < 5) {
            EXPECT_GE(a.x * a.x + a.z * a.z, 4900.0f);
        }
        for (int j = i + 1; j < 6; ++j) {
            const Vec3& b = fresh.dandelions[j].base;
            EXPECT_GE((a.x - b.x) * (a.x - b.x) + (a.z - b.z) * (a.z - b.z), 4900.0f);
        }
    }
    // With no tries left it stands anyway, inside the planting area.
    fresh.placeDandelion(fresh.dandelions[0], 0, 0);
    EXPECT_LE(std::fabs(fresh.dandelions[0].base.x), 357.0f * 0.4f);
    // The full meadow also stays inside it.
    for (const Dandelion& d : scene->dandelions) {
        EXPECT_LE(std::fabs(d.base.x), 357.0f * 0.4f);
        EXPECT_LE(std::fabs(d.base.z), 505.2f * 0.4f);
    }
}

TEST_F(SpringScene, PicksTheGroundThroughTheViewSeam) {
    pointAtGround(30, -40);
    scene->pickGroundPoint(scene->mouseX, scene->mouseY);
    EXPECT_NEAR(scene->groundPoint.x, 30.0f, 1.0f);
    EXPECT_NEAR(scene->groundPoint.y, 0.0f, 1e-3f);
    EXPECT_NEAR(scene->groundPoint.z, -40.0f, 1.0f);
    EXPECT_EQ(scene->modelview[12], view.modelview[12]);
    EXPECT_EQ(scene->viewport[2], kWidth);
    Vec3 first = scene->groundPoint;
    pointAtGround(-60, 10);
    scene->pickGroundPoint(scene->mouseX, scene->mouseY);
    EXPECT_EQ(scene->prevGroundPoint.x, first.x);
    EXPECT_NEAR(scene->groundPoint.x, -60.0f, 1.0f);

    // A view that cannot be inverted, or a ray along the ground, leaves the point where it was.
    Vec3 kept = scene->groundPoint;
    ViewMatrices broken = view;
    for (double& m : broken.modelview) m = 0;
    setViewMatricesForTesting(&broken);
    scene->pickGroundPoint(scene->mouseX, scene->mouseY);
    EXPECT_EQ(scene->groundPoint.x, kept.x);
    EXPECT_EQ(scene->prevGroundPoint.x, kept.x);
    ViewMatrices level = makeViewMatrices(kWidth, kHeight, 60, Vec3(0, 0, 0), Vec3(100, 0, 0), Vec3(0, 1, 0));
    setViewMatricesForTesting(&level);
    scene->pickGroundPoint(kWidth / 2, kHeight / 2 - 1);
    EXPECT_TRUE(finite(scene->groundPoint));
    setViewMatricesForTesting(&view);
}

TEST_F(SpringScene, KeysOutsideTheTableAreIgnored) {
    const int codes[] = {-1, -1000, SEASON_KEY_COUNT, SEASON_KEY_COUNT + 5, INT_MAX, INT_MIN};
    for (int code : codes) {
        scene->keyPressed(code);
        scene->keyReleased(code);
    }
    EXPECT_TRUE(scene->running);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_IN);
    scene->keyPressed(VK_CODE_SHIFT);
    EXPECT_TRUE(scene->shiftDown);
    scene->keyPressed(VK_CODE_ENTER);
    scene->keyPressed(VK_CODE_SPACE);
    EXPECT_FALSE(scene->keys[VK_CODE_ENTER]);
    EXPECT_FALSE(scene->keys[VK_CODE_SPACE]);
    scene->keyPressed(SEASON_KEY_COUNT - 1);
    EXPECT_TRUE(scene->keys[SEASON_KEY_COUNT - 1]);
}

namespace {

// A small generator of its own, so that the scene's draws stay the scene's.
struct Dice {
    unsigned int state = 12345;
    int roll(int n) {
        state = state * 1103515245u + 12345u;
        return (int)((state >> 16) % (unsigned)n);
    }
};

}  // namespace

TEST_F(SpringScene, InputInAnyOrderLeavesTheSceneWorking) {
    Dice dice;
    int finishedCount = 0;
    for (int step = 0; step < 12000; ++step) {
        switch (dice.roll(12)) {
            case 0: scene->mouseMoved(dice.roll(2000) - 500, dice.roll(1600) - 400); break;
            case 1: scene->mousePressed(dice.roll(1024), dice.roll(768), dice.roll(7)); break;
            case 2: scene->mouseReleased(dice.roll(1024), dice.roll(768), dice.roll(7)); break;
            case 3: scene->keyPressed(dice.roll(400) - 40); break;
            case 4: scene->keyReleased(dice.roll(400) - 40); break;
            case 5:
                if (dice.roll(40) == 0) scene->keyPressed(VK_CODE_ESCAPE);
                break;
            case 6:
                if (dice.roll(8) == 0) scene->keyPressed(VK_CODE_CONTROL);
                break;
            default: break;
        }
        if (scene->phase == scene->PHASE_READ && dice.roll(100) == 0) scene->mousePressed(0, 0, 1);
        scene->update();
        if (scene->finished) {
            ++finishedCount;
            scene->reset();
        }
        ASSERT_GE(scene->phase, scene->PHASE_FADE_IN);
        ASSERT_LE(scene->phase, scene->PHASE_FADE_OUT);
    }
    for (const LetterSeed& s : scene->seeds) {
        ASSERT_TRUE(finite(s.position));
        for (float m : s.matrix.m) ASSERT_TRUE(std::isfinite(m));
    }
    for (const Dandelion& d : scene->dandelions) ASSERT_TRUE(finite(d.head));
    EXPECT_TRUE(std::isfinite(scene->breath->out.x) && std::isfinite(scene->breath->out.z));
    EXPECT_TRUE(std::isfinite(scene->camera.distance));
    EXPECT_GT(finishedCount, 0);
}
