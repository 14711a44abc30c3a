#include "seasons/summer/season_summer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/bitmap_font.h"
#include "render/view_picking.h"

namespace {

const float kLetterSize = 16.0f;
const float kWrapWidth = 260.0f;
const float kNetRadius = 60.0f;
const int kSchoolingDelay = 100;  // frames of play before the schools steer

SceneSettings summerScene() {
    SceneSettings s;
    s.swingTo = {{29.0f, 151.0f, 672.0f}};
    s.swingPi = 3.1415927f;
    s.swingEndResumes = true;
    return s;
}

}  // namespace

SeasonSummer::SeasonSummer() : SeasonSummer(summerStory) {}
SeasonSummer::SeasonSummer(const char* text) : SeasonScene(summerScene()), story(text) {}

void SeasonSummer::init(int w, int h, BitmapFont* f) {
    initScene(w, h, f);
    if (f) glyphs.build(*f);
    unfold = 270.0f;
    schoolingFrames = 0;

    layoutFish(story);

    std::fputs("Season Summer initialised\n", stdout);
    reset();
}


void SeasonSummer::layoutFish(const char* text) {
    swimmers.clear();
    sentenceSchools.clear();
    swimmerCount = sentenceCount = 0;
    BitmapFont* font = this->font();
    if (!text || !font) return;

    const std::vector<std::string> lines = wrapText(text, font, (int)std::strlen(text), kWrapWidth, kLetterSize);
    std::vector<std::vector<std::string>> tokens;
    for (const std::string& line : lines) {
        tokens.push_back(splitWords(line.c_str(), (int)line.size()));
        swimmerCount += (int)tokens.back().size();
    }
    const int lineCount = (int)lines.size();
    swimmers.assign(swimmerCount, WordFish());

    const float space = font->advanceOf(' ') * kLetterSize;
    int k = 0;
    for (int line = 0; line < lineCount; ++line) {
        const float z = kLetterSize * line;
        float cursor = 0;
        for (const std::string& token : tokens[line]) {
            WordFish& f = swimmers[k++];
            f.init(token, font, kLetterSize);
            f.glyphs = &glyphs;
            float x = (token.size() > 1 ? f.tailWidth : 0.0f) + cursor - 150.0f;
            cursor += f.totalWidth;
            if (token.size() == 1 && (token[0] == ',' || token[0] == '.'))
                x -= space;  // drawn right after the word before it
            else
                cursor += space;
            f.position = Vec3(x, 0, z);
            f.home = f.position;
            f.minX = -PAGE_HALF_WIDTH, f.maxX = PAGE_HALF_WIDTH;
            f.minY = 20, f.maxY = 210;
            f.minZ = -PAGE_HALF_DEPTH, f.maxZ = PAGE_HALF_DEPTH;
        }
    }
    // Centre the block in depth.
    const float shift = 8.0f * (float)(lineCount - 1);
    for (WordFish& f : swimmers) {
        f.position.z -= shift;
        f.home.z -= shift;
    }

    // Every full stop closes the sentence before it; words after the last one belong to no school.
    std::vector<bool> closesSentence;
    for (const std::vector<std::string>& lineTokens : tokens)
        for (const std::string& token : lineTokens) closesSentence.push_back(!token.empty() && token[0] == '.');
    for (bool closes : closesSentence)
        if (closes) ++sentenceCount;
    sentenceSchools.assign(sentenceCount, SentenceSchool());
    int s = 0, firstFish = 0;
    for (int i = 0; i < swimmerCount; ++i) {
        if (!closesSentence[i]) continue;
        SentenceSchool& school = sentenceSchools[s];
        school.init(swimmers.data(), firstFish, i, s);
        school.minX = -PAGE_HALF_WIDTH, school.maxX = PAGE_HALF_WIDTH;
        school.minY = 100, school.maxY = 230;
        school.minZ = -PAGE_HALF_DEPTH, school.maxZ = PAGE_HALF_DEPTH;
        firstFish = i + 1;
        ++s;
    }
    for (SentenceSchool& school : sentenceSchools) {
        school.schools = sentenceSchools.data();
        school.schoolCount = sentenceCount;
    }
}

void SeasonSummer::reset() {
    resetScene();
    unfold = 270.0f;
    schoolingFrames = 0;
    for (WordFish& f : swimmers) {
        f.position = f.home;
        f.velocity.clear();
        f.heading = f.displayedHeading = 0.01f;
        f.climb = f.displayedClimb = 0;
    }
}

void SeasonSummer::stepPlay() {
    if (schoolingFrames < kSchoolingDelay) ++schoolingFrames;
    if (leftDown()) {
        if (!running()) return;
        scareFish();
    }
    if (running()) animateFish();
}

void SeasonSummer::animateFish() {
    if (schoolingFrames >= kSchoolingDelay)
        for (SentenceSchool& school : sentenceSchools) school.update();
    unfold += 1.0f;
    if (unfold > 360.0f) unfold = 360.0f;
    for (WordFish& f : swimmers) f.update();
}

void SeasonSummer::scareFish() {
    pickWaterPoint(mouseX(), mouseY());
    for (SentenceSchool& school : sentenceSchools) school.scatter();
    Vec3 points[5];
    const float steps[4] = {0.2f, 0.4f, 0.6f, 0.8f};
    for (int i = 0; i < 4; ++i) points[i] = rayNear + net * steps[i];
    points[4] = net;
    for (WordFish& f : swimmers)
        for (const Vec3& p : points) f.flee(p, kNetRadius);
}

void SeasonSummer::pickWaterPoint(int x, int y) {
    const ViewMatrices view = currentViewMatrices();
    // A view that cannot be inverted, or a ray along the water, leaves the net where it was.
    PickRay ray;
    if (!pickRay(view, x, y, ray)) return;
    rayNear = ray.nearPoint;
    Vec3 hit;
    if (rayHitsPlane(ray, Vec3(0, 1, 0), Vec3(-1, 0, 0), hit)) net = hit;
}

// While the letters stand up, every drawn frame shrinks the fish's bends by the share unfolded.
void SeasonSummer::dampUnfoldingBends() {
    if (unfold == 360.0f) return;
    const float k = (unfold - 270.0f) * 0.011111111f;
    for (WordFish& f : swimmers)
        for (float& b : f.bend) b *= k;
}

void SeasonSummer::skipDraw() {
    SeasonScene::skipDraw();
    dampUnfoldingBends();
}

void SeasonSummer::draw() {
    camera().apply();
    glColor3f(0, 0, 0);
    drawPageOutline();
    glColor3f(0, 0, 0);
    if (font()) {
        font()->begin();
        glyphs.begin();
    }
    if (unfold == 360.0f) {
        for (const WordFish& f : swimmers) f.draw();
    } else {
        dampUnfoldingBends();
        for (const WordFish& f : swimmers) f.drawUnfolding(unfold);
    }
    GlyphArrays::end();
    BitmapFont::end();
    glColor3f(1, 0, 0);
    drawFade();
}
