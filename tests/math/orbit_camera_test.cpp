#include <gtest/gtest.h>

#include <cmath>

#include "render/orbit_camera.h"

TEST(OrbitCamera, SetDerivesAnglesAndLockedSetKeepsThem) {
    OrbitCamera cam;
    cam.set(Vec3(0, 3, 4), Vec3(0, 0, 0), Vec3(0, 1, 0));
    EXPECT_NEAR(cam.yaw, 90.0f, 1e-4f);
    EXPECT_NEAR(cam.pitch, 36.869898f, 1e-4f);  // atan2(y, z)
    EXPECT_FLOAT_EQ(cam.distance, 5.0f);

    cam.locked = 1;
    cam.set(Vec3(0, 50, 1), Vec3(1, 1, 1), Vec3(0, 0, 1));
    EXPECT_EQ(cam.eye.y, 50.0f);
    EXPECT_NEAR(cam.yaw, 90.0f, 1e-4f);
    EXPECT_FLOAT_EQ(cam.distance, 5.0f);
    cam.zoom(3);
    cam.update();  // locked: nothing moves
    EXPECT_EQ(cam.zoomVelocity, 0.0f);
    EXPECT_EQ(cam.eye.y, 50.0f);

    cam.locked = 0;
    cam.update();  // back onto the sphere of the old angles, about the origin
    EXPECT_NEAR(cam.eye.x, 0.0f, 1e-5f);
    EXPECT_NEAR(cam.eye.y, 3.0f, 1e-5f);
    EXPECT_NEAR(cam.eye.z, 4.0f, 1e-5f);
}

TEST(OrbitCamera, DragTurnsOnlyWithTheRightButtonButAlwaysTracksThePointer) {
    OrbitCamera cam;
    cam.grab(0.5f, 0.5f, true, false);
    cam.drag(0.7f, 0.4f, true, false);
    EXPECT_EQ(cam.pitchVelocity, 0.0f);
    EXPECT_EQ(cam.lastX, 0.7f);
    EXPECT_EQ(cam.lastY, 0.4f);
    cam.drag(0.8f, 0.6f, false, true);  // starts from the last position: no jump
    EXPECT_NEAR(cam.pitchVelocity, 0.3f, 1e-6f);
    EXPECT_NEAR(cam.yawVelocity, 0.15f, 1e-6f);
    cam.locked = 1;
    cam.drag(0.1f, 0.1f, false, true);
    EXPECT_NEAR(cam.pitchVelocity, 0.3f, 1e-6f);
    EXPECT_EQ(cam.lastX, 0.1f);
}

TEST(OrbitCamera, ZoomWithinSoftZonesOnlyAcceptsThePushBack) {
    OrbitCamera cam;
    cam.distance = 1199;
    cam.zoom(5);
    cam.zoom(-5);
    EXPECT_EQ(cam.zoomVelocity, -5.0f);
    cam.zoomVelocity = 0;
    cam.distance = 3;
    cam.zoom(-5);
    cam.zoom(5);
    EXPECT_EQ(cam.zoomVelocity, 5.0f);
    cam.zoomVelocity = 0;
    cam.distance = 4;  // on the soft limit is outside the zone
    cam.zoom(-2);
    cam.zoom(3);
    EXPECT_EQ(cam.zoomVelocity, 1.0f);
}

TEST(OrbitCamera, PitchSoftLimitsScaleThenReverseTheVelocity) {
    OrbitCamera cam;
    cam.distance = 100;
    cam.pitch = 87.5f;
    cam.pitchVelocity = 0.5f;
    cam.update();  // damped, then scaled by 1 - (88 - 87) / 3
    EXPECT_FLOAT_EQ(cam.pitch, 88.0f);
    EXPECT_NEAR(cam.pitchVelocity, 0.5 * 0.988 * (2.0 / 3.0), 1e-6);

    cam.pitch = 90.5f;
    cam.pitchVelocity = 0.5f;
    cam.update();
    EXPECT_NEAR(cam.pitchVelocity, 0.5 * 0.988 * (1 - 4.0 / 3.0), 1e-6);
    for (int i = 0; i < 300; ++i) cam.update();
    EXPECT_LT(cam.pitch, 90.0f);

    cam.pitch = 6.5f;
    cam.pitchVelocity = -1;
    cam.update();
    EXPECT_NEAR(cam.pitchVelocity, -0.988 * ((5.5 - 6.0) / 3.0 + 1), 1e-6);

    cam.pitchMargin = 0;  // a zone without width stops the motion, no division by zero
    cam.pitch = 87.5f;
    cam.pitchVelocity = 1;
    cam.update();
    EXPECT_EQ(cam.pitchVelocity, 0.0f);
}

TEST(OrbitCamera, DistanceSoftAndHardLimits) {
    OrbitCamera cam;
    cam.distance = 5;
    cam.zoomVelocity = -2;
    cam.update();  // outside the soft zone: only the damping
    EXPECT_FLOAT_EQ(cam.distance, 3.0f);
    EXPECT_FLOAT_EQ(cam.zoomVelocity, -1.96f);
    cam.update();  // scaled by (3 - 4) / 2 + 1 before the step
    EXPECT_NEAR(cam.distance, 2.02, 1e-5);

    cam.distance = 10;
    cam.zoomVelocity = -50;
    cam.update();
    EXPECT_EQ(cam.distance, 2.0f);
    cam.distance = 1100;
    cam.zoomVelocity = 500;
    cam.update();
    EXPECT_EQ(cam.distance, 1200.0f);
    EXPECT_NEAR(cam.eye.length(), 1200.0f, 1e-2f);
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
}
