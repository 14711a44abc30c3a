// The Winter scene inside the real application, headless: from the menu past the reading, through the
// dissolve and the swing, until snow rests on the branches; then the ring at the trunk's foot is
// grabbed and pulled to its rim. Frames are saved under /tmp for a look.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/headless_run.h"
#include "render/gl.h"
#include "seasons/winter/season_winter.h"

namespace {

int restingCount(const SeasonWinter& s) {
    int n = 0;
    for (const SnowLetter& l : s.snow) n += l.active ? 0 : 1;
    return n;
}

// Where the ground point (x, 0, z) appears in the window, by the view the scene last picked with.
void windowPixelOf(const SeasonWinter& s, float x, float z, int& px, int& py) {
    double wx, wy, wz;
    gluProject(x, 0, z, s.view.modelview, s.view.projection, s.view.viewport, &wx, &wy, &wz);
    px = static_cast<int>(std::lround(wx));
    py = static_cast<int>(std::lround(s.view.viewport[3] - 1 - wy));
}

const std::string kFrames = "/tmp/velmora_winter_";

}  // namespace

TEST(WinterHeadless, FromThePageToASnowyTreeAndShakingItOff) {
    HeadlessRun run(800, 600);
    ASSERT_TRUE(run.ok()) << run.error();
    run.enterSeason(3);
    auto* winter = dynamic_cast<SeasonWinter*>(run.season(3));
    ASSERT_NE(winter, nullptr);

    // The reading page: black text on white under a black sky.
    run.runFrames(230);
    ASSERT_EQ(winter->phase, winter->PHASE_READ);
    run.savePng(kFrames + "1_page.png");
    EXPECT_EQ(run.pixel(5, 300).r, 0);  // sky beside the page
    int white = 0, black = 0;
    for (int x = 250; x < 550; ++x) {
        for (int y = 150; y < 450; y += 4) {
            white += run.pixel(x, y).r > 230;
            black += run.pixel(x, y).r < 60;
        }
    }
    EXPECT_GT(white, black);
    EXPECT_GT(black, 200);  // there is text

    run.click(400, 300);  // ends the reading
    run.runFrames(60);
    ASSERT_EQ(winter->phase, winter->PHASE_DISSOLVE);
    run.savePng(kFrames + "2_dissolve.png");
    run.runFrames(90);
    ASSERT_EQ(winter->phase, winter->PHASE_SWING);
    run.savePng(kFrames + "3_swing.png");

    // Play: the tree fades in and the snow settles on its branches.
    ASSERT_TRUE(run.runUntil([&] { return restingCount(*winter) >= 40; }, 9000));
    EXPECT_EQ(winter->tree->alpha, 255);
    const int resting = restingCount(*winter);
    run.savePng(kFrames + "4_snowy_tree.png");

    // The ring shows when the pointer comes near the trunk's foot.
    int fx, fy, rx, ry;
    windowPixelOf(*winter, 0, 0, fx, fy);
    run.moveMouse(fx, fy - 2);
    run.runFrames(2);
    EXPECT_TRUE(winter->handle->ringVisible());
    run.savePng(kFrames + "5_ring.png");

    // Grab it and pull it out past the rim: the tree sways and the snow falls off.
    run.press(fx, fy - 2, 1);
    run.runFrames(1);
    ASSERT_TRUE(winter->handle->grabbed);
    windowPixelOf(*winter, 10, 45, rx, ry);
    for (int i = 1; i <= 12; ++i) {
        run.moveMouse(fx + (rx - fx) * i / 12, fy + (ry - fy) * i / 12);
        run.runFrames(1);
    }
    EXPECT_GT(winter->tree->sway.amplitude, 0);
    EXPECT_LT(restingCount(*winter), resting / 4);
    run.savePng(kFrames + "6_shake.png");
    run.runFrames(8);
    run.savePng(kFrames + "7_falling.png");
    run.release(rx, ry, 1);

    // Escape: the fade-out, the menu, and the scene reset for the next visit.
    run.tapKey(27);
    run.runFrames(110);
    EXPECT_EQ(winter->phase, winter->PHASE_FADE_IN);
    EXPECT_EQ(winter->tree->alpha, 0);
}
