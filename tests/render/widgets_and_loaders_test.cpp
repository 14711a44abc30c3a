#include <gtest/gtest.h>

#include <vector>

#include "app/headless_context.h"
#include "render/resource_texture.h"
#include "render/screen_widgets.h"

TEST(ReferenceCanvas, WidthFollowsTheAspect) {
    setReferenceCanvas(1024, 768);
    EXPECT_EQ(referenceCanvas().refWidth, 640);
    setReferenceCanvas(1920, 1200);
    EXPECT_TRUE(referenceCanvas().refWidth == 768 && scaleToScreenX(768) == 1920 && scaleToScreenY(480) == 1200);
    setReferenceCanvas(1920, 0);  // a zero height never divides
    EXPECT_GT(referenceCanvas().refWidth, 0);
}

TEST(MenuWidgets, RowsAreInclusiveAndTheBarNeverFlickersBack) {
    MenuButton upper(0, 1, 20, 3, 0, 100, 30, 0, 0);
    MenuButton lower(0, 1, 50, 33, 0, 100, 60, 30, 1);
    EXPECT_TRUE(upper.contains(100, 30) && lower.contains(0, 30) && !lower.contains(100.01f, 40));

    MenuButton* buttons[2] = {&upper, &lower};
    HoverBar bar(0, 50, 1, 18);
    lower.hovered = true;
    bar.track(buttons, 2);
    EXPECT_TRUE(bar.active && bar.y == 50);
    bar.update();
    EXPECT_FLOAT_EQ(bar.alpha, 0.01f);  // fades in over 70 frames
    for (int i = 0; i < 99; ++i) bar.update();
    EXPECT_FLOAT_EQ(bar.alpha, 0.7f);

    // Off the rows and straight back: it keeps fading and reappears only once invisible.
    lower.hovered = false;
    bar.track(buttons, 2);
    bar.update();
    upper.hovered = true;
    float before = bar.alpha;
    for (int i = 0; i < 5; ++i) {
        bar.track(buttons, 2);
        bar.update();
        EXPECT_LT(bar.alpha, before);
        before = bar.alpha;
    }
    for (int i = 0; i < 200 && bar.alpha != 0; ++i) {
        bar.track(buttons, 2);
        bar.update();
    }
    bar.track(buttons, 2);
    EXPECT_TRUE(bar.active && bar.y == 20);  // jumped to the upper row while invisible
}

TEST(ResourceTextures, PowerOfTwoSizes) {
    // The nearest power of two, no larger than the limit.
    const int sizes[][2] = {{512, 512}, {300, 256}, {100, 128}, {400, 512}, {9000, 8192}};
    for (const auto& c : sizes) EXPECT_EQ(textureSizeFor(c[0], 8192), c[1]) << c[0];
}

TEST(ResourceTextures, SheetsLoadAndAMissingIdWritesNothing) {
    HeadlessContext context(16, 16);
    ASSERT_TRUE(context.ok()) << context.error();
    GLuint texture = 4242;
    int w = -1, h = -1;
    EXPECT_FALSE(loadResourceTexture(999, &texture, &w, &h));
    EXPECT_TRUE(texture == 4242u && w == -1);
    ASSERT_TRUE(loadResourceTexture(RESOURCE_GLYPH_SHEET, &texture, &w, &h));
    EXPECT_TRUE(w == 512 && h == 512);
    w = 0;
    ASSERT_TRUE(loadResourceTextureEx(RESOURCE_SPRITE_SHEET, &texture, &w, &h, GL_LINEAR, GL_LINEAR, false));
    EXPECT_EQ(w, 512);
    unsigned char garbage[16] = {'G', 'I', 'F', '8', '9', 'a'};
    DecodedPicture picture;
    EXPECT_TRUE(!decodePictureBytes(garbage, sizeof garbage, picture) && picture.rgba == nullptr);
}
