// The letter body, the kicker and the whirlwind on their own.
#include <gtest/gtest.h>

#include <cmath>

#include "render/random_generator.h"
#include "seasons/autumn/leaf_body.h"
#include "seasons/autumn/leaf_kicker.h"
#include "seasons/autumn/whirlwind.h"

namespace {

Vec3 pendingForce(LeafBody& body) {
    body.forces.sumAndClear();
    return body.forces.total();
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

LeafBody lyingLetter(float x, float y, float z) {
    LeafBody body;
    body.halfSize = 8;
    body.size = 16;
    body.position.set(x, y, z);
    body.angles.set(0, 180, 180);
    return body;
}

}  // namespace

TEST(LeafBody, SpinRatesDrawnInOrderAtConstruction) {
    randomReset();
    float expected[3];
    for (float& e : expected) e = 2.0f * randomFraction() + 1.0f;
    randomReset();
    LeafBody body;
    EXPECT_EQ(body.spin.x, expected[0]);
    EXPECT_EQ(body.spin.y, expected[1]);
    EXPECT_EQ(body.spin.z, expected[2]);
}

TEST(LeafBody, SummedForcesAboveTheLimitMoveExactlyTheLimit) {
    LeafBody body = lyingLetter(0, 0, 0);
    body.addForce(Vec3(10, 0, 0));
    body.addForce(Vec3(0.5f, 0, 0));
    body.step();
    EXPECT_EQ(body.position.x, 2.5f);
    EXPECT_EQ(body.velocity.x, 2.5f);

    body.addForce(Vec3(30, 0, 40));
    body.step();
    EXPECT_NEAR(body.velocity.length(), 2.5f, 1e-6);
    EXPECT_NEAR(body.velocity.x, 1.5f, 1e-6);
    EXPECT_NEAR(body.velocity.z, 2.0f, 1e-6);

    // Below the limit the sum is taken as it is and replaces the old velocity.
    body.addForce(Vec3(1, 0, -1));
    body.step();
    EXPECT_EQ(body.velocity.x, 1.0f);
    EXPECT_EQ(body.velocity.z, -1.0f);

    // Airborne, with the glide force added on top, the limit holds as well.
    LeafBody flying = lyingLetter(0, 100, 0);
    flying.addForce(Vec3(0, -80, 60));
    flying.step();
    EXPECT_NEAR(flying.velocity.length(), 2.5f, 1e-6);
    EXPECT_NEAR((flying.position - Vec3(0, 100, 0)).length(), 2.5f, 1e-5);
}

TEST(LeafBody, RestingLetterNeitherSpinsNorGlides) {
    LeafBody body = lyingLetter(3, 0, 4);
    body.spin.set(2, 2, 2);
    randomReset(77);
    body.step();
    EXPECT_EQ(randomState(), 77u) << "a resting letter draws no jitter";
    EXPECT_TRUE(body.onGround);
    EXPECT_EQ(body.angles.x, 0.0f);
    EXPECT_EQ(body.angles.y, 180.0f);
    EXPECT_EQ(body.angles.z, 180.0f);
    EXPECT_EQ(body.velocity.length(), 0.0f);
    EXPECT_EQ(body.position.x, 3.0f);
    EXPECT_EQ(body.position.y, 0.0f);
    EXPECT_FLOAT_EQ(body.spin.y, 1.96f);

    // The same letter in the air glides along its normal: face down, (0, -1, 0) scaled by lift x tilt
    // with a tilt of -1, which lifts it.
    LeafBody flying = lyingLetter(0, 50, 0);
    flying.spin.set(0, 0, 0);
    flying.spinJitter = 0;
    flying.spinJitterOffset = 0;
    flying.step();
    EXPECT_FALSE(flying.onGround);
    EXPECT_NEAR(flying.velocity.y, 0.08f, 1e-6);
    EXPECT_NEAR(flying.velocity.x, 0.0f, 1e-6);
}

TEST(LeafBody, TiltReachingIntoTheGroundStopsXAndZSpin) {
    // Tilted 60 degrees at height 2: the letter would reach 4 below its centre.
    LeafBody body = lyingLetter(0, 2, 0);
    body.angles.set(60, 0, 0);
    body.spin.set(1, 1, 1);
    body.tumble();
    EXPECT_EQ(body.spin.x, 0.0f);
    EXPECT_EQ(body.spin.z, 0.0f);
    EXPECT_FLOAT_EQ(body.spin.y, 0.98f);
    EXPECT_FLOAT_EQ(body.angles.x, 22.5f) << "as upright as height 2 of 8 allows";

    // Tilted 30 degrees it clears the ground and keeps turning freely.
    LeafBody clear = lyingLetter(0, 2, 0);
    clear.angles.set(30, 0, 0);
    clear.spin.set(1, 1, 1);
    clear.tumble();
    EXPECT_FLOAT_EQ(clear.spin.x, 0.98f);
    EXPECT_EQ(clear.angles.x, 30.0f);
}

TEST(LeafBody, SettleQuadrants) {
    LeafBody body = lyingLetter(0, 4, 0);  // ratio 0.5: 45 degrees from flat
    struct Case { float in, out; };
    const Case cases[] = {{30, 45},   {120, 135}, {200, 225}, {300, 315}, {-30, 315}, {390, 45},
                          {0, 0},     {90, 90},   {180, 180}, {270, 270}, {720, 0}};
    for (const Case& c : cases) {
        body.angles.set(c.in, 1234, c.in);
        body.settle(0);
        EXPECT_FLOAT_EQ(body.angles.x, c.out) << "x from " << c.in;
        EXPECT_FLOAT_EQ(body.angles.z, c.out) << "z from " << c.in;
        EXPECT_EQ(body.angles.y, 1234.0f) << "y is never wrapped";
    }
    // High enough, the tilt is left alone (only wrapped).
    body.position.y = 9;
    body.angles.set(-30, 0, 400);
    body.settle(0);
    EXPECT_FLOAT_EQ(body.angles.x, 330);
    EXPECT_FLOAT_EQ(body.angles.z, 40);
}

TEST(LeafKicker, GroundedLetterInsideRadiusIsSpunAndLifted) {
    LeafKicker kicker(50);
    kicker.setCentre(Vec3(0, 0, 0));
    LeafBody body = lyingLetter(10, 0, 0);
    body.onGround = true;
    body.spin.set(1, 1, 1);

    randomReset(99);
    float kick[3];
    for (float& k : kick) k = randomFraction() * 6.0f - 3.0f;
    randomReset(99);
    kicker.push(&body, 1);
    EXPECT_EQ(body.spin.x, 1.0f + kick[0]);
    EXPECT_EQ(body.spin.y, 1.0f + kick[1]);
    EXPECT_EQ(body.spin.z, 1.0f + kick[2]);
    for (float k : kick) {
        EXPECT_GE(k, -3.0f);
        EXPECT_LT(k, 3.0f);
    }
    Vec3 f = pendingForce(body);
    EXPECT_NEAR(f.length(), 4.5f / 10.0f, 1e-6);
    EXPECT_GT(f.x, 0);
    EXPECT_GT(f.y, 0) << "raised by half the letter's size";
    EXPECT_NEAR(f.y / f.x, 8.0f / 10.0f, 1e-5);
}

TEST(LeafKicker, OthersArePushedSidewaysOnly) {
    LeafKicker kicker(50);
    kicker.setCentre(Vec3(5, 0, 5));
    LeafBody outside = lyingLetter(5, 0, 105);  // grounded but 100 away
    outside.onGround = true;
    LeafBody airborne = lyingLetter(5, 0, -15);  // inside, but not on the ground
    airborne.onGround = false;
    LeafBody both[2] = {outside, airborne};
    both[0].spin.set(1, 2, 3);
    both[1].spin.set(1, 2, 3);
    randomReset(5);
    kicker.push(both, 2);
    EXPECT_EQ(randomState(), 5u) << "no spin kick drawn";
    Vec3 f0 = pendingForce(both[0]);
    EXPECT_EQ(f0.x, 0.0f);
    EXPECT_EQ(f0.y, 0.0f);
    EXPECT_NEAR(f0.z, 4.5f / 100.0f, 1e-7);
    Vec3 f1 = pendingForce(both[1]);
    EXPECT_EQ(f1.y, 0.0f);
    EXPECT_NEAR(f1.z, -4.5f / 20.0f, 1e-6);
    EXPECT_EQ(both[1].spin.x, 1.0f);
    EXPECT_EQ(both[1].spin.z, 3.0f);
}

TEST(LeafKicker, LetterExactlyUnderThePointerGetsAFiniteKick) {
    LeafKicker kicker(50);
    kicker.setCentre(Vec3(7, 0, 7));
    LeafBody grounded = lyingLetter(7, 0, 7);
    grounded.onGround = true;
    LeafBody hovering = lyingLetter(7, 0, 7);
    hovering.onGround = false;
    LeafBody bodies[2] = {grounded, hovering};
    kicker.push(bodies, 2);
    Vec3 up = pendingForce(bodies[0]);
    EXPECT_TRUE(finite(up));
    EXPECT_EQ(up.x, 0.0f);
    EXPECT_GT(up.y, 0.0f) << "kicked straight up";
    Vec3 none = pendingForce(bodies[1]);
    EXPECT_TRUE(finite(none));
    EXPECT_EQ(none.length(), 0.0f) << "no direction, no push";
    // The step after a kick stays finite and within the speed limit.
    kicker.push(bodies, 1);
    bodies[0].step();
    EXPECT_TRUE(finite(bodies[0].position));
    EXPECT_NEAR(bodies[0].velocity.length(), 2.5f, 1e-6);
}

TEST(Whirlwind, RadiiWidenWithHeight) {
    Whirlwind wind(Vec3(0, 0, 0));
    wind.forceAt(Vec3(100, 0, 0));
    EXPECT_FLOAT_EQ(wind.coreRadius, 20);
    EXPECT_FLOAT_EQ(wind.innerRadius, 0);
    EXPECT_FLOAT_EQ(wind.outerRadius, 40);
    wind.forceAt(Vec3(100, 80, 0));
    EXPECT_FLOAT_EQ(wind.coreRadius, 46.25f);
    EXPECT_FLOAT_EQ(wind.innerRadius, 22.5f);
    EXPECT_FLOAT_EQ(wind.outerRadius, 70);
}

TEST(Whirlwind, OutsideThePullIsTowardTheFoot) {
    Whirlwind wind(Vec3(10, 99, -20));  // the centre's height is not used
    Vec3 f = wind.forceAt(Vec3(110, 0, -20));
    EXPECT_NEAR(f.x, -9.0f / 80.0f, 1e-7);
    EXPECT_EQ(f.y, 0.0f);
    EXPECT_EQ(f.z, 0.0f);

    // Higher up the pull points down toward the foot as well.
    Vec3 p(10 + 60, 30, -20 + 80);
    f = wind.forceAt(p);
    double core = wind.coreRadius;
    EXPECT_NEAR(f.length(), 9.0 / (100.0 - core), 1e-6);
    EXPECT_NEAR(f.x / f.length(), -60.0 / std::sqrt(60 * 60 + 30 * 30 + 80 * 80), 1e-5);
    EXPECT_LT(f.y, 0.0f);
}

TEST(Whirlwind, TheEyeBlowsOutwardAndUpward) {
    Whirlwind wind(Vec3(0, 0, 0));
    Vec3 f = wind.forceAt(Vec3(5, 80, 0));  // inner radius 22.5 here
    EXPECT_NEAR(f.length(), 0.15 / (46.25 - 5), 1e-6);
    EXPECT_GT(f.x, 0.0f);
    EXPECT_GT(f.y, 0.0f);
    EXPECT_NEAR(f.y / f.x, 80.0f / 5.0f, 1e-3);
}

TEST(Whirlwind, TheBandDrawsTowardTheCoreAheadAndUp) {
    Whirlwind wind(Vec3(0, 0, 0));
    Vec3 outer = wind.forceAt(Vec3(30, 0, 0));  // between the core (20) and the outer radius (40)
    EXPECT_NEAR(outer.length(), 0.4f, 1e-6);
    EXPECT_LT(outer.x, 0.0f) << "in toward the core circle";
    EXPECT_GT(outer.y, 0.0f) << "slightly upward";
    EXPECT_GT(outer.z, 0.0f) << "ahead, toward increasing angle";

    Vec3 inner = wind.forceAt(Vec3(0, 0, -10));  // inside the core circle, angle -90 degrees
    EXPECT_NEAR(inner.length(), 0.4f, 1e-6);
    EXPECT_LT(inner.z, 0.0f) << "out toward the core circle";
    EXPECT_GT(inner.x, 0.0f) << "ahead of -90 degrees is toward +x";
}

TEST(Whirlwind, AboveTheTopThereIsNoForceWhateverCameBefore) {
    Whirlwind wind(Vec3(0, 0, 0));
    EXPECT_EQ(wind.forceAt(Vec3(300, 160, 0)).length(), 0.0f);
    EXPECT_EQ(wind.forceAt(Vec3(300, 500, 40)).length(), 0.0f);

    // Within the outer radius at or above the top: no leftover of the previous point's force.
    wind.forceAt(Vec3(30, 0, 0));
    Vec3 atTop = wind.forceAt(Vec3(50, 160, 0));
    wind.forceAt(Vec3(5, 80, 0));
    Vec3 above = wind.forceAt(Vec3(0, 170, 0));
    EXPECT_EQ(atTop.length(), 0.0f);
    EXPECT_EQ(above.length(), 0.0f);
}

TEST(Whirlwind, PointsOnTheAxisHaveADefinedFiniteForce) {
    Whirlwind wind(Vec3(3, 0, 4));
    Vec3 foot = wind.forceAt(Vec3(3, 0, 4));  // ground level: the band reaches the axis
    EXPECT_TRUE(finite(foot));
    EXPECT_EQ(foot.x, 0.0f);
    EXPECT_EQ(foot.z, 0.0f);
    EXPECT_FLOAT_EQ(foot.y, 0.4f) << "the air on the axis only rises";

    EXPECT_TRUE(finite(wind.forceAt(Vec3(3 + 1e-30f, 0, 4))));
    EXPECT_TRUE(finite(wind.forceAt(Vec3(3 + 1e-38f, 0, 4 - 1e-40f))));
    Vec3 eye = wind.forceAt(Vec3(3, 50, 4));  // higher up the axis lies in the eye
    EXPECT_TRUE(finite(eye));
    EXPECT_GT(eye.y, 0.0f);
    EXPECT_TRUE(finite(wind.forceAt(Vec3(3, -5, 4))));
}
