// The Winter scene in the real application, headless: from the menu past the reading, the dissolve and
// the swing until snow rests on the branches; then the ring at the trunk's foot is pulled to its rim.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/headless_run.h"
#include "render/gl.h"
#include "seasons/winter/season_winter.h"

TEST(WinterHeadless, FromThePageToASnowyTreeAndShakingItOff) {
    HeadlessRun run(800, 600);
    ASSERT_TRUE(run.ok()) << run.error();
    run.enterSeason(3);
    auto* winter = dynamic_cast<SeasonWinter*>(run.season(3));
    ASSERT_NE(winter, nullptr);
    auto resting = [&] {
        return std::count_if(winter->snow().begin(), winter->snow().end(), [](const SnowLetter& l) { return !l.active; });
    };
    int px = 0, py = 0;
    auto moveTo = [&](float x, float z) {  // over the ground point, by the view the scene last picked with
        double wx, wy, wz;
        const ViewMatrices& v = winter->view();
        gluProject(x, 0, z, v.modelview, v.projection, v.viewport, &wx, &wy, &wz);
        run.moveMouse(px = int(std::lround(wx)), py = int(std::lround(v.viewport[3] - 1 - wy)));
    };

    run.runFrames(230);  // the reading page: black text on white under a black sky
    ASSERT_EQ(winter->phase(), winter->PHASE_READ);
    int white = 0, black = 0;
    for (int x = 250; x < 550; ++x)
        for (int y = 150; y < 450; y += 4) {
            white += run.pixel(x, y).r > 230;
            black += run.pixel(x, y).r < 60;
        }
    EXPECT_TRUE(run.pixel(5, 300).r == 0 && white > black && black > 200);

    run.click(400, 300);  // the dissolve and the swing; then the tree fades in and snow settles on it
    run.runFrames(201);
    ASSERT_EQ(winter->phase(), winter->PHASE_PLAY);
    ASSERT_TRUE(run.runUntil([&] { return resting() >= 40; }, 9000));
    EXPECT_EQ(winter->tree()->alpha, 255);

    moveTo(0, 1);  // the ring shows near the trunk's foot; grabbed and pulled past its rim, it shakes the tree
    run.runFrames(2);
    EXPECT_TRUE(winter->handle()->ringVisible());
    run.press(px, py, 1);
    run.runFrames(1);
    ASSERT_TRUE(winter->handle()->grabbed);
    const long before = resting();
    for (int i = 1; i <= 12; ++i) {
        moveTo(10 * i / 12.0f, 1 + 44 * i / 12.0f);
        run.runFrames(1);
    }
    EXPECT_TRUE(winter->tree()->sway.amplitude > 0 && resting() < before / 4) << resting() << " of " << before;
    run.release(px, py, 1);

    run.tapKey(27);  // Escape: the fade-out, the menu, and the scene reset for the next visit
    run.runFrames(110);
    EXPECT_TRUE(winter->phase() == winter->PHASE_FADE_IN && winter->tree()->alpha == 0);
}
