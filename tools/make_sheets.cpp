// Draws the two texture sheets the program carries: the glyph sheet (white glyphs on black, each
// character inside its box of the glyph table) and the sprite sheet (the title lettering, the credit
// line and the menu panel, dark on white). Both are 512 x 512 greyscale GIFs. The output depends only
// on the font files and the FreeType version, so running the tool twice gives the same bytes.
//
//   velmora_make_sheets <sans.ttf> <serif.ttf> <output directory>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "render/glyph_table.h"

namespace {

const int sheetSize = 512;

// A greyscale picture, rows from the top.
struct Picture {
    int width, height;
    std::vector<unsigned char> pixels;
    Picture(int w, int h, unsigned char fill) : width(w), height(h), pixels((size_t)w * h, fill) {}
    unsigned char& at(int x, int y) { return pixels[(size_t)y * width + x]; }
};

// A rectangle of sheet pixels: columns left .. right - 1, rows top .. bottom - 1.
struct Rect {
    int left, right, top, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Ink extent of an outline in pixels (FreeType's y upward).
struct Extent {
    double xMin = 1e9, xMax = -1e9, yMin = 1e9, yMax = -1e9;
    bool empty() const { return xMin > xMax; }
    double width() const { return empty() ? 0 : xMax - xMin; }
    double height() const { return empty() ? 0 : yMax - yMin; }
    void add(const FT_BBox& box) {
        xMin = std::min(xMin, box.xMin / 64.0);
        xMax = std::max(xMax, box.xMax / 64.0);
        yMin = std::min(yMin, box.yMin / 64.0);
        yMax = std::max(yMax, box.yMax / 64.0);
    }
};

FT_Pos to26Dot6(double pixels) { return (FT_Pos)std::lround(pixels * 64.0); }

class Font {
public:
    // A hinted font snaps its horizontal strokes to whole pixel rows (light hinting: vertical only, so
    // widths and pen positions stay as designed); crisper at small sizes.
    Font(FT_Library library, const char* path, bool hinted) : library(library), hinted(hinted) {
        if (FT_New_Face(library, path, 0, &face) != 0) face = nullptr;
    }
    ~Font() {
        if (face) FT_Done_Face(face);
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool ok() const { return face != nullptr; }

    // Pixels per em; fractional sizes are kept (26.6 precision).
    bool setSize(double pixels) { return FT_Set_Char_Size(face, 0, to26Dot6(pixels), 72, 72) == 0; }

    // Loads the outline of a character into the face's glyph slot.
    FT_Outline* load(unsigned long code) {
        if (FT_Load_Char(face, code, loadFlags()) != 0) return nullptr;
        if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
        return &face->glyph->outline;
    }

    Extent extentOf(unsigned long code) {
        Extent extent;
        FT_Outline* outline = load(code);
        FT_BBox box;
        if (outline && outline->n_points > 0 && FT_Outline_Get_BBox(outline, &box) == 0) extent.add(box);
        return extent;
    }

    // Pen positions (pixels) of a line of text set at the current size, with kerning where the face
    // has it and `tracking` extra pixels after each character.
    std::vector<double> penPositions(const std::string& text, double tracking) {
        std::vector<double> pens;
        double pen = 0;
        FT_UInt previous = 0;
        for (unsigned char c : text) {
            FT_UInt index = FT_Get_Char_Index(face, c);
            if (previous && index && FT_HAS_KERNING(face)) {
                FT_Vector kern;
                if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern) == 0) pen += kern.x / 64.0;
            }
            pens.push_back(pen);
            if (FT_Load_Glyph(face, index, loadFlags()) == 0)
                pen += face->glyph->linearHoriAdvance / 65536.0;
            pen += tracking;
            previous = index;
        }
        return pens;
    }

    // Ink extent of a line of text with its pen starting at 0 on the baseline.
    Extent extentOf(const std::string& text, double tracking) {
        Extent extent;
        std::vector<double> pens = penPositions(text, tracking);
        for (size_t i = 0; i < text.size(); ++i) {
            FT_Outline* outline = load((unsigned char)text[i]);
            if (!outline || outline->n_points == 0) continue;
            FT_Outline_Translate(outline, to26Dot6(pens[i]), 0);
            FT_BBox box;
            if (FT_Outline_Get_BBox(outline, &box) == 0) extent.add(box);
        }
        return extent;
    }

    // Renders an outline (already placed, in pixels with y upward from the picture's bottom edge)
    // anti-aliased into a coverage picture; overlapping ink keeps the larger coverage.
    void rasterize(FT_Outline* outline, Picture& coverage) {
        std::vector<unsigned char> scratch(coverage.pixels.size(), 0);
        FT_Bitmap bitmap{};
        bitmap.rows = (unsigned)coverage.height;
        bitmap.width = (unsigned)coverage.width;
        bitmap.pitch = coverage.width;
        bitmap.buffer = scratch.data();
        bitmap.num_grays = 256;
        bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
        FT_Outline_Get_Bitmap(library, outline, &bitmap);
        for (size_t i = 0; i < scratch.size(); ++i)
            coverage.pixels[i] = std::max(coverage.pixels[i], scratch[i]);
    }

    // Renders a line of text with its pen starting at (x, baseline) of the coverage picture, y
    // measured downward from the picture's top as on the sheet.
    void drawText(const std::string& text, double tracking, double x, double baseline, Picture& coverage) {
        std::vector<double> pens = penPositions(text, tracking);
        for (size_t i = 0; i < text.size(); ++i) {
            FT_Outline* outline = load((unsigned char)text[i]);
            if (!outline || outline->n_points == 0) continue;
            FT_Outline_Translate(outline, to26Dot6(x + pens[i]), to26Dot6(coverage.height - baseline));
            rasterize(outline, coverage);
        }
    }

private:
    FT_Int32 loadFlags() const {
        return FT_LOAD_NO_BITMAP | (hinted ? FT_LOAD_TARGET_LIGHT : FT_LOAD_NO_HINTING);
    }

    FT_Library library;
    bool hinted;
    FT_Face face = nullptr;
};

// Copies coverage into the sheet at `box`: on the glyph sheet as brightness (white ink on black),
// on the sprite sheet as ink of grey level `ink` over white.
void paintWhiteInk(const Picture& coverage, const Rect& box, Picture& sheet) {
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            sheet.at(box.left + x, box.top + y) = coverage.pixels[(size_t)y * coverage.width + x];
}

void paintDarkInk(const Picture& coverage, const Rect& box, unsigned char ink, Picture& sheet) {
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            int c = coverage.pixels[(size_t)y * coverage.width + x];
            unsigned char& p = sheet.at(box.left + x, box.top + y);
            int value = 255 - (c * (255 - ink) + 127) / 255;
            p = (unsigned char)std::min<int>(p, value);
        }
}

// ---- Glyph sheet ------------------------------------------------------------------------------

// Every character 33..126 inside exactly its box: one pixel size for all glyphs (so they read as one
// font), the writing line `baseline` pixels above the box's bottom, and each glyph stretched or
// squeezed horizontally so that its ink spans the box's full width.
bool drawGlyphSheet(Font& font, Picture& sheet) {
    std::unique_ptr<GlyphMetrics> metrics(buildGlyphMetrics());
    const int baseline = metrics->baseline();
    int boxHeight = 0;
    for (int i = 1; i < metrics->count() && i < GlyphMetrics::recordCount && boxHeight == 0; ++i)
        boxHeight = metrics->records[i].bottom - metrics->records[i].top;
    if (boxHeight <= baseline) return false;

    // The largest size at which every glyph keeps a pixel of room above and below within the box.
    // The grave accent is left out: the face sets it higher than any other character, and sizing for
    // it would shrink the whole font for a character that stories hardly use; it is moved down into
    // its box instead (below).
    auto sized = [](int code) { return code != '`'; };
    // The narrowest boxes (i, l, I, |: 7 or 8 pixels) are wider than the face's stems, so those glyphs
    // come out stretched and heavy. Widening every vertical stroke by this many pixels before the
    // glyph is fitted to its box evens the weight of narrow and wide glyphs alike.
    const double stemGain = 2.0;
    const double reference = 100.0;
    if (!font.setSize(reference)) return false;
    double above = 0, below = 0;
    for (int code = 33; code <= 126; ++code) {
        Extent e = font.extentOf((unsigned long)code);
        if (e.empty() || !sized(code)) continue;
        above = std::max(above, e.yMax);
        below = std::max(below, -e.yMin);
    }
    if (above <= 0) return false;
    double size = reference * (boxHeight - baseline - 1) / above;
    if (below > 0) size = std::min(size, reference * (baseline - 1) / below);
    // Hinting may move an edge by a pixel: make sure that nothing is cut off at the chosen size.
    auto fits = [&]() {
        for (int code = 33; code <= 126; ++code) {
            Extent e = font.extentOf((unsigned long)code);
            if (!e.empty() && sized(code) && (e.yMax > boxHeight - baseline || -e.yMin > baseline)) return false;
        }
        return true;
    };
    while (true) {
        if (size <= 1 || !font.setSize(size)) return false;
        if (fits()) break;
        size -= 0.25;
    }
    std::printf("glyph sheet: %.2f pixels per em\n", size);

    for (int i = 1; i < metrics->count() && i < GlyphMetrics::recordCount; ++i) {
        const GlyphRecord& r = metrics->records[i];
        if (r.code <= 32 || r.bottom <= r.top || r.right <= r.left) continue;
        Rect box{r.left, r.right, r.top, r.bottom};
        FT_Outline* outline = font.load((unsigned long)r.code);
        if (!outline || outline->n_points == 0) continue;
        FT_Outline_EmboldenXY(outline, to26Dot6(stemGain), 0);
        FT_BBox ink;
        if (FT_Outline_Get_BBox(outline, &ink) != 0 || ink.xMax <= ink.xMin) continue;
        // Ink's left edge to x = 0, then its width scaled to the box's, then the writing line up.
        FT_Outline_Translate(outline, -ink.xMin, 0);
        FT_Matrix stretch;
        stretch.xx = (FT_Fixed)std::lround(65536.0 * box.width() * 64.0 / (double)(ink.xMax - ink.xMin));
        stretch.xy = 0;
        stretch.yx = 0;
        stretch.yy = 0x10000;
        FT_Outline_Transform(outline, &stretch);
        FT_Outline_Translate(outline, 0, baseline * 64);
        // A glyph that would cross the box's top or bottom edge moves inside it by whole pixels.
        const FT_Pos top = ink.yMax + baseline * 64, bottom = ink.yMin + baseline * 64;
        FT_Pos rise = 0;
        if (top > box.height() * 64) rise = -((top - box.height() * 64 + 63) / 64) * 64;
        if (bottom < 0) rise = ((-bottom + 63) / 64) * 64;
        FT_Outline_Translate(outline, 0, rise);
        Picture coverage(box.width(), box.height(), 0);
        font.rasterize(outline, coverage);
        paintWhiteInk(coverage, box, sheet);
    }
    return true;
}

// ---- Sprite sheet -----------------------------------------------------------------------------

const unsigned char inkLevel = 24;  // near-black

// Sets `text` as large as fits inside `box` less `margin` on each side, centred on its ink.
bool drawFitted(Font& font, const std::string& text, double tracking, const Rect& box, double margin,
                Picture& sheet) {
    const double reference = 100.0;
    if (!font.setSize(reference)) return false;
    Extent e = font.extentOf(text, tracking);
    if (e.empty()) return false;
    double scale = std::min((box.width() - 2 * margin) / e.width(), (box.height() - 2 * margin) / e.height());
    if (!(scale > 0)) return false;
    if (!font.setSize(reference * scale)) return false;
    e = font.extentOf(text, tracking * scale);
    double x = (box.width() - e.width()) / 2 - e.xMin;
    double baseline = std::round((box.height() - e.height()) / 2 + e.yMax);
    Picture coverage(box.width(), box.height(), 0);
    font.drawText(text, tracking * scale, x, baseline, coverage);
    paintDarkInk(coverage, box, inkLevel, sheet);
    std::printf("\"%s\": %.2f pixels per em\n", text.c_str(), reference * scale);
    return true;
}

// The menu panel: the four season names, one per on-screen hit row. A row is 23.45 reference units
// high and the panel is drawn at 0.65 of its sheet size, so each row covers 23.45 / 0.65 sheet rows.
// Each name sits a few pixels from the panel's left edge, its capitals centred in its row's band.
bool drawMenuPanel(Font& font, const Rect& panel, Picture& sheet) {
    const char* names[4] = {"Spring", "Summer", "Autumn", "Winter"};
    const double rowPitch = 23.45 / 0.65;
    const double inset = 6.0;
    const double rightMargin = 4.0;
    const double capHeight = 20.0;

    const double reference = 100.0;
    if (!font.setSize(reference)) return false;
    double capAtReference = font.extentOf('H').yMax;
    double widest = 0;
    for (const char* name : names) widest = std::max(widest, font.extentOf(name, 0).width());
    if (capAtReference <= 0 || widest <= 0) return false;
    double size = reference * capHeight / capAtReference;
    size = std::min(size, reference * (panel.width() - inset - rightMargin) / widest);
    if (!font.setSize(size)) return false;
    double cap = font.extentOf('H').yMax;
    std::printf("menu names: %.2f pixels per em, capitals %.1f pixels high\n", size, cap);

    Picture coverage(panel.width(), panel.height(), 0);
    for (int i = 0; i < 4; ++i) {
        Extent e = font.extentOf(names[i], 0);
        double bandCentre = rowPitch * (i + 0.5);
        font.drawText(names[i], 0, inset - e.xMin, std::round(bandCentre + cap / 2), coverage);
    }
    paintDarkInk(coverage, panel, inkLevel, sheet);
    return true;
}

bool drawSpriteSheet(Font& sans, Font& serifDisplay, Font& serifText, Picture& sheet) {
    const Rect title{10, 390, 20, 94};
    const Rect credit{13, 195, 254, 294};
    const Rect panel{10, 127, 353, 502};
    return drawFitted(serifDisplay, "Velmora", 6.0, title, 4.0, sheet) &&
           drawFitted(serifText, "a piece in four seasons", 0.0, credit, 6.0, sheet) &&
           drawMenuPanel(sans, panel, sheet);
}

// ---- Output -----------------------------------------------------------------------------------

// Writes a greyscale picture as a GIF with a 256-entry grey palette (entry i = grey level i).
bool writeGreyGif(const Picture& picture, const std::string& path) {
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) colours[i].Red = colours[i].Green = colours[i].Blue = (GifByteType)i;
    ColorMapObject* palette = GifMakeMapObject(256, colours);
    if (!palette) return false;
    int error = 0;
    // Opened here rather than by giflib so that the file gets the usual permissions (umask).
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int openError = fd < 0 ? errno : 0;
    GifFileType* gif = fd >= 0 ? EGifOpenFileHandle(fd, &error) : nullptr;
    if (fd >= 0 && !gif) close(fd);
    bool ok = gif != nullptr;
    ok = ok && EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, palette) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row((size_t)picture.width);
    for (int y = 0; ok && y < picture.height; ++y) {
        std::copy(picture.pixels.begin() + (ptrdiff_t)y * picture.width,
                  picture.pixels.begin() + (ptrdiff_t)(y + 1) * picture.width, row.begin());
        ok = EGifPutLine(gif, row.data(), picture.width) == GIF_OK;
    }
    if (gif && EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    GifFreeMapObject(palette);
    if (!ok) {
        const char* why = fd < 0 ? std::strerror(openError) : GifErrorString(error);
        std::fprintf(stderr, "make_sheets: cannot write %s (%s)\n", path.c_str(), why ? why : "unknown error");
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <sans.ttf> <serif.ttf> <output directory>\n", argv[0]);
        return 2;
    }
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "make_sheets: FreeType did not start\n");
        return 1;
    }
    int result = 0;
    {
        Font sans(library, argv[1], true);
        Font serifDisplay(library, argv[2], false);  // the title: large, its curves left as drawn
        Font serifText(library, argv[2], true);
        if (!sans.ok() || !serifDisplay.ok() || !serifText.ok()) {
            std::fprintf(stderr, "make_sheets: cannot open %s\n", !sans.ok() ? argv[1] : argv[2]);
            result = 1;
        } else {
            const std::string dir = argv[3];
            Picture glyphs(sheetSize, sheetSize, 0);
            Picture sprites(sheetSize, sheetSize, 255);
            if (!drawGlyphSheet(sans, glyphs) || !drawSpriteSheet(sans, serifDisplay, serifText, sprites)) {
                std::fprintf(stderr, "make_sheets: the fonts lack outlines for the sheets\n");
                result = 1;
            } else if (!writeGreyGif(glyphs, dir + "/glyph_sheet.gif") ||
                       !writeGreyGif(sprites, dir + "/sprite_sheet.gif")) {
                result = 1;
            }
        }
    }
    FT_Done_FreeType(library);
    return result;
}
