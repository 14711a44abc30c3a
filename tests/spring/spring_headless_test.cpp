// The Spring scene in the real application, headless: from the menu through the reading page into the
// meadow; a ripe head is blown bare, withers and regrows elsewhere. VELMORA_FRAMES_DIR keeps PNG frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/headless_run.h"
#include "framework/application.h"
#include "render/gl.h"
#include "render/view_picking.h"
#include "seasons/spring/season_spring.h"

TEST(SpringHeadless, MeadowBlownBareAndRegrown) {
    HeadlessRun run(800, 600);
    ASSERT_TRUE(run.ok()) << run.error();
    const std::string dir = std::getenv("VELMORA_FRAMES_DIR") ? std::getenv("VELMORA_FRAMES_DIR") : "";
    auto keepFrame = [&](const char* name) { return dir.empty() || run.savePng(dir + "/" + name + ".png"); };
    auto ink = [&] {  // dark pixels in the middle of the window
        int n = 0;
        for (int y = 100; y < 500; ++y)
            for (int x = 200; x < 600; ++x) n += run.pixel(x, y).r < 128;
        return n;
    };
    run.enterSeason(0);
    auto* scene = dynamic_cast<SeasonSpring*>(appCurrentSeason());
    ASSERT_TRUE(appStateId() == APP_SEASON && scene != nullptr);
    auto plantsIn = [&](unsigned char state) {
        return std::count_if(scene->dandelions().begin(), scene->dandelions().end(),
                             [&](const Dandelion& d) { return !d.dormant && d.state == state; });
    };

    run.runFrames(260);  // the reading page: the story in black on white, seen from above
    ASSERT_EQ(scene->phase(), scene->PHASE_READ);
    const int textInk = ink();
    EXPECT_TRUE(keepFrame("spring_reading") && textInk > 2000);
    run.click(400, 300);  // skips the reading; the dissolve eats the text from the edge inwards
    run.runFrames(60);
    ASSERT_TRUE(scene->phase() == scene->PHASE_DISSOLVE && ink() < textInk);
    run.runFrames(150);
    ASSERT_EQ(scene->phase(), scene->PHASE_PLAY);
    // The meadow grows: buds open into rings, then close into seed balls.
    EXPECT_TRUE(run.runUntil([&] { return plantsIn(3) >= 30; }, 3000));
    ASSERT_TRUE(run.runUntil([&] { return plantsIn(5) >= 25; }, 3000));

    // Slow strokes back and forth over a ripe head with the left button held (a stalk needs some
    // twenty frames of blowing one way to bend far enough to let a letter go).
    Dandelion* bare = nullptr;
    Vec3 bareBase;
    for (int round = 0; round < 40 && !bare; ++round) {
        for (Dandelion& d : scene->dandelions()) {
            const ViewMatrices v = currentViewMatrices();
            double wx, wy, wz;
            gluProject(d.base.x, 0, d.base.z, v.modelview, v.projection, v.viewport, &wx, &wy, &wz);
            const int px = (int)std::lround(wx), py = (int)std::lround(v.viewport[3] - 1 - wy);
            if (d.dormant || d.state != d.RIPE || px < 60 || px > 740 || py < 60 || py > 540) continue;
            for (int sweep = 0, dir = 1; sweep < 6; ++sweep, dir = -dir)
                run.drag(px - 60 * dir, py, px + 60 * dir, py, 60);
            if (d.seedsOnHead == 0) bare = &d, bareBase = d.base;
            break;
        }
    }
    ASSERT_NE(bare, nullptr) << "no head was blown bare";
    EXPECT_TRUE((bare->state == bare->WITHERING || bare->dormant) && bare->seedsInFlight > 0);
    EXPECT_TRUE(keepFrame("spring_blown"));
    // The bare plant withers and sleeps; once all its letters have landed it regrows elsewhere.
    ASSERT_TRUE(run.runUntil([&] { return !bare->dormant && bare->state != bare->WITHERING; }, 3600));
    EXPECT_TRUE(bare->base.x != bareBase.x || bare->base.z != bareBase.z);
    for (const LetterSeed& s : scene->seeds())
        EXPECT_TRUE(s.owner != bare || (s.visible && s.attached));

    run.tapKey(VK_CODE_ESCAPE);  // fades to white and returns to the menu
    run.runFrames(201);
    EXPECT_NE(appStateId(), APP_SEASON);
}
