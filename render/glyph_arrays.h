// The font's glyph quads as client-side vertex arrays, drawn with glDrawElements (OpenGL 1.1) instead
// of a call of the font's display list per letter. The quads are the same floats the font compiles into
// its lists, transformed by the same matrices and cut into the same two triangles (the diagonal from
// the second corner to the fourth, as the renderer cuts a compiled quad), so every pixel comes out the
// same; but on the software renderer a display-list call costs a copy of some 32 KB, a six-index draw
// almost nothing, and the scenes draw some six hundred letters a frame.
//
//   arrays.build(*font);              // once, after the font's shapes exist
//   font->begin(); arrays.begin();
//   ... arrays.drawFlat(letter) ...   // in place of font->drawGlyphFlat(letter)
//   GlyphArrays::end(); BitmapFont::end();
#pragma once

#include <initializer_list>
#include <vector>

#include "render/bitmap_font.h"
#include "render/gl.h"

class GlyphArrays {
public:
    // Copies the glyph geometry of `font` (the font's own shapes stay as they are). A font without
    // shapes (built without GL) gives arrays that draw nothing, as its shapes would.
    void build(const BitmapFont& font) {
        vertices.clear();
        texCoords.clear();
        indices.clear();
        for (int c = 0; c < BitmapFont::glyphCount; ++c) {
            first[c] = -1;
            advance[c] = 0;
        }
        spaceMoves = false;
        if (!font.shapesBuilt) return;
        const int space = ' ';
        const float h = (float)font.glyphHeight;
        for (int c = 0; c < BitmapFont::glyphCount; ++c) {
            const BitmapFont::Record& r = font.records[c];
            if (r.offset == BitmapFont::noGlyph) continue;
            if (c == space) {
                // The space has no quad in any of the three forms, only the move.
                advance[c] = font.records[space].right / h;
                spaceMoves = true;
                continue;
            }
            // As the font computes them for its lists.
            float uL = r.left / (float)font.textureWidth, uR = r.right / (float)font.textureWidth;
            float tB = 1 - r.bottom / (float)font.textureHeight, tT = 1 - r.top / (float)font.textureHeight;
            const BitmapFont::Corner* q = font.corners[c];
            float hw = (r.offset != 0 ? q[2].x - q[0].x : q[2].x) * 0.5f;
            float hh = 0.5f;
            first[c] = (int)(vertices.size() / 3);
            advance[c] = font.advance[c] + font.spacing;
            quad(uL, uR, tB, tT, {q[0].x, q[0].y, 0, q[1].x, q[1].y, 0, q[2].x, q[2].y, 0, q[3].x, q[3].y, 0});
            quad(uL, uR, tB, tT, {-hw, -hh, 0, -hw, hh, 0, hw, hh, 0, hw, -hh, 0});
            quad(uL, uR, tB, tT, {-hw, 0, -hh, -hw, 0, hh, hw, 0, hh, hw, 0, -hh});
        }
    }

    // After BitmapFont::begin: the arrays in place, vertex and texture coordinates.
    void begin() const {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, vertices.data());
        glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
    }
    static void end() {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }

    // As BitmapFont::drawGlyph: the glyph on the baseline, then a move right by its advance and the
    // spacing. Codes without a glyph draw nothing and do not move.
    void drawText(char c) const {
        int code = (unsigned char)c;
        if (code == ' ') {
            if (spaceMoves) glTranslatef(advance[code], 0, 0);
        } else if (first[code] >= 0) {
            drawQuad(first[code] + 4 * TEXT);
            glTranslatef(advance[code], 0, 0);
        }
    }
    // As BitmapFont::drawGlyphUpright and drawGlyphFlat: the glyph centred on the origin.
    void drawUpright(char c) const { drawCentred(UPRIGHT, c); }
    void drawFlat(char c) const { drawCentred(FLAT, c); }

private:
    enum Form { TEXT = 0, UPRIGHT = 1, FLAT = 2 };
    std::vector<float> vertices;   // x, y, z; per glyph three quads: text, upright, flat
    std::vector<float> texCoords;  // s, t
    std::vector<GLuint> indices;   // two triangles per quad: corners 0 1 3 and 1 2 3
    int first[BitmapFont::glyphCount] = {};      // first vertex of the glyph's text quad, -1: none
    float advance[BitmapFont::glyphCount] = {};  // the text form's move after the glyph
    bool spaceMoves = false;                     // the space has a record: it moves in every form

    void quad(float uL, float uR, float tB, float tT, std::initializer_list<float> xyz) {
        GLuint v = (GLuint)(vertices.size() / 3);
        const GLuint triangles[6] = {v, v + 1, v + 3, v + 1, v + 2, v + 3};
        indices.insert(indices.end(), triangles, triangles + 6);
        vertices.insert(vertices.end(), xyz);
        const float st[8] = {uL, tB, uL, tT, uR, tT, uR, tB};
        texCoords.insert(texCoords.end(), st, st + 8);
    }
    // The quad whose first corner is vertex `v`.
    void drawQuad(int v) const { glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, &indices[(size_t)v / 4 * 6]); }
    void drawCentred(Form form, char c) const {
        int code = (unsigned char)c;
        if (code == ' ') {
            if (spaceMoves) glTranslatef(advance[code], 0, 0);
        } else if (first[code] >= 0) {
            drawQuad(first[code] + 4 * form);
        }
    }
};
