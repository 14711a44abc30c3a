// The Autumn scene in the real application, headless: the page, the swing, the whirlwind, a kick and the
// flight home, and back to the menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/headless_run.h"
#include "framework/application.h"
#include "seasons/autumn/season_autumn.h"

TEST(AutumnHeadless, PageWhirlwindKickAndFlightHome) {
    HeadlessRun run(1024, 768);
    ASSERT_TRUE(run.ok()) << run.error();
    auto darkPixels = [&](int x0, int x1) {
        int n = 0;
        for (int y = 0; y < run.height(); ++y)
            for (int x = x0; x < x1; ++x) n += run.pixel(x, y).g < 128;
        return n;
    };
    run.enterSeason(2);
    auto* scene = dynamic_cast<SeasonAutumn*>(appCurrentSeason());
    ASSERT_NE(scene, nullptr);
    run.runFrames(210);
    EXPECT_GT(darkPixels(112, 912), 20000) << "the story is printed on the page";
    EXPECT_LT(darkPixels(0, 100), 10) << "white beside the page";

    run.click(300, 300);
    run.runFrames(601);
    float top = 0;
    for (int i = 0; i < scene->leafCount(); ++i) top = std::max(top, scene->leaves()[i].position.y);
    EXPECT_GT(top, 60.0f) << "letters ride the whirlwind";

    run.moveMouse(470, 630);  // low on the screen, over what is left of the text
    run.press(470, 630, 1);
    run.runFrames(40);
    EXPECT_GT(scene->groundPoint().length(), 1.0f);
    run.release(470, 630, 1);
    run.tapKey(VK_CODE_ENTER);
    run.runFrames(60);
    EXPECT_EQ(scene->leaves()[300].position.x, scene->leaves()[300].home.x);
    EXPECT_GT(darkPixels(0, 1024), 15000);

    run.tapKey(VK_CODE_ESCAPE);
    run.runUntil([] { return appStateId() != APP_SEASON; }, 200);
    EXPECT_EQ(appStateId(), APP_MENU_APPEARING);
    run.runFrames(1);
    EXPECT_EQ(scene->phase(), scene->PHASE_FADE_IN) << "reset on the way back to the menu";
}
