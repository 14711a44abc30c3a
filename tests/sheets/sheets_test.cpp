// The glyph table and the glyph sheet compiled into the program: every glyph where the table says.
// Where the sprite sheet's title, credit and menu names land is checked on screen (opening_pixels_test).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "render/glyph_table.h"
#include "render/resource_texture.h"

namespace {

const int sheetSize = 512;

// The font's alpha test keeps texels whose blue channel is above 0.1825.
const int glyphInk = (int)(0.1825 * 255);

struct Box {
    int left, right, top, bottom;  // columns left .. right - 1, rows top .. bottom - 1
};

Box boxOf(const GlyphRecord& r) { return Box{r.left, r.right, r.top, r.bottom}; }

class Sheet {
public:
    explicit Sheet(int resourceId) { decoded = decodeResourcePicture(resourceId, picture); }
    bool ok() const { return decoded && picture.width == sheetSize && picture.height == sheetSize; }
    const unsigned char* pixel(int x, int y) const { return picture.rgba + ((size_t)y * picture.width + x) * 4; }
    int blue(int x, int y) const { return pixel(x, y)[2]; }

private:
    DecodedPicture picture;
    bool decoded = false;
};

struct GlyphTable {
    std::unique_ptr<GlyphMetrics> metrics{buildGlyphMetrics()};
    const GlyphRecord& of(char c) const { return metrics->records[c - 31]; }
};

// Ink extent inside a box, for a predicate on pixels; empty when right < left.
struct Ink {
    int left = 1 << 20, right = -1, top = 1 << 20, bottom = -1;
    bool empty() const { return right < left; }
};

template <typename IsInk>
Ink inkIn(const Box& box, IsInk isInk) {
    Ink ink;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (isInk(x, y)) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

TEST(GlyphTable, HeaderSpaceAndOneBoxPerPrintableCharacter) {
    GlyphTable table;
    const GlyphMetrics& m = *table.metrics;
    EXPECT_EQ(m.baseline(), 17);
    EXPECT_EQ(m.count(), 96);
    const GlyphRecord& space = m.records[1];
    EXPECT_TRUE(space.code == 32 && space.top == 0 && space.bottom == 0 && space.left == 0 &&
                space.right == 15 && space.offset == 0);

    // Seven sheet rows of 63-pixel boxes, each starting at the character listed here.
    const std::string rowStarts = "!2@KVdu";
    const int rowTops[] = {8, 80, 152, 224, 296, 368, 440};
    int row = -1;
    for (int i = 2; i < GlyphMetrics::recordCount; ++i) {
        const GlyphRecord& r = m.records[i];
        SCOPED_TRACE(std::string("character ") + (char)r.code);
        EXPECT_EQ(r.code, 31 + i);
        bool newRow = rowStarts.find((char)r.code) != std::string::npos;
        if (newRow) ++row;
        ASSERT_GE(row, 0);
        EXPECT_TRUE(r.top == rowTops[row] && r.bottom == rowTops[row] + 63 && r.left < r.right &&
                    r.right <= sheetSize && r.offset == 0);
        if (!newRow) {
            EXPECT_LE(m.records[i - 1].right, r.left) << "boxes along a row at most touch";
        }
    }
    EXPECT_TRUE(table.of('!').left == 16 && table.of('M').right == 132 && table.of('~').right == 315);
}

TEST(GlyphSheet, EveryGlyphInkedInsideItsBoxAndNowhereElse) {
    Sheet sheet(RESOURCE_GLYPH_SHEET);
    ASSERT_TRUE(sheet.ok());
    GlyphTable table;
    std::vector<unsigned char> inBox((size_t)sheetSize * sheetSize, 0);
    for (int c = 33; c <= 126; ++c) {
        Box box = boxOf(table.of((char)c));
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) inBox[(size_t)y * sheetSize + x] = 1;
        Ink ink = inkIn(box, [&](int x, int y) { return sheet.blue(x, y) > glyphInk; });
        EXPECT_FALSE(ink.empty()) << "no ink for " << (char)c;
    }
    int stray = 0, coloured = 0;
    for (int y = 0; y < sheetSize; ++y)
        for (int x = 0; x < sheetSize; ++x) {
            const unsigned char* p = sheet.pixel(x, y);
            if (p[0] != p[1] || p[1] != p[2] || p[3] != 255) ++coloured;
            if (!inBox[(size_t)y * sheetSize + x] && p[2] != 0) ++stray;
        }
    EXPECT_EQ(stray, 0) << "pixels lit outside every glyph box";
    EXPECT_EQ(coloured, 0) << "the glyph sheet is opaque grey";
}

TEST(GlyphSheet, GlyphsSitOnOneWritingLineAndFillTheirWidth) {
    Sheet sheet(RESOURCE_GLYPH_SHEET);
    ASSERT_TRUE(sheet.ok());
    GlyphTable table;
    auto inkOf = [&](char c) {
        return inkIn(boxOf(table.of(c)), [&](int x, int y) { return sheet.blue(x, y) > glyphInk; });
    };
    // Flat-bottomed letters end on the writing line, 17 pixels above the box's bottom; descenders go below it.
    for (char c : std::string("HEIMNTZhkmnrxz")) EXPECT_EQ(inkOf(c).bottom, table.of(c).bottom - 18) << c;
    for (char c : std::string("gjpqy")) EXPECT_GT(inkOf(c).bottom, table.of(c).bottom - 14) << c;
    // The box's first and last columns carry ink: the glyph spans its box's full width.
    for (char c : std::string("HMNUEWmnu#"))
        EXPECT_TRUE(inkOf(c).left == table.of(c).left && inkOf(c).right == table.of(c).right - 1) << c;
}

}  // namespace
