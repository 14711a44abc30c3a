#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/headless_context.h"
#include "render/bitmap_font.h"
#include "render/glyph_table.h"
#include "render/screen_widgets.h"

namespace {
std::unique_ptr<BitmapFont> metricsFont() {
    return std::unique_ptr<BitmapFont>(new BitmapFont(buildGlyphMetrics(), 102, 3.0f, false));
}

// The x translation a display list leaves on the model-view matrix.
float advanceDrawn(const BitmapFont& font, char c) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    font.drawGlyph(c);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return m[12];
}
}  // namespace

TEST(BitmapFont, MetricsInGlyphHeights) {
    auto font = metricsFont();
    EXPECT_TRUE(font->glyphHeight == 63 && font->baseline == 17 && font->present['\n'] == 0 && font->present['~'] == 1);
    EXPECT_FLOAT_EQ(font->advance['M'], 43.0f / 63);
    EXPECT_FLOAT_EQ(font->advance[' '], 15.0f / 63);
    // Descenders reach below the writing line: the quad spans -17/63 .. 46/63.
    EXPECT_TRUE(std::fabs(font->corners['g'][0].y + 0.27f) < 0.001f && std::fabs(font->corners['g'][1].y - 0.73f) < 0.001f);
}

TEST(BitmapFont, DrawnAdvances) {
    HeadlessContext context(32, 32);
    ASSERT_TRUE(context.ok()) << context.error();
    BitmapFont font(buildGlyphMetrics(), 102, 3.0f);
    EXPECT_TRUE(font.texture != 0u && font.textureWidth == 512);
    EXPECT_FLOAT_EQ(advanceDrawn(font, ' '), 15.0f / 63);  // moves, without the spacing
    EXPECT_FLOAT_EQ(advanceDrawn(font, 'M'), 43.0f / 63 + 3.0f / 63);
    EXPECT_FLOAT_EQ(advanceDrawn(font, '\t'), 0.0f);  // control characters draw nothing, stay put
    EXPECT_FLOAT_EQ(advanceDrawn(font, (char)200), 0.0f);
}

TEST(BitmapFont, NoHeightMeansNoGlyphsRatherThanADivisionByZero) {
    GlyphMetrics* empty = buildGlyphMetrics();
    for (int i = 1; i < GlyphMetrics::recordCount; ++i) empty->records[i].top = empty->records[i].bottom = 0;
    testing::internal::CaptureStdout();
    BitmapFont font(empty, 102, 3.0f, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "none of the characters have a height!\n");
    EXPECT_TRUE(font.spacing == 0.0f && font.advance['A'] == 0.0f);
}

TEST(WrapText, LinesNewlinesAndLongWords) {
    auto font = metricsFont();
    auto wrap = [&](const char* text, float maxWidth) {
        return wrapText(text, font.get(), (int)std::strlen(text), maxWidth, 16.0f);
    };
    using Lines = std::vector<std::string>;
    EXPECT_TRUE(wrap("a\nb", 250) == (Lines{"a", "b"}) && wrap("one line", 250) == (Lines{"one line"}));
    EXPECT_TRUE(wrap("a\n\nb", 250) == (Lines{"a", "", "b"}) && wrap("a\n", 250) == (Lines{"a", ""}));
    const float exact = font->advanceOf('a') * 16 + font->advanceOf(' ') * 16 + font->advanceOf('b') * 16;
    EXPECT_EQ(wrap("a b", exact).size(), 1u) << "a line that fits exactly stays whole";

    // Breaks at the space before the word that overflows; the space is dropped.
    auto lines = wrap("the quick brown fox jumps over the lazy dog again and again", 120);
    ASSERT_GT(lines.size(), 1u);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(!lines[i].empty() && lines[i].front() != ' ') << i;
        joined += (i ? " " : "") + lines[i];
    }
    EXPECT_EQ(joined, "the quick brown fox jumps over the lazy dog again and again");

    // A word wider than the line stays whole on a line of its own; nothing is read before the text.
    EXPECT_EQ(wrap("Mmmmmmmmmmmmmmmmmmmmmmmmmmmmmm end", 100), (Lines{"Mmmmmmmmmmmmmmmmmmmmmmmmmmmmmm", "end"}));
    EXPECT_EQ(wrap("Mmmmmmmmmmmmmmmmmmmmmm", 50), (Lines{"Mmmmmmmmmmmmmmmmmmmmmm"}));
}

TEST(StripSpaces, KeepsLettersInOrder) {
    const char* cases[][3] = {{"a b\nc", "5", "abc"}, {"abc", "0", ""}, {"ab", "10", "ab"}};  // never past the end
    for (const auto& c : cases) {
        char* s = stripSpaces(c[0], std::atoi(c[1]));
        EXPECT_STREQ(s, c[2]);
        delete[] s;
    }
}
