// Smoothing at 1920x1080: a stalk-like slanted line drawn through the whole frame path (appDraw, the
// resolve before read-back) is one hard pixel wide in exact mode, and wider, with grey edge pixels,
// when multisampled.
#include <gtest/gtest.h>

#include "app/headless_run.h"
#include "framework/application.h"
#include "framework/season.h"
#include "render/gl.h"

namespace {

struct StalkScene : ASeason {
    void draw() override {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, 1920, 1080, 0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(0, 0, 0);
        glBegin(GL_LINE_STRIP);  // a stalk leaning right, as Spring draws them
        glVertex2f(900, 900);
        glVertex2f(1000, 600);
        glVertex2f(1150, 300);
        glEnd();
    }
};

struct Look {
    int samples = 0, greys = 0;
    double darkPerRow = 0;  // the line's weight: darkness summed across a row, in pixels
};

Look drawStalk(const SmoothingChoice& smoothing) {
    HeadlessRun run(1920, 1080, false, smoothing);
    EXPECT_TRUE(run.ok()) << run.error();
    StalkScene stalk;
    appReplaceSeasonForTesting(0, &stalk);
    run.enterSeason(0);
    run.setDrawing(true);
    run.runFrames(1);
    Look look;
    look.samples = run.samples();
    for (int y = 350; y < 850; ++y)
        for (int x = 850; x < 1200; ++x) {
            Rgb p = run.pixel(x, y);
            look.greys += p.r > 0 && p.r < 255;
            look.darkPerRow += (255 - p.r) / 255.0 / 500;
        }
    return look;
}

}  // namespace

TEST(SmoothFrames, StalkEdgesAreGreyAndWiderOnlyWhenSmoothed) {
    Look exact = drawStalk(SmoothingChoice{true, 0, 1});
    EXPECT_EQ(exact.samples, 0);
    EXPECT_EQ(exact.greys, 0);
    EXPECT_NEAR(exact.darkPerRow, 1.0, 0.1);

    Look smooth = drawStalk(SmoothingChoice{false, 4, 1});
    EXPECT_GE(smooth.samples, 2);
    EXPECT_GT(smooth.greys, 500);
    EXPECT_NEAR(smooth.darkPerRow, 1080.0 / 768, 0.25);  // the line keeps its weight on a larger screen
}
