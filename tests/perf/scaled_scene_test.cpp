// The benchmarks' scaling hook: Autumn and Winter built from another text take their letters from
// it; built as usual they take the story's.
#include <gtest/gtest.h>

#include <string>

#include "app/headless_run.h"
#include "framework/application.h"
#include "seasons/autumn/season_autumn.h"
#include "seasons/winter/season_winter.h"

TEST(ScaledScenes, TakeTheirLettersFromTheGivenText) {
    HeadlessRun run(160, 120, false);  // no drawing needed: nothing here is picked
    ASSERT_TRUE(run.ok()) << run.error();
    auto* autumn = dynamic_cast<SeasonAutumn*>(run.season(2));
    auto* winter = dynamic_cast<SeasonWinter*>(run.season(3));
    ASSERT_TRUE(autumn && winter);
    EXPECT_EQ(autumn->leafCount(), 586);

    const std::string autumnTriple = std::string(autumnStory) + "\n" + autumnStory + "\n" + autumnStory;
    const std::string winterTwice = std::string(winterStory) + "\n" + winterStory;
    SeasonAutumn bigAutumn(autumnTriple.c_str());
    bigAutumn.init(160, 120, autumn->font());
    EXPECT_EQ(bigAutumn.leafCount(), 3 * autumn->leafCount());
    EXPECT_EQ(bigAutumn.leaves()[586].letter, autumn->leaves()[0].letter);
    SeasonWinter bigWinter(winterTwice.c_str());
    bigWinter.init(160, 120, winter->font());
    EXPECT_EQ(bigWinter.letterCount(), 2 * winter->letterCount());
    EXPECT_EQ((int)bigWinter.snow().size(), bigWinter.letterCount());

    // The bigger Autumn runs in the application like the real one, into its play phase.
    appReplaceSeasonForTesting(2, &bigAutumn);
    run.enterSeason(2);
    run.runFrames(210);
    run.click(80, 60);
    EXPECT_TRUE(run.runUntil([&] { return bigAutumn.phase() == bigAutumn.PHASE_PLAY; }, 200));
    run.runFrames(60);
    int airborne = 0;
    for (int i = 0; i < bigAutumn.leafCount(); ++i) airborne += bigAutumn.leaves()[i].position.y > 0;
    EXPECT_GT(airborne, 0);
}
