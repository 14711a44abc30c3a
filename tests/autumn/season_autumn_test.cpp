// The Autumn story, the letter body, the kicker, the whirlwind and the scene on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "render/bitmap_font.h"
#include "render/glyph_table.h"
#include "render/random_generator.h"
#include "render/view_picking.h"
#include "seasons/autumn/season_autumn.h"

namespace {

Vec3 pending(LeafBody& b) {
    b.forces.sumAndClear();
    return b.forces.total();
}

LeafBody letterAt(float x, float y, float z, bool grounded = false) {
    LeafBody b;
    b.halfSize = 8;
    b.position.set(x, y, z);
    b.angles.set(0, 180, 180);
    b.onGround = grounded;
    return b;
}

class AutumnScene : public ::testing::Test {
protected:
    SeasonAutumn s;
    ViewMatrices view;
    void SetUp() override {
        static BitmapFont* font = new BitmapFont(buildGlyphMetrics(), 102, 3.0f, false);
        randomReset();
        s.init(1024, 768, font);
    }
    void TearDown() override { setViewMatricesForTesting(nullptr); }
    void run(int n) {
        for (int i = 0; i < n; ++i) s.update();
    }
    void toPlay() {  // the fade-in, a click that skips the reading, the swing
        run(200);
        s.mousePressed(0, 0, 1);
        run(101);
        ASSERT_EQ(s.phase(), s.PHASE_PLAY);
    }
    void lookFrom(const Vec3& eye, const Vec3& target, const Vec3& up) {  // the view picking reads
        view = makeViewMatrices(1024, 768, 60, eye, target, up);
        setViewMatricesForTesting(&view);
    }
    bool allHome() const {
        return std::all_of(&s.leaves()[0], &s.leaves()[0] + s.leafCount(), [](const LeafBody& b) {
            return (b.position - b.home).length() == 0 && (b.angles - Vec3(0, 180, 180)).length() == 0;
        });
    }
};

}  // namespace

TEST(LeafBody, SpeedLimitRestAndGlide) {
    LeafBody b = letterAt(0, 0, 0);
    b.addForce(Vec3(30, 0, 40));
    b.step();
    EXPECT_TRUE(std::fabs(b.velocity.x - 1.5f) < 1e-6 && std::fabs(b.velocity.z - 2) < 1e-6) << "cut to 2.5 a frame";
    b.spin.set(2, 2, 2);  // lying on the ground: no jitter drawn, no turning, no glide
    randomReset(77);
    b.step();
    EXPECT_EQ(randomState(), 77u);
    EXPECT_TRUE(b.angles.x == 0 && b.angles.z == 180 && b.velocity.length() == 0);
    LeafBody flying = letterAt(0, 50, 0);  // face down in the air (tilt -1): lift x tilt x normal is upward
    flying.spin.set(0, 0, 0);
    flying.spinJitter = flying.spinJitterOffset = 0;
    flying.step();
    EXPECT_NEAR(flying.velocity.y, 0.08f, 1e-6);
}

TEST(LeafBody, SettleStopsTiltIntoTheGroundByQuadrant) {
    LeafBody b = letterAt(0, 4, 0);  // height 4 of 8: at most 45 degrees from flat
    const float cases[][2] = {{30, 45}, {120, 135}, {200, 225}, {300, 315}, {-30, 315}, {90, 90}, {180, 180}};
    for (const auto& c : cases) {
        b.angles.set(c[0], 1234, c[0]);
        b.spin.set(1, 1, 1);
        b.settle(0);
        EXPECT_TRUE(b.angles.x == c[1] && b.angles.z == c[1] && b.angles.y == 1234) << c[0];
        EXPECT_TRUE(b.spin.x == 0 && b.spin.z == 0 && b.spin.y == 1) << c[0];
    }
    b.angles.set(30, 0, 0);  // tilt cos 30 reaches only 1.07 below the centre: free
    b.spin.set(1, 1, 1);
    b.settle(std::cos(30 * 3.14159265f / 180));
    EXPECT_TRUE(b.angles.x == 30 && b.spin.x == 1);
}

TEST(LeafKicker, SpinsAndLiftsOnlyGroundedLettersInsideTheRadius) {
    LeafKicker kicker(50);
    LeafBody b[5] = {letterAt(10, 0, 0, true), letterAt(0, 0, 50.5f, true), letterAt(0, 0, -20, false),
                     letterAt(0, 0, 0, true), letterAt(0, 0, 0, false)};  // the last two right under the pointer
    for (LeafBody& body : b) body.spin.set(1, 1, 1);
    randomReset(99);
    float kick[3];
    for (float& k : kick) k = randomFraction() * 6.0f - 3.0f;
    randomReset(99);
    kicker.push(b, 5);
    EXPECT_TRUE(b[0].spin.x == 1 + kick[0] && b[0].spin.y == 1 + kick[1] && b[0].spin.z == 1 + kick[2]);
    const Vec3 f = pending(b[0]);  // raised by half the letter's size
    EXPECT_TRUE(std::fabs(f.length() - 0.45f) < 1e-6 && std::fabs(f.y / f.x - 0.8f) < 1e-5) << f.x << " " << f.y;
    for (int i : {1, 2}) EXPECT_TRUE(b[i].spin.x == 1 && pending(b[i]).y == 0) << "just past the rim or in the air: " << i;
    EXPECT_EQ(pending(b[4]).length(), 0.0f) << "no direction, no push";
    b[3].step();
    EXPECT_FLOAT_EQ(b[3].position.y, 2.5f) << "a finite kick straight up";
}

TEST(Whirlwind, PullsInLiftsRoundAndBlowsOutOfItsEye) {
    Whirlwind w(Vec3(10, 99, -20));  // the centre's height is not used
    Vec3 f = w.forceAt(Vec3(110, 0, -20));
    EXPECT_TRUE(f.x < 0 && f.y == 0 && f.z == 0) << "outside: pulled toward the foot";
    f = w.forceAt(Vec3(15, 80, -20));  // the eye at half height
    EXPECT_TRUE(f.x > 0 && std::fabs(f.y / f.x - 16.0f) < 1e-3f) << "outward and upward: " << f.x << " " << f.y;
    f = w.forceAt(Vec3(40, 0, -20));  // the band, outside the core circle
    EXPECT_NEAR(f.length(), 0.4f, 1e-6);
    EXPECT_TRUE(f.x < 0 && f.y > 0 && f.z > 0) << "in, up and ahead, toward increasing angle";
    f = w.forceAt(Vec3(10, 0, -20));
    EXPECT_TRUE(f.x == 0 && f.y == 0.4f && f.z == 0) << "on the axis the air only rises";
    w.forceAt(Vec3(40, 0, -20));  // at or above the top, inside the outer radius or not: none, whatever came before
    EXPECT_TRUE(w.forceAt(Vec3(60, 160, -20)).length() == 0 && w.forceAt(Vec3(300, 500, 40)).length() == 0);
}

TEST_F(AutumnScene, OneLeafALetterAndTheOpeningPhases) {
    EXPECT_EQ(s.leafCount(), 586) << "one leaf for every letter";

    run(200);
    s.keyPressed(VK_CODE_ENTER);
    EXPECT_TRUE(s.phase() == s.PHASE_READ && !s.reforming()) << "Enter does nothing before play";
    run(3000);
    EXPECT_EQ(s.phase(), s.PHASE_SWING);
    run(100);
    EXPECT_TRUE(s.phase() == s.PHASE_PLAY && s.whirlwindOn() && allHome() && std::fabs(s.camera().yaw - 132) < 0.1f);
}

TEST_F(AutumnScene, EnterFliesEveryLetterHome) {
    toPlay();
    for (bool running : {true, false}) {
        run(250);
        if (!running) s.keyPressed(VK_CODE_CONTROL);
        s.keyPressed(VK_CODE_ENTER);
        run(59);
        EXPECT_FALSE(allHome());
        run(1);
        EXPECT_TRUE(allHome()) << "running " << running;
        if (!running) s.keyPressed(VK_CODE_CONTROL);
    }
    run(2);
    EXPECT_FALSE(s.reforming() || allHome()) << "the whirlwind takes hold again at once";
}

TEST_F(AutumnScene, KickBounceSpaceCtrlAndEscape) {
    toPlay();
    s.keyPressed(VK_CODE_SPACE);  // whirlwind off: gravity and the kick only
    run(5);
    const Vec3 spot = s.leaves()[200].home;  // a kick from the picked ground point
    lookFrom(spot + Vec3(0, 400, 0), spot, Vec3(0, 0, -1));
    s.mouseMoved(512, 384);
    s.mousePressed(512, 384, 1);
    run(1);
    EXPECT_NEAR((s.groundPoint() - spot).length(), 0, 1.0f);
    for (int i = 0; i < s.leafCount(); ++i) {
        Vec3 was = s.leaves()[i].home - s.groundPoint(), now = s.leaves()[i].position - s.groundPoint();
        was.y = now.y = 0;
        EXPECT_TRUE(was.length() >= 15 || s.leaves()[i].position.y > 0) << i << " kicked up";
        EXPECT_TRUE(was.length() <= 51 || (s.leaves()[i].position.y == 0 && now.length() > was.length())) << i;
    }
    LeafBody& falling = s.leaves()[4];  // gravity grows by 0.015 a frame to at most 0.065
    falling.position.set(0, 300, 0);
    falling.gravity.set(0, 0, 0);
    const float pulls[] = {-0.015f, -0.03f, -0.045f, -0.06f, -0.065f, -0.065f, -0.065f};
    for (float pull : pulls) {
        s.stepLeaves();
        EXPECT_FLOAT_EQ(falling.gravity.y, pull);
    }
    LeafBody& b = s.leaves()[3];  // a letter landing bounces back at 30 % of its speed
    b.position.set(10, 1, 10);
    b.velocity.set(0.5f, -1.5f, 0.25f);
    b.gravity.set(0, 0, 0);
    s.stepLeaves();
    EXPECT_TRUE(b.position.y == 0 && std::fabs(b.velocity.x - 0.15f) < 1e-6f && std::fabs(b.velocity.y - 1.515f * 0.3f) < 1e-6f);

    s.keyPressed(VK_CODE_SPACE);
    run(1);
    EXPECT_FLOAT_EQ(s.whirlwindRamp(), 0.02f) << "the whirlwind fades in from nothing";
    s.keyPressed(VK_CODE_SPACE);
    EXPECT_EQ(s.whirlwindRamp(), 0.0f) << "and is gone at once";
    s.keyPressed(VK_CODE_CONTROL);  // with the button still held
    const unsigned int state = randomState();
    run(20);
    s.keyPressed(VK_CODE_ESCAPE);
    run(100);
    EXPECT_TRUE(s.finished && randomState() == state) << "Ctrl: no kicks and no tumbling, through the fade-out";
}
