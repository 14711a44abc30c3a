// The Summer scene inside the real application, run headless: the reading page, the swing, the
// letters standing up, the schools, the net sweeping across the pond, and back to the menu. Set
// VELMORA_FRAMES_DIR to a folder to keep the frames as PNG files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/headless_run.h"
#include "framework/application.h"
#include "render/gl.h"
#include "render/view_picking.h"
#include "seasons/summer/season_summer.h"

namespace {

void keepFrame(const HeadlessRun& run, const char* name) {
    const char* dir = std::getenv("VELMORA_FRAMES_DIR");
    if (dir && *dir) {
        EXPECT_TRUE(run.savePng(std::string(dir) + "/" + name + ".png"));
    }
}

// Dark pixels (letters and the pond's outline on white) in every other row and column.
int darkPixels(const HeadlessRun& run) {
    int n = 0;
    for (int y = 0; y < run.height(); y += 2)
        for (int x = 0; x < run.width(); x += 2) {
            Rgb p = run.pixel(x, y);
            if (p.r + p.g + p.b < 3 * 128) ++n;
        }
    return n;
}

int fastFish(const SeasonSummer& scene) {
    int n = 0;
    for (const WordFish& f : scene.fish) n += f.speed > 3.0f;
    return n;
}

}  // namespace

TEST(SummerHeadless, ReadSwingSwimAndSweepTheNet) {
    HeadlessRun run(1024, 768);
    ASSERT_TRUE(run.ok()) << run.error();
    run.enterSeason(1);
    auto* scene = dynamic_cast<SeasonSummer*>(appCurrentSeason());
    ASSERT_NE(scene, nullptr);

    run.runFrames(100);
    const int paleText = darkPixels(run);
    run.runFrames(160);
    ASSERT_EQ(scene->phase, scene->PHASE_READ);
    keepFrame(run, "summer_1_reading");
    const int pageText = darkPixels(run);
    EXPECT_GT(pageText, 3000) << "the story lies readable on the pond";
    EXPECT_LT(paleText, pageText / 2) << "under the fade-in the text is still pale";

    run.moveMouse(512, 384);
    run.click(512, 384);
    run.runFrames(1);
    EXPECT_EQ(scene->phase, scene->PHASE_SWING);
    run.runFrames(50);
    keepFrame(run, "summer_2_swing");
    run.runFrames(50);
    ASSERT_EQ(scene->phase, scene->PHASE_PLAY);

    run.runFrames(45);
    EXPECT_EQ(scene->unfoldAngle, 315.0f);
    keepFrame(run, "summer_3_unfolding");
    run.runFrames(400);
    EXPECT_EQ(scene->unfoldAngle, 360.0f);
    EXPECT_GT(darkPixels(run), 1000) << "the fish are in view";
    keepFrame(run, "summer_4_schools");
    EXPECT_EQ(fastFish(*scene), 0) << "nothing has scared the fish yet";

    // Aim at the water under the first school and sweep the net across it, left to right.
    const Vec3 centre = scene->schools[0].memberCentre();
    const ViewMatrices view = currentViewMatrices();
    double sx, sy, sz;
    ASSERT_EQ(gluProject(centre.x, 0, centre.z, view.modelview, view.projection, view.viewport, &sx, &sy, &sz),
              GL_TRUE);
    const int aimX = (int)sx, aimY = view.viewport[3] - 1 - (int)sy;
    run.moveMouse(aimX - 150, aimY);
    run.press(aimX - 150, aimY, 1);
    for (int i = 0; i < 60; ++i) {
        run.moveMouse(aimX - 150 + 5 * i, aimY);
        run.runFrames(1);
        for (const SentenceSchool& s : scene->schools) ASSERT_FLOAT_EQ(s.speed, 0.1f) << "held net scatters";
        if (i == 30) keepFrame(run, "summer_5_net");
    }
    EXPECT_GT(fastFish(*scene), 5) << "fish near the pointer's ray dart away";
    run.release(aimX + 150, aimY, 1);
    run.runFrames(60);
    keepFrame(run, "summer_6_after_net");
    run.runFrames(300);
    keepFrame(run, "summer_7_reformed");
    for (const SentenceSchool& s : scene->schools) EXPECT_GT(s.speed, 1.0f) << "the schools swim on";

    // Escape fades out; the application goes back to the menu and resets the scene once.
    run.tapKey(27);
    run.runFrames(101);
    EXPECT_EQ(appStateId(), APP_MENU_APPEARING);
    run.runFrames(1);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_IN);
    EXPECT_FALSE(scene->finished);
    for (const WordFish& f : scene->fish) ASSERT_EQ(f.position.z, f.home.z);
}
