// The Summer story, word fish, sentence schools and the scene on its own: layout, phases, net, input.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "app/headless_context.h"
#include "render/bitmap_font.h"
#include "render/glyph_table.h"
#include "render/random_generator.h"
#include "render/view_picking.h"
#include "seasons/summer/season_summer.h"

namespace {

BitmapFont* metrics() {
    static BitmapFont font(buildGlyphMetrics(), 102, 3.0f, false);
    return &font;
}

// Fish made from the given words at the given x positions (y = z = 0).
std::vector<WordFish> fishAt(std::vector<float> xs, std::vector<const char*> words) {
    std::vector<WordFish> fish(xs.size());
    for (size_t i = 0; i < xs.size(); ++i) {
        fish[i].init(words[i], metrics(), 16.0f);
        fish[i].position = Vec3(xs[i], 0, 0);
    }
    return fish;
}

bool finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void run(SeasonSummer& scene, int frames) {
    for (int i = 0; i < frames; ++i) scene.update();
}

class SummerScene : public ::testing::Test {
protected:
    HeadlessContext context{64, 64};
    ViewMatrices view = makeViewMatrices(800, 600, 60, Vec3(0, 500, 300), Vec3(0, 0, 0), Vec3(0, 1, 0));
    SeasonSummer scene;

    void SetUp() override {
        ASSERT_TRUE(context.ok()) << context.error();
        randomReset();
        setViewMatricesForTesting(&view);
        scene.init(800, 600, metrics());
    }
    void TearDown() override { setViewMatricesForTesting(nullptr); }

    // Moves the pointer over the water point (x, 0, z) of the test view.
    void pointAt(const Vec3& p) {
        double sx, sy, sz;
        gluProject(p.x, 0, p.z, view.modelview, view.projection, view.viewport, &sx, &sy, &sz);
        scene.mouseMoved((int)std::lround(sx), view.viewport[3] - 1 - (int)std::lround(sy));
    }
};

}  // namespace

TEST(SummerStory, WordsAndFishHeads) {
    EXPECT_EQ(splitWords(nullptr, 5), (std::vector<std::string>{""}));
    const int lettersAndHead[][2] = {{1, 0}, {2, 0}, {3, 1}, {5, 1}, {10, 3}, {20, 6}};
    for (const auto& c : lettersAndHead) EXPECT_EQ(fishHeadIndex(c[0]), c[1]) << c[0] << " letters";
    randomReset();
    fishAt({0}, {"fish"});
    EXPECT_EQ(randomState(), 1u * 214013u + 2531011u) << "init draws exactly one number";
}

TEST(WordFish, FleesOnlyFromPointsInsideTheRadius) {
    WordFish fish = fishAt({10}, {"net"})[0];
    fish.flee(Vec3(10, 0, 60), 60);  // exactly on the rim: still outside
    fish.flee(Vec3(10, 0, 0), 0);    // a net without reach, even right under it
    EXPECT_EQ(fish.state, WordFish::WANDER);
    fish.flee(Vec3(10, 400, 0), 60);  // right under it (height ignored): no push, but it flees
    EXPECT_TRUE(fish.state == WordFish::FLEE && fish.force.length() == 0.0f);
    fish.flee(Vec3(40, 0, 0), 60);  // 30 away: half the offset
    EXPECT_FLOAT_EQ(fish.force.x, -15.0f);
}

TEST(SentenceSchool, PullSeparationAndScatter) {
    std::vector<WordFish> fish = fishAt({60, 0, 0, 0, 0, 0}, {"a", "b", "c", ".", "d", "."});
    SentenceSchool schools[2];
    schools[0].init(fish.data(), 0, 3, 0);
    schools[1].init(fish.data(), 4, 5, 1);
    EXPECT_FLOAT_EQ(schools[0].position.x, 20.0f) << "the centre leaves the full stop out";
    schools[0].force = Vec3(1, 0.5f, 2);  // fish 0, exactly 60 from its fellows, swims with the push
    schools[0].gather();
    EXPECT_FLOAT_EQ(fish[0].force.z, 2.0f);
    EXPECT_FLOAT_EQ(fish[0].targetClimb, 0.5f) << "the push's height nudges the climb";
    fish[0].position.x = 61;  // a straggler is pulled back, with 8 % of the push
    fish[0].force.clear();
    schools[0].gather();
    EXPECT_FLOAT_EQ(fish[0].force.x, -0.061f + 0.08f);

    schools[0].schools = schools;
    schools[0].schoolCount = 2;
    schools[0].inside = false;      // no random wandering
    schools[0].cruiseTimer = 1000;  // and no new cruise speed
    schools[0].targetSpeed = 0;
    const float gapAndPush[][2] = {{40, -0.24f}, {49.9f, -0.2994f}, {50, 0}, {80, 0}};
    for (const auto& c : gapAndPush) {
        schools[0].position = Vec3(0, 150, 0);
        schools[1].position = Vec3(c[0], 150, 0);
        schools[0].force.clear();
        schools[0].steer();
        EXPECT_FLOAT_EQ(schools[0].force.x, c[1]) << "gap " << c[0];
    }
    schools[0].speed = 3;
    for (int frame = 0; frame < 3; ++frame) {  // a held net, while the members move on
        fish[frame].position.z += 12;
        schools[0].scatter();
        schools[0].update();
        EXPECT_FLOAT_EQ(schools[0].position.z, schools[0].memberCentre().z);
        EXPECT_FLOAT_EQ(schools[0].speed, 0.1f);
    }
}

TEST(SentenceSchool, TinySentencesAndWordsSwimWithoutDividingByZero) {
    std::vector<WordFish> fish = fishAt({5, 7, 9, 11}, {"a", ".", ".", ""});  // the last has no letters
    SentenceSchool schools[2];
    schools[0].init(fish.data(), 0, 1, 0);  // a one-letter word before its full stop
    schools[1].init(fish.data(), 2, 2, 1);  // a full stop with no words
    EXPECT_FLOAT_EQ(schools[1].position.x, 9.0f);
    for (int frame = 0; frame < 300; ++frame) {
        fish[0].flee(Vec3(fish[0].position.x + 1, 0, fish[0].position.z), 60);
        for (SentenceSchool& s : schools) s.update();
        for (WordFish& f : fish) f.update();
    }
    for (const SentenceSchool& s : schools) EXPECT_TRUE(finite(s.position));
    for (const WordFish& f : fish) EXPECT_TRUE(finite(f.position) && std::isfinite(f.displayedHeading));
    EXPECT_TRUE(std::isfinite(fish[0].bend[0])) << "a one-letter fish bends without a letter step";
}

TEST_F(SummerScene, LayoutFollowsTheTextWordByWord) {
    SeasonSummer text("Fish hung still. They fled, far\nand fast. Gone again");
    text.init(800, 600, metrics());
    ASSERT_EQ(text.fishCount(), 13);
    const char* words[] = {"Fish", "hung", "still", ".", "They", "fled", ",",
                           "far",  "and",  "fast",  ".", "Gone", "again"};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(std::string(text.fish()[i].letters.rbegin(), text.fish()[i].letters.rend()), words[i]);
    EXPECT_TRUE(text.fish()[0].position.z == -8.0f && text.fish()[8].position.z == 8.0f);  // 16 apart, centred
    ASSERT_EQ(text.schoolCount(), 2) << "two sentences; the last two words swim alone";
    EXPECT_TRUE(text.schools()[0].last == 3 && text.schools()[1].first == 4 && text.schools()[1].last == 10);
    for (const SentenceSchool& s : text.schools())
        EXPECT_TRUE(s.schools == text.schools().data() && s.schoolCount == 2 && s.minY == 100.0f);
    // The whole story: each line's fish left to right in reading order, all of them in the pond.
    for (int k = 0; k < scene.fishCount(); ++k) {
        const WordFish& f = scene.fish()[k];
        const bool sameLine = k > 0 && f.home.z == scene.fish()[k - 1].home.z;
        EXPECT_TRUE(!sameLine || f.home.x > scene.fish()[k - 1].home.x) << k;
        EXPECT_TRUE(std::fabs(f.home.x) < PAGE_HALF_WIDTH && std::fabs(f.home.z) < PAGE_HALF_DEPTH) << k;
    }
}

TEST_F(SummerScene, ClicksSwingSchoolingNetAndCtrl) {
    run(scene, 200);
    scene.mousePressed(100, 100, 1);  // ends the reading (clicks by phase: Spring's test, the clock is shared)
    scene.update();
    EXPECT_TRUE(scene.phase() == scene.PHASE_SWING && scene.introDone());
    run(scene, 100);
    EXPECT_EQ(scene.phase(), scene.PHASE_PLAY);
    EXPECT_TRUE(std::fabs(scene.camera().pitch - 29) < 0.02f && std::fabs(scene.camera().yaw - 151) < 0.02f &&
                std::fabs(scene.camera().distance - 672) < 0.1f);  // the last swing frame eases at 99 / 100

    // The fish swim at once; the schools start steering on the 100th frame of play.
    const Vec3 leader = scene.schools()[5].position, fish = scene.fish()[0].position;
    run(scene, 99);
    EXPECT_TRUE(scene.schools()[5].position.x == leader.x && scene.fish()[0].position.x != fish.x);
    scene.update();
    EXPECT_NE(scene.schools()[5].position.x, leader.x);

    // The net scares the fish under the pointer and leaves those far from its ray alone.
    run(scene, 50);
    const Vec3 aim = scene.fish()[10].position;
    pointAt(aim);
    scene.mousePressed(0, 0, 1);
    scene.update();
    EXPECT_TRUE(std::fabs(scene.netPoint().x - aim.x) < 3 && std::fabs(scene.netPoint().z - aim.z) < 3);
    EXPECT_FLOAT_EQ(scene.fish()[10].targetSpeed, 10.0f);
    int scared = 0;
    for (const WordFish& f : scene.fish()) scared += f.targetSpeed == 10.0f;
    EXPECT_LT(scared, scene.fishCount() / 4) << "fish far from the net stay calm";

    // Ctrl stops the fish, the schools and the net, but not the camera.
    scene.mouseReleased(0, 0, 1);
    scene.update();
    scene.keyPressed(VK_CODE_CONTROL);
    const Vec3 still = scene.fish()[10].position;
    pointAt(still);
    scene.mousePressed(0, 0, 1);
    scene.mousePressed(0, 0, 4);
    const float distance = scene.camera().distance;
    run(scene, 20);
    EXPECT_EQ(scene.fish()[10].position.x, still.x);
    EXPECT_TRUE(scene.fish()[10].state == WordFish::WANDER && scene.schools()[0].state == SentenceSchool::WANDER);
    EXPECT_LT(scene.camera().distance, distance) << "the wheel still zooms";
    scene.keyPressed(VK_CODE_CONTROL);
    scene.update();
    EXPECT_NE(scene.fish()[10].position.x, still.x);
}
