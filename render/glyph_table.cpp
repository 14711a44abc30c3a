#include "render/glyph_table.h"

namespace {

// One row of glyphs on the sheet: its top and bottom pixel rows and, per character, its columns.
struct GlyphColumns {
    int code, left, right;
};

struct SheetRow {
    int top, bottom;
    const GlyphColumns* glyphs;
    int count;
};

const GlyphColumns row1[] = {
    {'!', 16, 23},   {'"', 30, 47},   {'#', 50, 85},   {'$', 86, 117},  {'%', 121, 172}, {'&', 177, 214},
    {'\'', 219, 226}, {'(', 233, 248}, {')', 252, 268}, {'*', 274, 294}, {'+', 300, 332}, {',', 341, 349},
    {'-', 357, 373}, {'.', 381, 389}, {'/', 394, 414}, {'0', 414, 445}, {'1', 453, 470},
};
const GlyphColumns row2[] = {
    {'2', 11, 41},   {'3', 45, 76},   {'4', 80, 112},  {'5', 115, 146}, {'6', 150, 181},
    {'7', 185, 216}, {'8', 220, 250}, {'9', 255, 285}, {':', 294, 302}, {';', 312, 320},
    {'<', 324, 360}, {'=', 366, 398}, {'>', 403, 439}, {'?', 447, 475},
};
const GlyphColumns row3[] = {
    {'@', 15, 65},   {'A', 72, 112},  {'B', 117, 152}, {'C', 157, 197}, {'D', 204, 241}, {'E', 249, 282},
    {'F', 290, 322}, {'G', 326, 367}, {'H', 376, 412}, {'I', 422, 430}, {'J', 436, 462},
};
const GlyphColumns row4[] = {
    {'K', 13, 50},   {'L', 55, 84},   {'M', 89, 132},  {'N', 141, 177}, {'O', 184, 227}, {'P', 234, 268},
    {'Q', 273, 317}, {'R', 324, 362}, {'S', 367, 403}, {'T', 407, 443}, {'U', 449, 484},
};
const GlyphColumns row5[] = {
    {'V', 10, 49},   {'W', 51, 108},  {'X', 110, 149}, {'Y', 151, 191}, {'Z', 193, 228},
    {'[', 233, 246}, {'\\', 250, 273}, {']', 276, 289}, {'^', 299, 326}, {'_', 329, 364},
    {'`', 367, 380}, {'a', 390, 422}, {'b', 426, 456}, {'c', 459, 488},
};
const GlyphColumns row6[] = {
    {'d', 10, 40},   {'e', 46, 76},   {'f', 79, 96},   {'g', 99, 128},  {'h', 135, 162}, {'i', 170, 177},
    {'j', 180, 192}, {'k', 200, 227}, {'l', 231, 238}, {'m', 246, 290}, {'n', 297, 325}, {'o', 331, 362},
    {'p', 367, 396}, {'q', 400, 430}, {'r', 437, 454}, {'s', 457, 484}, {'t', 487, 503},
};
const GlyphColumns row7[] = {
    {'u', 13, 40},   {'v', 44, 75},   {'w', 76, 119},  {'x', 120, 151}, {'y', 152, 182},
    {'z', 185, 213}, {'{', 213, 235}, {'|', 241, 248}, {'}', 254, 276}, {'~', 279, 315},
};

template <int N>
SheetRow sheetRow(int top, int bottom, const GlyphColumns (&glyphs)[N]) {
    return SheetRow{top, bottom, glyphs, N};
}

}  // namespace

GlyphMetrics* buildGlyphMetrics() {
    const SheetRow rows[] = {
        sheetRow(8, 71, row1),    sheetRow(80, 143, row2),  sheetRow(152, 215, row3),
        sheetRow(224, 287, row4), sheetRow(296, 359, row5), sheetRow(368, 431, row6),
        sheetRow(440, 503, row7),
    };

    GlyphMetrics* metrics = new GlyphMetrics();
    // Header: 17 pixels of each glyph box lie below the writing line; 96 records in all.
    metrics->records[0] = GlyphRecord{17, GlyphMetrics::recordCount, 0, 0, 0, 0};
    // The space has no box: it only advances by 15 pixels.
    metrics->records[1] = GlyphRecord{' ', 0, 0, 0, 15, 0};
    // The printable characters follow in code order, row by row.
    int next = 2;
    for (const SheetRow& row : rows) {
        for (int i = 0; i < row.count && next < GlyphMetrics::recordCount; ++i) {
            const GlyphColumns& glyph = row.glyphs[i];
            metrics->records[next++] = GlyphRecord{glyph.code, row.top, row.bottom, glyph.left, glyph.right, 0};
        }
    }
    return metrics;
}
