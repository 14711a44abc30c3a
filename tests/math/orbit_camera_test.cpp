// The orbit camera (angles from a placed eye, drag, zoom, soft and hard limits, wrapping) and the tween.
#include <gtest/gtest.h>

#include <cmath>

#include "render/camera_tween.h"
#include "render/orbit_camera.h"

TEST(OrbitCamera, SetDerivesAnglesAndLockedSetKeepsThem) {
    OrbitCamera cam;
    cam.set(Vec3(0, 3, 4), Vec3(0, 0, 0), Vec3(0, 1, 0));  // yaw atan2(z, x), pitch atan2(y, z)
    EXPECT_TRUE(std::fabs(cam.yaw - 90) < 1e-4f && std::fabs(cam.pitch - 36.869898f) < 1e-4f && cam.distance == 5);
    cam.locked = 1;  // locked: set only stores the vectors, zoom and update do nothing
    cam.set(Vec3(0, 50, 1), Vec3(1, 1, 1), Vec3(0, 0, 1));
    cam.zoom(3);
    cam.update();
    EXPECT_TRUE(cam.eye.y == 50 && cam.zoomVelocity == 0 && std::fabs(cam.yaw - 90) < 1e-4f && cam.distance == 5);
    cam.locked = 0;
    cam.update();  // back onto the sphere of the old angles, about the origin
    EXPECT_LT((cam.eye - Vec3(0, 3, 4)).length(), 1e-5f);
}

TEST(OrbitCamera, DragTurnsOnlyWithTheRightButtonButAlwaysTracksThePointer) {
    OrbitCamera cam;
    cam.grab(0.5f, 0.5f, true, false);
    cam.drag(0.7f, 0.4f, true, false);
    EXPECT_TRUE(cam.pitchVelocity == 0.0f && cam.lastX == 0.7f && cam.lastY == 0.4f);
    cam.drag(0.8f, 0.6f, false, true);  // starts from the last position: no jump
    EXPECT_TRUE(std::fabs(cam.pitchVelocity - 0.3f) < 1e-6f && std::fabs(cam.yawVelocity - 0.15f) < 1e-6f);
    cam.locked = 1;
    cam.drag(0.1f, 0.1f, false, true);
    EXPECT_TRUE(std::fabs(cam.pitchVelocity - 0.3f) < 1e-6f && cam.lastX == 0.1f);
}

TEST(OrbitCamera, ZoomWithinSoftZonesOnlyAcceptsThePushBack) {
    // Distance, then the zoom velocity after zooming out by 5 and in by 3; on a soft limit is outside its zone.
    const float cases[][2] = {{1199, -3}, {1198, 2}, {3, 5}, {4, 2}};
    for (const auto& c : cases) {
        OrbitCamera cam;
        cam.distance = c[0];
        cam.zoom(5);
        cam.zoom(-3);
        EXPECT_EQ(cam.zoomVelocity, c[1]) << c[0];
    }
}

TEST(OrbitCamera, PitchSoftLimitsScaleThenReverseTheVelocity) {
    // Pitch, velocity and margin before a frame, then the velocity after it: damped by 0.988, then scaled
    // by 1 - beyond / margin past a soft limit (87 or 6), reversed one margin further out; no margin stops it.
    const double cases[][4] = {{87.5, 0.5, 3, 0.5 * 0.988 * (2.0 / 3.0)},
                               {90.5, 0.5, 3, 0.5 * 0.988 * (1 - 4.0 / 3.0)},
                               {6.5, -1, 3, -0.988 * ((5.5 - 6.0) / 3.0 + 1)},
                               {87.5, 1, 0, 0}};
    for (const auto& c : cases) {
        OrbitCamera cam;
        cam.distance = 100;
        cam.pitch = (float)c[0], cam.pitchVelocity = (float)c[1], cam.pitchMargin = (float)c[2];
        cam.update();
        EXPECT_NEAR(cam.pitchVelocity, c[3], 1e-6) << c[0];
    }
}

TEST(OrbitCamera, DistanceSoftAndHardLimits) {
    OrbitCamera cam;
    cam.distance = 5, cam.zoomVelocity = -2;
    cam.update();  // outside the soft zone: only the damping
    EXPECT_TRUE(cam.distance == 3.0f && std::fabs(cam.zoomVelocity + 1.96f) < 1e-6f);
    cam.update();  // scaled by (3 - 4) / 2 + 1 before the step
    EXPECT_NEAR(cam.distance, 2.02, 1e-5);
    const float hard[][3] = {{10, -50, 2}, {1100, 500, 1200}};  // a step past a hard limit ends on it
    for (const auto& h : hard) {
        cam.distance = h[0], cam.zoomVelocity = h[1];
        cam.update();
        EXPECT_TRUE(cam.distance == h[2] && std::fabs(cam.eye.length() - h[2]) < 1e-2f) << h[0];
    }
}

TEST(OrbitCamera, AnglesWrapOneStepPerFrame) {
    // An angle and its velocity, then the angle after a frame: yaw and pitch alike; exactly 360 stays.
    const float cases[][3] = {{359, 1, 360}, {0.5f, -1, 359.5f}, {359.5f, 1, 0.5f}, {800, 0, 440}};
    for (const auto& c : cases) {
        OrbitCamera cam;
        cam.distance = 10;
        cam.yaw = cam.pitch = c[0];
        cam.yawVelocity = cam.pitchVelocity = c[1];
        cam.update();
        EXPECT_TRUE(cam.yaw == c[2] && cam.pitch == c[2]) << c[0];
    }
}


TEST(CameraTween, EasesByTheHalfCosineFromStartToEnd) {
    const float from[3] = {0, 10, -4}, to[3] = {8, 10, 4};
    CameraTween tween(from, to);
    for (float t : {0.0f, 0.25f, 1.0f}) {
        const float f = (1 - std::cos(3.14159265f * t)) / 2;
        EXPECT_NEAR(tween.at(t)[0], 8 * f, 1e-5f);
        EXPECT_NEAR(tween.out[2], -4 + 8 * f, 1e-5f);
    }
}

// A fault the monkey found: the soft limit used to scale the motion by 1 - beyond / margin, so that a
// camera flung 30 degrees past a limit came back ten times faster, overshot the other limit by more,
// and within a few dozen frames its angles were infinite and the scene vanished.
TEST(OrbitCamera, FlungPastItsPitchLimitsItComesBackWithoutSpeedingUp) {
    for (float fling : {40.0f, -40.0f, 400.0f, -4000.0f}) {
        OrbitCamera camera;
        camera.pitch = 45;
        camera.distance = 500;
        camera.pitchVelocity = fling;
        for (int frame = 0; frame < 2000; ++frame) {
            camera.update();
            ASSERT_TRUE(std::isfinite(camera.eye.x) && std::isfinite(camera.eye.y) &&
                        std::fabs(camera.pitchVelocity) <= std::fabs(fling))
                << "fling " << fling << ", frame " << frame;
        }
        EXPECT_LT(std::fabs(camera.pitchVelocity), 1.0f) << "fling " << fling;  // damped out
    }
}
