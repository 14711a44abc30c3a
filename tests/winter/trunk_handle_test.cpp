// The ring at the trunk's foot: grabbing, pulling to the rim, and when it shows.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/headless_context.h"
#include "seasons/winter/trunk_handle.h"

namespace {

class TrunkHandleTest : public ::testing::Test {
protected:
    std::unique_ptr<HeadlessContext> context;
    std::unique_ptr<TrunkHandle> handle;

    void SetUp() override {
        context = std::make_unique<HeadlessContext>(16, 16);  // the ring is a display list
        ASSERT_TRUE(context->ok()) << context->error();
        handle = std::make_unique<TrunkHandle>(17.0f);
        handle->setAnchor(Vec3(0, 0, 0));
    }
};

}  // namespace

TEST_F(TrunkHandleTest, APressOutOfReachGrabsNothing) {
    EXPECT_FALSE(handle->drag(Vec3(12, 0, 12)));  // 16.97 from the foot: in reach, the ring shows
    EXPECT_TRUE(handle->ringVisible());
    handle->drag(Vec3(17.5f, 0, 0));
    EXPECT_FALSE(handle->ringVisible());
    handle->press();
    EXPECT_TRUE(handle->held);
    EXPECT_FALSE(handle->grabbed);
    // Dragging in and out again never pulls, and no ring is shown while the button is held.
    for (const Vec3& p : {Vec3(5, 0, 0), Vec3(0, 0, 0), Vec3(40, 0, 0), Vec3(0, 0, -90)}) {
        EXPECT_FALSE(handle->drag(p));
        EXPECT_FALSE(handle->ringVisible());
    }
    handle->release();
    EXPECT_FALSE(handle->held);
}

TEST_F(TrunkHandleTest, PullingToTheRimKeepsTheRingThereAndMeasuresTheMove) {
    handle->drag(Vec3(10, 0, 0));
    handle->press();
    ASSERT_TRUE(handle->grabbed);
    EXPECT_TRUE(handle->ringVisible());
    EXPECT_FALSE(handle->drag(Vec3(16.9f, 0, 0)));  // inside the rim: no pull

    EXPECT_TRUE(handle->drag(Vec3(30, 0, 0)));
    EXPECT_FLOAT_EQ(handle->point.x, 17);
    EXPECT_FLOAT_EQ(handle->pullAngle, 90);  // toward +x, measured from +z
    EXPECT_NEAR(handle->pullStrength, 0.1f, 1e-5);

    // Held still beyond the rim: a pull of strength 0, renewed every frame.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(handle->drag(Vec3(30, 0, 0)));
        EXPECT_EQ(handle->pullStrength, 0);
        EXPECT_FLOAT_EQ(handle->point.x, 17);
    }

    // Swinging round to -z moves the ring along the rim by the chord.
    EXPECT_TRUE(handle->drag(Vec3(0, 0, -50)));
    EXPECT_NEAR(handle->pullAngle, 180, 1e-4);
    EXPECT_NEAR(handle->pullStrength, 17 * std::sqrt(2.0f), 1e-4);
    EXPECT_NEAR(handle->point.z, -17, 1e-5);

    handle->release();
    EXPECT_FALSE(handle->grabbed);
    EXPECT_FALSE(handle->drag(Vec3(0, 0, -50)));
}

TEST_F(TrunkHandleTest, ParkingKeepsTheRingAwayAndOutOfReach) {
    handle->drag(Vec3(1, 0, 1));
    handle->park();
    EXPECT_EQ(handle->point.x, 10000);
    EXPECT_FALSE(handle->ringVisible());
    handle->press();
    EXPECT_FALSE(handle->grabbed);
}

TEST_F(TrunkHandleTest, ARingWithoutRadiusNeverDividesByZero) {
    TrunkHandle point(0.0f);
    point.setAnchor(Vec3(0, 0, 0));
    point.drag(Vec3(0, 0, 0));
    point.press();
    ASSERT_TRUE(point.grabbed);
    EXPECT_TRUE(point.drag(Vec3(0, 0, 0)));
    EXPECT_TRUE(std::isfinite(point.point.x) && std::isfinite(point.pullAngle));
}
