#include <gtest/gtest.h>

#include <cmath>

#include "render/orbit_camera.h"

TEST(OrbitCamera, ConstructionAndResetLimits) {
    OrbitCamera cam;
    EXPECT_EQ(cam.target.y, 1.0f);
    EXPECT_EQ(cam.target.z, 0.5f);
    EXPECT_EQ(cam.up.z, 1.0f);
    EXPECT_EQ(cam.distanceMin, 2.0f);

    cam.eye = Vec3(1, 2, 3);
    cam.lastX = 0.25f;
    cam.pitch = 40;
    cam.pitchSoftMax = 50;
    cam.zoomVelocity = 9;
    cam.locked = 1;
    cam.resetLimits();
    EXPECT_EQ(cam.locked, 0);
    EXPECT_EQ(cam.pitch, 0.0f);
    EXPECT_EQ(cam.pitchSoftMax, 87.0f);
    EXPECT_EQ(cam.zoomVelocity, 0.0f);
    EXPECT_EQ(cam.eye.z, 3.0f);
    EXPECT_EQ(cam.lastX, 0.25f);
}

TEST(OrbitCamera, SetDerivesAnglesAndUpdatePlacesTheEyeOnTheSphere) {
    OrbitCamera cam;
    cam.set(Vec3(0, 3, 4), Vec3(0, 0, 0), Vec3(0, 1, 0));
    EXPECT_NEAR(cam.yaw, 90.0f, 1e-4f);
    EXPECT_NEAR(cam.pitch, std::atan2(3.0, 4.0) * 180 / 3.14159265358979, 1e-4f);
    EXPECT_FLOAT_EQ(cam.distance, 5.0f);
    cam.update();
    EXPECT_NEAR(cam.eye.x, 0.0f, 1e-5f);
    EXPECT_NEAR(cam.eye.y, 3.0f, 1e-5f);
    EXPECT_NEAR(cam.eye.z, 4.0f, 1e-5f);

    // Pitch is measured against z, not against the horizontal distance.
    cam.set(Vec3(3, 4, 0), Vec3(0, 0, 0), Vec3(0, 1, 0));
    EXPECT_NEAR(cam.pitch, 90.0f, 1e-4f);
    EXPECT_NEAR(cam.yaw, 0.0f, 1e-4f);

    // The eye orbits the world origin: the target is not added.
    cam.set(Vec3(10, 0, 0), Vec3(5, 0, 0), Vec3(0, 1, 0));
    EXPECT_FLOAT_EQ(cam.distance, 5.0f);
    cam.update();
    EXPECT_NEAR(cam.eye.x, 5.0f, 1e-5f);
}

TEST(OrbitCamera, SetWhileLockedKeepsTheOldAngles) {
    OrbitCamera cam;
    cam.set(Vec3(0, 3, 4), Vec3(0, 0, 0), Vec3(0, 1, 0));
    const float pitch = cam.pitch, yaw = cam.yaw;
    cam.locked = 1;
    cam.set(Vec3(0, 50, 1), Vec3(1, 1, 1), Vec3(0, 0, 1));
    EXPECT_EQ(cam.eye.y, 50.0f);
    EXPECT_EQ(cam.target.x, 1.0f);
    EXPECT_EQ(cam.pitch, pitch);
    EXPECT_EQ(cam.yaw, yaw);
    EXPECT_EQ(cam.distance, 5.0f);

    // Locked: update and zoom do nothing.
    cam.zoomVelocity = 1;
    cam.zoom(3);
    cam.update();
    EXPECT_EQ(cam.zoomVelocity, 1.0f);
    EXPECT_EQ(cam.eye.y, 50.0f);

    cam.locked = 0;
    cam.zoomVelocity = 0;
    cam.update();
    EXPECT_NEAR(cam.eye.y, 3.0f, 1e-5f);
    EXPECT_NEAR(cam.eye.z, 4.0f, 1e-5f);
}

TEST(OrbitCamera, DragTurnsOnlyWithTheRightButtonButAlwaysTracksThePointer) {
    OrbitCamera cam;
    cam.grab(0.5f, 0.5f, true, false);
    cam.drag(0.7f, 0.4f, true, false);
    EXPECT_EQ(cam.pitchVelocity, 0.0f);
    EXPECT_EQ(cam.yawVelocity, 0.0f);
    EXPECT_EQ(cam.lastX, 0.7f);
    EXPECT_EQ(cam.lastY, 0.4f);

    // The first drag with the button down starts from the last position, without a jump.
    cam.drag(0.8f, 0.6f, false, true);
    EXPECT_NEAR(cam.pitchVelocity, 0.2f * 1.5f, 1e-6f);
    EXPECT_NEAR(cam.yawVelocity, 0.1f * 1.5f, 1e-6f);

    cam.locked = 1;
    cam.drag(0.1f, 0.1f, false, true);
    EXPECT_NEAR(cam.pitchVelocity, 0.3f, 1e-6f);
    EXPECT_EQ(cam.lastX, 0.1f);
}

TEST(OrbitCamera, ZoomWithinSoftZonesOnlyAcceptsThePushBack) {
    OrbitCamera cam;
    cam.distance = 1199;
    cam.zoom(5);
    EXPECT_EQ(cam.zoomVelocity, 0.0f);
    cam.zoom(-5);
    EXPECT_EQ(cam.zoomVelocity, -5.0f);

    cam.zoomVelocity = 0;
    cam.distance = 3;
    cam.zoom(-5);
    EXPECT_EQ(cam.zoomVelocity, 0.0f);
    cam.zoom(5);
    EXPECT_EQ(cam.zoomVelocity, 5.0f);

    cam.zoomVelocity = 0;
    cam.distance = 4;  // on the soft limit: outside the zone
    cam.zoom(-2);
    cam.zoom(-3);
    EXPECT_EQ(cam.zoomVelocity, -5.0f);
}

TEST(OrbitCamera, PitchSoftLimitsScaleThenReverseTheVelocity) {
    OrbitCamera cam;
    cam.distance = 100;
    cam.pitch = 87.5f;
    cam.pitchVelocity = 0.5f;
    cam.update();
    EXPECT_FLOAT_EQ(cam.pitch, 88.0f);
    // Damped, then scaled by 1 - (88 - 87) / 3.
    EXPECT_NEAR(cam.pitchVelocity, 0.5 * 0.988 * (2.0 / 3.0), 1e-6);

    cam.pitch = 90.5f;
    cam.pitchVelocity = 0.5f;
    cam.update();
    EXPECT_NEAR(cam.pitchVelocity, 0.5 * 0.988 * (1 - 4.0 / 3.0), 1e-6);
    EXPECT_LT(cam.pitchVelocity, 0.0f);
    for (int i = 0; i < 300; ++i) cam.update();
    EXPECT_LT(cam.pitch, 90.0f);

    cam.pitch = 6.5f;
    cam.pitchVelocity = -1;
    cam.update();
    EXPECT_FLOAT_EQ(cam.pitch, 5.5f);
    EXPECT_NEAR(cam.pitchVelocity, -0.988 * ((5.5 - 6.0) / 3.0 + 1), 1e-6);

    // Within the soft range only the damping acts; yaw has no soft limits.
    cam.pitch = 45;
    cam.pitchVelocity = 1;
    cam.yaw = 100;
    cam.yawVelocity = -2;
    cam.update();
    EXPECT_FLOAT_EQ(cam.pitchVelocity, 0.988f);
    EXPECT_FLOAT_EQ(cam.yawVelocity, -2 * 0.988f);
    EXPECT_FLOAT_EQ(cam.yaw, 98.0f);

    // A soft zone without width stops the motion instead of dividing by zero.
    cam.pitchMargin = 0;
    cam.pitch = 87.5f;
    cam.pitchVelocity = 1;
    cam.update();
    EXPECT_EQ(cam.pitchVelocity, 0.0f);
    EXPECT_TRUE(std::isfinite(cam.eye.x) && std::isfinite(cam.eye.y));
}

TEST(OrbitCamera, DistanceSoftAndHardLimits) {
    OrbitCamera cam;
    cam.pitch = 30;
    cam.distance = 5;
    cam.zoomVelocity = -2;
    cam.update();  // 5 is outside the soft zone: only the damping
    EXPECT_FLOAT_EQ(cam.distance, 3.0f);
    EXPECT_FLOAT_EQ(cam.zoomVelocity, -1.96f);
    cam.update();  // scaled by (3 - 4) / 2 + 1 before the step
    EXPECT_NEAR(cam.distance, 3.0 - 0.98, 1e-5);
    EXPECT_NEAR(cam.zoomVelocity, -0.98 * 0.98, 1e-6);

    cam.distance = 1199;
    cam.zoomVelocity = 1;
    cam.update();
    EXPECT_NEAR(cam.distance, 1199.5, 1e-3);

    // A big step inward ends the frame exactly on the hard limit; likewise outward.
    cam.distance = 10;
    cam.zoomVelocity = -50;
    cam.update();
    EXPECT_EQ(cam.distance, 2.0f);
    EXPECT_NEAR(cam.eye.length(), 2.0f, 1e-5f);
    cam.distance = 1100;
    cam.zoomVelocity = 500;
    cam.update();
    EXPECT_EQ(cam.distance, 1200.0f);

    cam.distanceMargin = 0;
    cam.distance = 3;
    cam.zoomVelocity = -1;
    cam.update();
    EXPECT_EQ(cam.zoomVelocity, 0.0f);
    EXPECT_EQ(cam.distance, 3.0f);
}

TEST(OrbitCamera, AnglesWrapOneStepPerFrame) {
    OrbitCamera cam;
    cam.distance = 10;
    cam.yaw = 359;
    cam.yawVelocity = 1;
    cam.update();
    EXPECT_EQ(cam.yaw, 360.0f);  // exactly 360 stays

    cam.yaw = 0.5f;
    cam.yawVelocity = -1;
    cam.update();
    EXPECT_FLOAT_EQ(cam.yaw, 359.5f);

    cam.yawVelocity = 0;
    cam.yaw = 800;
    cam.update();
    EXPECT_EQ(cam.yaw, 440.0f);

    cam.pitch = 359.5f;
    cam.pitchVelocity = 1;
    cam.update();
    EXPECT_FLOAT_EQ(cam.pitch, 0.5f);
    cam.pitch = 360;
    cam.pitchVelocity = 0;
    cam.update();
    EXPECT_EQ(cam.pitch, 360.0f);
    cam.pitch = -1;
    cam.update();
    EXPECT_EQ(cam.pitch, 359.0f);
}
