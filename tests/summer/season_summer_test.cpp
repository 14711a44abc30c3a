// The Summer scene on its own: the story, its layout on the pond, the phases, the net and the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/headless_context.h"
#include "render/bitmap_font.h"
#include "render/glyph_table.h"
#include "render/random_generator.h"
#include "render/view_picking.h"
#include "seasons/summer/season_summer.h"

TEST(SummerStory, HasItsCountsAndEveryTokenHasLetters) {
    const std::string story = SUMMER_STORY;
    EXPECT_EQ(story.size(), 655u);
    int newlines = 0, stops = 0, commas = 0;
    for (char c : story) {
        EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << "plain ASCII, no tabs: " << int(c);
        if (c == '\n') ++newlines;
        if (c == '.') ++stops;
        if (c == ',') ++commas;
    }
    EXPECT_EQ(newlines, 4) << "five lines";
    EXPECT_EQ(stops, 6);
    EXPECT_EQ(commas, 3);
    EXPECT_EQ(story.find("  "), std::string::npos);
    EXPECT_EQ(story.back(), '.');
    for (size_t at = story.find('\n'); at != std::string::npos; at = story.find('\n', at + 1))
        EXPECT_EQ(story[at - 1], '.') << "a line break inside a sentence would join two words into one fish";

    int wordsInSentence = 0;
    for (const std::string& token : splitWords(story.c_str(), (int)story.size())) {
        if (token == ".") {
            EXPECT_GE(wordsInSentence, 2) << "a school measures each word against at least one other";
            wordsInSentence = 0;
        } else if (token != ",") {
            bool letters = false;
            for (char c : token) letters = letters || std::isalpha((unsigned char)c);
            EXPECT_TRUE(letters) << "token '" << token << "'";
            ++wordsInSentence;
        }
    }
}

TEST(SummerStory, SplitWordsMakesPunctuationTokensOfItsOwn) {
    auto split = [](const char* text) { return splitWords(text, (int)std::strlen(text)); };
    EXPECT_EQ(split("the net. A fish"), (std::vector<std::string>{"the", "net", ".", "A", "fish"}));
    EXPECT_EQ(split("glass, so"), (std::vector<std::string>{"glass", ",", "so"}));
    EXPECT_EQ(split("two  spaces"), (std::vector<std::string>{"two", "", "spaces"}));
    EXPECT_EQ(split("end.\nNext"), (std::vector<std::string>{"end", ".Next"}));
    EXPECT_EQ(splitWords("cut here", 3), (std::vector<std::string>{"cut"}));
}

class SummerScene : public ::testing::Test {
protected:
    HeadlessContext context{64, 64};
    std::unique_ptr<BitmapFont> font{new BitmapFont(buildGlyphMetrics(), 102, 3.0f, false)};
    ViewMatrices view = makeViewMatrices(800, 600, 60, Vec3(0, 500, 300), Vec3(0, 0, 0), Vec3(0, 1, 0));

    void SetUp() override {
        ASSERT_TRUE(context.ok()) << context.error();
        randomReset();
        setViewMatricesForTesting(&view);
    }
    void TearDown() override { setViewMatricesForTesting(nullptr); }

    void initScene(SeasonSummer& scene) { scene.init(800, 600, font.get()); }

    // Fade-in, a click in the reading pause, the swing: the first play frame is next.
    void toPlay(SeasonSummer& scene) {
        while (scene.phase == scene.PHASE_FADE_IN) scene.update();
        scene.mousePressed(0, 0, 1);
        while (scene.phase != scene.PHASE_PLAY) scene.update();
    }

    // The window pixel over the water point (x, 0, z) in the test view.
    void pixelOver(float x, float z, int& px, int& py) {
        double sx, sy, sz;
        gluProject(x, 0, z, view.modelview, view.projection, view.viewport, &sx, &sy, &sz);
        px = (int)std::lround(sx);
        py = view.viewport[3] - 1 - (int)std::lround(sy);
    }
};

TEST_F(SummerScene, LayoutFollowsTheTextWordByWord) {
    SeasonSummer scene("Fish hung still. They fled, far\nand fast. Gone again");
    initScene(scene);
    ASSERT_EQ(scene.lineCount, 2);
    ASSERT_EQ(scene.fishCount, 13);
    const char* words[] = {"Fish", "hung", "still", ".",    "They", "fled", ",",
                           "far",  "and",  "fast",  ".",    "Gone", "again"};
    for (int i = 0; i < 13; ++i) {
        const WordFish& f = scene.fish[i];
        EXPECT_EQ(std::string(f.letters.rbegin(), f.letters.rend()), words[i]);
        EXPECT_EQ(f.position.x, f.home.x);
        EXPECT_EQ(f.position.y, 0.0f);
    }
    const float space = font->advanceOf(' ') * 16.0f;
    auto left = [&](int i) { return scene.fish[i].position.x - scene.fish[i].tailWidth; };
    auto right = [&](int i) { return left(i) + scene.fish[i].totalWidth; };
    EXPECT_FLOAT_EQ(left(0), -150.0f);
    EXPECT_FLOAT_EQ(left(1), right(0) + space);
    EXPECT_FLOAT_EQ(scene.fish[3].position.x, right(2)) << "the full stop sits on the word before it";
    EXPECT_FLOAT_EQ(left(4), right(3) + space) << "and the next word follows a space later";
    EXPECT_FLOAT_EQ(scene.fish[6].position.x, right(5));
    EXPECT_FLOAT_EQ(left(7), right(6) + space);

    // Two lines, 16 apart, centred in depth.
    EXPECT_FLOAT_EQ(scene.fish[0].position.z, -8.0f);
    EXPECT_FLOAT_EQ(scene.fish[8].position.z, 8.0f);
    EXPECT_FLOAT_EQ(left(8), -150.0f);

    // Two sentences make two schools; the last two words swim alone.
    ASSERT_EQ(scene.schoolCount, 2);
    EXPECT_EQ(scene.schools[0].first, 0);
    EXPECT_EQ(scene.schools[0].last, 3);
    EXPECT_EQ(scene.schools[1].first, 4);
    EXPECT_EQ(scene.schools[1].last, 10);
    for (const SentenceSchool& s : scene.schools) {
        EXPECT_EQ(s.schools, scene.schools.data());
        EXPECT_EQ(s.schoolCount, 2);
        EXPECT_EQ(s.minY, 100.0f);
    }
    const Vec3 loner = scene.fish[12].position;
    toPlay(scene);
    for (int i = 0; i < 200; ++i) scene.update();
    EXPECT_NE(scene.fish[12].position.x, loner.x) << "words after the last full stop still swim";
}

TEST_F(SummerScene, TheStoryFillsThePondInSixSchools) {
    SeasonSummer scene;
    initScene(scene);
    EXPECT_EQ(scene.schoolCount, 6);
    float minZ = 1e9f, maxZ = -1e9f, maxX = -1e9f;
    for (const WordFish& f : scene.fish) {
        minZ = std::min(minZ, f.position.z);
        maxZ = std::max(maxZ, f.position.z);
        maxX = std::max(maxX, f.position.x - f.tailWidth + f.totalWidth);
    }
    EXPECT_FLOAT_EQ(minZ, -maxZ);
    EXPECT_LT(maxX, scene.pondHalfWidth);
    EXPECT_LT(maxZ, scene.pondHalfDepth);
    EXPECT_EQ(scene.schools.back().last, scene.fishCount - 1) << "the story ends on a full stop";
}

TEST_F(SummerScene, ClicksInTheOpeningPhases) {
    SeasonSummer scene;
    initScene(scene);
    for (int i = 0; i < 10; ++i) scene.update();
    scene.mousePressed(100, 100, 1);
    EXPECT_EQ(scene.frame, 10) << "a click in the fade-in is ignored";
    EXPECT_FALSE(scene.leftDown);

    while (scene.phase == scene.PHASE_FADE_IN) scene.update();
    EXPECT_EQ(scene.frame, 200);
    scene.mousePressed(100, 100, 1);
    EXPECT_EQ(scene.frame, 3199);
    EXPECT_EQ(scene.phase, scene.PHASE_READ);
    scene.update();
    EXPECT_EQ(scene.phase, scene.PHASE_SWING);
    EXPECT_TRUE(scene.introDone);

    scene.mouseMoved(400, 150);
    scene.mousePressed(400, 150, 3);
    EXPECT_TRUE(scene.rightDown);
    EXPECT_EQ(scene.frame, 3200) << "later clicks leave the clock alone";
    EXPECT_FLOAT_EQ(scene.camera.lastX, 0.5f);
    EXPECT_FLOAT_EQ(scene.camera.lastY, 0.25f);

    for (int i = 0; i < 100; ++i) scene.update();
    EXPECT_EQ(scene.phase, scene.PHASE_PLAY);
    // The last swing frame eases at 99 / 100, a hair short of the end values.
    EXPECT_NEAR(scene.camera.pitch, 29.0f, 0.02f);
    EXPECT_NEAR(scene.camera.yaw, 151.0f, 0.02f);
    EXPECT_NEAR(scene.camera.distance, 672.0f, 0.1f);
}

TEST_F(SummerScene, EscapeFadesOutFromTheCurrentLevelOnce) {
    SeasonSummer scene;
    initScene(scene);
    for (int i = 0; i < 50; ++i) scene.update();
    scene.keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene.phase, scene.PHASE_FADE_OUT);
    EXPECT_EQ(scene.frame, 3376);
    EXPECT_FLOAT_EQ(scene.fadeAlpha(), 0.75f);
    scene.update();
    scene.keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene.frame, 3377) << "a second Escape does not restart the fade";
    int frames = 1;
    while (!scene.finished && frames < 1000) {
        scene.update();
        ++frames;
    }
    EXPECT_EQ(frames, 25);
    EXPECT_EQ(scene.unfoldAngle, 270.0f) << "nothing swims before the swing";

    scene.reset();
    EXPECT_FALSE(scene.finished);
    EXPECT_EQ(scene.phase, scene.PHASE_FADE_IN);
    EXPECT_EQ(scene.frame, 0);
}

TEST_F(SummerScene, LettersStandUpThenSchoolsStartSteering) {
    SeasonSummer scene;
    initScene(scene);
    toPlay(scene);
    std::vector<Vec3> leaders;
    for (const SentenceSchool& s : scene.schools) leaders.push_back(s.position);
    for (int frame = 1; frame <= 99; ++frame) {
        scene.update();
        if (frame == 89) {
            EXPECT_EQ(scene.unfoldAngle, 359.0f);
        }
        if (frame == 90) {
            EXPECT_EQ(scene.unfoldAngle, 360.0f);
        }
    }
    EXPECT_EQ(scene.unfoldAngle, 360.0f);
    for (int s = 0; s < scene.schoolCount; ++s) EXPECT_EQ(scene.schools[s].position.x, leaders[s].x);
    scene.update();
    for (int s = 0; s < scene.schoolCount; ++s) EXPECT_NE(scene.schools[s].position.x, leaders[s].x);
}

TEST_F(SummerScene, TheNetScaresFishUnderThePointerAndScattersSchools) {
    SeasonSummer scene;
    initScene(scene);
    toPlay(scene);
    for (int i = 0; i < 150; ++i) scene.update();

    // Aim at one fish; fish far from it in x-z are left alone.
    const WordFish& target = scene.fish[10];
    int px, py;
    pixelOver(target.position.x, target.position.z, px, py);
    scene.mouseMoved(px, py);
    scene.mousePressed(px, py, 1);
    const Vec3 aim = target.position;
    scene.update();
    EXPECT_NEAR(scene.netPoint.x, aim.x, 3.0f);
    EXPECT_NEAR(scene.netPoint.z, aim.z, 3.0f);
    EXPECT_NEAR(scene.netPoint.y, 0.0f, 1e-3f);
    EXPECT_EQ(std::memcmp(scene.projection, view.projection, sizeof view.projection), 0);
    EXPECT_FLOAT_EQ(scene.fish[10].targetSpeed, 10.0f);
    for (const SentenceSchool& s : scene.schools) EXPECT_FLOAT_EQ(s.speed, 0.1f);

    // Fish well away from all five scare points are left alone.
    std::vector<Vec3> scarePoints{scene.netPoint};
    for (float c : {0.2f, 0.4f, 0.6f, 0.8f}) scarePoints.push_back(scene.rayNear + scene.netPoint * c);
    int calm = 0;
    for (const WordFish& f : scene.fish) {
        bool far = true;
        for (const Vec3& p : scarePoints) {
            const float dx = f.position.x - p.x, dz = f.position.z - p.z;
            far = far && dx * dx + dz * dz > 80 * 80;
        }
        if (far) {
            EXPECT_LT(f.targetSpeed, 10.0f);
            ++calm;
        }
    }
    EXPECT_GT(calm, 20);
    for (int i = 0; i < 30; ++i) scene.update();
    EXPECT_GT(scene.fish[10].speed, 3.0f) << "a scared fish darts";
    scene.mouseReleased(px, py, 1);
    for (int i = 0; i < 200; ++i) scene.update();
    for (const SentenceSchool& s : scene.schools) EXPECT_GT(s.speed, 1.0f) << "the schools swim on";
}

TEST_F(SummerScene, CtrlPausesFishSchoolsAndNetButNotTheCamera) {
    SeasonSummer scene;
    initScene(scene);
    toPlay(scene);
    for (int i = 0; i < 120; ++i) scene.update();
    scene.keyPressed(VK_CODE_CONTROL);
    EXPECT_FALSE(scene.running);

    std::vector<Vec3> fish, leaders;
    for (const WordFish& f : scene.fish) fish.push_back(f.position);
    for (const SentenceSchool& s : scene.schools) leaders.push_back(s.position);
    int px, py;
    pixelOver(scene.fish[0].position.x, scene.fish[0].position.z, px, py);
    scene.mouseMoved(px, py);
    scene.mousePressed(px, py, 1);
    scene.mousePressed(px, py, 4);
    const float distance = scene.camera.distance;
    for (int i = 0; i < 20; ++i) scene.update();
    for (size_t i = 0; i < fish.size(); ++i) {
        EXPECT_EQ(scene.fish[i].position.x, fish[i].x);
        EXPECT_EQ(scene.fish[i].state, WordFish::WANDER);
        EXPECT_LT(scene.fish[i].targetSpeed, 10.0f);
    }
    for (size_t s = 0; s < leaders.size(); ++s) {
        EXPECT_EQ(scene.schools[s].position.x, leaders[s].x);
        EXPECT_EQ(scene.schools[s].state, SentenceSchool::WANDER);
    }
    EXPECT_LT(scene.camera.distance, distance) << "the wheel still zooms";

    scene.keyPressed(VK_CODE_CONTROL);
    scene.update();
    EXPECT_NE(scene.fish[0].position.x, fish[0].x);
}

TEST_F(SummerScene, AnyInputInAnyOrderLeavesTheSceneWorking) {
    SeasonSummer scene;
    initScene(scene);
    const int keys[] = {-1, 0, 17, 65, 90, 255, 319, 320, 1000, INT_MAX, INT_MIN, 16, 13, 32};
    for (int step = 0; step < 4000; ++step) {
        const int r = randomNext();
        switch (r % 6) {
        case 0: scene.keyPressed(keys[(r / 6) % 14]); break;
        case 1: scene.keyReleased(keys[(r / 6) % 14]); break;
        case 2: scene.mouseMoved((r % 3000) - 1000, (r % 2000) - 700); break;
        case 3: scene.mousePressed(r % 800, r % 600, (r / 6) % 8); break;
        case 4: scene.mouseReleased(r % 800, r % 600, (r / 6) % 8); break;
        default: break;
        }
        scene.update();
        if (scene.phase == scene.PHASE_READ && step % 500 == 0) scene.mousePressed(1, 1, 1);
    }
    for (const WordFish& f : scene.fish) {
        ASSERT_TRUE(std::isfinite(f.position.x) && std::isfinite(f.position.y) && std::isfinite(f.position.z));
    }
    EXPECT_TRUE(std::isfinite(scene.camera.eye.x) && std::isfinite(scene.camera.distance));
    scene.keyPressed(VK_CODE_ESCAPE);
    for (int i = 0; i < 200 && !scene.finished; ++i) scene.update();
    EXPECT_TRUE(scene.finished);
    scene.reset();
    for (const WordFish& f : scene.fish) EXPECT_EQ(f.position.x, f.home.x);
}
