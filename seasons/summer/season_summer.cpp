#include "seasons/summer/season_summer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render/screen_widgets.h"
#include "render/bitmap_font.h"
#include "render/view_picking.h"

const char* const SUMMER_STORY =
    "My grandfather gave me a new net of green mesh on a bamboo pole the summer I turned seven, and I ran "
    "to the shore before breakfast to catch the tiny fish.\n"
    "In the warm shallows they hung like slivers of glass, so still and so near that I could have counted "
    "their fins.\n"
    "Each time I lowered the net they were already somewhere else, a flicker of silver gone between one "
    "breath and the next.\n"
    "I waded after them all morning until the sun stood high overhead and still my net came up holding "
    "nothing but water and light.\n"
    "At last I sat down in the shallows and let them swim. They wrote quick silver lines across the pale "
    "sand and I learned to read them instead.";

namespace {

const float kGlyphScale = 16.0f;
const float kWrapWidth = 260.0f;
const float kNetRadius = 60.0f;

// Pointer position as a fraction of the screen; a screen without size gives 0.
float fractionOf(int v, float size) { return size > 0 ? v / size : 0.0f; }

}  // namespace

std::vector<std::string> splitWords(const char* text, int length) {
    std::vector<std::string> tokens(1);
    if (!text) return tokens;
    for (int i = 0; i < length && text[i] != '\0'; ++i) {
        const char c = text[i];
        if (c == ' ')
            tokens.emplace_back();
        else if (c == '\n')
            continue;
        else if (c == '.' || c == ',')
            tokens.emplace_back(1, c);
        else
            tokens.back() += c;
    }
    return tokens;
}

void SeasonSummer::init(int w, int h, BitmapFont* f) {
    width = w;
    height = h;
    widthF = (float)w;
    heightF = (float)h;
    font = f;
    if (font) glyphs.build(*font);
    for (int i = 0; i < 3; ++i) fadeInColour[i] = fadeOutColour[i] = 1.0f;

    zoomStep = 0.5f;
    pondWidth = 357.0f;
    pondHalfWidth = 178.5f;
    pondDepth = 505.2f;
    pondHalfDepth = 252.6f;
    unfoldAngle = 270.0f;

    camera.set(Vec3(0, 578.5f, 0), Vec3(0, 130, 0), Vec3(0, 1, 0));
    camera.yaw = 90.0f;

    tween.reset(new CameraTween(tweenFrom, tweenTo));

    phase = PHASE_FADE_IN;
    frame = 0;
    schoolingDelay = 100;
    schoolingCounter = 0;

    buildPondShape();
    running = true;
    layOutStory(story);

    std::fputs("Season Summer initialised\n", stdout);
    reset();
}

void SeasonSummer::buildPondShape() {
    pond.begin(GL_LINE_STRIP);
    pond.vertex(-pondHalfWidth, 0, -pondHalfDepth);
    pond.vertex(pondHalfWidth, 0, -pondHalfDepth);
    pond.vertex(pondHalfWidth, 0, pondHalfDepth);
    pond.vertex(-pondHalfWidth, 0, pondHalfDepth);
    pond.vertex(-pondHalfWidth, 0, -pondHalfDepth);
    pond.end();
}

void SeasonSummer::layOutStory(const char* text) {
    fish.clear();
    schools.clear();
    fishCount = schoolCount = lineCount = 0;
    if (!text || !font) return;

    const std::vector<std::string> lines = wrapText(text, font, (int)std::strlen(text), kWrapWidth, kGlyphScale);
    std::vector<std::vector<std::string>> tokens;
    for (const std::string& line : lines) {
        tokens.push_back(splitWords(line.c_str(), (int)line.size()));
        fishCount += (int)tokens.back().size();
    }
    lineCount = (int)lines.size();
    fish.assign(fishCount, WordFish());

    const float space = font->advanceOf(' ') * kGlyphScale;
    int k = 0;
    for (int line = 0; line < lineCount; ++line) {
        const float z = kGlyphScale * line;
        float cursor = 0;
        for (const std::string& token : tokens[line]) {
            WordFish& f = fish[k++];
            f.init(token, font, kGlyphScale);
            f.glyphs = &glyphs;
            float x = (token.size() > 1 ? f.tailWidth : 0.0f) + cursor - 150.0f;
            cursor += f.totalWidth;
            if (token.size() == 1 && (token[0] == ',' || token[0] == '.'))
                x -= space;  // drawn right after the word before it
            else
                cursor += space;
            f.position = Vec3(x, 0, z);
            f.home = f.position;
            f.minX = -pondHalfWidth, f.maxX = pondHalfWidth;
            f.minY = 20, f.maxY = 210;
            f.minZ = -pondHalfDepth, f.maxZ = pondHalfDepth;
        }
    }
    // Centre the block in depth.
    const float shift = 8.0f * (float)(lineCount - 1);
    for (WordFish& f : fish) {
        f.position.z -= shift;
        f.home.z -= shift;
    }

    // Every full stop closes the sentence before it; words after the last one belong to no school.
    std::vector<bool> closesSentence;
    for (const std::vector<std::string>& lineTokens : tokens)
        for (const std::string& token : lineTokens) closesSentence.push_back(!token.empty() && token[0] == '.');
    for (bool closes : closesSentence)
        if (closes) ++schoolCount;
    schools.assign(schoolCount, SentenceSchool());
    int s = 0, firstFish = 0;
    for (int i = 0; i < fishCount; ++i) {
        if (!closesSentence[i]) continue;
        SentenceSchool& school = schools[s];
        school.init(fish.data(), firstFish, i, s);
        school.minX = -pondHalfWidth, school.maxX = pondHalfWidth;
        school.minY = 100, school.maxY = 230;
        school.minZ = -pondHalfDepth, school.maxZ = pondHalfDepth;
        firstFish = i + 1;
        ++s;
    }
    for (SentenceSchool& school : schools) {
        school.schools = schools.data();
        school.schoolCount = schoolCount;
    }
}

void SeasonSummer::reset() {
    camera.pitchVelocity = 0;
    camera.yawVelocity = 0;
    camera.zoomVelocity = 0;
    camera.set(Vec3(0, 578.5f, 0), Vec3(0, 130, 0), Vec3(0, 1, 0));
    phase = PHASE_FADE_IN;
    camera.yaw = 90.0f;
    unfoldAngle = 270.0f;
    frame = 0;
    schoolingCounter = 0;
    running = true;
    mouseX = mouseY = previousMouseX = previousMouseY = 0;
    leftDown = rightDown = shiftDown = false;
    introDone = false;
    for (WordFish& f : fish) {
        f.position = f.home;
        f.velocity.clear();
        f.heading = f.displayedHeading = 0.01f;
        f.climb = f.displayedClimb = 0;
    }
    for (bool& k : keys) k = false;
    finished = false;
}

void SeasonSummer::update() {
    if (keys[VK_CODE_A]) camera.zoom(-0.1f * zoomStep);
    if (keys[VK_CODE_Z]) camera.zoom(0.1f * zoomStep);
    camera.update();

    if (phase == PHASE_FADE_IN) {
        frame += 1;
        if (frame >= readStart) phase = PHASE_READ;
    } else if (phase == PHASE_READ) {
        frame += 1;
        if (frame >= swingStart) {
            introDone = true;
            phase = PHASE_SWING;
        }
    } else if (phase == PHASE_SWING) {
        const double t = (double)(frame - swingStart) / swingLength;
        const float f = (float)((1.0 - std::cos((double)3.1415927f * t)) / 2.0);
        const float* out = tween->atEased(f);
        camera.pitch = out[0];
        camera.yaw = out[1];
        camera.distance = out[2];
        frame += 1;
        if (frame >= playStart) {
            running = true;
            phase = PHASE_PLAY;
        }
    } else if (phase == PHASE_PLAY) {
        if (schoolingCounter < schoolingDelay) ++schoolingCounter;
        if (leftDown) {
            if (!running) return;
            scareFish();
        }
        if (running) animateFish();
    } else if (phase == PHASE_FADE_OUT) {
        frame += 1;
        if (running && introDone) animateFish();
        if (frame >= fadeOutEnd) finished = true;
    }
}

void SeasonSummer::animateFish() {
    if (schoolingCounter >= schoolingDelay)
        for (SentenceSchool& school : schools) school.update();
    unfoldAngle += 1.0f;
    if (unfoldAngle > 360.0f) unfoldAngle = 360.0f;
    for (WordFish& f : fish) f.update();
}

void SeasonSummer::scareFish() {
    pickWaterPoint(mouseX, mouseY);
    for (SentenceSchool& school : schools) school.scatter();
    Vec3 points[5];
    const float steps[4] = {0.2f, 0.4f, 0.6f, 0.8f};
    for (int i = 0; i < 4; ++i) points[i] = rayNear + netPoint * steps[i];
    points[4] = netPoint;
    for (WordFish& f : fish)
        for (const Vec3& p : points) f.flee(p, kNetRadius);
}

void SeasonSummer::pickWaterPoint(int x, int y) {
    const ViewMatrices view = currentViewMatrices();
    std::memcpy(modelview, view.modelview, sizeof modelview);
    std::memcpy(projection, view.projection, sizeof projection);
    std::memcpy(viewport, view.viewport, sizeof viewport);
    // A view that cannot be inverted, or a ray along the water, leaves the net where it was.
    PickRay ray;
    if (!pickRay(view, x, y, ray)) return;
    rayNear = ray.nearPoint;
    rayDir = ray.direction;
    Vec3 hit;
    if (rayHitsPlane(ray, Vec3(0, 1, 0), Vec3(-1, 0, 0), hit)) netPoint = hit;
}

float SeasonSummer::fadeAlpha() const {
    if (phase == PHASE_FADE_IN) return 1.0f - (float)(frame - fadeInStart) / (float)fadeInLength;
    if (phase == PHASE_FADE_OUT) return (float)(frame - fadeOutStart) / (float)fadeOutLength;
    return 0.0f;
}

void SeasonSummer::draw() {
    camera.apply();
    glColor3f(0, 0, 0);
    pond.draw();
    glColor3f(0, 0, 0);
    if (font) {
        font->begin();
        glyphs.begin();
    }
    if (unfoldAngle == 360.0f) {
        for (const WordFish& f : fish) f.draw();
    } else {
        const float k = (unfoldAngle - 270.0f) * 0.011111111f;
        for (WordFish& f : fish) {
            for (float& b : f.bend) b *= k;
            f.drawUnfolding(unfoldAngle);
        }
    }
    GlyphArrays::end();
    BitmapFont::end();
    glColor3f(1, 0, 0);

    if (phase != PHASE_FADE_IN && phase != PHASE_FADE_OUT) return;
    const float* colour = phase == PHASE_FADE_IN ? fadeInColour : fadeOutColour;
    const float alpha = fadeAlpha();
    drawScreenFade(width, height, colour, alpha);
}

void SeasonSummer::keyPressed(int key) {
    switch (key) {
    case VK_CODE_ENTER:
    case VK_CODE_SPACE:
        return;
    case VK_CODE_SHIFT:
        shiftDown = true;
        return;
    case VK_CODE_CONTROL:
        running = !running;
        return;
    case VK_CODE_ESCAPE:
        startExiting();
        return;
    default:
        if (seasonKeyInRange(key)) keys[key] = true;
    }
}

void SeasonSummer::keyReleased(int key) {
    if (seasonKeyInRange(key)) keys[key] = false;
}

void SeasonSummer::mouseMoved(int x, int y) {
    previousMouseX = mouseX;
    previousMouseY = mouseY;
    mouseX = x;
    mouseY = y;
    camera.drag(fractionOf(x, widthF), fractionOf(y, heightF), leftDown, rightDown);
}

void SeasonSummer::mousePressed(int, int, int button) {
    if (phase == PHASE_FADE_IN) return;
    if (phase == PHASE_READ) {
        frame = swingStart - 1;
        return;
    }
    if (button == 1) leftDown = true;
    if (button == 3) rightDown = true;
    if (button == 4) camera.zoom(-zoomStep);
    if (button == 5) camera.zoom(zoomStep);
    camera.grab(fractionOf(mouseX, widthF), fractionOf(mouseY, heightF), leftDown, rightDown);
}

void SeasonSummer::mouseReleased(int, int, int button) {
    if (button == 1) leftDown = false;
    if (button == 3) rightDown = false;
}

void SeasonSummer::startExiting() {
    if (phase == PHASE_FADE_OUT) return;
    if (phase == PHASE_FADE_IN) {
        const float level = 1.0f - (float)(frame - fadeInStart) / (float)fadeInLength;
        frame = fadeOutStart + (int)(level * (float)fadeOutLength);
    } else {
        frame = fadeOutStart;
    }
    phase = PHASE_FADE_OUT;
}
