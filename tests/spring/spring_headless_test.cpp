// The Spring scene inside the real application, run headless: from the menu through the reading page,
// the dissolve and the swing into the meadow; blowing across ripe heads releases letters that fly and
// land, emptied heads wither, and the plants regrow elsewhere. Set VELMORA_FRAMES_DIR to a folder to
// keep the frames as PNG files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "app/headless_run.h"
#include "framework/application.h"
#include "render/gl.h"
#include "render/view_picking.h"
#include "seasons/spring/season_spring.h"

namespace {

void keepFrame(const HeadlessRun& run, const char* name) {
    const char* dir = std::getenv("VELMORA_FRAMES_DIR");
    if (dir && *dir) {
        EXPECT_TRUE(run.savePng(std::string(dir) + "/" + name + ".png"));
    }
}

// Pixels in the rectangle darker than mid grey.
int darkPixels(const HeadlessRun& run, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            Rgb p = run.pixel(x, y);
            if (p.r + p.g + p.b < 3 * 128) n += 1;
        }
    return n;
}

int countInState(const SeasonSpring& s, unsigned char state) {
    int n = 0;
    for (const Dandelion& d : s.dandelions)
        if (!d.dormant && d.state == state) n += 1;
    return n;
}

int lettersInFlight(const SeasonSpring& s) {
    int n = 0;
    for (const LetterSeed& seed : s.seeds)
        if (seed.visible && !seed.attached) n += 1;
    return n;
}

// The window pixel over the ground point (x, 0, z) in the view the last frame left.
bool screenOf(float x, float z, int& px, int& py) {
    ViewMatrices view = currentViewMatrices();
    double wx, wy, wz;
    if (gluProject(x, 0, z, view.modelview, view.projection, view.viewport, &wx, &wy, &wz) != GL_TRUE) return false;
    px = (int)std::lround(wx);
    py = (int)std::lround(view.viewport[3] - 1 - wy);
    return true;
}

}  // namespace

TEST(SpringHeadless, MeadowBlownBareAndRegrown) {
    HeadlessRun run(800, 600);
    ASSERT_TRUE(run.ok()) << run.error();
    run.enterSeason(0);
    ASSERT_EQ(appStateId(), APP_SEASON);
    auto* scene = dynamic_cast<SeasonSpring*>(appCurrentSeason());
    ASSERT_NE(scene, nullptr);

    // The reading page: the story in black on white, seen from above.
    run.runFrames(260);
    ASSERT_EQ(scene->phase, scene->PHASE_READ);
    keepFrame(run, "spring_reading");
    int textInk = darkPixels(run, 200, 100, 600, 500);
    EXPECT_GT(textInk, 2000);

    // A click skips the reading; the dissolve eats the text from the edge inwards.
    run.click(400, 300);
    run.runFrames(60);
    ASSERT_EQ(scene->phase, scene->PHASE_DISSOLVE);
    keepFrame(run, "spring_dissolve");
    EXPECT_LT(darkPixels(run, 200, 100, 600, 500), textInk);
    run.runFrames(90);
    ASSERT_EQ(scene->phase, scene->PHASE_SWING);
    keepFrame(run, "spring_swing");
    run.runFrames(60);
    ASSERT_EQ(scene->phase, scene->PHASE_PLAY);

    // The meadow grows: buds open into rings, then close into seed balls.
    bool sawBloom = false;
    for (int i = 0; i < 100 && countInState(*scene, 5) < 25; ++i) {
        run.runFrames(30);
        if (!sawBloom && countInState(*scene, 3) >= 30) {
            sawBloom = true;
            keepFrame(run, "spring_bloom");
        }
    }
    EXPECT_TRUE(sawBloom);
    ASSERT_GE(countInState(*scene, 5), 25);
    keepFrame(run, "spring_ripe");

    // Blow across ripe heads: slow strokes back and forth over each with the left button held (a stalk
    // needs some twenty frames of blowing in one direction to bend far enough to let go).
    int released = 0, emptied = -1, emptiedCount = 0;
    Vec3 emptiedBase;
    for (int round = 0; round < 40 && emptiedCount < 3; ++round) {
        for (int i = 0; i < scene->dandelionCount; ++i) {
            Dandelion& d = scene->dandelions[i];
            if (d.dormant || d.state != d.RIPE) continue;
            int px, py;
            if (!screenOf(d.base.x, d.base.z, px, py)) continue;
            if (px < 60 || px > 740 || py < 60 || py > 540) continue;
            int before = d.seedsOnHead;
            for (int sweep = 0; sweep < 6; ++sweep) {
                int dir = sweep % 2 == 0 ? 1 : -1;
                run.drag(px - 60 * dir, py, px + 60 * dir, py, 60);
                if (sweep == 0 && lettersInFlight(*scene) > 0) keepFrame(run, "spring_blowing");
            }
            released += before - d.seedsOnHead;
            if (d.seedsOnHead == 0) {
                EXPECT_TRUE(d.state == d.WITHERING || d.dormant);
                if (emptied < 0) {
                    emptied = i;
                    emptiedBase = d.base;
                }
                emptiedCount += 1;
            }
            break;
        }
    }
    EXPECT_GT(released, 0);
    EXPECT_GT(lettersInFlight(*scene), 0);
    keepFrame(run, "spring_blown");
    ASSERT_GE(emptied, 0) << "no head was blown bare";

    // The bare plant withers and sleeps; once all its letters have landed it regrows elsewhere.
    Dandelion& bare = scene->dandelions[emptied];
    auto isRegrown = [&] { return !bare.dormant && bare.state != bare.WITHERING; };
    for (int i = 0; i < 120 && !isRegrown(); ++i) run.runFrames(30);
    ASSERT_TRUE(isRegrown());
    EXPECT_TRUE(bare.base.x != emptiedBase.x || bare.base.z != emptiedBase.z);
    for (const LetterSeed& s : scene->seeds) {
        if (s.owner == &bare) {
            EXPECT_TRUE(s.visible && s.attached);
        }
    }
    run.runFrames(600);
    keepFrame(run, "spring_regrown");

    // Escape fades to white and returns to the menu.
    run.tapKey(VK_CODE_ESCAPE);
    run.runFrames(201);
    EXPECT_NE(appStateId(), APP_SEASON);
}
