// The Autumn scene's phases, input and letter motion, without drawing.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/random_generator.h"
#include "render/view_picking.h"
#include "seasons/autumn/season_autumn.h"

namespace {

struct FixedView {  // picking reads these matrices while it lives
    ViewMatrices view;
    explicit FixedView(const ViewMatrices& v) : view(v) { setViewMatricesForTesting(&view); }
    ~FixedView() { setViewMatricesForTesting(nullptr); }
};

class AutumnScene : public ::testing::Test {
protected:
    SeasonAutumn s;
    void SetUp() override {
        static BitmapFont* font = new BitmapFont(buildGlyphMetrics(), 102, 3.0f, false);
        randomReset();
        s.init(1024, 768, font);
    }
    void run(int n) {
        for (int i = 0; i < n; ++i) s.update();
    }
    void toPlay() {  // fade-in, a click that skips the reading, the swing
        run(200);
        s.mousePressed(0, 0, 1);
        run(101);
        ASSERT_EQ(s.phase, s.PHASE_PLAY);
    }
    bool allHome() const {
        for (int i = 0; i < s.leafCount; ++i) {
            const LeafBody& b = s.leaves[i];
            if (b.position.x != b.home.x || b.position.y != b.home.y || b.position.z != b.home.z ||
                b.angles.x != 0 || b.angles.y != 180 || b.angles.z != 180)
                return false;
        }
        return true;
    }
    float highest() const {
        float top = 0;
        for (int i = 0; i < s.leafCount; ++i) top = std::fmax(top, s.leaves[i].position.y);
        return top;
    }
    bool allFinite() const {  // a NaN or infinity anywhere spoils the sum
        double sum = 0;
        for (int i = 0; i < s.leafCount; ++i) {
            const Vec3& p = s.leaves[i].position;
            sum += (double)p.x + p.y + p.z;
        }
        return std::isfinite(sum);
    }
};

}  // namespace

TEST_F(AutumnScene, StoryAndPage) {
    int newlines = 0, letters = 0;
    for (const char* p = autumnStory; *p; ++p) newlines += *p == '\n', letters += *p != '\n' && *p != ' ';
    EXPECT_EQ(std::strlen(autumnStory), 720u);
    EXPECT_EQ(newlines, 3);
    EXPECT_EQ(letters, 586);
    ASSERT_EQ(s.leafCount, 586);
    float minZ = 0, maxZ = 0;
    for (int i = 0; i < s.leafCount; ++i) {
        EXPECT_EQ(s.leaves[i].letter, s.letters[i]);
        EXPECT_LT(std::fabs(s.leaves[i].home.x), s.pageHalfWidth);
        minZ = std::fmin(minZ, s.leaves[i].home.z), maxZ = std::fmax(maxZ, s.leaves[i].home.z);
    }
    EXPECT_FLOAT_EQ(minZ, -maxZ) << "the block is centred on the page";
    EXPECT_FLOAT_EQ(maxZ - minZ, 16.0f * (s.lines.size() - 1));
}

TEST_F(AutumnScene, PhasesWithoutInputAndPressesInTheOpening) {
    run(50);
    s.mousePressed(9, 9, 1);
    EXPECT_EQ(s.frame, 50) << "ignored in the fade-in";
    run(149);
    EXPECT_EQ(s.phase, s.PHASE_FADE_IN);
    run(1);
    EXPECT_EQ(s.phase, s.PHASE_READ);
    run(3000);
    EXPECT_EQ(s.phase, s.PHASE_SWING);
    run(1);
    EXPECT_FLOAT_EQ(s.camera.pitch, 89.9f);
    run(99);
    EXPECT_EQ(s.phase, s.PHASE_PLAY);
    EXPECT_TRUE(s.whirlwindOn);
    EXPECT_NEAR(s.camera.yaw, 132.0f, 0.1f);
    EXPECT_TRUE(allHome());
    int ramp = 0;
    while (s.whirlwindRamp != 1.0f && ramp < 100) run(1), ramp += 1;
    EXPECT_NEAR(ramp, 50, 1);
    run(300);
    EXPECT_GT(highest(), 30.0f) << "the whirlwind lifts letters";
    EXPECT_EQ(s.frame, 3300);

    s.reset();
    run(300);
    s.mousePressed(9, 9, 3);
    EXPECT_FALSE(s.rightDown);
    run(1);
    EXPECT_EQ(s.phase, s.PHASE_SWING) << "a press skips the reading";
}

TEST_F(AutumnScene, EnterFliesEveryLetterHome) {
    run(250);
    s.keyPressed(VK_CODE_ENTER);
    EXPECT_FALSE(s.reforming) << "not before play";
    s.mousePressed(0, 0, 1);
    run(101);
    for (bool running : {true, false}) {
        run(250);
        if (!running) s.keyPressed(VK_CODE_CONTROL);
        s.keyPressed(VK_CODE_ENTER);
        run(59);
        EXPECT_FALSE(allHome());
        run(1);
        EXPECT_TRUE(allHome()) << "running " << running;
        if (!running) s.keyPressed(VK_CODE_CONTROL);
    }
    run(1);
    EXPECT_FALSE(s.reforming);
    run(1);
    EXPECT_FALSE(allHome()) << "the whirlwind takes hold again at once";

    run(200);
    s.keyPressed(VK_CODE_ENTER);
    run(30);
    Vec3 mid = s.leaves[0].position;
    s.keyPressed(VK_CODE_ENTER);
    EXPECT_EQ(s.leaves[0].savedPosition.y, mid.y) << "a second Enter starts from where they are";
    run(60);
    EXPECT_TRUE(allHome());
}

TEST_F(AutumnScene, SpaceCtrlAndEscape) {
    toPlay();
    run(60);
    s.keyPressed(VK_CODE_SPACE);
    EXPECT_EQ(s.whirlwindRamp, 0.0f);
    s.keyPressed(VK_CODE_SPACE);
    run(1);
    EXPECT_FLOAT_EQ(s.whirlwindRamp, 0.02f) << "fades in anew";

    FixedView view(makeViewMatrices(1024, 768, 60, Vec3(0, 400, 0), Vec3(0, 0, 0), Vec3(0, 0, -1)));
    s.mouseMoved(512, 384);
    s.mousePressed(512, 384, 1);
    s.keyPressed(VK_CODE_CONTROL);
    Vec3 before = s.leaves[100].position;
    unsigned int state = randomState();
    run(20);
    EXPECT_EQ(randomState(), state) << "no kicks, no tumbling";
    EXPECT_EQ(s.leaves[100].position.y, before.y);

    s.keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(s.frame, 3301);
    run(100);
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.leaves[100].position.y, before.y) << "still in the fade-out while stopped";

    s.reset();
    run(100);
    s.keyPressed(VK_CODE_ESCAPE);
    s.keyPressed(VK_CODE_ESCAPE);
    EXPECT_EQ(s.frame, 3351) << "continues from the same whiteness, once";
    run(50);
    EXPECT_TRUE(s.finished);
}

TEST_F(AutumnScene, KickFromThePickedGroundPointAndBounce) {
    toPlay();
    s.keyPressed(VK_CODE_SPACE);  // whirlwind off: gravity and the kick only
    run(5);
    Vec3 spot = s.leaves[200].home;
    FixedView view(makeViewMatrices(1024, 768, 60, spot + Vec3(0, 400, 0), spot, Vec3(0, 0, -1)));
    s.mouseMoved(512, 384);
    s.mousePressed(512, 384, 1);
    run(1);
    EXPECT_NEAR((s.groundPoint - spot).length(), 0, 1.0f);
    for (int i = 0; i < s.leafCount; ++i) {
        Vec3 was = s.leaves[i].home - s.groundPoint, now = s.leaves[i].position - s.groundPoint;
        was.y = now.y = 0;
        if (was.length() < 15) {
            EXPECT_GT(s.leaves[i].position.y, 0.0f) << i;  // kicked up
        } else if (was.length() > 51) {
            EXPECT_EQ(s.leaves[i].position.y, 0.0f) << i;  // only pushed along the ground
            EXPECT_GT(now.length(), was.length()) << i;
        }
    }

    LeafBody& b = s.leaves[3];
    b.position.set(10, 1, 10);
    b.velocity.set(0.5f, -1.5f, 0.25f);
    b.gravity.set(0, 0, 0);
    s.stepLeaves();
    EXPECT_EQ(b.position.y, 0.0f);
    EXPECT_FLOAT_EQ(b.velocity.x, 0.15f);
    EXPECT_FLOAT_EQ(b.velocity.y, 1.515f * 0.3f);
}

TEST_F(AutumnScene, AnyInputInAnyOrderLeavesItWorking) {
    FixedView view(makeViewMatrices(1024, 768, 60, Vec3(0, 250, 480), Vec3(0, 0, 0), Vec3(0, 1, 0)));
    for (int key : {-1, INT_MIN, 320, 1000, INT_MAX}) s.keyPressed(key), s.keyReleased(key);
    s.mouseReleased(0, 0, 1);
    s.mouseMoved(INT_MAX, INT_MIN);
    s.leaves[0].position.set(0, 0, 0);  // exactly on the whirlwind's axis
    unsigned int seed = 12345;
    auto next = [&seed](int n) { return (int)(((seed = seed * 1103515245u + 12345u) >> 8) % (unsigned)n); };
    for (int frame = 0; frame < 5000; ++frame) {
        for (int e = next(3); e > 0; --e) {
            int kind = next(6), x = next(3000) - 1000, y = next(3000) - 1000;
            if (kind == 0) s.keyPressed(next(700) - 200);
            if (kind == 1) s.keyReleased(next(700) - 200);
            if (kind == 2) s.mouseMoved(x, y);
            if (kind == 3) s.mousePressed(x, y, next(8) - 1);
            if (kind == 4) s.mouseReleased(x, y, next(8) - 1);
            if (kind == 5 && next(60) == 0) s.keyPressed(next(2) ? VK_CODE_ENTER : VK_CODE_ESCAPE);
        }
        s.update();
        ASSERT_TRUE(allFinite()) << frame;
        if (s.finished) s.reset();
    }
    s.reset();
    toPlay();
    run(200);
    s.keyPressed(VK_CODE_ENTER);
    run(60);
    EXPECT_TRUE(allHome());
    run(3000);
    EXPECT_EQ(s.phase, s.PHASE_PLAY) << "play never ends by itself";
}
