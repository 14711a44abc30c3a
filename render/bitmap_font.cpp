#include "render/bitmap_font.h"

#include <cstdio>

#include "render/resource_texture.h"

BitmapFont::BitmapFont(GlyphMetrics* table, int resourceId, float spacingPx, bool buildGL) {
    for (int c = 0; c < glyphCount; ++c) {
        records[c] = Record{0, 0, 0, 0, noGlyph};
        advance[c] = 0;
        present[c] = 0;
        for (Corner& corner : corners[c]) corner = Corner{0, 0};
    }
    spacingPixels = spacingPx;

    // Metrics from the table, which this font owns from here on.
    if (table) {
        baseline = table->baseline();
        int count = table->count();
        if (count > GlyphMetrics::recordCount) count = GlyphMetrics::recordCount;
        for (int i = 1; i < count; ++i) {
            const GlyphRecord& r = table->records[i];
            if (r.code < 0 || r.code >= glyphCount) continue;
            records[r.code] = Record{r.top, r.bottom, r.left, r.right, r.offset};
        }
        delete table;
    }

    glyphHeight = 0;
    for (int c = 0; c < glyphCount; ++c) {
        if (records[c].offset != noGlyph && records[c].bottom - records[c].top != 0) {
            glyphHeight = records[c].bottom - records[c].top;
            break;
        }
    }
    if (glyphHeight == 0) {
        // Without a height nothing can be measured; the font then has no glyphs at all.
        std::fputs("none of the characters have a height!\n", stdout);
        spacing = 0;
        return;
    }

    float h = (float)glyphHeight;
    float b = baseline / h;
    spacing = spacingPixels / h;
    for (int c = 0; c < glyphCount; ++c) {
        const Record& r = records[c];
        if (r.offset == noGlyph) continue;
        advance[c] = (r.right - r.left) / h;
        present[c] = 1.0f;
        float x0 = -r.offset / h;
        if (r.offset != 0) advance[c] -= r.offset / h;
        corners[c][0] = Corner{x0, -b};
        corners[c][1] = Corner{x0, 1 - b};
        corners[c][2] = Corner{advance[c], 1 - b};
        corners[c][3] = Corner{advance[c], -b};
    }
    const int space = ' ';
    advance[space] = records[space].right / h;

    if (!buildGL) return;
    if (!loadResourceTexture(resourceId, &texture, &textureWidth, &textureHeight)) {
        textureWidth = textureHeight = 512;  // the shapes are still built; they draw untextured
    }

    shapesBuilt = true;
    for (int c = 0; c < glyphCount; ++c) {
        const Record& r = records[c];
        if (r.offset == noGlyph) continue;
        if (c == space) {
            float move = records[space].right / h;
            for (RecordedShape* set : {textShapes, uprightShapes, flatShapes}) set[c].moveAfter(move);
            continue;
        }
        float uL = r.left / (float)textureWidth, uR = r.right / (float)textureWidth;
        float tB = 1 - r.bottom / (float)textureHeight, tT = 1 - r.top / (float)textureHeight;
        const Corner* q = corners[c];

        RecordedShape& text = textShapes[c];
        text.begin(GL_QUADS);
        text.texCoord(uL, tB); text.vertex(q[0].x, q[0].y, 0);
        text.texCoord(uL, tT); text.vertex(q[1].x, q[1].y, 0);
        text.texCoord(uR, tT); text.vertex(q[2].x, q[2].y, 0);
        text.texCoord(uR, tB); text.vertex(q[3].x, q[3].y, 0);
        text.end();
        text.moveAfter(advance[c] + spacing);

        float hw = (r.offset != 0 ? q[2].x - q[0].x : q[2].x) * 0.5f;
        float hh = 0.5f;
        RecordedShape& upright = uprightShapes[c];
        upright.begin(GL_QUADS);
        upright.texCoord(uL, tB); upright.vertex(-hw, -hh, 0);
        upright.texCoord(uL, tT); upright.vertex(-hw, hh, 0);
        upright.texCoord(uR, tT); upright.vertex(hw, hh, 0);
        upright.texCoord(uR, tB); upright.vertex(hw, -hh, 0);
        upright.end();

        RecordedShape& flat = flatShapes[c];
        flat.begin(GL_QUADS);
        flat.texCoord(uL, tB); flat.vertex(-hw, 0, -hh);
        flat.texCoord(uL, tT); flat.vertex(-hw, 0, hh);
        flat.texCoord(uR, tT); flat.vertex(hw, 0, hh);
        flat.texCoord(uR, tB); flat.vertex(hw, 0, -hh);
        flat.end();
    }
}

#ifndef GL_SAMPLE_ALPHA_TO_COVERAGE
#define GL_SAMPLE_ALPHA_TO_COVERAGE 0x809E
#endif

namespace {
bool edgeCoverage = false;
}

void BitmapFont::setEdgeCoverage(bool on) { edgeCoverage = on; }

void BitmapFont::begin() const {
    glEnable(GL_TEXTURE_2D);
    if (edgeCoverage) {
        glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    } else {
        glAlphaFunc(GL_GREATER, 0.1825f);
        glEnable(GL_ALPHA_TEST);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void BitmapFont::end() {
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    if (edgeCoverage) glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    glDisable(GL_TEXTURE_2D);
}

// Only codes with a record have a shape; any other code (a control character, a byte above 126, or a
// font built without GL) draws nothing.
void BitmapFont::drawGlyph(char c) const {
    unsigned char code = (unsigned char)c;
    if (shapesBuilt && records[code].offset != noGlyph) textShapes[code].draw();
}

void BitmapFont::drawGlyphFlat(char c) const {
    unsigned char code = (unsigned char)c;
    if (shapesBuilt && records[code].offset != noGlyph) flatShapes[code].draw();
}

void BitmapFont::drawGlyphUpright(char c) const {
    unsigned char code = (unsigned char)c;
    if (shapesBuilt && records[code].offset != noGlyph) uprightShapes[code].draw();
}

std::vector<std::string> wrapText(const char* text, const BitmapFont* font, int length, float maxWidth,
                                  float scale) {
    std::vector<std::string> lines(1);
    int lineStart = 0;
    float width = 0;
    int i = 0;
    while (i < length) {
        if (text[i] == '\n') {
            lines.back().append(text + lineStart, text + i);
            lines.emplace_back();
            i += 1;
            lineStart = i;
            width = 0;
            continue;  // the next character may be a newline too: two in a row give an empty line
        }
        width += font->advanceOf(text[i]) * scale;
        if (width > maxWidth) {
            int breakAt = i;
            if (text[breakAt] != ' ') {
                // Back to the space before this word, never past the start of the line.
                while (breakAt > lineStart && text[breakAt] != ' ') breakAt -= 1;
            }
            if (text[breakAt] == ' ') {
                lines.back().append(text + lineStart, text + breakAt);
                lines.emplace_back();
                i = breakAt + 1;
                lineStart = i;
                width = 0;
            } else {
                // A word wider than the line: it stays whole; the line breaks at the next space.
                while (i < length && text[i] != ' ' && text[i] != '\n') i += 1;
                if (i < length && text[i] == ' ') {
                    lines.back().append(text + lineStart, text + i);
                    lines.emplace_back();
                    i += 1;
                    lineStart = i;
                    width = 0;
                } else {
                    width = 0;
                    continue;  // a newline or the end: handled by the loop as usual
                }
            }
        }
        i += 1;
    }
    if (lineStart < length) lines.back().append(text + lineStart, text + length);
    return lines;
}

std::vector<std::string> splitWords(const char* text, int length) {
    std::vector<std::string> words(1);
    if (!text) return words;
    for (int i = 0; i < length && text[i] != '\0'; ++i) {
        const char c = text[i];
        if (c == ' ')
            words.emplace_back();
        else if (c == '\n')
            continue;
        else if (c == '.' || c == ',')
            words.emplace_back(1, c);
        else
            words.back() += c;
    }
    return words;
}
