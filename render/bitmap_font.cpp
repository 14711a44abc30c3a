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
        textureWidth = textureHeight = 512;  // lists still compile; they draw untextured
    }

    textLists = glGenLists(glyphCount);
    uprightLists = glGenLists(glyphCount);
    flatLists = glGenLists(glyphCount);
    for (int c = 0; c < glyphCount; ++c) {
        const Record& r = records[c];
        if (r.offset == noGlyph) continue;
        if (c == space) {
            float move = records[space].right / h;
            for (GLuint base : {textLists, uprightLists, flatLists}) {
                glNewList(base + c, GL_COMPILE);
                glTranslatef(move, 0, 0);
                glEndList();
            }
            continue;
        }
        float uL = r.left / (float)textureWidth, uR = r.right / (float)textureWidth;
        float tB = 1 - r.bottom / (float)textureHeight, tT = 1 - r.top / (float)textureHeight;
        const Corner* q = corners[c];

        glNewList(textLists + c, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(uL, tB); glVertex3f(q[0].x, q[0].y, 0);
        glTexCoord2f(uL, tT); glVertex3f(q[1].x, q[1].y, 0);
        glTexCoord2f(uR, tT); glVertex3f(q[2].x, q[2].y, 0);
        glTexCoord2f(uR, tB); glVertex3f(q[3].x, q[3].y, 0);
        glEnd();
        glTranslatef(advance[c] + spacing, 0, 0);
        glEndList();

        float hw = (r.offset != 0 ? q[2].x - q[0].x : q[2].x) * 0.5f;
        float hh = 0.5f;
        glNewList(uprightLists + c, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(uL, tB); glVertex3f(-hw, -hh, 0);
        glTexCoord2f(uL, tT); glVertex3f(-hw, hh, 0);
        glTexCoord2f(uR, tT); glVertex3f(hw, hh, 0);
        glTexCoord2f(uR, tB); glVertex3f(hw, -hh, 0);
        glEnd();
        glEndList();

        glNewList(flatLists + c, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(uL, tB); glVertex3f(-hw, 0, -hh);
        glTexCoord2f(uL, tT); glVertex3f(-hw, 0, hh);
        glTexCoord2f(uR, tT); glVertex3f(hw, 0, hh);
        glTexCoord2f(uR, tB); glVertex3f(hw, 0, -hh);
        glEnd();
        glEndList();
    }
}

void BitmapFont::begin() const {
    glEnable(GL_TEXTURE_2D);
    glAlphaFunc(GL_GREATER, 0.1825f);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void BitmapFont::end() {
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
}

// Only codes with a record have a list; any other code (a control character, a byte above 126, or a
// font built without GL) draws nothing.
void BitmapFont::drawGlyph(char c) const {
    unsigned char code = (unsigned char)c;
    if (textLists && records[code].offset != noGlyph) glCallList(textLists + code);
}

void BitmapFont::drawGlyphFlat(char c) const {
    unsigned char code = (unsigned char)c;
    if (flatLists && records[code].offset != noGlyph) glCallList(flatLists + code);
}

void BitmapFont::drawGlyphUpright(char c) const {
    unsigned char code = (unsigned char)c;
    if (uprightLists && records[code].offset != noGlyph) glCallList(uprightLists + code);
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
