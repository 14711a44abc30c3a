// Faults the monkey found, each pinned down on its own.
#include <gtest/gtest.h>

#include <cmath>

#include "render/orbit_camera.h"

// A fast right-drag flings the camera far past a pitch limit. The soft limit reverses the motion; it
// used to scale it by 1 - beyond / margin, so that a camera 30 degrees past the limit came back ten
// times faster, overshot the other limit by more, and within a few dozen frames its angles were
// infinite and the scene vanished.
TEST(FaultsFound, ACameraFlungPastItsPitchLimitsComesBackWithoutSpeedingUp) {
    for (float fling : {40.0f, -40.0f, 400.0f, -4000.0f}) {
        OrbitCamera camera;
        camera.pitch = 45;
        camera.distance = 500;
        camera.pitchVelocity = fling;
        float fastest = std::fabs(fling);
        for (int frame = 0; frame < 2000; ++frame) {
            camera.update();
            ASSERT_TRUE(std::isfinite(camera.pitch) && std::isfinite(camera.eye.x) && std::isfinite(camera.eye.y))
                << "fling " << fling << ", frame " << frame;
            ASSERT_LE(std::fabs(camera.pitchVelocity), fastest) << "fling " << fling << ", frame " << frame;
        }
        EXPECT_LT(std::fabs(camera.pitchVelocity), 1.0f) << "fling " << fling;  // damped out
    }
}
