// The Spring scene without drawing: the story, its layout, a plant's life, phases, input, the meadow step.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "app/headless_context.h"
#include "render/bitmap_font.h"
#include "render/gl.h"
#include "render/random_generator.h"
#include "render/view_picking.h"
#include "seasons/spring/season_spring.h"

namespace {

const int kWidth = 1024, kHeight = 768;

// What a simulation step changes: the random generator, the plants' ages and the letters' places.
std::vector<double> snapshot(const SeasonSpring& s) {
    std::vector<double> shot{(double)randomState()};
    for (const Dandelion& d : s.dandelions()) shot.push_back(d.age);
    for (const LetterSeed& l : s.seeds()) shot.insert(shot.end(), {l.position.x, l.position.y, l.position.z});
    return shot;
}

class SpringScene : public ::testing::Test {
protected:
    std::unique_ptr<HeadlessContext> context;  // for the display lists
    std::unique_ptr<BitmapFont> font;
    std::unique_ptr<SeasonSpring> scene;
    ViewMatrices view;

    void SetUp() override {
        context = std::make_unique<HeadlessContext>(64, 64);
        ASSERT_TRUE(context->ok()) << context->error();
        font.reset(new BitmapFont(buildGlyphMetrics(), 102, 3.0f, false));
        randomReset();
        scene = std::make_unique<SeasonSpring>();
        scene->init(kWidth, kHeight, font.get());
        // Where the swing leaves the camera: pitch 35, yaw 61, distance 521.
        view = makeViewMatrices(kWidth, kHeight, 60, Vec3(206.9f, 298.8f, 373.3f), Vec3(0, 130, 0), Vec3(0, 1, 0));
        setViewMatricesForTesting(&view);
    }
    void TearDown() override { setViewMatricesForTesting(nullptr); }

    void run(int frames) { while (frames-- > 0) scene->update(); }
    void runToPlay() {  // through the fade-in, a click that ends the reading, the dissolve and the swing
        run(scene->phaseLength(scene->PHASE_FADE_IN));
        scene->mousePressed(0, 0, 1);
        run(scene->phaseLength(scene->PHASE_DISSOLVE) + 1 + scene->phaseLength(scene->PHASE_SWING));
        ASSERT_EQ(scene->phase(), scene->PHASE_PLAY);
    }
    void pointAtGround(float x, float z) {
        double wx, wy, wz;
        gluProject(x, 0, z, view.modelview, view.projection, view.viewport, &wx, &wy, &wz);
        scene->mouseMoved((int)std::lround(wx), (int)std::lround(view.viewport[3] - 1 - wy));
        scene->pickGroundPoint(scene->mouseX(), scene->mouseY());
    }
    LetterSeed* lettersOfAWord(size_t n) {  // the first word of n letters: its letters, in order
        int i = 0, k = 0;
        while (scene->words().at(i).size() != n) k += (int)scene->words()[i++].size();
        return &scene->seeds()[k];
    }
};

}  // namespace

TEST(SpringStory, Words) {
    const std::string story = springStory;
    const std::vector<std::string> words = splitWords(story.c_str(), (int)story.size());
    ASSERT_EQ(words.size(), 113u);
    for (const std::string& w : words) EXPECT_TRUE(!w.empty() && w.size() <= 30) << w;
    // A comma is a word, a full stop starts one, a newline joins; two spaces make an empty word.
    using Words = std::vector<std::string>;
    EXPECT_EQ(splitWords("ab, cd.\nef", 10), (Words{"ab", ",", "cd", ".ef"}));
    EXPECT_EQ(splitWords("ab\ncd  e'f", 10), (Words{"abcd", "", "e'f"}));
    EXPECT_EQ(splitWords("ab cd", 2), (Words{"ab"}));
}

TEST_F(SpringScene, OnePlantPerWordAndLettersLaidOutInReadingOrder) {
    ASSERT_TRUE(scene->dandelionCount() == 113 && scene->seedCount() == 442);
    for (int i = 0, k = 0; i < scene->dandelionCount(); ++i) {
        EXPECT_EQ(scene->dandelions()[i].seedsOnHead, (int)scene->words()[i].size());
        for (size_t j = 0; j < scene->words()[i].size(); ++j, ++k)
            EXPECT_TRUE(scene->seeds()[k].indexInWord == j && scene->seeds()[k].owner == &scene->dandelions()[i]) << k;
    }
    // Letters in reading order, at homes on the wrapped lines 16 apart, centred on z = 0, left to right.
    int k = 0;
    for (size_t l = 0; l < scene->lines().size(); ++l) {
        float lastX = -PAGE_HALF_WIDTH;
        for (char c : scene->lines()[l]) {
            if (c == ' ') continue;
            ASSERT_LT(k, scene->seedCount());
            const LetterSeed& s = scene->seeds()[k++];
            EXPECT_EQ(s.letter, c) << "line " << l;
            EXPECT_FLOAT_EQ(s.home.z, 16.0f * l - (scene->lines().size() - 1) * 8.0f);
            EXPECT_TRUE(s.home.x > lastX && s.home.x < 150.0f && s.position.x == s.home.x);
            lastX = s.home.x;
        }
    }
    EXPECT_EQ(k, scene->seedCount());
}

TEST_F(SpringScene, PlantSproutsRipensLetsGoWithersSleepsAndRegrows) {
    LetterSeed &first = lettersOfAWord(2)[0], &second = lettersOfAWord(2)[1];
    Dandelion& d = *first.owner;
    for (float age : {-50.0f, 50.0f}) {  // not yet sprouted: no stalk, no letters
        d.age = age;
        d.update();
        d.carrySeed(&first);
        EXPECT_EQ(d.currentSegmentLength < 0.0011f && d.points.back().length() < 0.01f, age < 0);
        EXPECT_EQ(first.alpha == 0.0f && first.size == 0.0f, age < 0);
    }
    d.age = 950;
    d.growthRate = 1;
    for (int i = 0; i < 400; ++i) {  // ripe, its age frozen, and held bent by the wind
        d.applyWind(20, 0);
        d.update();
    }
    EXPECT_TRUE(d.state == d.RIPE && d.age == 951.0f && d.spring->bent && d.blowCounter > 3);
    d.releaseSeed(&first, 0, 0);
    EXPECT_TRUE(d.blowCounter == 0 && !first.attached && first.maxSpeed == 6.0f);
    d.releaseSeed(&first, 0, 0);  // a free letter cannot leave twice
    EXPECT_TRUE(d.state == d.RIPE && d.seedsOnHead == 1 && d.seedsInFlight == 1);
    d.releaseSeed(&second, 0, 0);
    EXPECT_TRUE(d.state == d.WITHERING && d.age == 980.0f && d.seedsInFlight == 2);
    for (int i = 1; i <= 200; ++i) {  // withers for 200 frames, half way at 100, then sleeps
        d.update();
        if (i == 100) {
            EXPECT_NEAR(d.currentSegmentLength, d.segmentLength / 2, 0.01f);
        }
        EXPECT_EQ(d.dormant, i == 200);
    }
    for (int i = 0; i < 1000; ++i) d.update();  // dormant, only the age goes on, up to 1530
    EXPECT_TRUE(d.age >= 1530.0f && d.age < 1531.0f) << d.age;
    d.carrySeed(&second);  // a sleeping plant shows no letters
    EXPECT_FALSE(second.visible);

    first.visible = false;  // landed, and blown while it lay there
    first.force = Vec3(-0.2f, 0, 0.4f);
    d.regrowSeed(&first);  // only a sprouting head regrows its letters
    EXPECT_FALSE(first.visible);
    d.respawn();
    d.regrowSeed(&first);
    EXPECT_TRUE(first.visible && first.attached && first.size == 0.0f);
    d.releaseSeed(&first, 1, 0);  // the launch force joins the one it collected
    EXPECT_TRUE(first.lingerForce.x >= 9.8f && first.lingerForce.x == first.force.x && first.lingerForce.y >= 0.05f);
    EXPECT_FLOAT_EQ(first.lingerForce.z, 0.4f);
}

TEST_F(SpringScene, ClicksByPhase) {
    run(10);
    scene->mousePressed(5, 5, 1);  // fade-in: ignored
    EXPECT_EQ(scene->frame(), 10);
    run(190);
    ASSERT_EQ(scene->phase(), scene->PHASE_READ);
    scene->mousePressed(5, 5, 1);  // reading: the dissolve starts at the next update
    scene->update();
    EXPECT_TRUE(scene->frame() == 3200 && scene->phase() == scene->PHASE_DISSOLVE && scene->introDone());
    for (int phase : {scene->PHASE_DISSOLVE, scene->PHASE_SWING}) {  // no controls yet
        run(50);
        ASSERT_EQ(scene->phase(), phase);
        scene->mousePressed(5, 5, 1);
        scene->mousePressed(5, 5, 4);
        EXPECT_TRUE(!scene->leftDown() && scene->camera().zoomVelocity == 0.0f);
    }
    run(100);
    ASSERT_EQ(scene->phase(), scene->PHASE_PLAY);
    // The last swing frame is a hair short of the end.
    EXPECT_TRUE(std::fabs(scene->camera().pitch - 35) < 0.05f && std::fabs(scene->camera().yaw - 61) < 0.05f);
    scene->mousePressed(5, 5, 1);
    EXPECT_TRUE(scene->leftDown());
}

TEST_F(SpringScene, EscapeFadesOutFromWhereItIs) {
    run(50);
    scene->keyPressed(VK_CODE_ESCAPE);  // at fade-in alpha 0.75 the fade-out goes on from 0.75
    EXPECT_TRUE(scene->phase() == scene->PHASE_FADE_OUT && scene->frame() == 3551 && scene->fadeAlpha() == 0.75f);
    scene->update();
    scene->keyPressed(VK_CODE_ESCAPE);  // a second Escape does not restart it
    run(48);
    EXPECT_TRUE(scene->frame() == 3600 && !scene->finished);
    scene->update();
    EXPECT_TRUE(scene->finished);

    scene->reset();  // Escape while reading: the fade-out runs without a simulation step
    run(300);
    scene->keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(scene->frame(), scene->phaseStart(scene->PHASE_FADE_OUT));
    const std::vector<double> before = snapshot(*scene);
    run(200);
    EXPECT_TRUE(scene->finished && snapshot(*scene) == before);
}

TEST_F(SpringScene, CtrlFreezesTheFieldAndTheHeldButtonTheWind) {
    runToPlay();
    run(100);
    scene->keyPressed(VK_CODE_CONTROL);
    const std::vector<double> before = snapshot(*scene);
    float windX = scene->wind().x, windZ = scene->wind().z;
    const float distance = scene->camera().distance;
    scene->mousePressed(5, 5, 4);  // the camera still answers the wheel and the keys
    scene->keyPressed(VK_CODE_A);
    run(60);
    EXPECT_TRUE(snapshot(*scene) == before && scene->wind().x == windX && scene->camera().distance < distance - 1);
    scene->keyPressed(VK_CODE_CONTROL);
    run(1);
    EXPECT_NE(snapshot(*scene), before);

    scene->mouseMoved(500, 400);  // held still: no breath, and gust and wind wait
    scene->mousePressed(500, 400, 1);
    const int gustFrame = scene->gustFrame();
    windX = scene->wind().x, windZ = scene->wind().z;
    run(30);
    EXPECT_TRUE(scene->gustFrame() == gustFrame && scene->wind().x == windX && scene->wind().z == windZ);
    for (const Dandelion& d : scene->dandelions())
        EXPECT_TRUE(d.dormant || (d.spring->target.x == d.spring->rest.x && d.spring->target.z == d.spring->rest.z));
    scene->mouseReleased(500, 400, 1);
    run(1);
    EXPECT_NE(scene->wind().x, windX);
}

TEST_F(SpringScene, BreathWithAZeroComponentBlowsNothing) {
    runToPlay();
    run(20);
    pointAtGround(0, 0);
    LetterSeed& seed = scene->seeds()[0];
    const float breaths[][2] = {{0, 5}, {5, 0}, {5, 5}};
    for (const auto& b : breaths) {
        seed.attached = false, seed.visible = true;  // a free letter high above the field
        seed.position = Vec3(0, 100, 0);
        seed.velocity.clear(), seed.force.clear(), seed.lingerForce.clear();
        scene->breath().acc.x = b[0], scene->breath().acc.z = b[1];
        scene->stepMeadow();
        const bool blows = b[0] != 0 && b[1] != 0;
        int pushed = 0;  // stalks whose target is more than rest and wind
        for (const Dandelion& d : scene->dandelions())
            pushed += d.spring->target.x != d.spring->rest.x + scene->wind().x && !d.dormant;
        EXPECT_EQ(pushed > 0, blows);
        EXPECT_EQ(seed.velocity.x < 0 && seed.velocity.z < 0, blows);
        EXPECT_EQ(seed.velocity.x == 0 && seed.velocity.z == 0, !blows);
    }
    seed.visible = false;  // a landed letter collects the blow too
    seed.force.clear();
    scene->breath().acc.x = scene->breath().acc.z = 5;
    scene->stepMeadow();
    EXPECT_LT(seed.force.x, 0.0f);
}

// A breath bends the plants within 350 of the pointer's ground point and no others; a ripe head lets
// its letters go, one at a time, only while the pointer is within 60 of its foot.
TEST_F(SpringScene, BreathReachesPlantsWithin350AndLettersLeaveWithin60OfTheFoot) {
    runToPlay();
    run(20);
    pointAtGround(0, 0);
    const Vec3 g = scene->groundPoint();
    std::vector<Dandelion*> awake;
    for (Dandelion& d : scene->dandelions())
        if (!d.dormant) awake.push_back(&d);
    ASSERT_GE(awake.size(), 2u);
    awake[0]->base = g + Vec3(330, 0, 0);
    awake[1]->base = g + Vec3(0, 0, -370);
    scene->breath().acc.x = scene->breath().acc.z = 5;
    scene->stepMeadow();
    auto pushed = [&](const Dandelion& d) { return d.spring->target.x != d.spring->rest.x + scene->wind().x; };
    EXPECT_TRUE(pushed(*awake[0])) << "330 from the pointer";
    EXPECT_FALSE(pushed(*awake[1])) << "370 from the pointer";

    for (float away : {70.0f, 50.0f}) {
        Dandelion& d = *lettersOfAWord(8)->owner;
        d.age = 900;
        pointAtGround(d.base.x + away, d.base.z);
        scene->mousePressed(0, 0, 1);
        for (int steps = 0; d.seedsOnHead > 0 && steps < 400; ++steps) {
            d.blowCounter = 10;  // bent long enough
            const int before = d.seedsOnHead;
            scene->stepMeadow();
            EXPECT_LE(before - d.seedsOnHead, 1) << "step " << steps;
        }
        if (away > 60) {
            EXPECT_EQ(d.seedsOnHead, 8) << away << " from the foot";
            continue;
        }
        EXPECT_TRUE(d.seedsOnHead == 0 && d.state == d.WITHERING && d.seedsInFlight == 8);
        scene->reset();
        EXPECT_EQ(d.seedsInFlight, 0);
        for (const LetterSeed& s : scene->seeds())
            EXPECT_TRUE(s.visible && s.attached && s.position.x == s.home.x && s.position.y == s.home.y);
    }
}

TEST_F(SpringScene, PicksTheGroundAndKeepsItWhenTheRayMisses) {
    pointAtGround(30, -40);
    const Vec3 first = scene->groundPoint();
    EXPECT_TRUE(std::fabs(first.x - 30) < 1 && std::fabs(first.y) < 1e-3f && std::fabs(first.z + 40) < 1);
    pointAtGround(-60, 10);
    EXPECT_TRUE(scene->prevGroundPoint().x == first.x && std::fabs(scene->groundPoint().x + 60) < 1);
    // A view that cannot be inverted, or a ray along the ground, leaves the point where it was.
    const float kept = scene->groundPoint().x;
    ViewMatrices broken = view;
    std::fill(std::begin(broken.modelview), std::end(broken.modelview), 0.0);
    ViewMatrices level = makeViewMatrices(kWidth, kHeight, 60, Vec3(0, 0, 0), Vec3(100, 0, 0), Vec3(0, 1, 0));
    for (const ViewMatrices* v : {&broken, &level}) {
        setViewMatricesForTesting(v);
        scene->pickGroundPoint(kWidth / 2, kHeight / 2 - 1);
        EXPECT_TRUE(scene->groundPoint().x == kept && scene->prevGroundPoint().x == kept);
    }
}
