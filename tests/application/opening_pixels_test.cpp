#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/headless_context.h"
#include "app/headless_run.h"
#include "framework/application.h"
#include "render/gl.h"
#include "render/screen_widgets.h"

namespace {

struct Rect {
    float left, top, right, bottom;
};

// Where a sheet rectangle lands on screen: 0.65 of its size, centred on the reference canvas.
Rect spriteRect(float left, float right, float top, float bottom) {
    const ReferenceCanvas& c = referenceCanvas();
    float w = (right - left) * 0.65f, h = (bottom - top) * 0.65f;
    float x = (c.refWidth - w) / 2, y = (c.refHeight - h) / 2;
    return Rect{scaleToScreenX(x), scaleToScreenY(y), scaleToScreenX(x + w), scaleToScreenY(y + h)};
}

bool dark(const Rgb& p) { return p.r < 128 && p.g < 128 && p.b < 128; }

bool allWhite(const HeadlessRun& run) {
    return std::all_of(run.lastFrame().begin(), run.lastFrame().end(), [](unsigned char c) { return c == 255; });
}

// Dark pixels inside and outside `r` (a pixel of margin is allowed for filtering at the edges).
void countDark(const HeadlessRun& run, const Rect& r, int& inside, int& outside) {
    inside = outside = 0;
    for (int y = 0; y < run.height(); ++y)
        for (int x = 0; x < run.width(); ++x) {
            if (!dark(run.pixel(x, y))) continue;
            bool in = x >= r.left - 1 && x <= r.right + 1 && y >= r.top - 1 && y <= r.bottom + 1;
            (in ? inside : outside) += 1;
        }
}

}  // namespace

TEST(OpeningPixels, EachTitleFadesOutCompletelyOnItsLastKeyFrame) {
    HeadlessRun run(320, 240);
    ASSERT_TRUE(run.ok()) << run.error();
    const int marks[8] = {220, 231, 253, 264, 275, 286, 308, 320};  // 0.45 as a float is below 0.45
    for (int i = 0; i < 8; ++i) EXPECT_EQ(appTitleMark(i), marks[i]) << i;
    for (int last : {264, 320}) {
        run.runFrames(last - 1 - run.frame());
        EXPECT_FALSE(allWhite(run)) << "still faintly there on frame " << last - 1;
        run.runFrames(1);
        EXPECT_TRUE(allWhite(run)) << "nothing of it left on frame " << last;
    }
}

TEST(OpeningPixels, TitlesAndPanelWhereTheyBelongAndEachNameInItsRow) {
    for (auto size : {std::pair<int, int>{1024, 768}, std::pair<int, int>{1280, 720}}) {
        HeadlessRun run(size.first, size.second);
        ASSERT_TRUE(run.ok()) << run.error();
        int inside, outside;

        run.runFrames(240);  // title image A fully shown (frames 231..253)
        countDark(run, spriteRect(10, 390, 20, 94), inside, outside);
        EXPECT_GT(inside, 500) << "title lettering at " << size.first;
        EXPECT_EQ(outside, 0);

        run.runFrames(50);  // the credit line, fully shown at 290
        countDark(run, spriteRect(13, 195, 254, 294), inside, outside);
        EXPECT_GT(inside, 50) << "credit at " << size.first;
        EXPECT_EQ(outside, 0);

        run.skipToMenu();
        run.runFrames(1);
        Rect panel = spriteRect(10, 127, 353, 502);
        countDark(run, panel, inside, outside);
        EXPECT_GT(inside, 200);
        EXPECT_EQ(outside, 0);

        // Every dark pixel of the panel belongs to the name of the row whose hit band holds it, and
        // every row has its name.
        int perRow[4] = {0, 0, 0, 0};
        for (int y = (int)panel.top; y <= (int)panel.bottom; ++y)
            for (int x = (int)panel.left; x <= (int)panel.right; ++x) {
                if (!dark(run.pixel(x, y))) continue;
                int row = -1;
                for (int i = 0; i < 4; ++i) {
                    float l, t, r, b;
                    appMenuRowRect(i, l, t, r, b);
                    if (y > t + 1 && y < b - 1 && x >= l && x <= r) row = i;
                }
                ASSERT_NE(row, -1) << "ink between rows at " << x << ", " << y;
                perRow[row] += 1;
            }
        for (int i = 0; i < 4; ++i) EXPECT_GT(perRow[i], 40) << "row " << i;
    }
}

// The cursor: the shared disc (a recorded polygon), drawn 40 pixels across; ink all the way round just
// inside its rim, none just outside it.
TEST(ShapePixels, TheCursorDiscIsRoundAllTheWayRound) {
    HeadlessContext context(64, 64);
    ASSERT_TRUE(context.ok()) << context.error();
    buildSharedShapes();
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 64, 0, 64);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(32, 32, 0);
    glScalef(20, 20, 1);
    glColor3f(0, 0, 0);
    discShape().draw();
    std::vector<unsigned char> rgb(64 * 64 * 3);
    glReadPixels(0, 0, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    auto inked = [&](double r, double degrees) {
        const double a = degrees * 3.14159265358979 / 180;
        const int x = (int)std::lround(32 + r * std::cos(a)), y = (int)std::lround(32 + r * std::sin(a));
        return rgb[3 * (y * 64 + x)] < 128;
    };
    for (int degrees = 0; degrees < 360; degrees += 15) {
        EXPECT_TRUE(inked(17, degrees)) << degrees << " degrees, inside the rim";
        EXPECT_FALSE(inked(23, degrees)) << degrees << " degrees, outside the rim";
    }
}
