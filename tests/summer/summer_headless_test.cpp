// The Summer scene in the real application, headless: the reading page, the swing, the letters standing
// up, the net swept across a school, and back to the menu. VELMORA_FRAMES_DIR=<folder> keeps frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/headless_run.h"
#include "framework/application.h"
#include "render/gl.h"
#include "render/view_picking.h"
#include "seasons/summer/season_summer.h"

TEST(SummerHeadless, ReadSwingSwimAndSweepTheNet) {
    HeadlessRun run(1024, 768);
    ASSERT_TRUE(run.ok()) << run.error();
    auto keepFrame = [&](const char* name) {
        const char* dir = std::getenv("VELMORA_FRAMES_DIR");
        EXPECT_TRUE(!dir || !*dir || run.savePng(std::string(dir) + "/" + name + ".png"));
    };
    auto darkPixels = [&] {  // letters and the pond's outline on white, in every other row and column
        int n = 0;
        for (int y = 0; y < run.height(); y += 2)
            for (int x = 0; x < run.width(); x += 2) n += run.pixel(x, y).r < 128;
        return n;
    };
    run.enterSeason(1);
    auto* scene = dynamic_cast<SeasonSummer*>(appCurrentSeason());
    ASSERT_NE(scene, nullptr);
    auto fastFish = [&] {
        return std::count_if(scene->fish().begin(), scene->fish().end(), [](const WordFish& f) { return f.speed > 3.0f; });
    };
    run.runFrames(100);
    const int paleText = darkPixels();
    run.runFrames(160);
    ASSERT_EQ(scene->phase(), scene->PHASE_READ);
    keepFrame("summer_1_reading");
    EXPECT_GT(darkPixels(), 3000) << "the story lies readable on the pond";
    EXPECT_LT(paleText, darkPixels() / 2) << "under the fade-in the text is still pale";

    run.click(512, 384);
    run.runFrames(146);
    EXPECT_EQ(scene->unfoldAngle(), 315.0f) << "the letters stand up over the first 90 frames of play";
    run.runFrames(100);
    EXPECT_EQ(scene->unfoldAngle(), 360.0f);
    EXPECT_GT(darkPixels(), 1000) << "the fish are in view";
    EXPECT_EQ(fastFish(), 0) << "nothing has scared the fish yet";

    // Sweep the net left to right across the water under the first school.
    const Vec3 centre = scene->schools()[0].memberCentre();
    const ViewMatrices view = currentViewMatrices();
    double sx, sy, sz;
    ASSERT_TRUE(gluProject(centre.x, 0, centre.z, view.modelview, view.projection, view.viewport, &sx, &sy, &sz));
    const int aimX = (int)sx, aimY = view.viewport[3] - 1 - (int)sy;
    run.moveMouse(aimX - 150, aimY);
    run.press(aimX - 150, aimY, 1);
    for (int i = 0; i < 60; ++i) {
        run.moveMouse(aimX - 150 + 5 * i, aimY);
        run.runFrames(1);
        for (const SentenceSchool& s : scene->schools()) ASSERT_FLOAT_EQ(s.speed, 0.1f) << "held net scatters";
    }
    keepFrame("summer_2_net");
    EXPECT_GT(fastFish(), 5) << "fish near the pointer's ray dart away";
    run.release(aimX + 150, aimY, 1);
    run.runFrames(150);
    for (const SentenceSchool& s : scene->schools()) EXPECT_GT(s.speed, 1.0f) << "the schools swim on";

    // Escape fades out; the application goes back to the menu and resets the scene once.
    run.tapKey(27);
    run.runFrames(101);
    EXPECT_EQ(appStateId(), APP_MENU_APPEARING);
    run.runFrames(1);
    EXPECT_TRUE(scene->phase() == scene->PHASE_FADE_IN && !scene->finished);
    for (const WordFish& f : scene->fish()) ASSERT_EQ(f.position.z, f.home.z);
}
