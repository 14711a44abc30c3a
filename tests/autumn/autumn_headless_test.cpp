// The Autumn scene inside the real application, run headless: from the menu through the page, the
// swing, the whirlwind, a kick and the flight home, and out again. Set VELMORA_FRAMES_DIR to a folder
// to keep the frames as PNG files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/headless_run.h"
#include "framework/application.h"
#include "seasons/autumn/season_autumn.h"

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

bool lettersHome(const SeasonAutumn& scene) {
    for (int i = 0; i < scene.leafCount; ++i) {
        const LeafBody& b = scene.leaves[i];
        if (b.position.x != b.home.x || b.position.y != b.home.y || b.position.z != b.home.z) return false;
    }
    return true;
}

}  // namespace

TEST(AutumnHeadless, PageWhirlwindKickAndFlightHome) {
    HeadlessRun run(1024, 768);
    ASSERT_TRUE(run.ok()) << run.error();
    run.enterSeason(2);
    ASSERT_EQ(appStateId(), APP_SEASON);
    auto* scene = dynamic_cast<SeasonAutumn*>(appCurrentSeason());
    ASSERT_NE(scene, nullptr);

    // Halfway through the fade-in the page is still pale.
    run.runFrames(100);
    int paleText = darkPixels(run, 112, 0, 912, 768);
    run.runFrames(110);
    ASSERT_EQ(scene->phase, scene->PHASE_READ);
    keepFrame(run, "autumn_1_page");
    int pageText = darkPixels(run, 112, 0, 912, 768);
    EXPECT_GT(pageText, 20000) << "the story is printed on the page";
    EXPECT_LT(paleText, pageText / 10);
    EXPECT_LT(darkPixels(run, 0, 0, 100, 768), 10) << "white beside the page";

    run.click(300, 300);
    run.runFrames(51);
    EXPECT_EQ(scene->phase, scene->PHASE_SWING);
    keepFrame(run, "autumn_2_swing");
    run.runFrames(50);
    ASSERT_EQ(scene->phase, scene->PHASE_PLAY);

    run.runFrames(500);
    keepFrame(run, "autumn_3_whirlwind");
    float top = 0;
    for (int i = 0; i < scene->leafCount; ++i) top = std::max(top, scene->leaves[i].position.y);
    EXPECT_GT(top, 60.0f) << "letters ride the whirlwind";

    // Kick with the left button held low on the screen, where the page lies near the camera.
    run.moveMouse(470, 630);
    run.press(470, 630, 1);
    run.runFrames(40);
    keepFrame(run, "autumn_4_kick");
    EXPECT_LT(scene->groundPoint.y, 1e-3f);
    EXPECT_GT(scene->groundPoint.length(), 1.0f) << "the pointer's point on the ground was picked";
    run.release(470, 630, 1);

    run.tapKey(VK_CODE_ENTER);
    run.runFrames(25);
    keepFrame(run, "autumn_5_reforming");
    EXPECT_FALSE(lettersHome(*scene));
    run.runFrames(35);
    EXPECT_TRUE(lettersHome(*scene));
    keepFrame(run, "autumn_6_home");

    run.tapKey(VK_CODE_ESCAPE);
    run.runUntil([] { return appStateId() != APP_SEASON; }, 200);
    EXPECT_EQ(appStateId(), APP_MENU_APPEARING);
    run.runFrames(1);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_IN) << "reset on the way back to the menu";
    EXPECT_TRUE(lettersHome(*scene));
}
