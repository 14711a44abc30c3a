// Shared pieces of the Winter tests: a GL context for the display lists, a scene built on the
// metrics-only font, a fixed view for picking, and a way to run the scene into its play phase.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/headless_context.h"
#include "render/bitmap_font.h"
#include "render/view_picking.h"
#include "seasons/winter/season_winter.h"

namespace winter_test {

const int kWidth = 800, kHeight = 600;

// The play view: the camera where the swing leaves it (pitch 18, yaw 169, distance 321, looking at
// (0, 130, 0)), close enough for picking.
inline ViewMatrices playView() {
    const double p = 18 * 3.14159265358979 / 180, y = 169 * 3.14159265358979 / 180;
    const Vec3 eye(static_cast<float>(std::cos(y) * std::cos(p) * 321), static_cast<float>(std::sin(p) * 321),
                   static_cast<float>(std::sin(y) * std::cos(p) * 321));
    return makeViewMatrices(kWidth, kHeight, 60, eye, Vec3(0, 130, 0), Vec3(0, 1, 0));
}

// The window pixel under which the ground point (x, 0, z) lies in `view`.
inline void pixelOf(const ViewMatrices& view, float x, float z, int& px, int& py) {
    double wx, wy, wz;
    gluProject(x, 0, z, view.modelview, view.projection, view.viewport, &wx, &wy, &wz);
    px = static_cast<int>(std::lround(wx));
    py = static_cast<int>(std::lround(view.viewport[3] - 1 - wy));
}

class SceneTest : public ::testing::Test {
protected:
    std::unique_ptr<HeadlessContext> context;
    std::unique_ptr<BitmapFont> font;
    std::unique_ptr<SeasonWinter> scene;
    ViewMatrices view;

    void SetUp() override {
        context = std::make_unique<HeadlessContext>(64, 64);
        ASSERT_TRUE(context->ok()) << context->error();
        font.reset(new BitmapFont(buildGlyphMetrics(), 102, 3.0f, false));
        scene = std::make_unique<SeasonWinter>();
        scene->init(kWidth, kHeight, font.get());
        view = playView();
        setViewMatricesForTesting(&view);
    }
    void TearDown() override { setViewMatricesForTesting(nullptr); }

    void run(int frames) { for (int i = 0; i < frames; ++i) scene->update(); }
    // Through the fade-in, a click that ends the reading, the dissolve and the swing.
    void runToPlay() {
        run(scene->fadeInLength);
        scene->mousePressed(0, 0, 1);
        scene->mouseReleased(0, 0, 1);
        run(scene->dissolveLength + 1 + scene->swingLength);
        ASSERT_EQ(scene->phase, scene->PHASE_PLAY);
    }
    void pointAtGround(float x, float z) {
        int px, py;
        pixelOf(view, x, z, px, py);
        scene->mouseMoved(px, py);
    }
};

}  // namespace winter_test
