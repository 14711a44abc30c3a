// The Autumn scene's phases, input and letter motion, without drawing.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/glyph_table.h"
#include "render/random_generator.h"
#include "render/view_picking.h"
#include "seasons/autumn/season_autumn.h"

namespace {

BitmapFont* metricsFont() {
    static BitmapFont* font = new BitmapFont(buildGlyphMetrics(), 102, 3.0f, false);
    return font;
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Installs fixed view matrices for picking while it lives.
struct FixedView {
    ViewMatrices view;
    explicit FixedView(const ViewMatrices& v) : view(v) { setViewMatricesForTesting(&view); }
    ~FixedView() { setViewMatricesForTesting(nullptr); }
};

// Straight down onto (x, z) of the ground: the middle of the 1024 x 768 screen picks that point.
ViewMatrices viewFromAbove(float x, float z) {
    return makeViewMatrices(1024, 768, 60, Vec3(x, 400, z), Vec3(x, 0, z), Vec3(0, 0, -1));
}

class AutumnScene : public ::testing::Test {
protected:
    SeasonAutumn scene;

    void SetUp() override {
        randomReset();
        scene.init(1024, 768, metricsFont());
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) scene.update();
    }
    // Fade-in, a click that skips the reading, the swing.
    void toPlay() {
        run(200);
        scene.mousePressed(0, 0, 1);
        run(101);
        ASSERT_EQ(scene.phase, scene.PHASE_PLAY);
    }
    bool allHome() const {
        for (int i = 0; i < scene.leafCount; ++i) {
            const LeafBody& b = scene.leaves[i];
            if (b.position.x != b.home.x || b.position.y != b.home.y || b.position.z != b.home.z) return false;
            if (b.angles.x != 0 || b.angles.y != 180 || b.angles.z != 180) return false;
        }
        return true;
    }
    int lettersOffHome() const {
        int n = 0;
        for (int i = 0; i < scene.leafCount; ++i)
            if ((scene.leaves[i].position - scene.leaves[i].home).length() > 1) n += 1;
        return n;
    }
    float highestLetter() const {
        float top = 0;
        for (int i = 0; i < scene.leafCount; ++i) top = std::fmax(top, scene.leaves[i].position.y);
        return top;
    }
    bool allFinite() const {
        for (int i = 0; i < scene.leafCount; ++i)
            if (!finite(scene.leaves[i].position) || !finite(scene.leaves[i].velocity)) return false;
        return true;
    }
};

}  // namespace

TEST(AutumnStory, HasItsCountsAndIsPlainText) {
    const char* s = autumnStory;
    int length = (int)std::strlen(s), newlines = 0, letters = 0;
    for (const char* p = s; *p; ++p) {
        EXPECT_TRUE((*p >= 32 && *p <= 126) || *p == '\n') << "character " << (int)*p;
        if (*p == '\n') newlines += 1;
        else if (*p != ' ') letters += 1;
    }
    EXPECT_EQ(length, 720);
    EXPECT_EQ(newlines + 1, 4);
    EXPECT_EQ(letters, 586);
    EXPECT_EQ(std::strstr(s, "  "), nullptr);
    EXPECT_NE(s[length - 1], '\n');
}

TEST_F(AutumnScene, InitLaysEveryLetterOnThePage) {
    ASSERT_EQ(scene.leafCount, 586);
    ASSERT_EQ(scene.letterCount, 586);
    EXPECT_EQ(scene.storyLength, 720);
    const LeafBody& first = scene.leaves[0];
    EXPECT_EQ(first.letter, 'T');
    EXPECT_FLOAT_EQ(first.home.x, metricsFont()->advanceOf('T') * 8.0f - 150.0f);
    float minZ = 1e9f, maxZ = -1e9f;
    for (int i = 0; i < scene.leafCount; ++i) {
        const LeafBody& b = scene.leaves[i];
        EXPECT_EQ(b.letter, scene.letters[i]);
        EXPECT_LT(std::fabs(b.home.x), scene.pageHalfWidth) << i;
        EXPECT_LT(std::fabs(b.home.z), scene.pageHalfHeight) << i;
        EXPECT_EQ(b.home.y, 0.0f);
        EXPECT_EQ(b.position.x, b.home.x);
        minZ = std::fmin(minZ, b.home.z);
        maxZ = std::fmax(maxZ, b.home.z);
        if (i > 0) {
            const LeafBody& prev = scene.leaves[i - 1];
            // Along a line the letters run left to right; a new line starts 16 lower.
            if (b.home.z == prev.home.z) EXPECT_GT(b.home.x, prev.home.x) << i;
            else EXPECT_FLOAT_EQ(b.home.z - prev.home.z, 16.0f) << i;
        }
    }
    EXPECT_FLOAT_EQ(minZ, -maxZ) << "the block is centred on z = 0";
    EXPECT_EQ((int)((maxZ - minZ) / 16) + 1, (int)scene.lines.size());
}

TEST_F(AutumnScene, WithoutInputThePhasesFollowOneAnother) {
    EXPECT_EQ(scene.phase, scene.PHASE_FADE_IN);
    run(199);
    EXPECT_EQ(scene.phase, scene.PHASE_FADE_IN);
    run(1);
    EXPECT_EQ(scene.phase, scene.PHASE_READ);
    run(2999);
    EXPECT_EQ(scene.phase, scene.PHASE_READ);
    EXPECT_FALSE(scene.introDone);
    run(1);
    EXPECT_EQ(scene.phase, scene.PHASE_SWING);
    EXPECT_TRUE(scene.introDone);
    EXPECT_EQ(scene.frame, 3200);
    run(1);
    EXPECT_FLOAT_EQ(scene.camera.pitch, 89.9f);
    EXPECT_FLOAT_EQ(scene.camera.yaw, 90.0f);
    EXPECT_FLOAT_EQ(scene.camera.distance, 448.5f);
    run(98);
    EXPECT_EQ(scene.phase, scene.PHASE_SWING);
    EXPECT_FALSE(scene.whirlwindOn);
    run(1);
    EXPECT_EQ(scene.phase, scene.PHASE_PLAY);
    EXPECT_TRUE(scene.whirlwindOn);
    EXPECT_NEAR(scene.camera.pitch, 27.0f, 0.1f);
    EXPECT_NEAR(scene.camera.yaw, 132.0f, 0.1f);
    EXPECT_NEAR(scene.camera.distance, 546.0f, 0.1f);
    EXPECT_TRUE(allHome()) << "nothing moves before play";

    run(1);
    EXPECT_FLOAT_EQ(scene.whirlwindRamp, 0.02f);
    int rampFrames = 1;
    while (scene.whirlwindRamp != 1.0f && rampFrames < 100) {
        run(1);
        rampFrames += 1;
    }
    EXPECT_GE(rampFrames, 49);
    EXPECT_LE(rampFrames, 51);
    run(300);
    EXPECT_GT(highestLetter(), 30.0f) << "the whirlwind lifts letters";
    EXPECT_TRUE(allFinite());
    EXPECT_EQ(scene.frame, 3300) << "the clock stands still in play";
}

TEST_F(AutumnScene, PressesInTheOpeningPhases) {
    run(50);
    scene.mousePressed(10, 10, 1);
    scene.mousePressed(10, 10, 3);
    EXPECT_EQ(scene.phase, scene.PHASE_FADE_IN);
    EXPECT_EQ(scene.frame, 50);
    EXPECT_FALSE(scene.leftDown);
    EXPECT_FALSE(scene.rightDown);

    run(450);
    scene.mousePressed(10, 10, 3);
    EXPECT_EQ(scene.frame, scene.readEnd - 1);
    EXPECT_FALSE(scene.rightDown);
    EXPECT_EQ(scene.phase, scene.PHASE_READ);
    run(1);
    EXPECT_EQ(scene.phase, scene.PHASE_SWING);
    EXPECT_TRUE(scene.introDone);

    scene.mousePressed(10, 10, 1);
    EXPECT_TRUE(scene.leftDown);
    scene.mouseReleased(10, 10, 1);
    EXPECT_FALSE(scene.leftDown);
}

TEST_F(AutumnScene, EnterFliesEveryLetterHomeInSixtyFrames) {
    run(200);
    scene.keyPressed(VK_CODE_ENTER);
    scene.mousePressed(0, 0, 1);
    run(1);
    scene.keyPressed(VK_CODE_ENTER);
    EXPECT_FALSE(scene.reforming) << "Enter before play does nothing";
    EXPECT_FALSE(scene.keys[VK_CODE_ENTER]);
    run(100);
    ASSERT_EQ(scene.phase, scene.PHASE_PLAY);

    for (bool running : {true, false}) {
        run(250);
        ASSERT_GT(lettersOffHome(), 20);
        if (!running) scene.keyPressed(VK_CODE_CONTROL);
        ASSERT_EQ(scene.running, running);
        scene.keyPressed(VK_CODE_ENTER);
        run(59);
        EXPECT_TRUE(scene.reforming);
        EXPECT_FALSE(allHome());
        run(1);
        EXPECT_TRUE(allHome()) << "running " << running;
        run(1);
        EXPECT_FALSE(scene.reforming);
        if (!running) scene.keyPressed(VK_CODE_CONTROL);
    }

    // With the whirlwind still on it takes hold again at once.
    EXPECT_EQ(scene.whirlwindRamp, 1.0f);
    run(1);
    EXPECT_FALSE(allHome());
}

TEST_F(AutumnScene, EnterDuringAFlightStartsAgainFromWhereTheLettersAre) {
    toPlay();
    run(250);
    scene.keyPressed(VK_CODE_ENTER);
    run(30);
    Vec3 midFlight = scene.leaves[0].position;
    scene.keyPressed(VK_CODE_ENTER);
    EXPECT_EQ(scene.reformFrame, 0);
    EXPECT_EQ(scene.leaves[0].savedPosition.x, midFlight.x);
    EXPECT_EQ(scene.leaves[0].savedPosition.y, midFlight.y);
    run(59);
    EXPECT_FALSE(allHome());
    run(1);
    EXPECT_TRUE(allHome());
}

TEST_F(AutumnScene, SpaceSwitchesTheWhirlwindAndItsRamp) {
    run(300);
    scene.keyPressed(VK_CODE_SPACE);  // while reading: no lasting effect
    EXPECT_TRUE(scene.whirlwindOn);
    EXPECT_FALSE(scene.keys[VK_CODE_SPACE]);
    scene.mousePressed(0, 0, 1);
    run(101);
    EXPECT_TRUE(scene.whirlwindOn);
    EXPECT_EQ(scene.whirlwindRamp, 0.0f);

    run(80);
    EXPECT_EQ(scene.whirlwindRamp, 1.0f);
    scene.keyPressed(VK_CODE_SPACE);
    EXPECT_FALSE(scene.whirlwindOn);
    EXPECT_EQ(scene.whirlwindRamp, 0.0f);
    run(10);
    EXPECT_EQ(scene.whirlwindRamp, 0.0f);
    scene.keyPressed(VK_CODE_SPACE);
    run(1);
    EXPECT_FLOAT_EQ(scene.whirlwindRamp, 0.02f) << "fades in anew";
}

TEST_F(AutumnScene, CtrlStopsAllMotionIncludingKicks) {
    toPlay();
    run(200);
    FixedView view(viewFromAbove(0, 0));
    scene.mouseMoved(512, 384);
    scene.mousePressed(512, 384, 1);
    scene.keyPressed(VK_CODE_CONTROL);
    EXPECT_FALSE(scene.running);
    Vec3 before = scene.leaves[100].position;
    unsigned int state = randomState();
    run(20);
    EXPECT_EQ(randomState(), state) << "no kicks, no tumbling";
    EXPECT_EQ(scene.leaves[100].position.x, before.x);
    EXPECT_EQ(scene.leaves[100].position.y, before.y);

    // In the fade-out the letters stand still too.
    scene.keyPressed(VK_CODE_ESCAPE);
    run(20);
    EXPECT_EQ(scene.leaves[100].position.y, before.y);
    scene.keyPressed(VK_CODE_CONTROL);
    run(1);
    EXPECT_NE(randomState(), state) << "running again";
}

TEST_F(AutumnScene, KickPushesLettersAwayFromThePointersGroundPoint) {
    toPlay();
    scene.keyPressed(VK_CODE_SPACE);  // whirlwind off: only gravity and the kick
    run(5);
    ASSERT_TRUE(allHome() || lettersOffHome() == 0);
    const int target = 200;
    Vec3 spot = scene.leaves[target].home;
    FixedView view(viewFromAbove(spot.x, spot.z));
    scene.mouseMoved(512, 384);
    scene.mousePressed(512, 384, 1);
    run(1);
    EXPECT_NEAR(scene.groundPoint.x, spot.x, 1.0f);
    EXPECT_NEAR(scene.groundPoint.z, spot.z, 1.0f);
    EXPECT_NEAR(scene.groundPoint.y, 0.0f, 1e-3f);
    EXPECT_EQ(scene.kicker.centre.x, scene.groundPoint.x);

    int lifted = 0, movedFar = 0;
    for (int i = 0; i < scene.leafCount; ++i) {
        const LeafBody& b = scene.leaves[i];
        Vec3 fromSpot = b.home - scene.groundPoint;
        fromSpot.y = 0;
        float d = fromSpot.length();
        Vec3 now = b.position - scene.groundPoint;
        now.y = 0;
        if (d < 15) {
            // Near the pointer the lift beats gravity at once; farther out it only spins them.
            EXPECT_GT(b.position.y, 0.0f) << "kicked up: " << i;
            lifted += 1;
        } else if (d > 51) {
            EXPECT_EQ(b.position.y, 0.0f) << "only pushed along the ground: " << i;
            EXPECT_GT(now.length(), d) << i;
            movedFar += 1;
        }
    }
    EXPECT_GT(lifted, 2);
    EXPECT_GT(movedFar, 300);
    scene.mouseReleased(512, 384, 1);
    EXPECT_FALSE(scene.leftDown);
}

TEST_F(AutumnScene, LetterBelowTheGroundBouncesWithThirtyPercent) {
    LeafBody& b = scene.leaves[3];
    b.position.set(10, 1, 10);
    b.velocity.set(0.5f, -1.5f, 0.25f);
    b.gravity.set(0, 0, 0);
    scene.stepLeaves();  // whirlwind off: velocity and gravity only (on the ground: no glide)
    float vy = -1.5f + -0.015f;
    EXPECT_EQ(b.position.y, 0.0f);
    EXPECT_FLOAT_EQ(b.velocity.x, 0.5f * 0.3f);
    EXPECT_FLOAT_EQ(b.velocity.y, -(vy * 0.3f));
    EXPECT_FLOAT_EQ(b.velocity.z, 0.25f * 0.3f);
    EXPECT_FLOAT_EQ(b.gravity.y, -0.015f);
    for (int i = 0; i < 10; ++i) scene.stepLeaves();
    EXPECT_FLOAT_EQ(b.gravity.y, -0.065f) << "gravity is capped";
}

TEST_F(AutumnScene, EscapeFadesOutAndFinishes) {
    run(100);
    scene.keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene.phase, scene.PHASE_FADE_OUT);
    EXPECT_EQ(scene.frame, 3351);
    scene.keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene.frame, 3351) << "Escape in the fade-out does nothing";
    run(49);
    EXPECT_FALSE(scene.finished);
    run(1);
    EXPECT_TRUE(scene.finished);

    scene.reset();
    EXPECT_FALSE(scene.finished);
    EXPECT_EQ(scene.phase, scene.PHASE_FADE_IN);
    toPlay();
    run(100);
    scene.keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene.frame, 3301);
    run(99);
    EXPECT_FALSE(scene.finished);
    EXPECT_GT(lettersOffHome(), 0);
    run(1);
    EXPECT_TRUE(scene.finished);
}

TEST_F(AutumnScene, PlayNeverEndsAndResetPutsEverythingBack) {
    toPlay();
    scene.keyPressed('A');
    run(4000);
    EXPECT_EQ(scene.phase, scene.PHASE_PLAY);
    EXPECT_FALSE(scene.finished);
    EXPECT_TRUE(scene.keys['A']);
    EXPECT_TRUE(allFinite());
    Vec3 spin = scene.leaves[7].spin;

    scene.reset();
    EXPECT_TRUE(allHome());
    EXPECT_FALSE(scene.keys['A']);
    EXPECT_FALSE(scene.whirlwindOn);
    EXPECT_EQ(scene.whirlwindRamp, 0.0f);
    EXPECT_FLOAT_EQ(scene.camera.distance, 448.5f);
    EXPECT_EQ(scene.leaves[7].spin.x, spin.x) << "spin rates carry over";
}

TEST_F(AutumnScene, AnyInputInAnyOrderLeavesTheSceneWorking) {
    FixedView view(makeViewMatrices(1024, 768, 60, Vec3(0, 250, 480), Vec3(0, 0, 0), Vec3(0, 1, 0)));
    const int oddKeys[] = {-1, INT_MIN, 320, 321, 1000, INT_MAX, 255, 319, 0};
    for (int key : oddKeys) {
        scene.keyPressed(key);
        scene.keyReleased(key);
    }
    EXPECT_TRUE(scene.keys[255] == false && scene.keys[0] == false);
    scene.mouseReleased(0, 0, 1);
    scene.mouseMoved(INT_MAX, INT_MIN);

    // A stream of arbitrary events between updates, through every phase.
    unsigned int seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return (int)((seed >> 8) % (unsigned)n);
    };
    for (int frame = 0; frame < 4000; ++frame) {
        int events = next(3);
        for (int e = 0; e < events; ++e) {
            int kind = next(6);
            int x = next(3000) - 1000, y = next(3000) - 1000;
            if (kind == 0) scene.keyPressed(next(700) - 200);
            if (kind == 1) scene.keyReleased(next(700) - 200);
            if (kind == 2) scene.mouseMoved(x, y);
            if (kind == 3) scene.mousePressed(x, y, next(8) - 1);
            if (kind == 4) scene.mouseReleased(x, y, next(8) - 1);
            if (kind == 5 && next(50) == 0) scene.keyPressed(next(2) ? VK_CODE_ENTER : VK_CODE_ESCAPE);
        }
        scene.update();
        ASSERT_TRUE(allFinite()) << "frame " << frame;
        if (scene.finished) scene.reset();
    }

    scene.reset();
    toPlay();
    scene.mouseMoved(512, 384);
    scene.mousePressed(512, 384, 1);
    run(200);
    EXPECT_GT(lettersOffHome(), 20);
    scene.keyPressed(VK_CODE_ENTER);
    run(60);
    EXPECT_TRUE(allHome());
}

TEST_F(AutumnScene, WhirlwindAxisLetterStaysFinite) {
    toPlay();
    scene.leaves[0].position.set(0, 0, 0);  // exactly on the axis, at the foot
    scene.leaves[1].position.set(0, 0, 0);
    scene.leaves[2].position.set(0, 160, 0);  // exactly at the top
    run(200);
    EXPECT_TRUE(allFinite());
    EXPECT_GT(scene.leaves[0].position.y, 0.0f);
}
