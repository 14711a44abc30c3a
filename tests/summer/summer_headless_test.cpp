// The Summer scene inside the real application, run headless: the reading page, the swing, the
// letters standing up, the schools and the net. Frames are saved under /tmp for a look.
#include <gtest/gtest.h>

#include <string>

#include "app/headless_run.h"
#include "framework/application.h"
#include "seasons/summer/season_summer.h"

namespace {

const char* const kFrameDir = "/tmp/velmora_summer_";

void save(HeadlessRun& run, const std::string& name) { run.savePng(kFrameDir + name + ".png"); }

}  // namespace

TEST(SummerHeadless, ReadingSwingUnfoldSchoolsAndNet) {
    HeadlessRun run(1024, 768);
    ASSERT_TRUE(run.ok()) << run.error();
    run.enterSeason(1);
    SeasonSummer* summer = dynamic_cast<SeasonSummer*>(run.season(1));
    ASSERT_NE(summer, nullptr);
    ASSERT_EQ(appCurrentSeason(), summer);
    run.runFrames(260);
    EXPECT_EQ(summer->phase, summer->PHASE_READ);
    save(run, "1_reading");
}
