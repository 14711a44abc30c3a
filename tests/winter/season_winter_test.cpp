// The Winter story, tree, ring and scene on their own: catching and shaking off snow, phases and input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/headless_context.h"
#include "render/bitmap_font.h"
#include "render/glyph_table.h"
#include "render/random_generator.h"
#include "render/view_picking.h"
#include "seasons/winter/season_winter.h"

namespace {

// A letter at p whose plane has the given normal (lying flat by default), catchable like the scene's.
SnowLetter letterAt(const Vec3& p, const Vec3& normal = Vec3(0, 1, 0)) {
    SnowLetter s;
    s.setSize(8, 0.6f);
    s.position = p;
    s.planeNormal = normal;
    s.planeOffset = -dot(normal, p);
    return s;
}

class WinterScene : public ::testing::Test {
protected:
    HeadlessContext context{64, 64};
    BitmapFont font{buildGlyphMetrics(), 102, 3.0f, false};
    SeasonWinter scene;
    // About where the swing leaves the camera: pitch 18, yaw 169, distance 321.
    ViewMatrices view = makeViewMatrices(800, 600, 60, Vec3(-300, 99, 58), Vec3(0, 130, 0), Vec3(0, 1, 0));

    void SetUp() override {
        ASSERT_TRUE(context.ok()) << context.error();
        randomReset();
        scene.init(800, 600, &font);
        setViewMatricesForTesting(&view);
    }
    void TearDown() override { setViewMatricesForTesting(nullptr); }

    void run(int frames) {
        for (int i = 0; i < frames; ++i) scene.update();
    }
    void runToPlay() {  // the fade-in, a click that ends the reading, the dissolve and the swing
        run(200);
        scene.mousePressed(0, 0, 1);
        run(201);
        ASSERT_EQ(scene.phase(), scene.PHASE_PLAY);
    }
    void pointAtGround(float x, float z) {  // the scene picks the point on its next update
        double wx, wy, wz;
        gluProject(x, 0, z, view.modelview, view.projection, view.viewport, &wx, &wy, &wz);
        scene.mouseMoved(int(std::lround(wx)), int(std::lround(view.viewport[3] - 1 - wy)));
    }
    void pullRingTo(float x, float z) {  // grabs the ring at the trunk's foot and pulls it out to (x, 0, z)
        pointAtGround(1, 1);
        scene.update();
        scene.mousePressed(0, 0, 1);
        pointAtGround(x, z);
        scene.update();
    }
};

}  // namespace

TEST(SnowTree, ABranchCatchesOnlyNearWhereItsAxisPiercesTheLetter) {
    SnowTree tree(winterTreeRecords(), 3.6f);
    TreeBranch& branch = *tree.branches[2];  // leans out along -x in the x-y plane
    const Vec3 middle = branch.base + branch.dir * (branch.length * 0.5f);
    const Vec3 across(branch.dir.y, -branch.dir.x, 0);  // perpendicular to the axis, pointing up
    const std::pair<SnowLetter, bool> cases[] = {
        {letterAt(middle + Vec3(6.0f, 0, 0)), true},
        {letterAt(middle + Vec3(6.4f, 0, 0)), false},  // beyond sqrt(38.4) = 6.2 from where it is pierced
        {letterAt(branch.tip + Vec3(0, 2, 0)), false},  // pierced beyond the tip
        {letterAt(branch.base + across * 2 - branch.dir * 1, branch.dir), false},  // behind the base
        {letterAt(branch.base + across * 2 + branch.dir * 1, branch.dir), true},   // just in front of it
        {letterAt(middle + Vec3(1, 0, 0), Vec3(0, 0, 1)), false},  // a plane along the axis is never pierced
    };
    for (const auto& c : cases) {
        SnowLetter letter = c.first;
        ASSERT_TRUE(branch.box.contains(letter.position.x, letter.position.y, letter.position.z));
        branch.collide(letter);
        EXPECT_EQ(letter.active, !c.second) << (&c - cases);
        EXPECT_TRUE(std::isfinite(branch.t));
    }
}

TEST(SnowTree, AFaultyTableStaysInsideTheTree) {
    std::vector<BranchSpec> specs = winterTreeRecords();
    specs[3].parent = 3;      // itself
    specs[5].parent = 24;     // a later record
    specs[6].parent = -7;     // nothing
    specs[7].parent = 1e30f;  // far out of range
    SnowTree tree(specs, 3.6f);
    for (int i : {3, 5, 6, 7}) EXPECT_EQ(tree.branches[i]->parent, tree.branches[0].get()) << i;
    SnowTree empty({}, 3.6f);
    SnowLetter s = letterAt(Vec3(0, 50, 0));
    empty.collide(&s, 1);
    EXPECT_TRUE(s.active);
}

TEST(TrunkHandle, GrabsOnlyWithinReachAndKeepsAPulledRingOnTheRim) {
    HeadlessContext context(16, 16);  // the ring is a display list
    ASSERT_TRUE(context.ok()) << context.error();
    TrunkHandle handle(17.0f);
    handle.drag(Vec3(17.5f, 0, 0));
    handle.press();  // out of reach: a held press that grabbed nothing pulls nothing and hides the ring
    for (const Vec3& p : {Vec3(5, 0, 0), Vec3(40, 0, 0)}) EXPECT_FALSE(handle.drag(p) || handle.ringVisible());
    handle.release();
    handle.drag(Vec3(10, 0, 0));
    handle.press();
    EXPECT_FALSE(handle.drag(Vec3(16.9f, 0, 0)));  // grabbed, inside the rim: no pull
    EXPECT_TRUE(handle.drag(Vec3(30, 0, 0)));  // toward +x, an angle measured from +z
    EXPECT_TRUE(std::fabs(handle.point.x - 17) < 1e-5f && std::fabs(handle.pullAngle - 90) < 1e-4f &&
                std::fabs(handle.pullStrength - 0.1f) < 1e-5f);
    EXPECT_TRUE(handle.drag(Vec3(30, 0, 0)) && handle.pullStrength == 0);  // held still beyond the rim
    handle.release();
    EXPECT_FALSE(handle.drag(Vec3(0, 0, -50)));
    TrunkHandle tiny(0.0f);  // a ring without a radius pulls without dividing by zero
    tiny.press();
    EXPECT_TRUE(tiny.drag(Vec3()));
    EXPECT_TRUE(std::isfinite(tiny.point.x) && std::isfinite(tiny.pullAngle));
}

// The ring as a visitor sees it from above: a closed circle of radius 17 about the trunk's foot, grey
// while free and black while held, with nothing drawn inside it.
TEST(TrunkHandle, TheRingIsAClosedCircleGreyWhenFreeBlackInHand) {
    const int size = 256;  // 6.4 pixels a unit: the ring is 109 pixels across
    HeadlessContext context(size, size);
    ASSERT_TRUE(context.ok()) << context.error();
    TrunkHandle handle(17.0f);
    for (bool held : {false, true}) {
        if (held) handle.press();
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-20, 20, -20, 20, -50, 50);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(90, 1, 0, 0);  // looking down on the ground: x right, z down the screen
        handle.draw();
        std::vector<unsigned char> rgb(size * size * 3);
        glReadPixels(0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        auto darkest = [&](double r, double degrees) {  // within a pixel of the point
            const double a = degrees * 3.14159265358979 / 180;
            const int cx = (int)std::lround(size / 2 + r * 6.4 * std::cos(a));
            const int cy = (int)std::lround(size / 2 + r * 6.4 * std::sin(a));
            int least = 255;
            for (int y = cy - 1; y <= cy + 1; ++y)
                for (int x = cx - 1; x <= cx + 1; ++x) least = std::min<int>(least, rgb[3 * (y * size + x)]);
            return least;
        };
        for (double degrees = 0; degrees < 360; degrees += 2.5) {
            const int ink = darkest(17, degrees);  // 0.3 grey is 76 or 77
            EXPECT_TRUE(held ? ink == 0 : ink >= 76 && ink <= 77) << degrees << " degrees, held " << held << ": " << ink;
            EXPECT_EQ(darkest(14, degrees), 255) << degrees << " degrees, inside";
        }
    }
}

TEST_F(WinterScene, PressesActOnlyInTheReadingPauseAndAfterTheSwing) {
    run(200);
    scene.mousePressed(0, 0, 5);  // any button ends the reading
    for (int i = 0; i < 200; ++i) {  // the dissolve and the swing
        scene.update();
        for (int button : {1, 3, 4}) scene.mousePressed(0, 0, button);
        ASSERT_FALSE(scene.leftDown() || scene.rightDown() || scene.handle()->held || scene.camera().zoomVelocity != 0);
    }
    scene.update();
    scene.mousePressed(0, 0, 1);
    scene.mousePressed(0, 0, 4);
    EXPECT_TRUE(scene.leftDown() && scene.handle()->held && scene.camera().zoomVelocity < 0);
}

TEST_F(WinterScene, TheDissolveClearsThePageFromTheEdgeInwardAndLiftsTheSnowHigh) {
    run(200);
    scene.mousePressed(0, 0, 1);
    run(51);  // half way: the edge is at 126.3, soft over the 100 units inside it
    for (const SnowLetter& s : scene.snow()) {
        const float r = std::sqrt(s.position.x * s.position.x + s.position.z * s.position.z);
        EXPECT_NEAR(s.alpha, std::min(1.0f, std::max(0.0f, (126.3f - r) / 100)), 1e-4) << r;
    }
    run(50);
    ASSERT_EQ(scene.phase(), scene.PHASE_SWING);
    EXPECT_FLOAT_EQ(scene.letterColour()[0], 235 / 255.0f);
    for (const SnowLetter& s : scene.snow()) EXPECT_TRUE(s.alpha == 0 && s.position.y >= 350);
}

TEST_F(WinterScene, SnowDrawsItsNumbersInOrderKeepsToItsSpeedAndStopsForCtrl) {
    runToPlay();
    randomReset(77);
    float f[18];
    for (float& x : f) x = randomFraction();
    const unsigned int after = randomState();
    randomReset(77);
    SnowLetter& s = scene.snow()[0];
    s.shaken = true;
    s.active = false;
    scene.respawn(s);
    EXPECT_EQ(randomState(), after) << "exactly 18 draws";
    EXPECT_TRUE(s.angles.y == f[4] * 360 && s.maxSpeed == (f[17] * 0.8f - 0.4f + 1.0f) * 0.65f) << "y after x";
    EXPECT_TRUE(s.alpha == 0 && s.active && !s.shaken);
    s.position = Vec3(150, 100, 150);  // well away from the tree
    s.addForce(Vec3(0, -5, 0));
    scene.stepSnow();
    EXPECT_NEAR((s.position - Vec3(150, 100, 150)).length(), s.maxSpeed, 1e-4) << "no faster than its limit";
    EXPECT_FLOAT_EQ(s.alpha, 0.05f) << "fading in high up";
    s.position.y = 8.1f;
    scene.stepSnow();
    EXPECT_TRUE(s.position.y >= 350 && s.alpha == 0) << "below the ground level: back to the top, invisible";

    scene.keyPressed(VK_CODE_CONTROL);
    std::vector<float> heights;
    for (const SnowLetter& l : scene.snow()) heights.push_back(l.position.y);
    run(30);
    for (int i = 0; i < scene.letterCount(); ++i) ASSERT_EQ(scene.snow()[i].position.y, heights[i]) << i;
}

TEST_F(WinterScene, RestingSnowStaysUntilTheRingIsPulled) {
    runToPlay();
    run(3000);
    const auto it = std::find_if(scene.snow().begin(), scene.snow().end(), [](const SnowLetter& l) { return !l.active; });
    ASSERT_NE(it, scene.snow().end()) << "no snow settled";
    const SnowLetter before = *it;
    run(500);
    const SnowLetter& s = *it;
    EXPECT_TRUE(!s.active && (s.position - before.position).length() + (s.angles - before.angles).length() == 0);

    // Releasing snow draws one number per resting letter and drops the force pending while it rested.
    it->addForce(Vec3(0, 5, 0));
    randomReset(9);
    for (const SnowLetter& l : scene.snow())
        if (!l.active) randomNext();
    const unsigned int oneDrawEach = randomState();
    randomReset(9);
    scene.releaseSnow(scene.snow().data(), scene.letterCount());
    EXPECT_EQ(randomState(), oneDrawEach);
    EXPECT_TRUE(s.shaken && s.maxSpeed == 13.0f && s.forces.count() == 0);

    scene.snow()[5].active = false;  // the ring pulled to its rim sways the tree and throws the snow off
    pullRingTo(0, 50);
    EXPECT_TRUE(scene.tree()->sway.amplitude > 0 && scene.snow()[5].shaken);
}

TEST_F(WinterScene, EveryVisitShowsTheWholeTextAndNoRingInHandButTheSnowKeepsItsMotion) {
    SeasonWinter first;
    first.init(800, 600, &font);
    runToPlay();
    run(400);
    scene.snow()[0].active = false;  // snow resting and shaken, and the ring still held at Escape
    pullRingTo(40, 0);
    scene.snow()[2].active = false;
    scene.keyPressed(VK_CODE_ESCAPE);
    run(100);
    ASSERT_TRUE(scene.finished);
    for (int i = 0; i < scene.letterCount(); ++i) first.snow()[i].velocity = scene.snow()[i].velocity;
    scene.reset();  // the button was never released while the scene was shown
    EXPECT_EQ(scene.letterColour()[0], 0);
    for (const SnowLetter& s : scene.snow())
        EXPECT_TRUE(s.alpha == 1.0f && s.active && !s.shaken && s.angles.y == 180 && (s.position - s.home).length() == 0);
    for (SeasonWinter* w : {&first, &scene}) {  // up to the first snow step after the dissolve
        randomReset(3);
        for (int i = 0; i < 403; ++i) i == 200 ? w->mousePressed(0, 0, 1) : w->update();
    }
    for (int i = 0; i < scene.letterCount(); ++i)
        ASSERT_EQ((scene.snow()[i].position - first.snow()[i].position).length(), 0.0f) << i;
    pointAtGround(60, 0);  // the button is still down, but the ring is not in hand: past its rim, no pull
    scene.update();
    EXPECT_FALSE(scene.handle()->grabbed);
}
