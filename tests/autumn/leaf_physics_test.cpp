// The letter body, the kicker and the whirlwind on their own.
#include <gtest/gtest.h>

#include <cmath>

#include "render/random_generator.h"
#include "seasons/autumn/leaf_body.h"
#include "seasons/autumn/leaf_kicker.h"
#include "seasons/autumn/whirlwind.h"

namespace {
Vec3 pending(LeafBody& b) {
    b.forces.sumAndClear();
    return b.forces.total();
}
bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
LeafBody letterAt(float x, float y, float z, bool grounded = false) {
    LeafBody b;
    b.halfSize = 8;
    b.position.set(x, y, z);
    b.angles.set(0, 180, 180);
    b.onGround = grounded;
    return b;
}
}  // namespace

TEST(LeafBody, SpeedLimitRestAndGlide) {
    LeafBody b = letterAt(0, 0, 0);
    b.addForce(Vec3(10, 0, 0));
    b.step();
    EXPECT_EQ(b.position.x, 2.5f);
    b.addForce(Vec3(30, 0, 40));
    b.step();
    EXPECT_NEAR(b.velocity.x, 1.5f, 1e-6);
    EXPECT_NEAR(b.velocity.z, 2.0f, 1e-6);

    // Lying on the ground: no jitter drawn, no turning, no glide.
    b.spin.set(2, 2, 2);
    randomReset(77);
    b.step();
    EXPECT_EQ(randomState(), 77u);
    EXPECT_EQ(b.angles.x, 0.0f);
    EXPECT_EQ(b.angles.z, 180.0f);
    EXPECT_EQ(b.velocity.length(), 0.0f);

    // In the air, face down (normal (0, -1, 0), tilt -1), it glides by lift x tilt x normal: upward.
    LeafBody flying = letterAt(0, 50, 0);
    flying.spin.set(0, 0, 0);
    flying.spinJitter = flying.spinJitterOffset = 0;
    flying.step();
    EXPECT_NEAR(flying.velocity.y, 0.08f, 1e-6);
}

TEST(LeafBody, SettleStopsTiltIntoTheGroundByQuadrant) {
    LeafBody b = letterAt(0, 4, 0);  // height 4 of 8: at most 45 degrees from flat
    const float cases[][2] = {{30, 45}, {120, 135}, {200, 225}, {300, 315}, {-30, 315},
                              {0, 0},   {90, 90},   {180, 180}, {270, 270}};
    for (const auto& c : cases) {
        b.angles.set(c[0], 1234, c[0]);
        b.spin.set(1, 1, 1);
        b.settle(0);
        EXPECT_FLOAT_EQ(b.angles.x, c[1]) << c[0];
        EXPECT_FLOAT_EQ(b.angles.z, c[1]) << c[0];
        EXPECT_EQ(b.angles.y, 1234.0f);
        EXPECT_EQ(b.spin.x + b.spin.z, 0.0f);
        EXPECT_EQ(b.spin.y, 1.0f);
    }
    b.angles.set(30, 0, 0);  // tilt cos 30 reaches only 1.07 below the centre: free
    b.spin.set(1, 1, 1);
    b.settle(std::cos(30 * 3.14159265f / 180));
    EXPECT_EQ(b.angles.x, 30.0f);
    EXPECT_EQ(b.spin.x, 1.0f);
}

TEST(LeafKicker, SpinsAndLiftsOnlyGroundedLettersInsideTheRadius) {
    LeafKicker kicker(50);
    kicker.setCentre(Vec3(0, 0, 0));
    LeafBody b[3] = {letterAt(10, 0, 0, true), letterAt(0, 0, 100, true), letterAt(0, 0, -20, false)};
    for (LeafBody& body : b) body.spin.set(1, 1, 1);
    randomReset(99);
    float kick[3];
    for (float& k : kick) k = randomFraction() * 6.0f - 3.0f;
    randomReset(99);
    kicker.push(b, 3);
    EXPECT_EQ(b[0].spin.x, 1.0f + kick[0]);
    EXPECT_EQ(b[0].spin.y, 1.0f + kick[1]);
    EXPECT_EQ(b[0].spin.z, 1.0f + kick[2]);
    Vec3 f = pending(b[0]);
    EXPECT_NEAR(f.length(), 0.45f, 1e-6);
    EXPECT_NEAR(f.y / f.x, 0.8f, 1e-5) << "raised by half the letter's size";

    for (int i : {1, 2}) {
        EXPECT_EQ(b[i].spin.x, 1.0f);
        Vec3 side = pending(b[i]);
        EXPECT_EQ(side.y, 0.0f);
        EXPECT_NEAR(side.z, i == 1 ? 0.045f : -0.225f, 1e-6);
    }

    // Exactly under the pointer: a finite kick straight up, or no push where there is no direction.
    LeafBody centred[2] = {letterAt(0, 0, 0, true), letterAt(0, 0, 0, false)};
    kicker.push(centred, 2);
    EXPECT_EQ(pending(centred[1]).length(), 0.0f);
    centred[0].step();
    EXPECT_TRUE(finite(centred[0].position));
    EXPECT_FLOAT_EQ(centred[0].position.y, 2.5f);
}

TEST(Whirlwind, RegionsAndRadii) {
    Whirlwind w(Vec3(10, 99, -20));  // the centre's height is not used
    Vec3 f = w.forceAt(Vec3(110, 0, -20));
    EXPECT_FLOAT_EQ(w.coreRadius, 20);
    EXPECT_FLOAT_EQ(w.innerRadius, 0);
    EXPECT_FLOAT_EQ(w.outerRadius, 40);
    EXPECT_NEAR(f.x, -9.0f / 80, 1e-7) << "outside: pulled toward the foot";
    EXPECT_EQ(f.y, 0.0f);

    f = w.forceAt(Vec3(15, 80, -20));  // the eye at half height
    EXPECT_FLOAT_EQ(w.coreRadius, 46.25f);
    EXPECT_FLOAT_EQ(w.innerRadius, 22.5f);
    EXPECT_FLOAT_EQ(w.outerRadius, 70);
    EXPECT_NEAR(f.length(), 0.15 / (46.25 - 5), 1e-6);
    EXPECT_NEAR(f.y / f.x, 16.0f, 1e-3) << "outward and upward";

    f = w.forceAt(Vec3(40, 0, -20));  // the band, outside the core circle
    EXPECT_NEAR(f.length(), 0.4f, 1e-6);
    EXPECT_LT(f.x, 0.0f);
    EXPECT_GT(f.y, 0.0f);
    EXPECT_GT(f.z, 0.0f) << "ahead, toward increasing angle";

    EXPECT_EQ(w.forceAt(Vec3(300, 160, 0)).length(), 0.0f);
    EXPECT_EQ(w.forceAt(Vec3(300, 500, 40)).length(), 0.0f);
}

TEST(Whirlwind, AxisAndTopHaveForcesOfTheirOwn) {
    Whirlwind w(Vec3(3, 0, 4));
    Vec3 foot = w.forceAt(Vec3(3, 0, 4));
    EXPECT_EQ(foot.x, 0.0f);
    EXPECT_FLOAT_EQ(foot.y, 0.4f) << "on the axis the air only rises";
    EXPECT_EQ(foot.z, 0.0f);
    for (Vec3 p : {Vec3(3 + 1e-30f, 0, 4), Vec3(3 + 1e-38f, 0, 4 - 1e-40f), Vec3(3, 50, 4), Vec3(3, -5, 4)})
        EXPECT_TRUE(finite(w.forceAt(p)));

    // At or above the top inside the outer radius: none, whatever was evaluated before.
    w.forceAt(Vec3(33, 0, 4));
    EXPECT_EQ(w.forceAt(Vec3(53, 160, 4)).length(), 0.0f);
    w.forceAt(Vec3(8, 80, 4));
    EXPECT_EQ(w.forceAt(Vec3(3, 170, 4)).length(), 0.0f);
}
