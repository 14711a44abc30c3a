// Where every character of the glyph sheet lies: 96 records of six ints. Record 0 is the header
// (baseline 17, record count 96); records 1..95 are the characters 32..126 as
// (code, top, bottom, left, right, offset) in pixels of the 512 x 512 sheet, y measured downward.
#pragma once

struct GlyphRecord {
    int code, top, bottom, left, right, offset;
};

struct GlyphMetrics {
    static const int recordCount = 96;
    GlyphRecord records[recordCount];
    // The header record's fields, named.
    int baseline() const { return records[0].code; }
    int count() const { return records[0].top; }
};

// A new table; the font's constructor takes it and frees it.
GlyphMetrics* buildGlyphMetrics();
