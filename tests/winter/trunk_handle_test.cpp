// The ring at the trunk's foot: grabbing, pulling to the rim, and when it shows.
#include <gtest/gtest.h>

#include <cmath>

#include "app/headless_context.h"
#include "seasons/winter/trunk_handle.h"

TEST(TrunkHandle, GrabsOnlyWithinReachAndKeepsAPulledRingOnTheRim) {
    HeadlessContext context(16, 16);  // the ring is a display list
    ASSERT_TRUE(context.ok()) << context.error();
    TrunkHandle handle(17.0f);
    EXPECT_FALSE(handle.drag(Vec3(12, 0, 12)));  // 16.97 from the foot: within reach, the ring shows
    EXPECT_TRUE(handle.ringVisible());
    handle.drag(Vec3(17.5f, 0, 0));
    EXPECT_FALSE(handle.ringVisible());
    handle.press();
    EXPECT_TRUE(handle.held);
    EXPECT_FALSE(handle.grabbed);
    for (const Vec3& p : {Vec3(5, 0, 0), Vec3(0, 0, 0), Vec3(40, 0, 0)}) {
        EXPECT_FALSE(handle.drag(p));
        EXPECT_FALSE(handle.ringVisible());
    }
    handle.release();

    // Grabbed within reach, then pulled to the rim.
    handle.drag(Vec3(10, 0, 0));
    handle.press();
    ASSERT_TRUE(handle.grabbed);
    EXPECT_FALSE(handle.drag(Vec3(16.9f, 0, 0)));  // inside the rim: no pull

    EXPECT_TRUE(handle.drag(Vec3(30, 0, 0)));
    EXPECT_FLOAT_EQ(handle.point.x, 17);
    EXPECT_FLOAT_EQ(handle.pullAngle, 90);  // toward +x, measured from +z
    EXPECT_NEAR(handle.pullStrength, 0.1f, 1e-5);
    // Held still beyond the rim: a pull of strength 0, renewed every frame.
    EXPECT_TRUE(handle.drag(Vec3(30, 0, 0)));
    EXPECT_EQ(handle.pullStrength, 0);
    // Swinging round to -z moves the ring along the rim by the chord.
    EXPECT_TRUE(handle.drag(Vec3(0, 0, -50)));
    EXPECT_NEAR(handle.pullAngle, 180, 1e-4);
    EXPECT_NEAR(handle.pullStrength, 17 * std::sqrt(2.0f), 1e-4);

    handle.release();
    EXPECT_FALSE(handle.drag(Vec3(0, 0, -50)));

    // A ring without a radius pulls without dividing by zero.
    TrunkHandle dot(0.0f);
    dot.drag(Vec3());
    dot.press();
    EXPECT_TRUE(dot.drag(Vec3()));
    EXPECT_TRUE(std::isfinite(dot.point.x) && std::isfinite(dot.pullAngle));
}
