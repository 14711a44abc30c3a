// The Autumn scene inside the real application, run headless: the page, the swing, the whirlwind, a
// kick and the flight home, and back to the menu. VELMORA_FRAMES_DIR=<folder> keeps the frames as PNG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/headless_run.h"
#include "framework/application.h"
#include "seasons/autumn/season_autumn.h"

namespace {
void keep(const HeadlessRun& run, const char* name) {
    const char* dir = std::getenv("VELMORA_FRAMES_DIR");
    if (dir && *dir) {
        EXPECT_TRUE(run.savePng(std::string(dir) + "/" + name + ".png"));
    }
}
int darkPixels(const HeadlessRun& run, int x0, int x1) {
    int n = 0;
    for (int y = 0; y < run.height(); ++y)
        for (int x = x0; x < x1; ++x) n += run.pixel(x, y).g < 128;
    return n;
}
}  // namespace

TEST(AutumnHeadless, PageWhirlwindKickAndFlightHome) {
    HeadlessRun run(1024, 768);
    ASSERT_TRUE(run.ok()) << run.error();
    run.enterSeason(2);
    auto* scene = dynamic_cast<SeasonAutumn*>(appCurrentSeason());
    ASSERT_NE(scene, nullptr);
    run.runFrames(210);
    keep(run, "autumn_1_page");
    EXPECT_GT(darkPixels(run, 112, 912), 20000) << "the story is printed on the page";
    EXPECT_LT(darkPixels(run, 0, 100), 10) << "white beside the page";

    run.click(300, 300);
    run.runFrames(51);
    keep(run, "autumn_2_swing");
    run.runFrames(550);
    keep(run, "autumn_3_whirlwind");
    float top = 0;
    for (int i = 0; i < scene->leafCount; ++i) top = std::max(top, scene->leaves[i].position.y);
    EXPECT_GT(top, 60.0f) << "letters ride the whirlwind";

    run.moveMouse(470, 630);  // low on the screen, over what is left of the text
    run.press(470, 630, 1);
    run.runFrames(40);
    keep(run, "autumn_4_kick");
    EXPECT_GT(scene->groundPoint.length(), 1.0f);
    run.release(470, 630, 1);

    run.tapKey(VK_CODE_ENTER);
    run.runFrames(25);
    keep(run, "autumn_5_reforming");
    run.runFrames(35);
    keep(run, "autumn_6_home");
    EXPECT_EQ(scene->leaves[300].position.x, scene->leaves[300].home.x);
    EXPECT_GT(darkPixels(run, 0, 1024), 15000);

    run.tapKey(VK_CODE_ESCAPE);
    run.runUntil([] { return appStateId() != APP_SEASON; }, 200);
    EXPECT_EQ(appStateId(), APP_MENU_APPEARING);
    run.runFrames(1);
    EXPECT_EQ(scene->phase, scene->PHASE_FADE_IN) << "reset on the way back to the menu";
}
