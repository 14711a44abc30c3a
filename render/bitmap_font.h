// The glyph font: three recorded shape sets over the glyph sheet (text with advance, upright centred,
// flat centred in the x-z plane). All geometry is in glyph heights: a glyph is 1.0 high.
#pragma once

#include <string>
#include <vector>

#include "render/gl.h"
#include "render/glyph_table.h"
#include "render/recorded_shape.h"

class BitmapFont {
public:
    static const int glyphCount = 256;
    static const int noGlyph = 9999;  // offset marking a character without a record

    struct Record { int top, bottom, left, right, offset; };
    struct Corner { float x, y; };

    float advance[glyphCount];
    float present[glyphCount];
    Corner corners[glyphCount][4];
    float spacing = 0;
    bool shapesBuilt = false;  // the shapes below exist (a font built with GL)
    RecordedShape textShapes[glyphCount];
    RecordedShape uprightShapes[glyphCount];
    RecordedShape flatShapes[glyphCount];
    GLuint texture = 0;
    int textureWidth = 0;
    int textureHeight = 0;
    int glyphHeight = 0;
    int baseline = 0;
    float spacingPixels = 0;
    Record records[glyphCount];

    // Takes and frees `table`. With `buildGL` false only the metrics are computed (no texture, no
    // shapes): what the scenes' layout needs, usable without a GL context.
    BitmapFont(GlyphMetrics* table, int resourceId, float spacingPixels, bool buildGL = true);

    void begin() const;
    static void end();
    // With multisampling on, the glyphs' edges go to coverage (alpha-to-coverage) instead of being cut
    // by the alpha test. Off by default: the glyphs are drawn as they always were.
    static void setEdgeCoverage(bool on);
    // Draws the glyph with its baseline on y = 0 and its left edge at x = 0, then moves right by its
    // advance plus the spacing. Codes without a glyph draw nothing and do not move.
    void drawGlyph(char c) const;
    // The glyph centred on the origin, lying in the x-z plane.
    void drawGlyphFlat(char c) const;
    void drawGlyphUpright(char c) const;

    // advance[] indexed by a character taken as a signed byte, the way the draw calls index the shapes.
    float advanceOf(char c) const { return advance[(unsigned char)c]; }
};

// Breaks the first `length` characters of `text` into lines no wider than maxWidth, measuring each
// character as advance x scale. A word wider than a line stays whole on a line of its own.
std::vector<std::string> wrapText(const char* text, const BitmapFont* font, int length, float maxWidth,
                                  float scale);

// The words of the first `length` characters of a story: a space starts a new word (two in a row give
// an empty one), a newline starts nothing, and a full stop or a comma starts a word that begins with it;
// anything else joins the current word.
std::vector<std::string> splitWords(const char* text, int length);
